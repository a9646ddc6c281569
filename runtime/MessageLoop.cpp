// The message loop: idle processing while the queue is empty, then one message per pass,
// offered for pre-translation before it is translated and dispatched.
#include <windows.h>
#include "runtime/FrameworkWindow.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

constexpr UINT kQueryWindowObject = 0x8002;  // asks a window without an object for its object
constexpr UINT kCaretBlinkTimer = 0x0118;    // WM_SYSTIMER

struct IdleState {
  bool frameworkWorkPending = false;
  DWORD idleStart = 0;
};
IdleState idle;
POINT lastMousePoint = {-1, -1};
UINT lastMouseMessage = 0;

void RunIdleCallbacks() {
  auto& registry = State().idleRegistry;
  for (size_t i = registry.size(); i-- > 0;) {
    if (i >= registry.size()) continue;
    IdleEntry entry = registry[i];
    if (!IsWindow(entry.window)) {
      registry.erase(registry.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    entry.routine(entry.parameter);
  }
}

// The idle operation, called with the count of idle passes since the last real message.
bool OnIdle(long count) {
  if (count == 0) {
    idle.frameworkWorkPending = true;
    idle.idleStart = GetTickCount();
  }
  if (idle.frameworkWorkPending) {
    // Our framework has no idle work of its own beyond this first pass.
    idle.frameworkWorkPending = false;
    return true;
  }
  if (count < 2) return true;
  const WindowEngine* engine = Engine();
  return engine && engine->idle(count, GetTickCount() - idle.idleStart);
}

bool IsTopLevel(HWND hwnd) { return !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD); }

bool PreTranslate(MSG* message) {
  if (!message->hwnd) return false;  // thread messages: nothing of ours handles them
  for (HWND hwnd = message->hwnd; hwnd; hwnd = GetParent(hwnd)) {
    FrameworkWindow* object = FrameworkWindow::FromHandle(hwnd);
    if (!object) object = reinterpret_cast<FrameworkWindow*>(SendMessageA(hwnd, kQueryWindowObject, 0, 0));
    if (object && object->PreTranslateMessage(message)) return true;
    if (IsTopLevel(hwnd)) break;
  }
  return false;
}

// Mouse moves to the same place and caret blinks do not restart idle processing.
bool DeservesIdle(const MSG& message) {
  if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
    bool same = lastMouseMessage == message.message && lastMousePoint.x == message.pt.x && lastMousePoint.y == message.pt.y;
    lastMouseMessage = message.message;
    lastMousePoint = message.pt;
    return !same;
  }
  return message.message != kCaretBlinkTimer;
}

// Fetches (waiting when none is queued) and dispatches one message; false for the quit message.
bool PumpMessage(MSG& message) {
  if (!GetMessageA(&message, nullptr, 0, 0)) return false;
  if (!PreTranslate(&message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

bool MessageWaiting() {
  MSG peeked;
  return PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

bool QuitWaiting() {
  MSG peeked;
  return PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE) && peeked.message == WM_QUIT;
}

}  // namespace

void RunLoop(int mode) {
  RuntimeState& state = State();
  bool idleFlag = true;
  long idleCount = 0;
  for (;;) {
    while (idleFlag && !MessageWaiting()) {
      RunIdleCallbacks();
      if (!OnIdle(idleCount++)) idleFlag = false;
      if (mode == 1 && !state.nestedLoop) return;
    }
    do {
      if (mode == 1 && QuitWaiting()) return;
      MSG message;
      if (!PumpMessage(message)) return;
      if (mode == 1 && !state.nestedLoop) return;
      if (DeservesIdle(message)) {
        idleFlag = true;
        idleCount = 0;
      }
    } while (MessageWaiting());
  }
}

void RunMessageLoop() {
  RuntimeState& state = State();
  state.loopEntered = true;
  const WindowEngine* engine = Engine();
  if (!engine || !engine->anyLiveWindow()) return;
  RunLoop(0);
}

void RunNestedLoop() {
  RuntimeState& state = State();
  bool outer = state.nestedLoop;
  state.nestedLoop = true;
  RunLoop(1);
  state.nestedLoop = outer;
}

void EndNestedLoop() {
  State().nestedLoop = false;
  PostMessageA(nullptr, WM_NULL, 0, 0);  // wakes a loop that waits for a message
}

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (PreTranslate(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace rt
