// A stand-in UnAceV2.Dll for the loader tests. An "archive" is a text file: "FAKEACE:" followed
// by the description, or "FAKELIE:" to report success without writing anything.
#include <windows.h>

#include <cstring>
#include <string>

#include "UnAceV2.h"

extern "C" int __stdcall ACEInitDll(TAceInitRecord* init) { return init ? 0 : 1; }

extern "C" int __stdcall ACEExtract(const char* archive, TAceExtractRecord* extract) {
  // Only the description is asked for.
  if (!extract->Names || std::strcmp(extract->Names, "file_id.diz") != 0 || !extract->DestFolder) return 2;
  HANDLE in = CreateFileA(archive, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 3;
  char buffer[4096];
  DWORD size = 0;
  ReadFile(in, buffer, sizeof buffer, &size, nullptr);
  CloseHandle(in);
  const std::string text(buffer, size);
  if (text.starts_with("FAKELIE:")) return 0;
  if (!text.starts_with("FAKEACE:")) return 4;
  const std::string target = std::string(extract->DestFolder) + "file_id.diz";
  HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 5;
  DWORD written = 0;
  WriteFile(out, text.data() + 8, static_cast<DWORD>(text.size() - 8), &written, nullptr);
  CloseHandle(out);
  return 0;
}

extern "C" int __stdcall ACEReadArchiveData() { return -1; }
extern "C" int __stdcall ACEList() { return -1; }
extern "C" int __stdcall ACETest() { return -1; }
