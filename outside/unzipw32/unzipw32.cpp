#include "unzipw32.h"

#include <archive.h>
#include <archive_entry.h>

#include <new>
#include <string>

#include "entry_writer.h"
#include "file_names.h"

namespace {

struct Reader {
  archive* handle = archive_read_new();
  ~Reader() { archive_read_free(handle); }
};

std::int32_t Unzip(const char* archive_path, const char* dest_folder, const char* file_spec) {
  Reader reader;
  if (!reader.handle) return kUnzipOpenFailed;
  // The seekable reader works from the central directory and decodes only the entries read.
  archive_read_support_format_zip_seekable(reader.handle);
  if (outside::OpenArchiveFile(reader.handle, archive_path) != ARCHIVE_OK) return kUnzipOpenFailed;
  std::int32_t written = 0;
  for (;;) {
    archive_entry* entry = nullptr;
    const int status = outside::NextHeader(reader.handle, &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN || !entry) return written > 0 ? written : kUnzipBadArchive;
    if (archive_entry_filetype(entry) != AE_IFREG) continue;
    const std::string path = outside::EntryPath(entry);
    const std::string_view file = outside::FilePart(path);
    if (!outside::SameFileName(file, file_spec) || !outside::IsSafeFileName(file)) continue;
    if (outside::ExtractEntry(reader.handle, entry, outside::JoinPath(dest_folder, file)) ==
        outside::EntryResult::kOk) {
      ++written;
    }
  }
  return written;
}

}  // namespace

std::int32_t __stdcall FileUnzipEx(const char* archive_path, const char* dest_folder, const char* file_spec) try {
  if (!archive_path || !*archive_path || !dest_folder || !*dest_folder || !file_spec || !*file_spec) {
    return kUnzipBadArgument;
  }
  return Unzip(archive_path, dest_folder, file_spec);
} catch (const std::bad_alloc&) {
  return kUnzipNothingExtracted;
}
