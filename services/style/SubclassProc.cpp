// The procedure every taken-over control runs through. Each message is turned into an action
// word by the kind's message map (and, when the map asks, by the common state handling); the
// action word says which procedures run and whether the control is painted in between.
#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "services/style/Painters.h"
#include "services/style/StyleLib.h"
#include "services/style/TakeOver.h"

namespace stylelib {
namespace {

enum Action : uint32_t {
  kCommonState = 0x10000,    // also run the common state handling and add its word
  kSavedFirst = 0x20000,     // call the saved procedure
  kDefaultFirst = 0x40000,   // call DefWindowProcA
  kPaint = 0x80000,          // paint with the kind's painter
  kSavedLast = 0x100000,     // call the saved procedure (if not called already)
  kDefaultLast = 0x200000,   // call DefWindowProcA (if not called already)
  kFixedResult = 0x800000,   // answer the low 16 bits
};
constexpr uint32_t kUnlisted = kCommonState | kSavedFirst;
constexpr uint32_t kSavedThenPaint = kSavedFirst | kPaint;
constexpr uint32_t kDefaultThenPaint = kDefaultFirst | kPaint;

// Updates the record's state for one message and answers the action word.
using Handler = uint32_t (*)(ControlRecord& record, WPARAM wParam, LPARAM lParam);

struct MapEntry {
  UINT message;
  uint32_t action;  // the answer when handler is null
  Handler handler;
};

void SetBit(ControlRecord& record, uint32_t bit, bool on) {
  record.state = on ? (record.state | bit) : (record.state & ~bit);
}

// --- buttons (kinds 0, 1, 2) ---

uint32_t OnSetCheck(ControlRecord& record, WPARAM wParam, LPARAM) {
  SetBit(record, kStateChecked, wParam == BST_CHECKED);
  SetBit(record, kStateIndeterminate, wParam == BST_INDETERMINATE);
  return kSavedThenPaint;
}

uint32_t OnSetState(ControlRecord& record, WPARAM wParam, LPARAM) {
  SetBit(record, kStatePushed, wParam != 0);
  return kSavedThenPaint;
}

uint32_t OnSetStyle(ControlRecord& record, WPARAM wParam, LPARAM) {
  SetBit(record, kStateDefault, (wParam & 0x0F) == BS_DEFPUSHBUTTON);
  return kSavedThenPaint;
}

const MapEntry kButtonMap[] = {
    {WM_SETTEXT, kDefaultThenPaint, nullptr},
    {WM_PAINT, kDefaultThenPaint, nullptr},
    {WM_ERASEBKGND, kSavedFirst, nullptr},
    {BM_SETCHECK, 0, OnSetCheck},
    {BM_SETSTATE, 0, OnSetState},
    {BM_SETSTYLE, 0, OnSetStyle},
};

// --- edit (kind 3) ---

uint32_t OnEditNcMouseMove(ControlRecord& record, WPARAM, LPARAM) {
  SetBit(record, kStateHot, true);
  return kDefaultThenPaint;
}

uint32_t OnEditMouseLeave(ControlRecord& record, WPARAM, LPARAM) {
  SetBit(record, kStateHot, false);
  return kDefaultThenPaint;
}

const MapEntry kEditMap[] = {
    {WM_PAINT, kSavedThenPaint, nullptr},
    {WM_NCPAINT, kSavedThenPaint, nullptr},
    {WM_HSCROLL, kSavedThenPaint, nullptr},
    {WM_VSCROLL, kSavedThenPaint, nullptr},
    {WM_NCMOUSEMOVE, 0, OnEditNcMouseMove},
    {WM_MOUSELEAVE, 0, OnEditMouseLeave},
};

// --- combo box (kind 4) ---

uint32_t OnComboButtonDown(ControlRecord& record, WPARAM, LPARAM) {
  SetBit(record, kStatePushed, true);
  return kSavedThenPaint;
}

uint32_t OnComboButtonUp(ControlRecord& record, WPARAM, LPARAM) {
  SetBit(record, kStatePushed, false);
  return kSavedThenPaint;
}

const MapEntry kComboBoxMap[] = {
    {WM_PAINT, kSavedThenPaint, nullptr},
    {WM_NCPAINT, kSavedThenPaint, nullptr},
    {WM_LBUTTONDOWN, 0, OnComboButtonDown},
    {WM_LBUTTONUP, 0, OnComboButtonUp},
};

// --- up-down (kind 5) ---

uint32_t OnUpDownMouseMove(ControlRecord& record, WPARAM, LPARAM lParam) {
  RECT client{};
  GetClientRect(record.window, &client);
  const bool horizontal = record.state & kStateHorizontal;
  const int position = horizontal ? static_cast<short>(LOWORD(lParam)) : static_cast<short>(HIWORD(lParam));
  const int half = (horizontal ? client.right : client.bottom) / 2;
  const bool second = position >= half;
  if (second == ((record.state & kStateSecondHalf) != 0)) return kUnlisted;
  SetBit(record, kStateSecondHalf, second);
  return kUnlisted | kPaint;
}

uint32_t OnUpDownButtonUp(ControlRecord& record, WPARAM, LPARAM) {
  SetBit(record, kStatePushed, false);
  return kSavedThenPaint;
}

// Clears the marks an up-down left on its buddy edit; whether there were any.
bool ForgetBuddyMarks(HWND buddy) {
  ControlRecord* edit = buddy ? registry::Find(buddy) : nullptr;
  if (!edit || edit->kind != kKindEdit) return false;
  edit->state &= ~(kStateBuddyRight | kStateBuddyLeft);
  return true;
}

// A buddy given after creation (the usual case for controls created while the look is on)
// gets the same marks as one found when the up-down was taken over.
uint32_t OnUpDownSetBuddy(ControlRecord& record, WPARAM wParam, LPARAM) {
  const auto previous = reinterpret_cast<HWND>(SendMessageA(record.window, UDM_GETBUDDY, 0, 0));
  if (ForgetBuddyMarks(previous)) RedrawNow(previous);
  MarkUpDownBuddy(record, reinterpret_cast<HWND>(wParam));
  return kSavedThenPaint;
}

const MapEntry kUpDownMap[] = {
    {WM_MOUSEMOVE, 0, OnUpDownMouseMove},
    {WM_LBUTTONUP, 0, OnUpDownButtonUp},
    {WM_PAINT, kDefaultThenPaint, nullptr},
    {WM_NCPAINT, kDefaultThenPaint, nullptr},
    {WM_ERASEBKGND, kFixedResult | 1, nullptr},
    {UDM_SETBUDDY, 0, OnUpDownSetBuddy},
};

// --- group box (kind 11) ---

const MapEntry kGroupBoxMap[] = {
    {WM_PAINT, kDefaultThenPaint, nullptr},
    {WM_NCPAINT, kDefaultThenPaint, nullptr},
};

// --- the maps by kind; the combo list (kind 12) lists nothing ---

struct MessageMap {
  const MapEntry* entries;
  size_t count;
};

template <size_t N>
constexpr MessageMap MapOf(const MapEntry (&entries)[N]) { return {entries, N}; }

const MessageMap kMapsByKind[] = {
    MapOf(kButtonMap),   MapOf(kButtonMap),   MapOf(kButtonMap), MapOf(kEditMap),   MapOf(kComboBoxMap),
    MapOf(kUpDownMap),   {nullptr, 0},        {nullptr, 0},      {nullptr, 0},      {nullptr, 0},
    {nullptr, 0},        MapOf(kGroupBoxMap), {nullptr, 0},
};

uint32_t MapAction(ControlRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  if (record.kind < 0 || record.kind >= static_cast<int32_t>(std::size(kMapsByKind))) return kUnlisted;
  const MessageMap& map = kMapsByKind[record.kind];
  for (size_t i = 0; i < map.count; ++i) {
    const MapEntry& entry = map.entries[i];
    if (entry.message != message) continue;
    return entry.handler ? entry.handler(record, wParam, lParam) : entry.action;
  }
  return kUnlisted;
}

// Focus, enabling and the pointer entering and leaving, the same for every kind.
uint32_t CommonState(ControlRecord& record, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_SETFOCUS: SetBit(record, kStateFocused, true); return kSavedThenPaint;
    case WM_KILLFOCUS: SetBit(record, kStateFocused, false); return kSavedThenPaint;
    case WM_ENABLE: SetBit(record, kStateDisabled, wParam == 0); return kSavedThenPaint;
    case WM_MOUSEMOVE: {
      const bool buttonDown = wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
      if (buttonDown || (record.state & kStateHot)) return kSavedLast;
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, record.window, 0};
      TrackMouseEvent(&track);
      SetBit(record, kStateHot, true);
      return kSavedThenPaint;
    }
    case WM_MOUSELEAVE:
      if (!(record.state & kStateHot)) return kSavedLast;
      SetBit(record, kStateHot, false);
      return kSavedThenPaint;
    default: return kSavedFirst;
  }
}

