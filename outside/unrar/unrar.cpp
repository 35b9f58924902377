#include "unrar.h"

#include <windows.h>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "block_walk.h"
#include "entry_writer.h"
#include "file_names.h"
#include "file_source.h"
#include "outcome_cache.h"
#include "rar_format.h"
#include "stored_crc.h"

namespace {

// Bytes decoded per archive for members that are tested or passed over: a solid archive still
// needs them for the members after, but a hostile one must not keep us decoding for long. The
// second budget takes extracted members too, which are small but may be many.
constexpr std::uint64_t kPassedOverBudget = std::uint64_t{64} << 20;
constexpr std::uint64_t kDecodeBudget = std::uint64_t{256} << 20;
// Members passed over that a later solid member may still need.
constexpr size_t kMaxPassedOver = 65536;

// The file libarchive opened, read aside without disturbing it.
class ReaderFileSource : public rar::Source {
 public:
  explicit ReaderFileSource(outside::ArchiveFile* file) : file_(file), size_(outside::ArchiveSize(file)) {}
  std::uint64_t Size() const override { return size_; }
  size_t ReadAt(std::uint64_t offset, std::uint8_t* out, size_t size) override {
    if (offset >= size_) return 0;
    return outside::ReadArchiveAt(file_, static_cast<std::int64_t>(offset), out, size);
  }

 private:
  outside::ArchiveFile* file_;
  std::uint64_t size_;
};

// A RAR 1.5 to 4.x archive read and decoded by us: one packed by RAR 1.5 or 2.0, or one of stored
// members with headers libarchive does not read.
struct OwnArchive {
  explicit OwnArchive(const char* path) : file(path), headers(file), walker(headers), unpacker(file) {}

  outside::FileSource file;
  rar::CachedSource headers;
  rar::Walker walker;
  rar::Unpacker unpacker;
  rar::Status start = rar::Status::kOk;
  bool has_entry = false;
  rar::Entry entry;  // the last header's, until it is processed
  // Packed members of the current solid chain not decoded yet: a later solid member needs them.
  std::vector<rar::Entry> passed_over;
  bool chain_lost = false;  // more were passed over than we keep
  std::uint64_t passed_over_budget = kPassedOverBudget;
  std::uint64_t budget = kDecodeBudget;

  // Counts size decoded bytes against the budgets; false once they are spent.
  bool Spend(size_t size, bool kept) {
    if (size > budget || (!kept && size > passed_over_budget)) {
      budget = passed_over_budget = 0;
      return false;
    }
    budget -= size;
    if (!kept) passed_over_budget -= size;
    return true;
  }
};

// One call of a session on an archive and what it answered, so that the same calls on the archive,
// unchanged, can be answered without reading it.
struct Step {
  bool header = false;  // RARReadHeader, else RARProcessFile
  int result = 0;
  RarHeaderRecord record{};  // a header read, as filled in
  int operation = 0;         // RARProcessFile's
  bool named = false;        // extracted to the dest_name given
  bool wrote = false;        // extracted: file (when not named) was written with data
  std::string file;
  std::vector<char> data;
};

struct Journal {
  std::vector<Step> steps;
  std::size_t step_heap = 0;  // what the steps' names and bytes take on the heap
  // The memory it holds.
  std::size_t Bytes() const {
    return outside::HeapBlock(sizeof(Journal)) + outside::HeapBlock(steps.capacity() * sizeof(Step)) + step_heap;
  }
};

// Sessions of more calls or bytes than this are not kept; the cache would not take them anyway.
constexpr size_t kMaxJournalSteps = 256;
constexpr size_t kMaxJournalBytes = outside::kCachedBytes / 4;

outside::StampedCache<Journal>& Journals() {
  static outside::StampedCache<Journal> journals(outside::kCachedArchives, outside::kCachedBytes);
  return journals;
}

// Writes the extracted bytes to target; step, if given, keeps them.
int WriteOut(const std::string& target, std::vector<char>& data, Step* step) {
  if (!outside::ReplaceFileWith(target, data)) return kRarWriteFailed;
  if (step) {
    step->wrote = true;
    step->file = std::string(outside::FilePart(target));
    step->data = outside::Trimmed(std::move(data));
  }
  return kRarOk;
}

struct RarArchive {
  archive* reader = nullptr;
  std::string name;
  archive_entry* entry = nullptr;     // the entry of the last header, until it is processed
  std::int64_t header_position = -1;  // where the reader began that header
  outside::ArchiveFile* file = nullptr;
  std::uint32_t entries_read = 0;
  std::optional<std::uint32_t> entries_allowed;  // libarchive is not let past this many
  std::unique_ptr<OwnArchive> own;               // set instead of reader for the archives we decode
  // The calls so far, to keep at the close; null when not kept.
  std::optional<outside::FileStamp> stamp;
  std::shared_ptr<Journal> journal;
  std::uint32_t transient_failures = 0;  // as counted before the archive was opened
  // A session answered from a kept journal; it reads the archive only once the calls differ.
  std::shared_ptr<const Journal> replay;
  size_t replayed = 0;
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

int Extract(RarArchive& rar, archive_entry* entry, const char* dest_folder, const char* dest_name, Step* step) {
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
  return WriteOut(target, data, step);
}

std::string WideToAnsi(const wchar_t* wide, int length) {
  std::string text;
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), size, nullptr, nullptr);
  }
  return text;
}

