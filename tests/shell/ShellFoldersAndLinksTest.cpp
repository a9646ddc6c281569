// GetSpecialFolder against the folders the system itself names, and CreateShortcut with the
// written file read back by lnkinfo and by the shell's own link loader.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "services/shell/ShellLib.h"
#include "tests/core/MappedDrive.h"
#include "tests/core/OutsideChecks.h"
#include "tests/core/TestHost.h"
#include "tests/support/ChildProcess.h"

namespace {

using rt::IntArg;
using rt::OmittedArg;
using rt::TextArg;
using testhost::Call;

void Announce() { shelllib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0); }

std::string SpecialFolder(int32_t kind) { return testhost::TakeText(Call(shelllib::GetSpecialFolder, {IntArg(kind)})); }

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  GetEnvironmentVariableA(name, value, sizeof value);
  return value;
}

TEST(GetSpecialFolderCommand, UserFoldersAsTheShellFoldersKeyNamesThem) {
  Announce();
  const std::string shellFolders = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  struct Kind {
    int32_t kind;
    const char* valueName;
  } const kinds[] = {
      {1, "Personal"},  {2, "Favorites"}, {3, "Desktop"}, {4, "Fonts"},
      {5, "Start Menu"}, {6, "Programs"},  {7, "StartUp"}, {8, "AppData"},
  };
  for (const Kind& kind : kinds) {
    const std::string expected = outside::RegQuery(shellFolders, kind.valueName).data;
    ASSERT_FALSE(expected.empty()) << kind.valueName;
    EXPECT_EQ(SpecialFolder(kind.kind), expected + "\\") << kind.kind;
  }
}

TEST(GetSpecialFolderCommand, SystemFoldersEndInASeparator) {
  Announce();
  const std::string windows = Environment("windir");
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(_stricmp(SpecialFolder(9).c_str(), (windows + "\\").c_str()), 0);
  EXPECT_EQ(_stricmp(SpecialFolder(10).c_str(), (windows + "\\system32\\").c_str()), 0);
  // The temporary folder as the environment names it, already ending in "\".
  std::string temp = Environment("TMP");
  if (temp.empty()) temp = Environment("TEMP");
  ASSERT_FALSE(temp.empty());
  if (temp.back() != '\\') temp += '\\';
  EXPECT_EQ(_stricmp(SpecialFolder(11).c_str(), temp.c_str()), 0);
}

TEST(GetSpecialFolderCommand, KindsOutsideTheTableGiveTheEmptyText) {
  Announce();
  const int32_t before = testhost::LiveBlocks();
  for (int32_t kind : {0, 12, -1, 1000}) {
    rt::ArgTriple result = Call(shelllib::GetSpecialFolder, {IntArg(kind)});
    EXPECT_EQ(result.type, rt::kTypeText) << kind;
    EXPECT_EQ(result.lo, 0u) << kind;
  }
  EXPECT_EQ(testhost::LiveBlocks(), before);
}

// A user folder whose last character is 榎 (GBK 98 5C): its last byte is a "\" byte, but no
// separator. The end test steps through the path character by character, so the separator is
// still added; a test of the last byte alone would leave the path without one.
TEST(GetSpecialFolderCommand, APathEndingInACharacterWithTrailByte5CStillGetsItsSeparator) {
  Announce();
  const char kUserFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::string folder = testsupport::ExecutableFolder() + "收藏榎";
  ASSERT_EQ(folder.back(), '\\') << "the case needs a trail byte 0x5C at the end";
  CreateDirectoryA(folder.c_str(), nullptr);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key), ERROR_SUCCESS);
  // The favourites folder (kind 2) is the one no other test looks at; it is put back afterwards.
  char previous[MAX_PATH] = {};
  DWORD previousType = 0, previousSize = sizeof previous;
  const bool hadValue = RegQueryValueExA(key, "Favorites", nullptr, &previousType, reinterpret_cast<BYTE*>(previous),
                                         &previousSize) == ERROR_SUCCESS;
  RegSetValueExA(key, "Favorites", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()), DWORD(folder.size() + 1));
  const std::string got = SpecialFolder(2);
  if (hadValue) RegSetValueExA(key, "Favorites", 0, previousType, reinterpret_cast<const BYTE*>(previous), previousSize);
  else RegDeleteValueA(key, "Favorites");
  RegCloseKey(key);
  SpecialFolder(2);  // the shell writes its Shell Folders entry back from the value restored
  RemoveDirectoryA(folder.c_str());
  EXPECT_EQ(got, folder + "\\");
}

