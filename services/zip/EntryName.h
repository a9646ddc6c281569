// Which stored entry names may be joined to the target folder.
#pragma once
#include <string_view>

namespace ziplib {

// True when the name (with "/" already made "\") stays inside the folder it is joined to: no
// leading "\", no ":" anywhere (drive letters, alternate streams), no ".." component (nor one that
// Windows would read as ".." after dropping trailing dots and spaces), and no component that
// names a device (CON, NUL, COM1, ...), which would be opened instead of a file in the folder.
bool IsContainedEntryName(std::string_view name);

}  // namespace ziplib