// The name as libarchive gives it: a Unicode name in the ANSI code page, else the stored bytes.
std::string AnsiName(const rar::Entry& e) {
  std::string name = e.name;
  if (!e.wide_name.empty()) {
    const std::wstring wide(e.wide_name.begin(), e.wide_name.end());
    name = WideToAnsi(wide.data(), static_cast<int>(wide.size()));
  } else if (e.utf8_name) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, e.name.data(), static_cast<int>(e.name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, e.name.data(), static_cast<int>(e.name.size()), wide.data(), size);
    name = WideToAnsi(wide.data(), static_cast<int>(wide.size()));
  }
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

void FillOwnHeader(const RarArchive& rar, const rar::Entry& e, RarHeaderRecord& header) {
  CopyCut(header.archive_name, rar.name);
  CopyCut(header.file_name, AnsiName(e));
  const bool folder = e.folder();
  header.flags = folder ? kRarEntryFolder : 0;
  header.packed_size = 0;
  header.unpacked_size = folder || e.link() ? 0 : static_cast<std::uint32_t>(e.unpacked_size);
  header.host_os = 0;
  header.file_crc = 0;
  header.file_time = e.dos_time;
  header.unpack_version = 0;
  header.method = 0;
  header.file_attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  header.comment_size = 0;
  header.comment_state = 0;
}

bool TouchesWindow(const rar::Entry& e) { return !e.folder() && !e.stored() && e.unpacked_size > 0; }

// The member is not decoded now; a later member of its solid chain may need it.
void PassOver(OwnArchive& own, rar::Entry e) {
  if (!TouchesWindow(e)) return;
  if (!e.solid) {
    own.passed_over.clear();
    own.chain_lost = false;
  }
  if (own.passed_over.size() >= kMaxPassedOver) {
    own.passed_over.clear();
    own.chain_lost = true;
    return;
  }
  e.name.clear();
  e.wide_name.clear();
  own.passed_over.push_back(std::move(e));
}

rar::Sink BudgetSink(OwnArchive& own) {
  return [&own](const std::uint8_t*, size_t size) { return own.Spend(size, false); };
}

// Decodes e into sink, after the members of its solid chain that were passed over.
rar::Status DecodeOwn(OwnArchive& own, const rar::Entry& e, const rar::Sink& sink) {
  if (TouchesWindow(e)) {
    const bool lost = e.solid && own.chain_lost;
    if (!e.solid) own.chain_lost = false;
    if (e.solid && !lost) {
      const rar::Sink budget = BudgetSink(own);
      for (const rar::Entry& before : own.passed_over) {
        if (own.unpacker.Unpack(before, budget) != rar::Status::kOk) break;
      }
    }
    own.passed_over.clear();
    if (lost) return rar::Status::kCorrupt;
  }
  return own.unpacker.Unpack(e, sink);
}

