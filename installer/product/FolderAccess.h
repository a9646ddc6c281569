// Who may change the installation folder. The installer and the uninstaller run as
// administrator, and a folder made below C:\ would inherit "Authenticated Users: Modify": any
// user could then swap the uninstaller, the log or the program the finish page starts. So the
// installer gives the folder it makes an access list of its own, and the uninstaller acts on a
// folder it made only while that still holds.
#pragma once
#include <string>

namespace product {

// Makes the folder (its parent must exist) with a protected access list, nothing inherited from
// above: SYSTEM and Administrators full control, Users read and execute, and whoever creates
// something inside full control of it. False when the folder could not be made, or was there.
bool MakeAdministratorsFolder(const std::string& folder);

// True when users other than administrators may write to, delete, or change the access of the
// file or folder: it has no access list at all, or one that lets a group every user is in
// (Everyone, Authenticated Users, Users, Interactive, Guests) do so. False when it cannot be read
// because the volume keeps no access lists (FAT), where there is nothing to protect.
bool OthersMayChange(const std::string& path);

}  // namespace product
