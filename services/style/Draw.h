// Drawing primitives shared by the painters: solid fills, lines, gradients and the frame.
#pragma once
#include <windows.h>
#include <cstdint>

#include "services/style/Scheme.h"

namespace stylelib::draw {

void Fill(HDC dc, const RECT& area, COLORREF colour);
// A line from (x1, y1) up to, not including, (x2, y2).
void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour);
// A one-pixel outline just inside the rectangle.
void Outline(HDC dc, const RECT& area, COLORREF colour);

// Top to bottom from `top` to `bottom`.
void VerticalGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom);
// Top to bottom through four stops, in three equal bands; reversed runs bottom to top.
void StopsGradient(HDC dc, const RECT& area, const ColourGroup& stops, bool reversed);
// Bilinear over the rectangle from four corner colours (top left, top right, bottom left,
// bottom right).
void CornerGradient(HDC dc, const RECT& area, const ColourGroup& corners);

// The frame of edits, combo boxes, up-downs and check-box boxes: the scheme's frame colour
// outside (greyed when disabled) and one ring inside it, in the window colour or, for disabled
// and read-only controls, the button-face colour.
void ControlFrame(HDC dc, const RECT& area, int32_t scheme, bool disabled, bool buttonFaceRing);
COLORREF FrameColour(int32_t scheme, bool disabled);
COLORREF RingColour(bool buttonFace);

// A filled triangle pointing up, down, left or right, centred in the rectangle.
enum class Arrow { kUp, kDown, kLeft, kRight };
void ArrowGlyph(HDC dc, const RECT& area, Arrow direction, COLORREF colour);

// The outline ring of a rectangle, `thickness` pixels wide, as a region (window coordinates).
HRGN RingRegion(const RECT& area, int thickness);

}  // namespace stylelib::draw
