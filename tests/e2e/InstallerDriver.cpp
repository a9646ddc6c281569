// Drives the running installer the way a person does: it finds the installer's window on the
// screen, moves the mouse and clicks, types on the keyboard, and reads what the window shows.
// Positions are given in the coordinates of the page shown (its 506 x 326 picture).
//
//   installer_driver find                       the window's screen rectangle
//   installer_driver click X Y                  a left click on the page
//   installer_driver open X Y EX EY             clicks there until a page with an edit box at
//                                               EX EY shows (a link to another page)
//   installer_driver press X Y                  clicks the button there until the installer
//                                               answers: another page, a box, or its end
//   installer_driver type X Y TEXT              click into the control there, clear it, type TEXT
//   installer_driver set-text X Y TEXT          click into the control there and set its text at
//                                               once (WM_SETTEXT): Wine turns Chinese typed
//                                               through SendInput into "??"
//   installer_driver text-at X Y                the text of the control at that point
//   installer_driver enabled-at X Y             1 when the control there is enabled
//   installer_driver visible                    every visible control: class, page rect, text
//   installer_driver pixel X Y                  the colour on screen there, as RRGGBB
//   installer_driver box [SECONDS]              waits for a message box; prints caption and text
//   installer_driver answer ID                  presses button ID of the open box
//   installer_driver browse PATH|cancel         picks PATH (e.g. "D:\") in the folder dialog
//   installer_driver wait-gone [SECONDS]        waits until the installer's window has closed
//   installer_driver time-install X Y SECONDS   clicks there and prints the milliseconds until the
//                                               finish page shows (measured here, for benchmarks)
//   installer_driver watch-install X Y LX LY W H SECONDS
//                                               clicks there and prints each text the control at
//                                               the place LX LY W H shows until the finish page
//   installer_driver time-start EXE             starts EXE and prints the milliseconds until its window
//                                               shows (measured here, for benchmarks)
//   installer_driver page-origin                the screen position of the shown page's corner
//   installer_driver close TITLE                asks the top-level window with this title to close
//   installer_driver text-of X Y W H            the text of the control at that place of its page,
//                                               shown or not
//   installer_driver hold FILE READY RELEASE    opens FILE without letting others delete it,
//                                               creates READY, and holds FILE until RELEASE exists
// Texts are read and written in the system code page (GBK); the exit code is 0 on success.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "Veltaro-会计从业安装";

// Every wait here is for an event, with a limit so that a run cannot hang: on a slower machine
// (Wine in an emulated one) the limits stretch by VELTARO_WAIT_SCALE, and nothing else changes.
DWORD Stretched(DWORD milliseconds) {
  char text[16] = {};
  const int scale = GetEnvironmentVariableA("VELTARO_WAIT_SCALE", text, sizeof text) ? atoi(text) : 1;
  return milliseconds * static_cast<DWORD>(scale >= 1 && scale <= 20 ? scale : 1);
}

