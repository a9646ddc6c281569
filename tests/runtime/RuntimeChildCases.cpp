#include "tests/runtime/RuntimeChildCases.h"
#include <windows.h>
#include <cstdio>
#include <thread>
#include "runtime/Runtime.h"

namespace runtimetest {
namespace {

using testsupport::Say;

void InitialiseRuntime() { rt::MiscService(6); }

void ExitRoutineA() { Say("exit A"); }
void ExitRoutineB() { Say("exit B"); }

int ErrorWithCode6() {
  InitialiseRuntime();
  rt::MiscService(3, &ExitRoutineA);
  rt::ReportRuntimeError(6);
}

int ErrorUnknownCode() {
  InitialiseRuntime();
  rt::ReportRuntimeError(42);
}

int ErrorEmptyMessage() {
  InitialiseRuntime();
  rt::RuntimeError("", 0);
}

int ErrorAllocation() {
  InitialiseRuntime();
  rt::AllocateBlock(0x7ffffff0u);
  Say("allocation returned");
  return 0;
}

int ErrorTextToInteger() {
  InitialiseRuntime();
  rt::ArgTriple text = rt::TextArg("12");
  rt::RuntimeNotify(rt::kNotifyValueToInt, reinterpret_cast<int32_t>(&text), 0);
  Say("conversion returned");
  return 0;
}

int NormalEnd() {
  InitialiseRuntime();
  rt::MiscService(3, &ExitRoutineA);
  rt::MiscService(3, &ExitRoutineB);
  rt::MiscService(3, &ExitRoutineA);  // registered once only
  rt::EndProgram(7);
}

int EndFromWorker() {
  InitialiseRuntime();
  Say("main thread " + std::to_string(GetCurrentThreadId()));
  rt::MiscService(3, &ExitRoutineA);
  std::thread worker([] { rt::EndProgram(9); });
  // The main thread keeps serving its messages; the hidden owner runs the shutdown here.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  worker.join();
  return 0;
}

int MissingNamedExport() {
  InitialiseRuntime();
  rt::ResolveDllFunction(4);  // "user32" / "NoSuchExport"
  return 0;
}

int MissingStandardExport() {
  InitialiseRuntime();
  rt::ResolveDllFunction(5);  // "" / "NoSuchFunction"
  return 0;
}

int MissingLibrary() {
  InitialiseRuntime();
  rt::ResolveDllFunction(6);  // "no_such_library" / "Anything"
  return 0;
}

// A copy of testdll named msimg32.dll lies beside the program: it must not stand in for the
// system's msimg32, which has no "TestAnswer".
int SystemLibraryBesideProgram() {
  InitialiseRuntime();
  Say("answer " + std::to_string(rt::CallDeclared(7)));  // "msimg32" / "TestAnswer"
  return 0;
}

int StartWindowMissing() {
  InitialiseRuntime();
  rt::OpenStartWindow(0x52010001);
  return 0;
}

}  // namespace

const std::map<std::string, testsupport::ChildCase>& ChildCases() {
  static const std::map<std::string, testsupport::ChildCase> cases = {
      {"error-code-6", ErrorWithCode6},
      {"error-unknown-code", ErrorUnknownCode},
      {"error-empty-message", ErrorEmptyMessage},
      {"error-allocation", ErrorAllocation},
      {"error-text-to-integer", ErrorTextToInteger},
      {"normal-end", NormalEnd},
      {"end-from-worker", EndFromWorker},
      {"missing-named-export", MissingNamedExport},
      {"missing-standard-export", MissingStandardExport},
      {"missing-library", MissingLibrary},
      {"system-library-beside-program", SystemLibraryBesideProgram},
      {"start-window-missing", StartWindowMissing},
  };
  return cases;
}

}  // namespace runtimetest