// A link file as the shell's own loader reads it back.
struct LoadedLink {
  bool loaded = false;
  std::string path, description, arguments, workingFolder;
};

uint32_t ShowCommandInFile(const std::string& fileName) {
  const std::string bytes = outside::ReadFileBytes(fileName);
  uint32_t showCommand = 0xFFFFFFFF;
  if (bytes.size() >= 0x40) std::memcpy(&showCommand, bytes.data() + 0x3C, 4);
  return showCommand;
}

LoadedLink LoadLink(const std::string& fileName) {
  LoadedLink link;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink)))) {
    return link;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, fileName.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      link.loaded = true;
      char text[1024];
      text[0] = '\0';
      shellLink->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
      link.path = text;
      text[0] = '\0';
      shellLink->GetDescription(text, sizeof text);
      link.description = text;
      text[0] = '\0';
      shellLink->GetArguments(text, sizeof text);
      link.arguments = text;
      text[0] = '\0';
      shellLink->GetWorkingDirectory(text, sizeof text);
      link.workingFolder = text;
    }
    file->Release();
  }
  shellLink->Release();
  return link;
}

std::string Utf8(const std::string& gbk) {
  const int length = MultiByteToWideChar(936, 0, gbk.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(length);
  MultiByteToWideChar(936, 0, gbk.c_str(), -1, wide.data(), length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> utf8(bytes);
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), bytes, nullptr, nullptr);
  return utf8.data();
}

// lnkinfo's report of a link file: "name : value" lines, names as lnkinfo spells them.
std::map<std::string, std::string> LnkInfo(const std::string& fileName) {
  std::map<std::string, std::string> fields;
  const std::string report = outside::RunUnixShell("lnkinfo -c windows-936 " + outside::UnixPath(fileName));
  size_t start = 0;
  while (start < report.size()) {
    size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(start, end - start);
    start = end + 1;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    fields[name] = line.substr(colon + 2);
  }
  return fields;
}

class CreateShortcutCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    Announce();
    ASSERT_NE(drive_.Letter(), 0);
    CreateDirectoryA((drive_.Root() + "x").c_str(), nullptr);
    CreateDirectoryA((drive_.Root() + "v1.0").c_str(), nullptr);
  }
  bool Create(std::vector<rt::ArgTriple> args) {
    rt::ArgTriple result = Call(shelllib::CreateShortcut, args);
    EXPECT_EQ(result.type, rt::kTypeBool);
    return result.lo != 0;
  }
  bool Exists(const std::string& path) const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  testdrive::MappedDrive drive_;
};

TEST_F(CreateShortcutCommand, WritesEveryFieldWithFiveArguments) {
  const std::string name = drive_.Root() + "x\\会计从业考试题库";
  const char* target = "C:\\Veltaro\\会计从业资格\\Veltaro.exe";
  ASSERT_TRUE(Create({TextArg(name.c_str()), TextArg(target), TextArg("Veltaro 会计从业考试题库"), TextArg("/start 1"),
                      TextArg("C:\\Veltaro\\会计从业资格")}));
  const std::string file = name + ".lnk";
  ASSERT_TRUE(Exists(file));

  std::map<std::string, std::string> info = LnkInfo(file);
  EXPECT_EQ(info["Local path"], Utf8(target));
  EXPECT_EQ(info["Description"], Utf8("Veltaro 会计从业考试题库"));
  EXPECT_EQ(info["Command line arguments"], "/start 1");
  EXPECT_EQ(info["Working directory"], Utf8("C:\\Veltaro\\会计从业资格"));

  LoadedLink link = LoadLink(file);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, target);
  EXPECT_EQ(link.description, "Veltaro 会计从业考试题库");
  EXPECT_EQ(link.arguments, "/start 1");
  EXPECT_EQ(link.workingFolder, "C:\\Veltaro\\会计从业资格");
  // The loader turns any show command but 1, 3 and 7 into 1, as the link format asks, and
  // lnkinfo does not report it: read the header's ShowCommand field (offset 0x3C) itself.
  EXPECT_EQ(ShowCommandInFile(file), static_cast<uint32_t>(SW_SHOW));
}

