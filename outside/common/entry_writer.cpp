#include "entry_writer.h"

#include <windows.h>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "file_names.h"
#include "outcome_cache.h"

namespace outside {

namespace {

// A failure of the reader that ran out of memory says nothing about the archive.
void NoteIfOutOfMemory(archive* reader) {
  if (errno == ENOMEM || archive_errno(reader) == ENOMEM) NoteTransientFailure();
}

}  // namespace

int NextHeader(archive* reader, archive_entry** entry) {
  errno = 0;
  const int status = archive_read_next_header(reader, entry);
  if (status < ARCHIVE_WARN) NoteIfOutOfMemory(reader);
  return status;
}

EntryResult ReadEntry(archive* reader, archive_entry* entry, std::vector<char>& data) {
  data.clear();
  // The buffer grows as bytes come: a header may declare far more than the entry holds.
  if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > kMaxEntrySize) return EntryResult::kTooLarge;
  char chunk[16384];
  for (;;) {
    errno = 0;
    const la_ssize_t n = archive_read_data(reader, chunk, sizeof chunk);
    if (n == 0) return EntryResult::kOk;
    if (n < 0) {
      NoteIfOutOfMemory(reader);
      return EntryResult::kBadData;
    }
    // A header may understate the size; the limit holds for what actually comes out.
    if (static_cast<std::int64_t>(data.size()) + n > kMaxEntrySize) return EntryResult::kTooLarge;
    data.insert(data.end(), chunk, chunk + n);
  }
}

EntryResult TestEntry(archive* reader, std::uint32_t& crc) {
  char chunk[16384];
  crc = 0;
  for (;;) {
    errno = 0;
    const la_ssize_t n = archive_read_data(reader, chunk, sizeof chunk);
    if (n == 0) return EntryResult::kOk;
    if (n < 0) {
      NoteIfOutOfMemory(reader);
      return EntryResult::kBadData;
    }
    crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(chunk), static_cast<uInt>(n)));
  }
}

std::uint32_t Crc32(const std::vector<char>& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

EntryResult ExtractEntry(archive* reader, archive_entry* entry, const std::string& target, Outcome* outcome) {
  std::vector<char> data;
  const EntryResult result = ReadEntry(reader, entry, data);
  if (result != EntryResult::kOk) return result;
  return WriteEntry(target, std::move(data), outcome);
}

EntryResult WriteEntry(const std::string& target, std::vector<char> data, Outcome* outcome) {
  if (!ReplaceFileWith(target, data)) {
    if (outcome) outcome->complete = false;
    return EntryResult::kWriteFailed;
  }
  if (outcome) outcome->Written(FilePart(target), std::move(data));
  return EntryResult::kOk;
}

namespace {

// The archive file read straight through Win32: libarchive's own file reader goes through the C
// runtime's open, fstat and lseek, which cost several times as much under Wine.
}  // namespace

struct ArchiveFile {
  HANDLE file;
  char buffer[16384];
};

namespace {

using FileSource = ArchiveFile;

la_ssize_t ReadBlock(archive* reader, void* data, const void** block) {
  auto* source = static_cast<FileSource*>(data);
  DWORD read = 0;
  if (!ReadFile(source->file, source->buffer, sizeof source->buffer, &read, nullptr)) {
    NoteTransientFailure();
    archive_set_error(reader, EIO, "read error");
    return -1;
  }
  *block = source->buffer;
  return static_cast<la_ssize_t>(read);
}

la_int64_t Seek(archive*, void* data, la_int64_t offset, int whence) {
  auto* source = static_cast<FileSource*>(data);
  const DWORD method = whence == SEEK_SET ? FILE_BEGIN : whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER move, now;
  move.QuadPart = offset;
  return SetFilePointerEx(source->file, move, &now, method) ? now.QuadPart : ARCHIVE_FATAL;
}

la_int64_t Skip(archive* reader, void* data, la_int64_t request) {
  // Past the end is fine: the next read then finds nothing and the reader reports truncation.
  return Seek(reader, data, request, SEEK_CUR) < 0 ? 0 : request;
}

int Close(archive*, void* data) {
  auto* source = static_cast<FileSource*>(data);
  CloseHandle(source->file);
  delete source;
  return ARCHIVE_OK;
}

}  // namespace

int OpenArchiveFile(archive* reader, const char* path, ArchiveFile** file_out) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ARCHIVE_FATAL;
  auto* source = new (std::nothrow) FileSource{file, {}};
  if (!source) {
    CloseHandle(file);
    return ARCHIVE_FATAL;
  }
  if (file_out) *file_out = source;
  archive_read_set_callback_data(reader, source);
  archive_read_set_read_callback(reader, ReadBlock);
  archive_read_set_skip_callback(reader, Skip);
  archive_read_set_seek_callback(reader, Seek);
  archive_read_set_close_callback(reader, Close);
  // The close callback runs whether or not the open succeeds.
  errno = 0;
  return archive_read_open1(reader);
}

size_t ReadArchiveAt(ArchiveFile* file, std::int64_t offset, void* buffer, size_t size) {
  LARGE_INTEGER zero{}, kept, where;
  where.QuadPart = offset;
  DWORD read = 0;
  if (!file) return 0;
  if (!SetFilePointerEx(file->file, zero, &kept, FILE_CURRENT)) {
    NoteTransientFailure();
    return 0;
  }
  if (offset < 0) {
    read = 0;
  } else if (!SetFilePointerEx(file->file, where, nullptr, FILE_BEGIN) ||
             !ReadFile(file->file, buffer, static_cast<DWORD>(size), &read, nullptr)) {
    NoteTransientFailure();
    read = 0;
  }
  SetFilePointerEx(file->file, kept, nullptr, FILE_BEGIN);
  return read;
}

std::uint64_t ArchiveSize(ArchiveFile* file) {
  LARGE_INTEGER size;
  return file && GetFileSizeEx(file->file, &size) && size.QuadPart > 0 ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

namespace {

std::string WideToAnsi(const wchar_t* wide) {
  std::string text;
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size > 1) {
    text.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<size_t>(size - 1));
  }
  return text;
}

// Each name getter converts, and a failed conversion ends the process unless errno is clear (see NextHeader).
template <typename Text>
Text* Converted(Text* (*getter)(archive_entry*), archive_entry* entry) {
  errno = 0;
  return getter(entry);
}

}  // namespace

std::string EntryPath(archive_entry* entry) {
  // Characters the ANSI code page lacks come out as '?', which IsSafeFileName refuses.
  std::string path;
  if (const char* narrow = Converted(archive_entry_pathname, entry)) {
    path = narrow;
  } else if (const wchar_t* wide = Converted(archive_entry_pathname_w, entry)) {
    path = WideToAnsi(wide);
  } else if (const char* utf8 = Converted(archive_entry_pathname_utf8, entry)) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (size > 1) {
      std::wstring wide(static_cast<size_t>(size), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), size);
      path = WideToAnsi(wide.c_str());
    }
  }
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace outside
