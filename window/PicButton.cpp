// `_QZ_RgnButton`: a picture button painted off-screen, with hot and pressed looks for push
// buttons, a toggled look for two-state buttons and an optional colour-key window region.
#include "window/PicButton.h"

#include <memory>
#include <vector>
#include "runtime/Runtime.h"
#include "window/UnitSupport.h"
#include "window/template/PropertyBlocks.h"

namespace window {

namespace {

enum PicBtnProperty : int32_t {
  kKind = 0,
  kSelected = 1,
  kFirstPicture = 2,  // 2 normal, 3 hot, 4 pressed, 5 disabled
  kTransparentColour = 6,
};
constexpr int32_t kWindowBackColour = 8 + 2;  // the window unit's `BackColour` property index

// Which picture each visual state wants.
constexpr ButtonPicture kVisualPicture[] = {kNormalPicture, kHotPicture, kPressedPicture};

// The colour behind the pictures: the back colour of the button's window, when that window is
// there to ask.
COLORREF WindowBackColour(uint32_t windowId) {
  if (!rt::RuntimeNotify(rt::kNotifyLocateQuietly, static_cast<int32_t>(windowId), 0)) return GetSysColor(COLOR_BTNFACE);
  return ResolveColour(static_cast<uint32_t>(rt::GetProperty(windowId, 0, kWindowBackColour, -1)));
}

// Collects one-pixel-high rectangles and turns them into a region a hundred at a time.
class RegionBuilder {
 public:
  RegionBuilder() : buffer_(sizeof(RGNDATAHEADER) + kChunk * sizeof(RECT)) {}

  void Add(const RECT& rect) {
    Rects()[count_++] = rect;
    if (count_ == kChunk) Flush();
  }
  rt::gdi::Region Finish() {
    Flush();
    return std::move(region_);
  }

 private:
  static constexpr DWORD kChunk = 100;
  RECT* Rects() { return reinterpret_cast<RECT*>(buffer_.data() + sizeof(RGNDATAHEADER)); }

  void Flush() {
    if (!count_) return;
    auto header = reinterpret_cast<RGNDATAHEADER*>(buffer_.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = count_;
    header->nRgnSize = count_ * sizeof(RECT);
    SetRectEmpty(&header->rcBound);
    for (DWORD i = 0; i < count_; ++i) UnionRect(&header->rcBound, &header->rcBound, &Rects()[i]);
    rt::gdi::Region part(ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + header->nRgnSize),
                                         reinterpret_cast<const RGNDATA*>(buffer_.data())));
    count_ = 0;
    if (!part) return;
    if (!region_) {
      region_ = std::move(part);
      return;
    }
    CombineRgn(region_.get(), region_.get(), part.get(), RGN_OR);
  }

  std::vector<uint8_t> buffer_;  // RGNDATAHEADER followed by room for kChunk rectangles
  DWORD count_ = 0;              // rectangles waiting in buffer_
  rt::gdi::Region region_;       // union of every chunk made so far
};

}  // namespace

rt::gdi::Region RegionFromBitmap(HBITMAP bitmap, COLORREF key) {
  BITMAP info;
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return nullptr;
  const int width = info.bmWidth, height = info.bmHeight;
  uint32_t* bits = nullptr;
  rt::gdi::Bitmap section = rt::gdi::CreateDib32(width, height, &bits);
  if (!section) return nullptr;
  rt::gdi::MemoryDc sectionDc(nullptr);
  rt::gdi::MemoryDc sourceDc(nullptr);
  rt::gdi::Selection sectionSelected(sectionDc.get(), section.get());
  rt::gdi::Selection sourceSelected(sourceDc.get(), bitmap);
  BitBlt(sectionDc.get(), 0, 0, width, height, sourceDc.get(), 0, 0, SRCCOPY);
  GdiFlush();
  // The key is compared as the section stores it: write it into a pixel and read it back.
  const uint32_t saved = bits[0];
  SetPixelV(sectionDc.get(), 0, 0, key);
  GdiFlush();
  const uint32_t keyPixel = bits[0] & 0x00FFFFFF;
  bits[0] = saved;

  RegionBuilder builder;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = bits + static_cast<size_t>(y) * width;
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0x00FFFFFF) == keyPixel) ++x;
      int start = x;
      while (x < width && (row[x] & 0x00FFFFFF) != keyPixel) ++x;
      if (x > start) builder.Add({start, y, x, y + 1});
    }
  }
  return builder.Finish();
}

