// 会计从业资格.exe, the main program of the default product: one window naming the product.
//
// On start it writes its command line to "started.mark" in its own folder, so that whoever
// started it (the installer's finish page, a test) can tell that and how it was started.
// "/quit-after-mark" ends it right after writing the mark.
#include <windows.h>

#include <cstring>
#include <string>

#include "installer/product/GbkPath.h"
#include "runtime/GdiObjects.h"
#include "runtime/Win32Handle.h"

namespace {

using namespace product;

constexpr char kWindowClass[] = "VeltaroQuestionBank";
constexpr char kTitle[] = "Veltaro 会计从业考试题库 V4.6";
constexpr char kMarkFileName[] = "started.mark";
constexpr char kQuitAfterMarkSwitch[] = "/quit-after-mark";
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 340;
constexpr int kHeaderHeight = 96;
constexpr int kCloseButtonId = 100;

const char* const kBodyLines[] = {
    "欢迎使用 Veltaro 会计从业考试题库！",
    "",
    "历年真题　　收录历年考试真题，附详细答案解析",
    "章节练习　　按考试大纲分章练习，巩固每一个知识点",
    "全真模考　　仿真机考界面，限时作答自动评分",
    "错题重做　　自动收集错题，考前集中复习",
};

bool HasSwitch(const char* commandLine, const char* name) {
  const size_t length = std::strlen(name);
  for (const char* p = std::strstr(commandLine, name); p != nullptr; p = std::strstr(p + 1, name)) {
    const bool startsWord = p == commandLine || p[-1] == ' ' || p[-1] == '\t';
    const bool endsWord = p[length] == '\0' || p[length] == ' ' || p[length] == '\t';
    if (startsWord && endsWord) return true;
  }
  return false;
}

void LeaveStartMark(const char* commandLine) {
  const std::string mark = path::Join(path::OwnFolder(), kMarkFileName);
  rt::UniqueHandle file(CreateFileA(mark.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return;  // a read-only installation folder only loses the mark
  DWORD written = 0;
  WriteFile(file.Get(), commandLine, static_cast<DWORD>(std::strlen(commandLine)), &written, nullptr);
}

HFONT MakeFont(int height, int weight) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, "Microsoft YaHei");
}

// Colour a..b at t / 255.
COLORREF Mix(COLORREF a, COLORREF b, int t) {
  auto channel = [t](int x, int y) { return x + (y - x) * t / 255; };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

// The installer's header colours: a band from light to deeper blue, one line per row.
void PaintHeader(HDC dc, int width) {
  for (int y = 0; y < kHeaderHeight; ++y) {
    rt::gdi::Brush brush(CreateSolidBrush(Mix(RGB(0xC9, 0xE6, 0xFF), RGB(0x6C, 0xB4, 0xF8), y * 255 / kHeaderHeight)));
    RECT row = {0, y, width, y + 1};
    FillRect(dc, &row, brush.get());
  }
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "DEFAULT_ICON", IMAGE_ICON, 48, 48, 0));
  if (icon) {
    DrawIconEx(dc, 24, (kHeaderHeight - 48) / 2, icon, 48, 48, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
  }
  rt::gdi::Font title(MakeFont(26, FW_BOLD));
  rt::gdi::Selection selected(dc, title.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0x14, 0x45, 0x85));
  TextOutA(dc, 88, 30, kTitle, static_cast<int>(std::strlen(kTitle)));
}

void PaintBody(HDC dc) {
  rt::gdi::Font font(MakeFont(15, FW_NORMAL));
  rt::gdi::Selection selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0x33, 0x3D, 0x4A));
  int y = kHeaderHeight + 24;
  for (const char* line : kBodyLines) {
    TextOutA(dc, 32, y, line, static_cast<int>(std::strlen(line)));
    y += 26;
  }
}

void OnPaint(HWND window) {
  rt::gdi::PaintDc paint(window);
  RECT client;
  GetClientRect(window, &client);
  FillRect(paint.get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintHeader(paint.get(), client.right);
  PaintBody(paint.get());
}

void OnCreate(HWND window) {
  HWND button = CreateWindowExA(0, "BUTTON", "退出", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                kClientWidth - 112, kClientHeight - 48, 88, 28, window,
                                reinterpret_cast<HMENU>(kCloseButtonId), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseButtonId) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "DEFAULT_ICON");
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateWindowExA(0, kWindowClass, kTitle, style, left, top, width, height, nullptr, nullptr, instance, nullptr);
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const char* commandLine = GetCommandLineA();
  LeaveStartMark(commandLine);
  if (HasSwitch(commandLine, kQuitAfterMarkSwitch)) return 0;
  if (!RegisterWindowClass(instance)) return 1;
  HWND window = CreateMainWindow(instance);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return RunMessageLoop();
}