// Waits until the check holds, polling; false when the stretched limit passes first.
template <typename Check>
bool WaitFor(DWORD timeoutMs, Check check) {
  timeoutMs = Stretched(timeoutMs);
  const DWORD start = GetTickCount();
  for (;;) {
    if (check()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
}

// A cold start of Wine on a loaded machine can take a while.
HWND FindInstaller() {
  HWND window = nullptr;
  const bool shown = WaitFor(60000, [&] {
    window = FindWindowA(nullptr, kCaption);
    return window && IsWindowVisible(window);
  });
  return shown ? window : nullptr;
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// An edit control keeps its text to itself: it is asked (GetWindowText gives another process's
// edit only its creation caption). Every other control's text is read without a message, so a
// busy installer (unpacking pumps no messages) can still be watched.
std::string TextOf(HWND window) {
  static char text[65536];
  text[0] = 0;
  char kind[32] = {};
  GetClassNameA(window, kind, sizeof kind);
  if (lstrcmpiA(kind, "Edit") != 0) {
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return std::string(text, copied);
}

struct Page {
  HWND picture = nullptr;  // the visible full-page picture box
  POINT origin = {};       // its client origin on the screen
};

BOOL CALLBACK FindPagePicture(HWND child, LPARAM context) {
  auto page = reinterpret_cast<Page*>(context);
  RECT rect;
  GetClientRect(child, &rect);
  if (IsWindowVisible(child) && ClassOf(child) == "_QZ_PicBox" && rect.right == 506 && rect.bottom == 326) {
    page->picture = child;
    return FALSE;
  }
  return TRUE;
}

bool CurrentPage(Page& page) {
  HWND window = FindInstaller();
  if (!window) return false;
  EnumChildWindows(window, FindPagePicture, reinterpret_cast<LPARAM>(&page));
  if (!page.picture) return false;
  ClientToScreen(page.picture, &page.origin);
  return true;
}

void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  SendInput(1, &input, sizeof input);
}

void ClickScreen(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
  Sleep(150);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(80);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Sleep(250);
}

void SendKey(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
  Sleep(20);
}

void PressKey(WORD key, bool shift = false) {
  if (shift) SendKey(VK_SHIFT, false);
  SendKey(key, false);
  SendKey(key, true);
  if (shift) SendKey(VK_SHIFT, true);
}

// Types printable ASCII through the keyboard layout, as a person's key presses.
bool TypeText(const std::string& text) {
  for (char c : text) {
    SHORT scan = VkKeyScanA(c);
    if (scan == -1) return false;
    PressKey(LOBYTE(scan), (HIBYTE(scan) & 1) != 0);
  }
  return true;
}

HWND ControlAt(const Page& page, int x, int y) {
  POINT point = {x, y};
  HWND found = ChildWindowFromPointEx(page.picture, point, CWP_SKIPINVISIBLE);
  return found ? found : page.picture;
}

bool IsEnabledCheckBox(HWND control) {
  return lstrcmpiA(ClassOf(control).c_str(), "Button") == 0 && IsWindowEnabled(control) &&
         (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
}

LRESULT CheckOf(HWND box) {
  DWORD_PTR state = 0;
  SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return static_cast<LRESULT>(state);
}

// A click on a check box is done when the box has changed; until then it is clicked again (on a
// loaded machine a click can go astray, and the box would silently keep its old state).
int Click(int x, int y) {
  Page page;
  if (!CurrentPage(page)) return 1;
  const HWND control = ControlAt(page, x, y);
  if (!IsEnabledCheckBox(control)) {
    ClickScreen(page.origin.x + x, page.origin.y + y);
    return 0;
  }
  const LRESULT before = CheckOf(control);
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickScreen(page.origin.x + x, page.origin.y + y);
    if (WaitFor(3000, [&] { return CheckOf(control) != before; })) return 0;
  }
  return 3;
}

// The edit box under the point once the page that holds it shows: a click that comes before a
// page switch is drawn would land on the page before.
HWND EditAt(int x, int y, DWORD timeoutMs = 10000) {
  HWND edit = nullptr;
  WaitFor(timeoutMs, [&] {
    Page page;
    if (!CurrentPage(page)) return false;
    HWND control = ControlAt(page, x, y);
    if (ClassOf(control) == "Edit" && IsWindowVisible(control)) edit = control;
    return edit != nullptr;
  });
  return edit;
}

// A click on a link that switches pages can go astray on a loaded machine like any other; it
// is done when the page it leads to shows.
int Open(int x, int y, int editX, int editY) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    Page page;
    if (!CurrentPage(page)) return 1;
    ClickScreen(page.origin.x + x, page.origin.y + y);
    if (EditAt(editX, editY, 8000)) return 0;
  }
  std::printf("no edit box at %d %d after three clicks at %d %d\n", editX, editY, x, y);
  return 3;
}

// The window that has the keyboard in the control's thread.
HWND FocusOf(HWND control) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool HasFocus(HWND control) { return FocusOf(control) == control; }

// Who has the keyboard instead of the box, for the message of a failed attempt.
std::string FocusHolder(HWND edit) {
  const HWND focus = FocusOf(edit);
  char title[256] = {};
  GetWindowTextA(GetForegroundWindow(), title, sizeof title);
  return "focus on " + (focus ? ClassOf(focus) : std::string("nothing")) + ", foreground '" + title + "'";
}

// Gives the box the keyboard as a click on it does, for when clicks do not reach it: on the
// loaded machine a click can be lost, or taken by a window of another Wine server on the same
// display that the driver cannot see.
bool GiveFocus(HWND edit) {
  const DWORD self = GetCurrentThreadId(), owner = GetWindowThreadProcessId(edit, nullptr);
  if (!AttachThreadInput(self, owner, TRUE)) return false;
  SetFocus(edit);
  AttachThreadInput(self, owner, FALSE);
  return WaitFor(2000, [&] { return HasFocus(edit); });
}

// Key presses are queued for whoever has the focus when they are read, so each one waits for
// the box to have it, and the result is read back: under load a click or a key can be late.
// A failure says what stood in the way.
int Type(int x, int y, const std::string& text) {
  HWND edit = EditAt(x, y);
  if (!edit) {
    std::printf("no edit box at %d %d on the page shown\n", x, y);
    return 1;
  }
  const bool editable = (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) == 0;
  std::string seen;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Click(x, y)) return 1;
    if (!WaitFor(5000, [&] { return HasFocus(edit); })) {
      seen = FocusHolder(edit);
      SetForegroundWindow(GetAncestor(edit, GA_ROOT));  // a window that came up over it
      // The keys that follow are what is checked; the last try hands the box the keyboard.
      if (attempt < 2 || !GiveFocus(edit)) continue;
      std::printf("%s after three clicks; the box was given the keyboard\n", seen.c_str());
    }
    PressKey(VK_END);
    PressKey(VK_HOME, true);  // select to the start
    PressKey(VK_DELETE);
    if (!TypeText(text)) return 2;
    if (!editable) return 0;
    if (WaitFor(5000, [&] { return lstrcmpiA(TextOf(edit).c_str(), text.c_str()) == 0; })) return 0;
    seen = "the box shows '" + TextOf(edit) + "'";
  }
  std::printf("%s\n", seen.c_str());
  return 2;
}

