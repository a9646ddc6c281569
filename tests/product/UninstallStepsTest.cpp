// The uninstaller's building blocks on their own: GBK path handling, the record check, the
// copy's command line and the removal helpers, on real files and real shell links.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/product/CleanupCopy.h"
#include "installer/product/GbkPath.h"
#include "installer/product/Removal.h"
#include "installer/product/UninstallRecord.h"
#include "tests/product/TestProcesses.h"

namespace testing_product {
namespace {

namespace path = product::path;

// "誠" is D5 5C, "東" is 96 7C, "乗" is 81 5C: GBK characters whose second byte is "\" or "|".
const std::string kTrailBackslash = "誠";
const std::string kTrailBar = "東";

TEST(GbkPathTest, SeparatorsAreOnlySeenOnCharacterBoundaries) {
  ASSERT_EQ(kTrailBackslash.size(), 2u);
  ASSERT_EQ(kTrailBackslash[1], '\\');
  ASSERT_EQ(kTrailBar[1], '|');

  EXPECT_EQ(path::Folder("C:\\a\\" + kTrailBackslash), "C:\\a");
  EXPECT_EQ(path::LastComponent("C:\\a\\" + kTrailBackslash), kTrailBackslash);
  EXPECT_FALSE(path::EndsWithSeparator("C:\\" + kTrailBackslash));
  EXPECT_EQ(path::WithoutTrailingSeparators("C:\\乗\\\\"), "C:\\乗");
  EXPECT_EQ(path::Join("C:\\" + kTrailBackslash, "x"), "C:\\" + kTrailBackslash + "\\x");
  EXPECT_EQ(path::Join("C:\\", "x"), "C:\\x");
  EXPECT_EQ(path::Join("", "x"), "x");

  const std::vector<std::string> parts = path::Split("C:\\" + kTrailBar + ".lnk|D:\\b.lnk||", '|');
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0], "C:\\" + kTrailBar + ".lnk");
  EXPECT_EQ(parts[1], "D:\\b.lnk");
  EXPECT_EQ(path::Trim("  \t a b \t"), "a b");
  EXPECT_EQ(path::Trim(" \t "), "");
}

TEST(GbkPathTest, CaseFoldingLeavesTrailBytesAlone) {
  EXPECT_TRUE(path::EqualIgnoringCase("c:\\veltaro\\会计", "C:\\VELTARO\\会计"));
  // 0x81 0x41 and 0x81 0x61 are two different characters, not "A" and "a".
  EXPECT_FALSE(path::EqualIgnoringCase("C:\\\x81\x41", "C:\\\x81\x61"));
}

TEST(GbkPathTest, DriveRootsAndDrivePaths) {
  for (const char* root : {"C:", "C:\\", "d:\\\\", "Z:"}) EXPECT_TRUE(path::IsDriveRoot(root)) << root;
  for (const char* other : {"", "\\", "C:\\a", "CC:\\", "1:\\"}) EXPECT_FALSE(path::IsDriveRoot(other)) << other;
  EXPECT_TRUE(path::IsDrivePath("C:\\Veltaro"));
  EXPECT_FALSE(path::IsDrivePath("C:Veltaro"));
  EXPECT_FALSE(path::IsDrivePath("\\\\server\\share"));
  EXPECT_FALSE(path::IsDrivePath("Veltaro\\会计"));
  EXPECT_EQ(path::Normalised("C:\\Veltaro\\.."), "C:");
  EXPECT_EQ(path::Normalised("C:/Veltaro/会计从业资格/"), "C:\\Veltaro\\会计从业资格");
  EXPECT_TRUE(path::SameFolder("c:\\veltaro\\.\\会计从业资格", "C:\\Veltaro\\会计从业资格\\"));
}

