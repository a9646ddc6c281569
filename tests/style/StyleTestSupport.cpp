#include "tests/style/StyleTestSupport.h"

#include <commctrl.h>

#include <cstdio>

#include "runtime/Value.h"
#include "services/style/StyleLib.h"

namespace styletest {
namespace {

constexpr char kHostClass[] = "StyleTestHost";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      SetBkColor(reinterpret_cast<HDC>(wParam), kWhite);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterHostClass() {
  static bool registered = false;
  if (registered) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  RegisterClassA(&wc);
  registered = true;
}

POINT ScreenPoint(HWND window, int x, int y) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left + x, r.top + y};
}

void SendMouse(POINT screen, DWORD extraFlags) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extraFlags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

int32_t SetLook(int32_t scheme) {
  rt::ArgTriple result{};
  rt::ArgTriple argument = rt::IntArg(scheme);
  stylelib::SetVisualStyle(&result, 1, &argument);
  return result.Int();
}

// Hiding or destroying an active top-level window makes Wine wait two seconds for a window
// manager that Xvfb does not run; so one top-level window lives as long as the process and each
// test gets a child panel of it.
HWND Stage() {
  static HWND stage = nullptr;
  if (stage) return stage;
  RegisterHostClass();
  stage = CreateWindowExA(0, kHostClass, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                          GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(stage);
  return stage;
}

HostWindow::HostWindow(int width, int height, int x, int y) {
  window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kHostClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                            height, Stage(), nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(Stage());
  Pump();
}

HostWindow::~HostWindow() {
  if (window_) DestroyWindow(window_);
  Pump(10);
}

HWND HostWindow::Add(const char* className, const char* text, DWORD style, int x, int y, int width, int height, DWORD exStyle) {
  static int nextId = 100;
  HWND control = CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  return control;
}

void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  do {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(1);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (!condition()) {
    if (static_cast<int>(end - GetTickCount()) <= 0) return false;
    Pump(10);
  }
  return true;
}

int Image::Count(COLORREF colour, RECT area) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += At(x, y) == colour ? 1 : 0;
  return count;
}

int Image::CountDark(RECT area) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = At(x, y);
      count += (GetRValue(c) + GetGValue(c) + GetBValue(c)) < 3 * 140 ? 1 : 0;
    }
  }
  return count;
}

int Image::CountNear(COLORREF colour, int tolerance, RECT area) const {
  auto within = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = At(x, y);
      count += within(GetRValue(c), GetRValue(colour)) && within(GetGValue(c), GetGValue(colour)) &&
                       within(GetBValue(c), GetBValue(colour))
                   ? 1
                   : 0;
    }
  }
  return count;
}

int Image::CountGreen(RECT area) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = At(x, y);
      count += (GetGValue(c) > GetRValue(c) + 60 && GetGValue(c) > GetBValue(c) + 60) ? 1 : 0;
    }
  }
  return count;
}

namespace {

// Copies `width` x `height` pixels at (x, y) of a DC into an image.
Image CopyPixels(HDC source, int x, int y, int width, int height) {
  Image image;
  if (width <= 0 || height <= 0) return image;
  image.width = width;
  image.height = height;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  image.pixels.resize(static_cast<size_t>(width) * height);
  const auto* raw = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint32_t v = raw[i];  // 0x00RRGGBB
    image.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return image;
}

}  // namespace

Image CaptureScreen(RECT area) {
  Pump();
  HDC screen = GetDC(nullptr);
  Image image = CopyPixels(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  return image;
}

Image Capture(HWND window) {
  Pump();
  RECT r{};
  GetWindowRect(window, &r);
  HDC dc = GetWindowDC(window);
  Image image = CopyPixels(dc, 0, 0, r.right - r.left, r.bottom - r.top);
  ReleaseDC(window, dc);
  return image;
}

void PrintTo(const Image& image, std::ostream* out) {
  *out << image.width << "x" << image.height << " image";
  int shown = 0;
  for (int y = 0; y < image.height && shown < 4; ++y) {
    for (int x = 0; x < image.width && shown < 4; ++x) {
      if (image.At(x, y) == kWhite) continue;
      *out << (shown ? ", " : ": ") << "(" << x << "," << y << ")=" << Hex(image.At(x, y));
      ++shown;
    }
  }
}

std::string SaveArtifact(const Image& image, const std::string& name) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string folder(module);
  // build/tests/style/x.exe -> build/artifacts/style
  for (int up = 0; up < 3; ++up) folder.resize(folder.find_last_of("\\/"));
  folder += "\\artifacts";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\style";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name + ".bmp";

  const int rowBytes = (image.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{sizeof header, image.width, image.height, 1, 24, BI_RGB};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + rowBytes * image.height;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return {};
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::vector<unsigned char> row(rowBytes, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.At(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
    std::fwrite(row.data(), row.size(), 1, out);
  }
  std::fclose(out);
  return path;
}

void MoveMouseTo(HWND window, int x, int y) {
  SendMouse(ScreenPoint(window, x, y), 0);
  Pump(150);
}

void MoveMouseAway() {
  SendMouse({GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2}, 0);
  Pump(250);
}

void ClickAt(HWND window, int x, int y) {
  const POINT p = ScreenPoint(window, x, y);
  SendMouse(p, 0);
  Pump(50);
  // Press and release go in together: a press may start a modal loop (scroll bars, menus) that
  // only ends when it sees the release.
  SendMouse(p, MOUSEEVENTF_LEFTDOWN);
  SendMouse(p, MOUSEEVENTF_LEFTUP);
  Pump(150);
}

void TypeText(const char* text) {
  for (const char* c = text; *c; ++c) {
    const SHORT scan = VkKeyScanA(*c);
    const bool shift = (scan >> 8) & 1;
    INPUT keys[4] = {};
    int count = 0;
    auto key = [&](WORD vk, DWORD flags) {
      keys[count].type = INPUT_KEYBOARD;
      keys[count].ki.wVk = vk;
      keys[count].ki.dwFlags = flags;
      ++count;
    };
    if (shift) key(VK_SHIFT, 0);
    key(static_cast<WORD>(scan & 0xFF), 0);
    key(static_cast<WORD>(scan & 0xFF), KEYEVENTF_KEYUP);
    if (shift) key(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(count, keys, sizeof(INPUT));
    Pump(20);
  }
  Pump(250);
}

COLORREF DisabledFrameColour() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto down = [](BYTE c) { return static_cast<BYTE>(c > 0x20 ? c - 0x20 : 0); };
  return RGB(down(GetRValue(face)), down(GetGValue(face)), down(GetBValue(face)));
}

std::string Hex(COLORREF colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(colour));
  return text;
}

}  // namespace styletest
