#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace testing_support {

namespace {
std::string EnvValue(const char* name) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : std::string();
}

void CollectFiles(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
  WIN32_FIND_DATAA data;
  const std::string folder = relative.empty() ? root : root + "\\" + relative;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string child = relative.empty() ? name : relative + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(root, child, out);
    } else {
      out.push_back(child);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}
// Each test program gets a temp folder of its own in its working folder, so programs that ctest runs
// side by side never share the system temp folder (quennex extracts file_id.diz into it).
struct PrivateTempFolder {
  std::string path;
  PrivateTempFolder() {
    char current[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH - 40) return;
    path = std::string(current, n) + "\\temp-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      path.clear();
      return;
    }
    SetEnvironmentVariableA("TMP", (path + "\\").c_str());
    SetEnvironmentVariableA("TEMP", (path + "\\").c_str());
  }
  ~PrivateTempFolder() {
    if (!path.empty()) RemoveRecursively(path);
  }
};
const PrivateTempFolder privateTemp;

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (;;) {
    path_ = std::string(temp) + "qtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
  }
}

TempFolder::~TempFolder() { RemoveRecursively(path_); }

std::string TempFolder::operator/(const std::string& name) const { return path_ + "\\" + name; }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  std::uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(file);
  return bytes;
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WrittenAgo(const std::string& path, int seconds) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER when{{now.dwLowDateTime, now.dwHighDateTime}};
  when.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000;
  const FILETIME written{when.LowPart, when.HighPart};
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(file, nullptr, nullptr, &written) != 0;
  CloseHandle(file);
  return set;
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

std::vector<std::string> ListFilesRecursively(const std::string& folder) {
  std::vector<std::string> files;
  CollectFiles(folder, "", files);
  std::sort(files.begin(), files.end());
  return files;
}

void RemoveRecursively(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") RemoveRecursively(path + "\\" + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

std::string FixturesDir() {
  const std::string dir = EnvValue("QUENNEX_FIXTURES");
  return (!dir.empty() && FolderExists(dir)) ? dir : std::string();
}

std::vector<std::string> FixtureFiles(std::initializer_list<const char*> folders, std::string_view ending) {
  const std::string dir = FixturesDir();
  std::vector<std::string> out;
  if (dir.empty()) return out;
  for (const char* folder : folders) {
    for (const std::string& name : ListFilesRecursively(dir + "\\" + folder)) {
      if (name.ends_with(ending)) out.push_back(dir + "\\" + folder + "\\" + name);
    }
  }
  return out;
}

std::string SourceDir() { return EnvValue("QUENNEX_SOURCE_DIR"); }

namespace {
BOOL CALLBACK CollectTaskBarTitle(HWND hwnd, LPARAM data) {
  const LONG ex = GetWindowLongA(hwnd, GWL_EXSTYLE);
  const bool button = (!GetWindow(hwnd, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW)) || (ex & WS_EX_APPWINDOW);
  if (IsWindowVisible(hwnd) && button) {
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(title);
  }
  return TRUE;
}
}  // namespace

std::vector<std::string> TaskBarTitles() {
  std::vector<std::string> titles;
  EnumThreadWindows(GetCurrentThreadId(), CollectTaskBarTitle, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

}  // namespace testing_support
