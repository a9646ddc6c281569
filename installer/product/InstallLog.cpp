#include "installer/product/InstallLog.h"

#include <windows.h>

#include <string_view>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"
#include "services/core/GbkText.h"

namespace product {

namespace {

constexpr char kHeader[] = "Veltaro install log 1";
constexpr char kFolderKey[] = "folder=";
constexpr char kMadeKey[] = "made=";
constexpr char kEndKey[] = "end ";
constexpr char kFolderTag[] = "D ";
constexpr char kFileTag[] = "F ";
constexpr char kLineEnd[] = "\r\n";
constexpr DWORD kLargestLog = 64u << 20;  // far beyond 100,000 items of 260 bytes

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// A name of dots and blanks only: Windows drops trailing dots and blanks, so "..", ". ." and
// "... " all walk up a folder, and "." stays where it is.
bool IsDotName(std::string_view name) {
  if (name.empty()) return true;
  for (char c : name) {
    if (c != '.' && c != ' ') return false;
  }
  return true;
}

// The lines of the text; CR LF or a lone LF ends a line (neither is ever a GBK trail byte).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool ParseCount(std::string_view digits, size_t& count) {
  if (digits.empty() || digits.size() > 9) return false;
  count = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<size_t>(c - '0');
  }
  return true;
}

// "made" is F itself or a folder F lies in, and never a whole drive.
bool IsFolderOrParentOf(const std::string& made, const std::string& folder) {
  if (made.empty()) return true;
  if (!path::IsDrivePath(made) || path::IsDriveRoot(made) || path::EndsWithSeparator(made)) return false;
  for (std::string level = folder; path::IsDrivePath(level) && !path::IsDriveRoot(level); level = path::Folder(level)) {
    if (path::EqualIgnoringCase(level, made)) return true;
  }
  return false;
}

// A drive letter, ":\" and plain names: without ".." in it, a "made" folder that reads as one of
// its parents is one.
bool IsPlainFolderPath(const std::string& folder) {
  return path::IsDrivePath(folder) && IsContainedRelativePath(folder.substr(3));
}

bool ParseItem(std::string_view line, InstalledItem& item) {
  if (!StartsWith(line, kFolderTag) && !StartsWith(line, kFileTag)) return false;
  item.isFolder = StartsWith(line, kFolderTag);
  item.path = std::string(line.substr(2));
  return IsContainedRelativePath(item.path);
}

}  // namespace

bool IsContainedRelativePath(const std::string& relative) {
  if (relative.empty() || relative.front() == '\\' || path::EndsWithSeparator(relative)) return false;
  // ":" and "/" are never GBK trail bytes; "/" would be taken as a separator by the system.
  if (relative.find(':') != std::string::npos || relative.find('/') != std::string::npos) return false;
  // Windows must see the names and separators seen here, or a name could hide a "\".
  if (!gbk::SplitsAsWindowsDoes(relative.data(), relative.size())) return false;
  for (const std::string& name : path::Split(relative, '\\')) {
    if (IsDotName(name)) return false;
    for (unsigned char c : name) {
      if (c < 0x20) return false;
    }
  }
  return true;
}

std::string FormatInstallLog(const InstallLog& log) {
  std::string text;
  text.reserve(64 + log.folder.size() * 2 + log.items.size() * 48);
  text.append(kHeader).append(kLineEnd);
  text.append(kFolderKey).append(log.folder).append(kLineEnd);
  text.append(kMadeKey).append(log.made).append(kLineEnd);
  for (const InstalledItem& item : log.items) {
    text.append(item.isFolder ? kFolderTag : kFileTag).append(item.path).append(kLineEnd);
  }
  text.append(kEndKey).append(std::to_string(log.items.size())).append(kLineEnd);
  return text;
}

bool ParseInstallLog(const std::string& text, InstallLog& log) {
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.size() < 4 || lines[0] != kHeader) return false;
  if (!StartsWith(lines[1], kFolderKey) || !StartsWith(lines[2], kMadeKey)) return false;
  InstallLog parsed;
  parsed.folder = std::string(lines[1].substr(sizeof kFolderKey - 1));
  parsed.made = std::string(lines[2].substr(sizeof kMadeKey - 1));
  if (!IsPlainFolderPath(parsed.folder) || !IsFolderOrParentOf(parsed.made, parsed.folder)) return false;
  size_t last = lines.size() - 1;
  if (lines[last].empty()) --last;  // the final line end
  size_t count = 0;
  if (last < 3 || !StartsWith(lines[last], kEndKey) || !ParseCount(lines[last].substr(4), count)) return false;
  if (count != last - 3) return false;
  parsed.items.resize(count);
  for (size_t i = 0; i < count; ++i) {
    if (!ParseItem(lines[3 + i], parsed.items[i])) return false;
  }
  log = std::move(parsed);
  return true;
}

bool WriteInstallLog(const std::string& folder, const InstallLog& log, const std::string& name) {
  const std::string text = FormatInstallLog(log);
  const std::string file = path::Join(folder, name);
  rt::UniqueHandle output(rt::CreateReplacingFile(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  if (!output.Valid()) return false;
  DWORD written = 0;
  const bool whole = WriteFile(output.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                     written == text.size();
  if (output.Close() && whole) return true;
  DeleteFileA(file.c_str());  // half a log would only be refused later
  return false;
}

bool ReadInstallLog(const std::string& folder, InstallLog& log) {
  const std::string file = path::Join(folder, kInstallLogName);
  rt::UniqueHandle input(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.Valid()) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(input.Get(), &size) || size.QuadPart > kLargestLog) return false;
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() && (!ReadFile(input.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                        read != text.size())) {
    return false;
  }
  return ParseInstallLog(text, log);
}

}  // namespace product
