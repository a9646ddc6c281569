// 会计从业资格.exe run for real: its start mark, its window, and the resources both programs carry.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "installer/product/GbkPath.h"
#include "tests/product/TestProcesses.h"

namespace testing_product {
namespace {

namespace path = product::path;

constexpr char kTitle[] = "Veltaro 会计从业考试题库 V4.6";
constexpr char kWindowClass[] = "VeltaroQuestionBank";

// A copy of the main program in a GBK-named folder of its own, as after an installation.
class MainProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = path::Join(TempFolder(), "veltaro-main-" + std::to_string(GetCurrentProcessId()) + "\\会计从业资格");
    ASSERT_TRUE(MakeFolders(folder_));
    ASSERT_TRUE(CopyFileA(path::Join(TestFolder(), "会计从业资格.exe").c_str(), Program().c_str(), FALSE));
  }
  void TearDown() override { RemoveFixtureTree(path::Folder(folder_)); }

  std::string Program() const { return path::Join(folder_, "会计从业资格.exe"); }
  std::string Mark() const { return path::Join(folder_, "started.mark"); }

  std::string folder_;
};

TEST_F(MainProgramTest, QuitSwitchLeavesTheCommandLineAsMarkAndEnds) {
  // Started from another folder: the mark goes beside the program, not into the current folder.
  Child child = Start(Program(), "/quit-after-mark 来自安装程序", TempFolder());
  EXPECT_EQ(WaitForExit(child.process.Get()), 0u);
  const std::string mark = ReadTextFile(Mark());
  EXPECT_NE(mark.find("/quit-after-mark"), std::string::npos) << mark;
  EXPECT_NE(mark.find("来自安装程序"), std::string::npos) << mark;
  EXPECT_NE(mark.find("会计从业资格.exe"), std::string::npos) << mark;
  EXPECT_EQ(FindTreeWindow(child.id, kWindowClass), nullptr);
}

TEST_F(MainProgramTest, SwitchMustBeAWordOfItsOwn) {
  Child child = Start(Program(), "/quit-after-marks", folder_);
  HWND window = WaitForTreeWindow(child.id, kWindowClass);
  ASSERT_NE(window, nullptr) << "a longer word is not the switch";
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(child.process.Get()), 0u);
}

TEST_F(MainProgramTest, OpensAWindowNamingTheProductAndClosesOnItsButton) {
  Child child = Start(Program(), "", folder_);
  HWND window = WaitForTreeWindow(child.id, kWindowClass);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), kTitle);
  EXPECT_TRUE(Exists(Mark()));

  // The header is painted in the theme's light blue, the body white (read back from the
  // screen once the window has had time for its first paint).
  RECT client;
  GetClientRect(window, &client);
  COLORREF header = 0, body = 0;
  for (int i = 0; i < 60; ++i) {
    HDC dc = GetDC(window);
    header = GetPixel(dc, client.right - 10, 10);
    body = GetPixel(dc, 10, client.bottom - 10);
    ReleaseDC(window, dc);
    if (body == RGB(255, 255, 255) && GetBValue(header) > 0xF0 && GetRValue(header) < 0xD0) break;
    Sleep(50);
  }
  EXPECT_GT(GetBValue(header), 0xF0);
  EXPECT_LT(GetRValue(header), 0xD0);
  EXPECT_EQ(body, RGB(255, 255, 255));

  HWND quit = FindWindowExA(window, nullptr, "BUTTON", "退出");
  ASSERT_NE(quit, nullptr);
  PostMessageA(quit, BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForExit(child.process.Get()), 0u);
}

// The manifest text of a program file.
std::string ManifestOf(const std::string& program) {
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return std::string();
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    if (HGLOBAL loaded = LoadResource(module, found)) {
      text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    }
  }
  FreeLibrary(module);
  return text;
}

bool HasProductIcon(const std::string& program) {
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  const bool found = FindResourceA(module, "DEFAULT_ICON", MAKEINTRESOURCEA(14)) != nullptr;  // icon group
  FreeLibrary(module);
  return found;
}

TEST(ProductProgramsTest, CarryIconAndTheRightExecutionLevel) {
  const std::string main = path::Join(TestFolder(), "会计从业资格.exe");
  const std::string uninstaller = path::Join(TestFolder(), "Uninstall.exe");
  EXPECT_TRUE(HasProductIcon(main));
  EXPECT_TRUE(HasProductIcon(uninstaller));
  EXPECT_NE(ManifestOf(main).find("level=\"asInvoker\""), std::string::npos);
  // The uninstaller writes to HKEY_LOCAL_MACHINE and the installation folder.
  EXPECT_NE(ManifestOf(uninstaller).find("level=\"requireAdministrator\""), std::string::npos);
}

}  // namespace
}  // namespace testing_product
