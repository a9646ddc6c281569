#include "installer/product/GbkPath.h"

#include <windows.h>
#include "services/core/GbkText.h"

namespace product::path {

namespace {

// Calls visit(offset) for the first byte of every character.
template <typename Visit>
void ForEachCharacter(const std::string& text, Visit visit) {
  for (size_t i = 0; i < text.size(); i += gbk::CharLength(text.data(), i, text.size())) visit(i);
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

}  // namespace

size_t LastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  ForEachCharacter(path, [&](size_t i) {
    if (path[i] == '\\') last = i;
  });
  return last;
}

bool EndsWithSeparator(const std::string& path) {
  const size_t last = LastSeparator(path);
  return last != std::string::npos && last + 1 == path.size();
}

std::string WithoutTrailingSeparators(const std::string& path) {
  std::string result = path;
  while (EndsWithSeparator(result)) result.pop_back();
  return result;
}

std::string Folder(const std::string& path) {
  const size_t last = LastSeparator(path);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string LastComponent(const std::string& path) {
  const size_t last = LastSeparator(path);
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}

std::vector<std::string> Split(const std::string& text, char delimiter) {
  std::vector<std::string> parts;
  size_t start = 0;
  ForEachCharacter(text, [&](size_t i) {
    if (text[i] != delimiter) return;
    parts.push_back(text.substr(start, i - start));
    start = i + 1;
  });
  parts.push_back(text.substr(start));
  return parts;
}

std::string Trim(const std::string& text) {
  // Space and tab are below 0x40, so they are never the trail byte of a GBK character.
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool IsDrivePath(const std::string& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsDriveRoot(const std::string& path) {
  const std::string bare = WithoutTrailingSeparators(path);
  return bare.size() == 2 && IsLetter(bare[0]) && bare[1] == ':';
}

std::string Normalised(const std::string& path) {
  if (path.empty()) return std::string();
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::string();
  std::string result(full, length);
  // Short (8.3) names and long names of one folder must compare equal.
  char longer[MAX_PATH * 2];
  const DWORD longLength = GetLongPathNameA(result.c_str(), longer, sizeof longer);
  if (longLength > 0 && longLength < sizeof longer) result.assign(longer, longLength);
  return IsDriveRoot(result) ? result.substr(0, 2) : WithoutTrailingSeparators(result);
}

std::string CaseFolded(const std::string& text) {
  std::string folded = text;
  ForEachCharacter(folded, [&](size_t i) {
    if (folded[i] >= 'a' && folded[i] <= 'z') folded[i] = static_cast<char>(folded[i] - 'a' + 'A');
  });
  return folded;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return CaseFolded(a) == CaseFolded(b); }

bool SamePath(const std::string& a, const std::string& b) {
  const std::string left = Normalised(a), right = Normalised(b);
  return !left.empty() && EqualIgnoringCase(left, right);
}

std::string OwnProgram() {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
}

std::string OwnFolder() { return Folder(OwnProgram()); }

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string OutermostMissingLevel(const std::string& folder) {
  std::string outermost;
  for (std::string level = folder; !level.empty() && !IsDriveRoot(level); level = Folder(level)) {
    if (GetFileAttributesA(level.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    outermost = level;
  }
  return outermost;
}

}  // namespace product::path
