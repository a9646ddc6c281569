// The installation folder: built from the user's choice, and checked before anything is written.
#pragma once
#include <cstddef>
#include <string>

namespace installer {

// The folder the user picked followed by the product's own folders, with doubled separators made
// single (a drive root already ends in one).
std::string InstallFolderFor(const std::string& picked);

// The folder as typed: blanks around it and trailing separators dropped.
std::string TidyFolder(const std::string& typed);

// A usable folder is a full path on a drive ("X:\..."), with no characters Windows refuses in
// names, no empty, "." or ".." parts, no character Windows reads otherwise (0x80, 0xFF), and
// at most 180 bytes long (HoldsPathsOf asks what the product's own names need below it).
bool IsUsableFolder(const std::string& folder);

// Whether every item of the product, the longest of which is `longestItem` bytes relative to
// the folder, lands at a path Windows takes (and one it can be written beside, for an item that
// replaces an earlier file).
bool HoldsPathsOf(const std::string& folder, size_t longestItem);

// "X:" of a usable folder.
std::string DriveOf(const std::string& folder);

}  // namespace installer
