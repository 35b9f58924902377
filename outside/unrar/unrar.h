#pragma once
// unrar.dll: reads RAR archives (1.5 to 4.x and 5) entry by entry and extracts single entries.
#include <cstddef>
#include <cstdint>

#include "record_layout.h"

#include "unrar_results.h"

#ifdef UNRAR_BUILD
#define UNRAR_API extern "C"  // exported through unrar.def
#else
#define UNRAR_API extern "C" __declspec(dllimport)
#endif

#pragma pack(push, 1)

// Given to RAROpenArchive.
struct RarOpenRecord {
  const char* archive_name;
  std::uint32_t open_mode;    // 0 list, 1 extract; both allow every operation
  std::uint32_t open_result;  // written: a RarResult
  char* comment_buffer;       // never written
  std::uint32_t comment_buffer_size;
  std::uint32_t comment_size;   // written: always 0
  std::uint32_t comment_state;  // written: always 0
};

// Filled by RARReadHeader.
struct RarHeaderRecord {
  char archive_name[260];             // NUL-terminated, cut to fit
  char file_name[260];                // the entry's path with '\' separators, NUL-terminated, cut to fit
  std::uint32_t flags;                // kRarEntryFolder
  std::uint32_t packed_size;          // low 32 bits
  std::uint32_t unpacked_size;        // low 32 bits
  std::uint32_t host_os;              // always 0
  std::uint32_t file_crc;             // always 0
  std::uint32_t file_time;            // MS-DOS date and time, local
  std::uint32_t unpack_version;       // always 0
  std::uint32_t method;               // always 0
  std::uint32_t file_attributes;      // FILE_ATTRIBUTE_* bits
  char* comment_buffer;               // never read or written
  std::uint32_t comment_buffer_size;  // never read or written
  std::uint32_t comment_size;         // written: always 0
  std::uint32_t comment_state;        // written: always 0
};

#pragma pack(pop)

static_assert(sizeof(RarOpenRecord) == RecordOffset(28, 2));
static_assert(offsetof(RarOpenRecord, archive_name) == 0);
static_assert(offsetof(RarOpenRecord, open_mode) == RecordOffset(4, 1));
static_assert(offsetof(RarOpenRecord, open_result) == RecordOffset(8, 1));
static_assert(offsetof(RarOpenRecord, comment_buffer) == RecordOffset(12, 1));
static_assert(offsetof(RarOpenRecord, comment_buffer_size) == RecordOffset(16, 2));
static_assert(offsetof(RarOpenRecord, comment_size) == RecordOffset(20, 2));
static_assert(offsetof(RarOpenRecord, comment_state) == RecordOffset(24, 2));
static_assert(sizeof(RarHeaderRecord) == RecordOffset(572, 1));
static_assert(offsetof(RarHeaderRecord, archive_name) == 0);
static_assert(offsetof(RarHeaderRecord, file_name) == 260);
static_assert(offsetof(RarHeaderRecord, flags) == 520);
static_assert(offsetof(RarHeaderRecord, packed_size) == 524);
static_assert(offsetof(RarHeaderRecord, unpacked_size) == 528);
static_assert(offsetof(RarHeaderRecord, host_os) == 532);
static_assert(offsetof(RarHeaderRecord, file_crc) == 536);
static_assert(offsetof(RarHeaderRecord, file_time) == 540);
static_assert(offsetof(RarHeaderRecord, unpack_version) == 544);
static_assert(offsetof(RarHeaderRecord, method) == 548);
static_assert(offsetof(RarHeaderRecord, file_attributes) == 552);
static_assert(offsetof(RarHeaderRecord, comment_buffer) == 556);
static_assert(offsetof(RarHeaderRecord, comment_buffer_size) == RecordOffset(560, 1));
static_assert(offsetof(RarHeaderRecord, comment_size) == RecordOffset(564, 1));
static_assert(offsetof(RarHeaderRecord, comment_state) == RecordOffset(568, 1));

constexpr std::uint32_t kRarEntryFolder = 1;

using RarHandle = void*;

// Returns a handle, or null with the reason in open_result.
UNRAR_API RarHandle __stdcall RAROpenArchive(RarOpenRecord* record);
// Reads the next entry's header into header; skips the previous entry if it was not processed.
UNRAR_API int __stdcall RARReadHeader(RarHandle handle, RarHeaderRecord* header);
// Skips, tests or extracts the entry of the last header. Extraction writes exactly dest_name when it
// is given, else the entry's file name (no folders) inside dest_folder (the current folder when null).
UNRAR_API int __stdcall RARProcessFile(RarHandle handle, int operation, char* dest_folder, char* dest_name);
UNRAR_API int __stdcall RARCloseArchive(RarHandle handle);
