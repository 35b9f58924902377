// A stand-in UnAceV2.Dll for the loader tests. An "archive" is a text file: "FAKEACE:" followed
// by the description, or "FAKELIE:" to report success without writing anything.
#include <windows.h>

#include <cstring>
#include <string>

#include "UnAceV2.h"

namespace {

bool AllZero(const std::uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" int __stdcall ACEInitDll(TAceInitRecord* init) {
  const bool ok = init->Reserved0 == 0 && init->Value1 == 0x1FFFF && init->Value2 == 0x2FFFF && init->CommentBuffer &&
                  init->CommentBufferSize == 8191 && init->TempDir && init->TempDir[0] &&
                  AllZero(init->Reserved20, sizeof init->Reserved20) &&
                  AllZero(init->Reserved104, sizeof init->Reserved104);
  return ok ? 0 : 1;
}

extern "C" int __stdcall ACEExtract(const char* archive, TAceExtractRecord* extract) {
  if (!extract->Names || std::strcmp(extract->Names, "file_id.diz") != 0 || extract->WithoutPaths != -1 ||
      !extract->DestFolder || !extract->Password || extract->Password[0] || !extract->BaseFolder ||
      extract->BaseFolder[0] || !extract->ExcludedNames || extract->ExcludedNames[0] || extract->Mode != 0 ||
      !AllZero(extract->Reserved16, sizeof extract->Reserved16) ||
      !AllZero(extract->Reserved92, sizeof extract->Reserved92)) {
    return 2;
  }
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
