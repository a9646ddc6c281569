// Loading a window from its template: creation order and control ids, parents and stacking,
// pages, placement and styles of the window, its first events, failure and the quit message.
#include <gtest/gtest.h>
#include "runtime/Runtime.h"
#include "tests/support/ChildProcess.h"
#include "tests/window/WindowTestSupport.h"
#include "window/Engine.h"

namespace windowtest {
namespace {

// Windows stay open until the process ends: taking a top-level window down costs seconds under
// Wine without a window manager.
class Loading : public testing::Test {
 protected:
  void SetUp() override { ClearLog(); }
  HWND Open(WindowBuilder& builder) { return builder.Open(); }
};

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
  return children;
}

TEST_F(Loading, UnitsAreCreatedFromTheEndOfTheListWithIdsStepsOfTenAndStackInListOrder) {
  WindowBuilder builder;
  uint32_t first = builder.Add(kTypeEditBox, EditBlock("first").Write(), {10, 10, 110, 30});
  uint32_t second = builder.Add(kTypeCheckBox, CheckBoxBlock("second"), {10, 40, 110, 60});
  uint32_t third = builder.Add(kTypeProcessBar, tmpl::ProcessBarBlock().Write(), {10, 70, 110, 90});
  HWND hwnd = Open(builder);
  ASSERT_TRUE(hwnd);
  HWND a = UnitHandle(builder.WindowId(), first), b = UnitHandle(builder.WindowId(), second),
       c = UnitHandle(builder.WindowId(), third);
  EXPECT_EQ(GetDlgCtrlID(c), 100);
  EXPECT_EQ(GetDlgCtrlID(b), 110);
  EXPECT_EQ(GetDlgCtrlID(a), 120);
  EXPECT_EQ(Children(hwnd), (std::vector<HWND>{a, b, c}));
  char className[32] = {};
  GetClassNameA(hwnd, className, sizeof className);
  EXPECT_STREQ(className, "KVWindow");
}

TEST_F(Loading, UnitsGoIntoTheirParentUnitsAndSiblingsStackByParent) {
  WindowBuilder builder;
  uint32_t panel = builder.Add(kTypeTestPanel, "", {20, 20, 220, 160});
  uint32_t outside = builder.Add(kTypeEditBox, EditBlock().Write(), {230, 20, 290, 40});
  uint32_t inner1 = builder.Add(kTypeEditBox, EditBlock().Write(), {5, 5, 100, 25}, kVisibleTabStop, panel);
  uint32_t inner2 = builder.Add(kTypeCheckBox, CheckBoxBlock("in"), {5, 40, 100, 60}, kVisibleTabStop, panel);
  HWND hwnd = Open(builder);
  HWND panelHwnd = UnitHandle(builder.WindowId(), panel);
  HWND in1 = UnitHandle(builder.WindowId(), inner1), in2 = UnitHandle(builder.WindowId(), inner2);
  EXPECT_EQ(GetParent(in1), panelHwnd);
  EXPECT_EQ(GetParent(in2), panelHwnd);
  EXPECT_EQ(Children(panelHwnd), (std::vector<HWND>{in1, in2}));
  EXPECT_EQ(Children(hwnd), (std::vector<HWND>{panelHwnd, UnitHandle(builder.WindowId(), outside)}));
  // The rectangle is kept in the parent unit's client area.
  RECT rect;
  GetWindowRect(in2, &rect);
  MapWindowPoints(nullptr, panelHwnd, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 40);
}

TEST_F(Loading, OnlyTheFirstPageOfAPagedContainerStartsVisibleAndPageChangesShowTheirUnits) {
  WindowBuilder builder;
  uint32_t panel = builder.Add(kTypeTestPanel, "", {10, 10, 250, 150});
  std::vector<uint32_t> pages;
  for (int page = 0; page < 5; ++page) {
    if (page > 0) builder.Unit(panel).children.push_back(0);
    pages.push_back(builder.Add(kTypeCheckBox, CheckBoxBlock("page"), {5, 5, 100, 25}, kVisibleTabStop, panel));
  }
  uint32_t hiddenOnFirst =
      builder.Add(kTypeCheckBox, CheckBoxBlock("hidden"), {5, 40, 100, 60}, tmpl::kFlagTabStop, 0);
  // A unit of the first page whose visible flag is off.
  auto& children = builder.Unit(panel).children;
  children.insert(children.begin() + 1, hiddenOnFirst);
  builder.Unit(hiddenOnFirst).parent = panel;
  Open(builder);
  uint32_t windowId = builder.WindowId();
  auto visible = [&](uint32_t unit) { return IsWindowVisible(UnitHandle(windowId, unit)) != FALSE; };
  EXPECT_TRUE(visible(pages[0]));
  for (int page = 1; page < 5; ++page) EXPECT_FALSE(visible(pages[size_t(page)])) << "page " << page + 1;
  EXPECT_FALSE(visible(hiddenOnFirst));

  // The container tells its window (0x83F2) when its page changes.
  rt::SetProperty(windowId, panel, 8 + 4, -1, 2, 0);
  Pump(20);
  EXPECT_FALSE(visible(pages[0]));
  EXPECT_TRUE(visible(pages[2]));
  // Showing a unit on a page that is not current keeps it hidden until its page comes.
  rt::SetProperty(windowId, pages[3], 5, -1, 1, 0);
  EXPECT_FALSE(visible(pages[3]));
  // Code 2039 has the same effect as the message.
  rt::SetProperty(windowId, panel, 8 + 4, -1, 3, 0);
  rt::RuntimeNotify(rt::kNotifyShowCurrentPage, int32_t(windowId), int32_t(panel));
  EXPECT_TRUE(visible(pages[3]));
  EXPECT_FALSE(visible(pages[2]));
}

// The same with the program's page control: its page changes reach the window as 0x83F2.
TEST_F(Loading, ThePageControlShowsTheUnitsOfItsCurrentPage) {
  tmpl::PageControlBlock block;
  block.Tabs.resize(5);
  block.CurrentPage = 0;
  WindowBuilder builder;
  uint32_t pagesUnit = builder.Add(kTypePageControl, block.Write(), {10, 10, 280, 180});
  std::vector<uint32_t> pages;
  for (int page = 0; page < 5; ++page) {
    if (page > 0) builder.Unit(pagesUnit).children.push_back(0);
    pages.push_back(builder.Add(kTypeCheckBox, CheckBoxBlock("page"), {5, 30, 100, 50}, kVisibleTabStop, pagesUnit));
  }
  uint32_t windowId = builder.Load();
  builder.Open();
  auto visible = [&](uint32_t unit) { return IsWindowVisible(UnitHandle(windowId, unit)) != FALSE; };
  EXPECT_TRUE(visible(pages[0]));
  for (int page = 1; page < 5; ++page) EXPECT_FALSE(visible(pages[size_t(page)])) << "page " << page + 1;
  rt::SetProperty(windowId, pagesUnit, 8 + 4, -1, 4, 0);
  Pump(20);
  EXPECT_TRUE(visible(pages[4]));
  EXPECT_FALSE(visible(pages[0]));
}

// The focus goes to the page's first unit in tab order that can take it now, by the rule the Tab
// key follows: a disabled unit cannot, nor one that refuses the focus.
TEST_F(Loading, ShowingAPageFocusesItsFirstUnitThatCanTakeTheFocus) {
  tmpl::PageControlBlock block;
  block.Tabs.resize(2);
  block.CurrentPage = 0;
  WindowBuilder builder;
  uint32_t pagesUnit = builder.Add(kTypePageControl, block.Write(), {10, 10, 280, 180});
  uint32_t first = builder.Add(kTypeEditBox, EditBlock("page 1").Write(), {5, 30, 100, 50}, kVisibleTabStop, pagesUnit);
  builder.Unit(pagesUnit).children.push_back(0);
  uint32_t disabled = builder.Add(kTypeCheckBox, CheckBoxBlock("off"), {5, 30, 100, 50}, kVisibleTabStop | tmpl::kFlagDisabled,
                                  pagesUnit);
  uint32_t refusing = builder.Add(kTypeTestPanel, std::string(), {5, 60, 100, 80}, kVisibleTabStop, pagesUnit);  // refuses the focus
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock("page 2").Write(), {5, 90, 100, 110}, kVisibleTabStop, pagesUnit);
  builder.Unit(disabled).tabOrder = 0;
  builder.Unit(refusing).tabOrder = 1;
  builder.Unit(edit).tabOrder = 2;
  builder.Unit(first).tabOrder = 3;
  uint32_t windowId = builder.Load();
  builder.Open();
  rt::SetProperty(windowId, pagesUnit, 8 + 4, -1, 1, 0);
  Pump(20);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, edit));
  Focus(UnitHandle(windowId, edit));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), UnitHandle(windowId, edit)) << "Tab finds no other unit on the page";
}

