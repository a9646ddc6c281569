#include "window/EditBox.h"
#include <commctrl.h>
#include <cstdlib>
#include "window/CommonControls.h"
#include "window/BlockFields.h"
#include "window/FontValue.h"
#include "window/UnitSupport.h"
#include "window/EngineMessages.h"

namespace window {
namespace {

using Block = tmpl::EditBoxBlock;

enum EditBoxProperty : int32_t {
  kContent = 0, kBorder, kTextColour, kBackColour, kFont, kHideSelection, kMaxLength, kMultiLine, kScrollBars,
  kAlignment, kInputMode, kPasswordChar, kConversion, kSpinnerMode, kSpinnerMin, kSpinnerMax, kSelStart,
  kSelLength, kSelText, kAuxText1, kAuxText2,
};

const BlockField<Block> kFields[] = {
    BytesField(&Block::Content),      NumberField(&Block::Border),      ColourField(&Block::TextColour),
    ColourField(&Block::BackColour),  BytesField(&Block::Font),         NumberField(&Block::HideSelection),
    NumberField(&Block::MaxLength),   NumberField(&Block::MultiLine),   NumberField(&Block::ScrollBars),
    NumberField(&Block::Alignment),   NumberField(&Block::InputMode),   NoField<Block>(),
    NumberField(&Block::Conversion),  NumberField(&Block::SpinnerMode), NumberField(&Block::SpinnerMin),
    NumberField(&Block::SpinnerMax),  NumberField(&Block::SelStart),    NumberField(&Block::SelLength),
    NoField<Block>(),                 BytesField(&Block::AuxText1),     BytesField(&Block::AuxText2),
};

enum InputModeValue : int32_t { kReadOnly = 1, kPassword = 2 };
enum ConversionValue : int32_t { kLowerCase = 1, kUpperCase = 2 };

DWORD EditStyle(const Block& block) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (!block.HideSelection) style |= ES_NOHIDESEL;
  if (block.MultiLine) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (block.ScrollBars == 1 || block.ScrollBars == 3) style |= ES_AUTOHSCROLL;
    if (block.ScrollBars == 1 || block.ScrollBars == 3) style |= WS_HSCROLL;
    if (block.ScrollBars == 2 || block.ScrollBars == 3) style |= WS_VSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (block.Alignment == 1) style |= ES_CENTER;
  if (block.Alignment == 2) style |= ES_RIGHT;
  if (block.InputMode == kReadOnly) style |= ES_READONLY;
  if (block.InputMode == kPassword) style |= ES_PASSWORD;
  if (block.Conversion == kLowerCase) style |= ES_LOWERCASE;
  if (block.Conversion == kUpperCase) style |= ES_UPPERCASE;
  return style;
}

void EnsureCommonControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
  done = comctl::InitCommonControlsEx(&controls) != FALSE;
}

// The password character as a text of one single- or double-byte character.
std::string PasswordText(uint16_t character) {
  if (character == 0) return std::string();
  if (character <= 0xFF) return std::string(1, char(character));
  return std::string{char(character >> 8), char(character & 0xFF)};
}

uint16_t PasswordCharacter(const std::string& text) {
  if (text.empty()) return 0;
  unsigned char first = static_cast<unsigned char>(text[0]);
  if ((first & 0x80) && text.size() > 1) return uint16_t(first << 8 | static_cast<unsigned char>(text[1]));
  return first;
}

}  // namespace

