// The template region: writing and reading windows, unit lists and unit records,
// relocation, event resolution through shared-event links, unit lookups and cursor blocks.
#include <gtest/gtest.h>

#include <cstring>

#include "window/template/PropertyBlocks.h"
#include "window/template/TemplateModel.h"
#include "window/template/TemplateRegion.h"

namespace {

using namespace tmpl;

UnitTemplate MakeUnit(uint32_t id, uint32_t type, const std::string& name) {
  UnitTemplate u;
  u.id = id;
  u.typeCode = type;
  u.name = name;
  u.left = 10;
  u.top = -20;
  u.width = 300;
  u.height = 40;
  u.flags = kFlagVisible;
  return u;
}

// Two windows with a bit of everything: reserved words, texts, children with page separators,
// cursor blocks, tags, bindings with -1 offsets, a shared-event link, a menu item, odd slots.
std::vector<WindowTemplate> SampleWindows() {
  WindowTemplate a;
  a.id = 0x52010001;
  a.reservedA = 0x0068B0B0;
  a.reservedB = 0x19010005;
  a.tableSlot = 0xDEADBEEF;
  UnitTemplate w = MakeUnit(0x06010000, kTypeWindow, "");
  WindowBlock wb;
  wb.Caption = "\xB0\xB2\xD7\xB0";  // GBK
  wb.Border = 0;
  w.propertyBlock = wb.Write();
  w.events = {{0, 0x40}, {-3, -1}};
  a.units.push_back(w);

  UnitTemplate pages = MakeUnit(0x16010003, kTypePageControl, "pages");
  pages.children = {0x16010004, 0, 0x16010005};
  PageControlBlock pc;
  pc.Tabs.resize(2);
  pc.Tabs[0].Name = "one";
  pc.Tabs[1].Name = "two";
  pages.propertyBlock = pc.Write();
  a.units.push_back(pages);

  UnitTemplate label = MakeUnit(0x16010004, kTypeTransLabel, "label");
  label.parent = 0x16010003;
  label.cursorBlock = MakeCursorBlock(kCursorHand);
  label.tag = "tag text";
  label.remark = "remark";
  label.events = {{-1, 0x80}};
  label.propertyBlock = TransLabelBlock().Write();
  a.units.push_back(label);

  UnitTemplate timer = MakeUnit(0x16010005, kTypeTimer, "timer");
  timer.parent = 0x16010003;
  timer.flags = 0;
  timer.sharedEventLink = 0x16010004;  // another type: its own bindings apply
  timer.events = {{0, -1}};
  a.units.push_back(timer);

  UnitTemplate menu;
  menu.id = 0x26010006;
  menu.typeCode = kTypeMenuItem;
  menu.name = "menu";
  menu.menuWords = {1, 2, 3};
  menu.menuText = "&File";
  menu.events = {{0, 0x100}};
  menu.propertyBlock = std::string("\x01\x02\x03", 3);
  a.units.push_back(menu);

  WindowTemplate b;
  b.id = 0x52010002;
  b.textA = "text A";
  b.textB = std::string("with\0zero", 9);
  UnitTemplate w2 = MakeUnit(0x06010001, kTypeWindow, "");
  w2.reservedHead = {1, 2, 3, 4};
  w2.objectSlot = 5;
  w2.cursorSlot = 6;
  w2.reservedMid = 7;
  w2.reservedTail = {8, 9, 10, 11, 12};
  w2.tabOrder = -7;
  w2.cursorBlock = std::string("\xFF\xFF\xFF\xFF" "cursor file bytes", 21);
  b.units.push_back(w2);
  return {a, b};
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

void ExpectSameUnit(const UnitTemplate& x, const UnitTemplate& y) {
  EXPECT_EQ(x.id, y.id);
  EXPECT_EQ(x.typeCode, y.typeCode);
  EXPECT_EQ(x.sharedEventLink, y.sharedEventLink);
  EXPECT_EQ(x.name, y.name);
  EXPECT_EQ(x.remark, y.remark);
  EXPECT_EQ(x.left, y.left);
  EXPECT_EQ(x.top, y.top);
  EXPECT_EQ(x.width, y.width);
  EXPECT_EQ(x.height, y.height);
  EXPECT_EQ(x.parent, y.parent);
  EXPECT_EQ(x.children, y.children);
  EXPECT_EQ(x.cursorBlock, y.cursorBlock);
  EXPECT_EQ(x.tag, y.tag);
  EXPECT_EQ(x.flags, y.flags);
  EXPECT_EQ(x.tabOrder, y.tabOrder);
  ASSERT_EQ(x.events.size(), y.events.size());
  for (size_t i = 0; i < x.events.size(); ++i) {
    EXPECT_EQ(x.events[i].event, y.events[i].event);
    EXPECT_EQ(x.events[i].routineOffset, y.events[i].routineOffset);
  }
  EXPECT_EQ(x.propertyBlock, y.propertyBlock);
  EXPECT_EQ(x.reservedHead, y.reservedHead);
  EXPECT_EQ(x.objectSlot, y.objectSlot);
  EXPECT_EQ(x.cursorSlot, y.cursorSlot);
  EXPECT_EQ(x.reservedMid, y.reservedMid);
  EXPECT_EQ(x.reservedTail, y.reservedTail);
  EXPECT_EQ(x.menuWords, y.menuWords);
  EXPECT_EQ(x.menuText, y.menuText);
}

TEST(TemplateRegion, RoundTripsByteForByte) {
  std::vector<WindowTemplate> windows = SampleWindows();
  std::string region = WriteRegion(windows);
  std::vector<WindowTemplate> back;
  ASSERT_TRUE(ReadRegion(Bytes(region), region.size(), back));
  ASSERT_EQ(back.size(), 2u);
  for (size_t w = 0; w < 2; ++w) {
    EXPECT_EQ(back[w].id, windows[w].id);
    EXPECT_EQ(back[w].reservedA, windows[w].reservedA);
    EXPECT_EQ(back[w].reservedB, windows[w].reservedB);
    EXPECT_EQ(back[w].textA, windows[w].textA);
    EXPECT_EQ(back[w].textB, windows[w].textB);
    EXPECT_EQ(back[w].tableSlot, windows[w].tableSlot);
    ASSERT_EQ(back[w].units.size(), windows[w].units.size());
    for (size_t i = 0; i < back[w].units.size(); ++i) ExpectSameUnit(back[w].units[i], windows[w].units[i]);
  }
  EXPECT_EQ(WriteRegion(back), region);
}

TEST(TemplateRegion, LayoutOfOneWindow) {
  WindowTemplate w;
  w.id = 0x52010001;
  w.reservedA = 0x0068B0B0;
  w.reservedB = 0x19010005;
  UnitTemplate u = MakeUnit(0x06010000, kTypeWindow, "");
  u.events = {{0, 4}};
  u.propertyBlock = "PB";
  w.units.push_back(u);
  std::string r = WriteRegion({w});
  const uint8_t* p = Bytes(r);
  auto word = [&](size_t at) { uint32_t v; std::memcpy(&v, p + at, 4); return v; };
  EXPECT_EQ(word(0), 8u);  // window table: one id and one slot
  EXPECT_EQ(word(4), 0x52010001u);
  EXPECT_EQ(word(12), 0x0068B0B0u);
  EXPECT_EQ(word(16), 0x19010005u);
  EXPECT_EQ(word(20), 0u);  // text A, text B empty
  EXPECT_EQ(word(24), 0u);
  EXPECT_EQ(word(28), 1u);  // unit count
  uint32_t listSize = word(32);
  EXPECT_EQ(36 + listSize, r.size());
  EXPECT_EQ(word(36), 0x06010000u);  // id table
  EXPECT_EQ(word(40), 0u);           // offset of record 0 from byte 8U of the list
  uint32_t recordLength = word(44);
  EXPECT_EQ(8 + 4 + recordLength, listSize);
  const size_t rec = 48;
  EXPECT_EQ(word(rec), kTypeWindow);
  EXPECT_EQ(p[rec + 24], 0);  // empty name
  EXPECT_EQ(p[rec + 25], 0);  // empty remark
  // object slot, left, top, width, height, cursor slot, parent, child count
  EXPECT_EQ(word(rec + 26 + 4), 10u);
  EXPECT_EQ(int32_t(word(rec + 26 + 8)), -20);
  EXPECT_EQ(word(rec + 26 + 28), 0u);  // child count
  EXPECT_EQ(word(rec + 26 + 32), 0u);  // cursor block empty
  EXPECT_EQ(p[rec + 26 + 36], 0);      // tag
  EXPECT_EQ(word(rec + 26 + 37 + 4), kFlagVisible);
  EXPECT_EQ(word(rec + 26 + 37 + 12), 1u);  // event count
  EXPECT_EQ(word(rec + 26 + 37 + 16), 0u);
  EXPECT_EQ(word(rec + 26 + 37 + 20), 4u);
  EXPECT_EQ(r.substr(rec + 26 + 37 + 24 + 20), "PB");  // five reserved words, then the block
}

TEST(TemplateRegion, ReadsRecordsThroughTheOffsetTable) {
  // Two records stored in reverse order: the offsets, not the storage order, decide.
  UnitTemplate u0 = MakeUnit(0x06010000, kTypeWindow, "first");
  UnitTemplate u1 = MakeUnit(0x16010001, kTypeTimer, "second");
  std::string r0 = WriteUnitRecord(u0), r1 = WriteUnitRecord(u1);
  auto le = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  std::string list = le(u0.id) + le(u1.id) + le(4 + uint32_t(r1.size())) + le(0) + le(uint32_t(r1.size())) + r1 +
                     le(uint32_t(r0.size())) + r0;
  std::string region = le(8) + le(0x52010001) + le(0) + le(0) + le(0) + le(0) + le(0) + le(2) +
                       le(uint32_t(list.size())) + list;
  std::vector<WindowTemplate> out;
  ASSERT_TRUE(ReadRegion(Bytes(region), region.size(), out));
  ASSERT_EQ(out[0].units.size(), 2u);
  EXPECT_EQ(out[0].units[0].name, "first");
  EXPECT_EQ(out[0].units[1].name, "second");
}

TEST(TemplateRegion, TruncatedRegionFailsCleanly) {
  std::string region = WriteRegion(SampleWindows());
  for (size_t n = 0; n < region.size(); ++n) {
    // A copy of exactly n bytes, so that any read past the end would be caught by tools.
    std::vector<uint8_t> part(region.begin(), region.begin() + n);
    std::vector<WindowTemplate> out(1);
    EXPECT_FALSE(ReadRegion(part.data(), part.size(), out)) << "prefix of " << n << " bytes";
    EXPECT_TRUE(out.empty());
  }
  std::string longer = region + '\0';
  std::vector<WindowTemplate> out;
  EXPECT_FALSE(ReadRegion(Bytes(longer), longer.size(), out)) << "a byte left over";
  EXPECT_FALSE(ReadRegion(nullptr, 0, out));
}

TEST(TemplateRegion, InconsistentRegionFails) {
  std::string region = WriteRegion(SampleWindows());
  auto patch = [&](size_t at, uint32_t v) {
    std::string r = region;
    for (int i = 0; i < 4; ++i) r[at + i] = char(v >> (8 * i));
    std::vector<WindowTemplate> out;
    return ReadRegion(Bytes(r), r.size(), out);
  };
  EXPECT_FALSE(patch(0, 12));          // window table not a multiple of 8
  EXPECT_FALSE(patch(0, 0xFFFFFFF8));  // negative table size
  EXPECT_FALSE(patch(0, 24));          // more windows than the region holds
  const size_t window0 = 4 + 16;
  EXPECT_FALSE(patch(window0 + 16, 0x7FFFFFFF));  // unit count far beyond the list
  EXPECT_FALSE(patch(window0 + 16, 0xFFFFFFFF));  // negative unit count
  EXPECT_FALSE(patch(window0 + 20, 0x7FFFFFFF));  // unit list longer than the region
  const size_t list = window0 + 24;
  const size_t units = 5;
  EXPECT_FALSE(patch(list + 4 * units, 0x00FFFFFF));  // offset of unit 0 outside the list
  EXPECT_FALSE(patch(list + 8 * units, 0x7FFFFFFF));  // record 0 longer than the list
  // A child count beyond its record.
  std::vector<WindowTemplate> w = SampleWindows();
  std::string rec = WriteUnitRecord(w[0].units[0]);
  UnitTemplate u;
  EXPECT_TRUE(ReadUnitRecord(Bytes(rec), rec.size(), w[0].units[0].id, u));
  const size_t childCount = 24 + 2 + 28;
  std::string bad = rec;
  bad[childCount] = char(0x40);
  EXPECT_FALSE(ReadUnitRecord(Bytes(bad), bad.size(), w[0].units[0].id, u));
  bad = rec;
  bad[childCount + 3] = char(0x80);  // negative
  EXPECT_FALSE(ReadUnitRecord(Bytes(bad), bad.size(), w[0].units[0].id, u));
  // A name without its terminating zero.
  std::string cut = rec.substr(0, 25);
  cut[24] = 'x';
  EXPECT_FALSE(ReadUnitRecord(Bytes(cut), cut.size(), w[0].units[0].id, u));
}

TEST(TemplateRegion, EmptyRegionTableHoldsNoWindows) {
  std::string r = WriteRegion({});
  EXPECT_EQ(r.size(), 4u);
  std::vector<WindowTemplate> out(2);
  EXPECT_TRUE(ReadRegion(Bytes(r), r.size(), out));
  EXPECT_TRUE(out.empty());
}

TEST(TemplateRegion, MenuItemUsesItsOwnLayout) {
  std::vector<WindowTemplate> windows = SampleWindows();
  const UnitTemplate& menu = windows[0].units[4];
  ASSERT_TRUE(IsMenuItemId(menu.id));
  std::string rec = WriteUnitRecord(menu);
  // type, link, 4 reserved, "menu\0", "\0", 3 words, "&File\0", routine word, remainder
  EXPECT_EQ(rec.size(), 24u + 5 + 1 + 12 + 6 + 4 + 3);
  UnitTemplate back;
  ASSERT_TRUE(ReadUnitRecord(Bytes(rec), rec.size(), menu.id, back));
  ASSERT_EQ(back.events.size(), 1u);
  EXPECT_EQ(back.events[0].routineOffset, 0x100);
  EXPECT_EQ(back.menuText, "&File");
  EXPECT_EQ(back.menuWords, menu.menuWords);
  EXPECT_EQ(back.propertyBlock, menu.propertyBlock);
}

TEST(TemplateRegion, MinusOneOffsetsGiveNoRoutine) {
  std::vector<WindowTemplate> windows = SampleWindows();
  Relocate(windows, 0x00401000);
  const WindowTemplate& w = windows[0];
  EXPECT_EQ(w.units[0].events[0].routine, 0x00401040u);
  EXPECT_EQ(w.units[0].events[1].routine, 0u);
  EXPECT_EQ(w.units[0].events[0].routineOffset, 0x40);  // the stored offset is kept
  EXPECT_EQ(ResolveRoutine(w, 0, 0), 0x00401040u);
  EXPECT_EQ(ResolveRoutine(w, 0, -3), 0u);  // bound to -1: no routine
  EXPECT_EQ(ResolveRoutine(w, 0, 7), 0u);   // not bound at all
  EXPECT_EQ(w.units[4].events[0].routine, 0x00401100u);  // menu item's single event
  EXPECT_EQ(ResolveRoutine(w, 99, 0), 0u);  // no such unit
}

TEST(TemplateRegion, SharedEventLinkToAnotherTypeUsesOwnBindings) {
  std::vector<WindowTemplate> windows = SampleWindows();
  Relocate(windows, 0x1000);
  WindowTemplate& w = windows[0];
  // The timer links to the label (another type): its own binding (offset -1) decides.
  EXPECT_EQ(ResolveRoutine(w, 3, 0), 0u);
  EXPECT_EQ(ResolveRoutine(w, 3, -1), 0u);  // the label's event is not borrowed
  // Linked to a unit of the same type, the linked unit's bindings apply.
  UnitTemplate other = MakeUnit(0x16010007, kTypeTimer, "timer2");
  other.events = {{0, 0x20}};
  w.units.push_back(other);
  w.units[3].sharedEventLink = 0x16010007;
  Relocate(windows, 0x1000);
  EXPECT_EQ(ResolveRoutine(w, 3, 0), 0x1020u);
  // A link to a missing unit: own bindings.
  w.units[3].sharedEventLink = 0x16010099;
  EXPECT_EQ(ResolveRoutine(w, 3, 0), 0u);
}

TEST(TemplateRegion, SharedEventLinkCycleEnds) {
  WindowTemplate w;
  w.id = 0x52010001;
  w.units.push_back(MakeUnit(0x06010000, kTypeWindow, ""));
  UnitTemplate a = MakeUnit(0x16010001, kTypePicBtn, "a");
  UnitTemplate b = MakeUnit(0x16010002, kTypePicBtn, "b");
  a.sharedEventLink = b.id;
  b.sharedEventLink = a.id;
  a.events = {{0, 8}};
  w.units.push_back(a);
  w.units.push_back(b);
  UnitTemplate self = MakeUnit(0x16010003, kTypePicBtn, "self");
  self.sharedEventLink = self.id;
  self.events = {{0, 12}};
  w.units.push_back(self);
  std::vector<WindowTemplate> ws = {w};
  Relocate(ws, 0x100);
  uint32_t r = ResolveRoutine(ws[0], 2, 0);  // terminates; lands on a or b
  EXPECT_TRUE(r == 0x108u || r == 0u);
  EXPECT_EQ(ResolveRoutine(ws[0], 3, 0), 0x10Cu);
}

TEST(TemplateModel, LooksUpWindowsAndUnits) {
  std::vector<WindowTemplate> windows = SampleWindows();
  ASSERT_NE(FindWindow(windows, 0x52010002), nullptr);
  EXPECT_EQ(FindWindow(windows, 0x52010002)->units.size(), 1u);
  EXPECT_EQ(FindWindow(windows, 0x52010009), nullptr);
  EXPECT_EQ(FindUnitIndex(windows[0], 0x16010005), 3);
  EXPECT_EQ(FindUnitIndex(windows[0], 0x16010099), -1);
  ASSERT_NE(FindUnit(windows[0], 0x16010004), nullptr);
  EXPECT_EQ(FindUnit(windows[0], 0x16010004)->name, "label");
  EXPECT_TRUE(IsValidId(0x16010003));
  EXPECT_FALSE(IsValidId(0x16000000));
  EXPECT_FALSE(IsValidId(0x10010003));
  EXPECT_TRUE(IsMenuItemId(0x26010001));
  EXPECT_FALSE(IsMenuItemId(0x16010001));
}

TEST(CursorBlock, StandardTableMapsBothWays) {
  EXPECT_EQ(CursorIdFromIndex(0), 0);
  EXPECT_EQ(CursorIdFromIndex(1), 32512);
  EXPECT_EQ(CursorIdFromIndex(13), 32516);
  EXPECT_EQ(CursorIdFromIndex(14), 32649);
  EXPECT_EQ(CursorIdFromIndex(15), -1);
  EXPECT_EQ(CursorIdFromIndex(-1), -1);
  for (int i = 0; i < kStandardCursorCount; ++i) EXPECT_EQ(CursorIndexFromId(CursorIdFromIndex(i)), i);
  EXPECT_EQ(CursorIndexFromId(32649), 14);
  EXPECT_EQ(CursorIndexFromId(12345), -1);
}

TEST(CursorBlock, NumberOfABlock) {
  EXPECT_EQ(CursorBlockNumber(""), 0);
  EXPECT_EQ(MakeCursorBlock(0), "");
  EXPECT_EQ(MakeCursorBlock(kCursorHand), std::string("\x89\x7F\0\0", 4));
  EXPECT_EQ(CursorBlockNumber(MakeCursorBlock(kCursorHand)), 32649);
  EXPECT_EQ(CursorBlockNumber(std::string("\x05\x01", 2)), 5);  // shorter than 4: the first byte
  EXPECT_EQ(CursorBlockNumber(MakeCursorBlock(-1) + "file"), -1);
}

}  // namespace
