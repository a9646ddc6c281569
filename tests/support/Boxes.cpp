#include "tests/support/Boxes.h"

#include <cstring>

namespace testsupport {
namespace {

std::string WindowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Search {
  DWORD processId;          // whose dialogs
  std::vector<HWND> found;  // in z-order
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto s = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == s->processId && IsWindowVisible(window) && ClassOf(window) == "#32770") s->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectBoxPart(HWND child, LPARAM context) {
  auto s = reinterpret_cast<BoxSeen*>(context);
  std::string kind = ClassOf(child);
  std::string text = WindowText(child);
  if (kind == "Static" && !text.empty()) s->text += (s->text.empty() ? "" : "\n") + text;
  if (kind == "Button") s->buttons.push_back(text);
  return TRUE;
}

BOOL CALLBACK CollectDialogPart(HWND child, LPARAM context) {
  auto dialog = reinterpret_cast<Dialog*>(context);
  const std::string className = ClassOf(child);
  if (_stricmp(className.c_str(), "Button") == 0 && IsWindowVisible(child)) {
    dialog->buttons.push_back({GetDlgCtrlID(child), WindowText(child)});
  } else if (_stricmp(className.c_str(), "Static") == 0) {
    const std::string text = WindowText(child);
    if (!text.empty()) dialog->message += (dialog->message.empty() ? "" : "\n") + text;
  }
  return TRUE;
}

struct ChildSearch {
  const char* className;  // compared in any case
  HWND found;
};

BOOL CALLBACK FindChildOfClass(HWND child, LPARAM context) {
  auto search = reinterpret_cast<ChildSearch*>(context);
  if (_stricmp(ClassOf(child).c_str(), search->className) != 0) return TRUE;
  search->found = child;
  return FALSE;
}

bool SameDialog(const Dialog& a, const Dialog& b) {
  if (a.caption != b.caption || a.message != b.message || a.buttons.size() != b.buttons.size()) return false;
  for (size_t i = 0; i < a.buttons.size(); ++i) {
    if (a.buttons[i].id != b.buttons[i].id || a.buttons[i].text != b.buttons[i].text) return false;
  }
  return true;
}

}  // namespace

std::vector<HWND> DialogsOfProcess(DWORD processId) {
  Search search{processId, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BoxSeen ReadBox(HWND box) {
  BoxSeen seen;
  seen.window = box;
  seen.caption = WindowText(box);
  EnumChildWindows(box, CollectBoxPart, reinterpret_cast<LPARAM>(&seen));
  return seen;
}

bool WaitForBox(DWORD processId, BoxSeen& box, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    std::vector<HWND> dialogs = DialogsOfProcess(processId);
    if (!dialogs.empty()) {
      Sleep(100);  // let the box finish laying out its texts
      box = ReadBox(dialogs.front());
      return true;
    }
    Sleep(50);
  }
  return false;
}

bool PressButton(HWND box, int controlId) {
  HWND button = GetDlgItem(box, controlId);
  if (!button) return false;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return true;
}

HWND WaitForDialog(DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += 25) {
    std::vector<HWND> dialogs = DialogsOfProcess(GetCurrentProcessId());
    if (!dialogs.empty()) return dialogs.front();
    Sleep(25);
  }
  return nullptr;
}

bool WaitUntilClosed(HWND dialog, DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += 25) {
    if (!IsWindow(dialog)) return true;
    Sleep(25);
  }
  return false;
}

Dialog ReadDialog(HWND dialog) {
  Dialog read;
  read.window = dialog;
  read.caption = WindowText(dialog);
  read.owner = GetWindow(dialog, GW_OWNER);
  EnumChildWindows(dialog, CollectDialogPart, reinterpret_cast<LPARAM>(&read));
  return read;
}

Dialog ReadSettledDialog(HWND dialog, DWORD timeoutMs) {
  Dialog last = ReadDialog(dialog);
  for (DWORD waited = 0; waited <= timeoutMs; waited += 100) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    Sleep(100);
    Dialog now = ReadDialog(dialog);
    if (!now.buttons.empty() && SameDialog(now, last)) return now;
    last = now;
  }
  return last;
}

bool ClickButton(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (!button) return false;
  return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

HWND FindChild(HWND dialog, const char* className) {
  ChildSearch search{className, nullptr};
  EnumChildWindows(dialog, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace testsupport
