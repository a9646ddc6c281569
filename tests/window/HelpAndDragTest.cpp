// Two window settings that act before any unit sees the input: F1 opens the help file
// (`F1OpensHelp`, `HelpFile`, `HelpContext`), and a press anywhere drags the window
// (`DragAnywhere`) when it lands on the window or on a unit whose type allows it.
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>
#include "runtime/Runtime.h"
#include "tests/window/WindowTestSupport.h"

namespace windowtest {
namespace {

// ---- F1 -----------------------------------------------------------------------------------------

// What reached the help viewer. Wine's WinHelpA hands each request to the window of class
// "MS_WINHELP" as WM_COPYDATA tagged 0xA1DE505, with the layout of the Windows 95 request; this
// window stands in for the viewer so that no viewer program starts. Windows talks to its viewer
// another way, so these cases check what Wine's viewer would be told.
struct HelpRequest {
  UINT command;
  ULONG_PTR data;
  std::string file;
};
std::vector<HelpRequest> helpRequests;

#pragma pack(push, 1)
struct WinHelpData {
  WORD size, command;
  LONG data, reserved;
  WORD fileOffset, dataOffset;
};
#pragma pack(pop)

LRESULT CALLBACK HelpViewerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(hwnd, message, wParam, lParam);
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (copy->dwData != 0xA1DE505 || copy->cbData < sizeof(WinHelpData)) return FALSE;
  const auto* request = static_cast<const WinHelpData*>(copy->lpData);
  const char* bytes = static_cast<const char*>(copy->lpData);
  helpRequests.push_back({request->command, static_cast<ULONG_PTR>(request->data),
                          request->fileOffset ? std::string(bytes + request->fileOffset) : std::string()});
  return TRUE;
}

class HelpViewer {
 public:
  HelpViewer() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HelpViewerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "MS_WINHELP", "help", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    helpRequests.clear();
  }
  ~HelpViewer() { DestroyWindow(hwnd_); }

 private:
  HWND hwnd_;
};

std::string WriteFile(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file) std::fclose(file);
  return path;
}

uint32_t OpenHelpWindow(int32_t f1, const std::string& helpFile, int32_t context) {
  tmpl::WindowBlock block = WindowBuilder::DefaultWindow();
  block.F1OpensHelp = f1;
  block.HelpFile = helpFile;
  block.HelpContext = context;
  WindowBuilder builder(block);
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  uint32_t windowId = builder.Load();
  builder.Open();
  Focus(UnitHandle(windowId, edit));
  return windowId;
}

TEST(Help, F1OpensTheHelpFileAtItsContextOnlyWhenOnAndWhenTheFileExists) {
  HelpViewer viewer;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string file = WriteFile(std::string(temp) + "veltaro-help-" + std::to_string(GetCurrentProcessId()) + ".hlp");

  uint32_t windowId = OpenHelpWindow(1, file, 42);
  PressKey(VK_F1);
  ASSERT_EQ(helpRequests.size(), 1u);
  EXPECT_EQ(helpRequests[0].command, UINT(HELP_CONTEXT));
  EXPECT_EQ(helpRequests[0].data, 42u);
  EXPECT_EQ(helpRequests[0].file, file);
  CloseWindowNow(windowId);

  helpRequests.clear();
  windowId = OpenHelpWindow(1, file, 0);
  PressKey(VK_F1);
  ASSERT_EQ(helpRequests.size(), 1u);
  EXPECT_EQ(helpRequests[0].command, UINT(HELP_CONTENTS)) << "context 0: the contents";
  CloseWindowNow(windowId);

  helpRequests.clear();
  windowId = OpenHelpWindow(0, file, 42);
  PressKey(VK_F1);
  EXPECT_TRUE(helpRequests.empty()) << "F1OpensHelp off";
  CloseWindowNow(windowId);

  DeleteFileA(file.c_str());
  windowId = OpenHelpWindow(1, file, 42);
  PressKey(VK_F1);
  EXPECT_TRUE(helpRequests.empty()) << "a help file that does not exist is not opened";
  CloseWindowNow(windowId);
}

