// ClassifyControl on real windows of every class and button type it tells apart.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "services/style/StyleLib.h"
#include "tests/style/StyleTestSupport.h"

namespace {

using namespace stylelib;
using styletest::HostWindow;

struct Case {
  const char* className;
  const char* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  int32_t kind;
};

const Case kCases[] = {
    {"Button", "OK", BS_PUSHBUTTON, kKindPushButton},
    {"BUTTON", "OK", BS_DEFPUSHBUTTON, kKindPushButton},
    {"Button", "C", BS_AUTOCHECKBOX | BS_PUSHLIKE, kKindPushButton},
    {"Button", "R", BS_AUTORADIOBUTTON | BS_PUSHLIKE, kKindPushButton},
    {"Button", "C", BS_CHECKBOX, kKindCheckBox},
    {"button", "C", BS_AUTO3STATE, kKindCheckBox},
    {"Button", "R", BS_RADIOBUTTON, kKindRadioButton},
    {"Button", "R", BS_AUTORADIOBUTTON, kKindRadioButton},
    {"Button", "G", BS_GROUPBOX, kKindGroupBox},
    {"Button", "O", BS_OWNERDRAW, kKindNone},
    {"Button", "B", BS_PUSHBUTTON | BS_BITMAP, kKindNone},
    {"Button", "I", BS_AUTOCHECKBOX | BS_ICON, kKindNone},
    {"Button", "S", BS_SPLITBUTTON, kKindNone},
    {"Edit", "", ES_AUTOHSCROLL, kKindEdit},
    {"EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL, kKindEdit},
    {"ComboBox", "", CBS_DROPDOWN, kKindComboBox},
    {"ComboBox", "", CBS_DROPDOWNLIST, kKindComboBox},
    {"ComboBox", "", CBS_SIMPLE, kKindNone},
    {"msctls_updown32", "", 0, kKindUpDown},
    {"ScrollBar", "", SBS_VERT, kKindScrollBar},
    {"SysMonthCal32", "", 0, kKindMonthCalendar},
    {"SysTabControl32", "", 0, kKindTabControl},
    {"msctls_progress32", "", 0, kKindProgressBar},
    {"msctls_trackbar32", "", 0, kKindTrackBar},
    {"ListBox", "", 0, kKindNone},
    {"msctls_hotkey32", "", 0, kKindNone},
    {"SysIPAddress32", "", 0, kKindNone},
    {"SysListView32", "", 0, kKindNone},
    {"SysTreeView32", "", 0, kKindNone},
    {"SysDateTimePick32", "", 0, kKindNone},
    {"Static", "S", 0, kKindNone},
};

TEST(ClassifyControl, KindsByClassAndStyle) {
  HostWindow host(300, 300);
  for (const Case& c : kCases) {
    HWND control = host.Add(c.className, c.text, c.style, 0, 0, 120, 30);
    ASSERT_TRUE(control) << c.className;
    EXPECT_EQ(ClassifyControl(control), c.kind) << c.className << " style " << std::hex << c.style;
    DestroyWindow(control);
  }
}

TEST(ClassifyControl, ByParentTextAndLaterStyle) {
  HostWindow host(300, 300);
  // The edits inside an IP-address control belong to it.
  HWND address = host.Add(WC_IPADDRESSA, "", 0, 0, 0, 150, 24);
  HWND part = FindWindowExA(address, nullptr, WC_EDITA, nullptr);
  ASSERT_TRUE(part);
  EXPECT_EQ(ClassifyControl(part), kKindNone);

  // The list of a drop-down combo box.
  HWND combo = host.Add(WC_COMBOBOXA, "", CBS_DROPDOWNLIST, 0, 40, 150, 100);
  COMBOBOXINFO info{sizeof info};
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  EXPECT_EQ(ClassifyControl(info.hwndList), kKindComboList);

  // A push button without text whose style is exactly child + tab stop is left alone; with
  // text, or with any other style bit, it is ours.
  HWND bare = CreateWindowExA(0, "Button", "", 0x40010000, 0, 80, 50, 20, host.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(ClassifyControl(bare), kKindNone);
  HWND labelled = CreateWindowExA(0, "Button", "x", 0x40010000, 0, 80, 50, 20, host.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(ClassifyControl(labelled), kKindPushButton);
  EXPECT_EQ(ClassifyControl(nullptr), kKindNone);

  // The system turns BS_USERBUTTON into a push button at creation; a style set later stays.
  HWND user = host.Add("Button", "U", BS_PUSHBUTTON, 0, 110, 50, 20);
  SetWindowLongA(user, GWL_STYLE, WS_CHILD | WS_VISIBLE | BS_USERBUTTON);
  ASSERT_EQ(GetWindowLongA(user, GWL_STYLE) & 0x1F, BS_USERBUTTON);
  EXPECT_EQ(ClassifyControl(user), kKindNone);
}

}  // namespace
