// Menu-item units (ids 0x26xxxxxx, type "菜单"): the window's menu bar and its accelerator table
// are built from them, in unit-list order, and their four properties are kept in their records.
//
// Layout of the three words a menu-item record stores after its two texts:
//   word 0  flags: bit 0 hidden, bit 1 disabled, bit 2 checked
//   word 1  shortcut: a virtual key in the low 16 bits (0 none); bit 16 Ctrl, 17 Shift, 18 Alt
//   word 2  level: 0 on the menu bar, 1 in the pop-up of the item above it, and so on
// The text that follows the words is the caption; "-" makes a separator.
#pragma once
#include <windows.h>
#include <cstdint>
#include "window/template/TemplateModel.h"

namespace window {

struct LoadedWindow;

namespace menuitem {
constexpr uint32_t kHidden = 1;
constexpr uint32_t kDisabled = 2;
constexpr uint32_t kChecked = 4;
constexpr uint32_t kCtrl = 0x10000;
constexpr uint32_t kShift = 0x20000;
constexpr uint32_t kAlt = 0x40000;
constexpr int32_t kSelectedEvent = 0;  // the item's single event: it was chosen
}  // namespace menuitem

// Property index 0 is the caption (a new text), 1 checked, 2 disabled, 3 visible; others read 0.
uint64_t ReadMenuItemProperty(const tmpl::UnitTemplate& record, int32_t index);
// True when the record changed (the window's menu must then be built again).
bool WriteMenuItemProperty(tmpl::UnitTemplate& record, int32_t index, uint32_t lo);

// The menu and accelerator table of one window. The menu is destroyed with the object unless
// it was handed to the window, which then destroys it with itself.
class WindowMenu {
 public:
  WindowMenu() = default;
  WindowMenu(WindowMenu&& other) noexcept;
  WindowMenu& operator=(WindowMenu&& other) noexcept;
  WindowMenu(const WindowMenu&) = delete;
  WindowMenu& operator=(const WindowMenu&) = delete;
  ~WindowMenu();

  // Null menu and table for a window without menu items.
  static WindowMenu Build(const LoadedWindow& window);

  HMENU Menu() const { return menu_; }
  HACCEL Accelerators() const { return accelerators_; }
  void HandMenuToWindow() { ownsMenu_ = false; }
  // Offers a keyboard message to the accelerator table of `hwnd`; true when it became a command.
  bool TranslateKeys(HWND hwnd, MSG* message) const;

 private:
  void Destroy();
  HMENU menu_ = nullptr;
  bool ownsMenu_ = true;
  HACCEL accelerators_ = nullptr;
};

// The command a menu item sends (unit i of its window), and back; -1 for another command.
WORD MenuCommandOfUnit(size_t unit);
int UnitOfMenuCommand(WORD command);

// A menu or accelerator command of the window: raises the chosen item's event; false when the
// command names no menu item of the window.
bool RaiseMenuCommand(LoadedWindow& window, WORD command);

// Builds the menu of a live window again from its records and puts it in place.
void RebuildWindowMenu(LoadedWindow& window);

}  // namespace window
