#include "UnAceV2.h"

#include <windows.h>

#include <cstring>

TACEInitDll ACEInitDllProc = nullptr;
TAceUnusedProc ACEReadArchiveDataProc = nullptr;
TAceUnusedProc ACEListProc = nullptr;
TAceUnusedProc ACETestProc = nullptr;
TACEExtract ACEExtractProc = nullptr;

namespace {

HMODULE AceLibrary = nullptr;
bool Initialised = false;
// Handed to the library at init as its comment area; never read.
char AceCommentBuffer[8192];
// The library may keep pointers into the init record until it is unloaded.
TAceInitRecord AceInit;
char AceTempPath[256];

template <typename Proc>
Proc Resolve(const char* name) {
  // Entry points are fetched untyped and given their known signatures.
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(AceLibrary, name)));
}

}  // namespace

bool LoadUnAceDll(const std::string& folder) {
  UnloadUnAceDll();
  std::string name = folder;
  if (!name.empty() && name.back() != '\\') name += '\\';
  name += "UnAceV2.Dll";
  AceLibrary = LoadLibraryA(name.c_str());
  if (!AceLibrary) return false;
  ACEInitDllProc = Resolve<TACEInitDll>("ACEInitDll");
  ACEReadArchiveDataProc = Resolve<TAceUnusedProc>("ACEReadArchiveData");
  ACEListProc = Resolve<TAceUnusedProc>("ACEList");
  ACETestProc = Resolve<TAceUnusedProc>("ACETest");
  ACEExtractProc = Resolve<TACEExtract>("ACEExtract");
  if (!ACEInitDllProc || !ACEReadArchiveDataProc || !ACEListProc || !ACETestProc || !ACEExtractProc) {
    UnloadUnAceDll();
    return false;
  }
  return true;
}

std::int32_t InitUnAceDll() {
  Initialised = false;
  if (!ACEInitDllProc) return -1;
  std::memset(&AceInit, 0, sizeof AceInit);
  std::memset(AceTempPath, 0, sizeof AceTempPath);
  AceInit.Value1 = 0x1FFFF;
  AceInit.Value2 = 0x2FFFF;
  AceInit.CommentBuffer = AceCommentBuffer;
  AceInit.CommentBufferSize = sizeof AceCommentBuffer - 1;
  GetTempPathA(255, AceTempPath);
  AceInit.TempDir = AceTempPath;
  const std::int32_t result = ACEInitDllProc(&AceInit);
  Initialised = result == 0;
  return result;
}

void UnloadUnAceDll() {
  if (AceLibrary) FreeLibrary(AceLibrary);
  AceLibrary = nullptr;
  ACEInitDllProc = nullptr;
  ACEReadArchiveDataProc = nullptr;
  ACEListProc = nullptr;
  ACETestProc = nullptr;
  ACEExtractProc = nullptr;
  Initialised = false;
}

bool AceReady() { return Initialised; }

void UnAceV2Initialize() {
  if (LoadUnAceDll("")) InitUnAceDll();
}

void UnAceV2Finalize() { UnloadUnAceDll(); }
