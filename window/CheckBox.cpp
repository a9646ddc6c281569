#include "window/CheckBox.h"
#include "window/BlockFields.h"
#include "window/Events.h"
#include "window/FontValue.h"
#include "window/UnitSupport.h"
#include "window/EngineMessages.h"

namespace window {
namespace {

using Block = tmpl::CheckBoxBlock;

enum CheckBoxProperty : int32_t {
  kPicture = 0, kPushLike, kFlat, kCaption, kTextOnLeft, kHAlign, kVAlign, kTextColour, kBackColour, kFont,
  kChecked, kAuxText1, kAuxText2,
};

const BlockField<Block> kFields[] = {
    BytesField(&Block::Picture),     NumberField(&Block::PushLike),   NumberField(&Block::Flat),
    BytesField(&Block::Caption),     NumberField(&Block::TextOnLeft), NumberField(&Block::HAlign),
    NumberField(&Block::VAlign),     ColourField(&Block::TextColour), ColourField(&Block::BackColour),
    BytesField(&Block::Font),        NumberField(&Block::Checked),    BytesField(&Block::AuxText1),
    BytesField(&Block::AuxText2),
};

constexpr int32_t kClickEvent = 0;
constexpr DWORD kBaseStyle = WS_CHILD | WS_CLIPSIBLINGS | BS_MULTILINE | BS_AUTOCHECKBOX;  // 0x44002003
const DWORD kHorizontal[] = {BS_LEFT, BS_CENTER, BS_RIGHT};   // by HAlign
const DWORD kVertical[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};    // by VAlign

DWORD ChoiceStyle(const DWORD (&styles)[3], int32_t choice) { return choice >= 0 && choice < 3 ? styles[choice] : 0; }

bool IsIconPicture(const Picture& picture) {
  return picture.Kind() == PictureKind::Icon || picture.Kind() == PictureKind::Cursor;
}

DWORD ButtonStyle(const Block& block, const Picture& picture) {
  DWORD style = kBaseStyle;
  if (block.PushLike) style |= BS_PUSHLIKE;
  if (block.Flat) style |= BS_FLAT;
  if (block.TextOnLeft) style |= BS_LEFTTEXT;
  style |= ChoiceStyle(kHorizontal, block.HAlign) | ChoiceStyle(kVertical, block.VAlign);
  if (!picture.Empty()) style |= IsIconPicture(picture) ? BS_ICON : BS_BITMAP;
  return style;
}

}  // namespace

rt::UnitObject* CheckBox::Create(const rt::UnitCreateArgs& args) {
  Block block;
  if (!block.Read(args.block, args.blockSize > 0 ? size_t(args.blockSize) : 0)) return nullptr;
  auto* box = new CheckBox();
  box->windowId = args.windowId;
  box->unitId = args.unitId;
  box->state_.block = std::move(block);
  const Block& stored = box->state_.block;
  if (!stored.Picture.empty()) box->state_.picture.Decode(stored.Picture, ResolveColour(stored.BackColour));
  HWND hwnd = CreateWindowExA(0, "BUTTON", stored.Caption.c_str(), args.style | ButtonStyle(stored, box->state_.picture),
                              args.left, args.top, args.width, args.height, args.parent,
                              reinterpret_cast<HMENU>(uintptr_t(args.controlId)), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd || !box->Subclass(hwnd)) {
    delete box;
    if (hwnd) DestroyWindow(hwnd);
    return nullptr;
  }
  box->ApplyPicture();
  box->ApplyFont();
  box->ApplyBackColour();
  SendMessageA(hwnd, BM_SETCHECK, stored.Checked == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  return box;
}

// ---- Messages -------------------------------------------------------------------------------

LRESULT CheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kReflectBase + WM_CTLCOLORSTATIC:
    case kReflectBase + WM_CTLCOLORBTN: return OnColour(reinterpret_cast<HDC>(wParam));
    case kReflectBase + WM_COMMAND: return OnCommand(wParam);
    default: return Default(message, wParam, lParam);
  }
}

LRESULT CheckBox::OnColour(HDC dc) {
  SetTextColor(dc, ResolveColour(state_.block.TextColour));
  SetBkColor(dc, ResolveColour(state_.block.BackColour));
  return reinterpret_cast<LRESULT>(state_.backBrush.get());
}

LRESULT CheckBox::OnCommand(WPARAM wParam) {
  if (HIWORD(wParam) == BN_CLICKED) RaiseEvent(windowId, unitId, kClickEvent);
  return 0;
}

// ---- Applying properties ------------------------------------------------------------------

void CheckBox::ApplyFont() {
  state_.font = CreateStoredFont(state_.block.Font);
  SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(state_.font ? state_.font.get() : DefaultGuiFont()), TRUE);
}

void CheckBox::ApplyBackColour() {
  state_.backBrush.reset(CreateSolidBrush(ResolveColour(state_.block.BackColour)));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void CheckBox::ApplyPicture() {
  if (state_.picture.Empty()) return;
  if (IsIconPicture(state_.picture))
    SendMessageA(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(state_.picture.Icon()));
  else
    SendMessageA(Handle(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(state_.picture.Bitmap()));
}

// ---- Properties -------------------------------------------------------------------------------

int32_t CheckBox::SetProperty(int32_t k, const rt::PropertyData& value) {
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return 0;
  if (k == kChecked || k == kCaption) {
    // Keep the other live value when the control is made anew.
    rt::PropertyData live;
    GetProperty(k == kChecked ? kCaption : kChecked, live);
    if (k == kChecked) state_.block.Caption = live.bytes;
    else state_.block.Checked = int32_t(live.number);
  }
  WriteField(state_.block, *field, value);
  switch (k) {
    case kCaption: SetWindowTextA(Handle(), state_.block.Caption.c_str()); return 0;
    case kChecked: SendMessageA(Handle(), BM_SETCHECK, state_.block.Checked == 1 ? BST_CHECKED : BST_UNCHECKED, 0); return 0;
    case kTextColour: InvalidateRect(Handle(), nullptr, TRUE); return 0;
    case kBackColour: ApplyBackColour(); return 0;
    case kFont: ApplyFont(); return 0;
    case kAuxText1:
    case kAuxText2: return 0;
    default: return 1;  // picture and button styles: the control is made anew
  }
}

bool CheckBox::GetProperty(int32_t k, rt::PropertyData& value) const {
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return false;
  ReadField(state_.block, *field, value);
  if (k == kChecked) value.number = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  if (k == kCaption) value.bytes = WindowText(Handle());
  return true;
}

std::string CheckBox::WriteBlock() const {
  Block block = state_.block;
  rt::PropertyData checked, caption;
  GetProperty(kChecked, checked);
  GetProperty(kCaption, caption);
  block.Checked = int32_t(checked.number);
  block.Caption = caption.bytes;
  return block.Write();
}

void* CheckBoxUnitInterface(int32_t query) { return CommonUnitRoutine<CheckBox, Block>(query); }

}  // namespace window
