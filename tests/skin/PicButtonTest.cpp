// `_QZ_RgnButton` on real windows with real mouse input: the picture shown in each state, the
// clicks it reports, and the colour-key region.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestSupport.h"
#include "window/PicButton.h"
#include "window/template/PropertyBlocks.h"

using namespace skintest;

namespace {

constexpr uint32_t kUnit = 0x16010007;
constexpr int kWidth = 60, kHeight = 40;
constexpr uint32_t kBlue = 0x0000FF, kGreen = 0x00FF00, kRed = 0xFF0000, kGrey = 0x808080;

std::string Solid(uint32_t rgb) { return MakeBmp(kWidth, kHeight, [rgb](int, int) { return rgb; }); }

class PicButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingEngine();
    SetWindowBackColour(kNoWindow);
    host_ = SharedHost();
    MouseMoveTo(600, 600);  // away from every window of the test
    ClearRecords();
  }
  void TearDown() override {
    StopAnswering();
    ClearHost();
  }

  window::PicButton* Create(const tmpl::PicBtnBlock& block, DWORD style = WS_VISIBLE) {
    std::string bytes = block.Write();
    auto create = reinterpret_cast<rt::UnitCreate>(window::PicBtnUnitInterface(rt::kUnitCreate));
    auto* button = static_cast<window::PicButton*>(create(MakeCreateArgs(host_, bytes, 20, 20, kWidth, kHeight, kUnit, style)));
    if (button) UpdateWindow(button->Handle());
    return button;
  }
  // The colour the screen shows in the middle of the button, away from its region's edges.
  static uint32_t Shown(window::PicButton* button, const char* artifact = nullptr) {
    Image image = CaptureClient(button->Handle());
    if (artifact) SaveArtifact(image, artifact);
    return image.At(45, 20);
  }
  // Moves onto the button from outside the host, so that a move is seen even when the pointer
  // already was at that spot.
  static void Hover(window::PicButton* button, int x = 45, int y = 20) {
    if (GetCapture() == nullptr) MouseMoveTo(600, 600);
    POINT at = ScreenPoint(button->Handle(), x, y);
    MouseMoveTo(at.x, at.y);
  }
  static int32_t Selected(window::PicButton* button) {
    rt::PropertyData value;
    auto get = reinterpret_cast<rt::UnitGetProperty>(window::PicBtnUnitInterface(rt::kUnitGetProperty));
    EXPECT_TRUE(get(button, 1, value));
    return static_cast<int32_t>(value.number);
  }
  static size_t Clicks() {
    size_t clicks = 0;
    for (const RaisedEvent& e : Events()) clicks += e.unitId == kUnit && e.event == 0 && e.args.empty();
    return clicks;
  }

  HWND host_ = nullptr;
};

}  // namespace

TEST_F(PicButtonTest, PushButtonWithoutHotOrPressedPicturesKeepsItsNormalOne) {
  tmpl::PicBtnBlock block;
  block.NormalPicture = Solid(kBlue);
  window::PicButton* button = Create(block);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(Shown(button), kBlue);
  Hover(button);
  EXPECT_EQ(button->State().visual, window::kVisualHot);
  EXPECT_EQ(Shown(button), kBlue) << "hovered";
  MouseButton(true);
  EXPECT_EQ(button->State().visual, window::kVisualPressed);
  EXPECT_EQ(Shown(button), kBlue) << "pressed";
  EXPECT_EQ(Clicks(), 0u);
  MouseButton(false);
  EXPECT_EQ(Clicks(), 1u);
  EXPECT_EQ(Shown(button), kBlue);
}

TEST_F(PicButtonTest, PushButtonShowsHotAndPressedAndClicksOnlyWhenReleasedInside) {
  tmpl::PicBtnBlock block;
  block.NormalPicture = Solid(kBlue);
  block.HotPicture = Solid(kGreen);
  block.PressedPicture = Solid(kRed);
  window::PicButton* button = Create(block);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(Shown(button, "picbtn-normal"), kBlue);
  Hover(button);
  EXPECT_EQ(Shown(button, "picbtn-hot"), kGreen);
  MouseButton(true);
  EXPECT_EQ(Shown(button, "picbtn-pressed"), kRed);
  // Dragged off with the button held: normal; back on: pressed again.
  MouseMoveTo(250, 250);
  EXPECT_EQ(Shown(button), kBlue);
  Hover(button);
  EXPECT_EQ(Shown(button), kRed);
  MouseMoveTo(250, 250);
  MouseButton(false);
  EXPECT_EQ(Clicks(), 0u) << "released outside";
  EXPECT_EQ(Shown(button), kBlue);
  EXPECT_NE(GetCapture(), button->Handle());
  // A whole click inside.
  Hover(button);
  MouseButton(true);
  MouseButton(false);
  EXPECT_EQ(Clicks(), 1u);
  // Leaving with no button held lets the mouse go.
  MouseMoveTo(250, 250);
  EXPECT_EQ(Shown(button), kBlue);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PicButtonTest, DisabledButtonShowsItsDisabledPictureOrElseTheNormalOne) {
  tmpl::PicBtnBlock block;
  block.NormalPicture = Solid(kBlue);
  block.HotPicture = Solid(kGreen);
  block.DisabledPicture = Solid(kGrey);
  window::PicButton* button = Create(block, WS_VISIBLE | WS_DISABLED);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(Shown(button, "picbtn-disabled"), kGrey);
  Hover(button);
  MouseButton(true);
  MouseButton(false);
  EXPECT_EQ(Clicks(), 0u);
  EnableWindow(button->Handle(), TRUE);
  EXPECT_EQ(Shown(button), kBlue) << "enabled again";
  DestroyWindow(button->Handle());

  tmpl::PicBtnBlock plain;
  plain.NormalPicture = Solid(kBlue);
  plain.HotPicture = Solid(kGreen);
  window::PicButton* other = Create(plain);
  ASSERT_NE(other, nullptr);
  Hover(other);
  EXPECT_EQ(Shown(other), kGreen);
  EnableWindow(other->Handle(), FALSE);
  EXPECT_EQ(Shown(other), kBlue) << "disabled without a disabled picture";
}

