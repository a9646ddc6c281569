// Parts shared by the button painters: background, caption, and the box of check boxes and
// radio buttons.
#pragma once
#include <windows.h>

#include "services/style/Painters.h"
#include "services/style/Scheme.h"

namespace stylelib::parts {

// The whole canvas in the background colour the parent reported.
void FillBackground(PaintContext& context);

// The caption colour: grey when disabled, otherwise the colour the parent set.
COLORREF CaptionColour(const PaintContext& context);

// Draws the window text with the control's font by the text-block layout and the button
// style's placement; a focus rectangle around it when `focusRect` is set and the control has
// the focus. The rectangle the text covers.
RECT DrawCaption(PaintContext& context, const RECT& area, bool focusRect);

// The square of a check box or radio button: 13 pixels, or less when the control is smaller;
// centred vertically, at the left (at the right for BS_LEFTTEXT).
RECT BoxRect(const PaintContext& context);
// Where the caption goes beside the box.
RECT CaptionArea(const PaintContext& context, const RECT& box);

// The box fill by state (pushed, hot, otherwise).
BoxFill BoxFillFor(const PaintContext& context);
// The check mark colour: green, lighter when hot, grey when disabled.
COLORREF MarkColour(const PaintContext& context);

}  // namespace stylelib::parts
