#include "window/PreTranslation.h"
#include "window/CommonEvents.h"
#include "window/KeyboardHandling.h"
#include "window/UnitType.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

// WM_KEYDOWN (0x100) to WM_SYSDEADCHAR and the one after it (0x108).
bool IsKeyboardMessage(UINT message) { return message >= 0x100 && message <= 0x108; }

// A disabled window takes no keys.
bool DropForDisabledWindow(const MSG* message) {
  return IsKeyboardMessage(message->message) && !IsWindowEnabled(message->hwnd);
}

// Units whose type filters messages see every message first.
bool FilteredByUnits(LoadedWindow& window, MSG* message) {
  for (size_t unit = 0; unit < window.UnitCount(); ++unit) {
    rt::UnitObject* object = window.Object(unit);
    rt::UnitFilterMessage filter = object ? FindUnitType(window.record.units[unit].typeCode).FilterMessage() : nullptr;
    if (filter && filter(object, message)) return true;
  }
  return false;
}

// With DragAnywhere on, a press on the window, or on a unit whose type allows it,
// moves the window as a press on its caption would.
bool StartDrag(LoadedWindow& window, const tmpl::WindowBlock& settings, const MSG* message) {
  if (message->message != WM_LBUTTONDOWN || !settings.DragAnywhere) return false;
  int unit = window.UnitIndexOfHandle(message->hwnd);
  if (unit < 0) return false;
  if (unit > 0 && !FindUnitType(window.record.units[size_t(unit)].typeCode).Has(typestate::kDragsWindow)) return false;
  ReleaseCapture();
  SendMessageA(window.Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(message->pt.x, message->pt.y));
  return true;
}

}  // namespace

bool PreTranslateWindowMessage(WindowUnit& unit, LoadedWindow& window, MSG* message) {
  if (DropForDisabledWindow(message)) return true;
  if (FilteredByUnits(window, message)) return true;
  // In-place active objects would come next; the program embeds none.
  const tmpl::WindowBlock& settings = unit.Block();
  if (StartDrag(window, settings, message)) return true;
  if (HandleWindowKey(window, settings, message)) return true;
  return RaiseCommonEvent(window, message);
}

}  // namespace window
