// The message loop's idle-callback registry (codes 1012 and 1013) and pre-translation, on real
// windows of this thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "runtime/FrameworkWindow.h"
#include "runtime/Runtime.h"

namespace runtimetest {
namespace {

std::vector<std::string> idleCalls;

void CountIdle(uintptr_t parameter) { idleCalls.push_back("count " + std::to_string(parameter)); }
void OtherIdle(uintptr_t parameter) { idleCalls.push_back("other " + std::to_string(parameter)); }
// Ends the nested loop from inside its first idle pass.
void EndLoopIdle(uintptr_t) {
  idleCalls.push_back("end");
  rt::EndNestedLoop();
}

HWND NewWindow() { return CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); }

void Register(HWND window, void (*routine)(uintptr_t), uintptr_t parameter) {
  rt::IdleRecord record = {window, routine, parameter};
  rt::RuntimeNotify(rt::kNotifyRegisterIdle, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&record)), 0);
}

// One idle pass of the nested loop: every routine registered runs once, the last one first.
std::vector<std::string> OneIdlePass() {
  rt::ProcessPendingMessages();
  idleCalls.clear();
  rt::RunNestedLoop();
  return idleCalls;
}

TEST(IdleRegistry, RoutinesRunLastRegisteredFirstOncePerWindowWhileTheirWindowLives) {
  HWND counting = NewWindow(), ending = NewWindow(), gone = NewWindow(), refused = NewWindow();
  Register(ending, EndLoopIdle, 0);
  Register(counting, CountIdle, 7);
  Register(counting, OtherIdle, 8);  // the window has a routine already: ignored
  Register(refused, nullptr, 1);     // no routine: ignored
  Register(gone, OtherIdle, 9);
  HWND notAWindow = NewWindow();
  DestroyWindow(notAWindow);
  Register(notAWindow, OtherIdle, 10);  // not a window: ignored
  DestroyWindow(gone);                  // dropped at the next pass without being called
  EXPECT_EQ((std::vector<std::string>{"count 7", "end"}), OneIdlePass());

  rt::RuntimeNotify(rt::kNotifyUnregisterIdle, static_cast<int32_t>(reinterpret_cast<uintptr_t>(counting)), 0);
  Register(refused, OtherIdle, 11);  // refused had no entry: this one counts
  Register(gone, CountIdle, 12);     // the destroyed window's entry went, and it cannot come back
  EXPECT_EQ((std::vector<std::string>{"other 11", "end"}), OneIdlePass());

  rt::RuntimeNotify(rt::kNotifyUnregisterIdle, static_cast<int32_t>(reinterpret_cast<uintptr_t>(refused)), 0);
  rt::RuntimeNotify(rt::kNotifyUnregisterIdle, static_cast<int32_t>(reinterpret_cast<uintptr_t>(ending)), 0);
  DestroyWindow(counting);
  DestroyWindow(ending);
  DestroyWindow(refused);
}

// A window object that no window is attached to, handed out by a window that has none of its
// own when asked through message 0x8002.
class CatchingObject : public rt::FrameworkWindow {
 public:
  std::vector<UINT> seen;
  bool PreTranslateMessage(MSG* message) override {
    if (message->message != kProbe) return false;
    seen.push_back(message->message);
    return true;
  }
  static constexpr UINT kProbe = WM_APP + 5;
};

CatchingObject catcher;
std::vector<UINT> dispatched;

LRESULT CALLBACK AnsweringProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 0x8002) return reinterpret_cast<LRESULT>(&catcher);
  if (message == CatchingObject::kProbe) dispatched.push_back(message);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SilentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == CatchingObject::kProbe) dispatched.push_back(message);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND WindowOfClass(const char* name, WNDPROC procedure, HWND parent) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  DWORD style = parent ? WS_CHILD : WS_POPUP;
  return CreateWindowA(name, "", style, 0, 0, 50, 50, parent, nullptr, wc.hInstance, nullptr);
}

TEST(PreTranslation, AWindowWithoutAnObjectIsAskedForOneThroughMessage8002) {
  HWND top = WindowOfClass("AnswersWithObject", AnsweringProc, nullptr);
  HWND child = WindowOfClass("AnswersNothing", SilentProc, top);
  HWND alone = WindowOfClass("AnswersNothing", SilentProc, nullptr);
  catcher.seen.clear();
  dispatched.clear();

  // Addressed to the child, which has no object and answers 0: its parent's answer takes it.
  PostMessageA(child, CatchingObject::kProbe, 0, 0);
  rt::ProcessPendingMessages();
  EXPECT_EQ(1u, catcher.seen.size());
  EXPECT_TRUE(dispatched.empty()) << "a message the object handled is not dispatched";

  // Nobody up the chain has an object: the message is dispatched as usual.
  PostMessageA(alone, CatchingObject::kProbe, 0, 0);
  rt::ProcessPendingMessages();
  EXPECT_EQ(1u, catcher.seen.size());
  EXPECT_EQ(1u, dispatched.size());
  DestroyWindow(alone);
  DestroyWindow(top);
}

}  // namespace
}  // namespace runtimetest
