#include "unrar.h"

#include <windows.h>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "block_walk.h"
#include "entry_writer.h"
#include "file_names.h"
#include "stored_crc.h"

namespace {

struct RarArchive {
  archive* reader = nullptr;
  std::string name;
  archive_entry* entry = nullptr;     // the entry of the last header, until it is processed
  std::int64_t header_position = -1;  // where the reader began that header
  outside::ArchiveFile* file = nullptr;
  std::uint32_t entries_read = 0;
  std::optional<std::uint32_t> entries_allowed;  // libarchive is not let past this many
};

void CopyCut(char (&field)[260], const std::string& text) {
  const size_t n = text.size() < sizeof field - 1 ? text.size() : sizeof field - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

std::uint32_t DosTime(time_t when) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(when) + 11644473600ULL) * 10000000ULL;
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, local;
  WORD date = 0, time = 0;
  if (when <= 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return (static_cast<std::uint32_t>(date) << 16) | time;
}

void FillHeader(const RarArchive& rar, archive_entry* entry, RarHeaderRecord& header) {
  CopyCut(header.archive_name, rar.name);
  CopyCut(header.file_name, outside::EntryPath(entry));
  const bool folder = archive_entry_filetype(entry) == AE_IFDIR;
  const std::int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
  header.flags = folder ? kRarEntryFolder : 0;
  header.packed_size = 0;
  header.unpacked_size = static_cast<std::uint32_t>(size);
  header.host_os = 0;
  header.file_crc = 0;
  header.file_time = archive_entry_mtime_is_set(entry) ? DosTime(archive_entry_mtime(entry)) : 0;
  header.unpack_version = 0;
  header.method = 0;
  header.file_attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  header.comment_size = 0;
  header.comment_state = 0;
}

int FromEntryResult(outside::EntryResult result) {
  switch (result) {
    case outside::EntryResult::kOk:
      return kRarOk;
    case outside::EntryResult::kTooLarge:
      return kRarTooLarge;
    case outside::EntryResult::kBadData:
      return kRarBadData;
    case outside::EntryResult::kWriteFailed:
      return kRarWriteFailed;
  }
  return kRarBadData;
}

bool StoredCrcDiffers(const RarArchive& rar, std::uint32_t crc) {
  if (rar.header_position < 0) return false;
  std::vector<std::uint8_t> blocks(16384);
  blocks.resize(outside::ReadArchiveAt(rar.file, rar.header_position, blocks.data(), blocks.size()));
  const bool rar5 = archive_format(rar.reader) == ARCHIVE_FORMAT_RAR_V5;
  return unrar::CheckStoredCrc(blocks, rar.header_position == 0, rar5, crc) == unrar::CrcCheck::kDiffers;
}

int Test(RarArchive& rar) {
  std::uint32_t crc = 0;
  const outside::EntryResult result = outside::TestEntry(rar.reader, crc);
  if (result != outside::EntryResult::kOk) return FromEntryResult(result);
  return StoredCrcDiffers(rar, crc) ? kRarBadData : kRarOk;
}

int Extract(RarArchive& rar, archive_entry* entry, const char* dest_folder, const char* dest_name) {
  const auto type = archive_entry_filetype(entry);
  if (type == AE_IFDIR) return kRarOk;       // folders are not recreated
  if (type != AE_IFREG) return kRarBadData;  // links and devices are not written
  std::string target;
  if (dest_name && *dest_name) {
    target = dest_name;
  } else {
    const std::string path = outside::EntryPath(entry);
    const std::string_view file = outside::FilePart(path);
    if (!outside::IsSafeFileName(file)) return kRarUnsafeName;
    target = outside::JoinPath(dest_folder ? dest_folder : "", file);
  }
  std::vector<char> data;
  const outside::EntryResult result = outside::ReadEntry(rar.reader, entry, data);
  if (result != outside::EntryResult::kOk) return FromEntryResult(result);
  if (StoredCrcDiffers(rar, outside::Crc32(data))) return kRarBadData;
  return outside::ReplaceFileWith(target, data) ? kRarOk : kRarWriteFailed;
}

}  // namespace

RarHandle __stdcall RAROpenArchive(RarOpenRecord* record) try {
  if (!record) return nullptr;
  record->comment_size = 0;
  record->comment_state = 0;
  if (!record->archive_name) {
    record->open_result = kRarBadArgument;
    return nullptr;
  }
  auto* rar = new RarArchive;
  rar->name = record->archive_name;
  rar->reader = archive_read_new();
  if (!rar->reader) {
    delete rar;
    record->open_result = kRarNoMemory;
    return nullptr;
  }
  archive_read_support_format_rar(rar->reader);
  archive_read_support_format_rar5(rar->reader);
  if (outside::OpenArchiveFile(rar->reader, record->archive_name, &rar->file) != ARCHIVE_OK) {
    const DWORD attributes = GetFileAttributesA(record->archive_name);
    const bool readable = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    record->open_result = readable ? kRarNotArchive : kRarOpenFailed;
    archive_read_free(rar->reader);
    delete rar;
    return nullptr;
  }
  outside::ArchiveFile* file = rar->file;
  rar->entries_allowed = unrar::EntriesBeforeHazard(
      [file](std::uint64_t offset, std::uint8_t* out, size_t size) {
        return outside::ReadArchiveAt(file, static_cast<std::int64_t>(offset), out, size);
      },
      outside::ArchiveSize(file));
  record->open_result = kRarOk;
  return rar;
} catch (const std::bad_alloc&) {
  if (record) record->open_result = kRarNoMemory;
  return nullptr;
}

int __stdcall RARReadHeader(RarHandle handle, RarHeaderRecord* header) try {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar || !header) return kRarBadArgument;
  rar->entry = nullptr;
  if (rar->entries_allowed && rar->entries_read >= *rar->entries_allowed) return kRarBadData;
  archive_entry* entry = nullptr;
  const int status = outside::NextHeader(rar->reader, &entry);
  if (status == ARCHIVE_EOF) return kRarEndOfArchive;
  if (status < ARCHIVE_WARN || !entry) return kRarBadData;
  // A reader that hands out entries without moving on would keep the caller's loop going for ever.
  const std::int64_t position = archive_read_header_position(rar->reader);
  if (position <= rar->header_position) {
    rar->entries_allowed = rar->entries_read;
    return kRarBadData;
  }
  FillHeader(*rar, entry, *header);
  rar->entry = entry;
  rar->header_position = position;
  ++rar->entries_read;
  return kRarOk;
} catch (const std::bad_alloc&) {
  return kRarNoMemory;
}

int __stdcall RARProcessFile(RarHandle handle, int operation, char* dest_folder, char* dest_name) try {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar || !rar->entry) return kRarBadArgument;
  archive_entry* entry = rar->entry;
  rar->entry = nullptr;
  switch (operation) {
    case kRarSkip:
      return kRarOk;  // the next header read skips the data
    case kRarTest:
      return Test(*rar);
    case kRarExtract:
      return Extract(*rar, entry, dest_folder, dest_name);
    default:
      return kRarBadArgument;
  }
} catch (const std::bad_alloc&) {
  return kRarNoMemory;
}

int __stdcall RARCloseArchive(RarHandle handle) {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar) return kRarBadArgument;
  archive_read_free(rar->reader);
  delete rar;
  return kRarOk;
}
