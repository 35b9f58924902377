#pragma once
// Unit UnRar: the records and functions of unrar.dll, bound when the program is loaded.
#include <cstddef>
#include <cstdint>

#include "record_layout.h"

#pragma pack(push, 1)

struct TRarOpenRecord {
  const char* ArchiveName;
  std::uint32_t OpenMode;    // 1: open for extraction
  std::uint32_t OpenResult;  // written by the library; 0 = opened
  char* CommentBuffer;       // its content is never read
  std::uint32_t CommentBufferSize;
  std::uint32_t Written[2];  // written by the library, never read
};

struct TRarHeaderRecord {
  char ArchiveName[260];
  char FileName[260];  // with its folder parts, NUL-terminated
  std::uint32_t NotRead[9];
  char* CommentBuffer;  // nil before the first header read
  std::uint32_t NotSet[3];
};

#pragma pack(pop)

static_assert(sizeof(TRarOpenRecord) == RecordOffset(28, 2));
static_assert(offsetof(TRarOpenRecord, ArchiveName) == 0);
static_assert(offsetof(TRarOpenRecord, OpenMode) == RecordOffset(4, 1));
static_assert(offsetof(TRarOpenRecord, OpenResult) == RecordOffset(8, 1));
static_assert(offsetof(TRarOpenRecord, CommentBuffer) == RecordOffset(12, 1));
static_assert(offsetof(TRarOpenRecord, CommentBufferSize) == RecordOffset(16, 2));
static_assert(offsetof(TRarOpenRecord, Written) == RecordOffset(20, 2));
static_assert(sizeof(TRarHeaderRecord) == RecordOffset(572, 1));
static_assert(offsetof(TRarHeaderRecord, ArchiveName) == 0);
static_assert(offsetof(TRarHeaderRecord, FileName) == 260);
static_assert(offsetof(TRarHeaderRecord, NotRead) == 520);
static_assert(offsetof(TRarHeaderRecord, CommentBuffer) == 556);
static_assert(offsetof(TRarHeaderRecord, NotSet) == RecordOffset(560, 1));

constexpr std::uint32_t RAR_OM_EXTRACT = 1;
constexpr int RAR_SKIP = 0;
constexpr int RAR_EXTRACT = 2;

extern "C" {
__declspec(dllimport) void* __stdcall RAROpenArchive(TRarOpenRecord* record);
__declspec(dllimport) int __stdcall RARReadHeader(void* handle, TRarHeaderRecord* header);
__declspec(dllimport) int __stdcall RARProcessFile(void* handle, int operation, char* destFolder, char* destName);
__declspec(dllimport) int __stdcall RARCloseArchive(void* handle);
}
