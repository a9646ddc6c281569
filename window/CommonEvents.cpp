#include "window/CommonEvents.h"
#include "window/Events.h"

namespace window {
namespace {

enum class Arguments {
  Mouse,      // x, y, key state
  Key,        // key code, key state
  Character,  // character code
  Wheel,      // wheel steps, key state
};

struct CommonEvent {
  UINT message;
  int32_t event;
  Arguments arguments;
};

const CommonEvent kCommonEvents[] = {
    {WM_LBUTTONDOWN, -1, Arguments::Mouse},   {WM_LBUTTONUP, -2, Arguments::Mouse},
    {WM_LBUTTONDBLCLK, -3, Arguments::Mouse}, {WM_RBUTTONDOWN, -4, Arguments::Mouse},
    {WM_RBUTTONUP, -5, Arguments::Mouse},     {WM_MOUSEMOVE, -6, Arguments::Mouse},
    {WM_KEYDOWN, -9, Arguments::Key},         {WM_SYSKEYDOWN, -9, Arguments::Key},
    {WM_KEYUP, -10, Arguments::Key},          {WM_SYSKEYUP, -10, Arguments::Key},
    {WM_CHAR, -11, Arguments::Character},     {WM_MOUSEWHEEL, -12, Arguments::Wheel},
};

struct KeyMapping {
  WPARAM first, last;  // virtual keys
  uint32_t code;       // what the program sees for `first`
};
const KeyMapping kKeyMappings[] = {
    {VK_NUMPAD0, VK_NUMPAD9, 0x30},
    {VK_SUBTRACT, VK_SUBTRACT, 189},
    {VK_DECIMAL, VK_DECIMAL, 190},
    {VK_DIVIDE, VK_DIVIDE, 191},
};

constexpr uint32_t kCtrl = 1, kShift = 2, kAlt = 4;

const CommonEvent* FindCommonEvent(UINT message) {
  for (const CommonEvent& entry : kCommonEvents)
    if (entry.message == message) return &entry;
  return nullptr;
}

bool IsKey(WPARAM key, WPARAM generic, WPARAM left, WPARAM right) { return key == generic || key == left || key == right; }

// Modifier keys are not reported as held when they are the key itself.
uint32_t KeyboardState(WPARAM key) {
  uint32_t state = 0;
  if (GetKeyState(VK_CONTROL) < 0 && !IsKey(key, VK_CONTROL, VK_LCONTROL, VK_RCONTROL)) state |= kCtrl;
  if (GetKeyState(VK_SHIFT) < 0 && !IsKey(key, VK_SHIFT, VK_LSHIFT, VK_RSHIFT)) state |= kShift;
  if (GetKeyState(VK_MENU) < 0 && !IsKey(key, VK_MENU, VK_LMENU, VK_RMENU)) state |= kAlt;
  return state;
}

uint32_t MouseKeyState(WPARAM flags) {
  uint32_t state = 0;
  if (flags & MK_CONTROL) state |= kCtrl;
  if (flags & MK_SHIFT) state |= kShift;
  if (GetKeyState(VK_MENU) < 0) state |= kAlt;
  return state;
}

uint32_t Signed16(WORD value) { return uint32_t(int32_t(int16_t(value))); }

bool Raise(LoadedWindow& window, size_t unit, const CommonEvent& entry, const MSG& message, rt::EventResult* result) {
  uint32_t windowId = window.Id(), unitId = window.UnitId(unit);
  switch (entry.arguments) {
    case Arguments::Mouse:
      return RaiseEvent(windowId, unitId, entry.event,
                        {Signed16(LOWORD(message.lParam)), Signed16(HIWORD(message.lParam)), MouseKeyState(message.wParam)},
                        result);
    case Arguments::Key:
      return RaiseEvent(windowId, unitId, entry.event, {ProgramKeyCode(message.wParam), KeyboardState(message.wParam)},
                        result);
    case Arguments::Character:
      return RaiseEvent(windowId, unitId, entry.event, {uint32_t(message.wParam)}, result);
    case Arguments::Wheel:
      return RaiseEvent(windowId, unitId, entry.event,
                        {uint32_t(int32_t(int16_t(HIWORD(message.wParam))) / 120), MouseKeyState(LOWORD(message.wParam))},
                        result);
  }
  return false;
}

}  // namespace

uint32_t ProgramKeyCode(WPARAM virtualKey) {
  for (const KeyMapping& mapping : kKeyMappings)
    if (virtualKey >= mapping.first && virtualKey <= mapping.last) return mapping.code + uint32_t(virtualKey - mapping.first);
  return uint32_t(virtualKey);
}

bool RaiseCommonEvent(LoadedWindow& window, MSG* message) {
  const CommonEvent* entry = FindCommonEvent(message->message);
  if (!entry) return false;
  int unit = window.UnitIndexOfHandle(message->hwnd);
  if (unit < 0) return false;
  rt::EventResult result;
  if (!Raise(window, size_t(unit), *entry, *message, &result) || !result.hasResult) return false;
  if (entry->arguments != Arguments::Character) return result.lo == 0;
  if (result.lo == 0) return true;
  message->wParam = result.lo;  // the routine's character replaces the typed one
  return false;
}

}  // namespace window