int TestOwn(OwnArchive& own, const rar::Entry& e) {
  return DecodeOwn(own, e, BudgetSink(own)) == rar::Status::kOk ? kRarOk : kRarBadData;
}

int ExtractOwn(OwnArchive& own, const rar::Entry& e, const char* dest_folder, const char* dest_name, Step* step) {
  if (e.folder()) return kRarOk;  // folders are not recreated
  std::string target;
  int refusal = kRarOk;
  if (!e.regular()) {
    refusal = kRarBadData;  // links and devices are not written
  } else if (dest_name && *dest_name) {
    target = dest_name;
  } else {
    const std::string path = AnsiName(e);
    const std::string_view file = outside::FilePart(path);
    if (outside::IsSafeFileName(file)) {
      target = outside::JoinPath(dest_folder ? dest_folder : "", file);
    } else {
      refusal = kRarUnsafeName;
    }
  }
  if (refusal == kRarOk && e.unpacked_size > static_cast<std::uint64_t>(outside::kMaxEntrySize)) refusal = kRarTooLarge;
  if (refusal != kRarOk) {
    PassOver(own, e);
    return refusal;
  }
  std::vector<char> data;  // grows as bytes come, whatever the header declares
  const rar::Status status = DecodeOwn(own, e, [&own, &data](const std::uint8_t* bytes, size_t size) {
    if (data.size() + size > static_cast<size_t>(outside::kMaxEntrySize) || !own.Spend(size, true)) return false;
    data.insert(data.end(), bytes, bytes + size);
    return true;
  });
  if (status != rar::Status::kOk) return kRarBadData;
  return WriteOut(target, data, step);
}

int ReadOwnHeader(RarArchive& rar, RarHeaderRecord& header) {
  OwnArchive& own = *rar.own;
  if (own.has_entry) {
    own.has_entry = false;
    PassOver(own, std::move(own.entry));
  }
  if (own.start != rar::Status::kOk) return kRarBadData;
  const rar::Status status = own.walker.Next(own.entry);
  if (status == rar::Status::kEnd) return kRarEndOfArchive;
  if (status != rar::Status::kOk) return kRarBadData;
  FillOwnHeader(rar, own.entry, header);
  own.has_entry = true;
  return kRarOk;
}

int ProcessOwn(OwnArchive& own, int operation, const char* dest_folder, const char* dest_name, Step* step) {
  if (!own.has_entry) return kRarBadArgument;
  own.has_entry = false;
  const rar::Entry entry = std::move(own.entry);
  switch (operation) {
    case kRarTest:
      return TestOwn(own, entry);
    case kRarExtract:
      return ExtractOwn(own, entry, dest_folder, dest_name, step);
    default:
      PassOver(own, entry);
      return operation == kRarSkip ? kRarOk : kRarBadArgument;
  }
}

// Hands the archive to our own reader when it is one libarchive cannot read (see DecodesHere).
bool TakeOver(RarArchive& rar) try {
  ReaderFileSource file(rar.file);
  rar::CachedSource cached(file);
  if (!rar::DecodesHere(cached)) return false;
  auto own = std::make_unique<OwnArchive>(rar.name.c_str());
  if (!own->file.ok()) {
    outside::NoteTransientFailure();
    return false;
  }
  own->start = own->walker.Start();
  archive_read_free(rar.reader);
  rar.reader = nullptr;
  rar.file = nullptr;
  rar.own = std::move(own);
  return true;
} catch (const std::bad_alloc&) {
  outside::NoteTransientFailure();
  return false;  // libarchive keeps it
}

