// Up-downs: two arrow buttons inside the frame; the half under the pointer is drawn hot, and
// pressed while the left button holds it.
#include <windows.h>

#include "services/style/ButtonParts.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {
namespace {

int HalfFaceGroup(const PaintContext& context, bool underPointer) {
  if (context.Has(kStateDisabled)) return 9;
  if (!underPointer) return 1;
  return context.Has(kStatePushed) ? 12 : 11;
}

void DrawHalf(PaintContext& context, const RECT& half, draw::Arrow arrow, bool underPointer) {
  HDC dc = context.dc();
  const bool disabled = context.Has(kStateDisabled);
  const bool pressed = underPointer && context.Has(kStatePushed) && !disabled;
  draw::StopsGradient(dc, half, SchemeFaceGroup(context.scheme, HalfFaceGroup(context, underPointer)), pressed);
  const COLORREF colour = disabled ? GetSysColor(COLOR_GRAYTEXT) : SchemeFaceGroup(context.scheme, 2)[2];
  RECT glyph = half;
  if (pressed) OffsetRect(&glyph, 1, 1);
  draw::ArrowGlyph(dc, glyph, arrow, colour);
}

}  // namespace

void PaintUpDown(PaintContext& context) {
  HDC dc = context.dc();
  const RECT b = context.bounds();
  const bool disabled = context.Has(kStateDisabled);
  parts::FillBackground(context);
  draw::ControlFrame(dc, b, context.scheme, disabled, false);

  const RECT inside{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
  if (inside.right <= inside.left || inside.bottom <= inside.top) return;
  const bool horizontal = context.Has(kStateHorizontal);
  const bool hot = context.Has(kStateHot);
  const bool secondHot = hot && context.Has(kStateSecondHalf);
  const bool firstHot = hot && !secondHot;
  const COLORREF divider = draw::FrameColour(context.scheme, disabled);

  if (horizontal) {
    const int middle = (inside.left + inside.right) / 2;
    DrawHalf(context, {inside.left, inside.top, middle, inside.bottom}, draw::Arrow::kLeft, firstHot);
    DrawHalf(context, {middle + 1, inside.top, inside.right, inside.bottom}, draw::Arrow::kRight, secondHot);
    draw::Line(dc, middle, inside.top, middle, inside.bottom, divider);
  } else {
    const int middle = (inside.top + inside.bottom) / 2;
    DrawHalf(context, {inside.left, inside.top, inside.right, middle}, draw::Arrow::kUp, firstHot);
    DrawHalf(context, {inside.left, middle + 1, inside.right, inside.bottom}, draw::Arrow::kDown, secondHot);
    draw::Line(dc, inside.left, middle, inside.right, middle, divider);
  }
}

}  // namespace stylelib
