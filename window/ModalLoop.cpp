#include "window/ModalLoop.h"
#include <vector>
#include "runtime/Runtime.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

struct ModalLoop {
  HWND window;  // the modal window the loop waits for
  bool ended;   // it has closed
};

// The running loops, innermost last; each runs inside the one before it.
std::vector<ModalLoop>& Loops() {
  static std::vector<ModalLoop> loops;
  return loops;
}

}  // namespace

void RunModalLoop(HWND hwnd) {
  Loops().push_back({hwnd, false});
  rt::RunNestedLoop();
  Loops().pop_back();
  // The runtime's nested-loop flag belongs to the innermost loop only, so a window that closed
  // while a later modal window ran ends its loop now.
  if (!Loops().empty() && Loops().back().ended) rt::EndNestedLoop();
}

void EndModalLoop(HWND hwnd) {
  std::vector<ModalLoop>& loops = Loops();
  for (size_t i = 0; i < loops.size(); ++i) {
    if (loops[i].window != hwnd || loops[i].ended) continue;
    loops[i].ended = true;
    if (i + 1 == loops.size()) rt::EndNestedLoop();
    return;
  }
}

bool PassOnDisabledWindow(HWND closing, HWND disabled, bool wasEnabled) {
  std::vector<ModalLoop>& loops = Loops();
  size_t i = 0;
  while (i < loops.size() && loops[i].window != closing) ++i;
  for (++i; i < loops.size(); ++i) {
    if (loops[i].ended) continue;
    auto* later = dynamic_cast<WindowUnit*>(rt::FrameworkWindow::FromHandle(loops[i].window));
    if (later && later->TakeOverDisabledWindow(disabled, wasEnabled)) return true;
  }
  return false;
}

}  // namespace window
