// Events: how routines are found and called, their results on the messages they came from,
// the window's close request, focus, key and character events, and the errors of raising.
#include <gtest/gtest.h>
#include "runtime/Runtime.h"
#include "tests/window/WindowTestSupport.h"

namespace windowtest {
namespace {

class Events : public testing::Test {
 protected:
  void SetUp() override { ClearLog(); }
};

int32_t RaiseSimple(uint32_t windowId, uint32_t unitId, int32_t event, rt::EventRecord* out = nullptr) {
  rt::EventRecord record = {};
  record.windowId = windowId;
  record.unitId = unitId;
  record.event = event;
  int32_t handled = rt::RuntimeNotify(rt::kNotifyRaiseEvent, int32_t(reinterpret_cast<uintptr_t>(&record)), 0);
  if (out) *out = record;
  return handled;
}

TEST_F(Events, ACharacterRoutineSwallowsTheKeyWithZeroAndReplacesItWithAnythingElse) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 210, 40});
  builder.Bind(edit, -11, RecordRoutine(-11));
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND hwnd = UnitHandle(windowId, edit);
  Focus(hwnd);
  Answer(edit, -11, 0);
  TypeText("b");
  EXPECT_EQ(TextOf(hwnd), "");
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().back().args, (std::vector<uint32_t>{'b'}));
  Answer(edit, -11, 65);
  TypeText("b");
  EXPECT_EQ(TextOf(hwnd), "A");
  ClearLog();  // the routine now hands nothing back: the character goes on as typed
  TypeText("c");
  EXPECT_EQ(TextOf(hwnd), "Ac");
}

TEST_F(Events, ACloseRequestRefusedByEventTwelveKeepsTheWindowWithoutAskingEventOne) {
  WindowBuilder builder;
  for (int32_t event : {1, 2, 12}) builder.Bind(builder.WindowUnitId(), event, RecordRoutine(event));
  uint32_t windowId = builder.Load();
  HWND hwnd = builder.Open();
  uint32_t unit = builder.WindowUnitId();
  ClearLog();
  Answer(unit, 12, 0);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(LoggedEvents(unit), (std::vector<int32_t>{12}));

  ClearLog();
  Answer(unit, 1, 0);  // event 12 says nothing now; event 1 refuses
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(LoggedEvents(unit), (std::vector<int32_t>{12, 1}));

  ClearLog();
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(LoggedEvents(unit), (std::vector<int32_t>{12, 1, 2}));
  EXPECT_EQ(UnitHandle(windowId, 0), nullptr);
}

