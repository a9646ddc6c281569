#include "installer/product/Removal.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"
#include "services/shell/ComPtr.h"

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
bool OpenUninstallKey(rt::RegKey& key, REGSAM access) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, access, key.Receive()) == ERROR_SUCCESS;
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

constexpr char kQuickLaunchFolder[] = "Microsoft\\Internet Explorer\\Quick Launch";

// COM for this thread while reading links, if nobody has set it up before.
class ComSession {
 public:
  ComSession() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  ~ComSession() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

// The folders the installer puts shortcuts in, for the installing user or for everyone: the
// desktop, Quick Launch and the recorded program group when it lies in the Start menu.
std::vector<std::string> ShortcutFolders(const std::string& programGroup) {
  std::vector<std::string> folders;
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) folders.push_back(SpecialFolder(csidl));
  for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA}) {
    const std::string data = SpecialFolder(csidl);
    if (!data.empty()) folders.push_back(path::Join(data, kQuickLaunchFolder));
  }
  if (!programGroup.empty() && IsInStartMenu(programGroup)) folders.push_back(programGroup);
  return folders;
}

bool IsInOneOf(const std::string& file, const std::vector<std::string>& folders) {
  const std::string folder = path::Folder(file);
  for (const std::string& candidate : folders) {
    if (!candidate.empty() && path::SameFolder(folder, candidate)) return true;
  }
  return false;
}

std::wstring Widened(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.pop_back();  // the terminating zero
  return wide;
}

// The file a shell link starts, as stored in it; empty when the link cannot be read.
std::string LinkTarget(const std::string& link) {
  com::Ptr<IShellLinkA> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shellLink.Receive()))) {
    return std::string();
  }
  com::Ptr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.Receive()))) return std::string();
  if (FAILED(file->Load(Widened(link).c_str(), STGM_READ))) return std::string();
  char target[MAX_PATH * 2] = {};
  if (shellLink->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH) != S_OK) return std::string();
  return target;
}

// A shortcut this installation made: a shell link in one of the installer's shortcut folders
// that starts a program lying in the installation folder itself.
bool IsOwnShortcut(const std::string& shortcut, const std::string& installFolder,
                   const std::vector<std::string>& shortcutFolders) {
  if (!path::FileExists(shortcut) || !IsShellLinkFile(shortcut) || !IsInOneOf(shortcut, shortcutFolders)) return false;
  const std::string target = LinkTarget(shortcut);
  return !target.empty() && path::SameFolder(path::Folder(target), installFolder);
}

bool EntryNames(HKEY key, const std::string& uninstaller) {
  const std::string named = Unquoted(ReadText(key, kUninstallStringValue));
  return !named.empty() && path::SamePath(named, uninstaller);
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

std::vector<std::string> RemoveShortcuts(const std::vector<std::string>& shortcuts, const std::string& installFolder,
                                         const std::string& programGroup) {
  const ComSession com;
  const std::vector<std::string> folders = ShortcutFolders(programGroup);
  std::vector<std::string> removed;
  for (const std::string& shortcut : shortcuts) {
    if (IsOwnShortcut(shortcut, installFolder, folders) && DeleteFileEvenIfReadOnly(shortcut)) removed.push_back(shortcut);
  }
  return removed;
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

void RemoveProgramGroup(const std::string& group, const std::vector<std::string>& removedShortcuts) {
  if (group.empty() || !path::FolderExists(group) || !IsInStartMenu(group)) return;
  // Only the group our own shortcuts were in: an edited record could name Startup, say.
  const bool heldOurs = std::any_of(removedShortcuts.begin(), removedShortcuts.end(),
                                    [&](const std::string& shortcut) { return IsInOneOf(shortcut, {group}); });
  if (!heldOurs) return;
  RemoveDirectoryA(group.c_str());  // fails, as it should, while anything is left inside
}

bool UninstallEntryNames(const std::string& uninstaller) {
  rt::RegKey key;
  return OpenUninstallKey(key, KEY_QUERY_VALUE) && EntryNames(key.Get(), uninstaller);
}

bool RemoveUninstallEntry(const std::string& uninstaller) {
  rt::RegKey key;
  if (!OpenUninstallKey(key, KEY_QUERY_VALUE | KEY_SET_VALUE) || !EntryNames(key.Get(), uninstaller)) return false;
  for (const char* value : kInstallerValues) RegDeleteValueA(key.Get(), value);
  const bool empty = IsEmptyKey(key.Get());
  key.Close();
  if (empty) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  return true;
}

}  // namespace product
