#include "services/style/TextBlock.h"

#include <algorithm>

#include "services/core/GbkText.h"
#include "services/style/StyleLib.h"

namespace stylelib {
namespace {

struct PlacementEntry {
  LONG bits;  // style bits 8 to 11
  Placement placement;
};

using H = HorizontalPlacement;
using V = VerticalPlacement;

const PlacementEntry kPlacements[] = {
    {0x500, {H::kLeft, V::kTop}},       {0x700, {H::kCentre, V::kTop}},    {0x600, {H::kRight, V::kTop}},
    {0x900, {H::kLeft, V::kBottom}},    {0xB00, {H::kCentre, V::kBottom}}, {0xA00, {H::kRight, V::kBottom}},
    {0xD00, {H::kLeft, V::kMiddle}},    {0xE00, {H::kRight, V::kMiddle}},
};

// Combinations outside the table: each axis from its own bits, as the system's buttons read
// them; a check box or radio button without horizontal bits keeps its caption at the left.
Placement PlacementFromBits(LONG bits, int32_t kind) {
  Placement p{H::kCentre, V::kMiddle};
  switch (bits & (BS_LEFT | BS_RIGHT)) {
    case BS_LEFT: p.horizontal = H::kLeft; break;
    case BS_RIGHT: p.horizontal = H::kRight; break;
    case 0: p.horizontal = kind == kKindPushButton ? H::kCentre : H::kLeft; break;
    default: break;
  }
  switch (bits & (BS_TOP | BS_BOTTOM)) {
    case BS_TOP: p.vertical = V::kTop; break;
    case BS_BOTTOM: p.vertical = V::kBottom; break;
    default: break;
  }
  return p;
}

int TextWidth(HDC dc, const char* text, size_t length) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text, static_cast<int>(length), &size);
  return size.cx;
}

// Appends the lines of one paragraph (no line breaks in it).
void BreakParagraph(HDC dc, const std::string& paragraph, int width, std::vector<std::string>& lines) {
  size_t start = 0;
  while (start < paragraph.size()) {
    size_t end = start;
    size_t lastSpace = std::string::npos;
    while (end < paragraph.size()) {
      const size_t next = end + gbk::CharLength(paragraph.data(), end, paragraph.size());
      if (end > start && TextWidth(dc, paragraph.data() + start, next - start) > width) break;
      if (paragraph[end] == ' ') lastSpace = end;
      end = next;
    }
    // Prefer breaking after a word when the line does not hold the rest.
    if (end < paragraph.size() && lastSpace != std::string::npos && lastSpace > start) end = lastSpace + 1;
    std::string line = paragraph.substr(start, end - start);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
    start = end;
    while (start < paragraph.size() && paragraph[start] == ' ') ++start;
  }
}

int Offset(int spare, bool half) { return std::max(0, half ? spare / 2 : spare); }

}  // namespace

Placement ButtonPlacement(LONG style, int32_t kind) {
  const LONG bits = style & 0xF00;
  for (const PlacementEntry& entry : kPlacements) {
    if (entry.bits == bits) return entry.placement;
  }
  return PlacementFromBits(bits, kind);
}

std::vector<std::string> BreakIntoLines(HDC dc, const std::string& text, int width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    if (paragraph.empty()) lines.emplace_back();
    else BreakParagraph(dc, paragraph, std::max(width, 1), lines);
    start = end + 1;
  }
  return lines;
}

RECT DrawTextBlock(HDC dc, const std::string& text, const RECT& area, Placement placement) {
  if (text.empty()) return {area.left, area.top, area.left, area.top};
  const std::vector<std::string> lines = BreakIntoLines(dc, text, area.right - area.left);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int lineHeight = metrics.tmHeight;
  int blockWidth = 0;
  for (const std::string& line : lines) blockWidth = std::max(blockWidth, TextWidth(dc, line.data(), line.size()));
  const int blockHeight = lineHeight * static_cast<int>(lines.size());

  const int spareWidth = (area.right - area.left) - blockWidth;
  const int spareHeight = (area.bottom - area.top) - blockHeight;
  int left = area.left;
  if (placement.horizontal != H::kLeft) left += Offset(spareWidth, placement.horizontal == H::kCentre);
  int top = area.top;
  if (placement.vertical != V::kTop) top += placement.vertical == V::kMiddle ? spareHeight / 2 : std::max(0, spareHeight);

  const UINT format = DT_SINGLELINE | DT_NOCLIP | DT_TOP |
                      (placement.horizontal == H::kLeft ? DT_LEFT : placement.horizontal == H::kRight ? DT_RIGHT : DT_CENTER);
  for (size_t i = 0; i < lines.size(); ++i) {
    RECT lineRect{left, top + lineHeight * static_cast<int>(i), left + blockWidth, top + lineHeight * static_cast<int>(i + 1)};
    DrawTextA(dc, lines[i].c_str(), static_cast<int>(lines[i].size()), &lineRect, format);
  }
  return {left, top, left + blockWidth, top + blockHeight};
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

HFONT ControlFont(HWND window) {
  auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

}  // namespace stylelib
