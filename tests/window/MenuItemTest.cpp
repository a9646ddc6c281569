// Menu-item units: the menu bar and accelerators built while the window loads, their events,
// their four properties and the menu built again after a write; and the properties of library
// objects that are not controls (MiscService 4 and 5).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "runtime/Runtime.h"
#include "tests/window/WindowTestSupport.h"
#include "window/MenuItem.h"

namespace windowtest {
namespace {

constexpr int32_t kCaption = 0, kChecked = 1, kDisabled = 2, kVisible = 3;

std::string ItemText(HMENU menu, UINT position) {
  char text[64] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

UINT ItemState(HMENU menu, UINT position) { return GetMenuState(menu, position, MF_BYPOSITION); }

uint32_t Word(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

std::string TakeText(uint64_t value) {
  auto* text = reinterpret_cast<char*>(uintptr_t(uint32_t(value)));
  std::string result = text ? text : "";
  rt::FreeBlock(text);
  return result;
}

struct MenuWindow {
  WindowBuilder builder;
  uint32_t file, open, quit, hidden, help;
  HWND hwnd = nullptr;

  MenuWindow() {
    builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
    file = builder.AddMenuItem("&File", 0);
    open = builder.AddMenuItem("&Open", 1, 0, VK_F6);
    builder.AddMenuItem("-", 1);
    quit = builder.AddMenuItem("&Quit", 1, window::menuitem::kDisabled);
    hidden = builder.AddMenuItem("Hidden", 0, window::menuitem::kHidden);
    builder.AddMenuItem("Under the hidden one", 1);
    help = builder.AddMenuItem("&Help", 0, window::menuitem::kChecked);
    builder.Bind(open, 0, RecordRoutine(0));
    builder.Bind(help, 0, RecordRoutine(0));
    hwnd = builder.Open();
  }
};

TEST(MenuItems, LoadingBuildsTheMenuBarInUnitListOrderWithoutHiddenItems) {
  ClearLog();
  MenuWindow w;
  ASSERT_TRUE(w.hwnd);
  HMENU bar = GetMenu(w.hwnd);
  ASSERT_TRUE(bar) << "the window was created with its menu";
  ASSERT_EQ(2, GetMenuItemCount(bar)) << "the hidden item goes with the item below it";
  EXPECT_EQ("&File", ItemText(bar, 0));
  EXPECT_EQ("&Help", ItemText(bar, 1));
  EXPECT_TRUE(ItemState(bar, 1) & MF_CHECKED);
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_TRUE(file);
  ASSERT_EQ(3, GetMenuItemCount(file));
  EXPECT_EQ("&Open", ItemText(file, 0));
  EXPECT_TRUE(ItemState(file, 1) & MF_SEPARATOR);
  EXPECT_TRUE(ItemState(file, 2) & MF_GRAYED);
  // The controls keep their ids; the menu's commands lie above them.
  EXPECT_GE(GetMenuItemID(file, 0), 0x8000u);
}

TEST(MenuItems, ChoosingAnItemOrPressingItsShortcutRaisesItsEvent) {
  MenuWindow w;
  ASSERT_TRUE(w.hwnd);
  ClearLog();
  HMENU bar = GetMenu(w.hwnd);
  // As the menu delivers a choice: WM_COMMAND with the item's command and no control.
  PostMessageA(w.hwnd, WM_COMMAND, MAKEWPARAM(GetMenuItemID(bar, 1), 0), 0);
  Pump();
  EXPECT_EQ(std::vector<int32_t>{0}, LoggedEvents(w.help));
  EXPECT_TRUE(LoggedEvents(w.open).empty());

  Focus(UnitHandle(w.builder.WindowId(), w.builder.WindowUnitId()));
  PressKey(VK_F6);
  Pump();
  EXPECT_EQ(std::vector<int32_t>{0}, LoggedEvents(w.open)) << "F6 is the shortcut of Open";
}

TEST(MenuItems, PropertiesReadAndWriteTheRecordAndTheMenuFollows) {
  MenuWindow w;
  ASSERT_TRUE(w.hwnd);
  uint32_t id = w.builder.WindowId();
  EXPECT_EQ("&Quit", TakeText(rt::GetProperty(id, w.quit, kCaption, -1)));
  EXPECT_EQ(0u, uint32_t(rt::GetProperty(id, w.quit, kChecked, -1)));
  EXPECT_EQ(1u, uint32_t(rt::GetProperty(id, w.quit, kDisabled, -1)));
  EXPECT_EQ(1u, uint32_t(rt::GetProperty(id, w.quit, kVisible, -1)));
  EXPECT_EQ(0u, uint32_t(rt::GetProperty(id, w.hidden, kVisible, -1)));
  EXPECT_EQ(1u, uint32_t(rt::GetProperty(id, w.help, kChecked, -1)));

  std::string caption = "E&xit";
  rt::SetProperty(id, w.quit, kCaption, -1, Word(caption.c_str()), 0);
  rt::SetProperty(id, w.quit, kDisabled, -1, 0, 0);
  rt::SetProperty(id, w.help, kChecked, -1, 0, 0);
  rt::SetProperty(id, w.hidden, kVisible, -1, 1, 0);
  HMENU bar = GetMenu(w.hwnd);
  ASSERT_EQ(3, GetMenuItemCount(bar)) << "the item shown again is back, with its pop-up";
  EXPECT_EQ("Hidden", ItemText(bar, 1));
  EXPECT_EQ("Under the hidden one", ItemText(GetSubMenu(bar, 1), 0));
  EXPECT_FALSE(ItemState(bar, 2) & MF_CHECKED);
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ("E&xit", ItemText(file, 2));
  EXPECT_FALSE(ItemState(file, 2) & MF_GRAYED);
  EXPECT_EQ("E&xit", TakeText(rt::GetProperty(id, w.quit, kCaption, -1)));

  // Hiding the File item takes its pop-up away; the shortcut of an item not shown is gone too.
  rt::SetProperty(id, w.file, kVisible, -1, 0, 0);
  bar = GetMenu(w.hwnd);
  EXPECT_EQ(2, GetMenuItemCount(bar));
  EXPECT_EQ("Hidden", ItemText(bar, 0));
  ClearLog();
  Focus(w.hwnd);
  PressKey(VK_F6);
  Pump();
  EXPECT_TRUE(LoggedEvents(w.open).empty());
}

TEST(MenuItems, AWindowWithoutMenuItemsHasNoMenu) {
  WindowBuilder builder;
  builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  HWND hwnd = builder.Open();
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(nullptr, GetMenu(hwnd));
}

TEST(ObjectProperties, LibraryObjectsAreReadAndWrittenByTheirTypesKinds) {
  TestObject object;
  auto get = [&](int32_t k, uint32_t type = kTypeTestObject) { return rt::MiscService(4, type, &object, k, -1); };
  auto set = [&](int32_t k, uint32_t lo, uint32_t type = kTypeTestObject) { rt::MiscService(5, type, &object, k, -1, lo, 0u); };
  set(0, 42);
  EXPECT_EQ(42, object.count);
  EXPECT_EQ(42, get(0));
  std::string name = "名称";
  set(1, Word(name.c_str()));
  EXPECT_EQ("名称", object.name);
  EXPECT_EQ("名称", TakeText(uint64_t(get(1))));
  set(2, 5);
  EXPECT_EQ(1, object.flag) << "a logical is stored as 1";
  EXPECT_EQ(1, get(2));
  set(3, uint32_t(-3));
  EXPECT_EQ(0, object.choice) << "a choice is never negative";

  // Property 4 does not exist; a control's type and a code naming nothing serve no object.
  set(4, 9);
  EXPECT_EQ(0, get(4));
  set(0, 7, kTypeWindow);
  set(0, 7, 0x00090001);
  EXPECT_EQ(42, object.count);
  EXPECT_EQ(0, get(0, kTypeWindow));
  EXPECT_EQ(0, get(0, 0x00090001));
}

}  // namespace
}  // namespace windowtest
