// The edit box unit (`EditBox`, type "编辑框"): a standard "EDIT" control with the runtime's
// colours, font and conversion rules, and an up-down buddy in spinner mode.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/Picture.h"
#include "window/template/PropertyBlocks.h"

namespace window {

struct EditBoxState {
  tmpl::EditBoxBlock block;  // own properties as stored or last written; the text and the
                             // selection are read from the live control
  rt::gdi::Brush backBrush;  // solid brush of the back colour
  rt::gdi::Font font;        // the 60-byte font; null means the default GUI font
  HWND spinner = nullptr;    // "msctls_updown32" buddy in spinner mode, else null
};

class EditBox : public rt::UnitObject {
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
  LRESULT OnUnitsCreated();
  LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChanged(LPARAM lParam);
  LRESULT OnDestroy();

  void ApplyFont();
  void ApplyBackColour();
  void ApplyPasswordChar();
  void ApplySelection();
  void ApplySpinnerRange();
  void FitHeight();
  void CreateSpinner();
  void PlaceSpinner();
  std::string Text() const;

  EditBoxState state_;
};

void* EditBoxUnitInterface(int32_t query);

}  // namespace window
