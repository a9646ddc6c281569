// Host checks of the window description parser and of installer/InstallerWindow.desc.
// Plain checks with a "N passed, N failed" summary; the exit code is non-zero on any failure.
// Pictures or the licence that are not there yet are replaced by placeholder bytes (reported),
// so the checks of the description do not wait for the files.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tools/windowdesc/WindowDescription.h"
#include "window/template/PropertyBlocks.h"
#include "window/template/TemplateRegion.h"

using namespace tmpl;

namespace {

int passed = 0, failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s\n", what.c_str());
  }
}

std::string G(const std::string& utf8) {
  std::string gbk;
  if (!Utf8ToGbk(utf8, gbk)) std::printf("cannot convert '%s'\n", utf8.c_str());
  return gbk;
}

const std::vector<std::string> kRoutines = {
    "OnWindowCreated", "OnPageMouseDown", "OnCloseClick", "OnCustomInstallLinkDown", "OnLicenceLinkDown",
    "OnAgreeClick", "OnInstallClick", "OnCustomBackLinkDown", "OnBrowseClick", "OnCustomInstallClick",
    "OnUnpackProgress", "OnFinishClick", "OnLicenceInstallClick", "OnLicenceBackLinkDown"};

bool Resolve(const std::string& name, int32_t& offset) {
  for (size_t i = 0; i < kRoutines.size(); ++i)
    if (kRoutines[i] == name) {
      offset = int32_t(i * 16);
      return true;
    }
  return false;
}

int32_t OffsetOf(const std::string& name) {
  int32_t o = -2;
  Resolve(name, o);
  return o;
}

std::vector<std::string> substituted;

bool ReadOrPlaceholder(const std::string& path, std::string& bytes) {
  if (ReadWholeFile(path, bytes)) return true;
  substituted.push_back(path);
  bytes = "placeholder for " + path.substr(path.find_last_of('/') + 1);
  return true;
}

struct Expected {
  const char* name;
  uint32_t id;
  uint32_t type;
  int32_t left, top, width, height;
  uint32_t parent;
  uint32_t flags;
  int32_t event;        // the one bound event, or 99 for none
  const char* routine;  // its routine
};

constexpr uint32_t kPage1 = 0x16010004, kPage2 = 0x16010009, kPage3 = 0x16010028, kPage4 = 0x16010030,
                   kPage5 = 0x160100C3, kPages = 0x16010003;

