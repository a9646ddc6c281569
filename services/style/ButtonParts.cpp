#include "services/style/ButtonParts.h"

#include <algorithm>

#include "runtime/GdiObjects.h"
#include "services/style/Draw.h"
#include "services/style/TextBlock.h"

namespace stylelib::parts {
namespace {

constexpr int kBoxSize = 13;
constexpr int kCaptionGap = 4;  // between the box and its caption

}  // namespace

void FillBackground(PaintContext& context) { draw::Fill(context.dc(), context.bounds(), context.record.backColour); }

COLORREF CaptionColour(const PaintContext& context) {
  if (context.Has(kStateDisabled)) return GetSysColor(COLOR_GRAYTEXT);
  return context.record.textColour;
}

RECT DrawCaption(PaintContext& context, const RECT& area, bool focusRect) {
  HDC dc = context.dc();
  const std::string text = WindowText(context.window());
  rt::gdi::Selection font(dc, ControlFont(context.window()));
  SetTextColor(dc, CaptionColour(context));
  SetBkMode(dc, TRANSPARENT);
  const LONG style = GetWindowLongA(context.window(), GWL_STYLE);
  RECT covered = DrawTextBlock(dc, text, area, ButtonPlacement(style, context.record.kind));
  if (focusRect && !text.empty() && context.Has(kStateFocused) && !context.Has(kStateDisabled)) {
    RECT focus{covered.left - 1, covered.top, covered.right + 1, covered.bottom};
    const RECT bounds = context.bounds();
    IntersectRect(&focus, &focus, &bounds);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
  return covered;
}

RECT BoxRect(const PaintContext& context) {
  const RECT b = context.bounds();
  const int size = std::max(0, std::min({kBoxSize, static_cast<int>(b.right), static_cast<int>(b.bottom)}));
  const int top = (b.bottom - size) / 2;
  const bool boxAtRight = GetWindowLongA(context.window(), GWL_STYLE) & BS_LEFTTEXT;
  const int left = boxAtRight ? b.right - size : 0;
  return {left, top, left + size, top + size};
}

RECT CaptionArea(const PaintContext& context, const RECT& box) {
  const RECT b = context.bounds();
  if (box.left > 0) return {0, 0, box.left - kCaptionGap, b.bottom};
  return {box.right + kCaptionGap, 0, b.right, b.bottom};
}

BoxFill BoxFillFor(const PaintContext& context) {
  if (context.Has(kStatePushed)) return BoxFill::kPushed;
  if (context.Has(kStateHot)) return BoxFill::kHot;
  return BoxFill::kNormal;
}

COLORREF MarkColour(const PaintContext& context) {
  if (context.Has(kStateDisabled)) return GetSysColor(COLOR_GRAYTEXT);
  return context.Has(kStateHot) ? kCheckMarkHotColour : kCheckMarkColour;
}

}  // namespace stylelib::parts
