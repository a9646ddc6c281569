// Commands that reach other processes and the screen: RunProgram with a probe program of ours,
// ShowMessageBox with the real box answered from a second thread, and Delay / GetRunFolder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "services/core/CoreLib.h"
#include "tests/core/OutsideChecks.h"
#include "tests/core/TestHost.h"
#include "tests/support/Boxes.h"

namespace {

using rt::IntArg;
using rt::OmittedArg;
using rt::TextArg;
using testhost::Call;

// Milliseconds from the performance counter. Wine's tick count is a value the wineserver stores
// every few milliseconds, and on a loaded emulated machine it falls hundreds of milliseconds
// behind: time spans measured with it come out short.
ULONGLONG NowMs() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<ULONGLONG>(count.QuadPart / (frequency.QuadPart / 1000));
}

void Announce() { corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0); }

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\'));
}

class RunProgramCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    Announce();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    record_ = std::string(temp) + "veltaro-probe-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(record_.c_str());
  }
  void TearDown() override { DeleteFileA(record_.c_str()); }

  std::string CommandLine(int lingerMs) const {
    return "\"" + ProgramFolder() + "\\show_state_probe.exe\" \"" + record_ + "\" " + std::to_string(lingerMs);
  }
  bool Run(int lingerMs, bool wait, const rt::ArgTriple& mode) {
    const std::string line = CommandLine(lingerMs);
    rt::ArgTriple result = Call(corelib::RunProgram, {TextArg(line.c_str()), rt::BoolArg(wait), mode});
    EXPECT_EQ(result.type, rt::kTypeBool);
    return result.lo != 0;
  }
  std::string Record() const { return outside::ReadFileBytes(record_); }
  // Lets a probe that is still running finish before the next one starts (a minute at most: an
  // emulated machine takes seconds to start one).
  void WaitForDone() const {
    for (int i = 0; i < 3000 && Record().find("done") == std::string::npos; ++i) Sleep(20);
  }

  std::string record_;
};

TEST_F(RunProgramCommand, WaitBlocksUntilTheProgramHasEnded) {
  ASSERT_TRUE(Run(1500, true, OmittedArg()));
  EXPECT_EQ(Record(), "flags=1 show=1\ndone\n");
}

TEST_F(RunProgramCommand, WithoutWaitReturnsOnceTheProgramIsIdle) {
  const ULONGLONG started = NowMs();
  ASSERT_TRUE(Run(3000, false, OmittedArg()));
  const ULONGLONG waited = NowMs() - started;
  const std::string record = Record();
  EXPECT_EQ(record.find("done"), std::string::npos) << "returned only when the program had ended";
  // A machine where Wine needs more than the second the command grants to start a program (an
  // emulated one) returns at that limit, before the probe has run: then only the limit is seen.
  if (waited < 900) {
    EXPECT_EQ(record, "flags=1 show=1\n") << "returned before the program was idle";
  } else {
    EXPECT_LT(waited, 3000u) << "waited past the one-second limit";
  }
  WaitForDone();
  EXPECT_EQ(Record(), "flags=1 show=1\ndone\n");
}

TEST_F(RunProgramCommand, ShowModesMapToStartupShowStates) {
  struct Mode {
    rt::ArgTriple mode;
    int showState;
  } const modes[] = {
      {IntArg(1), SW_HIDE},           {IntArg(2), SW_SHOWNORMAL},     {IntArg(3), SW_SHOWMINIMIZED},
      {IntArg(4), SW_SHOWMAXIMIZED},  {IntArg(5), SW_SHOWNOACTIVATE}, {IntArg(6), SW_MINIMIZE},
      {IntArg(0), SW_HIDE},           {IntArg(-7), SW_HIDE},          {IntArg(9), SW_MINIMIZE},
      {OmittedArg(), SW_SHOWNORMAL},
  };
  for (const Mode& mode : modes) {
    DeleteFileA(record_.c_str());
    ASSERT_TRUE(Run(0, true, mode.mode));
    EXPECT_EQ(Record(), "flags=1 show=" + std::to_string(mode.showState) + "\ndone\n") << mode.mode.Int();
  }
}

TEST_F(RunProgramCommand, AProgramThatCannotStartGivesFalse) {
  EXPECT_FALSE(Call(corelib::RunProgram, {TextArg("C:\\no\\such\\program.exe"), rt::BoolArg(true)}).lo);
  EXPECT_FALSE(Call(corelib::RunProgram, {TextArg(""), rt::BoolArg(false)}).lo);
}

// Shows a box through the command while a second thread reads it and presses `button`.
struct Answered {
  int32_t result;
  testsupport::Dialog dialog;
  bool ownerWindowWasEnabled;
};
Answered ShowAndAnswer(std::vector<rt::ArgTriple> args, int button, HWND watched = nullptr) {
  auto answer = std::async(std::launch::async, [button, watched] {
    Answered seen{};
    HWND dialog = testsupport::WaitForDialog();
    if (!dialog) return seen;
    seen.dialog = testsupport::ReadSettledDialog(dialog);
    seen.ownerWindowWasEnabled = watched && IsWindowEnabled(watched);
    testsupport::ClickButton(dialog, button);
    testsupport::WaitUntilClosed(dialog);
    return seen;
  });
  rt::ArgTriple result = Call(corelib::ShowMessageBox, args);
  Answered answered = answer.get();
  EXPECT_EQ(result.type, rt::kTypeInt);
  answered.result = result.Int();
  return answered;
}

