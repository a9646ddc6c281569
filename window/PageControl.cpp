// `PageControl`: pages, the current page, and a self-drawn tab strip with two scroll buttons.
// Which units are on which page is the window engine's knowledge; after a change the control
// asks its parent window (message 0x83F2) or the runtime (code 2039) to show the right ones.
#include "window/PageControl.h"

#include <commctrl.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include "window/CommonControls.h"
#include "window/PageControlDialog.h"
#include "window/UnitSupport.h"
#include "window/WidgetLib3.h"

namespace widgetlib3 {

namespace {

using Block = tmpl::PageControlBlock;
using window::ResolveColour;

enum PageControlProperty : int32_t {
  kTabPosition = 0,
  kFont = 2,
  kTabs = 3,
  kCurrentPage = 4,
  kExclusiveA = 11,  // tab-strip drawing options that exclude each other
  kExclusiveB = 12,
  kFirstImageList = 14,  // 14 to 17: three image lists and a background picture
  kPageLeft = 50,
  kPageTop = 51,
  kPageWidth = 52,
  kPageHeight = 53,
};

enum class After { kStore, kRepaint, kLayout };

// Own properties that are one stored number: an int32 or a colour field of the block.
struct NumberSlot {
  int32_t k;
  int32_t Block::*integer;  // or null
  uint32_t Block::*colour;  // or null
  After after;              // what a new value needs
};
constexpr NumberSlot kNumberSlots[] = {
    {1, &Block::Prop1, nullptr, After::kRepaint},
    {5, &Block::HideTabs, nullptr, After::kLayout},
    {kTabsDraggable, &Block::Prop6, nullptr, After::kStore},
    {10, &Block::TabHeight, nullptr, After::kLayout},
    {13, &Block::Prop13, nullptr, After::kRepaint},
    {20, &Block::Prop20, nullptr, After::kRepaint},
    {21, nullptr, &Block::Colour21, After::kRepaint},
    {22, nullptr, &Block::Colour22, After::kRepaint},
    {23, nullptr, &Block::Colour23, After::kRepaint},
    {26, nullptr, &Block::Colour26, After::kRepaint},
    {27, nullptr, &Block::Colour27, After::kRepaint},
    {30, nullptr, &Block::Colour30, After::kRepaint},
    {31, nullptr, &Block::Colour31, After::kRepaint},
    {32, nullptr, &Block::Colour32, After::kRepaint},
    {36, nullptr, &Block::Colour36, After::kRepaint},
    {39, &Block::Prop39, nullptr, After::kRepaint},
    {40, &Block::Prop40, nullptr, After::kRepaint},
    {41, &Block::Prop41, nullptr, After::kRepaint},
    {45, &Block::Prop45, nullptr, After::kRepaint},
    {46, nullptr, &Block::Colour46, After::kRepaint},
    {47, nullptr, &Block::Colour47, After::kRepaint},
    {48, nullptr, &Block::Colour48, After::kRepaint},
    {54, &Block::Prop54, nullptr, After::kStore},
};

const NumberSlot* FindNumberSlot(int32_t k) {
  for (const NumberSlot& slot : kNumberSlots)
    if (slot.k == k) return &slot;
  return nullptr;
}

std::string Block::*ImageListField(int32_t k) {
  static std::string Block::*const kFields[] = {&Block::Prop14, &Block::Prop15, &Block::Prop16, &Block::Prop17};
  return k >= kFirstImageList && k < kFirstImageList + 4 ? kFields[k - kFirstImageList] : nullptr;
}

// How a tab is painted: the colours of its face and of its text, by its state.
enum TabLook { kLookNormal, kLookHot, kLookCurrent };
struct TabColours {
  uint32_t Block::*face;
  uint32_t Block::*text;
};
constexpr TabColours kTabLooks[] = {
    {&Block::Colour22, &Block::Colour30},  // normal
    {&Block::Colour22, &Block::Colour31},  // under the mouse
    {&Block::Colour23, &Block::Colour32},  // the current page
};
// Strip background 21, page background 26, tab borders 27, the line between strip and page 36.

constexpr int kTabPadding = 8;        // left and right of a tab's name
// The scroll bitmap: eight square cells, left normal, hot, pressed, disabled, then right the same.
constexpr int kScrollButtonCells = 8;
constexpr int kRightCells = 4;
constexpr int kPressedCell = 2;
constexpr int kDisabledCell = 3;
const char kScrollLeftTip[] = "向左滚动子夹头";
const char kScrollRightTip[] = "向右滚动子夹头";

bool Horizontal(int32_t edge) { return edge == kTabsBottom || edge == kTabsTop; }

bool RegisterPageControlClass() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  window::comctl::InitCommonControlsEx(&controls);
  return window::RegisterSkinClass(kPageControlClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
}

void FillWith(HDC dc, const RECT& rect, COLORREF colour) {
  rt::gdi::Brush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.get());
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

rt::UnitObject* PageControl::Create(const rt::UnitCreateArgs& args) {
  auto control = std::make_unique<PageControl>();
  PageControlState& state = control->state_;
  if (!state.stored.Read(args.block, args.blockSize > 0 ? static_cast<size_t>(args.blockSize) : 0)) return nullptr;
  if (!RegisterPageControlClass()) return nullptr;
  control->windowId = args.windowId;
  control->unitId = args.unitId;
  int32_t& page = state.stored.CurrentPage;
  if (page < 0 || page >= static_cast<int32_t>(state.stored.Tabs.size())) page = -1;
  HWND hwnd = window::CreateUnitWindow(0, kPageControlClass, "", args.style | WS_CLIPCHILDREN, args);
  if (!hwnd) return nullptr;
  if (!control->Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  HINSTANCE module = GetModuleHandleA(nullptr);
  state.scrollPictures.reset(
      static_cast<HBITMAP>(LoadImageA(module, "KQR3_IDB_SCROLLBTNS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  state.handCursor = LoadCursorA(module, "KQR3_IDC_HANDCUR");
  if (!state.handCursor) state.handCursor = LoadCursor(nullptr, IDC_HAND);
  state.dragCursor = LoadCursorA(module, "KQR3_IDC_DRAGGING");
  if (!state.dragCursor) state.dragCursor = LoadCursor(nullptr, IDC_ARROW);
  state.noDragCursor = LoadCursorA(module, "KQR3_IDC_NODRAGGING");
  if (!state.noDragCursor) state.noDragCursor = LoadCursor(nullptr, IDC_NO);
  control->SetTabFont(state.stored.TabFont());
  control->CreateScrollButtons();
  control->Layout();
  window::ShowCreatedWindow(hwnd, args.style);
  return control.release();
}

void PageControl::CreateScrollButtons() {
  HWND hwnd = Handle();
  HINSTANCE module = GetModuleHandleA(nullptr);
  auto makeButton = [&](const char* text, int id) {
    return CreateWindowExA(0, "BUTTON", text, WS_CHILD | BS_OWNERDRAW, 0, 0, 0, 0, hwnd,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), module, nullptr);
  };
  state_.scrollLeft = makeButton("<", kScrollLeftId);
  state_.scrollRight = makeButton(">", kScrollRightId);
  state_.toolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, module, nullptr);
  if (!state_.toolTip) return;
  const std::pair<HWND, const char*> tips[] = {{state_.scrollLeft, kScrollLeftTip}, {state_.scrollRight, kScrollRightTip}};
  for (const auto& tip : tips) {
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(tip.first);
    tool.lpszText = const_cast<char*>(tip.second);
    SendMessageA(state_.toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void PageControl::SetTabFont(const std::string& logFont) {
  if (logFont.size() != sizeof(LOGFONTA)) {
    state_.tabFont.reset();
    return;
  }
  LOGFONTA font;
  std::memcpy(&font, logFont.data(), sizeof font);
  font.lfFaceName[LF_FACESIZE - 1] = '\0';
  state_.tabFont.reset(CreateFontIndirectA(&font));
}

// The larger of `TabHeight` and the tab font's height.
int PageControl::TabThickness() const {
  LOGFONTA font = {};
  HGDIOBJ handle = state_.tabFont ? static_cast<HGDIOBJ>(state_.tabFont.get()) : GetStockObject(DEFAULT_GUI_FONT);
  GetObjectA(handle, sizeof font, &font);
  return std::max<int>(state_.stored.TabHeight, std::abs(font.lfHeight));
}

void PageControl::Layout() {
  LayoutStrip();
  if (state_.overflow) return;
  ShowWindow(state_.scrollLeft, SW_HIDE);
  ShowWindow(state_.scrollRight, SW_HIDE);
}

// Tabs are laid out along the strip from firstTab on; with too many for the strip the two scroll
// buttons take its far end.
void PageControl::LayoutStrip() {
  HWND hwnd = Handle();
  RECT client;
  GetClientRect(hwnd, &client);
  const Block& stored = state_.stored;
  const int count = static_cast<int>(stored.Tabs.size());
  state_.tabRects.assign(count, RECT{});
  state_.pageArea = client;
  SetRectEmpty(&state_.strip);
  state_.overflow = false;
  if (stored.HideTabs == 1 || count == 0) return;

  const int32_t edge = stored.TabPosition;
  const bool horizontal = Horizontal(edge);
  const int thickness = TabThickness();
  std::vector<int> lengths(count, thickness);
  int widest = 0;
  {
    rt::gdi::ClientDc dc(hwnd);
    HGDIOBJ font = state_.tabFont ? static_cast<HGDIOBJ>(state_.tabFont.get()) : GetStockObject(DEFAULT_GUI_FONT);
    rt::gdi::Selection selected(dc.get(), font);
    for (int i = 0; i < count; ++i) {
      int width = TextWidth(dc.get(), stored.Tabs[i].Name) + 2 * kTabPadding;
      widest = std::max(widest, width);
      if (horizontal) lengths[i] = width;
    }
  }
  const int depth = horizontal ? thickness : widest;
  RECT& strip = state_.strip;
  RECT& page = state_.pageArea;
  switch (edge) {
    case kTabsBottom: strip = {0, client.bottom - depth, client.right, client.bottom}, page.bottom = strip.top; break;
    case kTabsTop: strip = {0, 0, client.right, depth}, page.top = strip.bottom; break;
    case kTabsLeft: strip = {0, 0, depth, client.bottom}, page.left = strip.right; break;
    default: strip = {client.right - depth, 0, client.right, client.bottom}, page.right = strip.left; break;
  }
  const int stripLength = horizontal ? strip.right - strip.left : strip.bottom - strip.top;
  int total = 0;
  for (int length : lengths) total += length;
  state_.overflow = total > stripLength;
  const int buttonsLength = horizontal ? 2 * depth : thickness;
  const int available = state_.overflow ? std::max(0, stripLength - buttonsLength) : stripLength;
  if (!state_.overflow) state_.firstTab = 0;
  state_.firstTab = std::clamp(state_.firstTab, 0, count - 1);

  int position = 0;
  for (int i = state_.firstTab; i < count && position < available; ++i) {
    int end = std::min(position + lengths[i], available);
    state_.tabRects[i] = horizontal ? RECT{strip.left + position, strip.top, strip.left + end, strip.bottom}
                                    : RECT{strip.left, strip.top + position, strip.right, strip.top + end};
    position += lengths[i];
  }
  if (!state_.overflow) return;
  // The buttons: two squares at the right end of a horizontal strip, or side by side at the
  // bottom of a vertical one.
  RECT left, right;
  if (horizontal) {
    left = {strip.right - 2 * depth, strip.top, strip.right - depth, strip.bottom};
    right = {strip.right - depth, strip.top, strip.right, strip.bottom};
  } else {
    left = {strip.left, strip.bottom - thickness, strip.left + depth / 2, strip.bottom};
    right = {strip.left + depth / 2, strip.bottom - thickness, strip.right, strip.bottom};
  }
  const std::pair<HWND, RECT> buttons[] = {{state_.scrollLeft, left}, {state_.scrollRight, right}};
  for (const auto& button : buttons)
    SetWindowPos(button.first, HWND_TOP, button.second.left, button.second.top, button.second.right - button.second.left,
                 button.second.bottom - button.second.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EnableWindow(state_.scrollLeft, state_.firstTab > 0);
  EnableWindow(state_.scrollRight, position > available);
}

void PageControl::ScrollIntoView(int tab) {
  if (tab < 0 || tab >= static_cast<int>(state_.tabRects.size())) return;
  if (tab < state_.firstTab) state_.firstTab = tab;
  Layout();
  while (state_.firstTab < tab && IsRectEmpty(&state_.tabRects[tab])) {
    ++state_.firstTab;
    Layout();
  }
}

int PageControl::TabAt(POINT point) const {
  for (size_t i = 0; i < state_.tabRects.size(); ++i)
    if (PtInRect(&state_.tabRects[i], point)) return static_cast<int>(i);
  return -1;
}

void PageControl::RepaintStrip() { InvalidateRect(Handle(), &state_.strip, FALSE); }

void PageControl::SelectPage(int32_t page) {
  if (page < 0 || page >= static_cast<int32_t>(state_.stored.Tabs.size())) return;
  const int32_t previous = state_.stored.CurrentPage;
  HWND hwnd = Handle();
  if (page != previous) {
    rt::EventRecord answer = window::RaiseUnitEvent(RuntimeEntry(), *this, 1, {static_cast<uint32_t>(page)});
    // The routine may have closed the window, and with it this control.
    if (rt::FrameworkWindow::FromHandle(hwnd) != this) return;
    if (answer.hasResult && answer.result == 0) return;
  }
  state_.stored.CurrentPage = page;
  ScrollIntoView(page);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (page == previous) return;
  ShowPageUnits(page);
  if (rt::FrameworkWindow::FromHandle(hwnd) != this) return;
  window::RaiseUnitEvent(RuntimeEntry(), *this, 0);
}

void PageControl::ShowPageUnits(int32_t page) {
  HWND hwnd = Handle();
  if (state_.stored.Tabs[page].Values[kTabHidesChildren] != 0) {
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (child == state_.scrollLeft || child == state_.scrollRight) continue;
      if (IsWindowVisible(child)) ShowWindow(child, SW_HIDE);
    }
    return;
  }
  if (HWND parent = GetParent(hwnd)) {
    SendMessageA(parent, kShowPageUnitsMessage, reinterpret_cast<WPARAM>(hwnd), 0);
    return;
  }
  if (rt::NotifyEntry entry = RuntimeEntry())
    entry(rt::kNotifyShowCurrentPage, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
}

LRESULT PageControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_ERASEBKGND: return 1;  // painting covers the strip and the page area
    case WM_PAINT: return OnPaint();
    case WM_SIZE: return OnSize();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(point);  // the second press of a quick pair is a press too
    case WM_LBUTTONUP: return OnLButtonUp(point);
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != Handle()) state_.pressedTab = -1, state_.dragging = false;
      break;
    case WM_MOUSEMOVE: return OnMouseMove(point);
    case WM_MOUSELEAVE: return OnMouseLeave();
    case WM_SETCURSOR:
      if (OnSetCursor(LOWORD(lParam))) return TRUE;
      break;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM: return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_DESTROY: OnDestroy(); break;
    default: break;
  }
  return Default(message, wParam, lParam);
}

void PageControl::PostNcDestroy() {
  if (rt::NotifyEntry entry = RuntimeEntry())
    entry(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

LRESULT PageControl::OnPaint() {
  rt::gdi::PaintDc paint(Handle());
  HDC dc = paint.get();
  const Block& stored = state_.stored;
  FillWith(dc, state_.pageArea, ResolveColour(stored.Colour26));
  if (IsRectEmpty(&state_.strip)) return 0;
  FillWith(dc, state_.strip, ResolveColour(stored.Colour21));
  HGDIOBJ font = state_.tabFont ? static_cast<HGDIOBJ>(state_.tabFont.get()) : GetStockObject(DEFAULT_GUI_FONT);
  rt::gdi::Selection fontSelected(dc, font);
  rt::gdi::Brush border(CreateSolidBrush(ResolveColour(stored.Colour27)));
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < state_.tabRects.size(); ++i) {
    RECT tab = state_.tabRects[i];
    if (IsRectEmpty(&tab)) continue;
    TabLook look = static_cast<int32_t>(i) == stored.CurrentPage ? kLookCurrent
                   : static_cast<int>(i) == state_.hotTab        ? kLookHot
                                                                 : kLookNormal;
    FillWith(dc, tab, ResolveColour(stored.*kTabLooks[look].face));
    FrameRect(dc, &tab, border.get());
    SetTextColor(dc, ResolveColour(stored.*kTabLooks[look].text));
    DrawTextA(dc, stored.Tabs[i].Name.c_str(), static_cast<int>(stored.Tabs[i].Name.size()), &tab,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  // The line where the strip meets the page area.
  RECT line = state_.strip;
  switch (stored.TabPosition) {
    case kTabsBottom: line.bottom = line.top + 1; break;
    case kTabsTop: line.top = line.bottom - 1; break;
    case kTabsLeft: line.left = line.right - 1; break;
    default: line.right = line.left + 1; break;
  }
  FillWith(dc, line, ResolveColour(stored.Colour36));
  return 0;
}

LRESULT PageControl::OnSize() {
  Layout();
  InvalidateRect(Handle(), nullptr, TRUE);
  return 0;
}

// A press on a tab selects its page; when tabs may be dragged and the page did become current,
// the press may go on into a drag of its tab.
LRESULT PageControl::OnLButtonDown(POINT point) {
  HWND hwnd = Handle();
  int tab = TabAt(point);
  if (tab < 0) return 0;
  SelectPage(tab);
  if (rt::FrameworkWindow::FromHandle(hwnd) != this) return 0;  // the page's routines closed the window
  if (state_.stored.Prop6 != 1 || CurrentPage() != tab) return 0;  // Prop6: kTabsDraggable
  state_.pressedTab = tab;
  state_.pressedAt = point;
  state_.dragging = false;
  SetCapture(hwnd);
  return 0;
}

LRESULT PageControl::OnLButtonUp(POINT point) {
  if (state_.pressedTab < 0) return 0;
  const int target = state_.dragging ? DropTarget(point) : -1;
  EndDrag();
  if (target >= 0) window::RaiseUnitEvent(RuntimeEntry(), *this, kEventTabDropped, {static_cast<uint32_t>(target)});
  return 0;
}

// Another tab than the one dragged, or -1.
int PageControl::DropTarget(POINT point) const {
  int tab = TabAt(point);
  return tab == state_.pressedTab ? -1 : tab;
}

void PageControl::EndDrag() {
  state_.pressedTab = -1;
  state_.dragging = false;
  if (GetCapture() == Handle()) ReleaseCapture();
}

LRESULT PageControl::OnMouseMove(POINT point) {
  if (state_.pressedTab >= 0) {
    const bool beyond = std::abs(point.x - state_.pressedAt.x) > GetSystemMetrics(SM_CXDRAG) ||
                        std::abs(point.y - state_.pressedAt.y) > GetSystemMetrics(SM_CYDRAG);
    state_.dragging = state_.dragging || beyond;
    if (state_.dragging) SetCursor(DropTarget(point) >= 0 ? state_.dragCursor : state_.noDragCursor);
    return 0;
  }
  if (!state_.trackingLeave) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Handle(), 0};
    state_.trackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  SetHotTab(TabAt(point));
  return 0;
}

LRESULT PageControl::OnMouseLeave() {
  state_.trackingLeave = false;
  SetHotTab(-1);
  return 0;
}

void PageControl::SetHotTab(int tab) {
  if (tab == state_.hotTab) return;
  state_.hotTab = tab;
  RepaintStrip();
  window::RaiseUnitEvent(RuntimeEntry(), *this, kEventHotTab, {static_cast<uint32_t>(tab)});
}

bool PageControl::OnSetCursor(UINT hitTest) {
  if (hitTest != HTCLIENT) return false;
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(Handle(), &point);
  if (state_.dragging) {
    SetCursor(DropTarget(point) >= 0 ? state_.dragCursor : state_.noDragCursor);
    return true;
  }
  if (!state_.handCursor || TabAt(point) < 0) return false;
  SetCursor(state_.handCursor);
  return true;
}

LRESULT PageControl::OnCommand(int id, int code) {
  if (code != BN_CLICKED || (id != kScrollLeftId && id != kScrollRightId)) return 0;
  state_.firstTab += id == kScrollLeftId ? -1 : 1;
  Layout();
  RepaintStrip();
  window::RaiseUnitEvent(RuntimeEntry(), *this, kEventScrolled, {static_cast<uint32_t>(state_.firstTab)});
  return 0;
}

// The scroll buttons: cells of "KQR3_IDB_SCROLLBTNS", or the system's scroll arrows when the
// executable carries no such bitmap.
LRESULT PageControl::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != kScrollLeftId && item.CtlID != kScrollRightId) return FALSE;
  const bool right = item.CtlID == kScrollRightId;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  RECT target = item.rcItem;
  BITMAP info;
  if (state_.scrollPictures && GetObjectA(state_.scrollPictures.get(), sizeof info, &info) && info.bmWidth >= kScrollButtonCells) {
    const int cellWidth = info.bmWidth / kScrollButtonCells;
    const int cell = (right ? kRightCells : 0) + (disabled ? kDisabledCell : pressed ? kPressedCell : 0);
    rt::gdi::MemoryDc source(item.hDC);
    rt::gdi::Selection selected(source.get(), state_.scrollPictures.get());
    window::SetStretchQuality(item.hDC);
    StretchBlt(item.hDC, target.left, target.top, target.right - target.left, target.bottom - target.top, source.get(),
               cell * cellWidth, 0, cellWidth, info.bmHeight, SRCCOPY);
    return TRUE;
  }
  UINT look = (right ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT) | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0);
  DrawFrameControl(item.hDC, &target, DFC_SCROLL, look);
  return TRUE;
}

LRESULT PageControl::OnDestroy() {
  if (state_.toolTip) DestroyWindow(state_.toolTip);
  state_.toolTip = nullptr;
  return 0;
}

int32_t PageControl::SetProperty(int32_t k, const rt::PropertyData& value) {
  Block& stored = state_.stored;
  const int32_t number = static_cast<int32_t>(value.number);
  After after = After::kRepaint;
  if (const NumberSlot* slot = FindNumberSlot(k)) {
    if (slot->integer) stored.*slot->integer = number;
    if (slot->colour) stored.*slot->colour = static_cast<uint32_t>(number);
    after = slot->after;
  } else if (std::string Block::*field = ImageListField(k)) {
    stored.*field = value.bytes;
    after = After::kStore;
  } else {
    switch (k) {
      case kTabPosition:
        if (number < kTabsBottom || number > kTabsRight) return 0;
        stored.TabPosition = number;
        after = After::kLayout;
        break;
      case kFont:
        stored.NoTabFont = value.bytes.size() == sizeof(LOGFONTA) ? 0 : 1;
        if (!stored.NoTabFont) stored.Font = value.bytes;
        SetTabFont(stored.TabFont());
        after = After::kLayout;
        break;
      case kTabs: {
        int32_t format = 0;
        std::vector<tmpl::TabItem> tabs;
        if (!Block::ReadTabs(value.bytes, format, tabs)) return 0;
        stored.TabsFormatVersion = format;
        stored.Tabs = std::move(tabs);
        if (stored.CurrentPage >= static_cast<int32_t>(stored.Tabs.size()))
          stored.CurrentPage = static_cast<int32_t>(stored.Tabs.size()) - 1;
        after = After::kLayout;
        break;
      }
      case kCurrentPage: SelectPage(number); return 0;  // the page's routines may destroy the control
      case kExclusiveA:
        stored.Prop11 = number;
        if (number != 0) stored.Prop12 = 0;
        break;
      case kExclusiveB:
        stored.Prop12 = number;
        if (number == 1) stored.Prop11 = 0;
        break;
      default: return 0;  // empty slots and the read-only page area
    }
  }
  if (after == After::kLayout) Layout();
  if (after != After::kStore) InvalidateRect(Handle(), nullptr, TRUE);
  return 0;
}

bool PageControl::GetProperty(int32_t k, rt::PropertyData& value) const {
  const Block& stored = state_.stored;
  if (const NumberSlot* slot = FindNumberSlot(k)) {
    value.number = slot->integer ? stored.*slot->integer : static_cast<int64_t>(stored.*slot->colour);
    return true;
  }
  if (std::string Block::*field = ImageListField(k)) {
    value.bytes = stored.*field;
    return true;
  }
  const RECT& page = state_.pageArea;
  switch (k) {
    case kTabPosition: value.number = stored.TabPosition; return true;
    case kFont: value.bytes = stored.TabFont(); return true;
    case kTabs: value.bytes = stored.WriteTabs(); return true;
    case kCurrentPage: value.number = stored.CurrentPage; return true;
    case kExclusiveA: value.number = stored.Prop11; return true;
    case kExclusiveB: value.number = stored.Prop12; return true;
    case kPageLeft: value.number = page.left; return true;
    case kPageTop: value.number = page.top; return true;
    case kPageWidth: value.number = page.right - page.left; return true;
    case kPageHeight: value.number = page.bottom - page.top; return true;
    default: return false;
  }
}

std::string PageControl::WriteBlock() const { return state_.stored.Write(); }

bool PageControl::EditTabs(HWND owner) {
  std::vector<tmpl::TabItem> tabs = state_.stored.Tabs;
  if (!RunTabsDialog(owner, tabs)) return false;
  Block edited;
  edited.TabsFormatVersion = state_.stored.TabsFormatVersion;
  edited.Tabs = std::move(tabs);
  rt::PropertyData value;
  value.bytes = edited.WriteTabs();
  SetProperty(kTabs, value);
  return true;
}

// Own properties whose editing depends on others (see PageControlPropertyEditable).
namespace {

bool VerticalStrip(const Block& stored) { return stored.TabPosition == kTabsLeft || stored.TabPosition == kTabsRight; }
bool NeedsNoOption11(int32_t k) { return k == 12 || (k >= 20 && k <= 23) || k == 26; }

}  // namespace

bool PageControlPropertyEditable(const Block& stored, int32_t k) {
  if (NeedsNoOption11(k)) return stored.Prop11 == 0;
  if (k == 13) return !(stored.Prop39 != 0 && VerticalStrip(stored));
  if (k == 39) return VerticalStrip(stored);
  if (k == 45) return stored.Prop11 == 0 && stored.Prop20 != 0;
  if (k >= 46 && k <= 48) return stored.Prop11 == 0 && stored.Prop20 != 0 && stored.Prop45 != 0;
  return true;
}

void* PageControlUnitInterface(int32_t query) {
  if (query == rt::kUnitPropertyEditable) {
    rt::UnitPropertyEditable editable = [](rt::UnitObject* unit, int32_t k) {
      static const Block defaults;
      return PageControlPropertyEditable(unit ? static_cast<PageControl*>(unit)->State().stored : defaults, k);
    };
    return reinterpret_cast<void*>(editable);
  }
  if (query == rt::kUnitDesignDialog) {
    rt::UnitDesignDialog dialog = [](rt::UnitObject* unit, HWND owner) {
      return unit && static_cast<PageControl*>(unit)->EditTabs(owner);
    };
    return reinterpret_cast<void*>(dialog);
  }
  return window::CommonUnitRoutine<PageControl, tmpl::PageControlBlock>(query);
}

}  // namespace widgetlib3
