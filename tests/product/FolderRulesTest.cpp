// The folders no installation may take and no uninstallation may empty: the rules on a list made
// by hand, and the real folders of this machine as the shell names them.
#include <windows.h>
#include <shlobj.h>
#include <aclapi.h>
#include <sddl.h>


#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/product/FolderAccess.h"
#include "installer/product/FolderRules.h"
#include "installer/product/GbkPath.h"
#include "tests/product/TestProcesses.h"

namespace testing_product {
namespace {

using product::Guard;
namespace path = product::path;

std::string ShellFolder(int csidl) {
  char buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return std::string();
  return buffer;
}

TEST(FolderRulesTest, EachGuardCoversWhatItSays) {
  // "\x81\x41" and "\x81\x61" are two GBK characters whose second bytes are "A" and "a".
  const std::vector<product::ProtectedFolder> folders = {
      {"C:\\Windows", Guard::kItselfAndBelow},
      {"C:\\Users", Guard::kItselfAndChildren},
      {"C:\\Program Files", Guard::kItself},
      {"D:\\资料\\桌面", Guard::kItself},
      {"D:\\\x81\x41", Guard::kItselfAndBelow},
  };
  const std::vector<std::string> guarded = {
      "C:\\Windows", "c:\\WINDOWS", "C:\\Windows\\System32", "C:\\Windows\\System32\\drivers\\etc",
      "C:\\Users", "c:\\users\\某人", "C:\\Program Files", "C:\\PROGRAM FILES", "D:\\资料\\桌面",
      "D:\\\x81\x41", "D:\\\x81\x41\\x", "C:", "C:\\", "E:\\", "",
  };
  const std::vector<std::string> free = {
      "C:\\Windows2", "C:\\WindowsApps\\x", "C:\\Users\\某人\\Veltaro", "C:\\Program Files\\Veltaro",
      "C:\\Program Files (x86)", "D:\\资料", "D:\\资料\\桌面\\笔记", "D:\\\x81\x61", "D:\\\x81\x61\\x",
      "C:\\Veltaro\\会计从业资格",
  };
  for (const std::string& folder : guarded) EXPECT_TRUE(product::IsAmongProtected(folder, folders)) << folder;
  for (const std::string& folder : free) EXPECT_FALSE(product::IsAmongProtected(folder, folders)) << folder;
}

TEST(FolderRulesTest, ProtectsThisMachinesSystemAndShellFolders) {
  const std::string windows = ShellFolder(CSIDL_WINDOWS);
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
  const std::string profile = ShellFolder(CSIDL_PROFILE);
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const std::string documents = ShellFolder(CSIDL_PERSONAL);
  for (const std::string* folder : {&windows, &programFiles, &profile, &desktop, &documents}) {
    ASSERT_FALSE(folder->empty());
  }
  const std::string drive = windows.substr(0, 2);
  const std::vector<std::string> refused = {
      drive + "\\windows", drive + "\\windows\\system32", drive + "\\WINDOWS\\System32\\", windows + "\\Temp\\x",
      programFiles, programFiles + "\\", profile, path::Folder(profile), desktop, documents, drive, drive + "\\",
  };
  for (const std::string& folder : refused) EXPECT_TRUE(product::IsProtectedFolder(folder)) << folder;
  const std::vector<std::string> allowed = {
      drive + "\\Veltaro\\会计从业资格", programFiles + "\\Veltaro", drive + "\\我的文件", profile + "\\Veltaro",
  };
  for (const std::string& folder : allowed) EXPECT_FALSE(product::IsProtectedFolder(folder)) << folder;

  // On 64-bit Windows the shell tells a 32-bit program only the x86 Program Files; the 64-bit one
  // reaches it as ProgramW6432 (and the registry's 64-bit view, which Wine's 32-bit prefix lacks).
  const std::string native = drive + "\\Program Files 64";
  SetEnvironmentVariableA("ProgramW6432", native.c_str());
  EXPECT_TRUE(product::IsProtectedFolder(native));
  EXPECT_FALSE(product::IsProtectedFolder(native + "\\Veltaro"));
  SetEnvironmentVariableA("ProgramW6432", nullptr);

  // A short name is the same folder.
  char shortName[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(programFiles.c_str(), shortName, sizeof shortName);
  if (length > 0 && length < sizeof shortName && programFiles != shortName) {
    EXPECT_TRUE(product::IsProtectedFolder(shortName)) << shortName;
  }
}

// Wine keeps no access lists of its own: it shows one made from the file's Unix mode bits, with
// Everyone's rights held in the bits for others. So what is checked here is what those bits can
// hold; on Windows the folder's own list (read back with icacls) is SYSTEM and Administrators
// full control, Users read and execute, CREATOR OWNER full control inherit-only, protected.
TEST(FolderAccessTest, AFolderTheInstallerMakesIsOpenToAdministratorsOnly) {
  const std::string root = path::Join(TempFolder(), "veltaro-access-" + std::to_string(GetCurrentProcessId()));
  RemoveFixtureTree(root);
  ASSERT_TRUE(MakeFolders(root));
  const std::string made = path::Join(root, "Veltaro");
  ASSERT_TRUE(product::MakeAdministratorsFolder(made));
  EXPECT_FALSE(product::MakeAdministratorsFolder(made)) << "a folder that is there is not made again";
  EXPECT_FALSE(product::OthersMayChange(made));
  const std::string log = path::Join(made, "Uninstall.log");
  ASSERT_TRUE(WriteTextFile(log, "log"));
  EXPECT_FALSE(product::OthersMayChange(log));
  ASSERT_TRUE(SetAccess(log, "D:(A;;FA;;;WD)"));
  EXPECT_TRUE(product::OthersMayChange(log)) << "Everyone may change the log now";
  RemoveFixtureTree(root);
}

TEST(FolderRulesTest, JudgesALinkedFolderByWhereItLeads) {
  const std::string root = path::Join(TempFolder(), "veltaro-rules-" + std::to_string(GetCurrentProcessId()));
  RemoveFixtureTree(root);
  ASSERT_TRUE(MakeFolders(root));
  const std::string link = path::Join(root, "系统链接");
  const std::string windows = ShellFolder(CSIDL_WINDOWS);
  if (!MakeFolderLink(link, windows)) {
    RemoveDirectoryA(root.c_str());
    GTEST_SKIP() << "no folder link to test with (Wine 8 makes none: its CreateSymbolicLink leaves nothing)";
  }
  EXPECT_TRUE(product::IsProtectedFolder(link));
  EXPECT_TRUE(product::IsProtectedFolder(path::Join(link, "Veltaro\\会计从业资格"))) << "below the Windows folder";
  EXPECT_FALSE(product::IsProtectedFolder(path::Join(root, "Veltaro\\会计从业资格")));
  ASSERT_TRUE(RemoveDirectoryA(link.c_str()));
  RemoveDirectoryA(root.c_str());
}

}  // namespace
}  // namespace testing_product
