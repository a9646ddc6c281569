// Which controls we draw: decided from the window class name (any case) and the style.
#include <windows.h>
#include <commctrl.h>

#include "services/style/StyleLib.h"

namespace stylelib {
namespace {

using KindRule = int32_t (*)(HWND window, LONG style);

bool ClassIs(HWND window, const char* name) {
  char className[64] = {};
  if (!window || !GetClassNameA(window, className, sizeof className)) return false;
  return lstrcmpiA(className, name) == 0;
}

int32_t ButtonKind(HWND window, LONG style) {
  const LONG type = style & 0x1F;
  // Bitmap and icon buttons carry a picture we would not draw; owner-drawn and user buttons
  // (and the newer types above 9) draw themselves.
  if (style & (BS_BITMAP | BS_ICON)) return kKindNone;
  if (type == BS_USERBUTTON || type > 9) return kKindNone;
  if (type == BS_GROUPBOX) return kKindGroupBox;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
    if (style == 0x40010000 && GetWindowTextLengthA(window) == 0) return kKindNone;
    return kKindPushButton;
  }
  const bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
  const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  if ((check || radio) && (style & BS_PUSHLIKE)) return kKindPushButton;
  if (check) return kKindCheckBox;
  if (radio) return kKindRadioButton;
  return kKindNone;
}

int32_t EditKind(HWND window, LONG) {
  // The IP-address control lays out its own four edits.
  return ClassIs(GetParent(window), WC_IPADDRESSA) ? kKindNone : kKindEdit;
}

int32_t ComboBoxKind(HWND, LONG style) {
  const LONG type = style & 3;
  return (type == CBS_DROPDOWN || type == CBS_DROPDOWNLIST) ? kKindComboBox : kKindNone;
}

struct ClassEntry {
  const char* className;  // compared without regard to case
  int32_t kind;           // the kind when rule is null
  KindRule rule;          // decides from the style
};

const ClassEntry kClassTable[] = {
    {"Button", kKindNone, ButtonKind},
    {"Edit", kKindNone, EditKind},
    {"ComboBox", kKindNone, ComboBoxKind},
    {"msctls_updown32", kKindUpDown, nullptr},
    {"ScrollBar", kKindScrollBar, nullptr},
    {"SysMonthCal32", kKindMonthCalendar, nullptr},
    {"SysTabControl32", kKindTabControl, nullptr},
    {"msctls_progress32", kKindProgressBar, nullptr},
    {"msctls_trackbar32", kKindTrackBar, nullptr},
    {"ComboLBox", kKindComboList, nullptr},
};

}  // namespace

int32_t ClassifyControl(HWND window) {
  char className[64] = {};
  if (!window || !GetClassNameA(window, className, sizeof className)) return kKindNone;
  for (const ClassEntry& entry : kClassTable) {
    if (lstrcmpiA(className, entry.className) != 0) continue;
    if (!entry.rule) return entry.kind;
    return entry.rule(window, GetWindowLongA(window, GWL_STYLE));
  }
  return kKindNone;
}

}  // namespace stylelib
