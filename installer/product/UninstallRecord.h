// The uninstall record "Uninstall.ini" that the installer leaves in the installation folder.
//
// Each entry is its own section with an entry of the same name: [路径] 路径=F,
// [快捷方式] 快捷方式=shortcut files separated by "|", [程序组] 程序组=G.
#pragma once
#include <string>
#include <vector>

#include "installer/product/InstallLog.h"

namespace product {

constexpr char kRecordFileName[] = "Uninstall.ini";
// The installer writes each record under its name and this suffix first, and moves it into place
// only once the installation has succeeded.
constexpr char kPendingRecordSuffix[] = ".new";

struct UninstallRecord {
  std::string folder;                  // the installation folder, as the installer wrote it
  std::vector<std::string> shortcuts;  // shortcut files the installer made (may be empty)
  std::string programGroup;            // the Start-menu folder of the program group (may be empty)
};

// Why a record cannot be acted on; None when it can.
enum class RecordProblem {
  None,
  NoRecord,       // no Uninstall.ini in the folder
  NoFolder,       // the installation path is empty
  NotDrivePath,   // not an absolute path on a drive letter
  DriveRoot,      // the path names a whole drive
  OtherFolder,    // the path is not the folder the record lies in
};

// Reads the record in `folder`; missing entries come back empty.
UninstallRecord ReadUninstallRecord(const std::string& folder);

// Decides whether the installation folder of `record`, read from `recordFolder`, may be
// uninstalled: it must be a real folder below a drive root, and the very folder that holds the
// record (a record copied elsewhere, or edited, must not send us into another folder).
RecordProblem CheckUninstallRecord(const UninstallRecord& record, const std::string& recordFolder);

// Why an uninstall removes nothing; None when it may go ahead.
enum class Refusal {
  None,
  BadRecord,        // Uninstall.ini missing, or its path not this folder (RecordProblem)
  BadLog,           // Uninstall.log missing, cut or not well-formed
  LogOfOtherFolder, // the log names another folder
  ProtectedFolder,  // the folder is one no installation may take (a system or shared folder)
  OpenToOthers,     // the installation made the folder, and now other users may change it
};

// What an uninstall acts on: the record and the log, both checked against the folder.
struct RecordedInstallation {
  UninstallRecord record;
  InstallLog log;
};

// Reads the record and the log in `folder` and checks both; acts on nothing.
Refusal LoadInstallation(const std::string& folder, RecordedInstallation& installation);

}  // namespace product
