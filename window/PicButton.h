// `_QZ_RgnButton`: the picture button unit (`PicBtn`). Four pictures (normal, hot, pressed,
// disabled), push or two-state behaviour, and an optional window region cut from the current
// picture by a colour key.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/Picture.h"

namespace window {

constexpr char kPicButtonClass[] = "_QZ_RgnButton";

enum ButtonPicture : int {
  kNormalPicture = 0,
  kHotPicture = 1,
  kPressedPicture = 2,
  kDisabledPicture = 3,
  kButtonPictureCount = 4,
};

enum ButtonVisual : int32_t {
  kVisualNormal = 0,
  kVisualHot = 1,
  kVisualPressed = 2,
};

struct PicButtonState {
  int32_t kind = 0;                          // 0 push button, 1 two-state button
  int32_t selected = 0;                      // two-state: 1 when down
  uint32_t transparentColour = kButtonFaceColour;  // colour key of the region; 0xFF000000 = none
  std::array<std::string, kButtonPictureCount> pictureBytes;  // as stored, by ButtonPicture
  std::array<Picture, kButtonPictureCount> pictures;          // decoded once, by ButtonPicture
  int32_t visual = kVisualNormal;            // ButtonVisual shown now
  COLORREF behind = 0;                       // colour under the pictures (the window's back colour)
};

class PicButton : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

  const PicButtonState& State() const { return state_; }
  // The bitmap painted now (null when the button has no picture for it at all).
  HBITMAP CurrentBitmap() const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnPaint();
  LRESULT OnLButtonDown(POINT point);
  LRESULT OnMouseMove(WPARAM keys, POINT point);
  LRESULT OnLButtonUp(POINT point);
  LRESULT OnCaptureChanged(HWND newCapture);
  LRESULT OnEnable(bool enabled);

  bool TwoState() const { return state_.kind == 1; }
  bool Inside(POINT point) const;
  bool CursorOver(POINT point) const;
  void SetPicture(int which, const std::string& bytes);
  void ShowSelection();
  void SetVisual(int32_t visual);
  void Refresh();

  PicButtonState state_;
};

// The region of every pixel of bitmap whose colour differs from key (null when none differs).
rt::gdi::Region RegionFromBitmap(HBITMAP bitmap, COLORREF key);

void* PicBtnUnitInterface(int32_t query);

}  // namespace window
