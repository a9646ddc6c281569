#include "window/UnitHook.h"
#include <commctrl.h>
#include "window/CommonControls.h"
#include "window/Events.h"
#include "window/Pages.h"
#include "window/WindowStore.h"

namespace window {
namespace {

constexpr UINT_PTR kHookId = 0x5155;  // one engine subclass per window
constexpr int32_t kEventFocusGained = -7;
constexpr int32_t kEventFocusLost = -8;

struct UnitAt {
  LoadedWindow* window = nullptr;  // null when hwnd is no unit's window
  int unit = -1;
};

UnitAt FindUnit(HWND hwnd) {
  UnitAt at;
  at.window = WindowStore::Instance().FindByHandle(hwnd, &at.unit);
  return at;
}

bool OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT) return false;
  UnitAt at = FindUnit(hwnd);
  if (!at.window) return false;
  HCURSOR cursor = at.window->slots[size_t(at.unit)].cursor.Get();
  if (!cursor) return false;
  SetCursor(cursor);
  return true;
}

LRESULT OnFocusChange(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = comctl::DefSubclassProc(hwnd, message, wParam, lParam);
  UnitAt at = FindUnit(hwnd);
  if (at.window)
    RaiseEvent(at.window->Id(), at.window->UnitId(size_t(at.unit)),
               message == WM_SETFOCUS ? kEventFocusGained : kEventFocusLost);
  return result;
}

// The child a parent's notification is about, when that child is a unit.
HWND NotifyingChild(UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  HWND child = nullptr;
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      child = lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
      break;
    default:
      return nullptr;
  }
  return child && FindUnit(child).window ? child : nullptr;
}

bool IsColourMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

LRESULT OnChildNotification(HWND hwnd, HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT reflected = SendMessageA(child, kReflectBase + message, wParam, lParam);
  if (IsColourMessage(message) && reflected) return reflected;
  return comctl::DefSubclassProc(hwnd, message, wParam, lParam);
}

void OnShowPage(HWND container) {
  UnitAt at = FindUnit(container);
  if (at.window) ShowCurrentPage(*at.window, size_t(at.unit));
}

// The store forgets the unit before its object goes with the window; the end of the window
// unit's window may end the program.
LRESULT OnNcDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id);

LRESULT HandleHooked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id) {
  switch (message) {
    case WM_SETCURSOR:
      if (OnSetCursor(hwnd, wParam, lParam)) return TRUE;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return OnFocusChange(hwnd, message, wParam, lParam);
    case kShowPageMessage:
      OnShowPage(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_NCDESTROY:
      return OnNcDestroy(hwnd, message, wParam, lParam, id);
    default:
      if (HWND child = NotifyingChild(message, wParam, lParam))
        return OnChildNotification(hwnd, child, message, wParam, lParam);
      break;
  }
  return comctl::DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK UnitHookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  try {
    return HandleHooked(hwnd, message, wParam, lParam, id);
  } catch (...) {
    // Nothing may unwind through the system's dispatcher.
    return 0;
  }
}

LRESULT OnNcDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id) {
  comctl::RemoveWindowSubclass(hwnd, UnitHookProc, id);
  UnitAt at = FindUnit(hwnd);
  if (at.window) WindowStore::Instance().ForgetUnit(*at.window, size_t(at.unit));
  LRESULT result = comctl::DefSubclassProc(hwnd, message, wParam, lParam);
  if (at.window && at.unit == 0) WindowStore::Instance().WindowDestroyed(*at.window);
  return result;
}

}  // namespace

void HookUnitWindow(HWND hwnd) {
  if (hwnd) comctl::SetWindowSubclass(hwnd, UnitHookProc, kHookId, 0);
}

}  // namespace window
