// The uninstaller's building blocks on their own: GBK path handling, the record check, the
// copy's command line and the removal steps, on real files, real shell links and the registry.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/product/CleanupCopy.h"
#include "installer/product/GbkPath.h"
#include "installer/product/InstalledFiles.h"
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
  const std::string line = "\"C:\\temp\\Veltaro-Uninstall-7.exe\" /cleanup 124 88 " + product::ToHex(folder);
  product::CleanupRequest request;
  ASSERT_TRUE(product::ParseCleanupRequest(line.c_str(), request));
  EXPECT_EQ(request.original, reinterpret_cast<HANDLE>(124));
  EXPECT_EQ(request.agreed, reinterpret_cast<HANDLE>(88));
  EXPECT_EQ(request.folder, folder);

  for (const char* wrong : {"Uninstall.exe", "\"Uninstall.exe\" /cleanup", "\"U.exe\" /cleanup 12 8",
                            "\"U.exe\" /cleanup x 8 41", "\"U.exe\" /cleanup 12 8 4", "\"U.exe\" /cleanup 12 8 4G",
                            "\"U.exe\" /cleanup 0 8 41", "\"U.exe\" /cleanup 12 0 41", "\"U.exe\" /other 12 8 41",
                            "\"U.exe\" /cleanup 12 8 41 extra", "\"U.exe\" /cleanup 12 41"}) {
    EXPECT_FALSE(product::ParseCleanupRequest(wrong, request)) << wrong;
  }
  EXPECT_FALSE(product::ParseCleanupRequest(nullptr, request));
}

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = path::Join(TempFolder(), "veltaro-removal-" + std::to_string(GetCurrentProcessId()));
    RemoveFixtureTree(root_);
    ASSERT_TRUE(MakeFolders(root_));
  }
  void TearDown() override { RemoveFixtureTree(root_); }
  std::string root_;
};

// An installation into <root>\选择\Veltaro\会计从业资格 that made the Veltaro level, as its log says.
class InstalledItemsTest : public RemovalTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(RemovalTest::SetUp());
    chosen_ = path::Join(root_, "选择");
    log_.made = path::Join(chosen_, "Veltaro");
    log_.folder = path::Join(log_.made, "会计从业资格");
    log_.items = {{true, "题库"},
                  {true, "题库\\乗章"},
                  {false, "题库\\乗章\\第一章.dat"},
                  {false, "题库\\只读.dat"},
                  {false, "Uninstall.exe"}};
    for (const product::InstalledItem& item : log_.items) {
      ASSERT_TRUE(item.isFolder ? MakeFolders(In(item.path)) : WriteTextFile(In(item.path), "x")) << item.path;
    }
    ASSERT_TRUE(SetFileAttributesA(In("题库\\只读.dat").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(In("题库\\乗章").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteTextFile(In("Uninstall.ini"), "[路径]\r\n"));
    ASSERT_TRUE(product::WriteInstallLog(log_.folder, log_));
  }

  std::string In(const std::string& relative) const { return path::Join(log_.folder, relative); }

  void ExpectProductFilesGone() const {
    for (const char* file : {"题库\\乗章\\第一章.dat", "题库\\只读.dat", "Uninstall.exe", "Uninstall.ini", "Uninstall.log"}) {
      EXPECT_FALSE(Exists(In(file))) << file;
    }
  }

  std::string chosen_;  // the folder the user chose; it was there before
  product::InstallLog log_;
};

TEST_F(InstalledItemsTest, RemovesWhatIsListedAndTheFoldersTheInstallationMade) {
  const product::RemovalResult result = product::RemoveInstalledItems(log_, std::string());
  EXPECT_TRUE(result.complete);
  EXPECT_FALSE(result.folderKept);
  ExpectProductFilesGone();
  EXPECT_FALSE(Exists(log_.folder));
  EXPECT_FALSE(Exists(log_.made));
  EXPECT_TRUE(Exists(chosen_)) << "the installation did not make it";
}

TEST_F(InstalledItemsTest, KeepsWhatTheUserAddedAndTheFoldersHoldingIt) {
  ASSERT_TRUE(WriteTextFile(In("我的笔记.txt"), "mine"));
  ASSERT_TRUE(MakeFolders(In("我的资料\\空")));
  ASSERT_TRUE(WriteTextFile(In("题库\\笔记.txt"), "mine"));
  const product::RemovalResult result = product::RemoveInstalledItems(log_, std::string());
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(result.folderKept);
  ExpectProductFilesGone();
  EXPECT_FALSE(Exists(In("题库\\乗章")));
  EXPECT_TRUE(Exists(In("我的笔记.txt")));
  EXPECT_TRUE(Exists(In("我的资料\\空"))) << "an unlisted folder stays even when empty";
  EXPECT_TRUE(Exists(In("题库\\笔记.txt")));
  EXPECT_TRUE(Exists(log_.made));
}

