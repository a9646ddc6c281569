// The pieces every unit type shares (see UnitSupport.h).
#include "window/UnitSupport.h"

#include <iterator>

namespace window {

bool RegisterSkinClass(const char* className, UINT classStyle) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (GetClassInfoA(module, className, &existing)) return true;
  WNDCLASSA wc = {};
  wc.style = classStyle;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = module;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = className;
  return RegisterClassA(&wc) != 0;
}

HWND CreateUnitWindow(DWORD exStyle, const char* className, const char* title, DWORD style,
                      const rt::UnitCreateArgs& args) {
  return CreateWindowExA(exStyle, className, title, (style | WS_CHILD | WS_CLIPSIBLINGS) & ~WS_VISIBLE, args.left, args.top,
                         args.width, args.height, args.parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)),
                         GetModuleHandleA(nullptr), nullptr);
}

void ShowCreatedWindow(HWND hwnd, DWORD style) {
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOWNA);
}

namespace {

// Border values 0 to 5: none, sunken, raised, shallow sunken, framed, single line.
constexpr BorderStyle kBorderStyles[] = {
    {0, 0},
    {WS_EX_CLIENTEDGE, 0},
    {WS_EX_DLGMODALFRAME, 0},
    {WS_EX_STATICEDGE, 0},
    {WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE, 0},
    {0, WS_BORDER},
};
constexpr DWORD kAllBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

}  // namespace

BorderStyle BorderStyles(int32_t border) {
  if (border < 0 || border >= static_cast<int32_t>(std::size(kBorderStyles))) return kBorderStyles[0];
  return kBorderStyles[border];
}

void ApplyBorder(HWND hwnd, int32_t border) {
  BorderStyle wanted = BorderStyles(border);
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>((exStyle & ~kAllBorderExStyles) | wanted.exStyle));
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~WS_BORDER) | wanted.style));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

std::string WindowText(HWND hwnd) {
  int length = hwnd ? GetWindowTextLengthA(hwnd) : 0;
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd, &text[0], length + 1)));
  return text;
}

rt::EventRecord RaiseUnitEvent(rt::NotifyEntry entry, const rt::UnitObject& unit, int32_t event,
                               std::initializer_list<uint32_t> args) {
  rt::EventRecord record = {};
  record.windowId = unit.windowId;
  record.unitId = unit.unitId;
  record.event = event;
  for (uint32_t arg : args) {
    if (record.argCount == 5) break;
    record.args[record.argCount++] = arg;
  }
  if (entry) entry(rt::kNotifyRaiseEvent, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&record)), 0);
  return record;
}

}  // namespace window