TEST_F(PicButtonTest, TwoStateButtonTogglesAndReportsEveryClick) {
  tmpl::PicBtnBlock block;
  block.Kind = 1;
  block.NormalPicture = Solid(kBlue);
  block.HotPicture = Solid(kGreen);
  block.PressedPicture = Solid(kRed);
  window::PicButton* button = Create(block);
  ASSERT_NE(button, nullptr);
  Hover(button);
  EXPECT_EQ(Shown(button), kBlue) << "a two-state button has no hot look";
  MouseButton(true);
  EXPECT_EQ(Shown(button), kBlue) << "nor a pressed one before the release";
  MouseButton(false);
  EXPECT_EQ(Selected(button), 1);
  EXPECT_EQ(Shown(button, "picbtn-two-state-selected"), kRed);
  EXPECT_EQ(Clicks(), 1u);
  MouseButton(true);
  MouseButton(false);
  EXPECT_EQ(Selected(button), 0);
  EXPECT_EQ(Shown(button), kBlue);
  EXPECT_EQ(Clicks(), 2u);
  // Selected written from outside shows at once, without a click.
  auto set = reinterpret_cast<rt::UnitSetProperty>(window::PicBtnUnitInterface(rt::kUnitSetProperty));
  rt::PropertyData one;
  one.number = 1;
  set(button, 1, one);
  EXPECT_EQ(Shown(button), kRed);
  EXPECT_EQ(Clicks(), 2u);
}

TEST_F(PicButtonTest, ColourKeyRegionLetsClicksThroughItsKeyPixelsOnly) {
  const uint32_t magenta = 0xFF00FF;
  tmpl::PicBtnBlock block;
  block.NormalPicture = MakeBmp(kWidth, kHeight, [&](int x, int) { return x < 30 ? magenta : kBlue; });
  block.TransparentColour = 0x00FF00FF;
  window::PicButton* button = Create(block);
  ASSERT_NE(button, nullptr);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(button->Handle(), region), ERROR);
  RECT box;
  GetRgnBox(region, &box);
  EXPECT_EQ(box.left, 30);
  EXPECT_EQ(box.right, kWidth);
  EXPECT_EQ(box.bottom, kHeight);
  DeleteObject(region);

  POINT key = ScreenPoint(button->Handle(), 10, 20);
  ClickAt(key.x, key.y);
  EXPECT_EQ(Clicks(), 0u);
  EXPECT_EQ(ParentPresses(), 1) << "the press went to the window behind";
  POINT solid = ScreenPoint(button->Handle(), 45, 20);
  ClickAt(solid.x, solid.y);
  EXPECT_EQ(Clicks(), 1u);
  EXPECT_EQ(ParentPresses(), 1);

  block.TransparentColour = 0xFF000000;
  window::PicButton* plain = Create(block);
  ASSERT_NE(plain, nullptr);
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(plain->Handle(), none), ERROR) << "no region: the button stays rectangular";
  DeleteObject(none);
}

TEST(RegionFromBitmap, CoversExactlyTheNonKeyPixelsAcrossManyChunks) {
  // A checkerboard of 3-pixel cells gives each row about 17 runs: some 1,000 rectangles in all.
  const int width = 100, height = 60;
  auto cell = [](int x, int y) { return (x / 3 + y / 3) % 2 == 0; };
  std::string bmp = MakeBmp(width, height, [&](int x, int y) { return cell(x, y) ? 0x00FF00u : 0x102030u; });
  window::Picture picture;
  ASSERT_TRUE(picture.Decode(bmp, 0));
  rt::gdi::Region region = window::RegionFromBitmap(picture.Bitmap(), RGB(0, 255, 0));
  ASSERT_TRUE(region);
  int wrong = 0;
  for (int y = -1; y <= height; ++y)
    for (int x = -1; x <= width; ++x) {
      bool inside = x >= 0 && y >= 0 && x < width && y < height && !cell(x, y);
      wrong += (PtInRegion(region.get(), x, y) != FALSE) != inside;
    }
  EXPECT_EQ(wrong, 0);
  std::string allKey = MakeBmp(8, 8, [](int, int) { return 0x00FF00u; });
  ASSERT_TRUE(picture.Decode(allKey, 0));
  EXPECT_FALSE(window::RegionFromBitmap(picture.Bitmap(), RGB(0, 255, 0))) << "all key: no region at all";
}

TEST_F(PicButtonTest, PngPicturesBlendOverTheWindowsBackColour) {
  tmpl::PicBtnBlock block;
  block.NormalPicture = MakePng(kWidth, kHeight, [](int, int) { return 0x000000FFu; });  // fully transparent
  SetWindowBackColour(0x000000FF);                                                      // red window
  window::PicButton* onRed = Create(block);
  ASSERT_NE(onRed, nullptr);
  EXPECT_EQ(Shown(onRed), kRed);
  DestroyWindow(onRed->Handle());
  SetWindowBackColour(kNoWindow);
  window::PicButton* alone = Create(block);
  ASSERT_NE(alone, nullptr);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(Shown(alone), Rgb(GetRValue(face), GetGValue(face), GetBValue(face))) << "no window: button face";
}
