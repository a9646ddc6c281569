// Finding and answering the real dialogs that a command shows (message boxes, the folder
// dialog) from a second thread, the way a person at the screen would: only dialogs of this
// process count, so tests running side by side never answer each other's boxes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace boxes {

struct Button {
  int id;
  std::string text;
};

struct Dialog {
  HWND window = nullptr;
  std::string caption;
  std::string message;  // the texts of its static controls, joined by "\n"
  std::vector<Button> buttons;
  HWND owner = nullptr;
};

// Waits for a visible dialog (class "#32770") of this process; null after the timeout.
HWND WaitForDialog(DWORD timeoutMs = 10000);
// Waits until the dialog window is gone; false after the timeout.
bool WaitUntilClosed(HWND dialog, DWORD timeoutMs = 10000);
Dialog Read(HWND dialog);
// Reads the dialog once it has finished setting itself up: its thread answers messages and two
// reads a moment apart agree.
Dialog ReadSettled(HWND dialog, DWORD timeoutMs = 10000);
// Clicks the dialog's button with that control id.
bool Press(HWND dialog, int buttonId);
// The first child of the dialog with that window class, or null.
HWND FindChild(HWND dialog, const char* className);

}  // namespace boxes
