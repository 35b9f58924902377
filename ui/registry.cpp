#include "registry.h"

#include <vector>

namespace registry {

std::string ReadString(HKEY root, const std::string& key, const std::string& value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
  std::string result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(opened, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size < 65536) {
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(opened, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
        ERROR_SUCCESS) {
      result.assign(buffer.data());  // up to the first NUL
    }
  }
  RegCloseKey(opened);
  return result;
}

}  // namespace registry
