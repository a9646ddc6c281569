#include "installer/product/InstalledFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "installer/product/FolderRules.h"
#include "installer/product/GbkPath.h"
#include "installer/product/UninstallRecord.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

constexpr int kRemovePasses = 20;  // about three seconds for files a just-ended process still holds
constexpr DWORD kRetryDelayMs = 150;

enum class Kind {
  kMissing,
  kFile,        // a plain file
  kFileLink,    // a link to a file
  kFolder,      // a real folder
  kFolderLink,  // a link to a folder, or a junction
  kUnknown,     // there, but its attributes cannot be read
};

Kind KindOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::kMissing : Kind::kUnknown;
  }
  const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return folder ? Kind::kFolderLink : Kind::kFileLink;
  return folder ? Kind::kFolder : Kind::kFile;
}

// Which listed folders are real folders on every level from the installation folder down: only
// through those does a listed path lead where the installation put it.
class RealFolders {
 public:
  explicit RealFolders(const std::string& top) : top_(top) {}

  // `relative` is a folder relative to the top; "" is the top itself.
  bool Contain(const std::string& relative) {
    if (relative.empty()) return true;
    const auto found = known_.find(relative);
    if (found != known_.end()) return found->second;
    const bool real = Contain(path::Folder(relative)) && KindOf(path::Join(top_, relative)) == Kind::kFolder;
    known_.emplace(relative, real);
    return real;
  }

 private:
  std::string top_;
  std::unordered_map<std::string, bool> known_;  // answers so far: 100,000 files share few folders
};

bool DeletePlainFile(const std::string& file) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileA(file.c_str()) != 0;
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

// Whether `file` is the one to keep; names are compared first, as resolving paths costs time.
bool IsKept(const std::string& file, const std::string& keep) {
  if (keep.empty() || !path::EqualIgnoringCase(path::LastComponent(file), path::LastComponent(keep))) return false;
  return path::SamePath(file, keep);
}

// The listed files that are plain files reached through real folders, and the record and the log.
std::vector<std::string> FilesToDelete(const InstallLog& log, RealFolders& realFolders, const std::string& keep) {
  std::vector<std::string> files;
  for (const InstalledItem& item : log.items) {
    if (item.isFolder || !realFolders.Contain(path::Folder(item.path))) continue;
    const std::string file = path::Join(log.folder, item.path);
    if (!IsKept(file, keep)) files.push_back(file);
  }
  files.push_back(path::Join(log.folder, kRecordFileName));
  files.push_back(path::Join(log.folder, kInstallLogName));
  return files;
}

// Deletes what can be deleted; the files that stay because something holds them. A folder or a
// link where a file was listed is not the installation's file and stays, untouched.
std::vector<std::string> DeleteFiles(const std::vector<std::string>& files) {
  std::vector<std::string> held;
  for (const std::string& file : files) {
    const Kind kind = KindOf(file);
    if (kind == Kind::kUnknown || (kind == Kind::kFile && !DeletePlainFile(file))) held.push_back(file);
  }
  return held;
}

bool DeleteFilesRetrying(std::vector<std::string> files) {
  for (int pass = 1; pass < kRemovePasses && !files.empty(); ++pass) {
    files = DeleteFiles(files);
    if (!files.empty()) Sleep(kRetryDelayMs);
  }
  return DeleteFiles(files).empty();
}

size_t Depth(const InstalledItem& item) { return path::Split(item.path, '\\').size(); }

// Deepest first, so that a folder is looked at only after everything listed inside it.
void RemoveListedFolders(const InstallLog& log, RealFolders& realFolders) {
  std::vector<const InstalledItem*> folders;
  for (const InstalledItem& item : log.items) {
    if (item.isFolder) folders.push_back(&item);
  }
  std::stable_sort(folders.begin(), folders.end(),
                   [](const InstalledItem* a, const InstalledItem* b) { return Depth(*a) > Depth(*b); });
  for (const InstalledItem* item : folders) {
    if (!realFolders.Contain(path::Folder(item->path))) continue;
    const std::string folder = path::Join(log.folder, item->path);
    const Kind kind = KindOf(folder);
    if (kind == Kind::kFolder) RemoveIfEmpty(folder);
    if (kind == Kind::kFolderLink) RemoveDirectoryA(folder.c_str());  // the link goes, its target stays
  }
}

}  // namespace

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
  RealFolders realFolders(log.folder);
  RemovalResult result;
  result.complete = DeleteFilesRetrying(FilesToDelete(log, realFolders, keep));
  RemoveListedFolders(log, realFolders);
  for (const std::string& level : RemovableLevels(log)) {
    if (!RemoveIfEmpty(level)) break;  // a folder that stays keeps its parents
  }
  const std::string keepName =
      !keep.empty() && path::SameFolder(path::Folder(keep), log.folder) ? path::LastComponent(keep) : std::string();
  result.folderKept = path::FolderExists(log.folder) && !HoldsOnly(log.folder, keepName);
  return result;
}

}  // namespace product
