// Uninstall.exe: takes away what the installer made, as recorded in Uninstall.ini and
// Uninstall.log beside it, and nothing else.
//
// First run (from the installation folder): read and check the record and the log, ask, start a
// copy of ourselves in the temporary folder, and once the copy has checked them again and
// agreed, remove the shortcuts, the program group and the uninstall entry. Second run (that
// copy): check again, agree, wait for the first to end, remove the listed files and then the
// folders that are left empty, say how it went. Nothing is removed before both runs agree.
#include <windows.h>

#include <string>
#include <vector>

#include "installer/product/CleanupCopy.h"
#include "installer/product/GbkPath.h"
#include "installer/product/InstalledFiles.h"
#include "installer/product/Removal.h"
#include "installer/product/UninstallRecord.h"

namespace {

using namespace product;

constexpr char kCaption[] = "Veltaro 会计从业考试题库";
constexpr char kConfirmText[] = "确定要卸载 Veltaro 会计从业考试题库 吗？";
constexpr char kDoneText[] = "卸载完成";
constexpr char kKeptText[] = "卸载完成。下面的文件夹中还有不属于本软件的文件，已保留：\r\n";
constexpr char kIncompleteText[] = "卸载未能全部完成。下面的文件夹中有文件正在使用，无法删除，请稍后手动删除：\r\n";
constexpr char kAfterRestartText[] = "卸载完成。剩余的文件将在计算机重新启动后删除。";
constexpr DWORD kOriginalExitTimeoutMs = 60000;

struct RefusalText {
  Refusal refusal;
  const char* text;
  bool namesFolder;  // followed by the folder
};

constexpr RefusalText kRefusalTexts[] = {
    {Refusal::BadRecord,
     "没有找到有效的卸载信息，卸载已取消。\r\n安装目录中的 Uninstall.ini 缺失、已损坏，或者不属于本目录。", false},
    {Refusal::BadLog,
     "没有找到有效的安装记录，卸载已取消，没有删除任何文件。\r\n安装目录中的 Uninstall.log 缺失或已损坏。", false},
    {Refusal::LogOfOtherFolder,
     "安装记录不属于本目录，卸载已取消，没有删除任何文件。\r\n安装目录中的 Uninstall.log 记录的是另一个文件夹。", false},
    {Refusal::ProtectedFolder,
     "本软件所在的文件夹是系统文件夹或公用文件夹，为保护其中的文件，卸载已取消，没有删除任何文件：\r\n", true},
    {Refusal::OpenToOthers,
     "本软件所在的文件夹或其中的卸载记录可以被其他用户修改，为保护计算机，卸载已取消，没有删除任何文件：\r\n", true},
};

// Exit codes, for whoever starts us from a script.
enum ExitCode { kExitDone = 0, kExitCancelled = 1, kExitRefused = 2, kExitIncomplete = 3 };

int ShowBox(const std::string& text, UINT style) {
  return MessageBoxA(nullptr, text.c_str(), kCaption, style | MB_SETFOREGROUND);
}

bool UserConfirms() { return ShowBox(kConfirmText, MB_YESNO | MB_ICONQUESTION) == IDYES; }

int Refuse(Refusal refusal, const std::string& folder) {
  for (const RefusalText& entry : kRefusalTexts) {
    if (entry.refusal != refusal) continue;
    ShowBox(entry.namesFolder ? entry.text + folder : std::string(entry.text), MB_OK | MB_ICONWARNING);
    break;
  }
  return kExitRefused;
}

int ReportResult(const RemovalResult& result, const std::string& folder) {
  if (!result.complete) {
    ShowBox(kIncompleteText + folder, MB_OK | MB_ICONWARNING);
    return kExitIncomplete;
  }
  ShowBox(result.folderKept ? kKeptText + folder : std::string(kDoneText), MB_OK | MB_ICONINFORMATION);
  return kExitDone;
}

// Without a copy to finish the job: what the log lists goes now, except ourselves; we and the
// folders the installation made go at the next start of Windows, those only if empty by then.
int FinishInPlace(const InstallLog& log) {
  const std::string self = path::OwnProgram();
  const RemovalResult result = RemoveInstalledItems(log, self);
  MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  for (const std::string& level : RemovableLevels(log)) MoveFileExA(level.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (!result.complete || result.folderKept) return ReportResult(result, log.folder);
  ShowBox(kAfterRestartText, MB_OK | MB_ICONINFORMATION);
  return kExitDone;
}

void RemoveShortcutsAndEntry(const RecordedInstallation& installation) {
  const std::vector<std::string> removed =
      RemoveShortcuts(installation.record.shortcuts, installation.log.folder, installation.record.programGroup);
  RemoveProgramGroup(installation.record.programGroup, removed);
  RemoveUninstallEntry(path::OwnProgram());
}

// True once the copy has agreed; false when it has ended without (it has said why). No limit:
// a copy that agrees late still removes the files, and the shortcuts and entry must go with them.
bool CopyAgrees(const CleanupCopy& copy) {
  const HANDLE waited[] = {copy.agreed.Get(), copy.process.Get()};
  return WaitForMultipleObjects(2, waited, FALSE, INFINITE) == WAIT_OBJECT_0;
}

int UninstallFromInstallFolder() {
  const std::string folder = path::OwnFolder();
  RecordedInstallation installation;
  const Refusal refusal = LoadInstallation(folder, installation);
  if (refusal != Refusal::None) return Refuse(refusal, folder);
  if (!UserConfirms()) return kExitCancelled;
  CleanupCopy copy;
  if (StartCleanupCopy(folder, copy)) {
    if (!CopyAgrees(copy)) return kExitRefused;
    RemoveShortcutsAndEntry(installation);
    return kExitDone;
  }
  RemoveShortcutsAndEntry(installation);
  return FinishInPlace(installation.log);
}

int FinishFromCleanupCopy(const CleanupRequest& request) {
  // Checked again: the folder to remove comes from a command line. The first run removes
  // nothing until we agree.
  RecordedInstallation installation;
  const Refusal refusal = LoadInstallation(request.folder, installation);
  if (refusal != Refusal::None) return Refuse(refusal, request.folder);
  SetEvent(request.agreed);
  // Uninstall.exe in the folder stays locked until the first run has ended.
  WaitForSingleObject(request.original, kOriginalExitTimeoutMs);
  return ReportResult(RemoveInstalledItems(installation.log, std::string()), installation.log.folder);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CleanupRequest request;
  if (ParseCleanupRequest(GetCommandLineA(), request)) return FinishFromCleanupCopy(request);
  return UninstallFromInstallFolder();
}
