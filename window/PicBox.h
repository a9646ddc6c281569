// `_QZ_PicBox`: the picture box unit (`PicBox`).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/Picture.h"

namespace window {

constexpr char kPicBoxClass[] = "_QZ_PicBox";

struct PicBoxState {
  int32_t border = 0;                // 0 none ... 5 single line
  uint32_t backColour = kButtonFaceColour;
  rt::gdi::Brush backBrush;          // solid brush of backColour; erases the client area
  std::string pictureBytes;          // the picture file as stored
  Picture picture;                   // decoded once from pictureBytes
  int32_t displayMode = 0;           // 0 own size at top-left, 1 stretched, 2 fitted and centred
  int32_t animate = 1;
  std::string auxText1, auxText2;    // carried, not interpreted
};

class PicBox : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

  const PicBoxState& State() const { return state_; }
  // Where the picture goes inside a client area of the given size, by display mode.
  static RECT PictureRect(int32_t displayMode, int pictureWidth, int pictureHeight, int clientWidth, int clientHeight);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnEraseBackground(HDC dc);
  LRESULT OnPaint();
  void SetBackColour(uint32_t colour);
  void SetPicture(const std::string& bytes);
  void Repaint();

  PicBoxState state_;
};

void* PicBoxUnitInterface(int32_t query);

}  // namespace window
