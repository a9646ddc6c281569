// The install log's text form: what the installer writes must come back byte for byte, and
// anything that is not a whole, well-formed log of one folder must be refused, since the
// uninstaller deletes what a log lists.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/product/GbkPath.h"
#include "installer/product/InstallLog.h"
#include "tests/product/TestProcesses.h"

namespace testing_product {
namespace {

using product::InstallLog;
namespace path = product::path;

// "\x81\x5C" is one GBK character whose second byte is "\".
const std::string kTrailBackslash = "\x81\x5C";

InstallLog Sample() {
  InstallLog log;
  log.folder = "C:\\Veltaro\\会计从业资格";
  log.made = "C:\\Veltaro";
  log.items = {{true, "题库"},
               {true, "题库\\" + kTrailBackslash},
               {false, "题库\\" + kTrailBackslash + "\\第一章.dat"},
               {false, "会计从业资格.exe"}};
  return log;
}

void ExpectSame(const InstallLog& actual, const InstallLog& expected) {
  EXPECT_EQ(actual.folder, expected.folder);
  EXPECT_EQ(actual.made, expected.made);
  ASSERT_EQ(actual.items.size(), expected.items.size());
  for (size_t i = 0; i < actual.items.size(); ++i) {
    EXPECT_EQ(actual.items[i].isFolder, expected.items[i].isFolder) << i;
    EXPECT_EQ(actual.items[i].path, expected.items[i].path) << i;
  }
}

// The sample's text with one line replaced (or removed, for an empty replacement).
std::string WithLine(size_t index, const std::string& replacement) {
  const std::string text = product::FormatInstallLog(Sample());
  std::vector<std::string> lines = path::Split(text, '\n');
  std::string edited;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i != index) edited += lines[i] + (i + 1 < lines.size() ? "\n" : "");
    else if (!replacement.empty()) edited += replacement + "\r\n";
  }
  return edited;
}

TEST(InstallLogTest, FormatsAndParsesBackGbkNamesExactly) {
  const std::string text = product::FormatInstallLog(Sample());
  EXPECT_EQ(text.rfind("Veltaro install log 1\r\nfolder=C:\\Veltaro\\会计从业资格\r\nmade=C:\\Veltaro\r\nD 题库\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nend 4\r\n"), std::string::npos);
  InstallLog parsed;
  ASSERT_TRUE(product::ParseInstallLog(text, parsed));
  ExpectSame(parsed, Sample());

  // Lines ending in a bare LF, and no line end after the count, read the same.
  std::string bare;
  for (char c : text) {
    if (c != '\r') bare += c;
  }
  bare.pop_back();
  InstallLog fromBare;
  ASSERT_TRUE(product::ParseInstallLog(bare, fromBare));
  ExpectSame(fromBare, Sample());

  InstallLog empty = Sample();
  empty.items.clear();
  empty.made.clear();
  InstallLog parsedEmpty;
  ASSERT_TRUE(product::ParseInstallLog(product::FormatInstallLog(empty), parsedEmpty));
  ExpectSame(parsedEmpty, empty);
}

TEST(InstallLogTest, RefusesTextThatIsNotAWholeLog) {
  const std::string text = product::FormatInstallLog(Sample());
  struct Case {
    const char* what;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"no header", WithLine(0, "")},
      {"other header", WithLine(0, "Veltaro install log 2")},
      {"no folder line", WithLine(1, "")},
      {"relative folder", WithLine(1, "folder=Veltaro\\会计从业资格")},
      {"drive as folder", WithLine(1, "folder=C:\\")},
      {"folder with a trailing separator", WithLine(1, "folder=C:\\Veltaro\\会计从业资格\\")},
      // "made" would pass for a parent of the text while it is no parent of the place.
      {"folder that walks up", WithLine(1, "folder=C:\\Veltaro\\..\\会计从业资格")},
      {"no made line", WithLine(2, "")},
      {"count too high", WithLine(7, "end 5")},
      {"count too low", WithLine(7, "end 3")},
      {"count not a number", WithLine(7, "end 4x")},
      {"cut before the count", text.substr(0, text.find("end 4"))},
      {"cut inside an item", text.substr(0, text.find("第一章"))},
      {"a line after the count", text + "F 多余.dat\r\n"},
      {"unknown tag", WithLine(4, "X 题库")},
      {"tag without blank", WithLine(4, "D题库")},
  };
  for (const Case& c : cases) {
    InstallLog log;
    log.folder = "untouched";
    EXPECT_FALSE(product::ParseInstallLog(c.text, log)) << c.what;
    EXPECT_EQ(log.folder, "untouched") << c.what << ": a refused log must not fill the result";
  }
}

