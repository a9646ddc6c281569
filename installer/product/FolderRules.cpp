#include "installer/product/FolderRules.h"

#include <windows.h>
#include <shlobj.h>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

struct ShellFolder {
  int csidl;
  Guard guard;
};

// The Users folder has no CSIDL of its own: it is the profile's parent, added below.
constexpr ShellFolder kShellFolders[] = {
    {CSIDL_WINDOWS, Guard::kItselfAndBelow},
    {CSIDL_SYSTEM, Guard::kItselfAndBelow},
    {CSIDL_PROGRAM_FILES, Guard::kItself},
    {CSIDL_PROGRAM_FILESX86, Guard::kItself},
    {CSIDL_PROGRAM_FILES_COMMON, Guard::kItself},
    {CSIDL_PROGRAM_FILES_COMMONX86, Guard::kItself},
    {CSIDL_COMMON_APPDATA, Guard::kItself},
    {CSIDL_PROFILE, Guard::kItself},
    {CSIDL_APPDATA, Guard::kItself},
    {CSIDL_LOCAL_APPDATA, Guard::kItself},
    {CSIDL_DESKTOPDIRECTORY, Guard::kItself},
    {CSIDL_COMMON_DESKTOPDIRECTORY, Guard::kItself},
    {CSIDL_PERSONAL, Guard::kItself},
    {CSIDL_COMMON_DOCUMENTS, Guard::kItself},
    {CSIDL_STARTMENU, Guard::kItself},
    {CSIDL_PROGRAMS, Guard::kItself},
    {CSIDL_COMMON_STARTMENU, Guard::kItself},
    {CSIDL_COMMON_PROGRAMS, Guard::kItself},
};

std::string ShellFolderPath(int csidl) {
  char buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return std::string();
  }
  return path::Normalised(buffer);
}

// A 32-bit program on 64-bit Windows is told the x86 folders by the shell: the 64-bit Program
// Files and Common Files come from the registry's 64-bit view, and from the variables Windows
// gives every 32-bit process, in case one of the two is missing.
constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNativeProgramFolderValues[] = {"ProgramW6432Dir", "CommonW6432Dir", "ProgramFilesDir",
                                                      "CommonFilesDir"};
constexpr const char* kNativeProgramFolderVariables[] = {"ProgramW6432", "CommonProgramW6432"};

std::vector<std::string> NativeProgramFolders() {
  std::vector<std::string> folders;
  rt::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) ==
      ERROR_SUCCESS) {
    for (const char* value : kNativeProgramFolderValues) {
      char buffer[MAX_PATH] = {};
      DWORD type = 0, size = sizeof buffer - 1;
      if (RegQueryValueExA(key.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
          type == REG_SZ) {
        folders.push_back(path::Normalised(buffer));
      }
    }
  }
  for (const char* variable : kNativeProgramFolderVariables) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(variable, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) folders.push_back(path::Normalised(buffer));
  }
  return folders;
}

// Where an existing file or folder really is: links followed, short names made long.
std::string FinalPath(const std::string& existing) {
  rt::UniqueHandle handle(CreateFileA(existing.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.Valid()) return std::string();
  char buffer[MAX_PATH * 2];
  const DWORD length = GetFinalPathNameByHandleA(handle.Get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof buffer) return std::string();
  std::string final(buffer, length);
  constexpr char kLongPrefix[] = "\\\\?\\";
  if (final.compare(0, sizeof kLongPrefix - 1, kLongPrefix) == 0) final.erase(0, sizeof kLongPrefix - 1);
  return path::IsDriveRoot(final) ? final.substr(0, 2) : path::WithoutTrailingSeparators(final);
}

bool IsBelow(const std::string& folder, const std::string& parent) {
  return folder.size() > parent.size() + 1 && folder[parent.size()] == '\\' &&
         path::EqualIgnoringCase(folder.substr(0, parent.size()), parent);
}

bool IsGuardedBy(const std::string& folder, const ProtectedFolder& guarded) {
  if (guarded.path.empty()) return false;
  if (path::EqualIgnoringCase(folder, guarded.path)) return true;
  switch (guarded.guard) {
    case Guard::kItself: return false;
    case Guard::kItselfAndChildren: return path::EqualIgnoringCase(path::Folder(folder), guarded.path);
    case Guard::kItselfAndBelow: return IsBelow(folder, guarded.path);
  }
  return false;
}

void Add(std::vector<ProtectedFolder>& folders, const std::string& folder, Guard guard) {
  if (folder.empty() || path::IsDriveRoot(folder)) return;  // roots are refused anyway
  folders.push_back({folder, guard});
  const std::string resolved = ResolvedFolder(folder);
  if (!resolved.empty() && !path::EqualIgnoringCase(resolved, folder)) folders.push_back({resolved, guard});
}

}  // namespace

std::vector<ProtectedFolder> SystemProtectedFolders() {
  std::vector<ProtectedFolder> folders;
  for (const ShellFolder& shell : kShellFolders) Add(folders, ShellFolderPath(shell.csidl), shell.guard);
  for (const std::string& native : NativeProgramFolders()) Add(folders, native, Guard::kItself);
  const std::string profile = ShellFolderPath(CSIDL_PROFILE);
  if (!profile.empty()) Add(folders, path::Folder(profile), Guard::kItselfAndChildren);
  return folders;
}

bool IsAmongProtected(const std::string& folder, const std::vector<ProtectedFolder>& folders) {
  if (folder.empty() || path::IsDriveRoot(folder)) return true;
  for (const ProtectedFolder& guarded : folders) {
    if (IsGuardedBy(folder, guarded)) return true;
  }
  return false;
}

std::string ResolvedFolder(const std::string& folder) {
  const std::string full = path::Normalised(folder);
  if (full.empty()) return std::string();
  std::string missing;  // the levels that do not exist yet, with a leading separator
  for (std::string level = full; !level.empty(); level = path::Folder(level)) {
    const std::string final = FinalPath(path::IsDriveRoot(level) ? level + "\\" : level);
    if (!final.empty()) return final + missing;
    if (path::IsDriveRoot(level)) break;
    missing = "\\" + path::LastComponent(level) + missing;
  }
  return full;
}

bool IsProtectedFolder(const std::string& folder) {
  const std::vector<ProtectedFolder> folders = SystemProtectedFolders();
  const std::string full = path::Normalised(folder);
  if (IsAmongProtected(full, folders)) return true;
  const std::string resolved = ResolvedFolder(folder);
  return resolved.empty() || IsAmongProtected(resolved, folders);
}

}  // namespace product
