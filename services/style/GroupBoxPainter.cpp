// Group boxes: a one-pixel frame whose top edge runs through the middle of the caption's
// height, the caption drawn over it. The inside is left alone: the controls of the group
// show through.
#include <windows.h>

#include "runtime/GdiObjects.h"
#include "services/style/ButtonParts.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"
#include "services/style/TextBlock.h"

namespace stylelib {
namespace {

constexpr char kHeightSample[] = "Wg国";  // tall and deep letters and a Chinese character
constexpr int kCaptionIndent = 8;
constexpr int kCaptionPadding = 2;

}  // namespace

void PaintGroupBox(PaintContext& context) {
  HDC dc = context.dc();
  const RECT b = context.bounds();
  const bool disabled = context.Has(kStateDisabled);
  rt::gdi::Selection font(dc, ControlFont(context.window()));
  SIZE sample{};
  GetTextExtentPoint32A(dc, kHeightSample, static_cast<int>(sizeof kHeightSample - 1), &sample);

  const RECT frame{b.left, b.top + sample.cy / 2, b.right, b.bottom};
  draw::Outline(dc, frame, draw::FrameColour(context.scheme, disabled));
  HRGN owned = draw::RingRegion(frame, 1);

  const std::string text = WindowText(context.window());
  if (!text.empty() && owned) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT caption{kCaptionIndent, b.top, kCaptionIndent + extent.cx + 2 * kCaptionPadding, b.top + sample.cy};
    if (caption.right > b.right - kCaptionIndent) caption.right = b.right - kCaptionIndent;
    draw::Fill(dc, caption, context.record.backColour);
    SetTextColor(dc, parts::CaptionColour(context));
    RECT textRect{caption.left + kCaptionPadding, caption.top, caption.right - kCaptionPadding, caption.bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    rt::gdi::Region captionRegion(CreateRectRgnIndirect(&caption));
    if (captionRegion) CombineRgn(owned, owned, captionRegion.get(), RGN_OR);
  }
  context.canvas.CopyOnly(owned);
}

}  // namespace stylelib