// Runs the procedures the action word names, in their fixed order. The saved procedure may
// destroy the window and so free the record: only the window handle and the saved procedure
// are used from here on.
LRESULT CarryOut(uint32_t action, HWND window, WNDPROC saved, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool savedCalled = false;
  bool defaultCalled = false;
  if (action & kSavedFirst) {
    result = CallWindowProcA(saved, window, message, wParam, lParam);
    savedCalled = true;
  }
  if (action & kDefaultFirst) {
    result = DefWindowProcA(window, message, wParam, lParam);
    defaultCalled = true;
  }
  if (action & kPaint) PaintControl(window);
  // A message is delivered to each procedure at most once, even when the map and the common
  // state handling both ask for it.
  if ((action & kSavedLast) && !savedCalled) result = CallWindowProcA(saved, window, message, wParam, lParam);
  if ((action & kDefaultLast) && !defaultCalled) result = DefWindowProcA(window, message, wParam, lParam);
  if (action & kFixedResult) return action & 0xFFFF;
  return result;
}

// A record given back while another subclass sat above ours: pass everything through, and
// forget the record once the window is gone.
LRESULT Forward(ControlRecord* record, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC saved = record->savedProc;
  const LRESULT result = CallWindowProcA(saved, window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    if (ControlRecord* still = registry::Find(window)) registry::Remove(still);
  }
  return result;
}

