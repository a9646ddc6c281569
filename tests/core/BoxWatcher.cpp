#include "tests/core/BoxWatcher.h"

#include <cstring>

namespace boxes {

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindOurDialog(HWND window, LPARAM context) {
  auto search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window) || ClassOf(window) != "#32770") return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  auto dialog = reinterpret_cast<Dialog*>(context);
  const std::string className = ClassOf(child);
  if (_stricmp(className.c_str(), "Button") == 0 && IsWindowVisible(child)) {
    dialog->buttons.push_back({GetDlgCtrlID(child), TextOf(child)});
  } else if (_stricmp(className.c_str(), "Static") == 0) {
    const std::string text = TextOf(child);
    if (!text.empty()) dialog->message += (dialog->message.empty() ? "" : "\n") + text;
  }
  return TRUE;
}

struct ChildSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK FindChildOfClass(HWND child, LPARAM context) {
  auto search = reinterpret_cast<ChildSearch*>(context);
  if (_stricmp(ClassOf(child).c_str(), search->className) != 0) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND WaitForDialog(DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += 25) {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindOurDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
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

Dialog Read(HWND dialog) {
  Dialog read;
  read.window = dialog;
  read.caption = TextOf(dialog);
  read.owner = GetWindow(dialog, GW_OWNER);
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&read));
  return read;
}

namespace {
bool SameDialog(const Dialog& a, const Dialog& b) {
  if (a.caption != b.caption || a.message != b.message || a.buttons.size() != b.buttons.size()) return false;
  for (size_t i = 0; i < a.buttons.size(); ++i) {
    if (a.buttons[i].id != b.buttons[i].id || a.buttons[i].text != b.buttons[i].text) return false;
  }
  return true;
}
}  // namespace

Dialog ReadSettled(HWND dialog, DWORD timeoutMs) {
  Dialog last = Read(dialog);
  for (DWORD waited = 0; waited <= timeoutMs; waited += 100) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    Sleep(100);
    Dialog now = Read(dialog);
    if (!now.buttons.empty() && SameDialog(now, last)) return now;
    last = now;
  }
  return last;
}

bool Press(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (!button) return false;
  return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

HWND FindChild(HWND dialog, const char* className) {
  ChildSearch search{className, nullptr};
  EnumChildWindows(dialog, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace boxes
