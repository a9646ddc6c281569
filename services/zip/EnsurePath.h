// Folder creation for the unpacker and the reader.
#pragma once
#include <string>

namespace ziplib {

// True when a file or folder of that name exists (existence test only).
bool PathExists(const std::string& path);

// With wholePath false: one folder creation. With wholePath true: every missing folder along the
// path is created, from the root down; a prefix that exists (a drive root such as "C:\") is skipped.
bool EnsurePath(const std::string& path, bool wholePath);

}  // namespace ziplib