TEST(CleanupCopyTest, CommandLineCarriesHandleAndFolderExactly) {
  const std::string folder = "C:\\" + kTrailBackslash + "\"\\Veltaro\\会计从业资格";
  const std::string line = "\"C:\\temp\\Veltaro-Uninstall-7.exe\" /cleanup 124 " + product::ToHex(folder);
  product::CleanupRequest request;
  ASSERT_TRUE(product::ParseCleanupRequest(line.c_str(), request));
  EXPECT_EQ(request.original, reinterpret_cast<HANDLE>(124));
  EXPECT_EQ(request.folder, folder);

  for (const char* wrong : {"Uninstall.exe", "\"Uninstall.exe\" /cleanup", "\"U.exe\" /cleanup 12",
                            "\"U.exe\" /cleanup x 41", "\"U.exe\" /cleanup 12 4", "\"U.exe\" /cleanup 12 4G",
                            "\"U.exe\" /cleanup 0 41", "\"U.exe\" /other 12 41", "\"U.exe\" /cleanup 12 41 extra"}) {
    EXPECT_FALSE(product::ParseCleanupRequest(wrong, request)) << wrong;
  }
  EXPECT_FALSE(product::ParseCleanupRequest(nullptr, request));
}

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = path::Join(TempFolder(), "veltaro-removal-" + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(MakeFolders(root_));
  }
  void TearDown() override { product::RemoveTree(root_); }
  std::string root_;
};

TEST_F(RemovalTest, RemoveTreeTakesReadOnlyFilesAndNestedFolders) {
  const std::string tree = path::Join(root_, "树");
  ASSERT_TRUE(MakeFolders(path::Join(tree, "一\\二\\三")));
  ASSERT_TRUE(WriteTextFile(path::Join(tree, "一\\二\\三\\文件.txt"), "x"));
  const std::string locked = path::Join(tree, "一\\只读.txt");
  ASSERT_TRUE(WriteTextFile(locked, "x"));
  ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA(path::Join(tree, "一\\二").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(product::RemoveTree(tree));
  EXPECT_FALSE(Exists(tree));
  EXPECT_TRUE(product::RemoveTree(tree)) << "a missing folder counts as removed";
  EXPECT_TRUE(Exists(root_));
}

TEST_F(RemovalTest, RemoveTreeExceptKeepsOneFile) {
  const std::string keep = path::Join(root_, "Uninstall.exe");
  ASSERT_TRUE(WriteTextFile(keep, "x"));
  ASSERT_TRUE(WriteTextFile(path::Join(root_, "其他.dat"), "x"));
  ASSERT_TRUE(MakeFolders(path::Join(root_, "子目录")));
  EXPECT_TRUE(product::RemoveTreeExcept(root_, keep));
  EXPECT_TRUE(Exists(keep));
  EXPECT_FALSE(Exists(path::Join(root_, "其他.dat")));
  EXPECT_FALSE(Exists(path::Join(root_, "子目录")));
}

TEST_F(RemovalTest, OnlyShellLinksCountAsShortcuts) {
  const std::string text = path::Join(root_, "假的.lnk");
  const char fake[] = "\x4C\0\0\0 not really a link";  // the right size, but not the class id
  ASSERT_TRUE(WriteTextFile(text, std::string(fake, sizeof fake - 1)));
  EXPECT_FALSE(product::IsShellLinkFile(text));
  EXPECT_FALSE(product::IsShellLinkFile(path::Join(root_, "缺少.lnk")));
  EXPECT_FALSE(product::IsShellLinkFile(root_));
  product::RemoveShortcuts({text, root_, path::Join(root_, "缺少.lnk")});
  EXPECT_TRUE(Exists(text));
  EXPECT_TRUE(Exists(root_));
}

TEST(UninstallRecordTest, ReadsTheThreeEntriesAndChecksTheFolder) {
  const std::string folder = path::Join(TempFolder(), "veltaro-record-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(MakeFolders(folder));
  const std::string ini = path::Join(folder, "Uninstall.ini");
  product::UninstallRecord record = product::ReadUninstallRecord(folder);
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::NoRecord);

  ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", (folder + "\\").c_str(), ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("快捷方式", "快捷方式", " C:\\a.lnk | | C:\\東.lnk ", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("程序组", "程序组", "C:\\组", ini.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  record = product::ReadUninstallRecord(folder);
  EXPECT_EQ(record.folder, folder + "\\");
  EXPECT_EQ(record.shortcuts, (std::vector<std::string>{"C:\\a.lnk", "C:\\東.lnk"}));
  EXPECT_EQ(record.programGroup, "C:\\组");
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::None);

  record.folder = "";
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::NoFolder);
  record.folder = "C:\\";
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::DriveRoot);
  record.folder = "\\\\server\\share\\Veltaro";
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::NotDrivePath);
  record.folder = path::Folder(folder);
  EXPECT_EQ(product::CheckUninstallRecord(record, folder), product::RecordProblem::OtherFolder);
  product::RemoveTree(folder);
}

}  // namespace
}  // namespace testing_product
