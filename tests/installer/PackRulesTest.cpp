// What the pack check asks of each entry of a product archive, on entries made here field by
// field: names Windows keeps as written, one file per name, folders before their files, and the
// two programs at the top level. (Reading real archives and unpacking them is tested end to end
// through scripts/pack.)
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "installer/pack/EntryRules.h"

namespace {

using pack::ArchiveEntry;
using pack::ArchiveLayout;

constexpr uint16_t kUtf8 = 0x0800;
constexpr uint16_t kMadeOnUnix = 0x031E, kMadeOnDos = 0x0014;

ArchiveEntry Entry(const std::string& name, uint16_t flags = 0, uint16_t madeBy = kMadeOnDos) {
  ArchiveEntry entry;
  entry.storedName = name;
  entry.flags = flags;
  entry.versionMadeBy = madeBy;
  entry.method = 8;
  entry.external = !name.empty() && name.back() == '/' ? 0x10 : 0x20;
  return entry;
}

// The entries, then the two programs, numbered in order.
ArchiveLayout Layout(std::vector<ArchiveEntry> entries, bool withPrograms = true) {
  if (withPrograms) {
    entries.push_back(Entry("Uninstall.exe"));
    entries.push_back(Entry("会计从业资格.exe"));
  }
  ArchiveLayout layout;
  for (size_t i = 0; i < entries.size(); ++i) entries[i].index = static_cast<uint32_t>(i);
  layout.entries = std::move(entries);
  return layout;
}

// "index: reason" of each refusal, -1 for the archive as a whole.
std::vector<std::string> Refusals(const ArchiveLayout& layout, std::vector<pack::PlannedItem>* items = nullptr) {
  std::vector<pack::PlannedItem> planned;
  std::vector<std::string> found;
  for (const pack::Refusal& refusal : pack::CheckEntries(layout, items ? items : &planned)) {
    found.push_back(std::to_string(refusal.entry) + ": " + refusal.reason);
  }
  return found;
}

bool RefusedFor(const std::vector<std::string>& refusals, const std::string& start, const std::string& words) {
  for (const std::string& refusal : refusals) {
    if (refusal.compare(0, start.size(), start) == 0 && refusal.find(words) != std::string::npos) return true;
  }
  return false;
}

std::string UnicodePathBlock(const std::string& stored, const std::string& utf8) {
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(stored.data()), static_cast<uInt>(stored.size()));
  std::string data(1, '\x01');
  for (int shift = 0; shift < 32; shift += 8) data += static_cast<char>(crc >> shift);
  data += utf8;
  std::string block = {'\x75', '\x70', static_cast<char>(data.size()), static_cast<char>(data.size() >> 8)};
  return block + data;
}

TEST(PackRulesTest, AWellMadeProductPlansEveryEntryUnderItsGbkName) {
  std::vector<pack::PlannedItem> items;
  // 乗 and 亅 have the trail bytes 0x5C ("\") and 0x7C ("|"): neither is a separator or forbidden.
  EXPECT_TRUE(Refusals(Layout({Entry("资料/深处/"), Entry("资料/说明.txt"), Entry(u8"题库/", kUtf8),
                               Entry(u8"题库/第一章.dat", kUtf8), Entry("表乗亅/"), Entry("表乗亅/x.txt")}),
                       &items).empty());
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[1].path, "资料\\说明.txt") << "a folder entry makes the levels above it too";
  EXPECT_EQ(items[3].path, "题库\\第一章.dat") << "a UTF-8 name lands under its GBK form";
  EXPECT_TRUE(items[2].isFolder);
  EXPECT_FALSE(items[3].isFolder);
}

