#include "installer/product/UninstallRecord.h"

#include <windows.h>

#include "installer/product/FolderAccess.h"
#include "installer/product/FolderRules.h"
#include "installer/product/GbkPath.h"

namespace product {

namespace {

constexpr char kFolderEntry[] = "路径";
constexpr char kShortcutEntry[] = "快捷方式";
constexpr char kGroupEntry[] = "程序组";
constexpr char kShortcutDelimiter = '|';

// The installer names the section after the entry.
std::string ReadEntry(const std::string& iniPath, const char* name) {
  std::string value(32768, '\0');
  const DWORD length = GetPrivateProfileStringA(name, name, "", &value[0], static_cast<DWORD>(value.size()),
                                                iniPath.c_str());
  value.resize(length);
  return path::Trim(value);
}

std::vector<std::string> SplitShortcuts(const std::string& list) {
  std::vector<std::string> shortcuts;
  for (const std::string& part : path::Split(list, kShortcutDelimiter)) {
    const std::string shortcut = path::Trim(part);
    if (!shortcut.empty()) shortcuts.push_back(shortcut);
  }
  return shortcuts;
}

// A folder the installation made was open to administrators only: if any other user may now
// change it, its record or its log, what they list can no longer be trusted. A folder that was
// there before keeps the access its owner gave it.
bool OpenToOthers(const InstallLog& log, const std::string& folder) {
  if (log.made.empty()) return false;
  for (const std::string& item : {folder, path::Join(folder, kRecordFileName), path::Join(folder, kInstallLogName)}) {
    if (OthersMayChange(item)) return true;
  }
  return false;
}

}  // namespace

UninstallRecord ReadUninstallRecord(const std::string& folder) {
  const std::string iniPath = path::Join(folder, kRecordFileName);
  UninstallRecord record;
  record.folder = ReadEntry(iniPath, kFolderEntry);
  record.shortcuts = SplitShortcuts(ReadEntry(iniPath, kShortcutEntry));
  record.programGroup = ReadEntry(iniPath, kGroupEntry);
  return record;
}

RecordProblem CheckUninstallRecord(const UninstallRecord& record, const std::string& recordFolder) {
  if (!path::FileExists(path::Join(recordFolder, kRecordFileName))) return RecordProblem::NoRecord;
  if (record.folder.empty()) return RecordProblem::NoFolder;
  if (!path::IsDrivePath(record.folder)) return RecordProblem::NotDrivePath;
  // Judge the resolved path: "C:\Veltaro\.." is a drive root too.
  const std::string folder = path::Normalised(record.folder);
  if (folder.empty() || path::IsDriveRoot(folder)) return RecordProblem::DriveRoot;
  if (!path::SameFolder(folder, recordFolder)) return RecordProblem::OtherFolder;
  return RecordProblem::None;
}

Refusal LoadInstallation(const std::string& folder, RecordedInstallation& installation) {
  // First the folder itself: in a system folder no record, however good, is acted on.
  if (IsProtectedFolder(folder)) return Refusal::ProtectedFolder;
  installation.record = ReadUninstallRecord(folder);
  if (CheckUninstallRecord(installation.record, folder) != RecordProblem::None) return Refusal::BadRecord;
  if (!ReadInstallLog(folder, installation.log)) return Refusal::BadLog;
  if (!path::SameFolder(installation.log.folder, folder)) return Refusal::LogOfOtherFolder;
  if (OpenToOthers(installation.log, folder)) return Refusal::OpenToOthers;
  return Refusal::None;
}

}  // namespace product
