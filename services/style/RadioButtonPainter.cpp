// Radio buttons: a framed, gradient-filled circle with a green dot, and the caption beside it.
#include <windows.h>

#include "runtime/GdiObjects.h"
#include "services/style/ButtonParts.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {
namespace {

void FillCircle(HDC dc, const RECT& circle, const PaintContext& context) {
  rt::gdi::Region clip(CreateEllipticRgnIndirect(&circle));
  if (!clip) return;
  rt::gdi::SavedState state(dc);
  SelectClipRgn(dc, clip.get());
  if (context.Has(kStateDisabled)) draw::Fill(dc, circle, GetSysColor(COLOR_BTNFACE));
  else draw::CornerGradient(dc, circle, CheckBoxFill(parts::BoxFillFor(context)));
}

void OutlineCircle(HDC dc, const RECT& circle, COLORREF colour) {
  rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
  rt::gdi::Selection selectedPen(dc, pen.get());
  rt::gdi::Selection selectedBrush(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, circle.left, circle.top, circle.right, circle.bottom);
}

void RingCircle(HDC dc, const RECT& circle, COLORREF colour) {
  rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
  rt::gdi::Selection selectedPen(dc, pen.get());
  // Start and end at the same point: the whole ellipse.
  const int midY = (circle.top + circle.bottom) / 2;
  Arc(dc, circle.left, circle.top, circle.right, circle.bottom, circle.right, midY, circle.right, midY);
}

void FillDot(HDC dc, const RECT& dot, COLORREF colour) {
  rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
  rt::gdi::Brush brush(CreateSolidBrush(colour));
  rt::gdi::Selection selectedPen(dc, pen.get());
  rt::gdi::Selection selectedBrush(dc, brush.get());
  Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
}

}  // namespace

void PaintRadioButton(PaintContext& context) {
  HDC dc = context.dc();
  const bool disabled = context.Has(kStateDisabled);
  parts::FillBackground(context);

  const RECT circle = parts::BoxRect(context);
  FillCircle(dc, circle, context);
  OutlineCircle(dc, circle, draw::FrameColour(context.scheme, disabled));
  const RECT ring{circle.left + 1, circle.top + 1, circle.right - 1, circle.bottom - 1};
  RingCircle(dc, ring, draw::RingColour(disabled));

  if (context.Has(kStateChecked | kStateIndeterminate)) {
    RECT dot = circle;
    const int inset = (circle.right - circle.left) >= 11 ? 4 : 3;
    InflateRect(&dot, -inset, -inset);
    FillDot(dc, dot, parts::MarkColour(context));
  }
  parts::DrawCaption(context, parts::CaptionArea(context, circle), true);
}

}  // namespace stylelib
