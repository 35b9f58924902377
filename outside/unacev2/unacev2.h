#pragma once
// UnAceV2.Dll: reads ACE 1.0 / 2.0 archives. Five stdcall entry points, exported undecorated.
// All records are little-endian, byte-packed, laid out for 32-bit pointers; texts are 8-bit and NUL-terminated.
#include <cstddef>
#include <cstdint>

#include "record_layout.h"

#pragma pack(push, 1)

// Handed to ACEInitDll once. The library keeps no pointer from it.
struct AceInitRecord {
  std::uint32_t user_value;        // 0: not used
  std::uint32_t test_limit;        // 4: caller sets 0x1FFFF; not used
  std::uint32_t buffer_limit;      // 8: caller sets 0x2FFFF; not used
  char* comment_buffer;            // 12: comments are skipped, nothing is written here
  std::uint32_t comment_capacity;  // 16
  std::uint8_t reserved1[80];      // 20
  char* temp_folder;               // 100: not used; extraction never needs a temp folder
  std::uint8_t reserved2[220];     // 104
};

// Handed to ACEExtract.
struct AceExtractRecord {
  const char* base_folder;      // 0: not used (empty text)
  const char* names;            // 4: file names to extract, separated by CR, LF or ';'
  const char* excluded_names;   // 8: not used (empty text)
  std::uint32_t options;        // 12: not used (0)
  std::uint8_t reserved1[64];   // 16
  const char* destination;      // 80: folder that receives the files
  std::uint32_t without_paths;  // 84: files are always written without the archive's folders
  const char* password;         // 88: not used; encrypted members fail
  std::uint8_t reserved2[64];   // 92
};

// Filled by ACEReadArchiveData (our own layout).
struct AceArchiveData {
  std::uint32_t flags;            // 0: main header flags
  std::uint32_t version_extract;  // 4: e.g. 10 or 20
  std::uint32_t version_created;  // 8
  std::uint32_t host;             // 12: host system number
  std::uint32_t volume;           // 16: volume number
  std::uint32_t time_created;     // 20: DOS date and time
  std::uint32_t member_count;     // 24: file headers read, folders included
  std::uint32_t solid;            // 28: 1 for a solid archive
};

// Handed to ACEList (our own layout): receives one "name\r\n" per member, then a NUL.
struct AceListRecord {
  char* buffer;                // 0: may be null when capacity is 0
  std::uint32_t capacity;      // 4: bytes available in buffer
  std::uint32_t member_count;  // 8: written: members in the archive
  std::uint32_t needed;        // 12: written: bytes the whole list needs, NUL included
};

#pragma pack(pop)

static_assert(sizeof(AceInitRecord) == RecordOffset(324, 2));
static_assert(offsetof(AceInitRecord, user_value) == 0);
static_assert(offsetof(AceInitRecord, test_limit) == 4);
static_assert(offsetof(AceInitRecord, buffer_limit) == 8);
static_assert(offsetof(AceInitRecord, comment_buffer) == 12);
static_assert(offsetof(AceInitRecord, comment_capacity) == RecordOffset(16, 1));
static_assert(offsetof(AceInitRecord, reserved1) == RecordOffset(20, 1));
static_assert(offsetof(AceInitRecord, temp_folder) == RecordOffset(100, 1));
static_assert(offsetof(AceInitRecord, reserved2) == RecordOffset(104, 2));

static_assert(sizeof(AceExtractRecord) == RecordOffset(156, 5));
static_assert(offsetof(AceExtractRecord, base_folder) == 0);
static_assert(offsetof(AceExtractRecord, names) == RecordOffset(4, 1));
static_assert(offsetof(AceExtractRecord, excluded_names) == RecordOffset(8, 2));
static_assert(offsetof(AceExtractRecord, options) == RecordOffset(12, 3));
static_assert(offsetof(AceExtractRecord, reserved1) == RecordOffset(16, 3));
static_assert(offsetof(AceExtractRecord, destination) == RecordOffset(80, 3));
static_assert(offsetof(AceExtractRecord, without_paths) == RecordOffset(84, 4));
static_assert(offsetof(AceExtractRecord, password) == RecordOffset(88, 4));
static_assert(offsetof(AceExtractRecord, reserved2) == RecordOffset(92, 5));

static_assert(sizeof(AceArchiveData) == 32);
static_assert(offsetof(AceArchiveData, member_count) == 24);
static_assert(offsetof(AceArchiveData, solid) == 28);

static_assert(sizeof(AceListRecord) == RecordOffset(16, 1));
static_assert(offsetof(AceListRecord, buffer) == 0);
static_assert(offsetof(AceListRecord, capacity) == RecordOffset(4, 1));
static_assert(offsetof(AceListRecord, member_count) == RecordOffset(8, 1));
static_assert(offsetof(AceListRecord, needed) == RecordOffset(12, 1));

// Results of every entry point.
enum AceResult : int {
  kAceOk = 0,
  kAceBadArgument = 1,     // null record or path
  kAceCannotOpen = 2,      // archive file missing or unreadable
  kAceBadArchive = 3,      // not an ACE archive, damaged or truncated headers
  kAceNotFound = 4,        // no member matched the names
  kAceDataError = 5,       // corrupt data or CRC error
  kAceWriteError = 6,      // destination could not be written
  kAceUnsupported = 7,     // encrypted, multi-volume or unknown compression
  kAceTooLarge = 8,        // matching member over the extraction limit
  kAceBufferTooSmall = 9,  // ACEList: see needed
};

// Members larger than this are not extracted.
constexpr std::uint32_t kAceExtractLimit = 1024 * 1024;
// What ACEExtract decodes in all of a solid archive's members it does not write, only to get past
// them; an archive asking for more fails.
constexpr std::uint32_t kAceSkipLimit = 32 * 1024 * 1024;

extern "C" {
int __stdcall ACEInitDll(AceInitRecord* record);
int __stdcall ACEReadArchiveData(const char* archive, AceArchiveData* data);
int __stdcall ACEList(const char* archive, AceListRecord* record);
int __stdcall ACETest(const char* archive);
int __stdcall ACEExtract(const char* archive, AceExtractRecord* record);
}
