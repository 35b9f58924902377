// Thin Win32 adapter over the ACE decoder.
#include "unacev2.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ace_decoder.h"
#include "file_names.h"
#include "file_source.h"
#include "file_target.h"
#include "outcome_cache.h"

namespace {

int ResultOf(ace::Status status) {
  switch (status) {
    case ace::Status::kOk:
      return kAceOk;
    case ace::Status::kNotAce:
    case ace::Status::kTruncated:
    case ace::Status::kBadHeader:
    case ace::Status::kHeaderCrc:
      return kAceBadArchive;
    case ace::Status::kEncrypted:
    case ace::Status::kMultiVolume:
    case ace::Status::kUnsupported:
      return kAceUnsupported;
    case ace::Status::kCorrupt:
    case ace::Status::kCrcMismatch:
      return kAceDataError;
    case ace::Status::kTooLarge:
      return kAceTooLarge;
    case ace::Status::kSinkFailed:
      return kAceWriteError;
  }
  return kAceDataError;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameCaseBlind(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::vector<std::string> SplitNames(const char* names) {
  std::vector<std::string> out;
  std::string current;
  for (const char* p = names; *p; ++p) {
    if (*p == '\r' || *p == '\n' || *p == ';') {
      if (!current.empty()) out.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

// Decodes one member whole and, once its CRC matched, writes it over target; outcome learns what
// was written. An older copy may be read-only; it is still ours to replace.
int ExtractMember(ace::Unpacker& unpacker, const ace::Member& member, const std::string& target,
                  outside::Outcome& outcome) {
  std::vector<char> data;  // grows as bytes arrive: the declared size is the archive's word only
  const ace::Status status = unpacker.Unpack(member, [&](const std::uint8_t* bytes, std::size_t size) {
    if (data.size() + size > member.original_size) return false;
    data.insert(data.end(), bytes, bytes + size);
    return true;
  });
  if (status != ace::Status::kOk) return ResultOf(status);
  if (data.size() != member.original_size) return kAceDataError;
  bool written = outside::ReplaceFileWith(target, data);
  if (!written) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    written = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
              !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
              SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) &&
              outside::ReplaceFileWith(target, data);
  }
  if (!written) {
    outcome.complete = false;
    return kAceWriteError;
  }
  outcome.Written(outside::FilePart(target), std::move(data));
  return kAceOk;
}

// ACEExtract on an archive not answered from the cache.
int ExtractNamed(const char* archive, const AceExtractRecord& record, outside::Outcome& outcome) {
  const std::vector<std::string> wanted = SplitNames(record.names);
  const std::string folder = record.destination;
  outside::FileSource source(archive);
  if (!source.ok()) return static_cast<int>(kAceCannotOpen);
  const ace::Directory dir = ace::ReadDirectory(source);
  if (dir.members.empty() && dir.status != ace::Status::kOk) return ResultOf(dir.status);

  ace::Unpacker unpacker(source, kAceSkipLimit);
  const bool solid = dir.info.solid() || std::any_of(dir.members.begin(), dir.members.end(),
                                                     [](const ace::Member& m) { return m.solid(); });
  auto matches = [&](const ace::Member& m) {
    const std::string part = m.file_part();
    return !m.is_folder() && outside::IsSafeFileName(part) &&
           std::any_of(wanted.begin(), wanted.end(),
                       [&](const std::string& name) { return SameNameCaseBlind(name, part); });
  };
  // Nothing after the last match matters, not even in a solid archive.
  const auto last = std::find_if(dir.members.rbegin(), dir.members.rend(), matches);
  const std::size_t count = static_cast<std::size_t>(dir.members.rend() - last);
  int result = kAceNotFound;
  bool written = false;
  for (std::size_t i = 0; i < count; ++i) {
    const ace::Member& m = dir.members[i];
    if (!matches(m)) {
      // A solid archive's later members need this one's bytes in the window.
      if (solid) unpacker.Unpack(m, nullptr);
      continue;
    }
    int r;
    if (m.original_size > kAceExtractLimit) {
      if (solid) unpacker.Unpack(m, nullptr);
      r = kAceTooLarge;
    } else {
      r = ExtractMember(unpacker, m, outside::JoinPath(folder, m.file_part()), outcome);
    }
    if (r == kAceOk) written = true;
    if (!written) result = r;
  }
  if (written) return static_cast<int>(kAceOk);
  // A damaged directory may have hidden the member we were asked for.
  if (result == kAceNotFound && dir.status != ace::Status::kOk) return ResultOf(dir.status);
  return result;
}

template <typename Body>
int Guarded(Body body) {
  try {
    return body();
  } catch (...) {  // out of memory, mostly; nothing may cross the DLL boundary
    return static_cast<int>(kAceDataError);
  }
}

}  // namespace

extern "C" {

int __stdcall ACEInitDll(AceInitRecord* record) { return record ? kAceOk : kAceBadArgument; }

int __stdcall ACEReadArchiveData(const char* archive, AceArchiveData* data) {
  if (!archive || !data) return kAceBadArgument;
  return Guarded([&] {
    outside::FileSource source(archive);
    if (!source.ok()) return static_cast<int>(kAceCannotOpen);
    const ace::Directory dir = ace::ReadDirectory(source);
    if (dir.status == ace::Status::kNotAce || (dir.status == ace::Status::kHeaderCrc && dir.members.empty())) {
      return ResultOf(dir.status);
    }
    std::memset(data, 0, sizeof *data);
    data->flags = dir.info.flags;
    data->version_extract = dir.info.version_extract;
    data->version_created = dir.info.version_created;
    data->host = dir.info.host;
    data->volume = dir.info.volume;
    data->time_created = dir.info.time_created;
    data->member_count = static_cast<std::uint32_t>(dir.members.size());
    data->solid = dir.info.solid() ? 1 : 0;
    return ResultOf(dir.status);
  });
}

int __stdcall ACEList(const char* archive, AceListRecord* record) {
  if (!archive || !record || (record->capacity > 0 && !record->buffer)) return kAceBadArgument;
  return Guarded([&] {
    outside::FileSource source(archive);
    if (!source.ok()) return static_cast<int>(kAceCannotOpen);
    const ace::Directory dir = ace::ReadDirectory(source);
    if (dir.status == ace::Status::kNotAce) return ResultOf(dir.status);
    std::string list;
    for (const ace::Member& m : dir.members) list += m.name + "\r\n";
    record->member_count = static_cast<std::uint32_t>(dir.members.size());
    record->needed = static_cast<std::uint32_t>(list.size() + 1);
    if (record->capacity < list.size() + 1) {
      if (record->capacity > 0) record->buffer[0] = '\0';
      return static_cast<int>(kAceBufferTooSmall);
    }
    std::memcpy(record->buffer, list.c_str(), list.size() + 1);
    return ResultOf(dir.status);
  });
}

int __stdcall ACETest(const char* archive) {
  if (!archive) return kAceBadArgument;
  return Guarded([&] {
    outside::FileSource source(archive);
    if (!source.ok()) return static_cast<int>(kAceCannotOpen);
    const ace::Directory dir = ace::ReadDirectory(source);
    int result = ResultOf(dir.status);
    ace::Unpacker unpacker(source);
    for (const ace::Member& m : dir.members) {
      const int r = ResultOf(unpacker.Unpack(m, nullptr));
      if (result == kAceOk) result = r;
    }
    return result;
  });
}

int __stdcall ACEExtract(const char* archive, AceExtractRecord* record) {
  if (!archive || !record || !record->names || !record->destination) return kAceBadArgument;
  return Guarded([&] {
    return outside::CachedExtraction(
        archive, record->names, record->destination, kAceCannotOpen,
        [&](outside::Outcome& outcome) { return ExtractNamed(archive, *record, outcome); });
  });
}

}  // extern "C"
