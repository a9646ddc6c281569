// Paths as GBK byte strings, the form every "A" function takes under code page 936.
//
// A byte with bit 7 set starts a two-byte character (the rule of services/core/GbkText.h, which
// the installer follows too), and trail bytes include "\", "|" and the letters. So separators
// and case are only looked at on character boundaries: a plain byte search would split
// "\x81\x5C" in the middle.
#pragma once
#include <string>
#include <vector>

namespace product::path {

// Offset of the last "\" that starts a character, or std::string::npos.
size_t LastSeparator(const std::string& path);
bool EndsWithSeparator(const std::string& path);
// The path without any "\" at its end.
std::string WithoutTrailingSeparators(const std::string& path);
// Everything before the last separator ("C:\a\b" -> "C:\a").
std::string Folder(const std::string& path);
// Everything after the last separator ("C:\a\b" -> "b").
std::string LastComponent(const std::string& path);
// Two parts with exactly one separator between them.
std::string Join(const std::string& folder, const std::string& name);
// Splits on a single-byte delimiter that starts a character.
std::vector<std::string> Split(const std::string& text, char delimiter);
// Without spaces and tabs at either end.
std::string Trim(const std::string& text);

// "X:\..." with a drive letter.
bool IsDrivePath(const std::string& path);
// A drive letter with a colon and nothing else but separators: "C:", "C:\", "c:\\".
bool IsDriveRoot(const std::string& path);
// The full path (".", ".." and "/" resolved) without trailing separators, or "" on failure.
std::string Normalised(const std::string& path);
// Same place on disk, compared on normalised paths with A..Z folded on character boundaries.
bool SamePath(const std::string& a, const std::string& b);
inline bool SameFolder(const std::string& a, const std::string& b) { return SamePath(a, b); }
// Equal texts when ASCII letters are folded on character boundaries only.
bool EqualIgnoringCase(const std::string& a, const std::string& b);
// The text with a..z made A..Z on character boundaries: one key for names Windows takes as one.
std::string CaseFolded(const std::string& text);

// This program's file and folder.
std::string OwnProgram();
std::string OwnFolder();

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The outermost level of `folder` that does not exist (what making it would create first), or
// empty when the folder exists.
std::string OutermostMissingLevel(const std::string& folder);

}  // namespace product::path
