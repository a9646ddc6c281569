// File, folder, INI and disk commands against the real file system under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "services/core/CoreLib.h"
#include "services/core/DiskSize.h"
#include "tests/core/MappedDrive.h"
#include "tests/core/OutsideChecks.h"
#include "tests/core/TestHost.h"

namespace {

using rt::IntArg;
using rt::OmittedArg;
using rt::TextArg;
using testhost::ByteArray;
using testhost::Call;

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

class FileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "veltaro-core-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(folder_); }

  std::string In(const std::string& name) const { return folder_ + "\\" + name; }
  static bool Logical(const rt::ArgTriple& result) {
    EXPECT_EQ(result.type, rt::kTypeBool);
    return result.lo != 0;
  }
  static bool WriteBytes(std::vector<rt::ArgTriple> args) { return Logical(Call(corelib::WriteBytesToFile, args)); }
  static void PutFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  std::string folder_;
};

TEST_F(FileCommands, WriteBytesOverALongerFileLeavesExactlyTheNewBytes) {
  const std::string path = In("zip.tmp");
  PutFile(path, std::string(5000, 'x'));
  ByteArray data(std::string("PK\x03\x04", 4));
  EXPECT_TRUE(WriteBytes({TextArg(path.c_str()), data.Arg()}));
  EXPECT_EQ(outside::ReadFileBytes(path), std::string("PK\x03\x04", 4));
}

TEST_F(FileCommands, WriteBytesWritesEveryArrayInOrder) {
  const std::string path = In("parts.bin");
  ByteArray first(std::string("ab\0", 3)), empty(std::string{}), second("cd"), third("会计");
  EXPECT_TRUE(WriteBytes({TextArg(path.c_str()), first.Arg(), empty.Arg(), second.Arg(), OmittedArg(),
                          rt::BytesArg(nullptr), third.Arg()}));
  EXPECT_EQ(outside::ReadFileBytes(path), std::string("ab\0cd会计", 9));
}

