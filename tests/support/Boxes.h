// Message boxes and dialogs read and answered from outside their program, the way a person
// sees them: matched by owning process, so tests running side by side never answer each
// other's boxes.
//
// Two ways in: the boxes a child process shows (read once they appear, answered with the
// button's command), and the dialogs this process shows while a second thread of the test
// watches (read once settled, answered with a click, and followed until they close).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace testsupport {

// ---- Boxes of another process ---------------------------------------------------------------

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

// ---- Dialogs of this process, watched from a second thread ----------------------------------

struct DialogButton {
  int id;
  std::string text;
};

struct Dialog {
  HWND window = nullptr;
  std::string caption;
  std::string message;  // the texts of its static controls, joined by "\n"
  std::vector<DialogButton> buttons;  // the visible ones, in child order
  HWND owner = nullptr;
};

// Waits for a visible dialog (class "#32770") of this process; null after the timeout.
HWND WaitForDialog(DWORD timeoutMs = 10000);
// Waits until the dialog window is gone; false after the timeout.
bool WaitUntilClosed(HWND dialog, DWORD timeoutMs = 10000);
Dialog ReadDialog(HWND dialog);
// Reads the dialog once it has finished setting itself up: its thread answers messages and two
// reads a moment apart agree.
Dialog ReadSettledDialog(HWND dialog, DWORD timeoutMs = 10000);
// Clicks the dialog's button with that control id.
bool ClickButton(HWND dialog, int buttonId);
// The first child of the dialog with that window class (any case), or null.
HWND FindChild(HWND dialog, const char* className);

}  // namespace testsupport
