#include "sandbox.h"

#include <windows.h>

namespace {

void ListInto(const std::string& folder, std::set<std::string>& names) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    names.insert(folder + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::string Parent(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  const size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(0, cut);
}

}  // namespace

std::set<std::string> Sandboxed::Surroundings() {
  char temp[MAX_PATH], current[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetCurrentDirectoryA(MAX_PATH, current);
  std::set<std::string> names;
  const std::string temp_folder = Parent(std::string(temp) + "x");
  ListInto(temp_folder, names);
  ListInto(Parent(temp_folder), names);
  ListInto("C:", names);
  ListInto(current, names);
  ListInto(ProgramFolder(), names);
  return names;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return Parent(std::string(path, n));
}
