#include "installer/product/InstalledFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "installer/product/FolderRules.h"
#include "installer/product/GbkPath.h"
#include "installer/product/UninstallRecord.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

constexpr int kRemovePasses = 20;  // about three seconds for files a just-ended process still holds
constexpr DWORD kRetryDelayMs = 150;

// A folder, and not a link to one: Windows shows any link by its attributes, Wine a link to a
// folder.
bool IsRealFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// True when the folder holds nothing but, possibly, the file named `keepName`.
bool HoldsOnly(const std::string& folder, const std::string& keepName) {
  WIN32_FIND_DATAA entry;
  rt::FindHandle search(FindFirstFileA(path::Join(folder, "*").c_str(), &entry));
  if (!search.Valid()) return false;
  do {
    const char* name = entry.cFileName;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (!keepName.empty() && path::EqualIgnoringCase(name, keepName)) continue;
    return false;
  } while (FindNextFileA(search.Get(), &entry));
  return true;
}

bool RemoveIfEmpty(const std::string& folder) {
  if (!HoldsOnly(folder, std::string())) return false;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(folder.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return RemoveDirectoryA(folder.c_str()) != 0;
}

// Where the system says an open file or folder lies, without the "\\?\" prefix; empty when it
// cannot say.
std::string FinalPathOf(HANDLE handle) {
  std::string path(1024, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleA(handle, &path[0], static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + path.substr(8);
      if (path.compare(0, 4, "\\\\?\\") == 0) return path.substr(4);
      return path;
    }
    path.assign(length + 1, '\0');
  }
  return std::string();
}

// Where the installation folder itself lies, as the system resolves it: the installation may
// lie behind a link of the user's own (a redirected profile folder); what lies inside must not.
std::string FinalPathOfFolder(const std::string& folder) {
  rt::UniqueHandle handle(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return handle.Valid() ? FinalPathOf(handle.Get()) : std::string();
}

enum class Removal {
  kDone,  // gone, or not there
  kHeld,  // in use: tried again later
  kLeft,  // not the installation's any more (a link, a folder for a file, a path leading elsewhere)
};

bool ClearReadOnly(HANDLE item, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  FILE_BASIC_INFO basic = {};  // times of zero stay as they are
  basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // 0 would change nothing
  return SetFileInformationByHandle(item, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Removes one listed item, `relative` to the installation folder `top`, through a handle to the
// item itself, opened without following a link, once it shows that the item is what the
// installation put there: of the listed kind, reached through real folders only, and lying where
// the system resolves `top` (`finalTop`) and the listed name to. A link is removed as a link,
// and only where the handle is the link's own: Wine opens a link's target even when asked for the
// link, so there a link stays. The checks and the removal concern the same open object.
Removal RemoveItem(const std::string& top, const std::string& finalTop, const std::string& relative,
                   bool listedAsFolder) {
  const std::string item = path::Join(top, relative);
  rt::UniqueHandle handle(CreateFileA(item.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.Valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Removal::kDone : Removal::kHeld;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.Get(), &info)) return Removal::kHeld;
  if (!LeadsThroughRealFolders(top, relative)) return Removal::kLeft;
  const bool isLink = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
  const DWORD named = GetFileAttributesA(item.c_str());
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) && !isLink) return Removal::kLeft;
  const bool isFolder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  if (!isLink && isFolder != listedAsFolder) return Removal::kLeft;
  if (finalTop.empty() || !path::EqualIgnoringCase(FinalPathOf(handle.Get()), path::Join(finalTop, relative))) {
    return Removal::kLeft;
  }
  if (!isLink) ClearReadOnly(handle.Get(), info.dwFileAttributes);
  // A folder that is not empty refuses to go (a search inside could not even start: our handle
  // holds the right to delete, and a search does not share it).
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
    return Removal::kDone;
  }
  return GetLastError() == ERROR_DIR_NOT_EMPTY ? Removal::kLeft : Removal::kHeld;
}

// Whether `file` is the one to keep; names are compared first, as resolving paths costs time.
bool IsKept(const std::string& file, const std::string& keep) {
  if (keep.empty() || !path::EqualIgnoringCase(path::LastComponent(file), path::LastComponent(keep))) return false;
  return path::SamePath(file, keep);
}

// The listed files, relative to the installation folder, and the record and the log.
std::vector<std::string> FilesToDelete(const InstallLog& log, const std::string& keep) {
  std::vector<std::string> files;
  for (const InstalledItem& item : log.items) {
    if (!item.isFolder && !IsKept(path::Join(log.folder, item.path), keep)) files.push_back(item.path);
  }
  files.push_back(kRecordFileName);
  files.push_back(kInstallLogName);
  return files;
}

// One pass over the files, each checked again from the start: a folder on its path may have
// been swapped for a link since the pass before. The files that stay because something holds
// them.
std::vector<std::string> DeleteFiles(const std::string& top, const std::vector<std::string>& files) {
  const std::string finalTop = FinalPathOfFolder(top);
  std::vector<std::string> held;
  for (const std::string& file : files) {
    if (RemoveItem(top, finalTop, file, false) == Removal::kHeld) held.push_back(file);
  }
  return held;
}

bool DeleteFilesRetrying(const std::string& top, std::vector<std::string> files) {
  for (int pass = 1; pass < kRemovePasses && !files.empty(); ++pass) {
    files = DeleteFiles(top, files);
    if (!files.empty()) Sleep(kRetryDelayMs);
  }
  return DeleteFiles(top, files).empty();
}

size_t Depth(const InstalledItem& item) { return path::Split(item.path, '\\').size(); }

// Deepest first, so that a folder is looked at only after everything listed inside it.
void RemoveListedFolders(const InstallLog& log) {
  std::vector<const InstalledItem*> folders;
  for (const InstalledItem& item : log.items) {
    if (item.isFolder) folders.push_back(&item);
  }
  std::stable_sort(folders.begin(), folders.end(),
                   [](const InstalledItem* a, const InstalledItem* b) { return Depth(*a) > Depth(*b); });
  const std::string finalTop = FinalPathOfFolder(log.folder);
  for (const InstalledItem* item : folders) RemoveItem(log.folder, finalTop, item->path, true);
}

}  // namespace

