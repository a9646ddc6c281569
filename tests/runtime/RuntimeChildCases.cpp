#include "tests/runtime/RuntimeChildCases.h"
#include <windows.h>
#include <cstdio>
#include <thread>
#include "runtime/RegisteredObjects.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

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

int ResolveOnce() {
  InitialiseRuntime();
  void* first = rt::ResolveDllFunction(2);  // "testdll" / "TestAnswer"
  void* second = rt::ResolveDllFunction(2);
  if (first == second && first) Say("same address");
  HMODULE library = GetModuleHandleA("testdll.dll");
  FreeLibrary(library);
  Say(GetModuleHandleA("testdll.dll") ? "still loaded after one release" : "unloaded after one release");
  Say("ordinal answers " + std::to_string(rt::CallDeclared(3, 7)));  // "testdll" / "#123"
  return 0;
}

// other\testdll.dll (answering 7) is loaded first; the declared "testdll" must still be the
// program folder's own (answering 42), which only a load by its full path gives.
int ProgramFolderFirst() {
  InitialiseRuntime();
  const std::string folder = testsupport::ExecutableFolder();
  HMODULE other = LoadLibraryA((folder + "other\\testdll.dll").c_str());
  using Answer = int(__stdcall*)();
  auto otherAnswer = other ? reinterpret_cast<Answer>(reinterpret_cast<void*>(GetProcAddress(other, "TestAnswer"))) : nullptr;
  if (otherAnswer) Say("other copy answers " + std::to_string(otherAnswer()));
  Say("declared answers " + std::to_string(rt::CallDeclared(2)));
  char path[MAX_PATH] = {};
  HMODULE used = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char*>(rt::ResolveDllFunction(2)), &used);
  GetModuleFileNameA(used, path, MAX_PATH);
  if (_stricmp(path, (folder + "testdll.dll").c_str()) == 0) Say("from the program folder");
  return 0;
}

// Objects and icon records left with the runtime are released at the end, after the libraries
// heard code 6.
class LoggingObject : public rt::RegisteredObject {
 public:
  explicit LoggingObject(const char* name) : name_(name) {}
  ~LoggingObject() override { Say(std::string("deleted ") + name_); }
  void Close() override { Say(std::string("closed ") + name_); }

 private:
  const char* name_;
};

// The shutdown without the process exit, so that the child can look at what it released.
int ObjectsAtTheEnd() {
  InitialiseRuntime();
  rt::RuntimeNotify(rt::kNotifyRegisterObject, reinterpret_cast<int32_t>(new LoggingObject("first")), 1);
  rt::RuntimeNotify(rt::kNotifyRegisterObject, reinterpret_cast<int32_t>(new LoggingObject("second")), 2);
  constexpr uint32_t kDataSize = 4 << 20;
  auto* record = static_cast<rt::IconRecord*>(rt::AllocateBlock(sizeof(rt::IconRecord)));
  *record = {MakeTinyIcon(), rt::AllocateBlock(kDataSize), kDataSize};
  rt::RuntimeNotify(rt::kNotifyAddIconRecord, reinterpret_cast<int32_t>(record), 0);
  HICON icon = record->icon;
  size_t before = BusyHeapBytes();
  rt::ShutdownRuntime();
  ICONINFO info = {};
  Say(GetIconInfo(icon, &info) ? "icon still there" : "icon destroyed");
  if (BusyHeapBytes() + kDataSize <= before) Say("icon data freed");
  return 0;
}

int StartWindowMissing() {
  InitialiseRuntime();
  rt::OpenStartWindow(0x52010001);
  return 0;
}

}  // namespace

size_t BusyHeapBytes() {
  size_t busy = 0;
  PROCESS_HEAP_ENTRY entry = {};
  HANDLE heap = GetProcessHeap();
  HeapLock(heap);
  while (HeapWalk(heap, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
  HeapUnlock(heap);
  return busy;
}

HICON MakeTinyIcon() {
  const BYTE andMask[4] = {0xff, 0xff, 0xff, 0xff};
  const BYTE xorMask[4] = {0, 0, 0, 0};
  return CreateIcon(nullptr, 1, 1, 1, 1, andMask, xorMask);
}

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
      {"resolve-once", ResolveOnce},
      {"program-folder-first", ProgramFolderFirst},
      {"objects-at-the-end", ObjectsAtTheEnd},
  };
  return cases;
}

}  // namespace runtimetest
