// The install log "Uninstall.log": every file and folder one installation put into its folder,
// so that the uninstaller takes away exactly those and nothing the user keeps there.
//
// A GBK text file, one item a line, lines ending in CR LF:
//
//   Veltaro install log 1
//   folder=C:\Veltaro\会计从业资格          the installation folder F it belongs to
//   made=C:\Veltaro                         the outermost folder the installation created (F or
//                                           one of its parents), empty when F was already there
//   D 题库                                  a folder, relative to F
//   F 题库\第一章.dat                       a file, relative to F
//   end 2                                   the number of D and F lines: a cut log is unreadable
//
// Folders come before what they hold. Uninstall.ini and the log itself are not listed: they
// belong to every installation.
#pragma once
#include <string>
#include <vector>

namespace product {

constexpr char kInstallLogName[] = "Uninstall.log";

struct InstalledItem {
  bool isFolder = false;
  std::string path;  // relative to the installation folder, "\" between names
};

struct InstallLog {
  std::string folder;                // the installation folder
  std::string made;                  // outermost folder the installation created, or empty
  std::vector<InstalledItem> items;  // folders before their contents
};

// True for a path that stays inside the folder it is joined to: not empty, no leading or
// trailing "\", no ":" and no empty, "." or ".." names (nor names Windows would read as ".."),
// and split into names by Windows exactly as here (gbk::SplitsAsWindowsDoes).
bool IsContainedRelativePath(const std::string& path);

std::string FormatInstallLog(const InstallLog& log);
// False for text that is not a whole, well-formed log (a bad line, a count that does not match,
// an item that would leave the folder, a "made" folder that is not F or one of its parents).
bool ParseInstallLog(const std::string& text, InstallLog& log);

// The log in `folder` under `name`, written in one piece; false when it could not be written whole.
bool WriteInstallLog(const std::string& folder, const InstallLog& log, const std::string& name = kInstallLogName);
// False when the log in `folder` is missing or unreadable.
bool ReadInstallLog(const std::string& folder, InstallLog& log);

}  // namespace product
