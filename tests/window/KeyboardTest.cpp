// The window's keyboard handling before any unit sees a key: Tab and the arrows, Enter, Esc,
// Alt mnemonics, dropped keys of disabled windows; and the edit box's own typing rules.
#include <gtest/gtest.h>
#include "tests/window/WindowTestSupport.h"
#include "window/KeyboardHandling.h"

namespace windowtest {
namespace {

class Keyboard : public testing::Test {
 protected:
  void SetUp() override { ClearLog(); }
};

TEST_F(Keyboard, TabAndShiftTabFollowTheTabOrderOfEnabledTabStops) {
  WindowBuilder builder;
  uint32_t third = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  uint32_t first = builder.Add(kTypeCheckBox, CheckBoxBlock("first"), {10, 40, 110, 60});
  uint32_t noStop = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 70, 110, 90}, tmpl::kFlagVisible);
  uint32_t disabled = builder.Add(kTypeCheckBox, CheckBoxBlock("off"), {10, 100, 110, 120},
                                  kVisibleTabStop | tmpl::kFlagDisabled);
  uint32_t second = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 130, 110, 150});
  builder.Unit(first).tabOrder = 1;
  builder.Unit(noStop).tabOrder = 2;
  builder.Unit(second).tabOrder = 3;
  builder.Unit(third).tabOrder = 4;
  builder.Unit(disabled).tabOrder = 5;
  uint32_t windowId = builder.Load();
  builder.Open();
  auto unit = [&](uint32_t id) { return UnitHandle(windowId, id); };
  Focus(unit(first));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), unit(second));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), unit(third));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), unit(first));
  PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), unit(third));
}

TEST_F(Keyboard, ArrowsMoveAmongUnitsButStayWithAnEditBox) {
  WindowBuilder builder;
  uint32_t a = builder.Add(kTypeCheckBox, CheckBoxBlock("a"), {10, 10, 110, 30});
  uint32_t b = builder.Add(kTypeCheckBox, CheckBoxBlock("b"), {10, 40, 110, 60}, tmpl::kFlagVisible);
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock("text").Write(), {10, 70, 110, 90});
  uint32_t windowId = builder.Load();
  builder.Open();
  Focus(UnitHandle(windowId, a));
  PressKey(VK_DOWN);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, b));
  PressKey(VK_RIGHT);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, edit));
  PressKey(VK_LEFT);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, edit));
  PressKey(VK_UP);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, edit));
}

TEST_F(Keyboard, EscClosesTheWindowOnlyWhenEscClosesIsOn) {
  tmpl::WindowBlock keep = WindowBuilder::DefaultWindow();
  keep.EscCloses = 0;
  WindowBuilder kept(keep);
  HWND keptWindow = kept.Open();
  Focus(keptWindow);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(IsWindowVisible(keptWindow));

  WindowBuilder closing;  // EscCloses is on by default
  uint32_t edit = closing.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  closing.Bind(closing.WindowUnitId(), 12, RecordRoutine(12));
  uint32_t windowId = closing.Load();
  HWND hwnd = closing.Open();
  Focus(UnitHandle(windowId, edit));
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(LoggedEvents(closing.WindowUnitId()), (std::vector<int32_t>{12}));
}

TEST_F(Keyboard, EnterGoesToAMultiLineBoxFirstAndOtherwiseMovesTheFocusWhenAsked) {
  tmpl::WindowBlock moving = WindowBuilder::DefaultWindow();
  moving.EnterMovesFocus = 1;
  WindowBuilder builder(moving);
  uint32_t single = builder.Add(kTypeEditBox, EditBlock("one").Write(), {10, 10, 110, 30});
  tmpl::EditBoxBlock lines = EditBlock("two");
  lines.MultiLine = 1;
  uint32_t multi = builder.Add(kTypeEditBox, lines.Write(), {10, 40, 110, 100});
  uint32_t windowId = builder.Load();
  builder.Open();
  Focus(UnitHandle(windowId, single));
  PressKey(VK_RETURN);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, multi));
  SendMessageA(UnitHandle(windowId, multi), EM_SETSEL, 3, 3);
  PressKey(VK_RETURN);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, multi));
  EXPECT_EQ(TextOf(UnitHandle(windowId, multi)), "two\r\n");

  WindowBuilder staying;  // EnterMovesFocus off: the focus stays where it is
  uint32_t alone = staying.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  staying.Add(kTypeEditBox, EditBlock().Write(), {10, 40, 110, 60});
  uint32_t stayingId = staying.Load();
  staying.Open();
  Focus(UnitHandle(stayingId, alone));
  PressKey(VK_RETURN);
  EXPECT_EQ(GetFocus(), UnitHandle(stayingId, alone));
}

