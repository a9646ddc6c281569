// `_QZ_PicBox`: a child window that erases with its back colour and draws one picture in one of
// three display modes.
#include "window/PicBox.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include "runtime/Runtime.h"
#include "window/UnitSupport.h"
#include "window/template/PropertyBlocks.h"

namespace window {

namespace {

enum PicBoxProperty : int32_t {
  kBorder = 0,
  kBackColour = 1,
  kPicture = 2,
  kDisplayMode = 3,
  kAnimate = 4,
  kAuxText1 = 5,
  kAuxText2 = 6,
};

size_t BlockSize(int32_t size) { return size > 0 ? static_cast<size_t>(size) : 0; }

}  // namespace

rt::UnitObject* PicBox::Create(const rt::UnitCreateArgs& args) {
  tmpl::PicBoxBlock block;
  if (!block.Read(args.block, BlockSize(args.blockSize))) return nullptr;
  if (!RegisterSkinClass(kPicBoxClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS)) return nullptr;
  auto box = std::make_unique<PicBox>();
  box->windowId = args.windowId;
  box->unitId = args.unitId;
  PicBoxState& state = box->state_;
  state.border = block.Border;
  state.backColour = block.BackColour;
  state.backBrush.reset(CreateSolidBrush(ResolveColour(block.BackColour)));
  state.pictureBytes = block.Picture;
  state.picture.Decode(state.pictureBytes, ResolveColour(state.backColour));
  state.displayMode = block.DisplayMode;
  state.animate = block.Animate;
  state.auxText1 = block.AuxText1;
  state.auxText2 = block.AuxText2;

  BorderStyle border = BorderStyles(state.border);
  HWND hwnd = CreateUnitWindow(border.exStyle, kPicBoxClass, "", args.style | border.style, args);
  if (!hwnd) return nullptr;
  if (!box->Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  ShowCreatedWindow(hwnd, args.style);
  return box.release();
}

RECT PicBox::PictureRect(int32_t displayMode, int pictureWidth, int pictureHeight, int clientWidth, int clientHeight) {
  if (displayMode == 1) return {0, 0, clientWidth, clientHeight};
  if (displayMode != 2) return {0, 0, pictureWidth, pictureHeight};
  int width = pictureWidth, height = pictureHeight;
  if (width > clientWidth || height > clientHeight) {
    double scale = std::min(double(clientWidth) / pictureWidth, double(clientHeight) / pictureHeight);
    width = static_cast<int>(std::lround(pictureWidth * scale));
    height = static_cast<int>(std::lround(pictureHeight * scale));
  }
  int left = (clientWidth - width) / 2, top = (clientHeight - height) / 2;
  return {left, top, left + width, top + height};
}

LRESULT PicBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT: return OnPaint();
    default: return Default(message, wParam, lParam);
  }
}

void PicBox::PostNcDestroy() {
  rt::RuntimeNotify(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

LRESULT PicBox::OnEraseBackground(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, state_.backBrush.get());
  return 1;
}

LRESULT PicBox::OnPaint() {
  rt::gdi::PaintDc paint(Handle());
  if (state_.picture.Empty()) return 0;
  RECT client;
  GetClientRect(Handle(), &client);
  RECT target = PictureRect(state_.displayMode, state_.picture.Width(), state_.picture.Height(), client.right, client.bottom);
  state_.picture.Draw(paint.get(), target, state_.displayMode == 1 || state_.displayMode == 2);
  return 0;
}

// Transparent children (labels) sit on the picture and are painted over by it, so they are
// invalidated with the box.
void PicBox::Repaint() {
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void PicBox::SetBackColour(uint32_t colour) {
  state_.backColour = colour;
  state_.backBrush.reset(CreateSolidBrush(ResolveColour(colour)));
  // A PNG's alpha was blended over the old colour.
  if (state_.picture.Kind() == PictureKind::Png) state_.picture.Decode(state_.pictureBytes, ResolveColour(colour));
  Repaint();
}

void PicBox::SetPicture(const std::string& bytes) {
  state_.pictureBytes = bytes;
  state_.picture.Decode(bytes, ResolveColour(state_.backColour));
  Repaint();
}

int32_t PicBox::SetProperty(int32_t k, const rt::PropertyData& value) {
  int32_t number = static_cast<int32_t>(value.number);
  switch (k) {
    case kBorder:
      state_.border = number;
      ApplyBorder(Handle(), number);
      break;
    case kBackColour: SetBackColour(static_cast<uint32_t>(number)); break;
    case kPicture: SetPicture(value.bytes); break;
    case kDisplayMode:
      state_.displayMode = number;
      Repaint();
      break;
    case kAnimate: state_.animate = number; break;
    case kAuxText1: state_.auxText1 = value.bytes; break;
    case kAuxText2: state_.auxText2 = value.bytes; break;
    default: break;
  }
  return 0;
}

bool PicBox::GetProperty(int32_t k, rt::PropertyData& value) const {
  switch (k) {
    case kBorder: value.number = state_.border; return true;
    case kBackColour: value.number = state_.backColour; return true;
    case kPicture: value.bytes = state_.pictureBytes; return true;
    case kDisplayMode: value.number = state_.displayMode; return true;
    case kAnimate: value.number = state_.animate; return true;
    case kAuxText1: value.bytes = state_.auxText1; return true;
    case kAuxText2: value.bytes = state_.auxText2; return true;
    default: return false;
  }
}

std::string PicBox::WriteBlock() const {
  tmpl::PicBoxBlock block;
  block.Border = state_.border;
  block.BackColour = state_.backColour;
  block.Picture = state_.pictureBytes;
  block.DisplayMode = state_.displayMode;
  block.Animate = state_.animate;
  block.AuxText1 = state_.auxText1;
  block.AuxText2 = state_.auxText2;
  return block.Write();
}

void* PicBoxUnitInterface(int32_t query) { return CommonUnitRoutine<PicBox, tmpl::PicBoxBlock>(query); }

}  // namespace window