// Opens the archive for reading; returns a RarResult.
int OpenLive(RarArchive& rar) {
  rar.reader = archive_read_new();
  if (!rar.reader) return kRarNoMemory;
  archive_read_support_format_rar(rar.reader);
  archive_read_support_format_rar5(rar.reader);
  if (outside::OpenArchiveFile(rar.reader, rar.name.c_str(), &rar.file) != ARCHIVE_OK) {
    const DWORD attributes = GetFileAttributesA(rar.name.c_str());
    const bool readable = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    archive_read_free(rar.reader);
    rar.reader = nullptr;
    rar.file = nullptr;
    return readable ? kRarNotArchive : kRarOpenFailed;
  }
  outside::ArchiveFile* file = rar.file;
  rar.entries_allowed = unrar::EntriesBeforeHazard(
      [file](std::uint64_t offset, std::uint8_t* out, size_t size) {
        return outside::ReadArchiveAt(file, static_cast<std::int64_t>(offset), out, size);
      },
      outside::ArchiveSize(file));
  TakeOver(rar);
  return kRarOk;
}

int ReadHeaderLive(RarArchive& rar, RarHeaderRecord& header) {
  if (rar.own) return ReadOwnHeader(rar, header);
  if (!rar.reader) return kRarBadData;  // the archive could not be opened again
  rar.entry = nullptr;
  if (rar.entries_allowed && rar.entries_read >= *rar.entries_allowed) return kRarBadData;
  archive_entry* entry = nullptr;
  const int status = outside::NextHeader(rar.reader, &entry);
  if (status == ARCHIVE_EOF) return kRarEndOfArchive;
  if (status < ARCHIVE_WARN || !entry) return kRarBadData;
  // A reader that hands out entries without moving on would keep the caller's loop going for ever.
  const std::int64_t position = archive_read_header_position(rar.reader);
  if (position <= rar.header_position) {
    rar.entries_allowed = rar.entries_read;
    return kRarBadData;
  }
  FillHeader(rar, entry, header);
  rar.entry = entry;
  rar.header_position = position;
  ++rar.entries_read;
  return kRarOk;
}

int ProcessLive(RarArchive& rar, int operation, const char* dest_folder, const char* dest_name, Step* step) {
  if (rar.own) return ProcessOwn(*rar.own, operation, dest_folder, dest_name, step);
  if (!rar.reader) return kRarBadData;
  if (!rar.entry) return kRarBadArgument;
  archive_entry* entry = rar.entry;
  rar.entry = nullptr;
  switch (operation) {
    case kRarSkip:
      return kRarOk;  // the next header read skips the data
    case kRarTest:
      return Test(rar);
    case kRarExtract:
      return Extract(rar, entry, dest_folder, dest_name, step);
    default:
      return kRarBadArgument;
  }
}

// Adds the call to the journal, or ends the journal when the archive's bytes alone did not decide
// the answer: a write failed, memory ran out, or a transient failure was noted since the open.
void Record(RarArchive& rar, Step&& step) {
  if (!rar.journal) return;
  const bool decided_by_archive = step.result != kRarWriteFailed && step.result != kRarNoMemory &&
                                  outside::TransientFailures() == rar.transient_failures;
  if (decided_by_archive && rar.journal->steps.size() < kMaxJournalSteps) {
    try {
      Journal& journal = *rar.journal;
      journal.step_heap += outside::HeapBytes(step.file) + outside::HeapBytes(step.data);
      journal.steps.push_back(std::move(step));
      if (journal.Bytes() <= kMaxJournalBytes) return;
    } catch (const std::bad_alloc&) {
    }
  }
  rar.journal.reset();
}

// The calls differ from the kept session's: the archive is opened and the calls answered so far are
// made again, extractions as tests, so that it stands where the caller believes it stands.
bool LeaveReplay(RarArchive& rar) {
  const std::shared_ptr<const Journal> journal = std::move(rar.replay);
  rar.replay.reset();
  if (OpenLive(rar) != kRarOk) return false;
  RarHeaderRecord scratch{};
  for (size_t i = 0; i < rar.replayed; ++i) {
    const Step& step = journal->steps[i];
    if (step.header) {
      ReadHeaderLive(rar, scratch);
    } else {
      int operation = step.operation;
      if (operation == kRarExtract) {
        operation = step.result == kRarUnsafeName || step.result == kRarTooLarge ? kRarSkip : kRarTest;
      }
      ProcessLive(rar, operation, nullptr, nullptr, nullptr);
    }
  }
  return true;
}