TEST_F(Loading, APositionOfOneCentresTheWindowWhateverItsStoredPlace) {
  tmpl::WindowBlock block = WindowBuilder::DefaultWindow();
  block.Position = 1;
  WindowBuilder builder(block, 300, 200);
  builder.WindowUnit().left = 5;
  builder.WindowUnit().top = 7;
  HWND hwnd = Open(builder);
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 200);
}

TEST_F(Loading, WindowStylesFollowBorderControlBoxAndTaskbar) {
  tmpl::WindowBlock framed = WindowBuilder::DefaultWindow();
  framed.Border = 3;  // sizable tool window
  framed.MaxButton = 1;
  framed.ShowInTaskbar = 0;
  WindowBuilder framedBuilder(framed, 260, 180);
  HWND tool = Open(framedBuilder);
  DWORD style = DWORD(GetWindowLongA(tool, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, DWORD(WS_CAPTION));
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_TRUE(GetWindowLongA(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(tool, GW_OWNER), static_cast<HWND>(rt::HiddenOwner()));
  RECT rect;
  GetWindowRect(tool, &rect);
  EXPECT_EQ(rect.right - rect.left, 260);  // the stored size, whatever the frame needs

  WindowBuilder plainBuilder;  // border 0, shown in the taskbar
  HWND plain = Open(plainBuilder);
  style = DWORD(GetWindowLongA(plain, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, 0u);
  EXPECT_EQ(GetWindow(plain, GW_OWNER), nullptr);
  RECT client;
  GetClientRect(plain, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
}

TEST_F(Loading, WindowEventsZeroThreeFourComeFirstAndOnlyOnceEveryUnitExists) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  builder.Add(kTypeCheckBox, CheckBoxBlock("c"), {10, 40, 110, 60});
  for (int32_t event : {0, 3, 4, 5, 8, 10}) builder.Bind(builder.WindowUnitId(), event, RecordRoutine(event));
  builder.Bind(edit, -7, RecordRoutine(-7));
  Open(builder);
  std::vector<int32_t> events = LoggedEvents(builder.WindowUnitId());
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(std::vector<int32_t>(events.begin(), events.begin() + 3), (std::vector<int32_t>{0, 3, 4}));
  for (const LoggedEvent& entry : Log()) EXPECT_TRUE(entry.allUnitsExisted) << "event " << entry.event;
  // Shown (10) follows the first three: the window appears after its creation events.
  EXPECT_NE(std::find(events.begin() + 3, events.end(), 10), events.end());
}

TEST_F(Loading, OpeningAnOpenWindowAgainKeepsItsWindow) {
  WindowBuilder builder;
  HWND hwnd = Open(builder);
  EXPECT_TRUE(window::Engine.openWindow(builder.WindowId()));
  EXPECT_EQ(UnitHandle(builder.WindowId(), 0), hwnd);
}

TEST_F(Loading, AUnitThatCannotBeCreatedDiscardsTheWholeWindow) {
  tmpl::WindowBlock block = WindowBuilder::DefaultWindow();
  block.Caption = "partial";
  WindowBuilder builder(block);
  builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  std::string tooNew = tmpl::ProcessBarBlock().Write();
  tooNew[0] = 9;  // a version above the type's maximum
  builder.Add(kTypeProcessBar, tooNew, {10, 40, 110, 60});
  uint32_t windowId = builder.Load();
  EXPECT_FALSE(window::Engine.openWindow(windowId));
  EXPECT_EQ(UnitHandle(windowId, 0), nullptr);
  EXPECT_EQ(FindWindowA("KVWindow", "partial"), nullptr);
}

// In children, where the window closed is the program's last one.
TEST_F(Loading, ClosingTheLastWindowPostsTheQuitMessageOnlyOnceTheLoopWasEntered) {
  testsupport::ChildResult before = testsupport::RunChild("no-quit-before-the-loop");
  EXPECT_EQ(before.exitCode, 0u);
  EXPECT_NE(before.output.find("window gone 1, quit posted 0"), std::string::npos) << before.output;

  testsupport::ChildResult child = testsupport::RunChild("quit-after-last-window");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_NE(child.output.find("loop ended, window gone 1"), std::string::npos) << child.output;
  EXPECT_TRUE(child.boxes.empty());
}

TEST(LoadingErrors, AStartWindowThatDoesNotExistIsARuntimeError) {
  ExpectRuntimeError("missing-start-window", "载入启动窗口失败");
}

}  // namespace
}  // namespace windowtest
