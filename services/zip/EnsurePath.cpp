#include "services/zip/EnsurePath.h"

#include <windows.h>

#include "services/zip/GbkPath.h"

namespace ziplib {

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool EnsurePath(const std::string& path, bool wholePath) {
  if (!wholePath) return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  std::string full = path;
  if (!gbk::EndsWithBackslash(full)) full += '\\';
  for (size_t i = 0; i < full.size(); i += gbk::CharLength(full, i)) {
    if (full[i] != '\\') continue;
    const std::string prefix = full.substr(0, i + 1);
    if (PathExists(prefix)) continue;
    if (!CreateDirectoryA(prefix.c_str(), nullptr)) return false;
  }
  return true;
}

}  // namespace ziplib