TEST_F(FileCommands, WriteBytesOfNothingGivesAnEmptyFile) {
  const std::string path = In("empty.bin");
  PutFile(path, "old content");
  ByteArray empty(std::string{});
  EXPECT_TRUE(WriteBytes({TextArg(path.c_str()), empty.Arg()}));
  bool exists = false;
  EXPECT_EQ(outside::ReadFileBytes(path, &exists), "");
  EXPECT_TRUE(exists);
  EXPECT_TRUE(WriteBytes({TextArg(In("none.bin").c_str())}));
  EXPECT_EQ(GetFileAttributesA(In("none.bin").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(FileCommands, WriteBytesOfALargeBlockInOneCall) {
  std::string big(24 * 1024 * 1024 + 7, '\0');
  for (size_t i = 0; i < big.size(); i += 4096) big[i] = static_cast<char>(i / 4096);
  ByteArray data(big);
  const std::string path = In("big.bin");
  EXPECT_TRUE(WriteBytes({TextArg(path.c_str()), data.Arg()}));
  EXPECT_TRUE(outside::ReadFileBytes(path) == big);
}

TEST_F(FileCommands, WriteBytesFailuresGiveFalse) {
  ByteArray data("data");
  EXPECT_FALSE(WriteBytes({TextArg(In("missing\\file.bin").c_str()), data.Arg()}));
  EXPECT_EQ(GetFileAttributesA(In("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(WriteBytes({TextArg(""), data.Arg()}));
  EXPECT_FALSE(WriteBytes({TextArg(nullptr), data.Arg()}));
  // A folder where nothing can be created, whoever runs the test: sysfs refuses new files.
  EXPECT_FALSE(WriteBytes({TextArg("Z:\\sys\\veltaro-test.bin"), data.Arg()}));

  // A file that another handle holds without sharing stays as it was.
  const std::string locked = In("locked.bin");
  PutFile(locked, "kept");
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteBytes({TextArg(locked.c_str()), data.Arg()}));
  CloseHandle(holder);
  EXPECT_EQ(outside::ReadFileBytes(locked), "kept");
}

TEST_F(FileCommands, SetFileAttrsKeepsOnlyTheFourFileBits) {
  const std::string path = In("attrs.txt");
  PutFile(path, "x");
  // Wine reports the archive bit on every file, so only the other bits can show a change.
  auto attributes = [&] { return GetFileAttributesA(path.c_str()) & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE); };
  EXPECT_TRUE(Logical(Call(corelib::SetFileAttrs, {TextArg(path.c_str()), IntArg(0x1FF)})));
  EXPECT_EQ(attributes(), 0x07u);
  EXPECT_TRUE(Logical(Call(corelib::SetFileAttrs, {TextArg(path.c_str()), IntArg(0x102)})));  // temporary dropped
  EXPECT_EQ(attributes(), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(Logical(Call(corelib::SetFileAttrs, {TextArg(path.c_str()), IntArg(0)})));
  EXPECT_EQ(attributes(), 0u);
  EXPECT_FALSE(Logical(Call(corelib::SetFileAttrs, {TextArg(In("missing.txt").c_str()), IntArg(1)})));
}

TEST_F(FileCommands, RemoveFileAndCreateFolder) {
  const std::string path = In("remove.me");
  PutFile(path, "x");
  EXPECT_TRUE(Logical(Call(corelib::RemoveFile, {TextArg(path.c_str())})));
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Logical(Call(corelib::RemoveFile, {TextArg(path.c_str())})));

  const std::string folder = In("会计从业资格");
  EXPECT_TRUE(Logical(Call(corelib::CreateFolder, {TextArg(folder.c_str())})));
  EXPECT_FALSE(Logical(Call(corelib::CreateFolder, {TextArg(folder.c_str())})));  // exists already
  EXPECT_FALSE(Logical(Call(corelib::CreateFolder, {TextArg(In("no\\parent").c_str())})));
  // Seen from Linux, the GBK name is the UTF-8 name of the same folder.
  const std::string listing = outside::RunUnixShell("ls " + outside::UnixPath(folder_));
  EXPECT_NE(listing.find("\xe4\xbc\x9a\xe8\xae\xa1\xe4\xbb\x8e\xe4\xb8\x9a\xe8\xb5\x84\xe6\xa0\xbc"), std::string::npos)
      << listing;
}

std::string WithoutBlankLines(std::string text) {
  for (size_t blank; (blank = text.find("\r\n\r\n")) != std::string::npos;) text.erase(blank, 2);
  if (text.compare(0, 2, "\r\n") == 0) text.erase(0, 2);
  return text;
}

TEST_F(FileCommands, WriteIniEntryWritesGbkTextAndDeletesWhenLeftOut) {
  const std::string ini = In("Uninstall.ini");
  auto write = [&](std::vector<rt::ArgTriple> args) {
    args.insert(args.begin(), TextArg(ini.c_str()));
    return Logical(Call(corelib::WriteIniEntry, args));
  };
  EXPECT_TRUE(write({TextArg("安装"), TextArg("路径"), TextArg("C:\\Veltaro\\会计从业资格")}));
  EXPECT_TRUE(write({TextArg("安装"), TextArg("版本"), TextArg("V4.6")}));
  EXPECT_TRUE(write({TextArg("Other"), TextArg("Key"), TextArg("value")}));

  char read[MAX_PATH] = {};
  GetPrivateProfileStringA("安装", "路径", "", read, sizeof read, ini.c_str());
  EXPECT_STREQ(read, "C:\\Veltaro\\会计从业资格");
  // The file itself, read as bytes: a GBK INI file (blank lines between sections are the system's).
  EXPECT_EQ(WithoutBlankLines(outside::ReadFileBytes(ini)),
            "[安装]\r\n路径=C:\\Veltaro\\会计从业资格\r\n版本=V4.6\r\n[Other]\r\nKey=value\r\n");

  EXPECT_TRUE(write({TextArg("安装"), TextArg("版本")}));  // value left out: entry deleted
  GetPrivateProfileStringA("安装", "版本", "gone", read, sizeof read, ini.c_str());
  EXPECT_STREQ(read, "gone");
  GetPrivateProfileStringA("安装", "路径", "", read, sizeof read, ini.c_str());
  EXPECT_STREQ(read, "C:\\Veltaro\\会计从业资格");

  EXPECT_TRUE(write({TextArg("安装")}));  // entry name left out: section deleted
  GetPrivateProfileStringA("安装", "路径", "gone", read, sizeof read, ini.c_str());
  EXPECT_STREQ(read, "gone");
  EXPECT_EQ(WithoutBlankLines(outside::ReadFileBytes(ini)), "[Other]\r\nKey=value\r\n");
}

// A drive letter that names nothing, or 0.
char MissingDrive() {
  const DWORD used = GetLogicalDrives();
  for (char letter = 'D'; letter <= 'L'; ++letter) {
    // Drives that other tests map appear in dosdevices before the drive list knows them.
    const std::string root = std::string(1, letter) + ":\\";
    if (!(used & (1u << (letter - 'A'))) && GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) return letter;
  }
  return 0;
}

int32_t DiskSpace(std::vector<rt::ArgTriple> args) {
  rt::ArgTriple result = Call(corelib::GetDiskTotalSpace, args);
  EXPECT_EQ(result.type, rt::kTypeInt);
  return result.Int();
}

TEST(DiskCommands, TotalSpaceOfAMappedDriveInKilobytes) {
  corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
  testdrive::MappedDrive drive;
  ASSERT_NE(drive.Letter(), 0) << "no drive letter could be mapped";
  const int64_t expected = drive.KilobytesSeenFromLinux();
  ASSERT_GT(expected, 0);
  const std::string lower = std::string(1, static_cast<char>(drive.Letter() + 0x20)) + ":";
  const std::string upper(1, drive.Letter());
  EXPECT_EQ(DiskSpace({TextArg(lower.c_str())}), static_cast<int32_t>(expected));
  EXPECT_EQ(DiskSpace({TextArg(upper.c_str())}), static_cast<int32_t>(expected));
  EXPECT_EQ(DiskSpace({TextArg((upper + ":\\any\\path").c_str())}), static_cast<int32_t>(expected));

  // A digit, an empty text or no argument: the current drive, here the mapped one.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA((upper + ":\\").c_str()));
  EXPECT_EQ(DiskSpace({TextArg("7")}), static_cast<int32_t>(expected));
  EXPECT_EQ(DiskSpace({TextArg("")}), static_cast<int32_t>(expected));
  EXPECT_EQ(DiskSpace({OmittedArg()}), static_cast<int32_t>(expected));
  SetCurrentDirectoryA(previous);
}

// Without GetDiskFreeSpaceExA (the first Windows 95) the size comes from GetDiskFreeSpaceA's
// clusters, and must come out the same.
TEST(DiskCommands, TheClusterCountFallbackGivesTheSameKilobytes) {
  testdrive::MappedDrive drive;
  ASSERT_NE(drive.Letter(), 0) << "no drive letter could be mapped";
  const int64_t expected = drive.KilobytesSeenFromLinux();
  ASSERT_GT(expected, 0);
  const std::string root = drive.Root();
  ASSERT_NE(corelib::disk::FindGetDiskFreeSpaceEx(), nullptr);
  EXPECT_EQ(corelib::disk::TotalKilobytes(root.c_str(), corelib::disk::FindGetDiskFreeSpaceEx()), expected);
  EXPECT_EQ(corelib::disk::TotalKilobytes(root.c_str(), nullptr), expected);
}

TEST(DiskCommands, ADriveOfTwoTerabytesOrMoreGivesTheLow32BitsOfItsKilobytes) {
  corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
  testdrive::MappedDrive drive("3T");  // tmpfs takes memory only for what is written
  if (!drive.Letter()) GTEST_SKIP() << "no file system of 3 TB could be mounted here (mount needs root)";
  const int64_t kilobytes = drive.KilobytesSeenFromLinux();
  ASSERT_EQ(kilobytes, int64_t(3) << 30);
  const int32_t low32 = static_cast<int32_t>(static_cast<uint32_t>(kilobytes));
  EXPECT_EQ(low32, -(int32_t(1) << 30));
  const std::string letter(1, drive.Letter());
  EXPECT_EQ(DiskSpace({TextArg(letter.c_str())}), low32);
  EXPECT_EQ(corelib::disk::TotalKilobytes(drive.Root().c_str(), nullptr), low32) << "the fallback agrees";
}

TEST(DiskCommands, ADriveThatDoesNotExistGivesMinusOne) {
  const char missing = MissingDrive();
  ASSERT_NE(missing, 0);
  const std::string drive = std::string(1, missing) + ":";
  EXPECT_EQ(DiskSpace({TextArg(drive.c_str())}), -1);
  EXPECT_EQ(corelib::disk::TotalKilobytes((drive + "\\").c_str(), nullptr), -1) << "the fallback fails alike";
}

}  // namespace
