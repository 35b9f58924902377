#pragma once
// Decoding one archive entry and writing it all or not at all.
#include <cstdint>
#include <string>
#include <vector>

#include "file_target.h"

struct archive;
struct archive_entry;

namespace outside {

// Entries larger than this are refused before anything is decoded.
constexpr std::int64_t kMaxEntrySize = std::int64_t{1} << 20;

enum class EntryResult {
  kOk,
  kTooLarge,     // more than kMaxEntrySize bytes
  kBadData,      // the reader failed, CRC mismatch included
  kWriteFailed,  // the target could not be created or replaced
};

// archive_read_next_header from a clear errno. libarchive ends the whole process when a name
// conversion fails while errno reads ENOMEM, and a failed allocation before it, in an earlier archive
// or earlier in this one, leaves exactly that value behind. Every call below clears errno likewise.
int NextHeader(archive* reader, archive_entry** entry);

// Reads the current entry to its end, so that the reader checks its CRC, into data.
EntryResult ReadEntry(archive* reader, archive_entry* entry, std::vector<char>& data);

// Reads the current entry to its end without keeping it; crc gets the CRC-32 of its bytes.
EntryResult TestEntry(archive* reader, std::uint32_t& crc);

// CRC-32 of data.
std::uint32_t Crc32(const std::vector<char>& data);

struct Outcome;

// ReplaceFileWith for decoded bytes; outcome, if given, learns what was written or that a write failed.
EntryResult WriteEntry(const std::string& target, std::vector<char> data, Outcome* outcome = nullptr);

// ReadEntry, then WriteEntry.
EntryResult ExtractEntry(archive* reader, archive_entry* entry, const std::string& target, Outcome* outcome = nullptr);

// The archive file behind a reader opened by OpenArchiveFile; it lives until archive_read_free.
struct ArchiveFile;

// Opens path for reader (its formats already enabled) through Win32 file calls; file, if given,
// receives the file for ReadArchiveAt. Returns a libarchive status.
int OpenArchiveFile(archive* reader, const char* path, ArchiveFile** file = nullptr);

// Reads up to size bytes at offset without moving the reader's position; returns the count read.
size_t ReadArchiveAt(ArchiveFile* file, std::int64_t offset, void* buffer, size_t size);

// The archive file's size in bytes; 0 when it cannot be told.
std::uint64_t ArchiveSize(ArchiveFile* file);

// The entry's path in the ANSI code page with '\' separators; "" when it has none.
std::string EntryPath(archive_entry* entry);

}  // namespace outside