// The installer window's units in unit-list order, with their ids, rectangles and bindings.
const Expected kUnits[] = {
    {"", 0x06010000, kTypeWindow, 50, 50, 508, 352, 0, 1, 0, "OnWindowCreated"},
    {"小安装按钮", 0x1601011E, kTypePicBtn, 358, 287, 75, 23, kPage5, 1, 0, "OnLicenceInstallClick"},
    {"透明标签13", 0x16010111, kTypeTransLabel, 392, 249, 79, 20, kPage3, 1, 99, nullptr},
    {"时钟1", 0x160100F0, kTypeTimer, 376, 112, 40, 32, kPage3, 0, 99, nullptr},
    {"ZIP压缩1", 0x160100EF, kTypeZip, 376, 72, 32, 32, kPage3, 0, 1, "OnUnpackProgress"},
    {"选择框5", 0x160100EC, kTypeCheckBox, 61, 206, 12, 12, kPage4, 5, 99, nullptr},
    {"透明标签12", 0x160100D2, kTypeTransLabel, 30, 287, 62, 24, kPage5, 1, -1, "OnLicenceBackLinkDown"},
    {"透明标签11", 0x160100D1, kTypeTransLabel, 32, 24, 135, 24, kPage5, 1, 99, nullptr},
    {"编辑框2", 0x160100C7, kTypeEditBox, 32, 53, 440, 220, kPage5, 5, 99, nullptr},
    {"图片框5", 0x160100C3, kTypePicBox, 0, 0, 506, 326, kPages, 1, 99, nullptr},
    {"关闭按钮5", 0x160100C6, kTypePicBtn, 475, 5, 24, 24, kPage5, 1, 0, "OnCloseClick"},
    {"完成安装", 0x16010034, kTypePicBtn, 184, 240, 152, 38, kPage4, 1, 0, "OnFinishClick"},
    {"图片框4", 0x16010030, kTypePicBox, 0, 0, 506, 326, kPages, 1, -1, "OnPageMouseDown"},
    {"透明标签10", 0x16010032, kTypeTransLabel, 81, 201, 110, 20, kPage4, 1, 99, nullptr},
    {"关闭按钮4", 0x16010033, kTypePicBtn, 475, 5, 24, 24, kPage4, 3, 0, "OnCloseClick"},
    {"进度条1", 0x1601002F, kTypeProcessBar, 16, 280, 463, 10, kPage3, 1, 99, nullptr},
    {"图片框3", 0x16010028, kTypePicBox, 0, 0, 506, 326, kPages, 1, -1, "OnPageMouseDown"},
    {"透明标签9", 0x16010029, kTypeTransLabel, 17, 249, 79, 20, kPage3, 1, 99, nullptr},
    {"关闭按钮3", 0x1601002A, kTypePicBtn, 475, 5, 24, 24, kPage3, 1, 0, "OnCloseClick"},
    {"透明标签8", 0x16010027, kTypeTransLabel, 354, 289, 79, 20, kPage1, 1, 99, nullptr},
    {"透明标签7", 0x16010026, kTypeTransLabel, 39, 69, 104, 24, kPage2, 1, 99, nullptr},
    {"透明标签6", 0x1601001C, kTypeTransLabel, 17, 287, 62, 24, kPage2, 1, -1, "OnCustomBackLinkDown"},
    {"关闭按钮2", 0x1601001A, kTypePicBtn, 475, 5, 24, 24, kPage2, 1, 0, "OnCloseClick"},
    {"关闭按钮1", 0x16010018, kTypePicBtn, 475, 5, 24, 24, kPage1, 1, 0, "OnCloseClick"},
    {"编辑框1", 0x16010017, kTypeEditBox, 38, 107, 344, 24, kPage2, 5, 99, nullptr},
    {"透明标签5", 0x16010016, kTypeTransLabel, 322, 147, 99, 16, kPage2, 1, 99, nullptr},
    {"选择框4", 0x16010015, kTypeCheckBox, 304, 150, 12, 12, kPage2, 5, 99, nullptr},
    {"透明标签4", 0x16010014, kTypeTransLabel, 187, 147, 99, 16, kPage2, 1, 99, nullptr},
    {"选择框3", 0x16010013, kTypeCheckBox, 168, 150, 12, 12, kPage2, 5, 99, nullptr},
    {"透明标签3", 0x16010012, kTypeTransLabel, 55, 147, 80, 16, kPage2, 1, 99, nullptr},
    {"选择框2", 0x16010011, kTypeCheckBox, 36, 150, 12, 12, kPage2, 5, 99, nullptr},
    {"透明标签2", 0x16010010, kTypeTransLabel, 23, 289, 80, 24, kPage1, 1, -1, "OnCustomInstallLinkDown"},
    {"透明标签1", 0x1601000F, kTypeTransLabel, 431, 289, 60, 20, kPage1, 1, -1, "OnLicenceLinkDown"},
    {"选择框1", 0x1601000E, kTypeCheckBox, 335, 293, 16, 16, kPage1, 5, 0, "OnAgreeClick"},
    {"浏览按钮1", 0x1601000C, kTypePicBtn, 396, 107, 75, 23, kPage2, 1, 0, "OnBrowseClick"},
    {"安装按钮2", 0x1601000B, kTypePicBtn, 170, 225, 152, 38, kPage2, 1, 0, "OnCustomInstallClick"},
    {"图片框2", 0x16010009, kTypePicBox, 0, 0, 506, 326, kPages, 1, -1, "OnPageMouseDown"},
    {"安装按钮1", 0x16010007, kTypePicBtn, 170, 225, 152, 38, kPage1, 1, 0, "OnInstallClick"},
    {"图片框1", 0x16010004, kTypePicBox, 0, 0, 506, 326, kPages, 1, -1, "OnPageMouseDown"},
    {"高级选择夹1", 0x16010003, kTypePageControl, 1, 1, 506, 346, 0, 1, 99, nullptr},
};

std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", v);
  return b;
}

const UnitTemplate& Unit(const WindowTemplate& w, uint32_t id) {
  static UnitTemplate none;
  const UnitTemplate* u = FindUnit(w, id);
  return u ? *u : none;
}