TEST_F(InstalledItemsTest, LeavesAFolderWhereAFileWasListed) {
  ASSERT_TRUE(DeleteFileA(In("Uninstall.exe").c_str()));
  ASSERT_TRUE(MakeFolders(In("Uninstall.exe")));
  ASSERT_TRUE(WriteTextFile(In("Uninstall.exe\\用户.txt"), "mine"));
  const product::RemovalResult result = product::RemoveInstalledItems(log_, std::string());
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(result.folderKept);
  EXPECT_TRUE(Exists(In("Uninstall.exe\\用户.txt")));
  EXPECT_FALSE(Exists(In("题库")));
}

TEST_F(InstalledItemsTest, NeverFollowsALinkInPlaceOfAListedFolder) {
  // Someone's own files, and a link to them where the installation's folder was.
  const std::string theirs = path::Join(root_, "别人的");
  ASSERT_TRUE(MakeFolders(path::Join(theirs, "乗章")));
  ASSERT_TRUE(WriteTextFile(path::Join(theirs, "乗章\\第一章.dat"), "theirs"));
  ASSERT_TRUE(WriteTextFile(path::Join(theirs, "只读.dat"), "theirs"));
  ASSERT_TRUE(SetFileAttributesA(In("题库\\只读.dat").c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(SetFileAttributesA(In("题库\\乗章").c_str(), FILE_ATTRIBUTE_NORMAL));
  RemoveFixtureTree(In("题库"));
  if (!MakeFolderLink(In("题库"), theirs)) {
    GTEST_SKIP() << "no folder link to test with (Wine 8 makes none: its CreateSymbolicLink leaves nothing)";
  }

  const product::RemovalResult result = product::RemoveInstalledItems(log_, std::string());
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(Exists(path::Join(theirs, "乗章\\第一章.dat")));
  EXPECT_TRUE(Exists(path::Join(theirs, "只读.dat")));
  EXPECT_FALSE(Exists(In("题库"))) << "the link goes as a link";
  EXPECT_FALSE(Exists(log_.folder));
}

TEST_F(InstalledItemsTest, KeepsTheRunningUninstallerAndFilesInUse) {
  const std::string held = In("题库\\乗章\\第一章.dat");
  rt::UniqueHandle holder(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.Valid());
  const product::RemovalResult result = product::RemoveInstalledItems(log_, In("Uninstall.exe"));
  EXPECT_FALSE(result.complete);
  EXPECT_TRUE(Exists(held));
  EXPECT_TRUE(Exists(In("Uninstall.exe")));
  EXPECT_FALSE(Exists(In("题库\\只读.dat")));
  EXPECT_FALSE(Exists(In("Uninstall.log")));

  holder.Close();
  ASSERT_TRUE(DeleteFileA(held.c_str()));
  ASSERT_TRUE(WriteTextFile(In("Uninstall.ini"), "[路径]\r\n"));
  ASSERT_TRUE(product::WriteInstallLog(log_.folder, log_));
  const product::RemovalResult second = product::RemoveInstalledItems(log_, In("Uninstall.exe"));
  EXPECT_TRUE(second.complete);
  EXPECT_FALSE(second.folderKept) << "only the kept uninstaller is left";
  EXPECT_TRUE(Exists(In("Uninstall.exe")));
  EXPECT_FALSE(Exists(In("题库")));
}

TEST(CreatedLevelsTest, ReachUpToTheMadeFolderAndNeverPastAProtectedOne) {
  using Levels = std::vector<std::string>;
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b\\c", "C:\\a"), (Levels{"C:\\a\\b\\c", "C:\\a\\b", "C:\\a"}));
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b\\c", "c:\\A\\B"), (Levels{"C:\\a\\b\\c", "C:\\a\\b"}));
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b", "C:\\a\\b"), (Levels{"C:\\a\\b"}));
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b", ""), Levels{});
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b", "C:\\x"), Levels{});
  EXPECT_EQ(product::FolderAndCreatedParents("C:\\a\\b", "C:"), Levels{});

  char profile[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)));
  product::InstallLog log;
  log.folder = path::Join(profile, "Veltaro\\会计从业资格");
  log.made = path::Folder(profile);  // a log claiming the Users folder was made
  EXPECT_EQ(product::RemovableLevels(log), (Levels{log.folder, path::Join(profile, "Veltaro")}));
}

TEST_F(RemovalTest, OnlyShellLinksCountAsShortcuts) {
  const std::string text = path::Join(root_, "假的.lnk");
  const char fake[] = "\x4C\0\0\0 not really a link";  // the right size, but not the class id
  ASSERT_TRUE(WriteTextFile(text, std::string(fake, sizeof fake - 1)));
  EXPECT_FALSE(product::IsShellLinkFile(text));
  EXPECT_FALSE(product::IsShellLinkFile(path::Join(root_, "缺少.lnk")));
  EXPECT_FALSE(product::IsShellLinkFile(root_));
  product::RemoveShortcuts({text, root_, path::Join(root_, "缺少.lnk")}, root_, "");
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
  RemoveFixtureTree(folder);
}