TEST_F(CreateShortcutCommand, ArgumentsAndWorkingFolderOnlyFromAFiveArgumentCall) {
  const std::string three = drive_.Root() + "x\\three.lnk";
  ASSERT_TRUE(Create({TextArg(three.c_str()), TextArg("C:\\a.exe"), TextArg("三")}));
  const std::string four = drive_.Root() + "x\\four.lnk";
  ASSERT_TRUE(Create({TextArg(four.c_str()), TextArg("C:\\a.exe"), TextArg("四"), TextArg("/ignored")}));
  const std::string omitted = drive_.Root() + "x\\omitted.lnk";
  ASSERT_TRUE(Create({TextArg(omitted.c_str()), TextArg("C:\\a.exe"), TextArg("五"), OmittedArg(), OmittedArg()}));
  const std::string bare = drive_.Root() + "x\\bare.lnk";
  ASSERT_TRUE(Create({TextArg(bare.c_str()), TextArg("C:\\a.exe")}));

  struct Expected {
    std::string file;
    const char* description;
  } const expected[] = {{three, "三"}, {four, "四"}, {omitted, "五"}, {bare, ""}};
  for (const Expected& one : expected) {
    LoadedLink link = LoadLink(one.file);
    ASSERT_TRUE(link.loaded) << one.file;
    EXPECT_EQ(link.path, "C:\\a.exe") << one.file;
    EXPECT_EQ(link.description, one.description) << one.file;
    EXPECT_EQ(link.arguments, "") << one.file;
    EXPECT_EQ(link.workingFolder, "") << one.file;
    EXPECT_EQ(ShowCommandInFile(one.file), static_cast<uint32_t>(SW_SHOW)) << one.file;
    std::map<std::string, std::string> info = LnkInfo(one.file);
    EXPECT_EQ(info.count("Command line arguments"), 0u) << one.file;
    EXPECT_EQ(info.count("Working directory"), 0u) << one.file;
  }
}

TEST_F(CreateShortcutCommand, LnkIsAddedOnlyToANameWithoutAnyDot) {
  const std::string root = drive_.Root();
  ASSERT_TRUE(Create({TextArg((root + "x\\app").c_str()), TextArg("C:\\a.exe")}));
  EXPECT_TRUE(Exists(root + "x\\app.lnk"));
  EXPECT_FALSE(Exists(root + "x\\app"));

  ASSERT_TRUE(Create({TextArg((root + "v1.0\\app").c_str()), TextArg("C:\\a.exe")}));
  EXPECT_TRUE(Exists(root + "v1.0\\app"));
  EXPECT_FALSE(Exists(root + "v1.0\\app.lnk"));
  EXPECT_TRUE(LoadLink(root + "v1.0\\app").loaded);

  ASSERT_TRUE(Create({TextArg((root + "x\\given.lnk").c_str()), TextArg("C:\\a.exe")}));
  EXPECT_TRUE(Exists(root + "x\\given.lnk"));
  EXPECT_FALSE(Exists(root + "x\\given.lnk.lnk"));
}

TEST_F(CreateShortcutCommand, OverwritesAndFailsWithoutAFolder) {
  const std::string file = drive_.Root() + "x\\again.lnk";
  ASSERT_TRUE(Create({TextArg(file.c_str()), TextArg("C:\\first.exe")}));
  ASSERT_TRUE(Create({TextArg(file.c_str()), TextArg("C:\\second.exe")}));
  EXPECT_EQ(LoadLink(file).path, "C:\\second.exe");

  EXPECT_FALSE(Create({TextArg((drive_.Root() + "missing\\app").c_str()), TextArg("C:\\a.exe")}));
  EXPECT_FALSE(Exists(drive_.Root() + "missing"));
  EXPECT_FALSE(Create({TextArg(""), TextArg("C:\\a.exe")}));
}

}  // namespace
