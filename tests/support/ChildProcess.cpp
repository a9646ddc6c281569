#include "tests/support/ChildProcess.h"
#include <cstdio>
#include <set>
#include <thread>

namespace testsupport {
namespace {

std::string ExecutablePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

struct Handle {
  HANDLE h = nullptr;
  ~Handle() { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

}  // namespace

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
  return path.substr(0, path.rfind('\\') + 1);
}

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

ChildResult RunChild(const std::string& name, int answerId, DWORD timeoutMs, const std::string& extraArguments) {
  ChildResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  Handle readEnd, writeEnd;
  CreatePipe(&readEnd.h, &writeEnd.h, &inherit, 0);
  SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.h;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string commandLine = "\"" + ExecutablePath() + "\" --child=" + name + " " + extraArguments;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    result.exitCode = 0xDEADBEEF;
    return result;
  }
  CloseHandle(writeEnd.h);
  writeEnd.h = nullptr;
  std::thread reader([&] {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.h, buffer, sizeof buffer, &read, nullptr) && read > 0) result.output.append(buffer, read);
  });
  DWORD start = GetTickCount();
  std::set<HWND> answered;
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    for (HWND box : DialogsOfProcess(process.dwProcessId)) {
      if (!answered.insert(box).second) continue;
      Sleep(100);
      result.boxes.push_back(ReadBox(box));
      PressButton(box, answerId);
      Sleep(200);
    }
    if (GetTickCount() - start > timeoutMs) {
      TerminateProcess(process.hProcess, 0xDEAD);
      break;
    }
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  reader.join();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

bool RunChildCaseIfAsked(int argc, char** argv, const std::map<std::string, ChildCase>& cases, int& exitCode) {
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument.rfind("--child=", 0) != 0) continue;
    auto found = cases.find(argument.substr(8));
    exitCode = found == cases.end() ? 3 : found->second();
    return true;
  }
  return false;
}

}  // namespace testsupport