LRESULT OnDestroy(ControlRecord* record, HWND window, WPARAM wParam, LPARAM lParam) {
  if (record->kind == kKindUpDown) {
    const auto buddy = reinterpret_cast<HWND>(SendMessageA(window, UDM_GETBUDDY, 0, 0));
    ForgetBuddyMarks(buddy);
  }
  const LRESULT result = CallWindowProcA(record->savedProc, window, WM_DESTROY, wParam, lParam);
  if (ControlRecord* still = registry::Find(window)) {
    if (!still->dormant) GiveBack(still, false);
  }
  return result;
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = registry::Find(window);
  if (!record) return DefWindowProcA(window, message, wParam, lParam);
  if (record->dormant) return Forward(record, window, message, wParam, lParam);
  const WNDPROC saved = record->savedProc;

  if (message == WM_DESTROY) return OnDestroy(record, window, wParam, lParam);
  // The read-only look stays as it was decided when the edit was taken over.
  if (message == EM_SETREADONLY && record->kind == kKindEdit) return CallWindowProcA(saved, window, message, wParam, lParam);
  if (message == WM_LBUTTONDOWN && record->kind == kKindUpDown) {
    SetBit(*record, kStatePushed, true);  // the half under the pointer is drawn pressed
    return CallWindowProcA(saved, window, message, wParam, lParam);
  }
  if (message == WM_ERASEBKGND) {
    AskParentColours(window);
    record = registry::Find(window);
    if (!record || record->dormant) return CallWindowProcA(saved, window, message, wParam, lParam);
  }

  uint32_t action = MapAction(*record, message, wParam, lParam);
  if (action & kCommonState) action |= CommonState(*record, message, wParam);
  return CarryOut(action, window, saved, message, wParam, lParam);
}

}  // namespace

// Nothing below throws: the painters keep their own failures to themselves.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Dispatch(window, message, wParam, lParam);
}

}  // namespace stylelib
