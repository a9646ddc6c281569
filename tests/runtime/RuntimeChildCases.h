// Cases of the runtime tests that end their process; each runs in a child of the test executable.
#pragma once
#include <map>
#include <string>
#include "tests/support/ChildProcess.h"

namespace runtimetest {
const std::map<std::string, testsupport::ChildCase>& ChildCases();
}
