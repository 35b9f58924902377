#pragma once
// Helpers every test program shares: a private folder per test, file I/O, fixture lookup.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\\" + name
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);  // bytes as they are
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Dates the file's last write seconds back, so that the libraries may keep what they read of it.
bool WrittenAgo(const std::string& path, int seconds);
bool FolderExists(const std::string& path);
void MakeFolder(const std::string& path);
// Every file below folder, as paths relative to it, sorted.
std::vector<std::string> ListFilesRecursively(const std::string& folder);
void RemoveRecursively(const std::string& path);

// The titles of this thread's windows that get a task bar button: shown and either not owned and no
// tool window, or marked as an application window.
std::vector<std::string> TaskBarTitles();

// The real archives made by other tools, or "" when that folder is not there.
std::string FixturesDir();
// Full paths of the fixture files in those sub-folders (and below) whose names end with ending; none
// when the fixtures are not there.
std::vector<std::string> FixtureFiles(std::initializer_list<const char*> folders, std::string_view ending);
// The repository's root folder as a Windows path.
std::string SourceDir();

}  // namespace testing_support