TEST_F(Events, ALeftPressGoesOnToTheControlUnlessItsRoutineAnswersFalse) {
  WindowBuilder builder;
  uint32_t box = builder.Add(kTypeCheckBox, CheckBoxBlock("press"), {10, 10, 150, 40});
  builder.Bind(box, -1, RecordRoutine(-1));
  builder.Bind(box, 0, RecordRoutine(0));
  uint32_t windowId = builder.Load();
  HWND window = builder.Open();
  HWND hwnd = UnitHandle(windowId, box);
  SetForegroundWindow(window);
  ClickAt(hwnd, 20, 15);
  EXPECT_EQ(SendMessageA(hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
  ASSERT_EQ(LoggedEvents(box), (std::vector<int32_t>{-1, 0}));
  EXPECT_EQ(Log()[0].args, (std::vector<uint32_t>{20, 15, 0}));

  ClearLog();
  Answer(box, -1, 0);
  Pump(int(GetDoubleClickTime()) + 100);  // a press, not the second half of a double click
  ClickAt(hwnd, 20, 15);
  EXPECT_EQ(SendMessageA(hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(LoggedEvents(box), (std::vector<int32_t>{-1}));
}

TEST_F(Events, SharedEventLinksLeadOnlyToUnitsOfTheSameType) {
  WindowBuilder builder;
  uint32_t owner = builder.Add(kTypeCheckBox, CheckBoxBlock("owner"), {10, 10, 110, 30});
  uint32_t sharer = builder.Add(kTypeCheckBox, CheckBoxBlock("sharer"), {10, 40, 110, 60});
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 70, 110, 90});
  uint32_t ownBindings = builder.Add(kTypeCheckBox, CheckBoxBlock("own"), {10, 100, 110, 120});
  builder.Bind(owner, 0, RecordRoutine(0));
  builder.Unit(sharer).sharedEventLink = owner;
  builder.Unit(ownBindings).sharedEventLink = edit;  // another type: its own bindings count
  builder.Bind(ownBindings, 0, RecordRoutine(0));
  uint32_t windowId = builder.Load();

  EXPECT_EQ(RaiseSimple(windowId, sharer, 0), 1);
  EXPECT_EQ(RaiseSimple(windowId, ownBindings, 0), 1);
  EXPECT_EQ(RaiseSimple(windowId, edit, 0), 0);
  // The source is the unit that raised the event, not the one that lent its routine.
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[0].unitId, sharer);
  EXPECT_EQ(Log()[1].unitId, ownBindings);
}

TEST_F(Events, ResultsSourceAndSuppression) {
  WindowBuilder builder;
  uint32_t box = builder.Add(kTypeCheckBox, CheckBoxBlock("c"), {10, 10, 110, 30});
  builder.Bind(box, 0, RecordRoutine(0));
  uint32_t windowId = builder.Load();
  Answer(box, 0, 77);
  rt::EventRecord record;
  EXPECT_EQ(RaiseSimple(windowId, box, 0, &record), 1);
  EXPECT_EQ(record.hasResult, 1);
  EXPECT_EQ(record.result, 77u);
  uint32_t source[2] = {1, 1};
  EXPECT_EQ(rt::RuntimeNotify(rt::kNotifyEventSource, int32_t(reinterpret_cast<uintptr_t>(source)), 0), 0);

  rt::SuppressEvents();
  EXPECT_EQ(RaiseSimple(windowId, box, 0), 0);
  rt::ResumeEvents();
  EXPECT_EQ(Log().size(), 1u);
  // A routine that hands nothing back leaves the record's result alone.
  ClearLog();
  EXPECT_EQ(RaiseSimple(windowId, box, 0, &record), 1);
  EXPECT_EQ(record.hasResult, 0);
}

// A routine that raises another unit's event and then asks for its own source.
uint32_t innerWindow = 0, innerUnit = 0;
uint32_t sourceAfterInner[2] = {0, 0};
void RaiseInnerThenAskSource(const uint32_t*, int32_t, rt::EventResult*) {
  RaiseSimple(innerWindow, innerUnit, 0);
  rt::RuntimeNotify(rt::kNotifyEventSource, int32_t(reinterpret_cast<uintptr_t>(sourceAfterInner)), 0);
}

TEST_F(Events, AnEventRaisedInsideARoutineLeavesTheOuterSourceInPlace) {
  WindowBuilder builder;
  uint32_t outer = builder.Add(kTypeCheckBox, CheckBoxBlock("outer"), {10, 10, 110, 30});
  innerUnit = builder.Add(kTypeCheckBox, CheckBoxBlock("inner"), {10, 40, 110, 60});
  builder.Bind(outer, 0, RaiseInnerThenAskSource);
  builder.Bind(innerUnit, 0, RecordRoutine(0));
  innerWindow = builder.Load();
  EXPECT_EQ(RaiseSimple(innerWindow, outer, 0), 1);
  EXPECT_EQ(LoggedEvents(innerUnit), (std::vector<int32_t>{0}));
  EXPECT_EQ(sourceAfterInner[0], innerWindow);
  EXPECT_EQ(sourceAfterInner[1], outer);
}

TEST_F(Events, TypedArgumentsArePassedAsOneOrTwoWords) {
  WindowBuilder builder;
  uint32_t box = builder.Add(kTypeCheckBox, CheckBoxBlock("c"), {10, 10, 110, 30});
  builder.Bind(box, 1, RecordRoutine(1));
  uint32_t windowId = builder.Load();
  rt::TypedEventRecord record = {};
  record.windowId = windowId;
  record.unitId = box;
  record.event = 1;
  record.argCount = 5;
  record.args[0] = {0x11223344, 0x55667788, rt::kTypeDouble, 0};
  record.args[1] = {0xFFFFFF80, 0, rt::kTypeByte, 0};
  record.args[2] = {0xFFFF, 0, rt::kTypeShort, 0};
  record.args[3] = {0x1234, 0x9999, rt::kTypeDouble, 1};  // a reference: its address alone
  record.args[4] = {7, 8, rt::kTypeInt, 2};                // both words asked for
  Answer(box, 1, 5);
  EXPECT_EQ(rt::RuntimeNotify(rt::kNotifyRaiseTypedEvent, int32_t(reinterpret_cast<uintptr_t>(&record)), 0), 1);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].args, (std::vector<uint32_t>{0x11223344, 0x55667788, 0x80, 0xFFFFFFFF, 0x1234, 7, 8}));
  EXPECT_EQ(record.hasResult, 1);
  EXPECT_EQ(record.resultLo, 5u);
}

