// The save: the only part of the component that talks to the file system.
#include "biffsheet.h"

#include <string>

#include "files.h"

void TBiffSheet::SaveToFile() const {
  // A complete copy is written first, then swapped in: a failed save leaves the previous file as it was.
  const DWORD error = files::SaveReplacing(file_name_, stream_.data(), stream_.size());
  if (error != ERROR_SUCCESS) {
    throw EBiffSheetError("Cannot create file \"" + file_name_ + "\". Error " + std::to_string(error) + ".");
  }
}
