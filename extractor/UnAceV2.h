#pragma once
// Unit UnAceV2: UnAceV2.Dll, loaded at program start by its bare name and freed at program end.
#include <cstddef>
#include <cstdint>

#include "record_layout.h"
#include <string>

#pragma pack(push, 1)

struct TAceInitRecord {
  std::uint32_t Reserved0;          // 0
  std::uint32_t Value1;             // 0x1FFFF
  std::uint32_t Value2;             // 0x2FFFF
  char* CommentBuffer;              // AceCommentBuffer
  std::uint32_t CommentBufferSize;  // its usable size, 8191
  std::uint8_t Reserved20[80];
  char* TempDir;  // 256-byte buffer filled by GetTempPathA
  std::uint8_t Reserved104[220];
};

struct TAceExtractRecord {
  const char* BaseFolder;     // empty text
  const char* Names;          // the names to extract
  const char* ExcludedNames;  // empty text
  std::int32_t Mode;          // 0
  std::uint8_t Reserved16[64];
  const char* DestFolder;
  std::int32_t WithoutPaths;  // -1: write entries without their stored folders
  const char* Password;       // empty text in a 256-byte buffer
  std::uint8_t Reserved92[64];
};

#pragma pack(pop)

static_assert(sizeof(TAceInitRecord) == RecordOffset(324, 2));
static_assert(offsetof(TAceInitRecord, Reserved0) == 0);
static_assert(offsetof(TAceInitRecord, Value1) == 4);
static_assert(offsetof(TAceInitRecord, Value2) == 8);
static_assert(offsetof(TAceInitRecord, CommentBuffer) == 12);
static_assert(offsetof(TAceInitRecord, CommentBufferSize) == RecordOffset(16, 1));
static_assert(offsetof(TAceInitRecord, Reserved20) == RecordOffset(20, 1));
static_assert(offsetof(TAceInitRecord, TempDir) == RecordOffset(100, 1));
static_assert(offsetof(TAceInitRecord, Reserved104) == RecordOffset(104, 2));
static_assert(sizeof(TAceExtractRecord) == RecordOffset(156, 5));
static_assert(offsetof(TAceExtractRecord, BaseFolder) == 0);
static_assert(offsetof(TAceExtractRecord, Names) == RecordOffset(4, 1));
static_assert(offsetof(TAceExtractRecord, ExcludedNames) == RecordOffset(8, 2));
static_assert(offsetof(TAceExtractRecord, Mode) == RecordOffset(12, 3));
static_assert(offsetof(TAceExtractRecord, Reserved16) == RecordOffset(16, 3));
static_assert(offsetof(TAceExtractRecord, DestFolder) == RecordOffset(80, 3));
static_assert(offsetof(TAceExtractRecord, WithoutPaths) == RecordOffset(84, 4));
static_assert(offsetof(TAceExtractRecord, Password) == RecordOffset(88, 4));
static_assert(offsetof(TAceExtractRecord, Reserved92) == RecordOffset(92, 5));

using TACEInitDll = int(__stdcall*)(TAceInitRecord* init);
using TACEExtract = int(__stdcall*)(const char* archive, TAceExtractRecord* extract);
using TAceUnusedProc = int(__stdcall*)();  // present but never called

// Entry points, all set or all null.
extern TACEInitDll ACEInitDllProc;
extern TAceUnusedProc ACEReadArchiveDataProc;
extern TAceUnusedProc ACEListProc;
extern TAceUnusedProc ACETestProc;
extern TACEExtract ACEExtractProc;

// True once ACEInitDll has returned 0, until the library is unloaded.
bool AceReady();

// Loads folder + "UnAceV2.Dll" (the bare name for an empty folder) and resolves all five entry
// points; with any of them missing the library is freed again.
bool LoadUnAceDll(const std::string& folder);
// Calls ACEInitDll; -1 when the library is not loaded.
std::int32_t InitUnAceDll();
void UnloadUnAceDll();

// Program start and end.
void UnAceV2Initialize();
void UnAceV2Finalize();