TEST(PackRulesTest, NamesWindowsWouldNotKeepAsWrittenAreRefused) {
  const std::vector<std::string> refusals = Refusals(Layout({
      Entry("a?.txt"), Entry("tab\t.txt"), Entry("dot./"), Entry("blank /"), Entry(std::string(201, 'n')),
      Entry(std::string(200, 'k')), Entry("../up.txt"), Entry("C:/x.txt"), Entry("com1.log"), Entry("/root.txt"),
      Entry("bad\xFF.txt"), Entry(u8"\U0001F600.txt", kUtf8), Entry(u8"程序.txt", 0, kMadeOnUnix),
      Entry("two//parts.txt"), Entry("x\x80/y.txt")}));
  EXPECT_TRUE(RefusedFor(refusals, "0: ", "does not allow"));
  EXPECT_TRUE(RefusedFor(refusals, "1: ", "does not allow"));
  EXPECT_TRUE(RefusedFor(refusals, "2: ", "ends in a dot or a blank"));
  EXPECT_TRUE(RefusedFor(refusals, "3: ", "ends in a dot or a blank"));
  EXPECT_TRUE(RefusedFor(refusals, "4: ", "201 bytes long"));
  EXPECT_FALSE(RefusedFor(refusals, "5: ", "")) << "200 bytes are taken";
  EXPECT_TRUE(RefusedFor(refusals, "6: ", "climbs out"));
  EXPECT_TRUE(RefusedFor(refusals, "7: ", "\":\""));
  EXPECT_TRUE(RefusedFor(refusals, "8: ", "device name"));
  EXPECT_TRUE(RefusedFor(refusals, "9: ", "begins with a separator"));
  EXPECT_TRUE(RefusedFor(refusals, "10: ", "neither valid GBK nor flagged UTF-8"));
  EXPECT_TRUE(RefusedFor(refusals, "11: ", "GBK"));
  EXPECT_FALSE(RefusedFor(refusals, "12: ", "")) << "valid GBK in an archive whose unflagged names are GBK";
  EXPECT_TRUE(RefusedFor(refusals, "13: ", "empty or"));
  EXPECT_TRUE(RefusedFor(refusals, "14: ", "0x80 or 0xFF")) << "Windows reads x€ and y.txt, not one name";
  EXPECT_EQ(refusals.size(), 13u);
}

// 凭证 (C6BE D6A4) and 图片 are GBK bytes that read as UTF-8 too; the main program's entry decides.
TEST(PackRulesTest, TheMainProgramsNameTellsHowUnflaggedNamesAreEncoded) {
  std::vector<pack::PlannedItem> items;
  EXPECT_TRUE(Refusals(Layout({Entry("凭证/"), Entry("凭证/露.txt"), Entry("图片/")}), &items).empty());
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[1].path, "凭证\\露.txt");
  EXPECT_TRUE(Refusals(Layout({Entry(u8"会计从业资格.exe", kUtf8), Entry("Uninstall.exe"), Entry("凭证/")}, false))
                  .empty())
      << "a flagged main program says nothing against GBK";
  const std::vector<std::string> unflaggedUtf8 =
      Refusals(Layout({Entry(u8"会计从业资格.EXE", 0, kMadeOnUnix), Entry("Uninstall.exe"), Entry(u8"题库/")}, false));
  ASSERT_EQ(unflaggedUtf8.size(), 1u) << "one reason for the whole archive, not one per name";
  EXPECT_TRUE(RefusedFor(unflaggedUtf8, "-1: ", "UTF-8 without the UTF-8 flag"));
  EXPECT_TRUE(RefusedFor(unflaggedUtf8, "-1: ", "7-Zip"));
}

TEST(PackRulesTest, NamesTheInstallerWritesItselfAreRefused) {
  const std::vector<std::string> refusals = Refusals(Layout({
      Entry("ZIP.TMP"), Entry("uninstall.INI"), Entry("Uninstall.log.new"), Entry("Uninstall.log/"), Entry("题库/"),
      Entry("题库/zip.tmp"), Entry("题库/第一章.dat.UNPACK~"), Entry("Uninstall.log.txt"), Entry("earlier-7.unpack~/旧.dat")}));
  EXPECT_TRUE(RefusedFor(refusals, "0: ", "the archive it unpacks"));
  EXPECT_TRUE(RefusedFor(refusals, "1: ", "the record its uninstaller reads"));
  EXPECT_TRUE(RefusedFor(refusals, "2: ", "Uninstall.log.new"));
  EXPECT_TRUE(RefusedFor(refusals, "3: ", "Uninstall.log")) << "a folder of that name blocks the record too";
  EXPECT_TRUE(RefusedFor(refusals, "6: ", ".unpack~"));
  EXPECT_TRUE(RefusedFor(refusals, "8: ", ".unpack~")) << "the folder the replaced files are kept in";
  EXPECT_EQ(refusals.size(), 6u) << "the names are the installer's only at the top level, and only whole";
}

