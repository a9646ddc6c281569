// BrowseForFolder with the shell's real dialog, driven from a second thread through its tree
// and its buttons. The folders to pick lie in a folder of the test's own on drive C: (the
// dialog lists only the drives the mount manager knew at start-up).
#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "services/shell/ShellLib.h"
#include "tests/core/TestHost.h"
#include "tests/shell/FolderDialogDriver.h"
#include "tests/support/Boxes.h"

namespace {

using rt::TextArg;
using testhost::Call;

HWND NewTopLevelWindow(const char* title, HWND parent = nullptr) {
  const DWORD style = parent ? (WS_CHILD | WS_VISIBLE) : (WS_OVERLAPPED | WS_VISIBLE);
  return CreateWindowExA(0, "STATIC", title, style, 20, 20, 160, 80, parent, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// What the watcher thread saw while the dialog was up.
struct Seen {
  bool found = false;
  bool navigated = false;
  std::string title;  // the text the dialog shows above its tree
  HWND owner = nullptr;
  bool mainEnabled = true, otherEnabled = true, secondEnabled = true, childEnabled = false;
  std::vector<std::string> children;
};

// The program's windows as the runtime lists them (codes 2032/2033): an active main window (the
// dialog's owner, which the dialog itself also re-enables), another enabled top-level window, a
// second top-level window that is already disabled, and a child of the main window.
class BrowseForFolderCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    shelllib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
    main_ = NewTopLevelWindow("main");
    other_ = NewTopLevelWindow("other");
    second_ = NewTopLevelWindow("second");
    child_ = NewTopLevelWindow("child", main_);
    ASSERT_TRUE(main_ && other_ && second_ && child_);
    EnableWindow(second_, FALSE);
    testhost::SetLoadedWindows({main_, other_, second_, child_});
    SetForegroundWindow(main_);
    SetActiveWindow(main_);
    ASSERT_EQ(GetActiveWindow(), main_);
    folderName_ = "veltaro-browse-" + std::to_string(GetCurrentProcessId());
    folder_ = "C:\\" + folderName_;
    CreateDirectoryA(folder_.c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\会计从业资格").c_str(), nullptr);
    HANDLE file = CreateFileA((folder_ + "\\readme.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  void TearDown() override {
    testhost::UseRuntimeWindows();
    DestroyWindow(child_);
    DestroyWindow(second_);
    DestroyWindow(other_);
    DestroyWindow(main_);
    DeleteFileA((folder_ + "\\readme.txt").c_str());
    RemoveDirectoryA((folder_ + "\\会计从业资格").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  // Opens the dialog through the command; the watcher walks `labels` and presses `button`.
  std::string Browse(std::vector<rt::ArgTriple> args, std::vector<std::string> labels, int button, Seen& seen,
                     bool listChildren = false) {
    auto watcher = std::async(std::launch::async, [=] {
      Seen watched;
      HWND dialog = testsupport::WaitForDialog();
      if (!dialog) return watched;
      watched.found = true;
      testsupport::Dialog read = testsupport::ReadSettledDialog(dialog);
      watched.title = read.message;
      watched.owner = read.owner;
      watched.mainEnabled = IsWindowEnabled(main_);
      watched.otherEnabled = IsWindowEnabled(other_);
      watched.secondEnabled = IsWindowEnabled(second_);
      watched.childEnabled = IsWindowEnabled(child_);
      watched.navigated = folderdialog::SelectPath(dialog, labels);
      if (listChildren) watched.children = folderdialog::ChildrenOfSelected(dialog);
      testsupport::ClickButton(dialog, button);
      testsupport::WaitUntilClosed(dialog);
      return watched;
    });
    std::string chosen = testhost::TakeText(Call(shelllib::BrowseForFolder, args));
    seen = watcher.get();
    return chosen;
  }

  // After the dialog: every window as enabled as before, the main window active again.
  void ExpectRestored() {
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_TRUE(IsWindowEnabled(other_));
    EXPECT_FALSE(IsWindowEnabled(second_));
    EXPECT_TRUE(IsWindowEnabled(child_));
    EXPECT_EQ(GetActiveWindow(), main_);
    EXPECT_EQ(GetForegroundWindow(), main_);
  }
  std::string folderName_;
  std::string folder_;
  HWND main_ = nullptr, other_ = nullptr, second_ = nullptr, child_ = nullptr;
};

TEST_F(BrowseForFolderCommand, PicksAFolderInTheTree) {
  Seen seen;
  const std::string chosen =
      Browse({TextArg("选择要安装的文件夹")}, {"我的电脑", "(C:)", folderName_, "会计从业资格"}, IDOK, seen);
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.navigated);
  EXPECT_EQ(chosen, folder_ + "\\会计从业资格");
  // While the dialog was up it was modal over the program: its top-level windows were disabled.
  EXPECT_EQ(seen.title, "选择要安装的文件夹");
  EXPECT_EQ(seen.owner, main_);
  EXPECT_FALSE(seen.mainEnabled);
  EXPECT_FALSE(seen.otherEnabled);
  EXPECT_FALSE(seen.secondEnabled);
  EXPECT_TRUE(seen.childEnabled);
  ExpectRestored();
}

TEST_F(BrowseForFolderCommand, PicksADriveRoot) {
  Seen seen;
  const std::string chosen = Browse({TextArg("x"), rt::BoolArg(false)}, {"我的电脑", "(C:)"}, IDOK, seen);
  EXPECT_TRUE(seen.navigated);
  EXPECT_EQ(chosen, "C:\\");
  ExpectRestored();
}

TEST_F(BrowseForFolderCommand, CancelGivesTheEmptyText) {
  Seen seen;
  const std::string chosen = Browse({TextArg("x")}, {"我的电脑", "(C:)"}, IDCANCEL, seen);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(chosen, "");
  EXPECT_FALSE(seen.otherEnabled);
  ExpectRestored();
}

TEST_F(BrowseForFolderCommand, AnItemWithoutAFileSystemPathGivesTheEmptyText) {
  Seen seen;
  const std::string chosen = Browse({TextArg("x")}, {"我的电脑", "控制面板"}, IDOK, seen);
  EXPECT_TRUE(seen.navigated);
  EXPECT_EQ(chosen, "");
  ExpectRestored();
}

TEST_F(BrowseForFolderCommand, IncludeFilesShowsAndPicksFiles) {
  Seen withFiles;
  const std::string chosen = Browse({TextArg("x"), rt::BoolArg(true)}, {"我的电脑", "(C:)", folderName_, "readme.txt"},
                                    IDOK, withFiles);
  EXPECT_TRUE(withFiles.navigated);
  EXPECT_EQ(chosen, folder_ + "\\readme.txt");

  Seen foldersOnly;
  Browse({TextArg("x")}, {"我的电脑", "(C:)", folderName_}, IDCANCEL, foldersOnly, true);
  EXPECT_EQ(foldersOnly.children, std::vector<std::string>{"会计从业资格"});
  ExpectRestored();
}

TEST(BrowseForFolderWithoutWindows, WorksWithNoProgramWindowAndNoEntry) {
  // Without a stored entry the window count is 0: the dialog has no owner and nothing to restore.
  shelllib::Notify(1, 0, 0);
  auto watcher = std::async(std::launch::async, [] {
    HWND dialog = testsupport::WaitForDialog();
    if (!dialog) return false;
    testsupport::ReadSettledDialog(dialog);
    const bool unowned = GetWindow(dialog, GW_OWNER) == nullptr;
    testsupport::ClickButton(dialog, IDCANCEL);
    testsupport::WaitUntilClosed(dialog);
    return unowned;
  });
  rt::ArgTriple result = Call(shelllib::BrowseForFolder, {TextArg("x")});
  EXPECT_TRUE(watcher.get());
  EXPECT_EQ(result.type, rt::kTypeText);
  EXPECT_EQ(result.lo, 0u);
}

}  // namespace
