// Registry commands, each result also checked from outside the program with `reg query`.
#include <windows.h>

#include <gtest/gtest.h>

#include "services/core/CoreLib.h"
#include "tests/core/OutsideChecks.h"
#include "tests/core/TestHost.h"

namespace {

using rt::IntArg;
using rt::TextArg;
using testhost::Call;
using testhost::TakeText;

constexpr int32_t kCurrentUser = 3;

class RegistryCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
    // A key of this process's own, so that tests running side by side do not meet.
    base_ = "Software\\VeltaroCoreTest" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());  // left by an earlier process with this id
    RegDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str()); }

  bool Write(int32_t root, const std::string& path, const rt::ArgTriple& value) {
    rt::ArgTriple result = Call(corelib::WriteRegistryValue, {IntArg(root), TextArg(path.c_str()), value});
    EXPECT_EQ(result.type, rt::kTypeBool);
    return result.lo != 0;
  }
  static std::string Read(int32_t root, const std::string& path, const char* fallback) {
    std::vector<rt::ArgTriple> args = {IntArg(root), TextArg(path.c_str())};
    if (fallback) args.push_back(TextArg(fallback));
    return TakeText(Call(corelib::ReadRegistryText, args));
  }
  // Sets a value with the plain Win32 call, independent of the commands under test.
  void Plant(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(opened);
  }

  std::string base_;
};

TEST_F(RegistryCommands, WriteCreatesTheWholeMissingKeyChain) {
  const std::string key = base_ + "\\Uninstall\\Veltaro\\Deep";
  ASSERT_FALSE(outside::RegKeyExists("HKCU\\" + base_));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\DisplayName", TextArg("Veltaro 会计从业考试题库")));
  outside::RegQueryValue seen = outside::RegQuery("HKCU\\" + key, "DisplayName");
  EXPECT_EQ(seen.type, "REG_SZ");
  EXPECT_EQ(seen.data, "Veltaro 会计从业考试题库");
}

