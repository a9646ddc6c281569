// `PageControl` (WidgetLib3 type 2), window class "CPageControl": a container whose units sit on
// pages, one page per tab, with a tab strip of our own drawing along one edge.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/UnitObject.h"
#include "window/Picture.h"
#include "window/template/PropertyBlocks.h"

namespace widgetlib3 {

constexpr char kPageControlClass[] = "CPageControl";
// Sent to the parent window after a page change: the window engine then shows the units of the
// current page and hides the others. The first parameter is the control's window.
constexpr UINT kShowPageUnitsMessage = 0x83F2;
constexpr int kScrollLeftId = 1008;
constexpr int kScrollRightId = 1009;
// Which of a tab item's 23 values, when set, makes its page hide the control's own children
// instead of having the window engine show the page's units.
constexpr int kTabHidesChildren = 18;

// The control's own events beyond 0 (page changed) and 1 (page about to change); each carries
// one integer.
enum PageControlEvent : int32_t {
  kEventHotTab = 2,      // the tab under the mouse changed: its index, or -1 when none is
  kEventScrolled = 3,    // the user scrolled the strip with its buttons: the first tab shown
  kEventTabDropped = 4,  // the current page's tab was dragged onto another tab: that tab's index
};
// Own property 6: 1 lets the current page's tab be dragged onto another tab (event 4). The
// control reorders nothing itself: which units sit on which page is the window engine's.
constexpr int32_t kTabsDraggable = 6;

// Where the tab strip runs (`TabPosition`).
enum TabEdge : int32_t {
  kTabsBottom = 0,
  kTabsTop = 1,
  kTabsLeft = 2,
  kTabsRight = 3,
};

struct PageControlState {
  tmpl::PageControlBlock stored;   // every stored property; stored.CurrentPage is the current page
  rt::gdi::Font tabFont;           // made from the stored tab font; null: the default GUI font
  RECT strip = {};                 // tab strip in client coordinates; empty when hidden
  RECT pageArea = {};              // the client area less the strip
  std::vector<RECT> tabRects;      // one per tab; empty for tabs scrolled out of the strip
  int firstTab = 0;                // first tab shown (the strip scrolls by whole tabs)
  bool overflow = false;           // the tabs are longer than the strip: scroll buttons shown
  int hotTab = -1;                 // tab under the mouse, or -1
  bool trackingLeave = false;      // WM_MOUSELEAVE asked for
  HWND scrollLeft = nullptr;       // "<" button, child id 1008
  HWND scrollRight = nullptr;      // ">" button, child id 1009
  HWND toolTip = nullptr;          // tips of the two scroll buttons
  rt::gdi::Bitmap scrollPictures;  // "KQR3_IDB_SCROLLBTNS" from the executable, or null
  HCURSOR handCursor = nullptr;    // over a tab
  HCURSOR dragCursor = nullptr;    // dragging a tab over another tab: it may be dropped there
  HCURSOR noDragCursor = nullptr;  // dragging a tab anywhere else
  int pressedTab = -1;             // the current page's tab while the button is held on it
  POINT pressedAt = {};            // where it was pressed, client coordinates
  bool dragging = false;           // the mouse left the drag threshold with the button held
};

// Whether own property k may be edited with the other values as `stored` holds them: some
// options only mean something while others are set.
bool PageControlPropertyEditable(const tmpl::PageControlBlock& stored, int32_t k);

class PageControl : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

  // Makes page current: event 1 may refuse a change; a change shows the page's units and
  // raises event 0. Pages that do not exist are ignored.
  void SelectPage(int32_t page);
  int32_t CurrentPage() const { return state_.stored.CurrentPage; }
  const PageControlState& State() const { return state_; }
  // The design-time dialog: the tab names, one a line. True when the tabs changed.
  bool EditTabs(HWND owner);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnPaint();
  LRESULT OnSize();
  LRESULT OnLButtonDown(POINT point);
  LRESULT OnLButtonUp(POINT point);
  LRESULT OnMouseMove(POINT point);
  LRESULT OnMouseLeave();
  bool OnSetCursor(UINT hitTest);
  LRESULT OnCommand(int id, int code);
  LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnDestroy();

  void CreateScrollButtons();
  void SetTabFont(const std::string& logFont);
  int TabThickness() const;
  void Layout();
  void LayoutStrip();
  void ScrollIntoView(int tab);
  int TabAt(POINT point) const;
  int DropTarget(POINT point) const;
  void EndDrag();
  void SetHotTab(int tab);
  void ShowPageUnits(int32_t page);
  void RepaintStrip();

  PageControlState state_;
};

void* PageControlUnitInterface(int32_t query);

}  // namespace widgetlib3
