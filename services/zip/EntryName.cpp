#include "services/zip/EntryName.h"

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

}  // namespace

bool IsContainedEntryName(std::string_view name) {
  if (!name.empty() && name[0] == '\\') return false;
  if (name.find(':') != std::string_view::npos) return false;  // ':' is never a GBK trail byte
  bool contained = true;
  gbk::ForEachComponent(name, [&](std::string_view component) {
    if (IsParentComponent(component) || IsDeviceComponent(component)) contained = false;
  });
  return contained;
}

}  // namespace ziplib
