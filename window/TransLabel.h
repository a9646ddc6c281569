// `TransLabel` (WidgetLib1 type 5): a label that paints only its text, with one of four effects,
// and lets its parent show through everywhere else.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/Picture.h"

namespace widgetlib1 {

constexpr char kTransLabelClass[] = "TransLabel";

struct TransLabelState {
  std::string caption;          // GBK; also the window text
  int32_t effect = 0;           // 0 none, 1 white shadow, 2 white raised, 3 black shadow
  std::string font;             // 60-byte LOGFONT, or empty for the default GUI font
  rt::gdi::Font fontHandle;     // made from font; null for the default GUI font
  uint32_t textColour = 0;      // COLORREF
  int32_t hAlign = 0;           // 0 left, 1 centre, 2 right
  int32_t wordWrap = 0;         // 1: several lines
  int32_t vAlign = 1;           // 0 top, 1 middle, 2 bottom (single line only)
};

class TransLabel : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;
  void EnumerateTexts(void (*callback)(const char* text, void* context), void* context) const;

  const TransLabelState& State() const { return state_; }
  // Paints what lies under the label again, then the label: after a property change or a move.
  void RepaintThroughAncestor();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnPaint();
  LRESULT OnWindowPosChanged(const WINDOWPOS& position);
  void SetFont(const std::string& logFont);
  UINT TextFormat() const;

  TransLabelState state_;
};

void* TransLabelUnitInterface(int32_t query);

}  // namespace widgetlib1
