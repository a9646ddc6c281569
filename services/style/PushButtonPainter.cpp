// Push buttons (and push-like check boxes and radio buttons): a rounded border, a two-pixel
// glow inside it, and a gradient face, all from the scheme's face table by state.
#include <windows.h>

#include <iterator>

#include "services/style/ButtonParts.h"
#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {
namespace {

// Face-table groups (1..12) of one look; glow 0 means none.
struct FaceLook {
  uint32_t when;   // state bit that selects this look; 0 for the normal look
  int face;        // gradient stops of the face, top to bottom
  int border;      // top, corner, bottom and side colours of the border
  int glow;        // upper outer, upper inner, lower inner, lower outer lines inside the border
  bool pressed;    // face runs bottom to top and the caption moves by a pixel
};

// The first entry whose bit is set applies.
const FaceLook kFaceLooks[] = {
    {kStateDisabled, 9, 4, 0, false},
    {kStatePushed, 12, 3, 0, true},
    {kStateHot, 11, 2, 10, false},
    {kStateDefault, 8, 3, 6, false},
    {kStateFocused, 1, 3, 7, false},
    {0, 1, 2, 5, false},
};

uint32_t EffectiveState(const ControlRecord& record) {
  uint32_t state = record.state;
  // A checked push-like box stays down.
  if (state & (kStateChecked | kStateIndeterminate)) state |= kStatePushed;
  return state;
}

const FaceLook& LookFor(uint32_t state) {
  for (const FaceLook& look : kFaceLooks) {
    if (!look.when || (state & look.when)) return look;
  }
  return kFaceLooks[std::size(kFaceLooks) - 1];
}

void DrawGlow(HDC dc, const RECT& b, const ColourGroup& glow) {
  const int w = b.right;
  const int h = b.bottom;
  draw::VerticalGradient(dc, {1, 2, 2, h - 2}, glow[0], glow[3]);
  draw::VerticalGradient(dc, {w - 2, 2, w - 1, h - 2}, glow[0], glow[3]);
  draw::VerticalGradient(dc, {2, 3, 3, h - 3}, glow[1], glow[2]);
  draw::VerticalGradient(dc, {w - 3, 3, w - 2, h - 3}, glow[1], glow[2]);
  draw::Line(dc, 2, 1, w - 2, 1, glow[0]);
  draw::Line(dc, 2, 2, w - 2, 2, glow[1]);
  draw::Line(dc, 2, h - 3, w - 2, h - 3, glow[2]);
  draw::Line(dc, 2, h - 2, w - 2, h - 2, glow[3]);
}

// The border with cut corners: the corner pixels are left to the background, their neighbours
// take the softer corner colour.
void DrawBorder(HDC dc, const RECT& b, const ColourGroup& border) {
  const int w = b.right;
  const int h = b.bottom;
  draw::Line(dc, 2, 0, w - 2, 0, border[0]);
  draw::Line(dc, 2, h - 1, w - 2, h - 1, border[2]);
  draw::Line(dc, 0, 2, 0, h - 2, border[3]);
  draw::Line(dc, w - 1, 2, w - 1, h - 2, border[3]);
  const POINT corners[] = {{1, 0}, {0, 1}, {1, 1}, {w - 2, 0}, {w - 1, 1}, {w - 2, 1},
                           {0, h - 2}, {1, h - 1}, {1, h - 2}, {w - 1, h - 2}, {w - 2, h - 1}, {w - 2, h - 2}};
  for (const POINT& p : corners) SetPixelV(dc, p.x, p.y, border[1]);
}

}  // namespace

void PaintPushButton(PaintContext& context) {
  HDC dc = context.dc();
  const RECT b = context.bounds();
  const uint32_t state = EffectiveState(context.record);
  const FaceLook& look = LookFor(state);
  const int32_t scheme = context.scheme;

  parts::FillBackground(context);
  if (b.right < 6 || b.bottom < 6) {
    draw::StopsGradient(dc, b, SchemeFaceGroup(scheme, look.face), look.pressed);
    return;
  }
  draw::StopsGradient(dc, {1, 1, b.right - 1, b.bottom - 1}, SchemeFaceGroup(scheme, look.face), look.pressed);
  if (look.glow) DrawGlow(dc, b, SchemeFaceGroup(scheme, look.glow));
  DrawBorder(dc, b, SchemeFaceGroup(scheme, look.border));

  const bool focused = (state & kStateFocused) && !(state & kStateDisabled);
  if (focused) {
    RECT focus{3, 3, b.right - 3, b.bottom - 3};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
  RECT textArea{4, 4, b.right - 4, b.bottom - 4};
  if (look.pressed) OffsetRect(&textArea, 1, 1);
  parts::DrawCaption(context, textArea, false);
}

}  // namespace stylelib
