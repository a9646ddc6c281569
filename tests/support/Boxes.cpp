#include "tests/support/Boxes.h"

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

}  // namespace testsupport