TEST(Help, WithoutAHelpFileF1OpensTheProgramsOwnHlpFile) {
  HelpViewer viewer;
  std::string program = std::string(rt::ProgramFolder()) + "\\" + rt::ProgramFileName();
  const std::string own = WriteFile(program.substr(0, program.find_last_of('.')) + ".hlp");
  uint32_t windowId = OpenHelpWindow(1, "", 0);
  PressKey(VK_F1);
  DeleteFileA(own.c_str());
  ASSERT_EQ(helpRequests.size(), 1u);
  EXPECT_EQ(helpRequests[0].file, own);
  EXPECT_EQ(helpRequests[0].command, UINT(HELP_CONTENTS));
  CloseWindowNow(windowId);
}

// ---- DragAnywhere ---------------------------------------------------------------------------------

// Presses at a point, moves by (dx, dy) in steps and releases. The window's move loop runs inside
// this thread's message processing, so the input comes from a second thread while this one pumps.
void DragFrom(POINT start, int dx, int dy) {
  SetCursorPos(start.x, start.y);
  Pump(60);
  std::atomic<bool> done{false};
  std::thread mover([&] {
    auto send = [](DWORD flags, LONG x = 0, LONG y = 0) {
      INPUT input = {};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flags;
      input.mi.dx = x, input.mi.dy = y;
      SendInput(1, &input, sizeof input);
    };
    send(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    for (int step = 1; step <= 5; ++step) {
      SetCursorPos(start.x + dx * step / 5, start.y + dy * step / 5);
      send(MOUSEEVENTF_MOVE);  // a move of nothing: the position just set arrives as input
      Sleep(80);
    }
    Sleep(200);
    send(MOUSEEVENTF_LEFTUP);
    Sleep(200);
    done = true;
  });
  while (!done) Pump(20);
  mover.join();
  Pump(100);
}

POINT CentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct DragWindow {
  uint32_t windowId, picture, edit;
  HWND hwnd;
};

DragWindow OpenDragWindow(int32_t dragAnywhere) {
  tmpl::WindowBlock block = WindowBuilder::DefaultWindow();
  block.DragAnywhere = dragAnywhere;
  WindowBuilder builder(block);
  DragWindow w;
  w.picture = builder.Add(kTypePicBox, tmpl::PicBoxBlock().Write(), {10, 10, 110, 90}, tmpl::kFlagVisible);
  w.edit = builder.Add(kTypeEditBox, EditBlock("text").Write(), {150, 10, 250, 40});
  w.windowId = builder.Load();
  w.hwnd = builder.Open();
  SetForegroundWindow(w.hwnd);
  Pump(60);
  return w;
}

RECT WindowRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(DragAnywhere, APressOnTheWindowOrAPictureBoxDragsTheWindowAndOneOnAnEditBoxDoesNot) {
  DragWindow w = OpenDragWindow(1);
  RECT before = WindowRect(w.hwnd);
  DragFrom(CentreOf(UnitHandle(w.windowId, w.picture)), 40, 30);
  RECT after = WindowRect(w.hwnd);
  EXPECT_EQ(after.left - before.left, 40) << "dragged by the picture box";
  EXPECT_EQ(after.top - before.top, 30);

  before = after;
  DragFrom({before.left + 280, before.top + 150}, -20, 25);  // the window's own client area
  after = WindowRect(w.hwnd);
  EXPECT_EQ(after.left - before.left, -20) << "dragged by the window itself";
  EXPECT_EQ(after.top - before.top, 25);

  before = after;
  DragFrom(CentreOf(UnitHandle(w.windowId, w.edit)), 40, 30);
  after = WindowRect(w.hwnd);
  EXPECT_EQ(after.left, before.left) << "an edit box keeps its press";
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(GetFocus(), UnitHandle(w.windowId, w.edit));
  CloseWindowNow(w.windowId);
}

TEST(DragAnywhere, WhenOffAPressMovesNothing) {
  DragWindow w = OpenDragWindow(0);
  RECT before = WindowRect(w.hwnd);
  DragFrom(CentreOf(UnitHandle(w.windowId, w.picture)), 40, 30);
  RECT after = WindowRect(w.hwnd);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  CloseWindowNow(w.windowId);
}

}  // namespace
}  // namespace windowtest
