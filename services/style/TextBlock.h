// The text-block layout of button captions: the text broken into lines that fit the width
// (GBK double-byte characters kept whole), the block placed in the rectangle, then drawn line
// by line.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace stylelib {

enum class HorizontalPlacement { kLeft, kCentre, kRight };
enum class VerticalPlacement { kTop, kMiddle, kBottom };

struct Placement {
  HorizontalPlacement horizontal;
  VerticalPlacement vertical;
};

// The placement of a button caption from its style bits 8 to 11.
Placement ButtonPlacement(LONG style, int32_t kind);

// Lines that fit `width` pixels in the DC's font; an explicit line break always ends a line.
std::vector<std::string> BreakIntoLines(HDC dc, const std::string& text, int width);

// Lays the text out in `area` and draws it in the DC's font and text colour; the rectangle the
// block covers (empty when there is no text).
RECT DrawTextBlock(HDC dc, const std::string& text, const RECT& area, Placement placement);

// The window's text as the "A" functions return it.
std::string WindowText(HWND window);

// The control's font (WM_GETFONT), or the system font when it has none.
HFONT ControlFont(HWND window);

}  // namespace stylelib