TEST_F(RemovalTest, LoadInstallationNeedsARecordAndALogOfThisVeryFolder) {
  const std::string folder = path::Join(root_, "会计从业资格");
  ASSERT_TRUE(MakeFolders(folder));
  product::RecordedInstallation installation;
  EXPECT_EQ(product::LoadInstallation(folder, installation), product::Refusal::BadRecord);
  const std::string ini = path::Join(folder, "Uninstall.ini");
  ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", folder.c_str(), ini.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  EXPECT_EQ(product::LoadInstallation(folder, installation), product::Refusal::BadLog) << "no log";

  product::InstallLog log;
  log.folder = folder;
  log.items = {{false, "Uninstall.exe"}};
  ASSERT_TRUE(product::WriteInstallLog(folder, log));
  EXPECT_EQ(product::LoadInstallation(folder, installation), product::Refusal::None);
  EXPECT_EQ(installation.log.items.size(), 1u);

  const std::string logFile = path::Join(folder, "Uninstall.log");
  const std::string text = ReadTextFile(logFile);
  ASSERT_TRUE(WriteTextFile(logFile, text.substr(0, text.find("end "))));
  EXPECT_EQ(product::LoadInstallation(folder, installation), product::Refusal::BadLog) << "a cut log";

  log.folder = root_;
  ASSERT_TRUE(product::WriteInstallLog(folder, log));
  EXPECT_EQ(product::LoadInstallation(folder, installation), product::Refusal::LogOfOtherFolder);

  // Before any file is read: a system folder is refused whatever it holds.
  char desktop[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
  EXPECT_EQ(product::LoadInstallation(desktop, installation), product::Refusal::ProtectedFolder);
}

// The uninstall entry as the installer writes it, with whatever else a test adds.
class UninstallEntryTest : public ::testing::Test {
 protected:
  static constexpr char kOwnUninstaller[] = "C:\\Veltaro\\会计从业资格\\Uninstall.exe";

  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, product::kUninstallKey); }

  void WriteEntry(const std::string& uninstallString) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, product::kUninstallKey);
    Write("DisplayIcon", "C:\\Veltaro\\会计从业资格\\会计从业资格.exe");
    Write("DisplayName", "Veltaro 会计从业考试题库");
    Write("DisplayVersion", "V4.6");
    Write("UninstallString", uninstallString);
    Write("Publisher", "Veltaro");
    Write("InstallLocation", "C:\\Veltaro\\会计从业资格");
    WriteNumber("EstimatedSize", 239953);
    WriteNumber("NoModify", 1);
    WriteNumber("NoRepair", 1);
  }

  void WriteNumber(const char* name, DWORD value) { SetValue(name, REG_DWORD, &value, sizeof value); }
  void Write(const char* name, const std::string& value) {
    SetValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
  }

  void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
    rt::RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, product::kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

  // The number of values under the key, or -1 when the key is gone.
  static int ValueCount() {
    rt::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, product::kUninstallKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    return static_cast<int>(values);
  }
};

TEST_F(UninstallEntryTest, TakesItsOwnValuesAndTheKeyOnceNothingElseIsLeft) {
  ASSERT_NO_FATAL_FAILURE(WriteEntry(std::string("\"") + kOwnUninstaller + "\""));
  EXPECT_TRUE(product::RemoveUninstallEntry("c:\\VELTARO\\会计从业资格\\.\\uninstall.exe")) << "the same file";
  EXPECT_EQ(ValueCount(), -1);

  ASSERT_NO_FATAL_FAILURE(WriteEntry(kOwnUninstaller));  // unquoted, as older installers wrote it
  ASSERT_NO_FATAL_FAILURE(Write("Comments", "written by someone else"));
  EXPECT_TRUE(product::RemoveUninstallEntry(kOwnUninstaller));
  EXPECT_EQ(ValueCount(), 1) << "a value the installer did not write stays, and keeps the key";

  ASSERT_NO_FATAL_FAILURE(WriteEntry(kOwnUninstaller));
  rt::RegKey subkey;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(product::kUninstallKey) + "\\其他").c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, subkey.Receive(), nullptr),
            ERROR_SUCCESS);
  subkey.Close();
  EXPECT_TRUE(product::RemoveUninstallEntry(kOwnUninstaller));
  EXPECT_EQ(ValueCount(), 0) << "a key with a subkey stays";
}

TEST_F(UninstallEntryTest, LeavesAnotherInstallationsEntryWhole) {
  for (const char* other : {"\"D:\\其他\\会计从业资格\\Uninstall.exe\"", "\"C:\\Veltaro\\会计从业资格\\Uninstall.exe",
                            "C:\\Veltaro\\Uninstall.exe", ""}) {
    ASSERT_NO_FATAL_FAILURE(WriteEntry(other));
    EXPECT_FALSE(product::RemoveUninstallEntry(kOwnUninstaller)) << other;
    EXPECT_EQ(ValueCount(), 9) << other;
  }
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, product::kUninstallKey);
  EXPECT_FALSE(product::RemoveUninstallEntry(kOwnUninstaller)) << "no entry at all";
}

}  // namespace
}  // namespace testing_product