TEST(InstallLogTest, RefusesItemsThatLeaveTheFolder) {
  const std::vector<std::string> outside = {
      "..", "..\\..\\Windows", "题库\\..\\..\\别处", ". .", "... ", ".", "题库\\.", "\\Windows", "C:\\Windows",
      "C:Windows", "题库/../..", "a/b", "题库\\", "题库\\\\章节", "", "设置.ini:隐藏", "a\tb",
      // Windows reads 0x80 and 0xFF as characters of their own, so the "\" after them separates.
      "x\x80\\victim.dll", "\xFF\\..\\..\\Windows", "题库\\\xFF"};
  for (const std::string& item : outside) {
    EXPECT_FALSE(product::IsContainedRelativePath(item)) << item;
    InstallLog log;
    EXPECT_FALSE(product::ParseInstallLog(WithLine(5, "F " + item), log)) << item;
  }
  const std::vector<std::string> inside = {kTrailBackslash, "题库\\" + kTrailBackslash, "a..b", ".隐藏", "题库\\章节\\第一章.dat",
                                           "\x81\x80\\\xFE\xFF.dat"};  // 0x80 and 0xFF as trail bytes
  for (const std::string& item : inside) {
    EXPECT_TRUE(product::IsContainedRelativePath(item)) << item;
    InstallLog log;
    ASSERT_TRUE(product::ParseInstallLog(WithLine(5, "F " + item), log)) << item;
    EXPECT_EQ(log.items[2].path, item);
  }
}

TEST(InstallLogTest, MadeIsTheFolderOrOneOfItsParentsButNeverADrive) {
  for (const char* made : {"", "C:\\Veltaro", "c:\\VELTARO", "C:\\Veltaro\\会计从业资格"}) {
    InstallLog log;
    EXPECT_TRUE(product::ParseInstallLog(WithLine(2, std::string("made=") + made), log)) << made;
    EXPECT_EQ(log.made, made);
  }
  for (const char* made : {"C:\\", "C:", "c:\\\\", "C:\\Vel", "C:\\Veltaro\\", "D:\\Veltaro", "Veltaro",
                           "C:\\Veltaro\\会计从业资格\\题库", "C:\\Other"}) {
    InstallLog log;
    EXPECT_FALSE(product::ParseInstallLog(WithLine(2, std::string("made=") + made), log)) << made;
  }
}

TEST(InstallLogTest, WritesAndReadsTheFileWhole) {
  const std::string folder = path::Join(TempFolder(), "veltaro-log-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(MakeFolders(folder));
  InstallLog log = Sample();
  InstallLog read;
  EXPECT_FALSE(product::ReadInstallLog(folder, read)) << "no log yet";
  // As many files as the largest product the installer must handle.
  for (int i = 0; i < 100000; ++i) log.items.push_back({false, "题库\\" + kTrailBackslash + "\\" + std::to_string(i) + ".dat"});
  ASSERT_TRUE(product::WriteInstallLog(folder, log));
  ASSERT_TRUE(product::ReadInstallLog(folder, read));
  ExpectSame(read, log);

  const std::string file = path::Join(folder, "Uninstall.log");
  const std::string text = ReadTextFile(file);
  ASSERT_TRUE(WriteTextFile(file, text.substr(0, text.size() / 2)));
  EXPECT_FALSE(product::ReadInstallLog(folder, read)) << "half a log";
  RemoveFixtureTree(folder);
}

}  // namespace
}  // namespace testing_product