void CheckInstallerWindow() {
  const std::string path = std::string(VELTARO_SOURCE_DIR) + "/installer/InstallerWindow.desc";
  std::string text, error;
  Check(ReadWholeFile(path, text), "read " + path);
  WindowTemplate w;
  std::vector<std::string> files;
  bool ok = ParseWindowDescriptionText(text, path, Resolve, ReadOrPlaceholder, w, error, &files);
  Check(ok, "parse the installer's description: " + error);
  if (!ok) return;
  for (const std::string& s : substituted) std::printf("note: %s is missing, placeholder bytes used\n", s.c_str());

  Check(w.id == 0x52010001 && w.reservedA == 0x0068B0B0 && w.reservedB == 0x19010005, "window id and reserved words");
  Check(w.textA.empty() && w.textB.empty(), "window texts empty");
  Check(w.units.size() == 40, "40 units, found " + std::to_string(w.units.size()));
  for (size_t i = 0; i < w.units.size() && i < sizeof kUnits / sizeof kUnits[0]; ++i) {
    const UnitTemplate& u = w.units[i];
    const Expected& e = kUnits[i];
    std::string label = "unit " + std::to_string(i) + " (" + e.name + ")";
    Check(u.name == G(e.name), label + ": name in unit-list order");
    Check(u.id == e.id, label + ": id " + Hex(u.id));
    Check(u.typeCode == e.type, label + ": type " + Hex(u.typeCode));
    Check(u.left == e.left && u.top == e.top && u.width == e.width && u.height == e.height, label + ": rect");
    Check(u.parent == e.parent, label + ": parent " + Hex(u.parent));
    Check(u.flags == e.flags, label + ": flags " + std::to_string(u.flags));
    Check(u.tabOrder == 0 && u.tag.empty() && u.remark.empty() && u.sharedEventLink == 0, label + ": tab order, tag");
    if (e.event == 99) {
      Check(u.events.empty(), label + ": no events");
    } else {
      Check(u.events.size() == 1 && u.events[0].event == e.event && u.events[0].routineOffset == OffsetOf(e.routine),
            label + ": event " + std::to_string(e.event) + " bound to " + e.routine);
    }
    bool link = e.event == -1 && e.type == kTypeTransLabel;
    Check(link ? CursorBlockNumber(u.cursorBlock) == kCursorHand && u.cursorBlock.size() == 4 : u.cursorBlock.empty(),
          label + ": cursor block");
    // Every control except the pages sits in its parent's child list, in unit-list order.
    if (e.parent != 0) {
      const UnitTemplate& parent = Unit(w, e.parent);
      bool listed = false;
      for (uint32_t c : parent.children) listed |= c == e.id;
      Check(listed, label + ": listed by its parent");
    }
  }

  // Child lists: pages split by 0 entries; each picture box lists its page in unit-list order.
  const UnitTemplate& pages = Unit(w, kPages);
  Check(pages.children == std::vector<uint32_t>({kPage1, 0, kPage2, 0, kPage3, 0, kPage4, 0, kPage5}),
        "page control child list");
  for (uint32_t page : {kPage1, kPage2, kPage3, kPage4, kPage5}) {
    const UnitTemplate& p = Unit(w, page);
    int last = -1;
    bool ordered = true;
    for (uint32_t c : p.children) {
      int at = FindUnitIndex(w, c);
      ordered &= at > last && Unit(w, c).parent == page;
      last = at;
    }
    Check(ordered && !p.children.empty(), "children of " + Hex(page) + " in unit-list order");
  }
  Check(Unit(w, kPage1).children.size() == 6 && Unit(w, kPage2).children.size() == 12 &&
            Unit(w, kPage3).children.size() == 6 && Unit(w, kPage4).children.size() == 4 &&
            Unit(w, kPage5).children.size() == 5,
        "controls per page 6, 12, 6, 4, 5");

  // Property blocks.
  WindowBlock wb;
  Check(ReadBlock(w.units[0].propertyBlock, wb), "window block reads");
  Check(wb.Caption == G("Veltaro-会计从业安装") && wb.Border == 0 && wb.BackColour == 0x00FFCD97 && wb.Position == 1 &&
            wb.MaxButton == 0 && wb.MinButton == 1 && wb.ControlBox == 1 && wb.Movable == 1 && wb.EscCloses == 1 &&
            wb.EnterMovesFocus == 0 && wb.ShowInTaskbar == 1 && wb.ClassName.empty() && wb.BackPicture.empty(),
        "window block values");
  PageControlBlock pc;
  const std::string& pcBytes = Unit(w, kPages).propertyBlock;
  Check(pcBytes.size() == 748, "page control block is 748 bytes, found " + std::to_string(pcBytes.size()));
  Check(ReadBlock(pcBytes, pc) && pc.Write() == pcBytes, "page control block round-trips");
  Check(pc.WriteTabs().size() == 528 && pc.Tabs.size() == 5, "528 bytes of tab items, 5 tabs");
  const char* tabNames[] = {"首页界面", "路径选择", "进度界面", "完成界面", "协议界面"};
  for (size_t i = 0; i < pc.Tabs.size() && i < 5; ++i) Check(pc.Tabs[i].Name == G(tabNames[i]), "tab name " + std::to_string(i));
  LogFont tabFont;
  Check(LogFont::Parse(pc.Font, tabFont) && tabFont.Height == -12 && tabFont.Weight == 400 && tabFont.CharSet == 134 &&
            pc.NoTabFont == 0 && pc.CurrentPage == 4 && pc.TabPosition == 1 && pc.TabHeight == 20 &&
            pc.Colour27 == 0xB4A791 && pc.Colour31 == 0x0000FF && pc.Colour32 == 0xFF0000 && pc.Colour46 == 0xECECEC,
        "page control values");
  EditBoxBlock e1, e2;
  Check(ReadBlock(Unit(w, 0x16010017).propertyBlock, e1) && e1.Content == G("C:\\Veltaro\\会计从业资格") &&
            e1.Conversion == 2 && e1.Border == 3 && e1.MultiLine == 0 && e1.BackColour == 0xFFFFFF,
        "edit box 1 values");
  LogFont f1;
  Check(LogFont::Parse(e1.Font, f1) && f1.FaceName == G("宋体") && f1.Height == -12 && f1.Weight == 400 && f1.CharSet == 134,
        "edit box 1 font");
  Check(ReadBlock(Unit(w, 0x160100C7).propertyBlock, e2) && e2.MultiLine == 1 && e2.ScrollBars == 2 && e2.InputMode == 1 &&
            e2.Border == 1 && e2.Font.empty() && !e2.Content.empty(),
        "edit box 2 values");
  TransLabelBlock l13, l7;
  Check(ReadBlock(Unit(w, 0x16010111).propertyBlock, l13) && l13.Caption == "%" && l13.HAlign == 2 && l13.VAlign == 1 &&
            l13.TextColour == 0x535353 && l13.Font.empty(),
        "label 13 values");
  // The documented example of a label block is exactly this label's block.
  const uint8_t example[] = {1, 0, 0, 0, 0, 0, 0, 0, 0x53, 0x53, 0x53, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x25};
  Check(Unit(w, 0x16010111).propertyBlock == std::string(reinterpret_cast<const char*>(example), sizeof example),
        "label 13 block matches the documented example byte for byte");
  LogFont f7;
  Check(ReadBlock(Unit(w, 0x16010026).propertyBlock, l7) && LogFont::Parse(l7.Font, f7) && f7.Weight == 700 &&
            f7.FaceName.empty(),
        "label 7 font");
  Check(Unit(w, 0x160100F0).propertyBlock.empty() && Unit(w, 0x160100EF).propertyBlock.empty(), "timer and ZIP: no block");
  CheckBoxBlock c1, c4;
  Check(ReadBlock(Unit(w, 0x1601000E).propertyBlock, c1) && c1.Checked == 1 && c1.Caption == G("选择框") &&
            c1.TextColour == 0 && c1.BackColour == 0xFFFFFF,
        "check box 1 values");
  Check(ReadBlock(Unit(w, 0x16010015).propertyBlock, c4) && c4.Checked == 1 && c4.Caption.empty() &&
            c4.TextColour == 0x606060,
        "check box 4 values");
  ProcessBarBlock pb;
  Check(ReadBlock(Unit(w, 0x1601002F).propertyBlock, pb) && pb.Border == 3 && pb.Vertical == 0 && pb.Smooth == 1 &&
            pb.Minimum == 0 && pb.Maximum == 100 && pb.Position == 0,
        "progress bar values");
  PicBtnBlock small, install2, close4;
  Check(ReadBlock(Unit(w, 0x1601011E).propertyBlock, small) && !small.NormalPicture.empty() && !small.HotPicture.empty() &&
            small.PressedPicture.empty() && !small.DisabledPicture.empty() && small.TransparentColour == 0xFF000000,
        "small install button pictures");
  Check(ReadBlock(Unit(w, 0x1601000B).propertyBlock, install2) && install2.DisabledPicture.empty(),
        "install button 2 has no disabled picture");
  Check(ReadBlock(Unit(w, 0x16010033).propertyBlock, close4) && !close4.DisabledPicture.empty(), "close button 4 pictures");
  PicBoxBlock pic1;
  Check(ReadBlock(Unit(w, kPage1).propertyBlock, pic1) && !pic1.Picture.empty() && pic1.Border == 0 &&
            pic1.BackColour == 0xFF000000 && pic1.Animate == 1 && pic1.DisplayMode == 0,
        "picture box 1 values");

  // Files pulled in: 5 pages, 3 close, 3 install, 2 finish, 2 browse, 3 small install, the licence.
  std::map<std::string, int> distinct;
  for (const std::string& f : files) distinct[f]++;
  Check(distinct.size() == 19, "19 distinct files read, found " + std::to_string(distinct.size()));

  // The region: written, read back, identical records, written again byte for byte.
  std::string region = WriteRegion({w});
  std::vector<WindowTemplate> back;
  Check(ReadRegion(reinterpret_cast<const uint8_t*>(region.data()), region.size(), back), "installer region reads");
  Check(back.size() == 1 && back[0].units.size() == 40, "one window, 40 units read back");
  Check(WriteRegion(back) == region, "installer region round-trips byte for byte");
  if (back.size() == 1)
    for (size_t i = 0; i < 40 && i < back[0].units.size(); ++i)
      Check(WriteUnitRecord(back[0].units[i]) == WriteUnitRecord(w.units[i]) &&
                back[0].units[i].propertyBlock == w.units[i].propertyBlock,
            "unit " + std::to_string(i) + " read back equal");
}

