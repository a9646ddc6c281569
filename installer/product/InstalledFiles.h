// Taking away the installation's own files and folders, exactly as the install log lists them.
//
// Only listed paths are touched, and each only through a handle to the item itself that shows,
// at the moment of removal, that it lies inside the installation folder, reached through real
// folders only: a listed folder that has become a link is never entered, so no listed file can
// lead into the link's target, and every retry checks again. A listed file goes only while it is
// a file. Folders go only when empty, deepest first; nothing is ever removed recursively.
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

// Removes one item, `relative` to the installation folder, under the same checks as an
// uninstall: only while it is of the listed kind and lies inside the folder, reached through
// real folders only, and a folder only when empty. True when it is gone (or was never there).
bool RemoveListedItem(const std::string& folder, const std::string& relative, bool isFolder);

// Whether every level of `relative` above its last name is a real folder of `top`, not a link:
// only then does the path lead where the installation put it. Asked afresh before each use.
bool LeadsThroughRealFolders(const std::string& top, const std::string& relative);

// Removes `folder` and each parent up to and including `made`, innermost first, each only when
// empty; nothing when `made` is empty.
void RemoveEmptyLevels(const std::string& folder, const std::string& made);

// `folder`, then each parent up to and including `made`, innermost first; none when `made` is
// empty (the folder was there before the installation) or is not `folder` or one of its parents.
std::vector<std::string> FolderAndCreatedParents(const std::string& folder, const std::string& made);

// The log's folder and the parents it made, innermost first, up to the first that the folder
// rules protect (whatever a log says, those are never removed).
std::vector<std::string> RemovableLevels(const InstallLog& log);

}  // namespace product