rt::UnitObject* PicButton::Create(const rt::UnitCreateArgs& args) {
  COLORREF behind = WindowBackColour(args.windowId);
  tmpl::PicBtnBlock block;
  if (!block.Read(args.block, args.blockSize > 0 ? static_cast<size_t>(args.blockSize) : 0)) return nullptr;
  if (!RegisterSkinClass(kPicButtonClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS)) return nullptr;
  HWND hwnd = CreateUnitWindow(0, kPicButtonClass, "", args.style, args);
  if (!hwnd) return nullptr;
  auto button = std::make_unique<PicButton>();
  if (!button->Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  button->windowId = args.windowId;
  button->unitId = args.unitId;
  PicButtonState& state = button->state_;
  state.behind = behind;
  state.kind = block.Kind;
  state.selected = block.Selected;
  state.transparentColour = block.TransparentColour;
  const std::string* stored[] = {&block.NormalPicture, &block.HotPicture, &block.PressedPicture, &block.DisabledPicture};
  for (int i = 0; i < kButtonPictureCount; ++i) button->SetPicture(i, *stored[i]);
  button->Refresh();
  button->ShowSelection();
  ShowCreatedWindow(hwnd, args.style);
  return button.release();
}

void PicButton::SetPicture(int which, const std::string& bytes) {
  state_.pictureBytes[which] = bytes;
  Picture& picture = state_.pictures[which];
  picture.Decode(bytes, state_.behind);
  picture.FlattenOnto(state_.behind);
}

HBITMAP PicButton::CurrentBitmap() const {
  const auto& pictures = state_.pictures;
  ButtonPicture wanted = kVisualPicture[state_.visual];
  if (Handle() && !IsWindowEnabled(Handle()) && pictures[kDisabledPicture].Bitmap()) wanted = kDisabledPicture;
  if (HBITMAP chosen = pictures[wanted].Bitmap()) return chosen;
  return pictures[kNormalPicture].Bitmap();
}

// A new region is cut from the current picture; the window owns it from SetWindowRgn on.
void PicButton::Refresh() {
  HWND hwnd = Handle();
  if (!hwnd) return;
  HBITMAP current = CurrentBitmap();
  rt::gdi::Region region;
  if (state_.transparentColour != kButtonFaceColour && current)
    region = RegionFromBitmap(current, static_cast<COLORREF>(state_.transparentColour & 0x00FFFFFF));
  if (region) {
    if (SetWindowRgn(hwnd, region.get(), FALSE)) region.release();
  } else {
    SetWindowRgn(hwnd, nullptr, FALSE);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

void PicButton::SetVisual(int32_t visual) {
  if (visual == state_.visual) return;
  state_.visual = visual;
  Refresh();
  UpdateWindow(Handle());
}

// A two-state button shows its selection: pressed when selected, normal when not.
void PicButton::ShowSelection() {
  if (TwoState()) SetVisual(state_.selected == 1 ? kVisualPressed : kVisualNormal);
}

bool PicButton::Inside(POINT point) const {
  RECT client;
  GetClientRect(Handle(), &client);
  return PtInRect(&client, point) != FALSE;
}

bool PicButton::CursorOver(POINT point) const {
  POINT screen = point;
  ClientToScreen(Handle(), &screen);
  HWND under = WindowFromPoint(screen);
  return under == Handle() || (!under && Inside(point));
}

LRESULT PicButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_ERASEBKGND: return 1;  // painting covers every pixel
    case WM_PAINT: return OnPaint();
    case WM_LBUTTONDOWN: OnLButtonDown(point); break;
    case WM_MOUSEMOVE: OnMouseMove(wParam, point); break;
    case WM_LBUTTONUP: return OnLButtonUp(point);
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lParam)); break;
    case WM_ENABLE: OnEnable(wParam != 0); break;
    default: break;
  }
  return Default(message, wParam, lParam);
}