// Parses `text` as a description and checks that it fails with a message holding each part.
void CheckError(const std::string& text, const std::vector<std::string>& parts, const std::string& what) {
  WindowTemplate w;
  std::string error;
  bool ok = ParseWindowDescriptionText(text, "bad.desc", Resolve, ReadWholeFile, w, error, nullptr);
  bool all = !ok;
  for (const std::string& p : parts) all &= error.find(p) != std::string::npos;
  Check(all, what + " -> \"" + error + "\"");
  if (all) std::printf("ok: %s -> %s\n", what.c_str(), error.c_str());
}

void CheckBadDescriptions() {
  const std::string head = "window 0x52010001\nunit 0x06010000 Window \"\"\n  rect 0 0 10 10\n";
  CheckError(head + "unit 0x16010002 Button \"按钮1\"\n", {"bad.desc:4:", "unit 0x16010002 \"按钮1\"", "unknown type 'Button'"},
             "unknown type");
  CheckError(head + "unit 0x16010002 PicBtn \"按钮1\"\n  event 0 OnNothing\n",
             {"bad.desc:5:", "\"按钮1\"", "unknown routine 'OnNothing'"}, "missing routine");
  CheckError(head + "unit 0x16010002 PicBtn \"按钮1\"\n  rect 1 2 x3 4\n", {"bad.desc:5:", "\"按钮1\"", "'x3' is not a number"},
             "bad number in a rect");
  CheckError(head + "unit 0x16010002 TransLabel \"标签1\"\n  text-colour = 12z\n",
             {"bad.desc:5:", "\"标签1\"", "property 'text-colour'", "'12z' is not a number"}, "bad number in a property");
  CheckError(head + "unit 0x16010002 TransLabel \"标签1\"\n  colour = 1\n",
             {"bad.desc:5:", "unknown property 'colour' for TransLabel"}, "unknown property");
  CheckError(head + "unit 0x16010002 PicBox \"图片框1\"\n  parent 0x16010099\n", {"bad.desc:4:", "parent 0x16010099 is not a unit"},
             "missing parent");
  CheckError(head + "unit 0x06010000 PicBox \"图片框1\"\n", {"bad.desc:4:", "used twice"}, "duplicate id");
  CheckError("unit 0x06010000 Window \"\"\n", {"bad.desc:1:", "must start with 'window"}, "no window line");
  CheckError(head + "unit 0x16010002 ZIP \"z\"\n  interval = 3\n", {"bad.desc:5:", "has no properties"}, "ZIP property");
  CheckError(head + "  caption = \"unterminated\n", {"bad.desc:4:", "not closed"}, "unterminated text");
  CheckError(head + "unit 0x16010002 PicBox \"p\"\n  flags visible hidden\n", {"bad.desc:5:", "unknown flag 'hidden'"},
             "unknown flag");
  CheckError(head + "unit 0x16010002 Timer \"t\"\n  interval = 99999999999\n", {"bad.desc:5:", "out of range"},
             "number out of range");
  CheckError(head + "unit 0x16010002 EditBox \"e\"\n  conversion = 1\n  conversion-mode = 2\n",
             {"bad.desc:6:", "property 'conversion-mode' given twice"}, "alias given twice");
  CheckError(head + "unit 0x16010002 EditBox \"e\"\n  content-file = \"/no/such/file.txt\"\n",
             {"bad.desc:5:", "cannot read file '/no/such/file.txt'"}, "missing file");

  // A small good description: defaults for omitted properties, / as page separator, raw offsets.
  WindowTemplate w;
  std::string error;
  bool ok = ParseWindowDescriptionText(head + "unit 0x16010002 PageControl \"p\"\n  children 0x16010003 / 0x16010004\n"
                                              "  tab \"a\" values 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23\n"
                                              "unit 0x16010003 Timer \"t\"\n  parent 0x16010002\n  event 0 32\n"
                                              "unit 0x16010004 Timer \"u\"\n  parent 0x16010002\n  event 0 none\n",
                                       "good.desc", Resolve, ReadOrPlaceholder, w, error, nullptr);
  Check(ok, "small description parses: " + error);
  if (ok && w.units.size() == 4) {
    Check(w.units[1].children == std::vector<uint32_t>({0x16010003, 0, 0x16010004}), "page separator");
    PageControlBlock pc;
    Check(ReadBlock(w.units[1].propertyBlock, pc) && pc.Tabs.size() == 1 && pc.Tabs[0].Values[22] == 23, "explicit tab values");
    TimerBlock t;
    Check(ReadBlock(w.units[2].propertyBlock, t) && t.Interval == 0 && w.units[2].propertyBlock.size() == 8,
          "timer defaults written as a block");
    Check(w.units[2].events[0].routineOffset == 32 && w.units[3].events[0].routineOffset == -1, "raw offset and none");
  }

  // Texts are taken byte for byte between their quotes, as the program description takes its
  // pool texts: "\\" is two backslashes there and here, and '...' holds a double quote.
  WindowTemplate texts;
  ok = ParseWindowDescriptionText(head + "unit 0x16010002 TransLabel \"a\\b\\\"\n  caption = \"\\\\\"\n"
                                         "unit 0x16010003 TransLabel 'say \"\\n\"'\n  caption = 'C:\\'\n",
                                  "texts.desc", Resolve, ReadOrPlaceholder, texts, error, nullptr);
  Check(ok, "texts with backslashes and quotes parse: " + error);
  TransLabelBlock twoBackslashes, driveRoot;
  if (ok && texts.units.size() == 3) {
    Check(texts.units[1].name == "a\\b\\" && texts.units[2].name == "say \"\\n\"", "names keep every byte");
    Check(ReadBlock(texts.units[1].propertyBlock, twoBackslashes) && twoBackslashes.Caption == "\\\\",
          "\"\\\\\" is two backslashes");
    Check(ReadBlock(texts.units[2].propertyBlock, driveRoot) && driveRoot.Caption == "C:\\", "'C:\\' ends in a backslash");
  }
}

}  // namespace

int main() {
  CheckInstallerWindow();
  CheckBadDescriptions();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
