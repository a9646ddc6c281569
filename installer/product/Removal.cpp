#include "installer/product/Removal.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

// The first 20 bytes of every shell-link file: header size, then CLSID_ShellLink.
constexpr unsigned char kShellLinkHeader[20] = {0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                                0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// The values the installer writes under the uninstall key, and no others.
constexpr const char* kInstallerValues[] = {"DisplayIcon",     "DisplayName",   "DisplayVersion",
                                            "UninstallString", "Publisher",     "InstallLocation",
                                            "EstimatedSize",   "NoModify",      "NoRepair"};
constexpr char kUninstallStringValue[] = "UninstallString";

bool DeleteFileEvenIfReadOnly(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(file.c_str()) != 0;
}

std::string SpecialFolder(int csidl) {
  char buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return std::string();
  return buffer;
}

// The installer is a 32-bit program, so its key lives in the 32-bit view, as ours does.
bool OpenUninstallKey(rt::RegKey& key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive()) ==
         ERROR_SUCCESS;
}

std::string ReadText(HKEY key, const char* name) {
  char buffer[MAX_PATH * 4] = {};
  DWORD type = 0, size = sizeof buffer - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
    return std::string();
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  return std::string(buffer, strnlen(buffer, size));
}

// "\"C:\...\Uninstall.exe\"" as the installer writes it, or the bare path of an older one.
std::string Unquoted(const std::string& command) {
  const std::string text = path::Trim(command);
  if (text.empty() || text.front() != '"') return text;
  const size_t end = text.find('"', 1);  // '"' is never a GBK trail byte
  return end == std::string::npos ? std::string() : text.substr(1, end - 1);
}

bool IsEmptyKey(HKEY key) {
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return subkeys == 0 && values == 0;
}

}  // namespace

bool IsShellLinkFile(const std::string& path) {
  rt::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  unsigned char header[sizeof kShellLinkHeader];
  DWORD read = 0;
  if (!ReadFile(file.Get(), header, sizeof header, &read, nullptr) || read != sizeof header) return false;
  return std::memcmp(header, kShellLinkHeader, sizeof header) == 0;
}

void RemoveShortcuts(const std::vector<std::string>& shortcuts) {
  for (const std::string& shortcut : shortcuts) {
    if (!path::FileExists(shortcut) || !IsShellLinkFile(shortcut)) continue;
    DeleteFileEvenIfReadOnly(shortcut);
  }
}

bool IsInStartMenu(const std::string& folder) {
  const std::string parent = path::Folder(path::Normalised(folder));
  if (parent.empty()) return false;
  for (int csidl : {CSIDL_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTMENU}) {
    const std::string startMenu = SpecialFolder(csidl);
    if (!startMenu.empty() && path::SameFolder(parent, startMenu)) return true;
  }
  return false;
}

void RemoveProgramGroup(const std::string& group) {
  if (group.empty() || !path::FolderExists(group)) return;
  if (!IsInStartMenu(group)) return;
  RemoveDirectoryA(group.c_str());  // fails, as it should, while anything is left inside
}

bool RemoveUninstallEntry(const std::string& uninstaller) {
  rt::RegKey key;
  if (!OpenUninstallKey(key)) return false;
  const std::string named = Unquoted(ReadText(key.Get(), kUninstallStringValue));
  if (named.empty() || !path::SamePath(named, uninstaller)) return false;
  for (const char* value : kInstallerValues) RegDeleteValueA(key.Get(), value);
  const bool empty = IsEmptyKey(key.Get());
  key.Close();
  if (empty) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  return true;
}

}  // namespace product
