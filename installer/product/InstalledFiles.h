// Taking away the installation's own files and folders, exactly as the install log lists them.
//
// Only listed paths are touched, and only through folders that are still real folders: a listed
// folder that has become a link is removed as a link and never entered, so no listed file can
// lead into the link's target. A listed file goes only while it is a plain file. Folders go only
// when empty, deepest first; nothing is ever removed recursively.
#pragma once
#include <string>
#include <vector>

#include "installer/product/InstallLog.h"

namespace product {

struct RemovalResult {
  bool complete = true;     // every listed file is gone: none was held open
  bool folderKept = false;  // the installation folder stays: it holds what the installation did not put there
};

// Removes from the log's folder the files the log lists, Uninstall.ini and the log itself, then
// the listed folders deepest first when they are empty, then the installation folder and its
// parents up to the log's "made" folder when the installation made them and they are empty. `keep` (may be empty) is a file that
// stays: the running uninstaller when no copy can finish for it. Files still held are tried
// again for a few seconds, as a program that has just ended may hold its files a moment longer.
// The caller has checked that the log belongs to the folder it lies in.
RemovalResult RemoveInstalledItems(const InstallLog& log, const std::string& keep);

// `folder`, then each parent up to and including `made`, innermost first; none when `made` is
// empty (the folder was there before the installation) or is not `folder` or one of its parents.
std::vector<std::string> FolderAndCreatedParents(const std::string& folder, const std::string& made);

// The log's folder and the parents it made, innermost first, up to the first that the folder
// rules protect (whatever a log says, those are never removed).
std::vector<std::string> RemovableLevels(const InstallLog& log);

}  // namespace product