TEST_F(Keyboard, AltWithAMnemonicTogglesTheCheckBoxThatCarriesIt) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  uint32_t box = builder.Add(kTypeCheckBox, CheckBoxBlock("同意(&Y)"), {10, 40, 160, 60});
  builder.Bind(box, 0, RecordRoutine(0));
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND hwnd = UnitHandle(windowId, box);
  Focus(UnitHandle(windowId, edit));
  PressKey('Z', false, true);  // no unit carries Z
  EXPECT_EQ(SendMessageA(hwnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  PressKey('Y', false, true);
  EXPECT_EQ(SendMessageA(hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetFocus(), hwnd);
  EXPECT_EQ(LoggedEvents(box), (std::vector<int32_t>{0}));
  PressKey('Y', false, true);
  EXPECT_EQ(SendMessageA(hwnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(Mnemonics, AnAmpersandMarksTheNextCharacterAndTwoMarkNothing) {
  EXPECT_EQ(window::CaptionMnemonic("&Agree"), 'A');
  EXPECT_EQ(window::CaptionMnemonic("a&&b&c"), 'C');
  EXPECT_EQ(window::CaptionMnemonic("同意(&y)"), 'Y');
  EXPECT_EQ(window::CaptionMnemonic("no mnemonic&"), 0);
  EXPECT_EQ(window::CaptionMnemonic("&&"), 0);
}

TEST_F(Keyboard, TypingFollowsTheEditBoxsConversionAndReadOnlyModes) {
  WindowBuilder builder;
  tmpl::EditBoxBlock upper = EditBlock();
  upper.Conversion = 2;
  uint32_t upperUnit = builder.Add(kTypeEditBox, upper.Write(), {10, 10, 110, 30});
  tmpl::EditBoxBlock fixed = EditBlock("fixed");
  fixed.InputMode = 1;
  uint32_t fixedUnit = builder.Add(kTypeEditBox, fixed.Write(), {10, 40, 110, 60});
  uint32_t windowId = builder.Load();
  builder.Open();
  Focus(UnitHandle(windowId, upperUnit));
  TypeText("abc");
  EXPECT_EQ(TextOf(UnitHandle(windowId, upperUnit)), "ABC");
  Focus(UnitHandle(windowId, fixedUnit));
  TypeText("xyz");
  PressKey(VK_BACK);
  PressKey(VK_DELETE);
  EXPECT_EQ(TextOf(UnitHandle(windowId, fixedUnit)), "fixed");
}

TEST_F(Keyboard, KeysPostedToADisabledWindowAreDropped) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock("same").Write(), {10, 10, 110, 30});
  builder.Bind(edit, -11, RecordRoutine(-11));
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND hwnd = UnitHandle(windowId, edit);
  EnableWindow(hwnd, FALSE);
  PostMessageA(hwnd, WM_CHAR, 'z', 1);
  Pump(20);
  EXPECT_EQ(TextOf(hwnd), "same");
  EXPECT_TRUE(Log().empty());
  EnableWindow(hwnd, TRUE);
  PostMessageA(hwnd, WM_CHAR, 'z', 1);
  Pump(20);
  EXPECT_EQ(TextOf(hwnd), "zsame");
}

}  // namespace
}  // namespace windowtest
