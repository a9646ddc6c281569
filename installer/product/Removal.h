// Removing what the installer made outside the installation folder: shortcut files, the program
// group and the uninstall entry. Each step checks its target first and leaves alone anything
// that is not what the installer would have made.
#pragma once
#include <string>
#include <vector>

namespace product {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro";
constexpr char kUninstallerName[] = "Uninstall.exe";

// True when the file starts with the shell-link header (size 0x4C and the ShellLink class id).
bool IsShellLinkFile(const std::string& path);

// Deletes each recorded shortcut that this installation made: a shell link in one of the folders
// the installer puts shortcuts in (desktop, Quick Launch, the program group), starting a program
// in `installFolder`. Anything else stays untouched, another program's shortcut included.
// The shortcuts deleted.
std::vector<std::string> RemoveShortcuts(const std::vector<std::string>& shortcuts, const std::string& installFolder,
                                         const std::string& programGroup);

// True when `folder` lies directly in a Start-menu folder or its Programs folder (the user's or
// everyone's), where the installer puts its program group.
bool IsInStartMenu(const std::string& folder);

// Removes the program group when it lies in the Start menu, held shortcuts of ours (one of
// `removedShortcuts`) and nothing is left in it: only what the user put there keeps it.
void RemoveProgramGroup(const std::string& group, const std::vector<std::string>& removedShortcuts);

// True when the product's uninstall entry names `uninstaller` as its UninstallString.
bool UninstallEntryNames(const std::string& uninstaller);

// When the uninstall entry names `uninstaller`, deletes the values the installer wrote there,
// and then the key if nothing else is left in it. An entry of another installation stays whole.
// True when the entry was ours.
bool RemoveUninstallEntry(const std::string& uninstaller);

}  // namespace product