TEST_F(RegistryCommands, WriteChoosesTheValueTypeByTheArgument) {
  const std::string key = base_ + "\\Types";
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Number", IntArg(0x12345678)));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Truncated", testhost::DoubleArg(-3.9)));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Small", testhost::ByteValueArg(200)));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Long", testhost::LongArg(0x100000007LL)));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Text", TextArg("V4.6")));
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Empty", TextArg(nullptr)));
  testhost::ByteArray bytes{0x01, 0x02, 0xAB};
  EXPECT_TRUE(Write(kCurrentUser, key + "\\Bytes", bytes.Arg()));
  testhost::ByteArray none{};
  EXPECT_TRUE(Write(kCurrentUser, key + "\\NoBytes", none.Arg()));

  const std::string outsideKey = "HKCU\\" + key;
  struct Expected {
    const char* name;
    const char* type;
    const char* data;
  } const expected[] = {
      {"Number", "REG_DWORD", "0x12345678"}, {"Truncated", "REG_DWORD", "0xfffffffd"},
      {"Small", "REG_DWORD", "0xc8"},        {"Long", "REG_DWORD", "0x7"},
      {"Text", "REG_SZ", "V4.6"},            {"Empty", "REG_SZ", ""},
      {"Bytes", "REG_BINARY", "0102AB"},     {"NoBytes", "REG_BINARY", ""},
  };
  for (const Expected& value : expected) {
    outside::RegQueryValue seen = outside::RegQuery(outsideKey, value.name);
    EXPECT_EQ(seen.type, value.type) << value.name;
    EXPECT_EQ(seen.data, value.data) << value.name;
  }

  // The empty text is stored as its terminating zero, and the empty byte array as nothing.
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
  DWORD size = 99;
  EXPECT_EQ(RegQueryValueExA(opened, "Empty", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
  size = 99;
  EXPECT_EQ(RegQueryValueExA(opened, "NoBytes", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  RegCloseKey(opened);
}

TEST_F(RegistryCommands, WriteOfAnUnsupportedTypeWritesNothingButKeepsTheKey) {
  const std::string key = base_ + "\\Logical";
  EXPECT_FALSE(Write(kCurrentUser, key + "\\Flag", rt::BoolArg(true)));
  EXPECT_FALSE(Write(kCurrentUser, key + "\\When", testhost::DateArg(45000)));
  EXPECT_TRUE(outside::RegKeyExists("HKCU\\" + key));
  EXPECT_EQ(outside::RegQuery("HKCU\\" + key, "Flag").type, "");
  EXPECT_EQ(outside::RegQuery("HKCU\\" + key, "When").type, "");
}

TEST_F(RegistryCommands, WriteReplacesAValueOfAnotherType) {
  const std::string path = base_ + "\\Replace\\Value";
  EXPECT_TRUE(Write(kCurrentUser, path, TextArg("text first")));
  EXPECT_TRUE(Write(kCurrentUser, path, IntArg(5)));
  outside::RegQueryValue seen = outside::RegQuery("HKCU\\" + base_ + "\\Replace", "Value");
  EXPECT_EQ(seen.type, "REG_DWORD");
  EXPECT_EQ(seen.data, "0x5");
}

TEST_F(RegistryCommands, RootCodesSelectTheFiveRoots) {
  const std::string unique = "VeltaroCoreTest" + std::to_string(GetCurrentProcessId());
  struct Root {
    int32_t code;
    std::string path;     // for the command
    std::string outside;  // the key as reg.exe names it
    HKEY root;
    std::string cleanup;
  } const roots[] = {
      {1, unique + "\\v", "HKCR\\" + unique, HKEY_CLASSES_ROOT, unique},
      {2, "Software\\" + unique + "\\v", "HKCC\\Software\\" + unique, HKEY_CURRENT_CONFIG, "Software\\" + unique},
      {3, base_ + "\\Root3\\v", "HKCU\\" + base_ + "\\Root3", HKEY_CURRENT_USER, base_},
      {4, "Software\\" + unique + "\\v", "HKLM\\Software\\" + unique, HKEY_LOCAL_MACHINE, "Software\\" + unique},
      {5, ".DEFAULT\\Software\\" + unique + "\\v", "HKU\\.DEFAULT\\Software\\" + unique, HKEY_USERS,
       ".DEFAULT\\Software\\" + unique},
      {9, base_ + "\\Root9\\v", "HKCU\\" + base_ + "\\Root9", HKEY_CURRENT_USER, base_},
  };
  for (const Root& root : roots) {
    const std::string marker = "root " + std::to_string(root.code);
    EXPECT_TRUE(Write(root.code, root.path, TextArg(marker.c_str()))) << root.code;
    EXPECT_EQ(outside::RegQuery(root.outside, "v").data, marker) << root.code;
    EXPECT_EQ(Read(root.code, root.path, nullptr), marker) << root.code;
    RegDeleteTreeA(root.root, root.cleanup.c_str());
    RegDeleteKeyA(root.root, root.cleanup.c_str());
  }
}

TEST_F(RegistryCommands, ValueNameEndingInAGbkCharacterWithABackslashByte) {
  // "名乗" ends in 0x5C as the second byte of 乗: the name is the whole text after the last real "\".
  EXPECT_TRUE(Write(kCurrentUser, base_ + "\\Gbk\\名乗", TextArg("会计")));
  outside::RegQueryValue seen = outside::RegQuery("HKCU\\" + base_ + "\\Gbk", "名乗");
  EXPECT_EQ(seen.type, "REG_SZ");
  EXPECT_EQ(seen.data, "会计");
  EXPECT_EQ(Read(kCurrentUser, base_ + "\\Gbk\\名乗", "missing"), "会计");
}

TEST_F(RegistryCommands, ReadTextOfStringValues) {
  const std::string key = base_ + "\\Read";
  const char text[] = "C:\\Veltaro\\会计从业资格";
  Plant(key, "Plain", REG_SZ, text, sizeof text);
  SetEnvironmentVariableA("VELTARO_CORE_TEST_HOME", "Q:\\家");
  const char expandable[] = "%VELTARO_CORE_TEST_HOME%\\bin";
  Plant(key, "Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  const char unterminated[3] = {'a', 'b', 'c'};  // stored without its zero
  Plant(key, "Unterminated", REG_SZ, unterminated, sizeof unterminated);
  Plant(key, "Nothing", REG_SZ, "", 0);

  EXPECT_EQ(Read(kCurrentUser, key + "\\Plain", "default"), text);
  EXPECT_EQ(Read(kCurrentUser, key + "\\Expand", "default"), "Q:\\家\\bin");
  EXPECT_EQ(Read(kCurrentUser, key + "\\Unterminated", nullptr), "abc");
  EXPECT_EQ(Read(kCurrentUser, key + "\\Nothing", "default"), "");
  EXPECT_EQ(outside::RegQuery("HKCU\\" + key, "Expand").type, "REG_EXPAND_SZ");
}

TEST_F(RegistryCommands, ReadTextFallsBackToTheDefault) {
  const std::string key = base_ + "\\Fallback";
  const DWORD number = 7;
  Plant(key, "Number", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(outside::RegQuery("HKCU\\" + key, "Number").type, "REG_DWORD");
  EXPECT_EQ(Read(kCurrentUser, key + "\\Number", "默认"), "默认");
  EXPECT_EQ(Read(kCurrentUser, key + "\\Number", nullptr), "");
  EXPECT_EQ(Read(kCurrentUser, key + "\\Missing", "默认"), "默认");
  EXPECT_EQ(Read(kCurrentUser, base_ + "\\NoSuchKey\\Value", "d"), "d");
}

TEST_F(RegistryCommands, PathWithoutSeparatorNamesAValueUnderTheRoot) {
  const std::string name = "VeltaroCoreTestRootValue" + std::to_string(GetCurrentProcessId());
  EXPECT_TRUE(Write(kCurrentUser, name, TextArg("under the root")));
  EXPECT_EQ(outside::RegQuery("HKCU", name).data, "under the root");
  EXPECT_EQ(Read(kCurrentUser, name, "default"), "under the root");
  RegDeleteValueA(HKEY_CURRENT_USER, name.c_str());
  EXPECT_EQ(Read(kCurrentUser, name, "gone"), "gone");
}

}  // namespace