int SetText(int x, int y, const std::string& text) {
  HWND edit = EditAt(x, y);
  if (!edit || Click(x, y)) return 1;
  DWORD_PTR done = 0;
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, Stretched(5000),
                      &done);
  return done ? 0 : 2;
}

int TextAt(int x, int y) {
  Page page;
  if (!CurrentPage(page)) return 1;
  std::printf("%s\n", TextOf(ControlAt(page, x, y)).c_str());
  return 0;
}

int EnabledAt(int x, int y) {
  Page page;
  if (!CurrentPage(page)) return 1;
  std::printf("%d\n", IsWindowEnabled(ControlAt(page, x, y)) ? 1 : 0);
  return 0;
}

BOOL CALLBACK PrintVisible(HWND child, LPARAM context) {
  if (!IsWindowVisible(child)) return TRUE;
  auto page = reinterpret_cast<Page*>(context);
  RECT rect;
  GetWindowRect(child, &rect);
  std::printf("%s %ld %ld %ld %ld %s\n", ClassOf(child).c_str(), rect.left - page->origin.x, rect.top - page->origin.y,
              rect.right - rect.left, rect.bottom - rect.top, TextOf(child).c_str());
  return TRUE;
}

int Visible() {
  Page page;
  if (!CurrentPage(page)) return 1;
  EnumChildWindows(FindInstaller(), PrintVisible, reinterpret_cast<LPARAM>(&page));
  return 0;
}

struct PlaceSearch {
  RECT place;   // in the coordinates of the control's parent
  HWND found;
};

