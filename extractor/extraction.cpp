#include "extraction.h"

#include <windows.h>

#include <cstring>

#include "UnAceV2.h"
#include "UnRar.h"
#include "files.h"
#include "listing.h"
#include "unzipw32.h"

namespace {

char WantedName[] = "file_id.diz";
char EmptyText[] = "";
char AcePassword[256];

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

std::string LowerInLocale(std::string text) {
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

bool EntpackeBeschreibung(const std::string& path, const std::string& tempDir) {
  switch (listing::KindOfName(path)) {
    case listing::ArchiveKind::Rar:
      return EntpackeRAR(path, tempDir);
    case listing::ArchiveKind::Ace:
      return EntpackeACE(path, tempDir);
    case listing::ArchiveKind::Zip:
      return EntpackeZIP(path, tempDir);
    case listing::ArchiveKind::None:
      break;
  }
  return false;
}

bool EntpackeZIP(const std::string& archive, const std::string& tempDir) {
  const std::string target = tempDir + WantedName;
  // A count above zero means this call wrote the file, over the previous one, so that one is removed
  // only when nothing was written. One the library could not write over is removed and tried again.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (FileUnzipEx(archive.c_str(), tempDir.c_str(), WantedName) > 0 && files::FileExists(target)) return true;
    bool attributes_reset = false;
    if (!ClearDescription(target, &attributes_reset) || !attributes_reset) return false;
  }
  return false;
}

namespace {

enum class RarOutcome { kWritten, kNothing };

// Extracts every entry named file_id.diz to target; kWritten when at least one file was written. A
// later one that fails ends the walk and leaves the file written before in place.
RarOutcome ExtractFromRar(const std::string& archive, std::string& target) {
  char comment[16384];
  RarOpenRecord open{};
  open.archive_name = archive.c_str();
  open.open_mode = RAR_OM_EXTRACT;
  open.comment_buffer = comment;
  open.comment_buffer_size = sizeof comment;
  RarHandle handle = RAROpenArchive(&open);
  if (open.open_result != kRarOk || !handle) return RarOutcome::kNothing;

  RarHeaderRecord header{};
  header.comment_buffer = nullptr;
  bool written = false;
  for (int status = RARReadHeader(handle, &header); status == kRarOk; status = RARReadHeader(handle, &header)) {
    header.file_name[sizeof header.file_name - 1] = '\0';
    const std::string name = header.file_name;
    const size_t cut = name.find_last_of("\\:");
    const std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    if (LowerInLocale(file) == WantedName) {
      if (RARProcessFile(handle, kRarExtract, nullptr, target.data()) != kRarOk) break;
      // A folder of that name succeeds without writing anything.
      if (!(header.flags & kRarEntryFolder)) written = true;
    } else if (RARProcessFile(handle, kRarSkip, nullptr, nullptr) != kRarOk) {
      break;
    }
  }
  RARCloseArchive(handle);
  return written ? RarOutcome::kWritten : RarOutcome::kNothing;
}

}  // namespace

bool EntpackeRAR(const std::string& archive, const std::string& tempDir) {
  std::string target = tempDir + WantedName;
  // A written description replaces the previous one, so that one is removed only when this archive
  // wrote none. One the library could not write over is removed and tried again.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (ExtractFromRar(archive, target) == RarOutcome::kWritten && files::FileExists(target)) return true;
    bool attributes_reset = false;
    if (!ClearDescription(target, &attributes_reset) || !attributes_reset) return false;
  }
  return false;
}

bool EntpackeACE(const std::string& archive, const std::string& tempDir) {
  if (!ACEExtractProc || !AceReady()) return false;
  if (!ClearDescription(tempDir + WantedName)) return false;
  TAceExtractRecord extract;
  std::memset(&extract, 0, sizeof extract);
  extract.BaseFolder = EmptyText;
  extract.Names = WantedName;
  extract.ExcludedNames = EmptyText;
  extract.Mode = 0;
  extract.DestFolder = tempDir.c_str();
  extract.WithoutPaths = -1;
  AcePassword[0] = '\0';
  extract.Password = AcePassword;
  return ACEExtractProc(archive.c_str(), &extract) == 0 && files::FileExists(tempDir + WantedName);
}