TEST_F(Events, FocusKeyAndWheelEventsCarryTheirArguments) {
  WindowBuilder builder;
  uint32_t first = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 210, 40});
  uint32_t second = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 50, 210, 80});
  for (int32_t event : {-7, -8, -9, -10, -12}) builder.Bind(first, event, RecordRoutine(event));
  builder.Bind(second, -7, RecordRoutine(-7));
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND a = UnitHandle(windowId, first), b = UnitHandle(windowId, second);
  Focus(a);
  EXPECT_EQ(LoggedEvents(first), (std::vector<int32_t>{-7}));
  ClearLog();
  PressKey(VK_NUMPAD5);
  PressKey(VK_DIVIDE);
  PressKey('K', true);
  std::vector<std::vector<uint32_t>> downs;
  for (const LoggedEvent& entry : Log())
    if (entry.event == -9) downs.push_back(entry.args);
  // Keypad digits and operators as the program knows them; Shift is not held for itself.
  EXPECT_EQ(downs, (std::vector<std::vector<uint32_t>>{{0x35, 0}, {191, 0}, {VK_SHIFT, 0}, {'K', 2}}));
  std::string typed = TextOf(a);
  EXPECT_NE(typed.find("/K"), std::string::npos) << typed;

  ClearLog();
  Answer(first, -9, 0);  // a key-down routine answering false keeps the key from the box
  PressKey('X');
  EXPECT_EQ(TextOf(a), typed);
  EXPECT_EQ(LoggedEvents(first), (std::vector<int32_t>{-9, -10}));

  ClearLog();
  PostMessageA(a, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WORD(-240)), 0);
  Pump(20);
  ASSERT_EQ(LoggedEvents(first), (std::vector<int32_t>{-12}));
  EXPECT_EQ(Log()[0].args, (std::vector<uint32_t>{uint32_t(-2), 2}));

  ClearLog();
  Focus(b);
  EXPECT_EQ(LoggedEvents(first), (std::vector<int32_t>{-8}));
  EXPECT_EQ(LoggedEvents(second), (std::vector<int32_t>{-7}));
}

TEST_F(Events, AUnitWithAMessageFilterSeesTheWindowsMessagesFirst) {
  WindowBuilder builder;
  builder.Add(kTypeTestFilter, "", {10, 100, 60, 120});
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 210, 40});
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND hwnd = UnitHandle(windowId, edit);
  Focus(hwnd);
  TypeText("aqa");
  EXPECT_EQ(TextOf(hwnd), "aa");
}

TEST_F(Events, RaisingForAnUnknownOrInvalidUnitIsARuntimeError) {
  ExpectRuntimeError("event-unknown-window", "未找到引发事件的窗口");
  ExpectRuntimeError("event-unknown-unit", "未找到引发事件的窗口组件");
  ExpectRuntimeError("event-invalid-unit", "引发事件的窗口组件无效");
}

}  // namespace
}  // namespace windowtest
