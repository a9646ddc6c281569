// Runtime initialisation from the program header, the start window, and the end of the program.
#include <windows.h>
#include <objbase.h>
#include <direct.h>
#include "image/ProgramImage.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

// Defined by the generated program image: the window engine of this program, or null.
extern "C" const rt::WindowEngine* const VeltaroWindowEngine;

namespace rt {
namespace {

const WindowEngine* installedEngine = nullptr;
const char kHiddenOwnerClass[] = "_QZ_HideOwner";

LRESULT CALLBACK HiddenOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Another thread asked to end the program: the whole shutdown runs here, on the main thread.
  if (message == kEndProgramMessage) EndProgram(static_cast<int32_t>(wParam));
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateHiddenOwner() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (!GetClassInfoA(module, kHiddenOwnerClass, &existing)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HiddenOwnerProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = kHiddenOwnerClass;
    RegisterClassA(&wc);
  }
  return CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
}

void RecordProgramPath(RuntimeState& state) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  // The last single-byte backslash separates folder and name (a GBK trail byte may be 0x5C).
  const char* lastSlash = nullptr;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\') lastSlash = p;
    if ((static_cast<unsigned char>(*p) & 0x80) && p[1]) ++p;
  }
  if (!lastSlash) {
    state.folder.clear();
    state.fileName = path;
  } else {
    state.folder.assign(path, static_cast<size_t>(lastSlash - path));
    state.fileName = lastSlash + 1;
  }
  state.folderWithSlash = state.folder + "\\";
  if (!state.folder.empty()) SetCurrentDirectoryA(state.folderWithSlash.c_str());
}

void NotifyLibraries(const image::ProgramHeader& header, RuntimeState& state) {
  for (uint32_t i = 0; i < header.libraryCount; ++i) {
    const image::LibraryRecord* library = header.libraryTable[i];
    if (library && library->notify) library->notify(1, reinterpret_cast<int32_t>(&RuntimeNotify), 0);
  }
  state.libraries.assign(header.libraryTable, header.libraryTable + header.libraryCount);
  state.libraryData.assign(header.libraryCount, 0);
}

void LoadTemplates(const image::ProgramHeader& header) {
  if (header.templateSize == 0) return;
  const WindowEngine* engine = Engine();
  if (!engine || !engine->loadTemplates(header.templateStart, header.templateSize, header.codeBase))
    RuntimeError("载入窗口模板数据段出错!");
}

}  // namespace

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

const WindowEngine* Engine() { return installedEngine ? installedEngine : VeltaroWindowEngine; }
void InstallWindowEngine(const WindowEngine* engine) { installedEngine = engine; }

void InitialiseRuntime() {
  const image::ProgramHeader& header = image::Header();
  RuntimeState& state = State();
  state.heap = GetProcessHeap();                                              // B1
  state.programKind = header.programKind;                                     // B2
  state.reserved = header.reserved;
  state.identifierCounter = header.highestSerial + 1;
  if (!state.oleInitialised) {                                                // B3
    OleInitialize(nullptr);
    state.oleInitialised = true;
  }
  RecordProgramPath(state);                                                   // B4, B5
  if (!state.hiddenOwner) state.hiddenOwner = CreateHiddenOwner();            // B6
  state.mainThread = GetCurrentThreadId();                                    // B7
  if (header.poolSize > 0) {                                                  // B8
    state.poolStart = header.poolStart;
    state.poolEnd = header.poolStart + header.poolSize;
  }
  state.declared.clear();                                                     // B9
  for (uint32_t i = 0; i < header.dllCount; ++i)
    state.declared.push_back({header.dllLibraryNames[i], header.dllFunctionNames[i], nullptr, nullptr});
  if (header.libraryCount > 0) NotifyLibraries(header, state);                // B10
  state.initialised = true;
  LoadTemplates(header);                                                      // B11
}

void OpenStartWindow(uint32_t windowId) {
  const WindowEngine* engine = Engine();
  if (!engine || !engine->openWindow(windowId)) RuntimeError("载入启动窗口失败");
}

void ShutdownRuntime() {
  RuntimeState& state = State();
  state.exitInProgress = true;                                                // F3
  state.idleRegistry.clear();                                                 // F4
  if (const WindowEngine* engine = Engine()) engine->unloadAll();             // F5
  std::vector<void (*)()> routines;                                           // F6
  routines.swap(state.exitRoutines);
  for (auto routine : routines) routine();
  for (size_t i = 0; i < state.libraries.size(); ++i) {                       // F7
    const image::LibraryRecord* library = state.libraries[i];
    if (library && library->notify) library->notify(6, state.libraryData[i], 0);
  }
  state.libraries.clear();
  state.libraryData.clear();
  for (DeclaredFunction& function : state.declared)                          // F8
    if (function.module) FreeLibrary(function.module);
  state.declared.clear();
  state.poolStart = state.poolEnd = nullptr;                                  // F10
  for (HICON& icon : state.icons) {                                           // F11
    if (icon) DestroyIcon(icon);
    icon = nullptr;
  }
  if (state.hiddenOwner && IsWindow(state.hiddenOwner)) DestroyWindow(state.hiddenOwner);  // F12
  state.hiddenOwner = nullptr;
  // The objects libraries left with the runtime; this runtime has no background worker and no
  // object list of its own beside them.
  CloseRegisteredObjects();                                                   // F13
  FreeAllIconRecords();
  if (state.oleInitialised) OleUninitialize();                               // F15
  state.oleInitialised = false;
}

void EndProgram(int32_t exitCode) {
  RuntimeState& state = State();
  ++state.suppression;                                                        // F1
  bool otherThread = state.mainThread && GetCurrentThreadId() != state.mainThread;
  if (otherThread) {                                                          // F2
    // The main thread performs the whole shutdown; its exit ends this thread too.
    if (state.hiddenOwner && !state.exitInProgress)
      SendMessageA(state.hiddenOwner, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
    ExitProcess(static_cast<UINT>(exitCode));
  }
  if (!state.exitInProgress) ShutdownRuntime();
  ExitProcess(static_cast<UINT>(exitCode));                                   // F16
}

uint32_t NextIdentifier(uint32_t kindBits) { return ++State().identifierCounter | kindBits; }
bool MessageLoopEntered() { return State().loopEntered; }
bool ExitInProgress() { return State().exitInProgress; }
uint32_t ProgramKind() { return State().programKind; }
void* HiddenOwner() { return State().hiddenOwner; }
const char* ProgramFolder() { return State().folder.c_str(); }
const char* ProgramFileName() { return State().fileName.c_str(); }
void SuppressEvents() { ++State().suppression; }
void ResumeEvents() { if (State().suppression > 0) --State().suppression; }
bool EventsSuppressed() { return State().suppression > 0; }

}  // namespace rt