// After an exception the session stands where no answer of the archive's put it: nothing of it is kept.
void EndJournal(RarHandle handle) {
  if (handle) static_cast<RarArchive*>(handle)->journal.reset();
}

const Step* NextReplayed(RarArchive& rar, bool header, int operation, bool named) {
  if (!rar.replay || rar.replayed >= rar.replay->steps.size()) return nullptr;
  const Step& step = rar.replay->steps[rar.replayed];
  if (step.header != header || (!header && (step.operation != operation || step.named != named))) return nullptr;
  ++rar.replayed;
  return &step;
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
  auto rar = std::make_unique<RarArchive>();
  rar->name = record->archive_name;
  rar->stamp = outside::SettledStampOf(record->archive_name);
  if (rar->stamp) rar->replay = Journals().Find(rar->name, *rar->stamp, outside::NowMs());
  if (!rar->replay) {
    rar->transient_failures = outside::TransientFailures();
    record->open_result = OpenLive(*rar);
    if (record->open_result != kRarOk) return nullptr;
    if (rar->stamp && outside::TransientFailures() == rar->transient_failures) {
      try {
        rar->journal = std::make_shared<Journal>();
      } catch (const std::bad_alloc&) {
        // The session is not kept.
      }
    }
  }
  record->open_result = kRarOk;
  return rar.release();
} catch (const std::bad_alloc&) {
  if (record) record->open_result = kRarNoMemory;
  return nullptr;
}

int __stdcall RARReadHeader(RarHandle handle, RarHeaderRecord* header) try {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar || !header) return kRarBadArgument;
  if (rar->replay) {
    if (const Step* step = NextReplayed(*rar, true, 0, false)) {
      if (step->result != kRarOk) return step->result;  // the record is left as it was
      char* const comment_buffer = header->comment_buffer;
      const std::uint32_t comment_buffer_size = header->comment_buffer_size;
      *header = step->record;
      header->comment_buffer = comment_buffer;
      header->comment_buffer_size = comment_buffer_size;
      return step->result;
    }
    if (!LeaveReplay(*rar)) return kRarBadData;
  }
  const int result = ReadHeaderLive(*rar, *header);
  if (rar->journal) {
    Step step;
    step.header = true;
    step.result = result;
    if (result == kRarOk) step.record = *header;
    Record(*rar, std::move(step));
  }
  return result;
} catch (const std::bad_alloc&) {
  EndJournal(handle);
  return kRarNoMemory;
}

int __stdcall RARProcessFile(RarHandle handle, int operation, char* dest_folder, char* dest_name) try {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar) return kRarBadArgument;
  const bool named = dest_name && *dest_name;
  if (rar->replay) {
    if (const Step* step = NextReplayed(*rar, false, operation, named)) {
      if (!step->wrote) return step->result;
      const std::string target =
          named ? std::string(dest_name) : outside::JoinPath(dest_folder ? dest_folder : "", step->file);
      return outside::ReplaceFileWith(target, step->data) ? step->result : kRarWriteFailed;
    }
    if (!LeaveReplay(*rar)) return kRarBadData;
  }
  Step step;
  step.operation = operation;
  step.named = named;
  step.result = ProcessLive(*rar, operation, dest_folder, dest_name, rar->journal ? &step : nullptr);
  const int result = step.result;
  Record(*rar, std::move(step));
  return result;
} catch (const std::bad_alloc&) {
  EndJournal(handle);
  return kRarNoMemory;
}

int __stdcall RARCloseArchive(RarHandle handle) {
  auto* rar = static_cast<RarArchive*>(handle);
  if (!rar) return kRarBadArgument;
  if (rar->journal && rar->stamp && outside::TransientFailures() == rar->transient_failures) {
    try {
      rar->journal->steps.shrink_to_fit();
      Journals().Store(rar->name, *rar->stamp, std::move(rar->journal), outside::NowMs());
    } catch (const std::bad_alloc&) {
      // Not kept: the next session reads the archive.
    }
  }
  if (rar->reader) archive_read_free(rar->reader);
  delete rar;
  return kRarOk;
}
