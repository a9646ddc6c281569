// Edits: the frame over the border; the edit draws its own text, scroll bars and background.
#include <windows.h>

#include "services/style/Draw.h"
#include "services/style/Gdi.h"
#include "services/style/Painters.h"

namespace stylelib {

bool HasBorder(HWND window) {
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  return (style & WS_BORDER) || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
}

void PaintEdit(PaintContext& context) {
  if (!HasBorder(context.window())) {
    context.canvas.CopyOnly(nullptr);
    return;
  }
  HDC dc = context.dc();
  const RECT b = context.bounds();
  const bool disabled = context.Has(kStateDisabled);
  draw::ControlFrame(dc, b, context.scheme, disabled, context.Has(kStateReadOnly));

  HRGN owned = draw::RingRegion(b, 2);
  // An attached up-down covers the frame on its side; a line one pixel in from there divides
  // the text from the arrows.
  const bool right = context.Has(kStateBuddyRight);
  const bool left = context.Has(kStateBuddyLeft);
  if ((right || left) && owned) {
    const int x = right ? b.right - 2 : 1;
    draw::Line(dc, x, 1, x, b.bottom - 1, draw::FrameColour(context.scheme, disabled));
  }
  context.canvas.CopyOnly(owned);
}

}  // namespace stylelib
