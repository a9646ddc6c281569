// Cases of the runtime tests that end their process; each runs in a child of the test executable.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include "tests/support/ChildProcess.h"

namespace runtimetest {
const std::map<std::string, testsupport::ChildCase>& ChildCases();
// Busy bytes of the process heap, to see what a free released.
size_t BusyHeapBytes();
// A 1 x 1 monochrome icon of the process's own, for icon records.
HICON MakeTinyIcon();
}
