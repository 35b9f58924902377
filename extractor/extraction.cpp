#include "extraction.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "UnAceV2.h"
#include "UnRar.h"

extern "C" __declspec(dllimport) std::int32_t
    __stdcall FileUnzipEx(const char* archive, const char* destFolder, const char* fileSpec);

namespace {

char WantedName[] = "file_id.diz";
char EmptyText[] = "";
char AcePassword[256];

// The folder as a plain path, should a trailing NUL still be attached.
std::string BareFolder(const std::string& tempDir) {
  std::string folder = tempDir;
  while (!folder.empty() && folder.back() == '\0') folder.pop_back();
  return folder;
}

// Removes the previous description, so that only this extraction can put one there. attributes_reset
// tells whether it was read-only, hidden or the like, which keeps a library from writing over it.
bool ClearDescription(const std::string& target, bool* attributes_reset = nullptr) {
  if (attributes_reset) *attributes_reset = false;
  if (DeleteFileA(target.c_str())) return true;
  DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED && SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    if (attributes_reset) *attributes_reset = true;
    if (DeleteFileA(target.c_str())) return true;
    error = GetLastError();
  }
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool DescriptionExists(const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string LowerInLocale(std::string text) {
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

bool EntpackeBeschreibung(const std::string& path, const std::string& tempDir) {
  std::string extension;
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && path.find_first_of("\\:", dot) == std::string::npos) {
    extension = path.substr(dot);
    for (char& c : extension) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  if (extension == ".rar") return EntpackeRAR(path, tempDir);
  if (extension == ".ace") return EntpackeACE(path, tempDir);
  if (extension == ".zip") return EntpackeZIP(path, tempDir);
  return false;
}

bool EntpackeZIP(const std::string& archive, const std::string& tempDir) {
  const std::string folder = BareFolder(tempDir);
  const std::string target = folder + WantedName;
  // A count above zero means this call wrote the file, over the previous one, so that one is removed
  // only when nothing was written. One the library could not write over is removed and tried again.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (FileUnzipEx(archive.c_str(), folder.c_str(), WantedName) > 0 && DescriptionExists(target)) return true;
    bool attributes_reset = false;
    if (!ClearDescription(target, &attributes_reset) || !attributes_reset) return false;
  }
  return false;
}

bool EntpackeRAR(const std::string& archive, const std::string& tempDir) {
  std::string target = BareFolder(tempDir) + WantedName;
  if (!ClearDescription(target)) return false;
  char comment[16384];
  TRarOpenRecord open{};
  open.ArchiveName = archive.c_str();
  open.OpenMode = RAR_OM_EXTRACT;
  open.CommentBuffer = comment;
  open.CommentBufferSize = sizeof comment;
  void* handle = RAROpenArchive(&open);
  if (open.OpenResult != 0 || !handle) return false;

  TRarHeaderRecord header{};
  header.CommentBuffer = nullptr;
  bool found = false;
  for (int status = RARReadHeader(handle, &header); status == 0; status = RARReadHeader(handle, &header)) {
    header.FileName[sizeof header.FileName - 1] = '\0';
    const std::string name = header.FileName;
    const size_t cut = name.find_last_of("\\:");
    const std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    if (LowerInLocale(file) == WantedName) {
      if (RARProcessFile(handle, RAR_EXTRACT, nullptr, target.data()) != 0) {
        // A damaged description is no description, whatever an earlier entry left.
        RARCloseArchive(handle);
        DeleteFileA(target.c_str());
        return false;
      }
      found = true;
    } else if (RARProcessFile(handle, RAR_SKIP, nullptr, nullptr) != 0) {
      break;
    }
  }
  RARCloseArchive(handle);
  return found && DescriptionExists(target);
}

bool EntpackeACE(const std::string& archive, const std::string& tempDir) {
  if (!ACEExtractProc || !AceReady) return false;
  const std::string folder = BareFolder(tempDir);
  if (!ClearDescription(folder + WantedName)) return false;
  TAceExtractRecord extract;
  std::memset(&extract, 0, sizeof extract);
  extract.BaseFolder = EmptyText;
  extract.Names = WantedName;
  extract.ExcludedNames = EmptyText;
  extract.Mode = 0;
  extract.DestFolder = folder.c_str();
  extract.WithoutPaths = -1;
  AcePassword[0] = '\0';
  extract.Password = AcePassword;
  return ACEExtractProc(archive.c_str(), &extract) == 0 && DescriptionExists(folder + WantedName);
}
