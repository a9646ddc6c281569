// Painting entry: the painter table by kind, and the colours the parent gives the control.
#include "services/style/Painters.h"

#include <commctrl.h>

#include <iterator>

#include "runtime/GdiObjects.h"
#include "services/style/Scheme.h"
#include "services/style/StyleLib.h"

namespace stylelib {
namespace {

// Indexed by kind; kinds 6 to 10 are classified but never taken over.
const Painter kPainters[] = {
    PaintPushButton, PaintCheckBox, PaintRadioButton, PaintEdit, PaintComboBox, PaintUpDown,
    nullptr,         nullptr,       nullptr,          nullptr,   nullptr,       PaintGroupBox,
    PaintComboList,
};

void PaintNow(HWND window);

Painter PainterFor(int32_t kind) {
  if (kind < 0 || kind >= static_cast<int32_t>(std::size(kPainters))) return nullptr;
  return kPainters[kind];
}

COLORREF SolidColourOf(HBRUSH brush, COLORREF fallback) {
  LOGBRUSH logical{};
  if (!brush || GetObjectA(brush, sizeof logical, &logical) != sizeof logical) return fallback;
  return logical.lbStyle == BS_SOLID ? logical.lbColor : fallback;
}

// The classic border the edit draws under ours reaches into the up-down attached to it (they
// overlap by two pixels): the up-down is drawn again on top.
void RepaintAttachedUpDowns(HWND edit) {
  for (ControlRecord* r = registry::FirstActive(); r; r = r->next) {
    if (r->dormant || r->kind != kKindUpDown || !(r->state & (kStateAttachedRight | kStateAttachedLeft))) continue;
    if (reinterpret_cast<HWND>(SendMessageA(r->window, UDM_GETBUDDY, 0, 0)) != edit) continue;
    PaintNow(r->window);
    return;
  }
}

void PaintNow(HWND window) {
  ControlRecord* record = registry::Find(window);
  if (!record || record->dormant || !IsWindowVisible(window)) return;
  const Painter painter = PainterFor(record->kind);
  if (!painter) return;
  if (!record->coloursKnown) {
    AskParentColours(window);
    record = registry::Find(window);
    if (!record || record->dormant) return;
  }
  Canvas canvas(window);
  if (!canvas.ok()) return;
  PaintContext context{*record, canvas, CurrentScheme()};
  painter(context);
  canvas.Present();
  if (record->kind == kKindEdit && (record->state & (kStateBuddyRight | kStateBuddyLeft))) RepaintAttachedUpDowns(window);
}

}  // namespace

void PaintControl(HWND window) noexcept {
  try {
    PaintNow(window);
  } catch (...) {
    // Out of memory while laying out a caption: the control keeps its last picture.
  }
}

void AskParentColours(HWND window) noexcept {
  const HWND parent = GetParent(window);
  rt::gdi::ClientDc dc(window);
  if (!dc.get()) return;
  const auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.get()),
                                                                    reinterpret_cast<LPARAM>(window)))
                            : nullptr;
  ControlRecord* record = registry::Find(window);  // the parent may have done anything meanwhile
  if (!record) return;
  record->backBrush = brush;
  record->backColour = SolidColourOf(brush, GetSysColor(COLOR_BTNFACE));
  record->textColour = GetTextColor(dc.get());
  record->coloursKnown = true;
}

}  // namespace stylelib
