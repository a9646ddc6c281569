#include "window/KeyboardHandling.h"
#include "runtime/Runtime.h"
#include "window/FocusOrder.h"
#include "window/UnitSupport.h"
#include "window/UnitType.h"

namespace window {
namespace {

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

// The focused window's answer to the dialog-code question for this message.
LRESULT DialogCode(HWND hwnd, MSG* message) {
  return hwnd ? SendMessageA(hwnd, WM_GETDLGCODE, message->wParam, reinterpret_cast<LPARAM>(message)) : 0;
}

bool OnTab(LoadedWindow& window) { return MoveFocus(window, !KeyHeld(VK_SHIFT), true); }

// A unit other than the focused one takes Enter when it is a default push button.
bool OfferEnterToUnits(LoadedWindow& window, MSG* message) {
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    HWND hwnd = window.UnitHandle(unit);
    if (!hwnd || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) continue;
    if (!(DialogCode(hwnd, message) & DLGC_DEFPUSHBUTTON)) continue;
    SendMessageA(hwnd, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

bool OnEnter(LoadedWindow& window, const tmpl::WindowBlock& settings, MSG* message) {
  // The focused unit's own use of Enter (a new line in a multi-line box) comes first.
  if (DialogCode(GetFocus(), message) & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  if (settings.EnterMovesFocus) return MoveFocus(window, true, true);
  return OfferEnterToUnits(window, message);
}

bool OnEscape(LoadedWindow& window, const tmpl::WindowBlock& settings) {
  if (!settings.EscCloses) return false;
  SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  return true;
}

bool OnArrow(LoadedWindow& window, MSG* message) {
  int focused = FocusedUnit(window);
  if (focused < 0) return false;
  if (DialogCode(GetFocus(), message) & DLGC_WANTARROWS) return false;
  bool forward = message->wParam == VK_RIGHT || message->wParam == VK_DOWN;
  return MoveFocusFrom(window, focused, forward, false);
}

std::string HelpFilePath(const tmpl::WindowBlock& settings) {
  if (!settings.HelpFile.empty()) return settings.HelpFile;
  std::string path = std::string(rt::ProgramFolder()) + "\\" + rt::ProgramFileName();
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('\\');
  if (dot != std::string::npos && dot > slash) path.erase(dot);
  return path + ".hlp";
}

bool OnHelp(LoadedWindow& window, const tmpl::WindowBlock& settings) {
  if (!settings.F1OpensHelp) return false;
  std::string path = HelpFilePath(settings);
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  UINT command = settings.HelpContext ? HELP_CONTEXT : HELP_CONTENTS;
  WinHelpA(window.Handle(), path.c_str(), command, ULONG_PTR(settings.HelpContext));
  return true;
}

// What a unit does when its mnemonic is pressed, by its type state.
void ActOnMnemonic(LoadedWindow& window, size_t unit, uint32_t state) {
  HWND hwnd = window.UnitHandle(unit);
  if (state & typestate::kMnemonicFocusesNext) {
    MoveFocusFrom(window, int(unit), true, false);
    return;
  }
  if (!(state & typestate::kNoFocus)) SetFocus(hwnd);
  // Check boxes toggle, radio buttons select, buttons are clicked: a click does each.
  SendMessageA(hwnd, BM_CLICK, 0, 0);
}

bool OnMnemonic(LoadedWindow& window, MSG* message) {
  char key = char(message->wParam);
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    HWND hwnd = window.UnitHandle(unit);
    uint32_t state = FindUnitType(window.record.units[unit].typeCode).State();
    if (!hwnd || !(state & typestate::kHasMnemonic) || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) continue;
    if (CaptionMnemonic(WindowText(hwnd)) != key) continue;
    ActOnMnemonic(window, unit, state);
    return true;
  }
  return false;
}

bool IsMnemonicKey(const MSG* message) {
  WPARAM key = message->wParam;
  bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  return letterOrDigit && (message->lParam & (1 << 29));  // Alt held
}

}  // namespace

char CaptionMnemonic(const std::string& caption) {
  for (size_t i = 0; i < caption.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(caption[i]);
    if (c & 0x80) {
      ++i;  // the trail byte of a double-byte character
      continue;
    }
    if (c != '&' || i + 1 >= caption.size()) continue;
    unsigned char next = static_cast<unsigned char>(caption[i + 1]);
    if (next == '&' || (next & 0x80)) {
      ++i;
      continue;
    }
    return (next >= 'a' && next <= 'z') ? char(next - 'a' + 'A') : char(next);
  }
  return 0;
}

bool HandleWindowKey(LoadedWindow& window, const tmpl::WindowBlock& settings, MSG* message) {
  if (message->message == WM_SYSKEYDOWN) return IsMnemonicKey(message) && OnMnemonic(window, message);
  if (message->message != WM_KEYDOWN) return false;
  if (KeyHeld(VK_CONTROL) || KeyHeld(VK_MENU)) return false;
  switch (message->wParam) {
    case VK_TAB: return OnTab(window);
    case VK_RETURN: return OnEnter(window, settings, message);
    case VK_ESCAPE: return OnEscape(window, settings);
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: return OnArrow(window, message);
    case VK_F1: return OnHelp(window, settings);
    default: return false;
  }
}

}  // namespace window
