// What the archive will install, and how one attempt takes back what it made: archives built
// byte by byte, folders of a scratch folder standing for the user's disk.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/InstallAttempt.h"
#include "installer/product/Removal.h"
#include "installer/PayloadListing.h"
#include "tests/zip/ZipTestSupport.h"

namespace {

using installer::InstallAttempt;
using product::InstalledItem;
using ziptest::BuildArchive;
using ziptest::ScratchFolder;
using ziptest::TestEntry;

constexpr uint32_t kUnixFolder = 0x41ED0010;  // drwxr-xr-x with the DOS folder bit

TestEntry Folder(const std::string& name) {
  TestEntry entry;
  entry.name = name;
  entry.method = 0;
  entry.externalAttributes = kUnixFolder;
  return entry;
}

TestEntry File(const std::string& name, const std::string& data = "data") {
  TestEntry entry;
  entry.name = name;
  entry.data = data;
  return entry;
}

std::vector<InstalledItem> List(const std::string& archive, bool* ok = nullptr) {
  std::vector<InstalledItem> items;
  const bool listed = installer::ListPayload(reinterpret_cast<const unsigned char*>(archive.data()), archive.size(), items);
  if (ok) *ok = listed;
  return items;
}

std::vector<std::string> Described(const std::vector<InstalledItem>& items) {
  std::vector<std::string> described;
  for (const InstalledItem& item : items) described.push_back((item.isFolder ? "D " : "F ") + item.path);
  return described;
}

bool Plan(InstallAttempt& attempt, const std::string& folder, const std::string& archive) {
  return attempt.Plan(folder, folder + "\\zip.tmp", reinterpret_cast<const unsigned char*>(archive.data()),
                      archive.size());
}

// What an unpack of `archive` into `folder` leaves: its folders, and every file with the
// given content. As in the unpack, a file already there is replaced by a whole one moved over it.
void Unpacked(const std::string& folder, const std::string& archive, const std::string& content) {
  for (const InstalledItem& item : List(archive)) {
    const std::string target = folder + "\\" + item.path;
    if (item.isFolder) {
      CreateDirectoryA(target.c_str(), nullptr);
      continue;
    }
    const bool existed = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::string written = existed ? target + ".unpack~" : target;
    ASSERT_TRUE(ziptest::WriteWholeFile(written, content)) << target;
    if (existed) {
      ASSERT_TRUE(MoveFileExA(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) << target;
    }
  }
}

TEST(PayloadListingTest, ListsFoldersBeforeTheirContentsOnceEach) {
  // "资料\" ends in the GBK character 料 (0xC1 0xCF); "表\" holds 0x5C as a trail byte.
  const std::string archive = BuildArchive({Folder("资料/"), File("资料/第一章.dat"), Folder("a/b/c/"),
                                            File("a/b/c/x.txt"), File("Readme.txt"), File("README.TXT"),
                                            TestEntry{"jar/", "", 0, 0, 0x20}, Folder("\xB1\x5C/")});
  bool ok = false;
  const std::vector<std::string> items = Described(List(archive, &ok));
  ASSERT_TRUE(ok);
  EXPECT_EQ(items, (std::vector<std::string>{"D 资料", "F 资料\\第一章.dat", "D a", "D a\\b", "D a\\b\\c",
                                             "F a\\b\\c\\x.txt", "F Readme.txt", "D jar", "D \xB1\x5C"}));
}

TEST(PayloadListingTest, RefusesWhatWouldNotUnpackInsideTheFolder) {
  for (const char* name : {"../x.txt", "a/../../x.txt", "C:/x.txt", "/x.txt", ". ./x"}) {
    bool ok = true;
    List(BuildArchive({File(name)}), &ok);
    EXPECT_FALSE(ok) << name;
  }
  std::string cut = BuildArchive({File("a.txt"), File("b.txt")});
  bool ok = true;
  List(cut.substr(0, cut.size() - 30), &ok);  // the end record cut off
  EXPECT_FALSE(ok);
}

TEST(PayloadListingTest, NamesFlaggedUtf8AreListedAsTheUnpackNamesThem) {
  TestEntry folder = Folder(u8"程序/");
  folder.flags = 0x0800;
  TestEntry file = File(u8"程序/说明.txt");
  file.flags = 0x0800;
  bool ok = false;
  EXPECT_EQ(Described(List(BuildArchive({folder, file, File("程序/旧.txt")}), &ok)),
            (std::vector<std::string>{"D 程序", "F 程序\\说明.txt", "F 程序\\旧.txt"}));
  EXPECT_TRUE(ok);
  TestEntry foreign = File(u8"\U0001F600.txt");  // no GBK character for it
  foreign.flags = 0x0800;
  List(BuildArchive({foreign}), &ok);
  EXPECT_FALSE(ok);
}

TEST(InstallAttemptTest, UndoTakesBackWhatTheAttemptMadeAndKeepsWhatWasThere) {
  ScratchFolder disk;
  const std::string folder = disk.Path();
  ASSERT_TRUE(CreateDirectoryA((disk / "a").c_str(), nullptr));
  ASSERT_TRUE(ziptest::WriteWholeFile(disk / "a\\mine.txt", "mine"));
  ASSERT_TRUE(ziptest::WriteWholeFile(disk / "keep.txt", "old"));
  const std::string archive =
      BuildArchive({Folder("a/"), File("a/new.txt"), Folder("b/c/"), File("b/c/d.txt"), File("keep.txt")});
  InstallAttempt attempt;
  ASSERT_TRUE(Plan(attempt, folder, archive));
  EXPECT_FALSE(attempt.IsOverEarlierInstallation());
  ASSERT_TRUE(ziptest::WriteWholeFile(disk / "zip.tmp", archive));
  attempt.KeepEarlierFiles();
  Unpacked(folder, archive, "new");
  ASSERT_TRUE(ziptest::WriteWholeFile(disk / "Uninstall.ini", "[路径]\r\n"));
  attempt.Undo();
  // A file the attempt replaced gets its earlier bytes back; everything else made is gone, the
  // folder its earlier bytes were kept in too.
  EXPECT_EQ(ziptest::ListTree(folder), (std::vector<std::string>{"a\\", "a\\mine.txt", "keep.txt"}));
  std::string kept;
  ASSERT_TRUE(ziptest::ReadWholeFile(disk / "keep.txt", &kept));
  EXPECT_EQ(kept, "old");

  // One that succeeds keeps the new bytes, and nothing of the earlier ones stays.
  InstallAttempt succeeding;
  ASSERT_TRUE(Plan(succeeding, folder, archive));
  succeeding.KeepEarlierFiles();
  Unpacked(folder, archive, "new");
  succeeding.DropEarlierFiles();
  ASSERT_TRUE(ziptest::ReadWholeFile(disk / "keep.txt", &kept));
  EXPECT_EQ(kept, "new");
  EXPECT_EQ(ziptest::ListTree(folder), (std::vector<std::string>{"a\\", "a\\mine.txt", "a\\new.txt", "b\\", "b\\c\\",
                                                                "b\\c\\d.txt", "keep.txt"}));
}

TEST(InstallAttemptTest, UndoRemovesTheLevelsOfTheFolderItMadeButNotAFolderSomeoneFilledMeanwhile) {
  ScratchFolder disk;
  const std::string folder = disk / "Veltaro\\会计从业资格";
  const std::string archive = BuildArchive({Folder("题库/"), File("题库/1.dat")});
  InstallAttempt attempt;
  ASSERT_TRUE(Plan(attempt, folder, archive));
  EXPECT_EQ(attempt.Log().made, disk / "Veltaro");
  ASSERT_TRUE(CreateDirectoryA((disk / "Veltaro").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  Unpacked(folder, archive, "x");
  attempt.Undo();
  EXPECT_TRUE(ziptest::ListTree(disk.Path()).empty());

  // A file that is not the archive's, in a folder the attempt made, stays with its folders.
  InstallAttempt second;
  ASSERT_TRUE(Plan(second, folder, archive));
  ASSERT_TRUE(CreateDirectoryA((disk / "Veltaro").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  Unpacked(folder, archive, "x");
  ASSERT_TRUE(ziptest::WriteWholeFile(folder + "\\题库\\other.txt", "other"));
  second.Undo();
  EXPECT_EQ(ziptest::ListTree(disk.Path()),
            (std::vector<std::string>{"Veltaro\\", "Veltaro\\会计从业资格\\", "Veltaro\\会计从业资格\\题库\\",
                                      "Veltaro\\会计从业资格\\题库\\other.txt"}));
}

TEST(InstallAttemptTest, OverAnEarlierInstallationTheLogKeepsWhatTheEarlierOneBroughtAndStillIsThere) {
  ScratchFolder disk;
  const std::string folder = disk / "Veltaro\\会计从业资格";
  ASSERT_TRUE(CreateDirectoryA((disk / "Veltaro").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  product::InstallLog earlier;
  earlier.folder = folder;
  earlier.made = disk / "Veltaro";
  earlier.items = {{false, "old.dat"}, {false, "gone.dat"}, {false, "NEW.dat"}};
  ASSERT_TRUE(product::WriteInstallLog(folder, earlier));
  ASSERT_TRUE(ziptest::WriteWholeFile(folder + "\\old.dat", "old"));
  ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", folder.c_str(), (folder + "\\Uninstall.ini").c_str()));
  InstallAttempt forged;
  ASSERT_TRUE(Plan(forged, folder, BuildArchive({File("new.dat")})));
  EXPECT_FALSE(forged.IsOverEarlierInstallation()) << "a record and a log anyone may write are not enough";
  // The system's entry, which only an administrator can write, names the folder's uninstaller.
  const std::string command = "\"" + folder + "\\Uninstall.exe\"";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, product::kUninstallKey, "UninstallString", REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1)),
            ERROR_SUCCESS);

  InstallAttempt attempt;
  ASSERT_TRUE(Plan(attempt, folder, BuildArchive({File("new.dat")})));
  EXPECT_TRUE(attempt.IsOverEarlierInstallation());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, product::kUninstallKey);
  const product::InstallLog log = attempt.Log();
  EXPECT_EQ(log.folder, folder);
  EXPECT_EQ(log.made, earlier.made);  // the earlier installation made the folders
  EXPECT_EQ(Described(log.items), (std::vector<std::string>{"F new.dat", "F old.dat"}));

  // The record and the log were there before: a failed attempt leaves them.
  attempt.Undo();
  EXPECT_TRUE(ziptest::Exists(folder + "\\Uninstall.ini"));
  EXPECT_TRUE(ziptest::Exists(folder + "\\Uninstall.log"));
  EXPECT_TRUE(ziptest::Exists(folder + "\\old.dat"));
}

TEST(InstallAttemptTest, ARecordThatNamesAnotherFolderIsNoEarlierInstallation) {
  ScratchFolder disk;
  ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", "C:\\Elsewhere", (disk / "Uninstall.ini").c_str()));
  InstallAttempt attempt;
  ASSERT_TRUE(Plan(attempt, disk.Path(), BuildArchive({File("a.txt")})));
  EXPECT_FALSE(attempt.IsOverEarlierInstallation());
  EXPECT_TRUE(installer::FolderHoldsAnything(disk.Path()));
  ScratchFolder empty;
  EXPECT_FALSE(installer::FolderHoldsAnything(empty.Path()));
}

}  // namespace