rt::UnitObject* EditBox::Create(const rt::UnitCreateArgs& args) {
  Block block;
  if (!block.Read(args.block, args.blockSize > 0 ? size_t(args.blockSize) : 0)) return nullptr;
  EnsureCommonControls();
  BorderStyle border = BorderStyles(block.Border);
  HWND hwnd = CreateWindowExA(border.exStyle, "EDIT", block.Content.c_str(), args.style | EditStyle(block) | border.style,
                              args.left, args.top, args.width, args.height, args.parent,
                              reinterpret_cast<HMENU>(uintptr_t(args.controlId)), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto* box = new EditBox();
  box->windowId = args.windowId;
  box->unitId = args.unitId;
  box->state_.block = std::move(block);
  if (!box->Subclass(hwnd)) {
    delete box;
    DestroyWindow(hwnd);
    return nullptr;
  }
  box->ApplyFont();
  SendMessageA(hwnd, EM_SETLIMITTEXT, WPARAM(box->state_.block.MaxLength > 0 ? box->state_.block.MaxLength : 0), 0);
  box->ApplyPasswordChar();
  box->ApplyBackColour();
  if (!box->state_.block.MultiLine && box->state_.block.SpinnerMode != 0) box->CreateSpinner();
  box->ApplySelection();
  return box;
}

// ---- Messages -------------------------------------------------------------------------------

LRESULT EditBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kReflectBase + WM_CTLCOLOREDIT:
    case kReflectBase + WM_CTLCOLORSTATIC: return OnColour(reinterpret_cast<HDC>(wParam));
    case kUnitsCreatedMessage: return OnUnitsCreated();
    case WM_SHOWWINDOW: return OnShowWindow(wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(lParam);
    case WM_DESTROY: return OnDestroy();
    default: return Default(message, wParam, lParam);
  }
}

LRESULT EditBox::OnColour(HDC dc) {
  SetTextColor(dc, ResolveColour(state_.block.TextColour));
  SetBkColor(dc, ResolveColour(state_.block.BackColour));
  return reinterpret_cast<LRESULT>(state_.backBrush.get());
}

// The units are in their parents now: the spinner joins the box in its parent.
LRESULT EditBox::OnUnitsCreated() {
  if (state_.spinner && GetParent(state_.spinner) != GetParent(Handle())) SetParent(state_.spinner, GetParent(Handle()));
  PlaceSpinner();
  return 0;
}

LRESULT EditBox::OnShowWindow(WPARAM wParam, LPARAM lParam) {
  // A parent being shown or hidden (lParam set) takes the spinner along by itself.
  if (state_.spinner && lParam == 0) ShowWindow(state_.spinner, wParam ? SW_SHOWNA : SW_HIDE);
  return Default(WM_SHOWWINDOW, wParam, lParam);
}

