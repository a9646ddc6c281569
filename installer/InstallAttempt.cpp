#include "installer/InstallAttempt.h"

#include <windows.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "installer/PayloadListing.h"
#include "installer/product/FolderAccess.h"
#include "installer/product/GbkPath.h"
#include "installer/product/InstalledFiles.h"
#include "installer/product/Removal.h"
#include "installer/product/UninstallRecord.h"
#include "runtime/Win32Handle.h"
#include "services/core/GbkText.h"

namespace installer {
namespace {

namespace path = product::path;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void DeleteFileEvenIfReadOnly(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(file.c_str());
}

bool RecordNamesFolder(const std::string& folder) {
  const product::UninstallRecord record = product::ReadUninstallRecord(folder);
  return product::CheckUninstallRecord(record, folder) == product::RecordProblem::None;
}

bool ReadEarlierLog(const std::string& folder, product::InstallLog& log) {
  return product::ReadInstallLog(folder, log) && path::SameFolder(log.folder, folder);
}

}  // namespace

bool InstallAttempt::Plan(const std::string& folder, const std::string& archiveFile, const unsigned char* archive,
                          size_t size) {
  folder_ = folder;
  archiveFile_ = archiveFile;
  made_ = path::OutermostMissingLevel(folder);
  std::vector<product::InstalledItem> items;
  if (!ListPayload(archive, size, items)) return false;
  const bool folderExisted = made_.empty();
  recordExisted_ = folderExisted && Exists(path::Join(folder, product::kRecordFileName));
  logExisted_ = folderExisted && Exists(path::Join(folder, product::kInstallLogName));
  // Only what all three records agree on is an earlier installation: Uninstall.ini alone is a
  // file anyone who may write in the folder can make.
  overEarlier_ = recordExisted_ && logExisted_ && RecordNamesFolder(folder) && ReadEarlierLog(folder, earlier_) &&
                 product::UninstallEntryNames(path::Join(folder, product::kUninstallerName));
  // Below a folder the attempt makes nothing can exist yet, so a fresh folder costs no look-ups.
  std::unordered_map<std::string, bool> knownFolders;
  items_.clear();
  items_.reserve(items.size());
  for (product::InstalledItem& item : items) {
    const std::string parent = path::Folder(item.path);
    bool parentExisted = folderExisted;
    if (!parent.empty()) {
      const auto known = knownFolders.find(path::CaseFolded(parent));
      parentExisted = known == knownFolders.end() ? Exists(InFolder(parent)) : known->second;
    }
    const bool existed = parentExisted && Exists(InFolder(item.path));
    if (item.isFolder) knownFolders[path::CaseFolded(item.path)] = existed;
    items_.push_back({std::move(item), existed});
  }
  return true;
}

size_t InstallAttempt::LongestItemPath() const {
  size_t longest = 0;
  for (const Item& item : items_) longest = std::max(longest, item.item.path.size());
  return longest;
}

bool InstallAttempt::MakeFolder() const {
  if (made_.empty()) return path::FolderExists(folder_);
  // Someone who makes the outermost level first, between the plan and now, keeps it: it is not ours.
  if (!product::MakeAdministratorsFolder(made_)) return false;
  for (size_t i = made_.size() + 1; i < folder_.size(); i += gbk::CharLength(folder_.data(), i, folder_.size())) {
    if (folder_[i] == '\\') CreateDirectoryA(folder_.substr(0, i).c_str(), nullptr);  // inherits the level above
  }
  if (folder_.size() > made_.size()) CreateDirectoryA(folder_.c_str(), nullptr);
  return path::FolderExists(folder_);
}

product::InstallLog InstallAttempt::Log() const {
  product::InstallLog log;
  log.folder = folder_;
  log.made = overEarlier_ ? earlier_.made : made_;
  log.items.reserve(items_.size());
  std::unordered_set<std::string> listed;
  for (const Item& item : items_) {
    log.items.push_back(item.item);
    listed.insert(path::CaseFolded(item.item.path));
  }
  if (!overEarlier_) return log;
  // What an earlier version brought and this one does not still belongs to the product.
  for (const product::InstalledItem& item : earlier_.items) {
    if (listed.count(path::CaseFolded(item.path)) || !Exists(InFolder(item.path))) continue;
    log.items.push_back(item);
    listed.insert(path::CaseFolded(item.path));
  }
  return log;
}

void InstallAttempt::KeepEarlierFiles() {
  std::vector<std::string> files;
  for (const Item& item : items_) {
    if (item.existed && !item.item.isFolder) files.push_back(item.item.path);
  }
  earlierFiles_.Keep(folder_, files);
}

void InstallAttempt::Undo() const {
  earlierFiles_.PutBack();
  DeleteFileEvenIfReadOnly(archiveFile_);
  if (!logExisted_) DeleteFileEvenIfReadOnly(path::Join(folder_, product::kInstallLogName));
  if (!recordExisted_) DeleteFileEvenIfReadOnly(path::Join(folder_, product::kRecordFileName));
  // Backwards, so that a folder's contents go before the folder; a folder only when empty, so
  // never anything the attempt did not make, and nothing reached through a link.
  for (auto item = items_.rbegin(); item != items_.rend(); ++item) {
    if (!item->existed) product::RemoveListedItem(folder_, item->item.path, item->item.isFolder);
  }
  product::RemoveEmptyLevels(folder_, made_);
}

std::string InstallAttempt::InFolder(const std::string& relative) const { return path::Join(folder_, relative); }

bool FolderHoldsAnything(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  rt::FindHandle search(FindFirstFileA(path::Join(folder, "*").c_str(), &entry));
  if (!search.Valid()) return false;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") return true;
  } while (FindNextFileA(search.Get(), &entry));
  return false;
}

}  // namespace installer
