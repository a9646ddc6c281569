// CoreLib and ShellLib on the real runtime: announced through the library table at start-up,
// with windows loaded by the window engine, allocation, conversions and run-time errors as the
// runtime provides them.
#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "runtime/Runtime.h"
#include "services/core/CoreLib.h"
#include "services/shell/ShellLib.h"
#include "tests/support/Boxes.h"
#include "tests/support/ChildProcess.h"
#include "window/Engine.h"
#include "window/template/PropertyBlocks.h"
#include "window/template/TemplateModel.h"
#include "window/template/TemplateRegion.h"

namespace {

using rt::IntArg;
using rt::OmittedArg;
using rt::TextArg;

rt::ArgTriple Call(rt::Command command, std::vector<rt::ArgTriple> args) {
  return rt::CallLibraryCommand(command, static_cast<int32_t>(args.size()), args.data());
}

std::string TakeText(const rt::ArgTriple& result) {
  if (result.type != rt::kTypeText || !result.lo) return {};
  std::string text = result.Text();
  rt::FreeBlock(const_cast<char*>(result.Text()));
  return text;
}

// A window with one edit box, loaded from a template and opened by the window engine.
struct OpenedWindow {
  uint32_t windowId = 0;
  uint32_t editId = 0;
};

OpenedWindow OpenWindow(const std::string& caption) {
  static uint32_t serial = 0x300;
  ++serial;
  tmpl::WindowTemplate window;
  window.id = 0x52000000 | serial;
  tmpl::UnitTemplate unit;
  unit.id = 0x06000000 | serial;
  unit.typeCode = tmpl::kTypeWindow;
  unit.left = 40;
  unit.top = 40;
  unit.width = 240;
  unit.height = 120;
  unit.flags = tmpl::kFlagVisible;
  tmpl::WindowBlock block;
  block.Border = 0;
  block.Position = 0;
  block.Caption = caption;
  unit.propertyBlock = block.Write();
  window.units.push_back(unit);

  tmpl::UnitTemplate edit;
  edit.id = 0x16000000 | serial << 8 | 1;
  edit.typeCode = tmpl::kTypeEditBox;
  edit.left = 10;
  edit.top = 10;
  edit.width = 100;
  edit.height = 22;
  edit.flags = tmpl::kFlagVisible | tmpl::kFlagTabStop;
  edit.tabOrder = 1;
  edit.propertyBlock = tmpl::EditBoxBlock{}.Write();
  window.units.push_back(edit);
  window.units[0].children.push_back(edit.id);

  const std::string region = tmpl::WriteRegion({window});
  EXPECT_TRUE(window::Engine.loadTemplates(reinterpret_cast<const uint8_t*>(region.data()),
                                           static_cast<uint32_t>(region.size()), 0));
  EXPECT_TRUE(window::Engine.openWindow(window.id));
  return {window.id, edit.id};
}

struct CaptionSearch {
  std::string caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM context) {
  auto search = reinterpret_cast<CaptionSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  if (process != GetCurrentProcessId() || search->caption != text) return TRUE;
  search->found = window;
  return FALSE;
}

// The program's top-level window with that caption, found the way another program would.
HWND TopLevelWindowTitled(const std::string& caption) {
  CaptionSearch search{caption, nullptr};
  EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Closing the program's last window posts the quit message, which would end the next modal
// loop at once: the tests take it out again.
void CloseProgramWindow(HWND window) {
  DestroyWindow(window);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageA(&message);
  }
}

// Answers the next dialog of this process with `button` and hands back what it showed.
std::future<testsupport::Dialog> AnswerNextDialog(int button, std::vector<HWND> watched = {},
                                                  std::vector<bool>* enabledWhileUp = nullptr) {
  return std::async(std::launch::async, [=] {
    testsupport::Dialog read;
    HWND dialog = testsupport::WaitForDialog();
    if (!dialog) return read;
    read = testsupport::ReadSettledDialog(dialog);
    if (enabledWhileUp) {
      for (HWND window : watched) enabledWhileUp->push_back(IsWindowEnabled(window) != FALSE);
    }
    testsupport::ClickButton(dialog, button);
    testsupport::WaitUntilClosed(dialog);
    return read;
  });
}

TEST(ServicesOnTheRuntime, GetWindowHandleOfAWindowAndOfAControl) {
  OpenedWindow opened = OpenWindow("handle test");
  HWND window = TopLevelWindowTitled("handle test");
  ASSERT_TRUE(window);
  HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
  ASSERT_TRUE(edit);
  rt::ArgTriple result = Call(corelib::GetWindowHandle, {rt::WindowArg(opened.windowId)});
  EXPECT_EQ(result.type, rt::kTypeInt);
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(result.lo)), window);
  result = Call(corelib::GetWindowHandle, {rt::UnitArg(opened.windowId, opened.editId, tmpl::kTypeEditBox)});
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(result.lo)), edit);
  CloseProgramWindow(window);
}

