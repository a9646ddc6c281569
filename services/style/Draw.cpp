#include "services/style/Draw.h"

#include <algorithm>

#include "runtime/GdiObjects.h"

namespace stylelib::draw {
namespace {

TRIVERTEX Vertex(int x, int y, COLORREF colour) {
  return {x, y, static_cast<COLOR16>(GetRValue(colour) << 8), static_cast<COLOR16>(GetGValue(colour) << 8),
          static_cast<COLOR16>(GetBValue(colour) << 8), 0};
}

BYTE Mix(BYTE a, BYTE b, int step, int steps) { return static_cast<BYTE>(a + (b - a) * step / steps); }

COLORREF MixColour(COLORREF a, COLORREF b, int step, int steps) {
  if (steps <= 0) return a;
  return RGB(Mix(GetRValue(a), GetRValue(b), step, steps), Mix(GetGValue(a), GetGValue(b), step, steps),
             Mix(GetBValue(a), GetBValue(b), step, steps));
}

BYTE Darker(BYTE channel) { return channel > 0x20 ? channel - 0x20 : 0; }

}  // namespace

void Fill(HDC dc, const RECT& area, COLORREF colour) {
  if (area.right <= area.left || area.bottom <= area.top) return;
  const COLORREF previous = SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, previous);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
  rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
  rt::gdi::Selection selected(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void Outline(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  Fill(dc, {r.left, r.top, r.right, r.top + 1}, colour);
  Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
  Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, colour);
  Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

// Gradients come from gdi32's GdiGradientFill, which msimg32's GradientFill only forwards to:
// gdi32 is one of the system's known libraries, msimg32 would be looked for beside the program.
void VerticalGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom) {
  if (area.right <= area.left || area.bottom <= area.top) return;
  TRIVERTEX vertices[2] = {Vertex(area.left, area.top, top), Vertex(area.right, area.bottom, bottom)};
  GRADIENT_RECT rect{0, 1};
  GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void StopsGradient(HDC dc, const RECT& area, const ColourGroup& stops, bool reversed) {
  const int height = area.bottom - area.top;
  if (height <= 0) return;
  ColourGroup s = stops;
  if (reversed) std::reverse(s.begin(), s.end());
  const int first = area.top + height / 3;
  const int second = area.top + (height * 2) / 3;
  VerticalGradient(dc, {area.left, area.top, area.right, first}, s[0], s[1]);
  VerticalGradient(dc, {area.left, first, area.right, second}, s[1], s[2]);
  VerticalGradient(dc, {area.left, second, area.right, area.bottom}, s[2], s[3]);
}

void CornerGradient(HDC dc, const RECT& area, const ColourGroup& corners) {
  // Row by row: each row runs from its left to its right colour, both taken down the sides.
  const int height = area.bottom - area.top;
  const int width = area.right - area.left;
  if (height <= 0 || width <= 0) return;
  for (int row = 0; row < height; ++row) {
    const COLORREF left = MixColour(corners[0], corners[2], row, height - 1);
    const COLORREF right = MixColour(corners[1], corners[3], row, height - 1);
    TRIVERTEX vertices[2] = {Vertex(area.left, area.top + row, left), Vertex(area.right, area.top + row + 1, right)};
    GRADIENT_RECT rect{0, 1};
    GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
  }
}

COLORREF FrameColour(int32_t scheme, bool disabled) {
  if (!disabled) return SchemeFrameColour(scheme);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return RGB(Darker(GetRValue(face)), Darker(GetGValue(face)), Darker(GetBValue(face)));
}

COLORREF RingColour(bool buttonFace) { return GetSysColor(buttonFace ? COLOR_BTNFACE : COLOR_WINDOW); }

void ControlFrame(HDC dc, const RECT& area, int32_t scheme, bool disabled, bool buttonFaceRing) {
  Outline(dc, area, FrameColour(scheme, disabled));
  const RECT ring{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  Outline(dc, ring, RingColour(disabled || buttonFaceRing));
}

void ArrowGlyph(HDC dc, const RECT& area, Arrow direction, COLORREF colour) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const bool vertical = direction == Arrow::kUp || direction == Arrow::kDown;
  // Base of 2n-1 pixels and n rows; as large as fits, at most 4 rows.
  const int room = vertical ? std::min((width - 2 + 1) / 2, height - 2) : std::min((height - 2 + 1) / 2, width - 2);
  const int rows = std::clamp(room, 1, 4);
  const int cx = area.left + width / 2;
  const int cy = area.top + height / 2;
  for (int i = 0; i < rows; ++i) {
    // Row i counted from the tip.
    const int half = i;
    switch (direction) {
      case Arrow::kUp: Line(dc, cx - half, cy - rows / 2 + i, cx + half + 1, cy - rows / 2 + i, colour); break;
      case Arrow::kDown: Line(dc, cx - half, cy + (rows - 1) / 2 - i, cx + half + 1, cy + (rows - 1) / 2 - i, colour); break;
      case Arrow::kLeft: Line(dc, cx - rows / 2 + i, cy - half, cx - rows / 2 + i, cy + half + 1, colour); break;
      case Arrow::kRight: Line(dc, cx + (rows - 1) / 2 - i, cy - half, cx + (rows - 1) / 2 - i, cy + half + 1, colour); break;
    }
  }
}

HRGN RingRegion(const RECT& area, int thickness) {
  HRGN outer = CreateRectRgnIndirect(&area);
  if (!outer) return nullptr;
  const RECT inside{area.left + thickness, area.top + thickness, area.right - thickness, area.bottom - thickness};
  if (inside.right > inside.left && inside.bottom > inside.top) {
    rt::gdi::Region inner(CreateRectRgnIndirect(&inside));
    if (inner) CombineRgn(outer, outer, inner.get(), RGN_DIFF);
  }
  return outer;
}

}  // namespace stylelib::draw
