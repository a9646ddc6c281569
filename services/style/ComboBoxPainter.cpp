// Drop-down combo boxes: the frame, and the drop button at the right edge as wide as a vertical
// scroll bar, pressed while the pushed bit is set. The combo box draws its own text.
#include <windows.h>

#include "runtime/GdiObjects.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {
namespace {

// Face-table group of the drop button by state; the first that applies.
int ButtonFaceGroup(const PaintContext& context) {
  if (context.Has(kStateDisabled)) return 9;
  if (context.Has(kStatePushed)) return 12;
  if (context.Has(kStateHot)) return 11;
  return 1;
}

void DrawDropButton(PaintContext& context, const RECT& button) {
  HDC dc = context.dc();
  const bool disabled = context.Has(kStateDisabled);
  const bool pressed = context.Has(kStatePushed) && !disabled;
  draw::StopsGradient(dc, button, SchemeFaceGroup(context.scheme, ButtonFaceGroup(context)), pressed);
  // A dividing line in the frame colour between the text and the button.
  draw::Line(dc, button.left, button.top, button.left, button.bottom, draw::FrameColour(context.scheme, disabled));
  RECT glyph{button.left + 1, button.top, button.right, button.bottom};
  if (pressed) OffsetRect(&glyph, 1, 1);
  const COLORREF arrow = disabled ? GetSysColor(COLOR_GRAYTEXT) : SchemeFaceGroup(context.scheme, 2)[2];
  draw::ArrowGlyph(dc, glyph, draw::Arrow::kDown, arrow);
}

}  // namespace

void PaintComboBox(PaintContext& context) {
  HDC dc = context.dc();
  const RECT b = context.bounds();
  const bool disabled = context.Has(kStateDisabled);
  draw::ControlFrame(dc, b, context.scheme, disabled, false);
  const RECT button{b.right - 2 - GetSystemMetrics(SM_CXVSCROLL), 2, b.right - 2, b.bottom - 2};
  if (button.left > 2 && button.bottom > button.top) DrawDropButton(context, button);

  HRGN owned = draw::RingRegion(b, 2);
  if (owned && button.left > 2) {
    rt::gdi::Region buttonRegion(CreateRectRgnIndirect(&button));
    if (buttonRegion) CombineRgn(owned, owned, buttonRegion.get(), RGN_OR);
  }
  context.canvas.CopyOnly(owned);
}

}  // namespace stylelib