std::vector<int> ButtonIds(const testsupport::Dialog& dialog) {
  std::vector<int> ids;
  for (const testsupport::DialogButton& button : dialog.buttons) ids.push_back(button.id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST(ShowMessageBoxCommand, YesAndNoGiveFiveAndSix) {
  Announce();
  Answered yes = ShowAndAnswer({TextArg("安装路径有误,请重新选择!"), IntArg(MB_YESNO | MB_ICONQUESTION)}, IDYES);
  EXPECT_EQ(yes.result, 5);
  EXPECT_EQ(yes.dialog.caption, "信息：");
  EXPECT_EQ(yes.dialog.message, "安装路径有误,请重新选择!");
  EXPECT_EQ(ButtonIds(yes.dialog), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(ShowAndAnswer({TextArg("?"), IntArg(MB_YESNO)}, IDNO).result, 6);
}

TEST(ShowMessageBoxCommand, ButtonsFollowTheStyle) {
  Announce();
  struct Style {
    int style;
    std::vector<int> buttons;
    int press;
    int32_t code;
  } const styles[] = {
      {MB_OK, {IDOK}, IDOK, 0},
      {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL, 1},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, 2},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE, 4},
      {MB_YESNOCANCEL | MB_DEFBUTTON2, {IDCANCEL, IDYES, IDNO}, IDCANCEL, 1},
      {MB_RETRYCANCEL | MB_ICONEXCLAMATION, {IDCANCEL, IDRETRY}, IDRETRY, 3},
  };
  for (const Style& style : styles) {
    Answered answered = ShowAndAnswer({TextArg("x"), IntArg(style.style), TextArg("标题")}, style.press);
    EXPECT_EQ(answered.dialog.caption, "标题") << style.style;
    std::vector<int> expected = style.buttons;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ButtonIds(answered.dialog), expected) << style.style;
    EXPECT_EQ(answered.result, style.code) << style.style;
  }
}

TEST(ShowMessageBoxCommand, ContentOfOtherTypesIsShownAsText) {
  Announce();
  EXPECT_EQ(ShowAndAnswer({testhost::DoubleArg(3.5), IntArg(0)}, IDOK).dialog.message, "3.5");
  EXPECT_EQ(ShowAndAnswer({IntArg(-12), IntArg(0)}, IDOK).dialog.message, "-12");
  EXPECT_EQ(ShowAndAnswer({rt::BoolArg(false), IntArg(0)}, IDOK).dialog.message, "假");
  EXPECT_EQ(ShowAndAnswer({testhost::DateArg(45000.5), IntArg(0)}, IDOK).dialog.message, "2023年3月15日12时");
}

class TestWindow {
 public:
  TestWindow() {
    window_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() { DestroyWindow(window_); }
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

TEST(ShowMessageBoxCommand, OwnerGivenAsAWindowHandle) {
  Announce();
  TestWindow owner;
  ASSERT_TRUE(owner.Get());
  const int32_t handle = static_cast<int32_t>(reinterpret_cast<uintptr_t>(owner.Get()));
  Answered owned = ShowAndAnswer({TextArg("x"), IntArg(0), OmittedArg(), IntArg(handle)}, IDOK);
  EXPECT_EQ(owned.dialog.owner, owner.Get());
  // An owner of another type is no owner.
  Answered unowned = ShowAndAnswer({TextArg("x"), IntArg(0), OmittedArg(), TextArg("window")}, IDOK);
  EXPECT_EQ(unowned.dialog.owner, nullptr);
}

TEST(ShowMessageBoxCommand, TaskModalUnlessSystemModal) {
  Announce();
  TestWindow other;
  ASSERT_TRUE(other.Get());
  // Task-modal boxes disable the thread's other top-level windows while they are up.
  Answered taskModal = ShowAndAnswer({TextArg("x"), IntArg(MB_OK)}, IDOK, other.Get());
  EXPECT_FALSE(taskModal.ownerWindowWasEnabled);
  EXPECT_TRUE(IsWindowEnabled(other.Get()));
  Answered systemModal = ShowAndAnswer({TextArg("x"), IntArg(MB_OK | MB_SYSTEMMODAL)}, IDOK, other.Get());
  EXPECT_TRUE(systemModal.ownerWindowWasEnabled);
}

TEST(SmallCommands, GetRunFolderCopiesTheRuntimesFolder) {
  Announce();
  const int32_t before = testhost::LiveBlocks();
  testhost::SetProgramFolder("C:\\Veltaro\\安装");
  EXPECT_EQ(testhost::TakeText(Call(corelib::GetRunFolder, {})), "C:\\Veltaro\\安装");
  testhost::SetProgramFolder("D:");
  EXPECT_EQ(testhost::TakeText(Call(corelib::GetRunFolder, {})), "D:");
  testhost::SetProgramFolder(nullptr);
  EXPECT_EQ(testhost::TakeText(Call(corelib::GetRunFolder, {})), "");
  testhost::UseRuntimeFolder();
  EXPECT_EQ(testhost::TakeText(Call(corelib::GetRunFolder, {})), ProgramFolder());
  EXPECT_EQ(testhost::LiveBlocks(), before);
}

TEST(SmallCommands, DelaySleepsTheGivenTime) {
  ULONGLONG start = NowMs();
  rt::ArgTriple result = Call(corelib::Delay, {IntArg(300)});
  EXPECT_GE(NowMs() - start, 250u);
  EXPECT_EQ(result.type, 0u);  // no result
  start = NowMs();
  Call(corelib::Delay, {IntArg(-1000)});
  EXPECT_LT(NowMs() - start, 900u) << "a negative delay does not wait its amount";
}

TEST(SmallCommands, NotifyAcceptsOnlyCodeOne) {
  EXPECT_EQ(corelib::Notify(6, 0, 0), -1);
  EXPECT_EQ(corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0), 0);
}

}  // namespace
