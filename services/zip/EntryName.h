// Which stored entry names may be joined to the target folder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ziplib {

// A file already there is replaced by an entry written beside it under its name and this
// suffix, and moved over it once whole.
constexpr char kBesideSuffix[] = ".unpack~";
// The longest path an entry can land at and still be written beside the file it replaces
// (Win32 paths end at 259 bytes, MAX_PATH less the terminating zero).
constexpr size_t kLongestEntryPath = 259 - (sizeof kBesideSuffix - 1);

// True when the name (with "/" already made "\") stays inside the folder it is joined to: no
// leading "\", no ":" anywhere (drive letters, alternate streams), no ".." component (nor one that
// Windows would read as ".." after dropping trailing dots and spaces), and no component that
// names a device (CON, NUL, COM1, ...), which would be opened instead of a file in the folder;
// and Windows must split it into the names seen here (no character starting with 0x80 or 0xFF).
bool IsContainedEntryName(std::string_view name);

// Why a name would not stay inside its folder, for telling a person.
enum class EntryNameFault { kNone, kAbsolute, kDriveOrStream, kParent, kDevice, kSplitOtherwise };
EntryNameFault FindEntryNameFault(std::string_view name);

// General-purpose flag bit 11: the entry's name is UTF-8 rather than the archive writer's code page.
constexpr uint32_t kFlagUtf8Name = 0x0800;

// The name an entry is unpacked under: the stored bytes as they are (GBK on the systems the
// product is for), or, for a name flagged UTF-8, the same characters in `codePage` (CP_ACP by
// default). False when a flagged name is not UTF-8 or holds a character the code page cannot
// hold: such an entry would land under another name than its own.
bool EntryNameInCodePage(std::string_view stored, uint32_t flags, std::string* name, unsigned codePage = 0);

}  // namespace ziplib