int GetWindowHandleOfAMissingWindow() {
  Call(corelib::GetWindowHandle, {rt::WindowArg(0x52FFFFF1)});
  testsupport::Say("came back");
  return 0;
}

TEST(ServicesOnTheRuntime, GetWindowHandleOfAMissingWindowIsARunTimeError) {
  testsupport::ChildResult child = testsupport::RunChild("missing-window");
  EXPECT_EQ(child.exitCode, static_cast<DWORD>(-1));
  ASSERT_EQ(child.boxes.size(), 1u);
  EXPECT_EQ(child.boxes[0].caption, "错误");
  EXPECT_EQ(child.boxes[0].text.rfind("运行时出错!", 0), 0u) << child.boxes[0].text;
  EXPECT_NE(child.boxes[0].text.find("指定窗口或窗口组件不存在或尚未载入"), std::string::npos);
  EXPECT_EQ(child.output.find("came back"), std::string::npos);
}

TEST(ServicesOnTheRuntime, ShowMessageBoxOwnedByAProgramWindow) {
  const OpenedWindow opened = OpenWindow("owner test");
  HWND owner = TopLevelWindowTitled("owner test");
  ASSERT_TRUE(owner);
  auto answer = AnswerNextDialog(IDOK);
  Call(corelib::ShowMessageBox, {TextArg("x"), IntArg(0), OmittedArg(), rt::WindowArg(opened.windowId)});
  EXPECT_EQ(answer.get().owner, owner);
  // A window that is not loaded gives no owner, and no run-time error.
  answer = AnswerNextDialog(IDOK);
  Call(corelib::ShowMessageBox, {TextArg("x"), IntArg(0), OmittedArg(), rt::WindowArg(0x52FFFFF2)});
  EXPECT_EQ(answer.get().owner, nullptr);
  CloseProgramWindow(owner);
}

TEST(ServicesOnTheRuntime, BrowseForFolderIsModalOverTheRuntimesWindows) {
  OpenWindow("browse first");
  OpenWindow("browse second");
  HWND first = TopLevelWindowTitled("browse first");
  HWND second = TopLevelWindowTitled("browse second");
  ASSERT_TRUE(first && second);
  EnableWindow(second, FALSE);
  SetForegroundWindow(first);
  SetActiveWindow(first);

  std::vector<bool> enabledWhileUp;
  auto answer = AnswerNextDialog(IDCANCEL, {first, second}, &enabledWhileUp);
  rt::ArgTriple result = Call(shelllib::BrowseForFolder, {TextArg("选择要安装的文件夹")});
  const testsupport::Dialog dialog = answer.get();
  EXPECT_EQ(result.type, rt::kTypeText);
  EXPECT_EQ(result.lo, 0u);
  EXPECT_EQ(dialog.owner, first);
  EXPECT_EQ(enabledWhileUp, (std::vector<bool>{false, false}));
  EXPECT_TRUE(IsWindowEnabled(first));
  EXPECT_FALSE(IsWindowEnabled(second));
  EXPECT_EQ(GetActiveWindow(), first);
  CloseProgramWindow(second);
  CloseProgramWindow(first);
}

TEST(ServicesOnTheRuntime, ResultsComeFromTheRuntimeHeap) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  folder.erase(folder.rfind('\\'));
  EXPECT_EQ(TakeText(Call(corelib::GetRunFolder, {})), folder);

  // An array of texts goes back through the runtime's own array release (code 2023).
  rt::ArgTriple parts = Call(corelib::SplitText, {TextArg("会计,从业,资格")});
  ASSERT_EQ(parts.type, rt::kTypeText | rt::kArrayBit);
  EXPECT_EQ(rt::ArrayElementCount(parts.Pointer()), 3u);
  rt::RuntimeNotify(rt::kNotifyFreeArray, static_cast<int32_t>(parts.type), static_cast<int32_t>(parts.lo));

  EXPECT_EQ(TakeText(Call(corelib::ToText, {IntArg(42)})), "42");
  EXPECT_EQ(TakeText(Call(shelllib::GetSpecialFolder, {IntArg(9)})).back(), '\\');
}

TEST(ServicesOnTheRuntime, WriteRegistryValueConvertsThroughTheRuntime) {
  const std::string key = "Software\\VeltaroRuntimeTest" + std::to_string(GetCurrentProcessId());
  double value = 7.9;
  uint64_t bits;
  memcpy(&bits, &value, 8);
  rt::ArgTriple number{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), rt::kTypeDouble};
  const std::string path = key + "\\Number";
  EXPECT_EQ(Call(corelib::WriteRegistryValue, {IntArg(3), TextArg(path.c_str()), number}).lo, 1u);
  DWORD stored = 0, size = sizeof stored;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Number", RRF_RT_REG_DWORD, nullptr, &stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(stored, 7u);
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  rt::MiscService(6);
  int exitCode = 0;
  const std::map<std::string, testsupport::ChildCase> cases = {{"missing-window", GetWindowHandleOfAMissingWindow}};
  if (testsupport::RunChildCaseIfAsked(argc, argv, cases, exitCode)) return exitCode;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
