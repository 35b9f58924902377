#include "file_source.h"

#include <algorithm>

#include "outcome_cache.h"

namespace outside {

FileSource::FileSource(const char* path) {
  handle_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size;
  if (handle_ == INVALID_HANDLE_VALUE) return;
  if (!GetFileSizeEx(handle_, &size) || size.QuadPart < 0) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return;
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
}

FileSource::~FileSource() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) {
  if (offset >= size_) return 0;
  size = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
  LARGE_INTEGER where;
  where.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(handle_, where, nullptr, FILE_BEGIN)) {
    NoteTransientFailure();
    return 0;
  }
  std::size_t done = 0;
  while (done < size) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    if (!ReadFile(handle_, out + done, chunk, &got, nullptr)) {
      NoteTransientFailure();
      break;
    }
    if (got == 0) break;  // the file became shorter: its stamp changes too
    done += got;
  }
  return done;
}

}  // namespace outside
