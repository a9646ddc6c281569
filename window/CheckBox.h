// The check box unit (`CheckBox`, type "选择框"): a standard "BUTTON" automatic check box whose
// clicks raise the unit's event 0.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/Picture.h"
#include "window/template/PropertyBlocks.h"

namespace window {

struct CheckBoxState {
  tmpl::CheckBoxBlock block;  // own properties as stored or last written; the check state and
                              // the caption are read from the live control
  rt::gdi::Brush backBrush;   // solid brush of the back colour
  rt::gdi::Font font;         // the 60-byte font; null means the default GUI font
  Picture picture;            // the decoded picture shown instead of the caption, if any
};

class CheckBox : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { delete this; }

 private:
  LRESULT OnColour(HDC dc);
  LRESULT OnCommand(WPARAM wParam);

  void ApplyFont();
  void ApplyBackColour();
  void ApplyPicture();

  CheckBoxState state_;
};

void* CheckBoxUnitInterface(int32_t query);

}  // namespace window