TEST(PackRulesTest, AUnicodePathFieldMustAgreeWithTheGbkName) {
  ArchiveEntry agreeing = Entry("说明.txt");  // as the shipped product's last entry carries one
  const std::string field = UnicodePathBlock(agreeing.storedName, u8"说明.txt");
  agreeing.extra.assign(field.begin(), field.end());
  ArchiveEntry other = Entry("\xC4\xE3.txt");  // some code page's bytes that read as GBK too
  const std::string otherField = UnicodePathBlock(other.storedName, u8"Ĳ.txt");
  other.extra.assign(otherField.begin(), otherField.end());
  const std::vector<std::string> refusals = Refusals(Layout({agreeing, other}));
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_TRUE(RefusedFor(refusals, "1: ", "another code page"));
}

TEST(PackRulesTest, OneFilePerNameAndAFolderEntryBeforeEveryFile) {
  const std::vector<std::string> refusals = Refusals(Layout({
      Entry("Readme.txt"), Entry("README.TXT"), Entry("docs/"), Entry("DOCS"), Entry("readme.txt/"),
      Entry("程序/说明.txt"), Entry("程序/"), Entry("程序/说明.txt")}));
  EXPECT_TRUE(RefusedFor(refusals, "1: ", "same file as entry 0"));
  EXPECT_TRUE(RefusedFor(refusals, "3: ", "folder of the archive has the same name"));
  EXPECT_TRUE(RefusedFor(refusals, "4: ", "also a file"));
  EXPECT_TRUE(RefusedFor(refusals, "5: ", "no folder entry before it")) << "its folder entry comes later";
  EXPECT_FALSE(RefusedFor(refusals, "7: ", "")) << "after its folder entry the same name is fine";
  EXPECT_EQ(refusals.size(), 4u);
}

TEST(PackRulesTest, TheTwoProgramsMustBeAtTheTopLevel) {
  const std::vector<std::string> refusals = Refusals(
      Layout({Entry("product/"), Entry("product/会计从业资格.exe"), Entry("product/uninstall.exe")}, false));
  ASSERT_EQ(refusals.size(), 2u);
  EXPECT_TRUE(RefusedFor(refusals, "-1: ", "no \"会计从业资格.exe\" at its top level"));
  EXPECT_TRUE(RefusedFor(refusals, "-1: ", "zip what that folder holds")) << "the likely mistake is named";
  EXPECT_TRUE(RefusedFor(refusals, "-1: ", "no \"Uninstall.exe\""));
  EXPECT_TRUE(Refusals(Layout({Entry("UNINSTALL.EXE"), Entry("会计从业资格.EXE")}, false)).empty())
      << "Windows finds the programs whatever their case";
}

TEST(PackRulesTest, OnlyStoredAndDeflatedEntriesWithoutPassword) {
  ArchiveEntry bzip2 = Entry("a.bin");
  bzip2.method = 12;
  ArchiveEntry encrypted = Entry("b.bin");
  encrypted.flags = 0x0001;
  ArchiveEntry stored = Entry("c.bin");
  stored.method = 0;
  const std::vector<std::string> refusals = Refusals(Layout({bzip2, encrypted, stored}));
  EXPECT_TRUE(RefusedFor(refusals, "0: ", "bzip2"));
  EXPECT_TRUE(RefusedFor(refusals, "1: ", "encrypted"));
  EXPECT_EQ(refusals.size(), 2u);
}

}  // namespace
