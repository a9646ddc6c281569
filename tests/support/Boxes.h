// Message boxes and dialogs read and answered from outside their program, the way a person
// sees them: matched by owning process, so tests running side by side never answer each
// other's boxes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace testsupport {

struct BoxSeen {
  HWND window = nullptr;
  std::string caption;                // GBK
  std::string text;                   // the box's message (its static texts joined by "\n")
  std::vector<std::string> buttons;   // button captions in child order
};

// Top-level dialog windows (class "#32770") of the process, visible ones only.
std::vector<HWND> DialogsOfProcess(DWORD processId);
BoxSeen ReadBox(HWND box);
// Waits until the process shows a dialog; false after timeoutMs.
bool WaitForBox(DWORD processId, BoxSeen& box, DWORD timeoutMs = 10000);
// Presses the button with this control id (IDOK, IDYES, ...).
bool PressButton(HWND box, int controlId);

}  // namespace testsupport
