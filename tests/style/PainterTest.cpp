// The painters on the controls the installer styles, and on the button states, read back from
// the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "services/style/Scheme.h"
#include "services/style/StyleLib.h"
#include "tests/style/StyleTestSupport.h"

namespace {

using namespace styletest;

// The installer's check boxes: automatic, multi-line, text at the left and centred vertically.
constexpr DWORD kInstallerCheckBox = 0x04002003 | 0x100 | 0xC00;

struct BoxCase {
  int size;       // the control is size x size
  RECT box;       // where the 13-pixel (or smaller) box lands
};

TEST(CheckBoxPainter, InstallerBoxesWithoutCaptionOnWhite) {
  LookOffAtExit off;
  const BoxCase cases[] = {{12, {0, 0, 12, 12}}, {16, {0, 1, 13, 14}}};
  for (int scheme = 1; scheme <= 3; ++scheme) {
    for (const BoxCase& c : cases) {
      HostWindow host(100, 60);
      HWND checked = host.Add(WC_BUTTONA, "", kInstallerCheckBox, 10, 10, c.size, c.size);
      HWND unchecked = host.Add(WC_BUTTONA, "", kInstallerCheckBox, 40, 10, c.size, c.size);
      SendMessageA(checked, BM_SETCHECK, BST_CHECKED, 0);
      ASSERT_EQ(SetLook(scheme), 1);
      const Image on = Capture(checked);
      const Image offImage = Capture(unchecked);
      const COLORREF frame = stylelib::SchemeFrameColour(scheme);
      const RECT& b = c.box;
      SCOPED_TRACE("scheme " + std::to_string(scheme) + ", size " + std::to_string(c.size));
      // The whole frame is inside the control: all four edges, corners included.
      for (int x = b.left; x < b.right; ++x) {
        EXPECT_EQ(on.At(x, b.top), frame) << x;
        EXPECT_EQ(on.At(x, b.bottom - 1), frame) << x;
      }
      for (int y = b.top; y < b.bottom; ++y) {
        EXPECT_EQ(on.At(b.left, y), frame) << y;
        EXPECT_EQ(on.At(b.right - 1, y), frame) << y;
      }
      EXPECT_EQ(on.At(b.left + 1, b.top + 5), GetSysColor(COLOR_WINDOW));
      const RECT inside{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
      EXPECT_GE(on.Count(stylelib::kCheckMarkColour, inside), 15) << "a green check mark";
      EXPECT_EQ(offImage.CountGreen(inside), 0);
      EXPECT_EQ(offImage.Count(frame), on.Count(frame));
      // Outside the box the parent's white shows.
      if (c.size > 13) {
        EXPECT_EQ(on.At(c.size - 1, 0), kWhite);
        EXPECT_EQ(on.At(c.size - 1, c.size - 1), kWhite);
      }
      SetLook(0);
    }
  }
}

TEST(CheckBoxPainter, ClickTogglesTheMarkAndDisabledBoxesTurnGrey) {
  LookOffAtExit off;
  HostWindow host(200, 80);
  HWND box = host.Add(WC_BUTTONA, "同意", kInstallerCheckBox, 10, 10, 80, 16);
  HWND disabled = host.Add(WC_BUTTONA, "", kInstallerCheckBox | WS_DISABLED, 10, 40, 16, 16);
  SendMessageA(disabled, BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_EQ(SetLook(2), 1);
  const RECT inside{2, 3, 11, 12};
  EXPECT_EQ(Capture(box).CountGreen(inside), 0);

  ClickAt(box, 6, 8);
  MoveMouseAway();
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  const Image checked = Capture(box);
  EXPECT_GE(checked.Count(stylelib::kCheckMarkColour, inside), 15);
  // The caption is drawn beside the box, in black on white.
  EXPECT_GT(checked.CountDark({16, 0, 80, 16}), 10);

  const Image grey = Capture(disabled);
  EXPECT_EQ(grey.At(0, 1), DisabledFrameColour());
  EXPECT_EQ(grey.At(1, 5), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(grey.CountGreen({2, 3, 11, 12}), 0);
  EXPECT_GT(grey.Count(GetSysColor(COLOR_GRAYTEXT), {2, 3, 11, 12}), 10);
}

TEST(CheckBoxPainter, IndeterminateFillsTheMiddle) {
  LookOffAtExit off;
  HostWindow host(100, 40);
  HWND box = host.Add(WC_BUTTONA, "", BS_AUTO3STATE, 10, 10, 16, 16);
  SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
  ASSERT_EQ(SetLook(1), 1);
  const Image image = Capture(box);
  EXPECT_EQ(image.At(6, 7), stylelib::kCheckMarkColour);
  EXPECT_EQ(image.Count(stylelib::kCheckMarkColour, {2, 3, 11, 12}), 25) << "a 5 x 5 square";
}

TEST(RadioButtonPainter, DotOnlyWhenChecked) {
  LookOffAtExit off;
  HostWindow host(200, 80);
  HWND first = host.Add(WC_BUTTONA, "One", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 80, 16);
  HWND second = host.Add(WC_BUTTONA, "Two", BS_AUTORADIOBUTTON, 10, 40, 80, 16);
  SendMessageA(first, BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_EQ(SetLook(3), 1);
  const RECT circle{0, 1, 13, 14};
  EXPECT_GT(Capture(first).Count(stylelib::kCheckMarkColour, circle), 8);
  EXPECT_EQ(Capture(second).CountGreen(circle), 0);
  EXPECT_GT(Capture(second).Count(stylelib::SchemeFrameColour(3), circle), 12);

  ClickAt(second, 6, 8);
  MoveMouseAway();
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(second, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  EXPECT_EQ(Capture(first).CountGreen(circle), 0) << "the group's other button was unchecked";
  EXPECT_GT(Capture(second).Count(stylelib::kCheckMarkColour, circle), 8);
}

TEST(PushButtonPainter, EveryStateHasItsOwnFace) {
  LookOffAtExit off;
  HostWindow host(300, 100);
  HWND button = host.Add(WC_BUTTONA, "安装", BS_PUSHBUTTON, 10, 10, 90, 28);
  HWND other = host.Add(WC_BUTTONA, "Other", BS_PUSHBUTTON, 150, 10, 90, 28);
  SetFocus(other);
  MoveMouseAway();
  ASSERT_EQ(SetLook(1), 1);

  const Image normal = Capture(button);
  MoveMouseTo(button, 45, 14);
  Image hot;
  EXPECT_TRUE(WaitFor([&] { return (hot = Capture(button)) != normal; })) << "the pointer makes it hot";
  MoveMouseAway();
  EXPECT_TRUE(WaitFor([&] { return Capture(button) == normal; })) << "the hot look ends when the pointer leaves";
  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  const Image pushed = Capture(button);
  SendMessageA(button, BM_SETSTATE, FALSE, 0);
  SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  const Image byDefault = Capture(button);
  SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SetFocus(button);
  const Image focused = Capture(button);
  SetFocus(other);
  EnableWindow(button, FALSE);
  const Image disabled = Capture(button);
  EnableWindow(button, TRUE);
  EXPECT_EQ(Capture(button), normal);
  // Keyboard cues switching on (the first key press in a dialog) redraw the button too.
  SendMessageA(button, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  EXPECT_EQ(Capture(button), normal);
  SetWindowTextA(button, "取消");
  EXPECT_NE(Capture(button), normal) << "a new caption is drawn at once";
  char caption[16] = {};
  GetWindowTextA(button, caption, sizeof caption);
  EXPECT_STREQ(caption, "取消");

  const Image* looks[] = {&normal, &hot, &pushed, &byDefault, &focused, &disabled};
  for (size_t i = 0; i < std::size(looks); ++i)
    for (size_t j = i + 1; j < std::size(looks); ++j) EXPECT_NE(*looks[i], *looks[j]) << i << " vs " << j;

  // The border's top edge comes from the face table; the corners show the parent's white.
  EXPECT_EQ(normal.At(0, 0), kWhite);
  EXPECT_EQ(normal.At(45, 0), stylelib::SchemeFaceGroup(1, 2)[0]);
  EXPECT_GT(normal.CountDark({4, 4, 86, 24}), 10) << "the caption";
  EXPECT_EQ(disabled.CountDark({4, 4, 86, 24}), 0) << "a grey caption";
  EXPECT_GT(disabled.CountNear(GetSysColor(COLOR_GRAYTEXT), 24, {4, 4, 86, 24}), 10) << "a grey caption";
}

TEST(EditPainter, UpperCaseFolderBoxKeepsItsFrameWhileTyping) {
  LookOffAtExit off;
  HostWindow host(300, 80);
  ASSERT_EQ(SetLook(2), 1);
  HWND edit = host.Add(WC_EDITA, "", ES_AUTOHSCROLL | ES_UPPERCASE, 10, 10, 200, 22, WS_EX_CLIENTEDGE);
  SetFocus(edit);
  ASSERT_EQ(GetFocus(), edit);
  TypeText("c:\\veltaro");
  char text[32] = {};
  WaitFor([&] { return GetWindowTextA(edit, text, sizeof text) == 10; });
  EXPECT_STREQ(text, "C:\\VELTARO");
  const Image image = Capture(edit);
  EXPECT_EQ(image.Count(0x7FB9A4), 2 * 200 + 2 * 22 - 4);
  EXPECT_EQ(image.At(1, 10), GetSysColor(COLOR_WINDOW));
  EXPECT_GT(image.CountDark({2, 2, 198, 20}), 20) << "the typed text";
}

TEST(EditPainter, ReadOnlyLicenceBoxWithScrollBar) {
  LookOffAtExit off;
  HostWindow host(320, 200);
  std::string licence;
  for (int i = 1; i <= 40; ++i) licence += "第" + std::to_string(i) + "条 许可协议的条款。\r\n";
  HWND edit = host.Add(WC_EDITA, licence.c_str(), ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 10, 10, 280, 150,
                       WS_EX_CLIENTEDGE);
  ASSERT_EQ(SetLook(2), 1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int scrollWidth = GetSystemMetrics(SM_CXVSCROLL);
  auto expectFramed = [&](const Image& image) {
    EXPECT_EQ(image.Count(0x7FB9A4), 2 * 280 + 2 * 150 - 4);
    EXPECT_EQ(image.At(1, 75), face);
    EXPECT_EQ(image.At(279 - 1, 75), face);
    EXPECT_EQ(image.At(140, 148), face);
    // The scroll bar is still there between the frame and the text.
    EXPECT_NE(image.At(280 - 2 - scrollWidth / 2, 75), 0x7FB9A4);
  };
  const Image top = Capture(edit);
  expectFramed(top);

  // Scroll a page down with a real click in the scroll bar's track.
  ClickAt(edit, 280 - 2 - scrollWidth / 2, 100);
  MoveMouseAway();
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0) > 0; }));
  const Image scrolled = Capture(edit);
  EXPECT_NE(scrolled, top);
  expectFramed(scrolled);
}

TEST(ComboBoxPainter, FrameAndDropButton) {
  LookOffAtExit off;
  HostWindow host(300, 200);
  HWND combo = host.Add(WC_COMBOBOXA, "", CBS_DROPDOWNLIST, 10, 10, 150, 120);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("C:"));
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  ASSERT_EQ(SetLook(1), 1);
  const Image image = Capture(combo);
  const int w = image.width;
  const int h = image.height;
  const int buttonLeft = w - 2 - GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(image.At(0, h / 2), 0xBD9E7B);
  EXPECT_EQ(image.At(buttonLeft, h / 2), 0xBD9E7B) << "the line before the drop button";
  EXPECT_GT(image.Count(stylelib::SchemeFaceGroup(1, 2)[2], {buttonLeft, 2, w - 2, h - 2}), 4) << "the arrow";
  EXPECT_GT(image.CountDark({3, 3, buttonLeft, h - 3}), 8) << "the combo box still draws its text";
}

TEST(GroupBoxPainter, FrameThroughTheCaptionAndContentsUntouched) {
  LookOffAtExit off;
  HostWindow host(300, 200);
  HWND group = host.Add(WC_BUTTONA, "选项", BS_GROUPBOX, 10, 10, 200, 120);
  HWND inside = host.Add(WC_EDITA, "", 0, 30, 50, 100, 22, WS_EX_CLIENTEDGE);
  ASSERT_EQ(SetLook(2), 1);
  const Image image = Capture(group);
  int frameTop = -1;
  for (int y = 0; y < image.height && frameTop < 0; ++y)
    if (image.At(image.width - 1, y) == 0x7FB9A4) frameTop = y;
  ASSERT_GT(frameTop, 2);
  EXPECT_LT(frameTop, 12);
  EXPECT_EQ(image.At(2, frameTop), 0x7FB9A4);
  EXPECT_EQ(image.At(2, image.height - 1), 0x7FB9A4);
  EXPECT_NE(image.At(20, frameTop), 0x7FB9A4) << "the caption covers the line";
  // The edit inside the group still shows its frame.
  const Image edit = Capture(inside);
  EXPECT_EQ(edit.At(0, 0), 0x7FB9A4);
  EXPECT_EQ(edit.At(50, 21), 0x7FB9A4);
}

TEST(UpDownPainter, AttachedToAnEditWithHotHalf) {
  LookOffAtExit off;
  HostWindow host(300, 100);
  ASSERT_EQ(SetLook(2), 1);
  HWND edit = host.Add(WC_EDITA, "5", ES_NUMBER, 10, 10, 100, 22, WS_EX_CLIENTEDGE);
  HWND upDown = host.Add(UPDOWN_CLASSA, "", UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 0, 0, 0);
  SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageA(upDown, UDM_SETRANGE32, 0, 100);
  Pump();
  ASSERT_TRUE(stylelib::IsTakenOver(upDown));
  const Image normal = Capture(upDown);
  EXPECT_EQ(normal.At(0, normal.height / 2), 0x7FB9A4);
  EXPECT_EQ(normal.At(normal.width / 2, 0), 0x7FB9A4);
  RECT r{};
  GetWindowRect(upDown, &r);
  MoveMouseTo(upDown, (r.right - r.left) / 2, 4);
  Image topHot;
  EXPECT_TRUE(WaitFor([&] { return (topHot = Capture(upDown)) != normal; }));
  MoveMouseTo(upDown, (r.right - r.left) / 2, r.bottom - r.top - 4);
  Image bottomHot;
  EXPECT_TRUE(WaitFor([&] { return (bottomHot = Capture(upDown)) != topHot; }));
  EXPECT_NE(bottomHot, normal);
  MoveMouseAway();
  EXPECT_TRUE(WaitFor([&] { return Capture(upDown) == normal; }));

  // A click on the upper half counts up (more than once if the press lasts into auto-repeat).
  ClickAt(upDown, (r.right - r.left) / 2, 4);
  MoveMouseAway();
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(upDown, UDM_GETPOS32, 0, 0) > 5; }));
  // The edit repaints without drawing over the arrows it sits beside.
  EXPECT_TRUE(WaitFor([&] { return Capture(upDown) == normal; }));
  RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  EXPECT_EQ(Capture(upDown), normal);
}

}  // namespace
