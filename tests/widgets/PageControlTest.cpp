// `PageControl` on a real window: page selection with its events and the message that has the
// page's units shown, the page area, the tab strip with real clicks, scrolling and painting.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <thread>

#include "runtime/Runtime.h"
#include "tests/skin/SkinTestSupport.h"
#include "window/PageControl.h"
#include "window/PageControlDialog.h"
#include "window/WidgetLib3.h"

using namespace skintest;

namespace {

constexpr uint32_t kControlUnit = 0x16010003;
const char* const kTabNames[] = {"首页界面", "路径选择", "进度界面", "完成界面", "协议界面"};

// The installer's page control as stored.
tmpl::PageControlBlock InstallerBlock() {
  tmpl::PageControlBlock block;
  block.TabPosition = 1;
  block.Prop1 = 1;
  block.CurrentPage = 4;
  tmpl::LogFont font;
  font.Height = -12;
  font.Weight = 400;
  font.CharSet = 134;
  block.Font = font.Bytes();
  block.NoTabFont = 0;
  for (const char* name : kTabNames) block.Tabs.push_back({name, {}});
  block.Colour30 = 0, block.Colour31 = 0x0000FF, block.Colour32 = 0xFF0000;
  block.Colour46 = block.Colour47 = block.Colour48 = 0xECECEC;
  return block;
}

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingEngine();
    widgetlib3::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&rt::RuntimeNotify)), 0);
    host_ = SharedHost();
    MouseMoveTo(700, 600);
    ClearRecords();
  }
  void TearDown() override {
    StopAnswering();
    ClearHost();
  }

  widgetlib3::PageControl* Create(const std::string& block, int width = 506, int height = 346) {
    auto create = reinterpret_cast<rt::UnitCreate>(widgetlib3::PageControlUnitInterface(rt::kUnitCreate));
    auto* control = static_cast<widgetlib3::PageControl*>(create(MakeCreateArgs(host_, block, 1, 1, width, height, kControlUnit)));
    if (control) UpdateWindow(control->Handle());
    ClearRecords();
    return control;
  }
  widgetlib3::PageControl* Create(const tmpl::PageControlBlock& block, int width = 506, int height = 346) {
    return Create(block.Write(), width, height);
  }
  static void Set(widgetlib3::PageControl* control, int32_t k, int64_t number, const std::string& bytes = {}) {
    auto set = reinterpret_cast<rt::UnitSetProperty>(widgetlib3::PageControlUnitInterface(rt::kUnitSetProperty));
    rt::PropertyData value;
    value.number = number;
    value.bytes = bytes;
    EXPECT_EQ(set(control, k, value), 0);
  }
  static int64_t Get(widgetlib3::PageControl* control, int32_t k) {
    auto get = reinterpret_cast<rt::UnitGetProperty>(widgetlib3::PageControlUnitInterface(rt::kUnitGetProperty));
    rt::PropertyData value;
    EXPECT_TRUE(get(control, k, value)) << "property " << k;
    return value.number;
  }
  static POINT TabCentre(widgetlib3::PageControl* control, int tab) {
    const RECT& r = control->State().tabRects[tab];
    return ScreenPoint(control->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  HWND host_ = nullptr;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(PageControlTest, KeepsTheInstallersBlockAndReportsItsPageArea) {
  std::string stored = InstallerBlock().Write();
  ASSERT_EQ(stored.size(), 748u);
  widgetlib3::PageControl* control = Create(stored);
  ASSERT_NE(control, nullptr);
  char className[32] = {};
  GetClassNameA(control->Handle(), className, sizeof className);
  EXPECT_STREQ(className, widgetlib3::kPageControlClass);
  EXPECT_EQ(control->WriteBlock(), stored);
  EXPECT_EQ(Get(control, 4), 4) << "the stored current page";
  // The strip runs along the top, 20 pixels high (TabHeight beats the 12-pixel font).
  EXPECT_EQ(Get(control, 50), 0);
  EXPECT_EQ(Get(control, 51), 20);
  EXPECT_EQ(Get(control, 52), 506);
  EXPECT_EQ(Get(control, 53), 326);
  Set(control, 53, 5);  // read only
  EXPECT_EQ(Get(control, 53), 326);
  Set(control, 0, 0);   // along the bottom edge
  EXPECT_EQ(Get(control, 51), 0);
  EXPECT_EQ(Get(control, 53), 326);
  Set(control, 0, 9);   // not an edge: ignored
  EXPECT_EQ(Get(control, 0), 0);
  Set(control, 0, 2);   // the left edge
  EXPECT_GT(Get(control, 50), 0);
  EXPECT_EQ(Get(control, 52), 506 - Get(control, 50));
  Set(control, 5, 1);   // tabs hidden: the page is the whole control
  EXPECT_EQ(Get(control, 52), 506);
  EXPECT_EQ(Get(control, 53), 346);
  EXPECT_TRUE(Lines(Log()).empty());
}

TEST_F(PageControlTest, SelectingAPageAsksFirstThenShowsItsUnitsThenReportsTheChange) {
  widgetlib3::PageControl* control = Create(InstallerBlock());
  ASSERT_NE(control, nullptr);
  Set(control, 4, 4);
  EXPECT_EQ(Log(), Lines{}) << "the current page again: nothing happens";
  Set(control, 4, 0);
  EXPECT_EQ(Log(), (Lines{"event 1", "page-message", "event 0"}));
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[0].unitId, kControlUnit);
  EXPECT_EQ(Events()[0].args, std::vector<uint32_t>{0});
  EXPECT_TRUE(Events()[1].args.empty());
  EXPECT_EQ(PageMessageHandle(), control->Handle());
  EXPECT_EQ(Get(control, 4), 0);

  ClearRecords();
  for (int32_t missing : {5, -1, 100}) Set(control, 4, missing);
  EXPECT_EQ(Log(), Lines{}) << "pages that do not exist are ignored";
  EXPECT_EQ(Get(control, 4), 0);
}

TEST_F(PageControlTest, ARefusedChangeKeepsThePage) {
  widgetlib3::PageControl* control = Create(InstallerBlock());
  ASSERT_NE(control, nullptr);
  AnswerEvent(1, 0);  // the routine returns false
  Set(control, 4, 2);
  EXPECT_EQ(Log(), Lines{"event 1"});
  EXPECT_EQ(Get(control, 4), 4);
  ClearRecords();
  AnswerEvent(1, 1);  // true lets it happen
  Set(control, 4, 2);
  EXPECT_EQ(Log(), (Lines{"event 1", "page-message", "event 0"}));
  EXPECT_EQ(Get(control, 4), 2);
}

TEST_F(PageControlTest, ClickingATabSelectsItsPage) {
  widgetlib3::PageControl* control = Create(InstallerBlock());
  ASSERT_NE(control, nullptr);
  POINT tab = TabCentre(control, 1);
  ClickAt(tab.x, tab.y);
  EXPECT_EQ(Log(), (Lines{"event 2", "event 1", "page-message", "event 0"})) << "under the mouse, then selected";
  EXPECT_EQ(Get(control, 4), 1);
  ClearRecords();
  ClickAt(tab.x, tab.y);
  EXPECT_EQ(Log(), Lines{}) << "its own tab again";
}

// Event 2 follows the tab under the mouse (-1 when it leaves the tabs); event 3 reports the first
// tab shown after the user scrolls the strip.
TEST_F(PageControlTest, TheTabUnderTheMouseAndScrollingAreReported) {
  widgetlib3::PageControl* control = Create(InstallerBlock(), 180, 120);
  ASSERT_NE(control, nullptr);
  POINT first = TabCentre(control, 0), second = TabCentre(control, 1);
  MouseMoveTo(first.x, first.y);
  MouseMoveTo(second.x, second.y);
  POINT page = ScreenPoint(control->Handle(), 90, 90);
  MouseMoveTo(page.x, page.y);
  ASSERT_EQ(Log(), (Lines{"event 2", "event 2", "event 2"}));
  EXPECT_EQ(Events()[0].args, std::vector<uint32_t>{0});
  EXPECT_EQ(Events()[1].args, std::vector<uint32_t>{1});
  EXPECT_EQ(Events()[2].args, std::vector<uint32_t>{0xFFFFFFFFu}) << "-1: no tab";

  ClearRecords();
  RECT r;
  GetWindowRect(GetDlgItem(control->Handle(), widgetlib3::kScrollRightId), &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ASSERT_EQ(Log(), Lines{"event 3"});
  EXPECT_EQ(Events()[0].args, std::vector<uint32_t>{1});
}

// Query 2: which own properties may be edited while the others hold what they hold.
TEST_F(PageControlTest, SomeOptionsCanBeEditedOnlyWhileOthersAllowThem) {
  auto editable = reinterpret_cast<rt::UnitPropertyEditable>(widgetlib3::PageControlUnitInterface(rt::kUnitPropertyEditable));
  ASSERT_NE(editable, nullptr);
  widgetlib3::PageControl* control = Create(InstallerBlock());
  ASSERT_NE(control, nullptr);
  auto allowed = [&](std::initializer_list<int32_t> ks) {
    std::vector<int32_t> yes;
    for (int32_t k : ks)
      if (editable(control, k)) yes.push_back(k);
    return yes;
  };
  using Ks = std::vector<int32_t>;
  const std::initializer_list<int32_t> dependent = {12, 13, 20, 21, 22, 23, 26, 39, 45, 46, 47, 48};
  // The installer's values: 11 is 1, the strip along the top.
  EXPECT_EQ(allowed(dependent), (Ks{13}));
  EXPECT_EQ(allowed({0, 1, 4, 11, 27, 54}), (Ks{0, 1, 4, 11, 27, 54})) << "all others always";
  Set(control, 11, 0);
  EXPECT_EQ(allowed(dependent), (Ks{12, 13, 20, 21, 22, 23, 26}));
  Set(control, 20, 1);
  EXPECT_EQ(allowed(dependent), (Ks{12, 13, 20, 21, 22, 23, 26, 45}));
  Set(control, 45, 1);
  EXPECT_EQ(allowed(dependent), (Ks{12, 13, 20, 21, 22, 23, 26, 45, 46, 47, 48}));
  Set(control, 39, 1);
  EXPECT_TRUE(editable(control, 13)) << "39 counts only for a strip along a vertical edge";
  Set(control, 0, 3);
  EXPECT_FALSE(editable(control, 13));
  EXPECT_TRUE(editable(control, 39));
  Set(control, 0, 0);
  EXPECT_FALSE(editable(control, 39));
  EXPECT_FALSE(editable(nullptr, 12)) << "without a unit: the stored defaults, where 11 is 1";
  EXPECT_TRUE(editable(nullptr, 13));
}

// Query 3: the design-time dialog edits the tab names, one a line; the tabs that stay keep their
// values. The dialog is answered from another thread, as a person would, while it runs here.
TEST_F(PageControlTest, TheDesignDialogRenamesAddsAndDropsTabs) {
  auto dialog = reinterpret_cast<rt::UnitDesignDialog>(widgetlib3::PageControlUnitInterface(rt::kUnitDesignDialog));
  ASSERT_NE(dialog, nullptr);
  tmpl::PageControlBlock block = InstallerBlock();
  block.Tabs[1].Values[3] = 77;
  block.CurrentPage = 0;
  widgetlib3::PageControl* control = Create(block);
  ASSERT_NE(control, nullptr);
  auto answer = [](const char* names, int button, std::string* shown) {
    return std::thread([=] {
      HWND box = nullptr;
      for (int i = 0; i < 200 && !box; ++i, Sleep(50)) {
        HWND found = FindWindowA("#32770", "编辑子夹");
        DWORD process = 0;
        if (found) GetWindowThreadProcessId(found, &process);
        if (process == GetCurrentProcessId()) box = found;
      }
      if (!box) return;
      Sleep(300);  // painted
      RECT r;
      GetWindowRect(box, &r);
      SaveArtifact(CaptureScreen(r.left, r.top, r.right - r.left, r.bottom - r.top), "pagecontrol-tabs-dialog");
      char text[512] = {};
      GetDlgItemTextA(box, widgetlib3::kTabsDialogNamesId, text, sizeof text);
      *shown = text;
      if (names) SetDlgItemTextA(box, widgetlib3::kTabsDialogNamesId, names);
      PostMessageA(box, WM_COMMAND, button, 0);
    });
  };
  std::string shown;
  std::thread person = answer("甲\r\n路径\r\n\r\n丙\r\n丁\r\n戊\r\n己", IDOK, &shown);
  EXPECT_TRUE(dialog(control, host_));
  person.join();
  EXPECT_EQ(shown, "首页界面\r\n路径选择\r\n进度界面\r\n完成界面\r\n协议界面");
  const auto& tabs = control->State().stored.Tabs;
  ASSERT_EQ(tabs.size(), 6u) << "empty lines make no tab";
  EXPECT_EQ(tabs[0].Name, "甲");
  EXPECT_EQ(tabs[1].Name, "路径");
  EXPECT_EQ(tabs[1].Values[3], 77) << "the tab at its place keeps its values";
  EXPECT_EQ(tabs[5].Name, "己");
  EXPECT_EQ(tabs[5].Values, tmpl::TabItem().Values) << "a new tab gets the usual values";
  EXPECT_FALSE(IsRectEmpty(&control->State().tabRects[0])) << "laid out again";

  person = answer("乙", IDCANCEL, &shown);
  EXPECT_FALSE(dialog(control, host_)) << "cancelled";
  person.join();
  EXPECT_EQ(control->State().stored.Tabs.size(), 6u);
  person = answer(nullptr, IDOK, &shown);
  EXPECT_FALSE(dialog(control, host_)) << "OK without a change";
  person.join();
  EXPECT_EQ(Log(), Lines{}) << "editing tabs raises nothing";
}

TEST_F(PageControlTest, APageWhoseTabSaysSoHidesTheControlsOwnChildren) {
  tmpl::PageControlBlock block = InstallerBlock();
  block.Tabs[3].Values[widgetlib3::kTabHidesChildren] = 1;
  widgetlib3::PageControl* control = Create(block);
  ASSERT_NE(control, nullptr);
  HWND child = CreateWindowExA(0, "STATIC", "on the page", WS_CHILD | WS_VISIBLE, 10, 30, 100, 20, control->Handle(),
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  Set(control, 4, 3);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_EQ(Log(), (Lines{"event 1", "event 0"})) << "no message to the parent window";
}

TEST_F(PageControlTest, TooManyTabsForTheStripScrollWithTheTwoButtons) {
  widgetlib3::PageControl* control = Create(InstallerBlock(), 180, 120);
  ASSERT_NE(control, nullptr);
  HWND left = GetDlgItem(control->Handle(), widgetlib3::kScrollLeftId);
  HWND right = GetDlgItem(control->Handle(), widgetlib3::kScrollRightId);
  ASSERT_TRUE(left && right);
  EXPECT_TRUE(IsWindowVisible(left) && IsWindowVisible(right));
  EXPECT_FALSE(IsWindowEnabled(left));
  EXPECT_TRUE(IsWindowEnabled(right));
  EXPECT_TRUE(IsRectEmpty(&control->State().tabRects[4]));

  // The tool tips name the buttons.
  HWND tip = control->State().toolTip;
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
  char text[80] = {};
  TTTOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = control->Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(right);
  tool.lpszText = text;
  SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "向右滚动子夹头");

  RECT r;
  GetWindowRect(right, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(control->State().firstTab, 1);
  EXPECT_TRUE(IsWindowEnabled(left));
  EXPECT_TRUE(IsRectEmpty(&control->State().tabRects[0]));
  EXPECT_EQ(Log(), Lines{"event 3"}) << "scrolling selects nothing";
  SaveArtifact(CaptureClient(control->Handle()), "pagecontrol-scrolled");

  Set(control, 4, 4);
  Set(control, 4, 0);
  EXPECT_FALSE(IsRectEmpty(&control->State().tabRects[0])) << "the current tab is scrolled into view";
  Set(control, 4, 4);
  EXPECT_FALSE(IsRectEmpty(&control->State().tabRects[4]));
}

TEST_F(PageControlTest, PaintsTheStripAndTheTabsInTheirColours) {
  tmpl::PageControlBlock block = InstallerBlock();
  block.CurrentPage = 1;
  block.Colour21 = 0x00303030;  // strip
  block.Colour22 = 0x00C0C0C0;  // other tabs
  block.Colour23 = 0x0000FFFF;  // the current tab (yellow)
  block.Colour26 = 0x00FF8000;  // page area
  widgetlib3::PageControl* control = Create(block);
  ASSERT_NE(control, nullptr);
  Image shown = CaptureClient(control->Handle());
  SaveArtifact(shown, "pagecontrol");
  const RECT& current = control->State().tabRects[1];
  const RECT& other = control->State().tabRects[2];
  EXPECT_EQ(shown.At(current.left + 3, current.top + 3), 0xFFFF00u);
  EXPECT_EQ(shown.At(other.left + 3, other.top + 3), 0xC0C0C0u);
  EXPECT_EQ(shown.At(500, 10), 0x303030u) << "the strip beyond the last tab";
  EXPECT_EQ(shown.At(250, 200), 0x0080FFu) << "the page area";
  Set(control, 26, 0xFF000000);  // button face
  shown = CaptureClient(control->Handle());
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(shown.At(250, 200), Rgb(GetRValue(face), GetGValue(face), GetBValue(face)));
}

TEST_F(PageControlTest, NewTabsReplaceTheOldOnes) {
  widgetlib3::PageControl* control = Create(InstallerBlock());
  ASSERT_NE(control, nullptr);
  tmpl::PageControlBlock two;
  two.Tabs = {{"A", {}}, {"B", {}}};
  Set(control, 3, 0, two.WriteTabs());
  EXPECT_EQ(control->State().stored.Tabs.size(), 2u);
  EXPECT_EQ(Get(control, 4), 1) << "the current page falls to the last one left";
  Set(control, 3, 0, "broken");
  EXPECT_EQ(control->State().stored.Tabs.size(), 2u) << "unreadable tab items change nothing";
  EXPECT_EQ(Log(), Lines{});
}
