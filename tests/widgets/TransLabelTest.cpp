// `TransLabel` over real picture boxes: what shows through, what its effects draw, and how its
// properties are kept.
#include <gtest/gtest.h>

#include "runtime/Runtime.h"
#include "tests/skin/SkinTestSupport.h"
#include "window/PicBox.h"
#include "window/TransLabel.h"
#include "window/WidgetLib1.h"
#include "window/template/PropertyBlocks.h"

using namespace skintest;

namespace {

constexpr uint32_t kLabelUnit = 0x16010027;

uint32_t Detail(int x, int y) {
  return Rgb(static_cast<uint8_t>(x * 255 / 299), static_cast<uint8_t>(y * 2), static_cast<uint8_t>((x / 6 + y / 6) % 2 * 220));
}

class TransLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingEngine();
    widgetlib1::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&rt::RuntimeNotify)), 0);
    host_ = SharedHost();
    picture_ = MakeJpeg(300, 100, Detail);
  }
  void TearDown() override { ClearHost(); }

  // A picture box with the detailed picture, or plain white without one.
  HWND Box(int top, bool withPicture = true) {
    tmpl::PicBoxBlock block;
    if (withPicture) block.Picture = picture_;
    block.BackColour = 0x00FFFFFF;
    std::string bytes = block.Write();
    auto create = reinterpret_cast<rt::UnitCreate>(window::PicBoxUnitInterface(rt::kUnitCreate));
    rt::UnitObject* box = create(MakeCreateArgs(host_, bytes, 0, top, 300, 100, 0x16010004));
    return box ? box->Handle() : nullptr;
  }
  static widgetlib1::TransLabel* Label(HWND parent, const tmpl::TransLabelBlock& block, int left = 20, int top = 30,
                                       int width = 200, int height = 40) {
    std::string bytes = block.Write();
    auto create = reinterpret_cast<rt::UnitCreate>(widgetlib1::TransLabelUnitInterface(rt::kUnitCreate));
    return static_cast<widgetlib1::TransLabel*>(create(MakeCreateArgs(parent, bytes, left, top, width, height, kLabelUnit)));
  }
  static void Set(widgetlib1::TransLabel* label, int32_t k, int64_t number, const std::string& bytes = {}) {
    auto set = reinterpret_cast<rt::UnitSetProperty>(widgetlib1::TransLabelUnitInterface(rt::kUnitSetProperty));
    rt::PropertyData value;
    value.number = number;
    value.bytes = bytes;
    EXPECT_EQ(set(label, k, value), 0);
  }
  static rt::PropertyData Get(widgetlib1::TransLabel* label, int32_t k) {
    auto get = reinterpret_cast<rt::UnitGetProperty>(widgetlib1::TransLabelUnitInterface(rt::kUnitGetProperty));
    rt::PropertyData value;
    EXPECT_TRUE(get(label, k, value));
    return value;
  }
  static int Differences(const Image& a, const Image& b) {
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
    return count;
  }
  static std::string BigFont() {
    tmpl::LogFont font;
    font.Height = -28;
    font.Weight = 700;
    font.CharSet = 134;
    return font.Bytes();
  }

  HWND host_ = nullptr;
  std::string picture_;
};

}  // namespace

TEST_F(TransLabelTest, EmptyCaptionLeavesTheBackgroundUntouched) {
  HWND box = Box(0);
  Image before = CaptureClient(box);
  tmpl::TransLabelBlock block;
  block.Caption.clear();
  block.Effect = 3;
  widgetlib1::TransLabel* label = Label(box, block);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(Differences(CaptureClient(box), before), 0);
  // Text, then no text again: the picture comes back whole.
  Set(label, 0, 0, "Label");
  EXPECT_GT(Differences(CaptureClient(box), before), 0);
  Set(label, 0, 0, "");
  EXPECT_EQ(Differences(CaptureClient(box), before), 0);
}

