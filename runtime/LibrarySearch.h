// Where the programs we ship take their libraries from. Each of them narrows the search to the
// system folder before anything else runs (ProcessEntry.cpp): they run as administrator and are
// started from folders such as Downloads, where anyone can drop a DLL. Header and library are
// free of the runtime, so the product's small programs use them too.
#pragma once
#include <windows.h>

namespace rt::libsearch {

// Makes the system folder the only place later loads by name search, for our loads and those a
// system library makes on our behalf. Where the system lacks SetDefaultDllDirectories (Windows 7
// without its 2011 loader update, Vista, XP), only the current folder leaves the search, and
// LoadSystemLibrary loads by full path instead. Safe to call before the C runtime starts.
void NarrowLibrarySearch();

// True once the whole search is narrowed to the system folder.
bool SearchNarrowed();

// Loads `fileName` (no folder; ".dll" when it has no extension) from the system folder only;
// null when the system has no such library.
HMODULE LoadSystemLibrary(const char* fileName);

// True when `name` is a plain file name (no folder, no drive) of a file in the system folder.
bool SystemHasLibrary(const char* name);

}  // namespace rt::libsearch
