// The ZIP unit type: its unit interface, its window, its life cycle, and ZipLib's notification
// function with the real runtime entry.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/FrameworkWindow.h"
#include "runtime/Runtime.h"
#include "services/zip/ZipLib.h"
#include "services/zip/ZipUnit.h"
#include "tests/zip/ZipTestSupport.h"

namespace ziptest {
namespace {

TEST(ZipUnitInterface, AnswersOnlyCreateAndThePropertyQueries) {
  for (int32_t query : {1, 4, 5, 6}) EXPECT_NE(nullptr, ziplib::ZipUnitInterface(query)) << query;
  for (int32_t query : {0, 2, 3, 7, 8, 9, 10, 11, 12}) EXPECT_EQ(nullptr, ziplib::ZipUnitInterface(query)) << query;
  auto setProperty = reinterpret_cast<rt::UnitSetProperty>(ziplib::ZipUnitInterface(rt::kUnitSetProperty));
  auto writeBlock = reinterpret_cast<rt::UnitWriteBlock>(ziplib::ZipUnitInterface(rt::kUnitWriteBlock));
  auto getProperty = reinterpret_cast<rt::UnitGetProperty>(ziplib::ZipUnitInterface(rt::kUnitGetProperty));
  rt::PropertyData value;
  value.number = 5;
  EXPECT_EQ(0, setProperty(nullptr, 0, value)) << "never re-created";
  std::string block = "stale";
  EXPECT_FALSE(writeBlock(nullptr, block));
  EXPECT_TRUE(block.empty());
  for (int32_t k = 0; k < 3; ++k) EXPECT_FALSE(getProperty(nullptr, k, value));
}

TEST(ZipUnit, CreatesAHiddenChildWindowOfItsOwnClass) {
  ParentWindow parent;
  TestRuntime runtime;
  rt::UnitObject* unit = CreateZipUnit(parent.Handle(), 0x52000003, 0x16000004);
  ASSERT_NE(nullptr, unit);
  const HWND window = unit->Handle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(0x52000003u, unit->windowId);
  EXPECT_EQ(0x16000004u, unit->unitId);
  EXPECT_EQ(parent.Handle(), GetParent(window));
  EXPECT_EQ(0, GetDlgCtrlID(window)) << "child id 0";
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER), style & (WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER));
  EXPECT_FALSE(style & WS_VISIBLE) << "units of this type get no style bits of their own";
  EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
  EXPECT_EQ(0, GetWindowTextLengthA(window));
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(4, rect.left);
  EXPECT_EQ(6, rect.top);
  EXPECT_EQ(24, rect.right - rect.left);
  EXPECT_EQ(20, rect.bottom - rect.top);

  char className[64] = {};
  GetClassNameA(window, className, sizeof(className));
  WNDCLASSA windowClass = {};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), className, &windowClass));
  EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), windowClass.style);
  EXPECT_EQ(nullptr, windowClass.hCursor);
  EXPECT_EQ(nullptr, windowClass.hbrBackground);
  EXPECT_EQ(nullptr, windowClass.hIcon);
  EXPECT_EQ(unit, rt::FrameworkWindow::FromHandle(window)) << "the unit serves its window";

  DestroyWindow(window);
  ASSERT_EQ(1u, runtime.destroyed.size()) << "the runtime hears of the destroyed window";
  EXPECT_EQ(0x52000003u, runtime.destroyed[0].first);
  EXPECT_EQ(0x16000004u, runtime.destroyed[0].second);
  EXPECT_EQ(nullptr, rt::FrameworkWindow::FromHandle(window));
}

TEST(ZipUnit, CreationWithoutAParentFails) {
  EXPECT_EQ(nullptr, CreateZipUnit(nullptr, 1, 2)) << "a child window needs a parent";
}

TEST(ZipLibNotify, KeepsTheRuntimeEntryOfCodeOneOnly) {
  TestRuntime runtime;
  EXPECT_EQ(-1, ziplib::Notify(6, 0, 0));
  EXPECT_EQ(-1, ziplib::Notify(0, 12345, 0)) << "other codes do not replace the entry";
  ParentWindow parent;
  rt::UnitObject* unit = CreateZipUnit(parent.Handle(), 7, 8);
  ASSERT_NE(nullptr, unit);
  DestroyWindow(unit->Handle());
  EXPECT_EQ(1u, runtime.destroyed.size()) << "the entry of code 1 is still the one called";

  EXPECT_EQ(0, ziplib::Notify(1, 0, 0));
  EXPECT_EQ(0, ziplib::CallRuntime(rt::kNotifyInterfaceLevel, 0, 0)) << "no entry: every call yields 0";
}

// The real runtime, started as a program starts it, announces itself to ZipLib; its window
// engine serves the unit lookups and events.
namespace engine {
rt::UnitObject* unit = nullptr;
std::vector<int> percentages;
int32_t Notify(int32_t code, int32_t first, int32_t, bool* handled) {
  *handled = code == rt::kNotifyLocate || code == rt::kNotifyRaiseEvent || code == rt::kNotifyControlDestroyed;
  if (code == rt::kNotifyLocate) return static_cast<int32_t>(reinterpret_cast<uintptr_t>(unit));
  if (code != rt::kNotifyRaiseEvent) return 0;
  auto* record = reinterpret_cast<rt::EventRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(first)));
  percentages.push_back(static_cast<int>(record->args[0]));
  return 1;
}
}  // namespace engine

TEST(ZipLibWithRuntime, UnpackRaisesEventsThroughTheRuntimeEntry) {
  rt::MiscService(6);
  EXPECT_EQ(rt::kInterfaceLevel, ziplib::CallRuntime(rt::kNotifyInterfaceLevel, 0, 0))
      << "start-up handed ZipLib the runtime notification entry";
  rt::WindowEngine windowEngine = {};
  windowEngine.notify = &engine::Notify;
  rt::InstallWindowEngine(&windowEngine);
  ParentWindow parent;
  engine::unit = CreateZipUnit(parent.Handle(), 0x52000010, 0x16000011);
  ASSERT_NE(nullptr, engine::unit);

  ScratchFolder scratch;
  TestEntry file{"one.txt", "through the runtime"};
  ASSERT_TRUE(WriteWholeFile(scratch / "a.zip", BuildArchive({file, file})));
  const std::string archive = scratch / "a.zip";
  const std::string target = scratch / "out";
  rt::ArgTriple args[3] = {rt::UnitArg(0x52000010, 0x16000011, 0x00010001), rt::TextArg(archive.c_str()),
                           rt::TextArg(target.c_str())};
  const rt::ArgTriple result = rt::CallLibraryCommand(&ziplib::Unpack, 3, args);
  EXPECT_EQ(1, result.Int());
  EXPECT_EQ((std::vector<int>{0, 50, 100}), engine::percentages);
  DestroyWindow(engine::unit->Handle());
  rt::InstallWindowEngine(nullptr);
}

}  // namespace
}  // namespace ziptest
