// Removing what the installer made outside the installation folder: shortcut files, the program
// group and the uninstall entry. Each step checks its target first and leaves alone anything
// that is not what the installer would have made.
#pragma once
#include <string>
#include <vector>

namespace product {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro";

// True when the file starts with the shell-link header (size 0x4C and the ShellLink class id).
bool IsShellLinkFile(const std::string& path);

// Deletes each shortcut that is a shell-link file; other files and folders stay untouched.
void RemoveShortcuts(const std::vector<std::string>& shortcuts);

// True when `folder` lies directly in a Start-menu folder or its Programs folder (the user's or
// everyone's), where the installer puts its program group.
bool IsInStartMenu(const std::string& folder);

// Removes the program group when it lies in the Start menu and nothing is left in it: run it
// after the recorded shortcuts are gone, so that only what the user put there keeps it.
void RemoveProgramGroup(const std::string& group);

// When the uninstall entry names `uninstaller`, deletes the values the installer wrote there,
// and then the key if nothing else is left in it. An entry of another installation stays whole.
// True when the entry was ours.
bool RemoveUninstallEntry(const std::string& uninstaller);

}  // namespace product
