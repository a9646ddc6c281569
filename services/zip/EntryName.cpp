#include "services/zip/EntryName.h"

#include <windows.h>

#include <string>

#include "services/zip/GbkPath.h"

namespace ziplib {
namespace {

// A component made only of dots and spaces with at least two dots walks up a folder.
bool IsParentComponent(std::string_view component) {
  size_t dots = 0;
  for (char c : component) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

// Windows opens a device for these base names, whatever extension follows.
bool IsDeviceComponent(std::string_view component) {
  std::string base(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');  // ASCII only: GBK bytes stay
  }
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
    return base[3] >= '1' && base[3] <= '9';
  }
  return false;
}

std::wstring WideFrom(std::string_view text, unsigned codePage, DWORD flags) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
  return wide;
}

std::string NarrowFrom(const std::wstring& wide, unsigned codePage) {
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

}  // namespace

bool EntryNameInCodePage(std::string_view stored, uint32_t flags, std::string* name, unsigned codePage) {
  if (!(flags & kFlagUtf8Name) || stored.empty()) {
    name->assign(stored);
    return true;
  }
  if (codePage == CP_ACP) codePage = GetACP();
  const std::wstring wide = WideFrom(stored, CP_UTF8, MB_ERR_INVALID_CHARS);
  if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return false;
  if (codePage == CP_UTF8) {
    name->assign(stored);
    return true;
  }
  // Best-fit mappings (a character the code page lacks turned into a look-alike or "?") would
  // name another file: the conversion must come back to the very same characters.
  std::string converted = NarrowFrom(wide, codePage);
  if (converted.empty() || WideFrom(converted, codePage, MB_ERR_INVALID_CHARS) != wide) return false;
  *name = std::move(converted);
  return true;
}

EntryNameFault FindEntryNameFault(std::string_view name) {
  if (!name.empty() && name[0] == '\\') return EntryNameFault::kAbsolute;
  if (name.find(':') != std::string_view::npos) return EntryNameFault::kDriveOrStream;  // never a GBK trail byte
  if (!::gbk::SplitsAsWindowsDoes(name.data(), name.size())) return EntryNameFault::kSplitOtherwise;
  EntryNameFault fault = EntryNameFault::kNone;
  gbk::ForEachComponent(name, [&](std::string_view component) {
    if (fault != EntryNameFault::kNone) return;
    if (IsParentComponent(component)) fault = EntryNameFault::kParent;
    if (IsDeviceComponent(component)) fault = EntryNameFault::kDevice;
  });
  return fault;
}

bool IsContainedEntryName(std::string_view name) { return FindEntryNameFault(name) == EntryNameFault::kNone; }

}  // namespace ziplib
