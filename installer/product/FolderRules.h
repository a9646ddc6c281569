// The folders no installation may take, and no uninstallation may empty: drive roots, the
// Windows folder with everything below it, and the roots of the folders that hold other
// programs' and other people's files. The installer refuses them before it writes anything, and
// the uninstaller refuses a record that names one.
#pragma once
#include <string>
#include <vector>

namespace product {

enum class Guard {
  kItself,             // the folder itself (a folder inside it is fine)
  kItselfAndChildren,  // the folder and every folder directly in it (the Users folder's profiles)
  kItselfAndBelow,     // the folder and everything below it (the Windows folder)
};

struct ProtectedFolder {
  std::string path;  // full path, no trailing separator
  Guard guard;
};

// The protected folders of this machine and user, as the shell names them.
std::vector<ProtectedFolder> SystemProtectedFolders();

// True when `folder` (a full path without trailing separator) is a drive root or is guarded by
// one of `folders`; letters compare without regard to case.
bool IsAmongProtected(const std::string& folder, const std::vector<ProtectedFolder>& folders);

// The folder as the file system sees it: its deepest existing level with links and short names
// resolved, followed by the levels that do not exist yet. Empty when it cannot be worked out.
std::string ResolvedFolder(const std::string& folder);

// True when the folder, as written or as resolved, is one the rules above protect.
bool IsProtectedFolder(const std::string& folder);

}  // namespace product