TEST_F(TransLabelTest, AfterACaptionChangeThePictureShowsBetweenTheLetters) {
  HWND changed = Box(0);
  HWND reference = Box(110);
  tmpl::TransLabelBlock block;
  block.Font = BigFont();
  block.TextColour = 0x000000FF;
  block.Caption = "WWWWWWW";
  widgetlib1::TransLabel* label = Label(changed, block);
  block.Caption = "i  i";
  ASSERT_NE(Label(reference, block), nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_GT(Differences(CaptureClient(changed), CaptureClient(reference)), 100) << "the two captions must look different";
  Set(label, 0, 0, "i  i");
  Image shown = CaptureClient(changed);
  SaveArtifact(shown, "translabel-after-caption-change");
  EXPECT_EQ(Differences(shown, CaptureClient(reference)), 0);
  // Moved away: where it stood, only the picture remains.
  ShowWindow(GetWindow(reference, GW_CHILD), SW_HIDE);
  Image bare = CaptureClient(reference);
  SetWindowPos(label->Handle(), nullptr, 20, 75, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  shown = CaptureClient(changed);
  int wrong = 0;
  for (int y = 30; y < 70; ++y)
    for (int x = 20; x < 220; ++x) wrong += shown.At(x, y) != bare.At(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(TransLabelTest, EffectThreeDrawsABlackCopyTwoPixelsDownAndRight) {
  HWND plainBox = Box(0, false);
  HWND effectBox = Box(110, false);
  tmpl::TransLabelBlock block;
  block.Font = BigFont();
  block.TextColour = 0x000000FF;  // red
  block.Caption = "Hg#";
  block.HAlign = 0;
  block.VAlign = 0;
  ASSERT_NE(Label(plainBox, block), nullptr);
  block.Effect = 3;
  ASSERT_NE(Label(effectBox, block), nullptr);
  Image plain = CaptureClient(plainBox);
  Image effect = CaptureClient(effectBox);
  SaveArtifact(effect, "translabel-effect3");
  const uint32_t red = 0xFF0000, white = 0xFFFFFF;
  int textPixels = 0, shadowPixels = 0, wrong = 0;
  for (int y = 0; y + 2 < plain.height; ++y)
    for (int x = 0; x + 2 < plain.width; ++x) {
      if (plain.At(x, y) != red) continue;
      ++textPixels;
      wrong += effect.At(x, y) != red;  // the text itself lies on top, in place
      if (plain.At(x + 2, y + 2) != white) continue;
      ++shadowPixels;
      wrong += effect.At(x + 2, y + 2) != 0;  // its shadow shows where the text does not reach
    }
  EXPECT_GT(textPixels, 50);
  EXPECT_GT(shadowPixels, 10);
  EXPECT_EQ(wrong, 0);
}

TEST_F(TransLabelTest, AlignsAndClampsItsChoices) {
  HWND box = Box(0, false);
  tmpl::TransLabelBlock block;
  block.Caption = "%";
  block.TextColour = 0x00535353;
  block.HAlign = 2;  // right, as the installer's percentage label
  widgetlib1::TransLabel* label = Label(box, block, 0, 0, 200, 40);
  ASSERT_NE(label, nullptr);
  Image shown = CaptureClient(box);
  int leftmost = 200, top = 40, bottom = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (shown.At(x, y) != 0xFFFFFF) leftmost = std::min(leftmost, x), top = std::min(top, y), bottom = std::max(bottom, y);
  EXPECT_GT(leftmost, 180) << "right-aligned";
  EXPECT_GT(top, 5) << "vertically centred";
  EXPECT_LT(bottom, 35);

  const struct {
    int32_t k;
    int64_t written, read;
  } clamps[] = {{1, 9, 3}, {1, -4, 0}, {4, 7, 2}, {4, -1, 0}, {6, 3, 2}, {6, 1, 1}, {5, 1, 1}, {5, 7, 0}};
  for (const auto& c : clamps) {
    Set(label, c.k, c.written);
    EXPECT_EQ(Get(label, c.k).number, c.read) << "property " << c.k << " written " << c.written;
  }
}

TEST_F(TransLabelTest, KeepsItsBlockAndNamesItsTexts) {
  HWND box = Box(0, false);
  // The installer's percentage label, byte for byte.
  const std::string stored("\x01\0\0\0\0\0\0\0\x53\x53\x53\0\x02\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0%", 33);
  auto create = reinterpret_cast<rt::UnitCreate>(widgetlib1::TransLabelUnitInterface(rt::kUnitCreate));
  auto* label = static_cast<widgetlib1::TransLabel*>(create(MakeCreateArgs(box, stored, 0, 0, 80, 20, kLabelUnit)));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->WriteBlock(), stored);
  EXPECT_EQ(Get(label, 0).bytes, "%");
  EXPECT_EQ(Get(label, 3).number, 0x535353);

  Set(label, 2, 0, BigFont());
  std::vector<std::string> texts;
  auto enumerate = reinterpret_cast<rt::UnitEnumerateTexts>(widgetlib1::TransLabelUnitInterface(rt::kUnitEnumerateTexts));
  ASSERT_NE(enumerate, nullptr);
  tmpl::LogFont font;
  font.Height = -12;
  font.FaceName = "\xCB\xCE\xCC\xE5";  // 宋体
  Set(label, 2, 0, font.Bytes());
  enumerate(label, [](const char* text, void* list) { static_cast<std::vector<std::string>*>(list)->push_back(text); }, &texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"%", "\xCB\xCE\xCC\xE5"}));
  Set(label, 2, 0, "");  // back to the default GUI font: no face name to name
  texts.clear();
  enumerate(label, [](const char* text, void* list) { static_cast<std::vector<std::string>*>(list)->push_back(text); }, &texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"%"}));

  std::string newer = stored;
  newer[0] = 2;  // a version this label does not know
  EXPECT_EQ(create(MakeCreateArgs(box, newer, 0, 0, 80, 20, kLabelUnit)), nullptr);
}
