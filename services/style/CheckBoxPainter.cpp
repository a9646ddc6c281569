// Check boxes: a framed, gradient-filled box with a green check mark, and the caption beside it.
#include <windows.h>

#include <algorithm>

#include "services/style/ButtonParts.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {
namespace {

// Top pixel of each three-pixel column of the 7 x 7 check mark.
constexpr int kMarkColumns[7] = {2, 3, 4, 3, 2, 1, 0};
constexpr int kMarkSize = 7;

void DrawCheckMark(HDC dc, const RECT& inside, COLORREF colour) {
  const int room = std::min(inside.right - inside.left, inside.bottom - inside.top);
  if (room < kMarkSize) {
    draw::Fill(dc, {inside.left + 1, inside.top + 1, inside.right - 1, inside.bottom - 1}, colour);
    return;
  }
  const int left = inside.left + (inside.right - inside.left - kMarkSize + 1) / 2;
  const int top = inside.top + (inside.bottom - inside.top - kMarkSize + 1) / 2;
  for (int x = 0; x < kMarkSize; ++x) draw::Line(dc, left + x, top + kMarkColumns[x], left + x, top + kMarkColumns[x] + 3, colour);
}

void DrawIndeterminateMark(HDC dc, const RECT& inside, COLORREF colour) {
  RECT square = inside;
  const int inset = (inside.right - inside.left) >= 7 ? 2 : 1;
  InflateRect(&square, -inset, -inset);
  draw::Fill(dc, square, colour);
}

}  // namespace

void PaintCheckBox(PaintContext& context) {
  HDC dc = context.dc();
  const bool disabled = context.Has(kStateDisabled);
  parts::FillBackground(context);

  const RECT box = parts::BoxRect(context);
  draw::ControlFrame(dc, box, context.scheme, disabled, false);
  const RECT inside{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
  if (disabled) draw::Fill(dc, inside, GetSysColor(COLOR_BTNFACE));
  else draw::CornerGradient(dc, inside, CheckBoxFill(parts::BoxFillFor(context)));

  if (context.Has(kStateChecked)) DrawCheckMark(dc, inside, parts::MarkColour(context));
  else if (context.Has(kStateIndeterminate)) DrawIndeterminateMark(dc, inside, parts::MarkColour(context));

  parts::DrawCaption(context, parts::CaptionArea(context, box), true);
}

}  // namespace stylelib
