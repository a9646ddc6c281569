// The property blocks of the core types, TransLabel and PageControl.
#include <gtest/gtest.h>

#include <cstring>

#include "window/template/PropertyBlocks.h"

namespace {

using namespace tmpl;

std::string Le(std::initializer_list<uint32_t> words) {
  std::string s;
  for (uint32_t v : words) s += std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  return s;
}

template <typename Block>
bool Read(const std::string& bytes, Block& b) {
  return b.Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Every block type: written at its maximum version, read back equal; every strict prefix of a
// non-empty block fails (a short block); a version one above the maximum fails.
template <typename Block>
void CheckBlockRules(const Block& sample, int32_t maxVersion) {
  std::string bytes = sample.Write();
  int32_t version;
  std::memcpy(&version, bytes.data(), 4);
  EXPECT_EQ(version, maxVersion);
  Block back;
  ASSERT_TRUE(Read(bytes, back));
  EXPECT_EQ(back.Write(), bytes);
  for (size_t n = 1; n < bytes.size(); ++n) {
    std::string part = bytes.substr(0, n);
    Block b;
    EXPECT_FALSE(Read(part, b)) << "prefix of " << n << " of " << bytes.size() << " bytes";
  }
  std::string tooNew = bytes;
  tooNew[0] = char(maxVersion + 1);
  Block b;
  EXPECT_FALSE(Read(tooNew, b));
  std::string negative = Le({0xFFFFFFFF}) + bytes.substr(4);
  EXPECT_FALSE(Read(negative, b));
}

TEST(PropertyBlocks, EveryTypeFollowsTheCommonRules) {
  WindowBlock w;
  w.Caption = "caption";
  w.ClassName = "Cls";
  w.Icon = "icon bytes";
  CheckBlockRules(w, 6);
  EditBoxBlock e;
  e.Content = "content";
  e.AuxText2 = "aux";
  CheckBlockRules(e, 2);
  PicBoxBlock p;
  p.Picture = "jpeg";
  CheckBlockRules(p, 2);
  CheckBoxBlock c;
  c.Font = LogFont().Bytes();
  CheckBlockRules(c, 2);
  CheckBlockRules(ProcessBarBlock(), 1);
  CheckBlockRules(TimerBlock(), 1);
  PicBtnBlock b;
  b.HotPicture = "hot";
  CheckBlockRules(b, 1);
  CheckBlockRules(TransLabelBlock(), 1);
  PageControlBlock pc;
  pc.Tabs.resize(1);
  CheckBlockRules(pc, 7);
}

TEST(PropertyBlocks, EmptyBlockGivesDefaults) {
  TimerBlock t;
  t.Interval = 500;
  EXPECT_TRUE(t.Read(nullptr, 0));
  EXPECT_EQ(t.Interval, 0);  // the installer's timer: interval 0

  WindowBlock w;
  w.Border = 0;
  ASSERT_TRUE(w.Read(nullptr, 0));
  EXPECT_EQ(w.Border, 2);
  EXPECT_EQ(w.PictureMode, 1);
  EXPECT_EQ(w.BackColour, 0xFF000000u);
  EXPECT_EQ(w.MinButton, 1);
  EXPECT_EQ(w.ControlBox, 1);
  EXPECT_EQ(w.Position, 1);
  EXPECT_EQ(w.Movable, 1);
  EXPECT_EQ(w.EscCloses, 1);
  EXPECT_EQ(w.ShowInTaskbar, 1);

  EditBoxBlock e;
  ASSERT_TRUE(e.Read(nullptr, 0));
  EXPECT_EQ(e.Border, 1);
  EXPECT_EQ(e.BackColour, 0x00FFFFFFu);
  EXPECT_EQ(e.HideSelection, 1);
  EXPECT_EQ(e.PasswordChar, 42);
  EXPECT_EQ(e.SpinnerMax, 100);
  EXPECT_EQ(e.ConversionMode, 0);

  CheckBoxBlock c;
  ASSERT_TRUE(c.Read(nullptr, 0));
  EXPECT_EQ(c.Caption, "\xD1\xA1\xD4\xF1\xBF\xF2");  // "选择框"
  EXPECT_EQ(c.VAlign, 1);
  EXPECT_EQ(c.BackColour, 0xFF000000u);

  ProcessBarBlock pb;
  ASSERT_TRUE(pb.Read(nullptr, 0));
  EXPECT_EQ(pb.Border, 3);
  EXPECT_EQ(pb.Maximum, 100);

  PicBoxBlock pic;
  ASSERT_TRUE(pic.Read(nullptr, 0));
  EXPECT_EQ(pic.Animate, 1);
  PicBtnBlock btn;
  ASSERT_TRUE(btn.Read(nullptr, 0));
  EXPECT_EQ(btn.TransparentColour, 0xFF000000u);
  TransLabelBlock l;
  ASSERT_TRUE(l.Read(nullptr, 0));
  EXPECT_EQ(l.Caption, "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9");  // "透明标签"
  EXPECT_EQ(l.VAlign, 1);
}

TEST(PropertyBlocks, TooHighVersionFailsAndKeepsTheBlock) {
  WindowBlock w;
  w.Border = 4;
  std::string bytes = Le({7}) + std::string(200, '\0');
  EXPECT_FALSE(Read(bytes, w));
  EXPECT_EQ(w.Border, 4);
  TransLabelBlock l;
  EXPECT_FALSE(Read(Le({2, 0, 0, 0, 0, 0, 0, 0}), l));
  PageControlBlock pc;
  EXPECT_FALSE(Read(Le({8}) + std::string(800, '\0'), pc));
  EXPECT_FALSE(Read(Le({0}) + std::string(800, '\0'), pc));  // the page control starts at 1
  TimerBlock t;
  EXPECT_FALSE(Read(Le({2, 100}), t));
  EXPECT_FALSE(Read(std::string("\x01\x00", 2), t));  // shorter than its version
}

TEST(PropertyBlocks, WindowVersionOneHasNoLaterFields) {
  // Version 1: the 13 fields after the version, then pictures and texts; no taskbar flag.
  std::string v1 = Le({1, 0, 1, 0x00FFCD97, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0}) + Le({0, 0, 0}) + Le({3}) + "abc" + Le({0});
  WindowBlock w;
  ASSERT_TRUE(Read(v1, w));
  EXPECT_EQ(w.Border, 0);
  EXPECT_EQ(w.BackColour, 0x00FFCD97u);
  EXPECT_EQ(w.Caption, "abc");
  EXPECT_EQ(w.ShowInTaskbar, 1);
  EXPECT_EQ(w.DragAnywhere, 0);
  EXPECT_EQ(w.ClassName, "");
  // Version 5 has everything but the class name.
  std::string v5 = Le({5, 2, 1, 0, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, /*taskbar*/ 0, 1, 2, 1, 1}) + Le({0, 0, 0, 0, 0});
  ASSERT_TRUE(Read(v5, w));
  EXPECT_EQ(w.ShowInTaskbar, 0);
  EXPECT_EQ(w.DragAnywhere, 1);
  EXPECT_EQ(w.Shape, 2);
  EXPECT_EQ(w.AlwaysOnTop, 1);
  EXPECT_EQ(w.KeepCaptionActive, 1);
}

TEST(PropertyBlocks, EditBoxLayout) {
  EditBoxBlock e;
  e.Conversion = 2;
  e.Content = "C:\\x";
  std::string b = e.Write();
  // version, 9 int32, the 16-bit password character, 6 int32, font, content, two aux texts
  ASSERT_EQ(b.size(), 4 + 36 + 2 + 24 + 4 + 4 + 4 + 4 + 4u);
  EXPECT_EQ(uint8_t(b[40]), 42);
  EXPECT_EQ(uint8_t(b[42]), 2);  // conversion right after the password character
  EXPECT_EQ(e.ConversionMode, 2);
  // Version 1 has no auxiliary texts.
  EditBoxBlock v1;
  std::string one = b.substr(0, b.size() - 8);
  one[0] = 1;
  ASSERT_TRUE(Read(one, v1));
  EXPECT_EQ(v1.Content, "C:\\x");
}

TEST(PropertyBlocks, TransLabelDocumentedExample) {
  const uint8_t example[] = {1, 0, 0, 0, 0, 0, 0, 0, 0x53, 0x53, 0x53, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x25};
  TransLabelBlock l;
  ASSERT_TRUE(l.Read(example, sizeof example));
  EXPECT_EQ(l.Effect, 0);
  EXPECT_EQ(l.TextColour, 0x535353u);
  EXPECT_EQ(l.HAlign, 2);
  EXPECT_EQ(l.VAlign, 1);
  EXPECT_EQ(l.WordWrap, 0);
  EXPECT_TRUE(l.Font.empty());
  EXPECT_EQ(l.Caption, "%");
  EXPECT_EQ(l.Write(), std::string(reinterpret_cast<const char*>(example), sizeof example));
  // Version 0 reads the same fields.
  uint8_t v0[sizeof example];
  std::memcpy(v0, example, sizeof example);
  v0[0] = 0;
  EXPECT_TRUE(l.Read(v0, sizeof v0));
}

TEST(PropertyBlocks, LogFontIsSixtyBytes) {
  LogFont f;
  f.Height = -12;
  f.Weight = 700;
  f.CharSet = 134;
  f.FaceName = "\xCB\xCE\xCC\xE5";  // "宋体"
  std::string b = f.Bytes();
  ASSERT_EQ(b.size(), 60u);
  int32_t height, weight;
  std::memcpy(&height, b.data(), 4);
  std::memcpy(&weight, b.data() + 16, 4);
  EXPECT_EQ(height, -12);
  EXPECT_EQ(weight, 700);
  EXPECT_EQ(uint8_t(b[23]), 134);  // character set after italic, underline, strike-out
  EXPECT_EQ(b.substr(28, 5), std::string("\xCB\xCE\xCC\xE5\0", 5));
  LogFont back;
  ASSERT_TRUE(LogFont::Parse(b, back));
  EXPECT_EQ(back.FaceName, f.FaceName);
  EXPECT_EQ(back.CharSet, 134);
  EXPECT_FALSE(LogFont::Parse(b.substr(1), back));
  f.FaceName = std::string(40, 'a');
  EXPECT_EQ(f.Bytes()[59], '\0');  // at most 31 bytes, always terminated
}

// The installer's page control block, built field by field from the documented layout.
std::string InstallerPageControlBlock() {
  LogFont font;
  font.Height = -12;
  font.Weight = 400;
  font.CharSet = 134;
  const char* names[] = {"\xCA\xD7\xD2\xB3\xBD\xE7\xC3\xE6", "\xC2\xB7\xBE\xB6\xD1\xA1\xD4\xF1",
                         "\xBD\xF8\xB6\xC8\xBD\xE7\xC3\xE6", "\xCD\xEA\xB3\xC9\xBD\xE7\xC3\xE6",
                         "\xD0\xAD\xD2\xE9\xBD\xE7\xC3\xE6"};  // 首页界面 路径选择 进度界面 完成界面 协议界面
  std::string tabs = Le({3, 5});
  for (const char* n : names) {
    tabs += Le({8}) + n;
    tabs += Le({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 1, 1, 0, 0, 0, 0, 0});
  }
  return Le({7, 1, 1, 4, 0}) + font.Bytes() + Le({uint32_t(tabs.size())}) + tabs + Le({20, 1, 0, 0}) + Le({0, 0, 0, 0}) +
         Le({0}) + Le({0xFF000000, 0xFF000000, 0xFF000000, 0}) + Le({0, 0x0000FF, 0xFF0000, 0}) +
         Le({0xFF000000, 0xB4A791, 0xFF000000, 0}) + Le({0, 0, 0, 0, 0}) + Le({0, 0xECECEC, 0xECECEC, 0xECECEC}) +
         Le({0}) + Le({0}) + Le({0}) + Le({0});
}

TEST(PropertyBlocks, InstallerPageControlBlockIs748BytesAndRoundTrips) {
  std::string block = InstallerPageControlBlock();
  ASSERT_EQ(block.size(), 748u);
  PageControlBlock pc;
  ASSERT_TRUE(Read(block, pc));
  EXPECT_EQ(pc.TabPosition, 1);
  EXPECT_EQ(pc.Prop1, 1);
  EXPECT_EQ(pc.CurrentPage, 4);
  EXPECT_EQ(pc.HideTabs, 0);
  ASSERT_EQ(pc.Tabs.size(), 5u);
  EXPECT_EQ(pc.TabsFormatVersion, 3);
  EXPECT_EQ(pc.Tabs[4].Name, "\xD0\xAD\xD2\xE9\xBD\xE7\xC3\xE6");
  EXPECT_EQ(pc.Tabs[0].Values, TabItem().Values);  // the installer's values are the default
  EXPECT_EQ(pc.WriteTabs().size(), 528u);
  EXPECT_EQ(pc.TabHeight, 20);
  EXPECT_EQ(pc.Prop11, 1);
  EXPECT_EQ(pc.Colour21, 0xFF000000u);
  EXPECT_EQ(pc.Colour31, 0x0000FFu);
  EXPECT_EQ(pc.Colour32, 0xFF0000u);
  EXPECT_EQ(pc.Colour27, 0xB4A791u);
  EXPECT_EQ(pc.Colour48, 0xECECECu);
  EXPECT_EQ(pc.NoTabFont, 0);
  LogFont f;
  ASSERT_TRUE(LogFont::Parse(pc.TabFont(), f));
  EXPECT_EQ(f.Height, -12);
  EXPECT_EQ(f.Weight, 400);
  EXPECT_EQ(f.CharSet, 134);
  EXPECT_EQ(pc.Write(), block);

  // Spares are kept, so a block with odd spare values still re-writes identically.
  std::string odd = block;
  odd[block.size() - 16 - 16 - 4] = 0x5A;  // the last spare of field 14
  ASSERT_TRUE(Read(odd, pc));
  EXPECT_EQ(pc.Spare14c, 0x5A);
  EXPECT_EQ(pc.Write(), odd);
}

TEST(PropertyBlocks, PageControlOlderVersionsAndBadTabs) {
  std::string block = InstallerPageControlBlock();
  // Version 1 ends after field 14 (the four later versions add 16 + 4 + 4 + 4 + 4 bytes).
  std::string v1 = block.substr(0, block.size() - 32);
  v1[0] = 1;
  PageControlBlock pc;
  ASSERT_TRUE(Read(v1, pc));
  EXPECT_EQ(pc.Tabs.size(), 5u);
  EXPECT_EQ(pc.Colour46, 0xECECECu);  // default
  EXPECT_EQ(pc.NoTabFont, 0);          // no flag before version 6: the stored font applies
  EXPECT_EQ(pc.Write(), block);
  // Tab items of another format version, or with bytes left over, fail the block.
  std::string badFormat = block;
  badFormat[80 + 4] = 4;
  EXPECT_FALSE(Read(badFormat, pc));
  std::string badCount = block;
  badCount[80 + 8] = 6;
  EXPECT_FALSE(Read(badCount, pc));
}

}  // namespace