bool LeadsThroughRealFolders(const std::string& top, const std::string& relative) {
  for (std::string level = path::Folder(relative); !level.empty(); level = path::Folder(level)) {
    if (!IsRealFolder(path::Join(top, level))) return false;
  }
  return true;
}

bool RemoveListedItem(const std::string& folder, const std::string& relative, bool isFolder) {
  return RemoveItem(folder, FinalPathOfFolder(folder), relative, isFolder) == Removal::kDone;
}

void RemoveEmptyLevels(const std::string& folder, const std::string& made) {
  if (made.empty()) return;
  for (std::string level = folder; level.size() >= made.size(); level = path::Folder(level)) {
    if (!RemoveDirectoryA(level.c_str()) || path::EqualIgnoringCase(level, made)) return;
  }
}

std::vector<std::string> FolderAndCreatedParents(const std::string& folder, const std::string& made) {
  std::vector<std::string> levels;
  for (std::string level = folder; path::IsDrivePath(level) && !path::IsDriveRoot(level); level = path::Folder(level)) {
    levels.push_back(level);
    if (path::EqualIgnoringCase(level, made)) return levels;
  }
  return {};  // the folder was there before the installation: it stays, as its parents do
}

std::vector<std::string> RemovableLevels(const InstallLog& log) {
  const std::vector<ProtectedFolder> protectedFolders = SystemProtectedFolders();
  std::vector<std::string> levels;
  for (const std::string& level : FolderAndCreatedParents(log.folder, log.made)) {
    if (IsAmongProtected(path::Normalised(level), protectedFolders)) break;
    levels.push_back(level);
  }
  return levels;
}

RemovalResult RemoveInstalledItems(const InstallLog& log, const std::string& keep) {
  RemovalResult result;
  result.complete = DeleteFilesRetrying(log.folder, FilesToDelete(log, keep));
  RemoveListedFolders(log);
  for (const std::string& level : RemovableLevels(log)) {
    if (!RemoveIfEmpty(level)) break;  // a folder that stays keeps its parents
  }
  const std::string keepName =
      !keep.empty() && path::SameFolder(path::Folder(keep), log.folder) ? path::LastComponent(keep) : std::string();
  result.folderKept = path::FolderExists(log.folder) && !HoldsOnly(log.folder, keepName);
  return result;
}

}  // namespace product
