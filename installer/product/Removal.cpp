#include "installer/product/Removal.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

constexpr char kProductParentFolder[] = "Veltaro";
constexpr int kRemoveAttempts = 20;       // a just-ended process may hold its files a moment
constexpr DWORD kRemoveRetryDelayMs = 150;

// The first 20 bytes of every shell-link file: header size, then CLSID_ShellLink.
constexpr unsigned char kShellLinkHeader[20] = {0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                                0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

bool DeleteFileEvenIfReadOnly(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(file.c_str()) != 0;
}

bool RemoveFolderEvenIfReadOnly(const std::string& folder) {
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryA(folder.c_str()) != 0;
}

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// Removes the folder's contents, keeping `keep` (may be empty); true when nothing else is left.
bool RemoveContents(const std::string& folder, const std::string& keep) {
  WIN32_FIND_DATAA entry;
  rt::FindHandle search(FindFirstFileA(path::Join(folder, "*").c_str(), &entry));
  if (!search.Valid()) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool everything = true;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    const std::string item = path::Join(folder, entry.cFileName);
    if (!keep.empty() && path::EqualIgnoringCase(item, keep)) continue;
    const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    bool removed;
    if (isFolder && isLink) {
      removed = RemoveFolderEvenIfReadOnly(item);  // the link goes, its target stays
    } else if (isFolder) {
      removed = RemoveContents(item, keep) && RemoveFolderEvenIfReadOnly(item);
    } else {
      removed = DeleteFileEvenIfReadOnly(item);
    }
    everything = everything && removed;
  } while (FindNextFileA(search.Get(), &entry));
  return everything;
}

std::string SpecialFolder(int csidl) {
  char buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return std::string();
  return buffer;
}

void DeleteMachineKey(const char* key) {
  // The installer is a 32-bit program, so its keys live in the 32-bit view, as ours do.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
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
  RemoveTree(group);
}

void RemoveRegistryEntries() {
  DeleteMachineKey(kUninstallKey);
  DeleteMachineKey(kProductKey);
}

bool RemoveTree(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveContents(folder, std::string());
  RemoveFolderEvenIfReadOnly(folder);
  return !path::FolderExists(folder);
}

bool RemoveTreeExcept(const std::string& folder, const std::string& keep) { return RemoveContents(folder, keep); }

bool RemoveInstallFolder(const std::string& folder) {
  bool removed = RemoveTree(folder);
  for (int attempt = 1; !removed && attempt < kRemoveAttempts; ++attempt) {
    Sleep(kRemoveRetryDelayMs);
    removed = RemoveTree(folder);
  }
  // The installer creates "...\Veltaro" above "...\Veltaro\会计从业资格"; RemoveDirectory only
  // takes it away when nothing else lives there.
  const std::string parent = path::Folder(path::Normalised(folder));
  if (removed && !path::IsDriveRoot(parent) && path::EqualIgnoringCase(path::LastComponent(parent), kProductParentFolder)) {
    RemoveDirectoryA(parent.c_str());
  }
  return removed;
}

}  // namespace product
