// The registry of controls we have taken over: a singly linked list, newest first, of records
// on the process heap. Only the thread that switched the look on uses it; nothing is locked.
#pragma once
#include <windows.h>
#include <cstdint>

namespace stylelib {

// State bits of a taken-over control.
enum StateBit : uint32_t {
  kStateDisabled = 0x00000001,
  kStatePushed = 0x00000002,          // BM_SETSTATE, or a pressed part
  kStateHot = 0x00000004,             // the pointer is over the control
  kStateFocused = 0x00000010,
  kStateHorizontal = 0x00000020,      // up-down with UDS_HORZ
  kStateComboSimple = 0x00001000,
  kStateComboDropDown = 0x00002000,
  kStateComboDropList = 0x00004000,
  kStateDefault = 0x00010000,         // default push button
  kStateSecondHalf = 0x00010000,      // up-down: the pointer is over the second half
  kStateBuddyRight = 0x00010000,      // edit: an up-down sits at its right
  kStateBuddyLeft = 0x00020000,       // edit: an up-down sits at its left
  kStateChecked = 0x00020000,
  kStateIndeterminate = 0x00040000,
  kStateAttachedRight = 0x00100000,   // up-down at the right of its buddy edit
  kStateAttachedLeft = 0x00200000,    // up-down at the left of its buddy edit
  kStateReadOnly = 0x10000000,        // edit that was read-only when taken over
};

struct ControlRecord {
  ControlRecord* next;   // the next older record
  HWND window;           // the control
  int32_t kind;          // ClassifyControl's answer when it was taken over
  uint32_t state;        // StateBit flags
  COLORREF backColour;   // background the parent reported (WM_CTLCOLORBTN)
  HBRUSH backBrush;      // the parent's brush; the parent owns it
  COLORREF textColour;   // text colour the parent set
  WNDPROC savedProc;     // the window procedure we replaced
  bool coloursKnown;     // the parent has been asked for the colours
  bool dormant;          // given back while another subclass sits above ours: only forwards
};

namespace registry {

// The record of a window, dormant or not; null when it has none.
ControlRecord* Find(HWND window);
// A new zeroed record for the window at the head of the list; null when out of memory.
ControlRecord* Add(HWND window);
// Unlinks the record and frees it.
void Remove(ControlRecord* record);
// The newest active (not dormant) record, or null.
ControlRecord* FirstActive();
int32_t ActiveCount();

}  // namespace registry
}  // namespace stylelib