BOOL CALLBACK FindByPlace(HWND child, LPARAM context) {
  auto search = reinterpret_cast<PlaceSearch*>(context);
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  if (EqualRect(&rect, &search->place)) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

int TextOfPlace(int x, int y, int width, int height) {
  HWND window = FindInstaller();
  if (!window) return 1;
  PlaceSearch search = {{x, y, x + width, y + height}, nullptr};
  EnumChildWindows(window, FindByPlace, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 2;
  std::printf("%s\n", TextOf(search.found).c_str());
  return 0;
}

// The finish page shows when a visible page holds its finish button (184, 240, 152 x 38).
// The finish button, found among all the installer's controls while its page is still hidden:
// the 152 x 38 picture button at (184, 240) of a full-page picture box.
BOOL CALLBACK FindFinishButton(HWND child, LPARAM context) {
  RECT rect;
  GetWindowRect(child, &rect);
  if (ClassOf(child) != "_QZ_RgnButton" || rect.right - rect.left != 152 || rect.bottom - rect.top != 38) return TRUE;
  const HWND parent = GetParent(child);
  RECT parentRect;
  GetClientRect(parent, &parentRect);
  POINT corner = {};
  ClientToScreen(parent, &corner);
  if (ClassOf(parent) != "_QZ_PicBox" || parentRect.right != 506 || parentRect.bottom != 326) return TRUE;
  if (rect.left - corner.x != 184 || rect.top - corner.y != 240) return TRUE;
  *reinterpret_cast<HWND*>(context) = child;
  return FALSE;
}

// Clicks the button at (x, y) of the page and waits for the finish button, found before the
// click, to show, calling `look` between its looks; the milliseconds from letting go of the
// button (it acts then) to the finish page, or -1 after timeoutMs.
template <typename Look>
long ClickAndWaitForFinish(int x, int y, HWND finish, DWORD pauseMs, DWORD timeoutMs, Look look) {
  Page page;
  if (!CurrentPage(page)) return -1;
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, page.origin.x + x, page.origin.y + y);
  Sleep(150);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(80);
  const DWORD start = GetTickCount();
  SendMouse(MOUSEEVENTF_LEFTUP);
  while (!IsWindowVisible(finish)) {
    if (GetTickCount() - start > timeoutMs) return -1;
    look();
    Sleep(pauseMs);
  }
  return static_cast<long>(GetTickCount() - start);
}

HWND FinishButton() {
  HWND finish = nullptr;
  EnumChildWindows(FindInstaller(), FindFinishButton, reinterpret_cast<LPARAM>(&finish));
  return finish;
}

// Clicks and times the wait for the finish page. The wait asks one cheap question per round and
// does not slow the installer down by keeping its window server busy.
int TimeInstall(int x, int y, DWORD timeoutMs) {
  const HWND finish = FinishButton();
  if (!finish) return 1;
  const long elapsed = ClickAndWaitForFinish(x, y, finish, 5, timeoutMs, [] {});
  if (elapsed < 0) return 2;
  std::printf("%ld\n", elapsed);
  return 0;
}

// Clicks, then reads the control at the place (lx, ly, width x height) whenever it shows, every
// millisecond or so, until the finish page shows, and once more then; prints the texts it read,
// one line for each change. A whole installation can take less than a second: a driver run for
// each look would see only its end. Looks this quick can catch the control shown with the text
// it had before the click, in the moment before the installer sets its first one and paints it;
// that text is left out until the control has shown another.
int WatchInstall(int x, int y, const RECT& place, DWORD timeoutMs) {
  const HWND finish = FinishButton();
  PlaceSearch search = {place, nullptr};
  EnumChildWindows(FindInstaller(), FindByPlace, reinterpret_cast<LPARAM>(&search));
  if (!finish || !search.found) return 1;
  const std::string before = TextOf(search.found);
  std::vector<std::string> shown;
  auto look = [&] {
    if (!IsWindowVisible(search.found)) return;
    const std::string text = TextOf(search.found);
    if (shown.empty() && text == before) return;
    if (!text.empty() && (shown.empty() || shown.back() != text)) shown.push_back(text);
  };
  if (ClickAndWaitForFinish(x, y, finish, 1, timeoutMs, look) < 0) return 2;
  const std::string last = TextOf(search.found);  // as the progress page was left
  if (!last.empty() && (shown.empty() || shown.back() != last)) shown.push_back(last);
  for (const std::string& text : shown) std::printf("%s\n", text.c_str());
  return 0;
}

int TimeStart(const std::string& exe) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + exe + "\"";
  DWORD start = GetTickCount();
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!FindInstaller()) return 2;
  std::printf("%lu\n", GetTickCount() - start);
  return 0;
}

int Pixel(int x, int y) {
  Page page;
  if (!CurrentPage(page)) return 1;
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, page.origin.x + x, page.origin.y + y);
  ReleaseDC(nullptr, screen);
  std::printf("%02X%02X%02X\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return 0;
}

DWORD InstallerProcess() {
  HWND window = FindWindowA(nullptr, kCaption);
  DWORD process = 0;
  if (window) GetWindowThreadProcessId(window, &process);
  return process;
}

