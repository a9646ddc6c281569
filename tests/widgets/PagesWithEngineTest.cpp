// The skinned classes and the extended controls inside a window that the real window engine
// loads from a template, with routines bound to their events: the page control's pages show
// exactly their own units, and a gallery of every class and button state is kept as screenshots.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "runtime/Runtime.h"
#include "tests/skin/SkinTestSupport.h"
#include "window/Engine.h"
#include "window/PageControl.h"
#include "window/WindowStore.h"
#include "window/template/PropertyBlocks.h"
#include "window/template/TemplateRegion.h"

using namespace skintest;

namespace {

constexpr uint32_t kTypeWindow = 0x00010001, kTypePicBox = 0x00010006, kTypeTimer = 0x00010020,
                   kTypePicBtn = 0x0001002D, kTypePageControl = 0x00020002, kTypeTransLabel = 0x00030005;

constexpr uint32_t kGalleryWindow = 0x52010001;
constexpr uint32_t kWindowUnit = 0x06010000;
constexpr uint32_t kPages = 0x16010003;
constexpr uint32_t kPicture1 = 0x16010004, kPicture2 = 0x16010009, kPicture3 = 0x16010028;
constexpr uint32_t kLabelPlain = 0x16010010, kLabelWhite = 0x16010011, kLabelRaised = 0x16010012,
                   kLabelShadow = 0x16010013, kLabelPage2 = 0x16010014, kLabelPage3 = 0x16010015;
constexpr uint32_t kButtonNormal = 0x16010020, kButtonHot = 0x16010021, kButtonPressed = 0x16010022,
                   kButtonDisabled = 0x16010023, kButtonTwoState = 0x16010024, kClose = 0x16010025;
constexpr uint32_t kTimer = 0x160100F0;
// A second window: one tab strip of five tabs, too many for its width, whose tabs may be dragged.
constexpr uint32_t kStripWindow = 0x52010002, kStripWindowUnit = 0x06010001, kStrip = 0x16010099;
constexpr int kPageControlProperty = 8 + 4;  // `CurrentPage`

std::string PictureFile(const char* name) {
  std::ifstream file(std::string(VELTARO_SOURCE_DIR "/installer/pictures/") + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// ---- Routines bound in the template ---------------------------------------------------------

std::vector<std::string>& RoutineLog() {
  static std::vector<std::string> log;
  return log;
}
int32_t refusedPage = -1;

uint32_t EventSourceUnit() {
  uint32_t source[2] = {};
  rt::RuntimeNotify(rt::kNotifyEventSource, static_cast<int32_t>(reinterpret_cast<uintptr_t>(source)), 0);
  return source[1];
}

void PageAsked(const uint32_t* args, int32_t, rt::EventResult* result) {
  RoutineLog().push_back("ask " + std::to_string(args[0]));
  if (static_cast<int32_t>(args[0]) != refusedPage) return;
  result->hasResult = 1;
  result->lo = 0;
}
void PageChanged(const uint32_t*, int32_t, rt::EventResult*) { RoutineLog().push_back("changed"); }
void ButtonClicked(const uint32_t*, int32_t, rt::EventResult*) {
  char text[16];
  std::snprintf(text, sizeof text, "click %08X", EventSourceUnit());
  RoutineLog().push_back(text);
}

void TabDropped(const uint32_t* args, int32_t, rt::EventResult*) { RoutineLog().push_back("dropped on " + std::to_string(args[0])); }

int32_t Offset(rt::EventRoutine routine) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(routine)); }

// ---- The gallery window ---------------------------------------------------------------------

tmpl::UnitTemplate Unit(uint32_t id, uint32_t type, RECT r, uint32_t parent, std::string block,
                        uint32_t flags = tmpl::kFlagVisible) {
  tmpl::UnitTemplate unit;
  unit.id = id;
  unit.typeCode = type;
  unit.left = r.left, unit.top = r.top, unit.width = r.right, unit.height = r.bottom;
  unit.parent = parent;
  unit.flags = flags;
  unit.propertyBlock = std::move(block);
  return unit;
}

std::string Label(const char* caption, uint32_t colour, int32_t effect) {
  tmpl::TransLabelBlock block;
  block.Caption = caption;
  block.TextColour = colour;
  block.Effect = effect;
  tmpl::LogFont font;
  font.Height = -16;
  font.Weight = 700;
  font.CharSet = 134;
  block.Font = font.Bytes();
  return block.Write();
}

std::string Button(const char* normal, const char* hot, const char* disabled) {
  tmpl::PicBtnBlock block;
  block.NormalPicture = PictureFile(normal);
  if (hot) block.HotPicture = PictureFile(hot);
  if (disabled) block.DisabledPicture = PictureFile(disabled);
  return block.Write();
}

std::string TwoStateButton() {
  tmpl::PicBtnBlock block;
  block.Kind = 1;
  block.Selected = 1;
  block.NormalPicture = MakeBmp(75, 23, [](int, int) { return 0x4080C0u; });
  block.PressedPicture = MakeBmp(75, 23, [](int x, int) { return x < 4 || x > 70 ? 0x203060u : 0xE0A030u; });
  return block.Write();
}

std::string Pages() {
  tmpl::PageControlBlock block;
  block.TabPosition = 1;
  block.CurrentPage = 2;  // stored; the window engine shows the first page at loading
  tmpl::LogFont font;
  font.Height = -12;
  font.Weight = 400;
  font.CharSet = 134;
  block.Font = font.Bytes();
  block.NoTabFont = 0;
  for (const char* name : {"首页界面", "路径选择", "进度界面"}) block.Tabs.push_back({name, {}});
  return block.Write();
}

std::string Picture(const char* file) {
  tmpl::PicBoxBlock block;
  block.Picture = PictureFile(file);
  return block.Write();
}

// The installer's layout in small: a page control of three pages, each a full-size picture box;
// page 1 carries a label of each effect, a picture button in each state, a close button and a
// timer. Children come before their parents in the unit list, as in the installer's template.
// A borderless window that stays where it is put, as the installer's.
tmpl::WindowTemplate BorderlessWindow(uint32_t windowId, uint32_t unitId, RECT place, const char* caption) {
  tmpl::WindowTemplate window;
  window.id = windowId;
  tmpl::WindowBlock frame;
  frame.Border = 0;
  frame.Position = 0;
  frame.BackColour = 0x00FFCD97;
  frame.Caption = caption;
  window.units.push_back(Unit(unitId, kTypeWindow, place, 0, frame.Write()));
  return window;
}

tmpl::WindowTemplate GalleryTemplate() {
  tmpl::WindowTemplate window = BorderlessWindow(kGalleryWindow, kWindowUnit, {40, 40, 508, 352}, "Veltaro gallery");
  auto& units = window.units;
  units.push_back(Unit(kLabelPage3, kTypeTransLabel, {40, 40, 200, 30}, kPicture3, Label("第三页", 0x00535353, 0)));
  units.push_back(Unit(kPicture3, kTypePicBox, {0, 0, 506, 326}, kPages, Picture("page3.jpg")));
  units.push_back(Unit(kLabelPage2, kTypeTransLabel, {40, 40, 200, 30}, kPicture2, Label("第二页", 0x00535353, 0)));
  units.push_back(Unit(kPicture2, kTypePicBox, {0, 0, 506, 326}, kPages, Picture("page2.jpg")));
  units.push_back(Unit(kTimer, kTypeTimer, {376, 112, 40, 32}, kPicture1, std::string(), 0));
  units.push_back(Unit(kClose, kTypePicBtn, {475, 5, 24, 24}, kPicture1,
                       Button("close-normal.jpg", "close-hot.jpg", "close-disabled.jpg")));
  units.push_back(Unit(kButtonTwoState, kTypePicBtn, {350, 240, 75, 23}, kPicture1, TwoStateButton()));
  units.push_back(Unit(kButtonDisabled, kTypePicBtn, {180, 270, 152, 38}, kPicture1,
                       Button("install-normal.jpg", "install-hot.jpg", "install-disabled.jpg"),
                       tmpl::kFlagVisible | tmpl::kFlagDisabled));
  units.push_back(Unit(kButtonPressed, kTypePicBtn, {20, 270, 152, 38}, kPicture1,
                       Button("install-normal.jpg", "install-hot.jpg", "install-disabled.jpg")));
  units.push_back(Unit(kButtonHot, kTypePicBtn, {180, 225, 152, 38}, kPicture1,
                       Button("install-normal.jpg", "install-hot.jpg", "install-disabled.jpg")));
  units.push_back(Unit(kButtonNormal, kTypePicBtn, {20, 225, 152, 38}, kPicture1,
                       Button("install-normal.jpg", "install-hot.jpg", "install-disabled.jpg")));
  units.push_back(Unit(kLabelShadow, kTypeTransLabel, {260, 150, 220, 30}, kPicture1, Label("效果三 黑影", 0x000080FF, 3)));
  units.push_back(Unit(kLabelRaised, kTypeTransLabel, {20, 150, 220, 30}, kPicture1, Label("效果二 浮起", 0x00FF8800, 2)));
  units.push_back(Unit(kLabelWhite, kTypeTransLabel, {260, 110, 220, 30}, kPicture1, Label("效果一 白影", 0x00606060, 1)));
  units.push_back(Unit(kLabelPlain, kTypeTransLabel, {20, 110, 220, 30}, kPicture1, Label("效果零 许可协议", 0x00FF8800, 0)));
  units.back().cursorBlock = tmpl::MakeCursorBlock(tmpl::kCursorHand);  // a link, as the installer's
  units.push_back(Unit(kPicture1, kTypePicBox, {0, 0, 506, 326}, kPages, Picture("page1.jpg")));
  units.push_back(Unit(kPages, kTypePageControl, {1, 1, 506, 346}, 0, Pages()));

  units.back().children = {kPicture1, 0, kPicture2, 0, kPicture3};
  units.back().events = {{1, Offset(PageAsked)}, {0, Offset(PageChanged)}};
  for (tmpl::UnitTemplate& unit : units) {
    if (unit.typeCode == kTypePicBtn) unit.events = {{0, Offset(ButtonClicked)}};
    for (const tmpl::UnitTemplate& child : units)
      if (unit.typeCode == kTypePicBox && child.parent == unit.id) unit.children.push_back(child.id);
  }
  return window;
}

tmpl::WindowTemplate StripTemplate() {
  tmpl::WindowTemplate window = BorderlessWindow(kStripWindow, kStripWindowUnit, {600, 40, 260, 100}, "Veltaro tab strip");
  tmpl::PageControlBlock block;
  block.TabPosition = 0;  // along the bottom edge
  block.Prop6 = 1;        // tabs may be dragged
  block.CurrentPage = 0;
  for (const char* name : {"首页界面", "路径选择", "进度界面", "完成界面", "协议界面"}) block.Tabs.push_back({name, {}});
  window.units.push_back(Unit(kStrip, kTypePageControl, {10, 10, 200, 48}, 0, block.Write()));
  window.units.back().events = {{4, Offset(TabDropped)}};
  return window;
}

HWND Handle(uint32_t unitId, uint32_t windowId = kGalleryWindow) {
  window::LoadedWindow* window = window::WindowStore::Instance().Find(windowId);
  int unit = window ? window->UnitIndex(unitId) : -1;
  return unit < 0 ? nullptr : window->UnitHandle(static_cast<size_t>(unit));
}

// Which of the given units the screen can show (their windows and all their parents visible).
std::vector<uint32_t> Showing(std::initializer_list<uint32_t> units) {
  std::vector<uint32_t> showing;
  for (uint32_t unit : units)
    if (IsWindowVisible(Handle(unit))) showing.push_back(unit);
  return showing;
}

void SelectPage(int32_t page) { rt::SetProperty(kGalleryWindow, kPages, kPageControlProperty, -1, static_cast<uint32_t>(page), 0); }
int32_t CurrentPage() { return static_cast<int32_t>(rt::GetProperty(kGalleryWindow, kPages, kPageControlProperty, -1)); }

class PagesWithEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string region = tmpl::WriteRegion({GalleryTemplate(), StripTemplate()});
    ASSERT_TRUE(window::Engine.loadTemplates(reinterpret_cast<const uint8_t*>(region.data()), region.size(), 0));
    ASSERT_TRUE(window::Engine.openWindow(kGalleryWindow));
    Pump(100);
  }
  void SetUp() override {
    ASSERT_NE(Handle(kWindowUnit), nullptr);
    refusedPage = -1;
    if (CurrentPage() != 0) SelectPage(0);
    MouseMoveTo(700, 600);
    RoutineLog().clear();
  }
  // A unit's client area as the screen shows it, against a decoded installer picture.
  static int WrongPixels(uint32_t unit, const char* pictureFile) {
    Image shown = CaptureClient(Handle(unit));
    Image expected = DecodeJpeg(PictureFile(pictureFile));
    if (shown.width != expected.width || shown.height != expected.height) return -1;
    int wrong = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) wrong += shown.pixels[i] != expected.pixels[i];
    return wrong;
  }
  static POINT Centre(uint32_t unit) {
    RECT r;
    GetWindowRect(Handle(unit), &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

using Units = std::vector<uint32_t>;
using Lines = std::vector<std::string>;

}  // namespace

TEST_F(PagesWithEngineTest, EachPageShowsExactlyItsOwnUnits) {
  const auto all = {kPicture1, kLabelPlain, kButtonNormal, kClose, kPicture2, kLabelPage2, kPicture3, kLabelPage3, kTimer};
  EXPECT_EQ(Showing(all), (Units{kPicture1, kLabelPlain, kButtonNormal, kClose}));
  SelectPage(2);
  EXPECT_EQ(RoutineLog(), (Lines{"ask 2", "changed"}));
  EXPECT_EQ(Showing(all), (Units{kPicture3, kLabelPage3}));
  SelectPage(1);
  EXPECT_EQ(Showing(all), (Units{kPicture2, kLabelPage2}));
  SaveArtifact(CaptureClient(Handle(kWindowUnit)), "engine-gallery-page2");

  RoutineLog().clear();
  refusedPage = 0;
  SelectPage(0);
  EXPECT_EQ(RoutineLog(), Lines{"ask 0"});
  EXPECT_EQ(CurrentPage(), 1);
  EXPECT_EQ(Showing(all), (Units{kPicture2, kLabelPage2}));

  RoutineLog().clear();
  SelectPage(1);
  EXPECT_TRUE(RoutineLog().empty()) << "the current page again";
  EXPECT_EQ(rt::GetProperty(kGalleryWindow, kPages, 8 + 51, -1), 20u) << "the page area starts below the strip";
}

TEST_F(PagesWithEngineTest, GalleryOfEveryClassAndButtonState) {
  EXPECT_EQ(WrongPixels(kButtonNormal, "install-normal.jpg"), 0);
  EXPECT_EQ(WrongPixels(kButtonDisabled, "install-disabled.jpg"), 0) << "disabled in the template";
  EXPECT_EQ(WrongPixels(kClose, "close-normal.jpg"), 0);
  SaveArtifact(CaptureClient(Handle(kWindowUnit)), "engine-gallery-normal");

  POINT hot = Centre(kButtonHot);
  MouseMoveTo(hot.x, hot.y);
  EXPECT_EQ(WrongPixels(kButtonHot, "install-hot.jpg"), 0);
  SaveArtifact(CaptureClient(Handle(kWindowUnit)), "engine-gallery-hot");

  POINT pressed = Centre(kButtonPressed);
  MouseMoveTo(pressed.x, pressed.y);
  MouseButton(true);
  EXPECT_EQ(WrongPixels(kButtonPressed, "install-normal.jpg"), 0) << "no pressed picture: the normal one";
  SaveArtifact(CaptureClient(Handle(kWindowUnit)), "engine-gallery-pressed");
  MouseButton(false);
  EXPECT_EQ(RoutineLog(), Lines{"click 16010022"});

  POINT twoState = Centre(kButtonTwoState);
  ClickAt(twoState.x, twoState.y);
  EXPECT_EQ(rt::GetProperty(kGalleryWindow, kButtonTwoState, 8 + 1, -1), 0u) << "selected in the template, now not";
  SaveArtifact(CaptureClient(Handle(kWindowUnit)), "engine-gallery-two-state-released");
  EXPECT_FALSE(IsWindowVisible(Handle(kTimer)));
}

// The executable's own scroll-button bitmap and hand cursor serve the tab strip.
TEST_F(PagesWithEngineTest, TabStripUsesTheExecutablesScrollButtonsAndHandCursor) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HBITMAP cells = static_cast<HBITMAP>(LoadImageA(module, "KQR3_IDB_SCROLLBTNS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(cells, nullptr) << "the test carries the installer's resources";
  BITMAP info;
  GetObjectA(cells, sizeof info, &info);
  HDC cellsDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(cellsDc, cells);
  const int cell = info.bmWidth / 8;
  COLORREF rightNormalCentre = GetPixel(cellsDc, 4 * cell + cell / 2, info.bmHeight / 2);
  SelectObject(cellsDc, old);
  DeleteDC(cellsDc);
  DeleteObject(cells);

  ASSERT_TRUE(window::Engine.openWindow(kStripWindow));
  Pump(100);
  auto* strip = static_cast<widgetlib3::PageControl*>(rt::FrameworkWindow::FromHandle(Handle(kStrip, kStripWindow)));
  ASSERT_NE(strip, nullptr);
  HWND right = GetDlgItem(strip->Handle(), widgetlib3::kScrollRightId);
  ASSERT_TRUE(IsWindowVisible(right));
  Image button = CaptureClient(right);
  SaveArtifact(CaptureClient(strip->Handle()), "engine-tab-strip-scroll-buttons");
  uint32_t expected = Rgb(GetRValue(rightNormalCentre), GetGValue(rightNormalCentre), GetBValue(rightNormalCentre));
  EXPECT_LE(ColourDistance(button.At(button.width / 2, button.height / 2), expected), 48);

  const RECT& tab = static_cast<widgetlib3::PageControl*>(strip)->State().tabRects[0];
  POINT onTab = ScreenPoint(strip->Handle(), (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  MouseMoveTo(onTab.x, onTab.y);
  EXPECT_EQ(GetCursor(), LoadCursorA(module, "KQR3_IDC_HANDCUR"));
}

// The current page's tab dragged over another tab shows the executable's dragging cursor,
// anywhere else its no-dragging cursor; dropped on a tab it raises event 4 with that tab, and
// the pages stay where they are.
TEST_F(PagesWithEngineTest, DraggingATabShowsTheDragCursorsAndReportsTheDrop) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HCURSOR dragging = LoadCursorA(module, "KQR3_IDC_DRAGGING"), refused = LoadCursorA(module, "KQR3_IDC_NODRAGGING");
  ASSERT_TRUE(dragging && refused && dragging != refused) << "the test carries the installer's resources";
  ASSERT_TRUE(window::Engine.openWindow(kStripWindow));
  Pump(100);
  auto* strip = static_cast<widgetlib3::PageControl*>(rt::FrameworkWindow::FromHandle(Handle(kStrip, kStripWindow)));
  ASSERT_NE(strip, nullptr);
  auto centre = [&](int tab) {
    const RECT& r = strip->State().tabRects[tab];
    return ScreenPoint(strip->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  // Presses at `from`, moves over `over` and on to `to`, releases there; the cursors over both.
  auto drag = [&](POINT from, POINT over, POINT to) {
    MouseMoveTo(from.x, from.y);
    MouseButton(true);
    MouseMoveTo(over.x, over.y);
    std::pair<HCURSOR, HCURSOR> seen{GetCursor(), nullptr};
    MouseMoveTo(to.x, to.y);
    seen.second = GetCursor();
    MouseButton(false);
    return seen;
  };
  RoutineLog().clear();
  const POINT page = ScreenPoint(strip->Handle(), 100, 10);
  EXPECT_EQ(drag(centre(0), page, centre(1)), std::make_pair(refused, dragging)) << "over the page, then over tab 1";
  EXPECT_EQ(RoutineLog(), Lines{"dropped on 1"});
  EXPECT_EQ(strip->CurrentPage(), 0);
  EXPECT_EQ(strip->State().stored.Tabs[0].Name, "首页界面") << "the control reorders nothing itself";
  EXPECT_EQ(GetCapture(), nullptr);

  RoutineLog().clear();
  const POINT own = centre(0);
  // Pressed again at once: the second press of a double click starts a drag too.
  EXPECT_EQ(drag(own, centre(1), {own.x + 12, own.y}).second, refused) << "back on its own tab";
  EXPECT_EQ(RoutineLog(), Lines{}) << "dropped on its own tab: nothing";
  const POINT other = centre(1);
  MouseMoveTo(other.x, other.y);
  EXPECT_EQ(GetCursor(), LoadCursorA(module, "KQR3_IDC_HANDCUR")) << "after a drag, the tab strip's own cursor";
}

// A link label asks for the hand (32649): it comes from the program's own cursor 1032, not the
// system's; a label without a cursor of its own keeps the class arrow.
TEST_F(PagesWithEngineTest, ALinkLabelShowsTheProgramsOwnHandCursor) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HCURSOR own = LoadCursorA(module, MAKEINTRESOURCEA(1032));
  ASSERT_NE(own, nullptr) << "the test carries the installer's resources";
  ASSERT_NE(own, LoadCursorA(nullptr, IDC_HAND));
  POINT link = Centre(kLabelPlain);
  MouseMoveTo(link.x, link.y);
  EXPECT_EQ(GetCursor(), own);
  POINT plain = Centre(kLabelWhite);
  MouseMoveTo(plain.x, plain.y);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

int main(int argc, char** argv) {
  rt::MiscService(6);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
