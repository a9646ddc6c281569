// The size of a drive as GetDiskTotalSpace reports it: total bytes in KB, cut to 32 bits.
#pragma once
#include <windows.h>
#include <cstdint>

namespace corelib::disk {

using GetDiskFreeSpaceExFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// kernel32's GetDiskFreeSpaceExA, looked up by name at every call (the first Windows 95 lacks
// it), or null.
GetDiskFreeSpaceExFunction FindGetDiskFreeSpaceEx();

// The total KB of the drive with that root through `extended`, or through GetDiskFreeSpaceA when
// it is null; -1 when the drive cannot be asked. From 2 TB on the 32 bits read as negative.
int32_t TotalKilobytes(const char* root, GetDiskFreeSpaceExFunction extended);

}  // namespace corelib::disk