LRESULT EditBox::OnWindowPosChanged(LPARAM lParam) {
  LRESULT result = Default(WM_WINDOWPOSCHANGED, 0, lParam);
  const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
  if ((position->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) PlaceSpinner();
  return result;
}

LRESULT EditBox::OnDestroy() {
  if (state_.spinner && IsWindow(state_.spinner)) DestroyWindow(state_.spinner);
  state_.spinner = nullptr;
  return Default(WM_DESTROY, 0, 0);
}

// ---- Applying properties ------------------------------------------------------------------

void EditBox::ApplyFont() {
  state_.font = CreateStoredFont(state_.block.Font);
  HFONT font = state_.font ? state_.font.get() : DefaultGuiFont();
  SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  FitHeight();
}

// A single-line box is at least as tall as its text plus the edges above and below it.
void EditBox::FitHeight() {
  if (state_.block.MultiLine) return;
  TEXTMETRICA metrics = {};
  {
    rt::gdi::ClientDc dc(Handle());
    rt::gdi::Selection font(dc.get(), state_.font ? state_.font.get() : DefaultGuiFont());
    GetTextMetricsA(dc.get(), &metrics);
  }
  int needed = metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
  RECT rect;
  GetWindowRect(Handle(), &rect);
  if (rect.bottom - rect.top >= needed) return;
  SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EditBox::ApplyBackColour() {
  state_.backBrush.reset(CreateSolidBrush(ResolveColour(state_.block.BackColour)));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void EditBox::ApplyPasswordChar() {
  if (state_.block.InputMode != kPassword) return;
  SendMessageA(Handle(), EM_SETPASSWORDCHAR, state_.block.PasswordChar, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void EditBox::ApplySelection() {
  int32_t start = state_.block.SelStart < 0 ? 0 : state_.block.SelStart;
  int32_t length = state_.block.SelLength < 0 ? 0 : state_.block.SelLength;
  SendMessageA(Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + length));
  SendMessageA(Handle(), EM_SCROLLCARET, 0, 0);
}

void EditBox::ApplySpinnerRange() {
  if (!state_.spinner) return;
  SendMessageA(state_.spinner, UDM_SETRANGE32, WPARAM(state_.block.SpinnerMin), LPARAM(state_.block.SpinnerMax));
  SendMessageA(state_.spinner, UDM_SETPOS32, 0, LPARAM(std::atoi(Text().c_str())));
}

void EditBox::CreateSpinner() {
  // The spinner takes the right end of the box's rectangle.
  RECT rect;
  GetWindowRect(Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(Handle()), reinterpret_cast<POINT*>(&rect), 2);
  int width = GetSystemMetrics(SM_CXVSCROLL);
  if (rect.right - rect.left > width)
    SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left - width, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  state_.spinner = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                   0, 0, width, rect.bottom - rect.top, GetParent(Handle()), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  if (!state_.spinner) return;
  SendMessageA(state_.spinner, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
  ApplySpinnerRange();
  PlaceSpinner();
}

void EditBox::PlaceSpinner() {
  if (!state_.spinner) return;
  RECT rect;
  GetWindowRect(Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(state_.spinner), reinterpret_cast<POINT*>(&rect), 2);
  SetWindowPos(state_.spinner, nullptr, rect.right, rect.top, GetSystemMetrics(SM_CXVSCROLL), rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string EditBox::Text() const { return WindowText(Handle()); }

// ---- Properties -------------------------------------------------------------------------------

int32_t EditBox::SetProperty(int32_t k, const rt::PropertyData& value) {
  if (k == kPasswordChar) {
    state_.block.PasswordChar = PasswordCharacter(value.bytes);
    ApplyPasswordChar();
    return 0;
  }
  if (k == kSelText) {
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.bytes.c_str()));
    return 0;
  }
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return 0;
  if (k == kSelStart || k == kSelLength) {
    // The other half of the selection is the live one.
    rt::PropertyData start, length;
    GetProperty(kSelStart, start);
    GetProperty(kSelLength, length);
    state_.block.SelStart = int32_t(start.number);
    state_.block.SelLength = int32_t(length.number);
  }
  WriteField(state_.block, *field, value);
  switch (k) {
    case kContent: SetWindowTextA(Handle(), state_.block.Content.c_str()); return 0;
    case kBorder: ApplyBorder(Handle(), state_.block.Border); return 0;
    case kTextColour: InvalidateRect(Handle(), nullptr, TRUE); return 0;
    case kBackColour: ApplyBackColour(); return 0;
    case kFont: ApplyFont(); return 0;
    case kMaxLength: SendMessageA(Handle(), EM_SETLIMITTEXT, WPARAM(state_.block.MaxLength > 0 ? state_.block.MaxLength : 0), 0); return 0;
    case kSpinnerMin:
    case kSpinnerMax: ApplySpinnerRange(); return 0;
    case kSelStart:
    case kSelLength: ApplySelection(); return 0;
    case kAuxText1:
    case kAuxText2: return 0;
    default: return 1;  // styles the control takes only at creation
  }
}

bool EditBox::GetProperty(int32_t k, rt::PropertyData& value) const {
  DWORD start = 0, end = 0;
  if (k == kSelStart || k == kSelLength || k == kSelText)
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  switch (k) {
    case kContent: value.bytes = Text(); return true;
    case kPasswordChar: value.bytes = PasswordText(state_.block.PasswordChar); return true;
    case kSelStart: value.number = start; return true;
    case kSelLength: value.number = end - start; return true;
    case kSelText: {
      std::string text = Text();
      value.bytes = start < end && end <= text.size() ? text.substr(start, end - start) : std::string();
      return true;
    }
    default: break;
  }
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return false;
  ReadField(state_.block, *field, value);
  return true;
}

std::string EditBox::WriteBlock() const {
  Block block = state_.block;
  rt::PropertyData content, start, length;
  GetProperty(kContent, content);
  GetProperty(kSelStart, start);
  GetProperty(kSelLength, length);
  block.Content = content.bytes;
  block.SelStart = int32_t(start.number);
  block.SelLength = int32_t(length.number);
  return block.Write();
}

void* EditBoxUnitInterface(int32_t query) { return CommonUnitRoutine<EditBox, Block>(query); }

}  // namespace window
