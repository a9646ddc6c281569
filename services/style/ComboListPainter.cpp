// The dropped-down list of a combo box: framed like an edit, under the same border condition.
#include <windows.h>

#include "services/style/Draw.h"
#include "services/style/Painters.h"

namespace stylelib {

bool HasBorder(HWND window);  // EditPainter.cpp

void PaintComboList(PaintContext& context) {
  if (!HasBorder(context.window())) {
    context.canvas.CopyOnly(nullptr);
    return;
  }
  const RECT b = context.bounds();
  draw::ControlFrame(context.dc(), b, context.scheme, context.Has(kStateDisabled), false);
  context.canvas.CopyOnly(draw::RingRegion(b, 2));
}

}  // namespace stylelib
