// `TransLabel`: paints text only. Because nothing behind the letters is painted by the label,
// any change repaints the label's rectangle in the nearest opaque ancestor first.
#include "window/TransLabel.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>
#include "window/UnitSupport.h"
#include "window/WidgetLib1.h"
#include "window/template/PropertyBlocks.h"

namespace widgetlib1 {

namespace {

enum TransLabelProperty : int32_t {
  kCaption = 0,
  kEffect = 1,
  kFont = 2,
  kTextColour = 3,
  kHAlign = 4,
  kWordWrap = 5,
  kVAlign = 6,
};
constexpr int32_t kTopEffect = 3, kTopAlign = 2;

// What each effect draws before the text: a copy in another colour, offset; and where the text
// itself then goes.
struct EffectLook {
  bool copy;            // draws a copy first
  COLORREF copyColour;
  int copyOffset;       // right and down, pixels
  int textOffset;       // right and down, pixels
};
constexpr EffectLook kEffects[] = {
    {false, 0, 0, 0},
    {true, RGB(255, 255, 255), 1, 0},  // white shadow
    {true, RGB(255, 255, 255), 0, 1},  // white copy in place, text moved: raised
    {true, RGB(0, 0, 0), 2, 0},        // black shadow
};
constexpr UINT kHorizontalFormats[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
constexpr UINT kVerticalFormats[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};

int32_t Clamp(int64_t value, int32_t top) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, top)); }

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

bool IsTransparent(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }

}  // namespace

rt::UnitObject* TransLabel::Create(const rt::UnitCreateArgs& args) {
  tmpl::TransLabelBlock block;
  if (!block.Read(args.block, args.blockSize > 0 ? static_cast<size_t>(args.blockSize) : 0)) return nullptr;
  if (!window::RegisterSkinClass(kTransLabelClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS)) return nullptr;
  auto label = std::make_unique<TransLabel>();
  label->windowId = args.windowId;
  label->unitId = args.unitId;
  TransLabelState& state = label->state_;
  state.caption = block.Caption;
  state.effect = Clamp(block.Effect, kTopEffect);
  state.textColour = block.TextColour;
  state.hAlign = Clamp(block.HAlign, kTopAlign);
  state.wordWrap = block.WordWrap == 1 ? 1 : 0;
  state.vAlign = Clamp(block.VAlign, kTopAlign);
  label->SetFont(block.Font);
  HWND hwnd = window::CreateUnitWindow(WS_EX_TRANSPARENT, kTransLabelClass, state.caption.c_str(), args.style, args);
  if (!hwnd) return nullptr;
  if (!label->Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  window::ShowCreatedWindow(hwnd, args.style);
  return label.release();
}

void TransLabel::SetFont(const std::string& logFont) {
  if (logFont.size() != sizeof(LOGFONTA)) {
    state_.font.clear();
    state_.fontHandle.reset();
    return;
  }
  LOGFONTA font;
  std::memcpy(&font, logFont.data(), sizeof font);
  font.lfFaceName[LF_FACESIZE - 1] = '\0';
  state_.font = logFont;
  state_.fontHandle.reset(CreateFontIndirectA(&font));
}

UINT TransLabel::TextFormat() const {
  UINT format = DT_NOPREFIX | kHorizontalFormats[state_.hAlign];
  if (state_.wordWrap == 1) return format | DT_WORDBREAK | DT_VCENTER;
  return format | DT_SINGLELINE | kVerticalFormats[state_.vAlign];
}

LRESULT TransLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // nothing behind the text is ours to paint
    case WM_PAINT: return OnPaint();
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam)); break;
    default: break;
  }
  return Default(message, wParam, lParam);
}

