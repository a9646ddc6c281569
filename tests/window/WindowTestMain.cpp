// The window engine tests, and the cases that end in a run-time error: those run in a child
// process (this executable started again with --child=NAME), whose box the parent reads.
#include <gtest/gtest.h>
#include "runtime/Runtime.h"
#include "tests/support/ChildProcess.h"
#include "tests/window/WindowTestSupport.h"

namespace windowtest {
namespace {

constexpr uint32_t kNoSuchWindow = 0x52FFFFF0;

uint32_t LoadedWindowWithEdit(uint32_t* editId) {
  WindowBuilder builder;
  *editId = builder.Add(kTypeEditBox, EditBlock("x").Write(), {10, 10, 110, 30});
  return builder.Load();
}

int UnknownWindowProperty() {
  rt::GetProperty(kNoSuchWindow, 0, 0, -1);
  return 0;
}

// Common properties of a window that is not open come from its template; its own do not.
int UnloadedOwnPropertyRead() {
  uint32_t editId = 0;
  uint32_t windowId = LoadedWindowWithEdit(&editId);
  testsupport::Say("width " + std::to_string(uint32_t(rt::GetProperty(windowId, editId, 2, -1))));
  rt::GetProperty(windowId, editId, 8, -1);
  return 0;
}

int UnloadedOwnPropertyWrite() {
  uint32_t editId = 0;
  uint32_t windowId = LoadedWindowWithEdit(&editId);
  rt::SetProperty(windowId, editId, 8, -1, 0, 0);
  return 0;
}

int RaiseFor(uint32_t windowId, uint32_t unitId) {
  rt::EventRecord record = {};
  record.windowId = windowId;
  record.unitId = unitId;
  record.event = -1;
  rt::RuntimeNotify(rt::kNotifyRaiseEvent, int32_t(reinterpret_cast<uintptr_t>(&record)), 0);
  return 0;
}

int EventOfUnknownWindow() { return RaiseFor(kNoSuchWindow, 0); }

int EventOfUnknownUnit() {
  uint32_t editId = 0;
  uint32_t windowId = LoadedWindowWithEdit(&editId);
  return RaiseFor(windowId, editId + 0x50);
}

int EventOfInvalidUnit() {
  WindowBuilder builder;
  uint32_t unit = builder.Add(kTypeNoEvents, "", {0, 0, 10, 10});
  builder.Bind(unit, -1, RecordRoutine(-1));
  return RaiseFor(builder.Load(), unit);
}

int MissingStartWindow() {
  rt::OpenStartWindow(kNoSuchWindow);
  return 0;
}

int LocateMissingControl() {
  uint32_t editId = 0;
  uint32_t windowId = LoadedWindowWithEdit(&editId);
  rt::RuntimeNotify(rt::kNotifyLocate, int32_t(windowId), int32_t(editId));
  return 0;
}

// The loop ends by itself once the program's last window has gone.
int QuitAfterLastWindow() {
  WindowBuilder builder;
  HWND hwnd = builder.Open();
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  rt::RunMessageLoop();
  testsupport::Say("loop ended, window gone " + std::to_string(!IsWindow(hwnd)));
  return 0;
}

// Without the loop ever entered, the last window goes and no quit message follows.
int NoQuitBeforeTheLoop() {
  WindowBuilder builder;
  HWND hwnd = builder.Open();
  DestroyWindow(hwnd);
  Pump(20);
  MSG quit;
  bool posted = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  testsupport::Say("window gone " + std::to_string(!IsWindow(hwnd)) + ", quit posted " + std::to_string(posted));
  return 0;
}

const std::map<std::string, testsupport::ChildCase>& ChildCases() {
  static const std::map<std::string, testsupport::ChildCase> cases = {
      {"unknown-window-property", UnknownWindowProperty},
      {"unloaded-own-property-read", UnloadedOwnPropertyRead},
      {"unloaded-own-property-write", UnloadedOwnPropertyWrite},
      {"event-unknown-window", EventOfUnknownWindow},
      {"event-unknown-unit", EventOfUnknownUnit},
      {"event-invalid-unit", EventOfInvalidUnit},
      {"missing-start-window", MissingStartWindow},
      {"locate-missing-control", LocateMissingControl},
      {"quit-after-last-window", QuitAfterLastWindow},
      {"no-quit-before-the-loop", NoQuitBeforeTheLoop},
  };
  return cases;
}

}  // namespace
}  // namespace windowtest

int main(int argc, char** argv) {
  rt::MiscService(6);
  int exitCode = 0;
  if (testsupport::RunChildCaseIfAsked(argc, argv, windowtest::ChildCases(), exitCode)) return exitCode;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
