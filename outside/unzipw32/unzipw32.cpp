#include "unzipw32.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "entry_writer.h"
#include "file_names.h"
#include "outcome_cache.h"
#include "zip_legacy.h"

namespace {

// An entry of at most 1 MiB takes less than this in any of the legacy methods.
constexpr std::uint32_t kMaxLegacyPacked = 4u << 20;
// Bytes decoded per archive, by libarchive and by our legacy decoders: each entry is small, but a
// hostile archive may hold thousands of them under the wanted name.
constexpr std::uint64_t kDecodeBudget = std::uint64_t{256} << 20;

struct Reader {
  archive* handle = archive_read_new();
  ~Reader() { archive_read_free(handle); }
};

// The archive through the file libarchive has open.
class ArchiveSource : public zip::Source {
 public:
  explicit ArchiveSource(outside::ArchiveFile* file) : file_(file), size_(outside::ArchiveSize(file)) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
    if (offset >= Size()) return 0;
    return outside::ReadArchiveAt(file_, static_cast<std::int64_t>(offset), out, size);
  }

 private:
  outside::ArchiveFile* file_;
  std::uint64_t size_;
};

// The entries libarchive cannot decode, found through the central directory.
struct LegacyEntries {
  explicit LegacyEntries(outside::ArchiveFile* file) : source(file), directory(source) {}
  LegacyEntries(const LegacyEntries&) = delete;
  LegacyEntries& operator=(const LegacyEntries&) = delete;
  ArchiveSource source;
  zip::LegacyDirectory directory;
};

// Extracts the entry whose data starts at data_offset when it is packed with a method libarchive
// lacks; the central directory gives its method, sizes and CRC.
outside::EntryResult ExtractLegacyEntry(LegacyEntries& legacy, std::int64_t data_offset, const std::string& target,
                                        std::uint64_t& budget, outside::Outcome& outcome) {
  zip::Entry entry;
  if (data_offset < 0 || legacy.directory.Find(static_cast<std::uint64_t>(data_offset), entry) != zip::Status::kOk) {
    return outside::EntryResult::kBadData;
  }
  if (entry.size > outside::kMaxEntrySize) return outside::EntryResult::kTooLarge;
  if (entry.packed_size > kMaxLegacyPacked || entry.size > budget) return outside::EntryResult::kBadData;
  budget -= entry.size;
  std::vector<std::uint8_t> packed(entry.packed_size);
  if (legacy.directory.ReadAt(entry.data_offset, packed.data(), packed.size()) != packed.size()) {
    return outside::EntryResult::kBadData;
  }
  std::vector<char> data(entry.size);
  if (zip::Decode(entry, packed.data(), reinterpret_cast<std::uint8_t*>(data.data())) != zip::Status::kOk) {
    return outside::EntryResult::kBadData;
  }
  return outside::WriteEntry(target, std::move(data), &outcome);
}

std::int32_t Unzip(const char* archive_path, const char* dest_folder, const char* file_spec,
                   outside::Outcome& outcome) {
  Reader reader;
  if (!reader.handle) return kUnzipOpenFailed;
  // The seekable reader works from the central directory and decodes only the entries read.
  archive_read_support_format_zip_seekable(reader.handle);
  outside::ArchiveFile* file = nullptr;
  if (outside::OpenArchiveFile(reader.handle, archive_path, &file) != ARCHIVE_OK) return kUnzipOpenFailed;
  std::optional<LegacyEntries> legacy;  // read when libarchive first fails on an entry
  std::uint64_t budget = kDecodeBudget;
  std::int32_t written = 0;
  for (;;) {
    archive_entry* entry = nullptr;
    const int status = outside::NextHeader(reader.handle, &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN || !entry) return written > 0 ? written : kUnzipBadArchive;
    if (archive_entry_filetype(entry) != AE_IFREG) continue;
    const std::string path = outside::EntryPath(entry);
    const std::string_view name = outside::FilePart(path);
    if (!outside::SameFileName(name, file_spec) || !outside::IsSafeFileName(name)) continue;
    const std::string target = outside::JoinPath(dest_folder, name);
    // Right after the header the reader stands at the entry's data.
    const std::int64_t data_offset = archive_filter_bytes(reader.handle, 0);
    // Entries over the size limit are refused before anything is decoded, so they cost nothing.
    const std::int64_t declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : outside::kMaxEntrySize;
    const std::uint64_t cost =
        declared > outside::kMaxEntrySize ? 0 : static_cast<std::uint64_t>(std::max<std::int64_t>(declared, 0));
    if (cost > budget) break;  // what was written so far stands
    budget -= cost;
    outside::EntryResult result = outside::ExtractEntry(reader.handle, entry, target, &outcome);
    if (result == outside::EntryResult::kBadData) {
      if (!legacy) legacy.emplace(file);
      result = ExtractLegacyEntry(*legacy, data_offset, target, budget, outcome);
    }
    if (result == outside::EntryResult::kOk) ++written;
  }
  return written;
}

}  // namespace

std::int32_t __stdcall FileUnzipEx(const char* archive_path, const char* dest_folder, const char* file_spec) try {
  if (!archive_path || !*archive_path || !dest_folder || !*dest_folder || !file_spec || !*file_spec) {
    return kUnzipBadArgument;
  }
  return outside::CachedExtraction(
      archive_path, file_spec, dest_folder, kUnzipOpenFailed,
      [&](outside::Outcome& outcome) { return Unzip(archive_path, dest_folder, file_spec, outcome); });
} catch (const std::bad_alloc&) {
  return kUnzipNothingExtracted;
}
