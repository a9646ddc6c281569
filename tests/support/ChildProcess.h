// Cases that end their process (run-time errors, EndProgram) run in a child: the test executable
// starts itself again with "--child=NAME", and the child runs that case instead of the tests.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include "tests/support/Boxes.h"

namespace testsupport {

struct ChildResult {
  DWORD exitCode = 0;
  std::string output;             // what the child wrote to its standard output
  std::vector<BoxSeen> boxes;     // every box it showed, in order (each was answered)
};

// Runs this executable with "--child=name" (and extra arguments); each box the child shows is
// read and answered with answerId (IDOK by default). Waits at most timeoutMs.
ChildResult RunChild(const std::string& name, int answerId = IDOK, DWORD timeoutMs = 30000,
                     const std::string& extraArguments = "");

// In main(): when started as a child, runs the named case from the table and returns true.
using ChildCase = std::function<int()>;
bool RunChildCaseIfAsked(int argc, char** argv, const std::map<std::string, ChildCase>& cases, int& exitCode);

// For children: writes a line to standard output at once (the parent reads it even if the
// process ends abruptly).
void Say(const std::string& line);

// The folder of this executable, with a trailing backslash.
std::string ExecutableFolder();

}  // namespace testsupport
