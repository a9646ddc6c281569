// `KVWindow`: the window unit (type "窗口"), the top window of every window template. It paints
// its back colour, shapes itself, raises the window events and runs the window's keyboard
// handling before any of its units sees a message.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/UnitObject.h"
#include "window/MenuItem.h"
#include "window/Picture.h"
#include "window/template/PropertyBlocks.h"

namespace window {

constexpr char kWindowClass[] = "KVWindow";

// The window events, numbered as the program binds them.
enum WindowEvent : int32_t {
  kEventCreated = 0,
  kEventMayClose = 1,          // a logical false refuses
  kEventDestroying = 2,
  kEventMoved = 3,
  kEventResized = 4,
  kEventActivated = 5,
  kEventDeactivated = 6,
  kEventIdle = 7,              // milliseconds since idling began; true asks for more
  kEventFirstActivation = 8,
  kEventNotificationArea = 9,
  kEventShown = 10,
  kEventHidden = 11,
  kEventCloseRequested = 12,   // a logical false refuses before event 1 is asked
};
// Raised once the units of a loading window exist, in this order.
constexpr WindowEvent kEventsAfterLoading[] = {kEventCreated, kEventMoved, kEventResized};

// A window that a modal window disabled, and whether it was enabled before.
struct DisabledWindow {
  HWND hwnd;
  bool wasEnabled;
};

struct WindowUnitState {
  tmpl::WindowBlock block;                 // every own property as stored or last written
  rt::gdi::Brush backBrush;                // solid brush of the back colour
  Picture backPicture;                     // decoded back picture, if any
  Picture icon;                            // decoded own icon, if any
  HFONT font = nullptr;                    // WM_SETFONT / WM_GETFONT; the default GUI font
  bool loaded = false;                     // every loading step has run
  bool activatedOnce = false;              // event 8 has been raised
  bool modal = false;                      // loaded modally
  bool holdsOthers = false;                // has disabled the other windows and not given them back
  std::vector<DisabledWindow> disabled;    // re-enabled when this modal window goes
  HWND previousActive = nullptr;           // active before this modal window; active again after it
  WindowMenu menu;                         // built from the menu items; the window owns its menu
};

class WindowUnit : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

  const tmpl::WindowBlock& Block() const { return state_.block; }
  bool Loaded() const { return state_.loaded; }
  void MarkLoaded() { state_.loaded = true; }
  // The window holds the other windows disabled until it closes; `previousActive` is then
  // activated again.
  void SetModal(std::vector<DisabledWindow> disabled, HWND previousActive);
  // A modal window opened before this one closes and hands over the state that `hwnd` is to get
  // back; false when this window does not hold `hwnd` disabled.
  bool TakeOverDisabledWindow(HWND hwnd, bool wasEnabled);
  // Shows the window in the state its template asks for (normal, minimised or maximised).
  void ShowAsStored();
  // The accelerators (and the menu, if the window does not own it yet) built from the menu items.
  void InstallMenu(WindowMenu menu) { state_.menu = std::move(menu); }

  bool PreTranslateMessage(MSG* message) override;
  bool OnIdle(DWORD millisecondsSinceIdle) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { delete this; }

 private:
  LRESULT OnClose();
  LRESULT OnQueryEndSession();
  LRESULT OnDestroy();
  LRESULT OnMove(LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBackground(HDC dc);
  LRESULT OnSetFont(HFONT font, LPARAM redraw);
  LRESULT OnLayoutBars();
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  void LeaveModal();

  // A window event; false when its routine answered a logical false.
  bool RaiseWindowEvent(WindowEvent event, std::initializer_list<uint32_t> args = {});
  void ApplyFrame();
  void ApplyBackground();
  void ApplyIcon();
  void ApplyShape();
  void ApplyPosition();
  void ApplyMovable();
  void ApplyTopmost();

  WindowUnitState state_;
};

// The window unit behind a unit object, or null when it is another type's object.
WindowUnit* AsWindowUnit(rt::UnitObject* object);

// The loader tells the next window unit created whether it is loaded modally (it is then owned
// by the hidden owner window).
void SetNextWindowModal(bool modal);

// Region of a window shape for a window of the given size: 0 none, 1 ellipse, 2 rounded
// rectangle, 3 ring, 4 and up the built-in polygons; null for none.
HRGN CreateShapeRegion(int32_t shape, int width, int height);

void* WindowUnitInterface(int32_t query);

}  // namespace window
