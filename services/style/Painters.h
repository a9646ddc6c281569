// The painters, one per control kind, chosen from a table indexed by kind. Each draws the whole
// control into an off-screen canvas of the window's size; the canvas is then copied to the
// window in one BitBlt (limited to the parts the painter owns, for controls that draw their own
// contents).
#pragma once
#include <windows.h>
#include <cstdint>

#include "services/style/Canvas.h"
#include "services/style/Registry.h"

namespace stylelib {

struct PaintContext {
  const ControlRecord& record;
  Canvas& canvas;
  int32_t scheme;  // the scheme number in force

  HDC dc() const { return canvas.dc(); }
  RECT bounds() const { return canvas.bounds(); }
  bool Has(uint32_t bit) const { return (record.state & bit) != 0; }
  HWND window() const { return record.window; }
};

using Painter = void (*)(PaintContext& context);

void PaintPushButton(PaintContext& context);
void PaintCheckBox(PaintContext& context);
void PaintRadioButton(PaintContext& context);
void PaintEdit(PaintContext& context);
void PaintComboBox(PaintContext& context);
void PaintUpDown(PaintContext& context);
void PaintGroupBox(PaintContext& context);
void PaintComboList(PaintContext& context);

// Paints a taken-over control now with its kind's painter; does nothing for other windows.
void PaintControl(HWND window) noexcept;

// Asks the parent for the control's colours (WM_CTLCOLORBTN) and keeps them in its record.
void AskParentColours(HWND window) noexcept;

}  // namespace stylelib
