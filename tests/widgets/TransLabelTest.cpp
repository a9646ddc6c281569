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

  // A picture box with the detailed picture, or plain (white unless told) without one.
  HWND Box(int top, bool withPicture = true, uint32_t backColour = 0x00FFFFFF) {
    tmpl::PicBoxBlock block;
    if (withPicture) block.Picture = picture_;
    block.BackColour = backColour;
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

// The installer changes its percentage label while it unpacks, taking no messages from the queue
// meanwhile: the change is on screen at once, painted over the restored picture.
TEST_F(TransLabelTest, ACaptionChangeIsPaintedWithoutWaitingForTheQueue) {
  HWND changed = Box(0);
  HWND reference = Box(110);
  tmpl::TransLabelBlock block;
  block.Font = BigFont();
  block.Caption = "10 %";
  widgetlib1::TransLabel* label = Label(changed, block);
  block.Caption = "99 %";
  ASSERT_NE(Label(reference, block), nullptr);
  ASSERT_NE(label, nullptr);
  Image expected = CaptureClient(reference);
  EXPECT_GT(Differences(CaptureClient(changed), expected), 100) << "the two captions must look different";
  Set(label, 0, 0, "99 %");
  EXPECT_EQ(Differences(CaptureClientAsPainted(changed), expected), 0);
}

// Each effect draws a copy in another colour first, then the text, one of them moved one or two
// pixels down and right: the text lies on top, the copy shows where the text does not reach.
TEST_F(TransLabelTest, EachEffectDrawsItsCopyUnderTheText) {
  const struct {
    int32_t effect;
    uint32_t copyColour;  // 0xRRGGBB as captured
    int copyOffset, textOffset;
  } effects[] = {{1, 0xFFFFFF, 1, 0}, {2, 0xFFFFFF, 0, 1}, {3, 0x000000, 2, 0}};
  const uint32_t grey = 0x808080, red = 0xFF0000;
  HWND plainBox = Box(0, false, 0x00808080);
  tmpl::TransLabelBlock block;
  block.Font = BigFont();
  block.TextColour = 0x000000FF;
  block.Caption = "Hg#";
  block.HAlign = 0;
  block.VAlign = 0;
  ASSERT_NE(Label(plainBox, block), nullptr);
  Image plain = CaptureClient(plainBox);
  for (const auto& e : effects) {
    HWND effectBox = Box(110, false, 0x00808080);
    block.Effect = e.effect;
    ASSERT_NE(Label(effectBox, block), nullptr);
    Image effect = CaptureClient(effectBox);
    SaveArtifact(effect, "translabel-effect" + std::to_string(e.effect));
    int textPixels = 0, copyPixels = 0, wrong = 0;
    for (int y = 2; y + 2 < plain.height; ++y)
      for (int x = 2; x + 2 < plain.width; ++x) {
        if (plain.At(x, y) != red) continue;
        ++textPixels;
        wrong += effect.At(x + e.textOffset, y + e.textOffset) != red;
        const int cx = x + e.copyOffset, cy = y + e.copyOffset;
        if (plain.At(cx - e.textOffset, cy - e.textOffset) != grey) continue;  // the text covers it
        ++copyPixels;
        wrong += effect.At(cx, cy) != e.copyColour;
      }
    EXPECT_GT(textPixels, 50) << "effect " << e.effect;
    EXPECT_GT(copyPixels, 10) << "effect " << e.effect;
    EXPECT_EQ(wrong, 0) << "effect " << e.effect;
    DestroyWindow(effectBox);
  }
}

// 0xFF000000 is the button face here as everywhere else, not black; the property keeps it.
TEST_F(TransLabelTest, TheButtonFaceColourIsResolved) {
  HWND box = Box(0, false);
  tmpl::TransLabelBlock block;
  block.Font = BigFont();
  block.Caption = "Hg#";
  block.TextColour = 0xFF000000;
  widgetlib1::TransLabel* label = Label(box, block);
  ASSERT_NE(label, nullptr);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const uint32_t faceSeen = Rgb(GetRValue(face), GetGValue(face), GetBValue(face));
  ASSERT_NE(faceSeen, 0xFFFFFFu) << "the face must differ from the box's white";
  auto count = [](const Image& image, uint32_t colour) {
    int n = 0;
    for (uint32_t pixel : image.pixels) n += pixel == colour;
    return n;
  };
  Image shown = CaptureClient(box);
  EXPECT_GT(count(shown, faceSeen), 50);
  EXPECT_EQ(count(shown, 0x000000), 0);
  EXPECT_EQ(Get(label, 3).number, 0xFF000000);
  Set(label, 3, 0x00000000);  // black, written as a property
  shown = CaptureClient(box);
  EXPECT_GT(count(shown, 0x000000), 50);
  EXPECT_EQ(count(shown, faceSeen), 0);
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