struct DialogSearch {
  DWORD process;  // whose dialog; 0 once the installer has gone (its uninstaller, say)
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
  auto search = reinterpret_cast<DialogSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  bool ours = search->process == 0 || owner == search->process;
  if (ours && IsWindowVisible(window) && ClassOf(window) == "#32770") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForDialog(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  DWORD process = InstallerProcess();
  while (GetTickCount() - start < timeoutMs) {
    DialogSearch search = {process, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      Sleep(300);
      return search.found;
    }
    Sleep(100);
    if (!process) process = InstallerProcess();
  }
  return nullptr;
}

bool ShowsDialog(DWORD process) {
  DialogSearch search = {process, nullptr};
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

// A window that answers a message at once is idle: it has read every input queued before.
bool Responds(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

// A click on a button that starts work (安装) is done when the installer has answered it: the
// button has left the screen with its page, a box has come up, or the window has gone. A click
// lost on a loaded machine is made again, but only once the installer is idle and still shows
// the button: a busy installer is working on the click, and a second one would land on
// whatever the next page shows at that place (the finish button).
int Press(int x, int y) {
  Page page;
  if (!CurrentPage(page)) return 1;
  const HWND window = FindWindowA(nullptr, kCaption);
  const HWND button = ControlAt(page, x, y);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  auto answered = [&] { return !IsWindow(window) || !IsWindowVisible(button) || ShowsDialog(process); };
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickScreen(page.origin.x + x, page.origin.y + y);
    if (WaitFor(8000, answered)) return 0;
    if (!WaitFor(120000, [&] { return answered() || Responds(window); })) {
      std::printf("the installer stopped answering after a click at %d %d\n", x, y);
      return 4;
    }
    if (answered()) return 0;
  }
  std::printf("three clicks at %d %d left the installer idle on the same page\n", x, y);
  return 3;
}

BOOL CALLBACK PrintStatic(HWND child, LPARAM) {
  if (ClassOf(child) == "Static" && !TextOf(child).empty()) std::printf("%s\n", TextOf(child).c_str());
  return TRUE;
}

int Box(DWORD timeoutMs) {
  HWND box = WaitForDialog(timeoutMs);
  if (!box) return 1;
  std::printf("%s\n", TextOf(box).c_str());
  EnumChildWindows(box, PrintStatic, 0);
  return 0;
}

// Clicks the button, and again while the box stays: on a loaded machine a click that comes
// while the box is still being shown can go astray, and the box would block everything after.
int Answer(int id) {
  HWND box = WaitForDialog(Stretched(5000));
  if (!box) return 1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    HWND button = GetDlgItem(box, id);
    if (!button) return 2;
    RECT rect;
    GetWindowRect(button, &rect);
    ClickScreen((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    if (WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) return 0;
  }
  return 3;
}

// ---- The folder dialog: a tree of the shell namespace, walked item by item -------------------

BOOL CALLBACK FindTree(HWND child, LPARAM context) {
  if (ClassOf(child) != "SysTreeView32") return TRUE;
  *reinterpret_cast<HWND*>(context) = child;
  return FALSE;
}

std::string ItemText(HWND tree, HTREEITEM item) {
  char text[260] = {};
  TVITEMA data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  // The tree belongs to another process: read the item through its own memory.
  DWORD process = 0;
  GetWindowThreadProcessId(tree, &process);
  HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!handle) return "";
  auto remote = static_cast<char*>(VirtualAllocEx(handle, nullptr, sizeof data + sizeof text, MEM_COMMIT, PAGE_READWRITE));
  data.pszText = remote + sizeof data;
  WriteProcessMemory(handle, remote, &data, sizeof data, nullptr);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(handle, remote + sizeof data, text, sizeof text, nullptr);
  VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
  CloseHandle(handle);
  return text;
}

HTREEITEM FindChildItem(HWND tree, HTREEITEM parent, const std::string& part) {
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  Sleep(300);
  for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
       item; item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    if (ItemText(tree, item).find(part) != std::string::npos) return item;
  }
  return nullptr;
}

// Clicks a tree item on the screen, as a person picks it.
void ClickItem(HWND tree, HTREEITEM item) {
  SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  DWORD process = 0;
  GetWindowThreadProcessId(tree, &process);
  HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  RECT rect = {};
  std::memcpy(&rect, &item, sizeof item);  // the item goes in where the rectangle comes back
  auto remote = VirtualAllocEx(handle, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(handle, remote, &rect, sizeof rect, nullptr);
  SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(handle, remote, &rect, sizeof rect, nullptr);
  VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
  CloseHandle(handle);
  POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ClientToScreen(tree, &point);
  ClickScreen(point.x, point.y);
}

// Picks a drive root or a folder below it: "D:\" or "D:\games". The tree shows drives under
// "我的电脑" as "... (D:)".
int Browse(const std::string& path) {
  HWND dialog = WaitForDialog(Stretched(10000));
  if (!dialog) return 1;
  if (path == "cancel") return Answer(IDCANCEL);
  HWND tree = nullptr;
  EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&tree));
  if (!tree) return 2;
  auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  HTREEITEM computer = FindChildItem(tree, root, "我的电脑");
  if (!computer) return 3;
  HTREEITEM item = FindChildItem(tree, computer, "(" + path.substr(0, 2) + ")");
  if (!item) return 4;
  size_t start = 3;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    item = FindChildItem(tree, item, path.substr(start, end - start));
    if (!item) return 5;
    start = end + 1;
  }
  // On a loaded machine the tree may still be scrolling when the click lands, and picks the
  // item that was there: the click counts only once the item is the selection.
  auto caret = [&] { return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)); };
  HTREEITEM picked = caret();
  for (int attempt = 0; attempt < 3 && picked != item; ++attempt) {
    ClickItem(tree, item);
    WaitFor(2000, [&] { return (picked = caret()) == item; });
  }
  if (picked != item) {
    std::printf("the click did not select it; selected by message\n");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    picked = caret();
  }
  std::printf("picked %s\n", ItemText(tree, picked).c_str());
  if (picked != item) return 6;
  return Answer(IDOK);
}

