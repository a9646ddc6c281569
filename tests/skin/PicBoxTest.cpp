// `_QZ_PicBox` on real windows: what the screen shows for each display mode, for a PNG's alpha
// and for the borders.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestSupport.h"
#include "window/PicBox.h"
#include "window/template/PropertyBlocks.h"

using namespace skintest;

namespace {

class PicBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingEngine();
    host_ = SharedHost();
  }
  void TearDown() override { ClearHost(); }

  window::PicBox* Create(const tmpl::PicBoxBlock& block, int width, int height) {
    std::string bytes = block.Write();
    auto create = reinterpret_cast<rt::UnitCreate>(window::PicBoxUnitInterface(rt::kUnitCreate));
    auto* box = static_cast<window::PicBox*>(create(MakeCreateArgs(host_, bytes, 0, 0, width, height, 0x16010004)));
    if (box) UpdateWindow(box->Handle());
    return box;
  }
  static void Set(window::PicBox* box, int32_t k, int64_t number, const std::string& bytes = {}) {
    auto set = reinterpret_cast<rt::UnitSetProperty>(window::PicBoxUnitInterface(rt::kUnitSetProperty));
    rt::PropertyData value;
    value.number = number;
    value.bytes = bytes;
    EXPECT_EQ(set(box, k, value), 0);
  }

  HWND host_ = nullptr;
};

// A picture with detail everywhere, so that any shift or scaling shows.
uint32_t Detail(int x, int y) {
  return Rgb(static_cast<uint8_t>(x * 255 / 505), static_cast<uint8_t>(y * 255 / 325), static_cast<uint8_t>((x / 8 + y / 8) % 2 * 200));
}

}  // namespace

TEST_F(PicBoxTest, JpegOfTheBoxSizeFillsItExactlyInModeZero) {
  std::string jpeg = MakeJpeg(506, 326, Detail);
  Image expected = DecodeJpeg(jpeg);
  tmpl::PicBoxBlock block;
  block.Picture = jpeg;
  block.BackColour = 0x00FF00FF;  // must not show anywhere
  window::PicBox* box = Create(block, 506, 326);
  ASSERT_NE(box, nullptr);
  Image shown = CaptureClient(box->Handle());
  ASSERT_EQ(shown.width, 506);
  ASSERT_EQ(shown.height, 326);
  int wrong = 0;
  for (int y = 0; y < 326; ++y)
    for (int x = 0; x < 506; ++x)
      if (shown.At(x, y) != expected.At(x, y) && wrong++ < 5) ADD_FAILURE() << "pixel " << x << "," << y;
  EXPECT_EQ(wrong, 0);
  SaveArtifact(CaptureClient(host_), "picbox-jpeg-mode0");
}

TEST_F(PicBoxTest, DisplayModesPlaceAndScaleThePicture) {
  std::string small = MakeBmp(100, 50, [](int x, int y) { return Quadrants(x, y, 100, 50); });
  std::string wide = MakeBmp(400, 100, [](int x, int y) { return Quadrants(x, y, 400, 100); });
  tmpl::PicBoxBlock block;
  block.Picture = small;
  block.BackColour = 0x00FFFFFF;
  window::PicBox* box = Create(block, 200, 200);
  ASSERT_NE(box, nullptr);
  const uint32_t red = 0xFF0000, green = 0x00FF00, yellow = 0xFFFF00, blue = 0x0000FF, white = 0xFFFFFF;
  struct Probe {
    int x, y;
    uint32_t colour;
  };
  struct Case {
    const char* name;
    int32_t mode;
    const std::string* picture;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      // Own size at the top-left corner.
      {"mode0", 0, &small, {{10, 10, red}, {60, 10, green}, {99, 49, yellow}, {10, 45, blue}, {100, 10, white}, {10, 50, white}}},
      // Stretched over the whole box.
      {"mode1", 1, &small, {{50, 50, red}, {150, 50, green}, {150, 150, yellow}, {50, 150, blue}}},
      // Fits: centred at its own size, (50, 75) to (150, 125).
      {"mode2-fits", 2, &small, {{48, 100, white}, {52, 77, red}, {148, 77, green}, {148, 123, yellow}, {100, 73, white}, {100, 127, white}}},
      // Too wide: scaled by one half to 200 x 50 and centred, rows 75 to 125.
      {"mode2-scaled", 2, &wide, {{100, 72, white}, {10, 80, red}, {190, 80, green}, {190, 120, yellow}, {10, 120, blue}, {100, 128, white}}},
  };
  for (const Case& c : cases) {
    Set(box, 2, 0, *c.picture);
    Set(box, 3, c.mode);
    Image shown = CaptureClient(box->Handle());
    SaveArtifact(shown, std::string("picbox-") + c.name);
    for (const Probe& p : c.probes)
      EXPECT_LE(ColourDistance(shown.At(p.x, p.y), p.colour), c.mode == 0 ? 0 : 24)
          << c.name << " at " << p.x << "," << p.y << " shows " << std::hex << shown.At(p.x, p.y);
  }
}

TEST_F(PicBoxTest, PngAlphaShowsTheBackColourThroughAndFollowsItsChanges) {
  tmpl::PicBoxBlock block;
  block.Picture = MakePng(40, 40, [](int, int) { return 0x800000FFu; });  // half-transparent blue
  block.BackColour = 0x000000FF;                                        // red (COLORREF)
  window::PicBox* box = Create(block, 80, 80);
  ASSERT_NE(box, nullptr);
  Image shown = CaptureClient(box->Handle());
  EXPECT_LE(ColourDistance(shown.At(20, 20), Rgb(127, 0, 128)), 2) << std::hex << shown.At(20, 20);
  EXPECT_EQ(shown.At(60, 60), 0xFF0000u) << "back colour outside the picture";
  Set(box, 1, 0x0000FF00);  // green behind
  shown = CaptureClient(box->Handle());
  EXPECT_LE(ColourDistance(shown.At(20, 20), Rgb(0, 127, 128)), 2) << std::hex << shown.At(20, 20);
  EXPECT_EQ(shown.At(60, 60), 0x00FF00u);
}

TEST_F(PicBoxTest, BordersTakeTheirWidthFromTheClientArea) {
  tmpl::PicBoxBlock block;
  block.Border = 1;  // sunken: the client edge, two pixels
  window::PicBox* box = Create(block, 100, 60);
  ASSERT_NE(box, nullptr);
  auto clientWidth = [&] {
    RECT client;
    GetClientRect(box->Handle(), &client);
    return client.right;
  };
  EXPECT_EQ(clientWidth(), 96);
  Set(box, 0, 5);  // single line
  EXPECT_EQ(clientWidth(), 98);
  Set(box, 0, 0);
  EXPECT_EQ(clientWidth(), 100);
  rt::PropertyData value;
  auto get = reinterpret_cast<rt::UnitGetProperty>(window::PicBoxUnitInterface(rt::kUnitGetProperty));
  ASSERT_TRUE(get(box, 0, value));
  EXPECT_EQ(value.number, 0);
}
