// Edits: the frame over the border; the edit draws its own text, scroll bars and background.
#include <windows.h>

#include "runtime/GdiObjects.h"
#include "services/style/Draw.h"
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
  // An attached up-down overlaps the edit's border by two pixels on its side. The inner of the
  // two becomes a dividing line in the frame colour, where the up-down's own frame starts; the
  // outer one belongs to the up-down and is left alone.
  const bool right = context.Has(kStateBuddyRight);
  const bool left = context.Has(kStateBuddyLeft);
  if ((right || left) && owned) {
    const int divider = right ? b.right - 2 : 1;
    draw::Line(dc, divider, 0, divider, b.bottom, draw::FrameColour(context.scheme, disabled));
    const RECT outer = right ? RECT{b.right - 1, 0, b.right, b.bottom} : RECT{0, 0, 1, b.bottom};
    rt::gdi::Region covered(CreateRectRgnIndirect(&outer));
    if (covered) CombineRgn(owned, owned, covered.get(), RGN_DIFF);
  }
  context.canvas.CopyOnly(owned);
}

}  // namespace stylelib