void TransLabel::PostNcDestroy() {
  if (rt::NotifyEntry entry = RuntimeEntry())
    entry(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

LRESULT TransLabel::OnPaint() {
  rt::gdi::PaintDc paint(Handle());
  const std::string text = window::WindowText(Handle());
  if (text.empty()) return 0;
  RECT client;
  GetClientRect(Handle(), &client);
  HDC dc = paint.get();
  HGDIOBJ font = state_.fontHandle ? static_cast<HGDIOBJ>(state_.fontHandle.get()) : GetStockObject(DEFAULT_GUI_FONT);
  rt::gdi::Selection fontSelected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const UINT format = TextFormat();
  const EffectLook& look = kEffects[state_.effect];
  if (look.copy) {
    RECT copy = client;
    OffsetRect(&copy, look.copyOffset, look.copyOffset);
    SetTextColor(dc, look.copyColour);
    DrawTextA(dc, text.c_str(), -1, &copy, format);
  }
  RECT place = client;
  OffsetRect(&place, look.textOffset, look.textOffset);
  SetTextColor(dc, window::ResolveColour(state_.textColour));
  DrawTextA(dc, text.c_str(), -1, &place, format);
  return 0;
}

LRESULT TransLabel::OnWindowPosChanged(const WINDOWPOS& position) {
  if ((position.flags & SWP_NOMOVE) && (position.flags & SWP_NOSIZE)) return 0;
  RepaintThroughAncestor();
  return 0;
}

// The ancestor paints the label's rectangle over (erasing it), then every other visible window
// there paints its part of that rectangle again from the bottom up, and last the label draws its
// text, once, onto the restored pixels: text drawn twice over itself would darken smoothed edges.
// All of it is painted at once: the installer changes its percentage label while it unpacks,
// when no messages are taken from the queue.
void TransLabel::RepaintThroughAncestor() {
  HWND label = Handle();
  if (!label || !IsWindowVisible(label)) return;
  HWND ancestor = GetParent(label);
  while (ancestor && IsTransparent(ancestor)) ancestor = GetParent(ancestor);
  if (!ancestor) {
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return;
  }
  RECT labelOnScreen;
  GetWindowRect(label, &labelOnScreen);
  RECT inAncestor = labelOnScreen;
  MapWindowPoints(HWND_DESKTOP, ancestor, reinterpret_cast<POINT*>(&inAncestor), 2);
  RedrawWindow(ancestor, &inAncestor, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  std::vector<HWND> descendants;
  EnumChildWindows(ancestor, CollectWindow, reinterpret_cast<LPARAM>(&descendants));
  for (auto it = descendants.rbegin(); it != descendants.rend(); ++it) {
    RECT area, overlap;
    if (*it == label || !IsWindowVisible(*it) || !GetWindowRect(*it, &area) ||
        !IntersectRect(&overlap, &area, &labelOnScreen))
      continue;
    MapWindowPoints(HWND_DESKTOP, *it, reinterpret_cast<POINT*>(&overlap), 2);
    RedrawWindow(*it, &overlap, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  }
  RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int32_t TransLabel::SetProperty(int32_t k, const rt::PropertyData& value) {
  switch (k) {
    case kCaption:
      state_.caption = value.bytes.substr(0, value.bytes.find('\0'));
      SetWindowTextA(Handle(), state_.caption.c_str());
      break;
    case kEffect: state_.effect = Clamp(value.number, kTopEffect); break;
    case kFont: SetFont(value.bytes); break;
    case kTextColour: state_.textColour = static_cast<uint32_t>(value.number); break;
    case kHAlign: state_.hAlign = Clamp(value.number, kTopAlign); break;
    case kWordWrap: state_.wordWrap = value.number == 1 ? 1 : 0; break;
    case kVAlign: state_.vAlign = Clamp(value.number, kTopAlign); break;
    default: return 0;
  }
  RepaintThroughAncestor();
  return 0;
}

bool TransLabel::GetProperty(int32_t k, rt::PropertyData& value) const {
  switch (k) {
    case kCaption: value.bytes = state_.caption; return true;
    case kEffect: value.number = state_.effect; return true;
    case kFont: value.bytes = state_.font; return true;
    case kTextColour: value.number = state_.textColour; return true;
    case kHAlign: value.number = state_.hAlign; return true;
    case kWordWrap: value.number = state_.wordWrap; return true;
    case kVAlign: value.number = state_.vAlign; return true;
    default: return false;
  }
}

std::string TransLabel::WriteBlock() const {
  tmpl::TransLabelBlock block;
  block.Caption = state_.caption;
  block.Effect = state_.effect;
  block.Font = state_.font;
  block.TextColour = state_.textColour;
  block.HAlign = state_.hAlign;
  block.WordWrap = state_.wordWrap;
  block.VAlign = state_.vAlign;
  return block.Write();
}

// The caption, then the font's face name when the label has a font of its own.
void TransLabel::EnumerateTexts(void (*callback)(const char* text, void* context), void* context) const {
  callback(state_.caption.c_str(), context);
  if (state_.font.size() != sizeof(LOGFONTA)) return;
  const char* face = state_.font.data() + offsetof(LOGFONTA, lfFaceName);
  callback(std::string(face, strnlen(face, LF_FACESIZE)).c_str(), context);
}

void* TransLabelUnitInterface(int32_t query) {
  if (query == rt::kUnitEnumerateTexts) {
    rt::UnitEnumerateTexts enumerate = [](rt::UnitObject* unit, void (*callback)(const char*, void*), void* context) {
      if (unit && callback) static_cast<TransLabel*>(unit)->EnumerateTexts(callback, context);
    };
    return reinterpret_cast<void*>(enumerate);
  }
  return window::CommonUnitRoutine<TransLabel, tmpl::TransLabelBlock>(query);
}

}  // namespace widgetlib1
