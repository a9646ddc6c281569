// Removing what the installer made: shortcut files, the program group, the registry entries and
// the installation folder. Each step checks its target first and leaves alone anything that is
// not what the installer would have made.
#pragma once
#include <string>
#include <vector>

namespace product {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro";
constexpr char kProductKey[] = "SOFTWARE\\Veltaro";

// True when the file starts with the shell-link header (size 0x4C and the ShellLink class id).
bool IsShellLinkFile(const std::string& path);

// Deletes each shortcut that is a shell-link file; other files and folders stay untouched.
void RemoveShortcuts(const std::vector<std::string>& shortcuts);

// True when `folder` lies directly in a Start-menu folder or its Programs folder (the user's or
// everyone's), where the installer puts its program group.
bool IsInStartMenu(const std::string& folder);

// Removes the program group with its contents when it lies in the Start menu.
void RemoveProgramGroup(const std::string& group);

// Deletes the uninstall entry and the product's own key under HKEY_LOCAL_MACHINE.
void RemoveRegistryEntries();

// Deletes the folder with everything in it. Links to folders (reparse points) are removed as
// links, never followed. True when the folder no longer exists.
bool RemoveTree(const std::string& folder);

// Deletes everything in the folder except the file `keep`; true when nothing else is left.
bool RemoveTreeExcept(const std::string& folder, const std::string& keep);

// Removes the installation folder, retrying a little while files are still closing, and then
// its parent "Veltaro" folder when the installer's folder was the only thing in it.
bool RemoveInstallFolder(const std::string& folder);

}  // namespace product