// A program that keeps one file open, as a running product does: the uninstaller has to wait for it.
int Hold(const std::string& file, const std::string& ready, const std::string& release) {
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE signal = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (signal != INVALID_HANDLE_VALUE) CloseHandle(signal);
  const bool released =
      WaitFor(60000, [&] { return GetFileAttributesA(release.c_str()) != INVALID_FILE_ATTRIBUTES; });
  CloseHandle(held);
  return released ? 0 : 3;
}

int WaitGone(DWORD timeoutMs) {
  return WaitFor(timeoutMs, [] { return FindWindowA(nullptr, kCaption) == nullptr; }) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto number = [&](size_t i) { return i < args.size() ? std::atoi(args[i].c_str()) : 0; };
  if (args.empty()) return 2;
  const std::string& command = args[0];
  if (command == "find") {
    HWND window = FindInstaller();
    if (!window) return 1;
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == "click") return Click(number(1), number(2));
  if (command == "open" && args.size() >= 5) return Open(number(1), number(2), number(3), number(4));
  if (command == "press") return Press(number(1), number(2));
  if (command == "type" && args.size() >= 4) return Type(number(1), number(2), args[3]);
  if (command == "set-text" && args.size() >= 4) return SetText(number(1), number(2), args[3]);
  if (command == "text-at") return TextAt(number(1), number(2));
  if (command == "enabled-at") return EnabledAt(number(1), number(2));
  if (command == "visible") return Visible();
  if (command == "pixel") return Pixel(number(1), number(2));
  if (command == "box") return Box(Stretched(static_cast<DWORD>(args.size() > 1 ? number(1) * 1000 : 10000)));
  if (command == "answer") return Answer(number(1));
  if (command == "browse" && args.size() >= 2) return Browse(args[1]);
  if (command == "time-install") return TimeInstall(number(1), number(2), Stretched(static_cast<DWORD>(number(3)) * 1000));
  if (command == "watch-install" && args.size() >= 8) {
    const RECT place = {number(3), number(4), number(3) + number(5), number(4) + number(6)};
    return WatchInstall(number(1), number(2), place, Stretched(static_cast<DWORD>(number(7)) * 1000));
  }
  if (command == "time-start" && args.size() >= 2) return TimeStart(args[1]);
  if (command == "page-origin") {
    Page page;
    if (!CurrentPage(page)) return 1;
    std::printf("%ld %ld\n", page.origin.x, page.origin.y);
    return 0;
  }
  if (command == "text-of") return TextOfPlace(number(1), number(2), number(3), number(4));
  if (command == "close" && args.size() >= 2) {
    HWND window = FindWindowA(nullptr, args[1].c_str());
    return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == "hold" && args.size() >= 4) return Hold(args[1], args[2], args[3]);
  if (command == "wait-gone") return WaitGone(static_cast<DWORD>(args.size() > 1 ? number(1) * 1000 : 10000));
  return 2;
}
