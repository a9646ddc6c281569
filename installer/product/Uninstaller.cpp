// Uninstall.exe: takes away what the installer made, as recorded in Uninstall.ini beside it.
//
// First run (from the installation folder): read and check the record, ask, remove the
// shortcuts, the program group and the registry entries, then hand over to a copy of ourselves
// in the temporary folder. Second run (that copy): wait for the first to end, remove the
// installation folder, say how it went.
#include <windows.h>

#include <string>

#include "installer/product/CleanupCopy.h"
#include "installer/product/GbkPath.h"
#include "installer/product/Removal.h"
#include "installer/product/UninstallRecord.h"

namespace {

using namespace product;

constexpr char kCaption[] = "Veltaro 会计从业考试题库";
constexpr char kConfirmText[] = "确定要卸载 Veltaro 会计从业考试题库 吗？";
constexpr char kDoneText[] = "卸载完成";
constexpr char kRefusedText[] =
    "没有找到有效的卸载信息，卸载已取消。\r\n安装目录中的 Uninstall.ini 缺失、已损坏，或者不属于本目录。";
constexpr char kIncompleteText[] = "卸载未能全部完成。下面的文件夹中有文件正在使用，无法删除，请稍后手动删除：\r\n";
constexpr char kAfterRestartText[] = "卸载完成。剩余的文件将在计算机重新启动后删除。";
constexpr DWORD kOriginalExitTimeoutMs = 60000;

// Exit codes, for whoever starts us from a script.
enum ExitCode { kExitDone = 0, kExitCancelled = 1, kExitRefused = 2, kExitIncomplete = 3 };

int ShowBox(const std::string& text, UINT style) {
  return MessageBoxA(nullptr, text.c_str(), kCaption, style | MB_SETFOREGROUND);
}

bool UserConfirms() { return ShowBox(kConfirmText, MB_YESNO | MB_ICONQUESTION) == IDYES; }

int Refuse() {
  ShowBox(kRefusedText, MB_OK | MB_ICONWARNING);
  return kExitRefused;
}

bool LoadCheckedRecord(const std::string& folder, UninstallRecord& record) {
  record = ReadUninstallRecord(folder);
  return CheckUninstallRecord(record, folder) == RecordProblem::None;
}

int ReportResult(bool complete, const std::string& folder) {
  if (!complete) {
    ShowBox(kIncompleteText + folder, MB_OK | MB_ICONWARNING);
    return kExitIncomplete;
  }
  ShowBox(kDoneText, MB_OK | MB_ICONINFORMATION);
  return kExitDone;
}

// Without a copy to finish the job: everything but ourselves goes now, we go at the next start
// of Windows, and the message says so.
int FinishInPlace(const std::string& folder) {
  const std::string self = path::OwnProgram();
  if (!RemoveTreeExcept(folder, self)) return ReportResult(false, folder);
  MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  ShowBox(kAfterRestartText, MB_OK | MB_ICONINFORMATION);
  return kExitDone;
}

int UninstallFromInstallFolder() {
  const std::string folder = path::OwnFolder();
  UninstallRecord record;
  if (!LoadCheckedRecord(folder, record)) return Refuse();
  if (!UserConfirms()) return kExitCancelled;
  RemoveShortcuts(record.shortcuts);
  RemoveProgramGroup(record.programGroup);
  RemoveRegistryEntries();
  if (StartCleanupCopy(folder)) return kExitDone;
  return FinishInPlace(folder);
}

int FinishFromCleanupCopy(const CleanupRequest& request) {
  // Uninstall.exe in the folder stays locked until the first run has ended.
  WaitForSingleObject(request.original, kOriginalExitTimeoutMs);
  // The record is checked again: the folder to remove comes from a command line.
  UninstallRecord record;
  if (!LoadCheckedRecord(request.folder, record)) return Refuse();
  return ReportResult(RemoveInstallFolder(request.folder), request.folder);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CleanupRequest request;
  if (ParseCleanupRequest(GetCommandLineA(), request)) return FinishFromCleanupCopy(request);
  return UninstallFromInstallFolder();
}
