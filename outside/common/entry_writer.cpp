#include "entry_writer.h"

#include <windows.h>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <atomic>

namespace outside {

EntryResult ReadEntry(archive* reader, archive_entry* entry, std::vector<char>& data) {
  data.clear();
  if (archive_entry_size_is_set(entry)) {
    const std::int64_t size = archive_entry_size(entry);
    if (size > kMaxEntrySize) return EntryResult::kTooLarge;
    if (size > 0) data.reserve(static_cast<size_t>(size));
  }
  char chunk[16384];
  for (;;) {
    const la_ssize_t n = archive_read_data(reader, chunk, sizeof chunk);
    if (n == 0) return EntryResult::kOk;
    if (n < 0) return EntryResult::kBadData;
    // A header may understate the size; the limit holds for what actually comes out.
    if (static_cast<std::int64_t>(data.size()) + n > kMaxEntrySize) return EntryResult::kTooLarge;
    data.insert(data.end(), chunk, chunk + n);
  }
}

EntryResult TestEntry(archive* reader, std::uint32_t& crc) {
  char chunk[16384];
  crc = 0;
  for (;;) {
    const la_ssize_t n = archive_read_data(reader, chunk, sizeof chunk);
    if (n == 0) return EntryResult::kOk;
    if (n < 0) return EntryResult::kBadData;
    crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(chunk), static_cast<uInt>(n)));
  }
}

std::uint32_t Crc32(const std::vector<char>& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

bool ReplaceFileWith(const std::string& target, const std::vector<char>& data) {
  static std::atomic<unsigned> counter{0};
  if (target.empty() || target.size() >= MAX_PATH) return false;
  const size_t cut = target.find_last_of("\\/:");
  const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 8 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char name[48];
    wsprintfA(name, "~qx%lx-%x.tmp", GetCurrentProcessId(), counter++);
    temp = folder + name;
    if (temp.size() >= MAX_PATH) return false;
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = data.empty() || (WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                                   written == data.size());
  if (!CloseHandle(file) || !ok || !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

EntryResult ExtractEntry(archive* reader, archive_entry* entry, const std::string& target) {
  std::vector<char> data;
  const EntryResult result = ReadEntry(reader, entry, data);
  if (result != EntryResult::kOk) return result;
  return ReplaceFileWith(target, data) ? EntryResult::kOk : EntryResult::kWriteFailed;
}

int OpenArchiveFile(archive* reader, const char* path) { return archive_read_open_filename(reader, path, 65536); }

}  // namespace outside
