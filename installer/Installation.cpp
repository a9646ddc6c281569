// An installation is a chain of small steps; each one that can fail says so, and a failed chain
// takes back everything it made, leaves nothing registered and brings the user back to choose
// another folder.
#include "installer/Installation.h"
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "installer/InstallAttempt.h"
#include "installer/InstallPath.h"
#include "installer/InstallerIds.h"
#include "installer/ProgramCalls.h"
#include "installer/Registration.h"
#include "installer/product/FolderAccess.h"
#include "installer/product/FolderRules.h"
#include "installer/product/GbkPath.h"
#include "installer/product/InstallLog.h"
#include "installer/product/InstalledFiles.h"
#include "installer/product/UninstallRecord.h"
#include "runtime/Win32Handle.h"
#include "services/core/GbkText.h"
#include "program_pool.h"
#include "runtime/Runtime.h"

namespace installer {
namespace {

constexpr int32_t kDesktopFolder = 3, kProgramsFolder = 6, kApplicationData = 8;
constexpr int32_t kNotice = MB_OK | MB_ICONINFORMATION;
constexpr int32_t kQuestion = MB_YESNO | MB_ICONQUESTION;
constexpr int32_t kAnsweredYes = 5;  // the message box command counts its buttons from 0: IDYES - 1
constexpr int32_t kShowNormal = 2;
// Room kept free beyond the archive and its files: folders, the record, the shortcuts.
constexpr uint64_t kSpareRoom = 4u << 20;

uint32_t ViewPayloadSize();

// A file as it was before the attempt replaced it, to be put back when the attempt fails.
struct SavedFile {
  std::string path;
  std::string bytes;
};

struct Installation {
  std::string folder;                   // F, without a trailing separator
  std::string archive;                  // F + "\zip.tmp"
  std::vector<std::string> shortcuts;   // every shortcut file made
  std::vector<SavedFile> replaced;      // shortcuts that were there before, as they were
  std::string group;                    // the program group folder G, or empty
  bool groupMade = false;               // G did not exist before
  std::string quickLaunchMade;          // the outermost Quick Launch level made, or empty
  SavedFile earlierRecord;              // the Uninstall.ini there before, read once; no path if none
  InstallAttempt attempt;               // what was there before, for taking the attempt back
};


std::string InFolder(const Installation& setup, uint32_t item) { return setup.folder + pool::Text(item); }

void Tell(uint32_t message) { ShowMessageBox(pool::Text(message), kNotice, pool::Text(pool::MessageTitle)); }

bool Checked(uint32_t box) { return GetIntProperty(box, kCheckBoxChecked) != 0; }

void ShowPage(Page page) { SetIntProperty(kPages, kCurrentPage, page); }

// Lets the window repaint before a step that keeps the thread busy.
void LetWindowPaint() { rt::RuntimeNotify(rt::kNotifyProcessMessages, 0, 0); }

bool EnoughRoom(const std::string& folder) {
  std::string root = DriveOf(folder) + pool::Text(pool::Separator);
  ULARGE_INTEGER available = {}, total = {}, free = {};
  if (!rt::CallDeclared(kGetDiskFreeSpace, root.c_str(), &available, &total, &free)) return true;  // unknown: let the write tell
  uint64_t needed = static_cast<uint64_t>(ViewPayloadSize()) + pool::kPayloadUnpackedSize + kSpareRoom;
  return available.QuadPart >= needed;
}

bool ReadSmallFile(const std::string& file, std::string& bytes) {
  rt::UniqueHandle input(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.Valid()) return false;
  const DWORD size = GetFileSize(input.Get(), nullptr);
  if (size == INVALID_FILE_SIZE || size > (1u << 20)) return false;
  bytes.assign(size, '\0');
  DWORD read = 0;
  return size == 0 || (ReadFile(input.Get(), &bytes[0], size, &read, nullptr) && read == size);
}

bool WriteWholeFile(const std::string& file, const std::string& bytes) {
  rt::UniqueHandle output(rt::CreateReplacingFile(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  if (!output.Valid()) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(output.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

void PutBack(const SavedFile& saved) { WriteWholeFile(saved.path, saved.bytes); }

// The folder's missing levels, outermost first (each call makes one level).
void CreateFolders(const std::string& folder) {
  for (size_t i = 3; i < folder.size(); i += gbk::CharLength(folder.data(), i, folder.size()))
    if (folder[i] == '\\') CreateFolder(folder.substr(0, i));
  CreateFolder(folder);
}

bool CheckFolder(Installation& setup) {
  setup.folder = TidyFolder(GetTextProperty(kFolderBox, kEditContent));
  if (!IsUsableFolder(setup.folder)) return Tell(pool::BadPathMessage), false;
  if (GetDiskTotalSpace(DriveOf(setup.folder)) == -1) return Tell(pool::BadDriveMessage), false;
  if (product::IsProtectedFolder(setup.folder)) return Tell(pool::ProtectedFolderMessage), false;
  if (!EnoughRoom(setup.folder)) return Tell(pool::NoSpaceMessage), false;
  SetTextProperty(kFolderBox, kEditContent, setup.folder);
  setup.archive = InFolder(setup, pool::ArchiveFile);
  return true;
}

// A folder that already holds other files, or that other users may change, is taken only when
// the user says so, unless what it holds is an earlier installation of the product.
bool FolderMayBeUsed(const Installation& setup) {
  if (setup.attempt.IsOverEarlierInstallation() || setup.attempt.MakesFolder()) return true;
  const bool holdsFiles = FolderHoldsAnything(setup.folder);
  const bool openToOthers = product::OthersMayChange(setup.folder);
  if (!holdsFiles && !openToOthers) return true;
  std::string question = openToOthers ? std::string(pool::Text(pool::OpenFolderNote)) + "\r\n" : std::string();
  question += pool::Text(holdsFiles ? pool::FolderInUseQuestion : pool::OpenFolderQuestion);
  if (ShowMessageBox(question.c_str(), kQuestion, pool::Text(pool::MessageTitle)) == kAnsweredYes) return true;
  ShowPage(kCustomPage);
  return false;
}

bool PlanAttempt(Installation& setup) {
  const auto* payload = static_cast<const unsigned char*>(pool::Bytes(pool::Payload));
  if (!setup.attempt.Plan(setup.folder, setup.archive, payload + 8, ViewPayloadSize())) {
    Tell(pool::InstallFailedMessage);  // an archive whose directory cannot be read would not unpack
    return false;
  }
  if (HoldsPathsOf(setup.folder, setup.attempt.LongestItemPath())) return true;
  Tell(pool::FolderTooLongMessage);
  return false;
}

bool WritePayload(const Installation& setup) {
  return setup.attempt.MakeFolder() && WriteBytesToFile(setup.archive, pool::Bytes(pool::Payload));
}

bool UnpackProduct(Installation& setup) {
  ShowProgress(0);
  setup.attempt.KeepEarlierFiles();
  return Unpack(kWindow, kZipUnit, setup.archive, setup.folder) == 1;
}

// The shortcut file always ends in ".lnk": the name handed on already has its extension, so a dot
// elsewhere in the path cannot leave the file without one.
void MakeShortcut(Installation& setup, std::string file, uint32_t target) {
  std::string extension = pool::Text(pool::ShortcutExtension);
  if (file.size() < extension.size() || file.compare(file.size() - extension.size(), extension.size(), extension) != 0)
    file += extension;
  SavedFile earlier{file, std::string()};
  const bool existed = ReadSmallFile(file, earlier.bytes);
  if (!CreateShortcut(file, InFolder(setup, target), pool::Text(pool::DisplayName), setup.folder)) return;
  setup.shortcuts.push_back(file);
  if (existed) setup.replaced.push_back(std::move(earlier));
}

void MakeShortcuts(Installation& setup) {
  if (Checked(kDesktopBox))
    MakeShortcut(setup, GetSpecialFolder(kDesktopFolder) + pool::Text(pool::DesktopShortcut), pool::MainProgram);
  if (Checked(kStartMenuBox)) {
    std::string programs = GetSpecialFolder(kProgramsFolder);
    if (!programs.empty()) {
      setup.group = programs + pool::Text(pool::ProgramGroup);
      setup.groupMade = CreateFolder(setup.group);
      MakeShortcut(setup, setup.group + pool::Text(pool::Separator) + pool::Text(pool::ProgramGroup), pool::MainProgram);
      MakeShortcut(setup, setup.group + pool::Text(pool::UninstallShortcut), pool::Uninstaller);
    }
  }
  if (Checked(kQuickLaunchBox)) {
    std::string data = GetSpecialFolder(kApplicationData);
    if (!data.empty()) {
      std::string quickLaunch = data + pool::Text(pool::QuickLaunchFolder);
      setup.quickLaunchMade = product::path::OutermostMissingLevel(quickLaunch.substr(0, quickLaunch.size() - 1));
      CreateFolders(quickLaunch.substr(0, quickLaunch.size() - 1));
      MakeShortcut(setup, quickLaunch + pool::Text(pool::DesktopShortcut), pool::MainProgram);
    }
  }
}

// Shortcuts that were there before get their earlier contents back; the others go, with the
// folders made for them.
void RemoveShortcuts(const Installation& setup) {
  for (const std::string& shortcut : setup.shortcuts) {
    const auto earlier = std::find_if(setup.replaced.begin(), setup.replaced.end(),
                                      [&](const SavedFile& saved) { return saved.path == shortcut; });
    if (earlier != setup.replaced.end()) {
      PutBack(*earlier);
    } else {
      RemoveFile(shortcut);
    }
  }
  if (setup.groupMade) RemoveDirectoryA(setup.group.c_str());
  if (!setup.quickLaunchMade.empty()) {
    const std::string quickLaunch = GetSpecialFolder(kApplicationData) + pool::Text(pool::QuickLaunchFolder);
    product::RemoveEmptyLevels(quickLaunch.substr(0, quickLaunch.size() - 1), setup.quickLaunchMade);
  }
}

// The records are written beside the ones they replace and moved into place only once the
// installation has succeeded: a failed reinstall leaves the earlier installation's records whole.
std::string Pending(const std::string& file) { return file + product::kPendingRecordSuffix; }

// The records the uninstaller reads: Uninstall.ini with each entry in a section of its own
// name, and the log of every file and folder the product has in its folder. Both are written
// under their pending names; an earlier record is the start of the new one, and is kept in
// memory as it was read, to go back should the commit fail half-way.
bool WriteRecords(Installation& setup) {
  const std::string earlierRecord = InFolder(setup, pool::UninstallRecord);
  const std::string record = Pending(earlierRecord);
  DeleteFileA(record.c_str());
  if (GetFileAttributesA(earlierRecord.c_str()) != INVALID_FILE_ATTRIBUTES) {
    setup.earlierRecord.path = earlierRecord;
    if (!ReadSmallFile(earlierRecord, setup.earlierRecord.bytes) || !WriteWholeFile(record, setup.earlierRecord.bytes))
      return false;
  }
  std::string shortcuts;
  for (const std::string& shortcut : setup.shortcuts)
    shortcuts += (shortcuts.empty() ? "" : pool::Text(pool::ShortcutListSeparator)) + shortcut;
  return WriteIniEntry(record, pool::Text(pool::RecordPath), pool::Text(pool::RecordPath), setup.folder) &&
         WriteIniEntry(record, pool::Text(pool::RecordShortcut), pool::Text(pool::RecordShortcut), shortcuts) &&
         WriteIniEntry(record, pool::Text(pool::RecordGroup), pool::Text(pool::RecordGroup), setup.group) &&
         product::WriteInstallLog(setup.folder, setup.attempt.Log(), Pending(product::kInstallLogName));
}

// The pending records take the place of the earlier ones, the log last: until then an earlier
// installation stays as it was. Should the log not take its place (someone holds the earlier
// one), the earlier record goes back beside it.
bool CommitRecords(const Installation& setup) {
  const std::string record = InFolder(setup, pool::UninstallRecord);
  const std::string log = product::path::Join(setup.folder, product::kInstallLogName);
  constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (!MoveFileExA(Pending(record).c_str(), record.c_str(), kReplace)) return false;
  if (MoveFileExA(Pending(log).c_str(), log.c_str(), kReplace)) return true;
  if (!setup.earlierRecord.path.empty()) PutBack(setup.earlierRecord);
  return false;
}

void DropPendingRecords(const Installation& setup) {
  DeleteFileA(Pending(InFolder(setup, pool::UninstallRecord)).c_str());
  DeleteFileA(Pending(product::path::Join(setup.folder, product::kInstallLogName)).c_str());
}

// Whatever failed, the disk is left as the attempt found it.
void Fail(const Installation& setup) {
  RemoveShortcuts(setup);
  DropPendingRecords(setup);
  setup.attempt.Undo();
  ShowPage(kCustomPage);
  Tell(pool::InstallFailedMessage);
}

// The percentage the progress page shows, and when it was painted.
struct ProgressShown {
  int32_t percent = -1;
  DWORD at = 0;
};
ProgressShown progressShown;

// The payload's length word.
uint32_t ViewPayloadSize() { return static_cast<const uint32_t*>(pool::Bytes(pool::Payload))[1]; }

}  // namespace

void ShowProgress(int32_t percent) {
  // Several entries share a percentage, and a fast disk passes several percentages in a blink:
  // the window is repainted when the percentage changes, at most every kRepaintGapMs, and always
  // for 0 and 100. Each repaint costs the unpacking several milliseconds.
  constexpr DWORD kRepaintGapMs = 100;
  const DWORD now = GetTickCount();
  if (percent == progressShown.percent) return;
  const bool endpoint = percent == 0 || percent == 100;
  if (!endpoint && now - progressShown.at < kRepaintGapMs) return;
  progressShown = {percent, now};
  SetTextProperty(kPercentLabel, kLabelCaption, ToText(percent) + pool::Text(pool::PercentSuffix));
  SetIntProperty(kProgressBar, kProgressPosition, percent);
}

void Install() {
  progressShown = {};  // an earlier attempt's percentage is not on the page
  Installation setup;
  if (!CheckFolder(setup) || !PlanAttempt(setup) || !FolderMayBeUsed(setup)) return;
  ShowPage(kProgressPage);
  ShowProgress(0);
  LetWindowPaint();
  if (!WritePayload(setup) || !UnpackProduct(setup)) return Fail(setup);
  // The unpacked archive is no file of the product: whatever holds it now, it goes at the latest
  // when Windows starts again (an installation run again writes it anew and removes it).
  if (!RemoveFile(setup.archive)) MoveFileExA(setup.archive.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MakeShortcuts(setup);
  if (!WriteRecords(setup)) return Fail(setup);
  // Registered last: the list of programs never names a product that is not whole.
  Registration registration;
  if (!registration.Register(setup.folder) || !CommitRecords(setup)) return registration.Withdraw(), Fail(setup);
  setup.attempt.DropEarlierFiles();
  ShowPage(kFinishPage);
}

}  // namespace installer
