#include "file_target.h"

#include <windows.h>

#include <cstdint>

namespace outside {

bool ReplaceFileWith(const std::string& target, const std::vector<char>& data) {
  if (target.empty() || target.size() >= MAX_PATH) return false;
  // Written in place: the bytes are all decoded and checked by now, so only a failed write can
  // leave a part behind, and that part is removed. A temporary name and a rename cost twice the
  // file calls under Wine, and writing over the old bytes is cheaper there than truncating first.
  const HANDLE file =
      CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool complete = data.empty() || (WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                                   written == data.size());
  LARGE_INTEGER size;
  if (complete && (!GetFileSizeEx(file, &size) || static_cast<std::uint64_t>(size.QuadPart) > data.size())) {
    complete = SetEndOfFile(file) != 0;
  }
  const bool closed = CloseHandle(file) != 0;
  if (complete && closed) return true;
  DeleteFileA(target.c_str());
  return false;
}

}  // namespace outside
