#include "services/style/TakeOver.h"

#include <commctrl.h>

#include "services/style/StyleLib.h"

namespace stylelib {
namespace {

HHOOK g_hook = nullptr;  // WH_CALLWNDPROC hook of the thread that switched the look on

bool DrawnByUs(int32_t kind) { return kind != kKindNone && (kind < kKindScrollBar || kind > kKindTrackBar); }

uint32_t ComboState(LONG style) {
  switch (style & 3) {
    case CBS_SIMPLE: return kStateComboSimple;
    case CBS_DROPDOWN: return kStateComboDropDown;
    case CBS_DROPDOWNLIST: return kStateComboDropList;
    default: return 0;
  }
}

uint32_t ButtonState(HWND window, LONG style) {
  uint32_t state = 0;
  if ((style & 0x0F) == BS_DEFPUSHBUTTON) state |= kStateDefault;
  const LRESULT check = SendMessageA(window, BM_GETCHECK, 0, 0);
  if (check == BST_CHECKED) state |= kStateChecked;
  if (check == BST_INDETERMINATE) state |= kStateIndeterminate;
  // A button held down at this moment (the user is pressing it) stays drawn down.
  if (SendMessageA(window, BM_GETSTATE, 0, 0) & BST_PUSHED) state |= kStatePushed;
  return state;
}

// The state bits a control starts with when we take it over.
uint32_t InitialState(HWND window, int32_t kind, LONG style) {
  uint32_t state = 0;
  if (style & WS_DISABLED) state |= kStateDisabled;
  if (GetFocus() == window) state |= kStateFocused;
  switch (kind) {
    case kKindPushButton:
    case kKindCheckBox:
    case kKindRadioButton: state |= ButtonState(window, style); break;
    case kKindEdit: state |= (style & ES_READONLY) ? kStateReadOnly : 0; break;
    case kKindComboBox: state |= ComboState(style); break;
    case kKindUpDown: state |= (style & UDS_HORZ) ? kStateHorizontal : 0; break;
    default: break;
  }
  return state;
}

bool OwnedByThisThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// A dormant record still sits in the window's chain: take it up again in place.
void Reawaken(ControlRecord& record, int32_t kind, LONG style) {
  record.kind = kind;
  record.state = InitialState(record.window, kind, style);
  record.coloursKnown = false;
  record.dormant = false;
}

BOOL CALLBACK TakeOverChild(HWND window, LPARAM) {
  TakeOver(window);
  return TRUE;
}

BOOL CALLBACK TakeOverTopLevel(HWND window, LPARAM) {
  TakeOver(window);
  EnumChildWindows(window, TakeOverChild, 0);  // every descendant, depth first
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && call && call->message == WM_CREATE) TakeOver(call->hwnd);
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void RedrawNow(HWND window) {
  if (!IsWindowVisible(window)) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
}

void MarkUpDownBuddy(ControlRecord& upDown, HWND buddy) {
  upDown.state &= ~(kStateAttachedRight | kStateAttachedLeft);
  ControlRecord* edit = buddy ? registry::Find(buddy) : nullptr;
  if (!edit || edit->dormant || edit->kind != kKindEdit) return;
  const LONG style = GetWindowLongA(upDown.window, GWL_STYLE);
  if (style & UDS_ALIGNRIGHT) {
    upDown.state |= kStateAttachedRight;
    edit->state |= kStateBuddyRight;
  } else if (style & UDS_ALIGNLEFT) {
    upDown.state |= kStateAttachedLeft;
    edit->state |= kStateBuddyLeft;
  }
}

void TakeOver(HWND window) {
  if (!window || !IsWindow(window) || !OwnedByThisThread(window)) return;
  ControlRecord* existing = registry::Find(window);
  if (existing && !existing->dormant) return;
  const int32_t kind = ClassifyControl(window);
  if (!DrawnByUs(kind)) return;
  const LONG style = GetWindowLongA(window, GWL_STYLE);

  if (existing) {
    Reawaken(*existing, kind, style);
  } else {
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC));
    ControlRecord* record = current ? registry::Add(window) : nullptr;
    if (!record) return;
    record->kind = kind;
    record->state = InitialState(window, kind, style);
    record->savedProc = current;
    if (!SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(SubclassProc))) {
      registry::Remove(record);
      return;
    }
  }
  if (kind == kKindUpDown) {
    ControlRecord* record = registry::Find(window);
    MarkUpDownBuddy(*record, reinterpret_cast<HWND>(SendMessageA(window, UDM_GETBUDDY, 0, 0)));
  }
  RedrawNow(window);
}

void GiveBack(ControlRecord* record, bool redraw) {
  const HWND window = record->window;
  // Someone subclassed the control after us and chains to our procedure: putting the saved
  // procedure back would cut them off. Stay in the chain and only forward from now on.
  if (reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)) != SubclassProc) {
    record->dormant = true;
  } else {
    const WNDPROC saved = record->savedProc;
    registry::Remove(record);
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(saved));
  }
  if (redraw) RedrawNow(window);
}

void SwitchOn() {
  EnumThreadWindows(GetCurrentThreadId(), TakeOverTopLevel, 0);
  g_hook = SetWindowsHookExA(WH_CALLWNDPROC, CreationHook, nullptr, GetCurrentThreadId());
}

int32_t SwitchOff() {
  // Every control in the registry, including any that left the thread's window tree (and any
  // taken over when installing the hook failed).
  while (ControlRecord* record = registry::FirstActive()) GiveBack(record, true);
  if (!g_hook) return 0;
  const BOOL removed = UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  return removed;
}

}  // namespace stylelib