void PicButton::PostNcDestroy() {
  rt::RuntimeNotify(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

// Off-screen on black, the current picture unscaled at the top-left corner, then one blit.
LRESULT PicButton::OnPaint() {
  rt::gdi::PaintDc paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  if (client.right <= 0 || client.bottom <= 0) return 0;
  rt::gdi::MemoryDc canvasDc(paint.get());
  rt::gdi::Bitmap canvas(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
  if (!canvasDc || !canvas) return 0;
  rt::gdi::Selection canvasSelected(canvasDc.get(), canvas.get());
  FillRect(canvasDc.get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (HBITMAP current = CurrentBitmap()) {
    BITMAP info;
    GetObjectA(current, sizeof info, &info);
    rt::gdi::MemoryDc pictureDc(paint.get());
    rt::gdi::Selection pictureSelected(pictureDc.get(), current);
    BitBlt(canvasDc.get(), 0, 0, info.bmWidth, info.bmHeight, pictureDc.get(), 0, 0, SRCCOPY);
  }
  BitBlt(paint.get(), 0, 0, client.right, client.bottom, canvasDc.get(), 0, 0, SRCCOPY);
  return 0;
}

LRESULT PicButton::OnLButtonDown(POINT point) {
  if (TwoState() || !IsWindowEnabled(Handle()) || !Inside(point)) return 0;
  SetVisual(kVisualPressed);
  SetCapture(Handle());
  return 0;
}

// The button captures the mouse while the cursor is over it, so that it learns when it leaves.
LRESULT PicButton::OnMouseMove(WPARAM keys, POINT point) {
  HWND hwnd = Handle();
  if (TwoState() || !IsWindowEnabled(hwnd)) {
    if (GetCapture() == hwnd) ReleaseCapture();
    return 0;
  }
  bool held = (keys & MK_LBUTTON) != 0;
  if (CursorOver(point)) {
    if (GetCapture() != hwnd) SetCapture(hwnd);
    SetVisual(held ? kVisualPressed : kVisualHot);
    return 0;
  }
  if (!held && GetCapture() == hwnd) ReleaseCapture();
  SetVisual(kVisualNormal);
  return 0;
}

LRESULT PicButton::OnLButtonUp(POINT point) {
  HWND hwnd = Handle();
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!Inside(point) || !IsWindowEnabled(hwnd)) return 0;
  if (TwoState()) {
    state_.selected = state_.selected == 1 ? 0 : 1;
    ShowSelection();
  } else {
    SetVisual(kVisualNormal);
  }
  // Last: the click's routine may destroy this button.
  RaiseUnitEvent(rt::RuntimeNotify, *this, 0);
  return 0;
}

// Another window took the mouse away: a push button can no longer tell hot from normal.
LRESULT PicButton::OnCaptureChanged(HWND newCapture) {
  if (newCapture != Handle() && !TwoState()) SetVisual(kVisualNormal);
  return 0;
}

// A disabled push button forgets its hot or pressed look; either way the picture may change.
LRESULT PicButton::OnEnable(bool enabled) {
  if (!enabled && !TwoState()) state_.visual = kVisualNormal;
  Refresh();
  return 0;
}

int32_t PicButton::SetProperty(int32_t k, const rt::PropertyData& value) {
  int32_t number = static_cast<int32_t>(value.number);
  switch (k) {
    case kKind:
      state_.kind = number;
      SetVisual(kVisualNormal);
      ShowSelection();
      break;
    case kSelected:
      state_.selected = number;
      ShowSelection();
      break;
    case kTransparentColour:
      state_.transparentColour = static_cast<uint32_t>(number);
      Refresh();
      break;
    default:
      if (k < kFirstPicture || k >= kFirstPicture + kButtonPictureCount) break;
      SetPicture(k - kFirstPicture, value.bytes);
      Refresh();
      break;
  }
  return 0;
}

bool PicButton::GetProperty(int32_t k, rt::PropertyData& value) const {
  switch (k) {
    case kKind: value.number = state_.kind; return true;
    case kSelected: value.number = state_.selected; return true;
    case kTransparentColour: value.number = state_.transparentColour; return true;
    default:
      if (k < kFirstPicture || k >= kFirstPicture + kButtonPictureCount) return false;
      value.bytes = state_.pictureBytes[k - kFirstPicture];
      return true;
  }
}

std::string PicButton::WriteBlock() const {
  tmpl::PicBtnBlock block;
  block.Kind = state_.kind;
  block.Selected = state_.selected;
  block.TransparentColour = state_.transparentColour;
  block.NormalPicture = state_.pictureBytes[kNormalPicture];
  block.HotPicture = state_.pictureBytes[kHotPicture];
  block.PressedPicture = state_.pictureBytes[kPressedPicture];
  block.DisabledPicture = state_.pictureBytes[kDisabledPicture];
  return block.Write();
}

void* PicBtnUnitInterface(int32_t query) { return CommonUnitRoutine<PicButton, tmpl::PicBtnBlock>(query); }

}  // namespace window
