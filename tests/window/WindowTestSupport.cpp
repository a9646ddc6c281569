#include "tests/window/WindowTestSupport.h"
#include <gtest/gtest.h>
#include "runtime/Runtime.h"
#include "tests/support/ChildProcess.h"
#include "window/Engine.h"
#include "window/WindowStore.h"
#include "window/template/TemplateRegion.h"

namespace windowtest {
namespace {

uint32_t nextSerial = 0x100;  // fresh ids for every window built

struct Answers {
  std::map<std::pair<uint32_t, int32_t>, uint32_t> results;  // (unit, event) -> result
};
Answers& TheAnswers() {
  static Answers answers;
  return answers;
}

bool AllUnitsExist(uint32_t windowId) {
  window::LoadedWindow* window = window::WindowStore::Instance().Find(windowId);
  if (!window) return false;
  for (size_t unit = 0; unit < window->UnitCount(); ++unit)
    if (!window->Object(unit)) return false;
  return true;
}

void LogEvent(int32_t event, const uint32_t* args, int32_t wordCount, rt::EventResult* result) {
  uint32_t source[2] = {0, 0};
  rt::RuntimeNotify(rt::kNotifyEventSource, int32_t(reinterpret_cast<uintptr_t>(source)), 0);
  Log().push_back({source[1], event, std::vector<uint32_t>(args, args + wordCount), AllUnitsExist(source[0])});
  auto answer = TheAnswers().results.find({source[1], event});
  if (answer == TheAnswers().results.end()) return;
  result->hasResult = 1;
  result->lo = answer->second;
}

template <int32_t E>
void Record(const uint32_t* args, int32_t wordCount, rt::EventResult* result) {
  LogEvent(E, args, wordCount, result);
}

template <int32_t... E>
std::map<int32_t, rt::EventRoutine> Routines(std::integer_sequence<int32_t, E...>) {
  return {{E - 12, &Record<E - 12>}...};
}

}  // namespace

// ---- Templates --------------------------------------------------------------------------------

tmpl::WindowBlock WindowBuilder::DefaultWindow() {
  tmpl::WindowBlock block;
  block.Border = 0;
  block.Position = 0;
  block.Caption = "test";
  return block;
}

WindowBuilder::WindowBuilder(const tmpl::WindowBlock& block, int width, int height) {
  uint32_t serial = ++nextSerial;
  window_.id = 0x52000000 | serial;
  tmpl::UnitTemplate unit;
  unit.id = 0x06000000 | serial;
  unit.typeCode = kTypeWindow;
  unit.left = 40;
  unit.top = 40;
  unit.width = width;
  unit.height = height;
  unit.flags = tmpl::kFlagVisible;
  unit.propertyBlock = block.Write();
  window_.units.push_back(std::move(unit));
}

uint32_t WindowBuilder::Add(uint32_t typeCode, const std::string& block, RECT rect, uint32_t flags, uint32_t parent) {
  tmpl::UnitTemplate unit;
  unit.id = 0x16000000 | (window_.id & 0xFFFF) << 8 | uint32_t(window_.units.size());
  unit.typeCode = typeCode;
  unit.left = rect.left;
  unit.top = rect.top;
  unit.width = rect.right - rect.left;
  unit.height = rect.bottom - rect.top;
  unit.flags = flags;
  unit.parent = parent;
  unit.tabOrder = int32_t(window_.units.size());
  unit.propertyBlock = block;
  window_.units.push_back(std::move(unit));
  uint32_t id = window_.units.back().id;
  if (parent) Unit(parent).children.push_back(id);
  return id;
}

uint32_t WindowBuilder::AddMenuItem(const std::string& caption, uint32_t level, uint32_t flags, uint32_t shortcut) {
  tmpl::UnitTemplate unit;
  unit.id = 0x26000000 | (window_.id & 0xFFFF) << 8 | uint32_t(window_.units.size());
  unit.typeCode = kTypeMenuItem;
  unit.menuWords = {flags, shortcut, level};
  unit.menuText = caption;
  window_.units.push_back(std::move(unit));
  return window_.units.back().id;
}

tmpl::UnitTemplate& WindowBuilder::Unit(uint32_t unitId) { return *tmpl::FindUnit(window_, unitId); }

void WindowBuilder::Bind(uint32_t unitId, int32_t event, rt::EventRoutine routine) {
  Unit(unitId).events.push_back({event, int32_t(reinterpret_cast<uintptr_t>(routine))});
}

uint32_t WindowBuilder::Load() {
  std::string region = tmpl::WriteRegion({window_});
  bool loaded = window::Engine.loadTemplates(reinterpret_cast<const uint8_t*>(region.data()), uint32_t(region.size()), 0);
  EXPECT_TRUE(loaded);
  return window_.id;
}

HWND WindowBuilder::Open() {
  uint32_t id = Load();
  EXPECT_TRUE(window::Engine.openWindow(id));
  HWND hwnd = UnitHandle(id, 0);
  Pump(30);
  return hwnd;
}

tmpl::EditBoxBlock EditBlock(const std::string& content) {
  tmpl::EditBoxBlock block;
  block.Content = content;
  return block;
}

std::string CheckBoxBlock(const std::string& caption, bool checked) {
  tmpl::CheckBoxBlock block;
  block.Caption = caption;
  block.Checked = checked ? 1 : 0;
  return block.Write();
}

HWND UnitHandle(uint32_t windowId, uint32_t unitId) {
  window::LoadedWindow* window = window::WindowStore::Instance().Find(windowId);
  int unit = window ? window->UnitIndex(unitId) : -1;
  return unit < 0 ? nullptr : window->UnitHandle(size_t(unit));
}

void CloseWindowNow(uint32_t windowId) {
  if (HWND hwnd = UnitHandle(windowId, 0)) DestroyWindow(hwnd);
  Pump(10);
}

// ---- Event log --------------------------------------------------------------------------------

std::vector<LoggedEvent>& Log() {
  static std::vector<LoggedEvent> log;
  return log;
}

std::vector<int32_t> LoggedEvents(uint32_t unitId) {
  std::vector<int32_t> events;
  for (const LoggedEvent& entry : Log())
    if (entry.unitId == unitId) events.push_back(entry.event);
  return events;
}

void Answer(uint32_t unitId, int32_t event, uint32_t result) { TheAnswers().results[{unitId, event}] = result; }

void ClearLog() {
  Log().clear();
  TheAnswers().results.clear();
}

rt::EventRoutine RecordRoutine(int32_t event) {
  static const std::map<int32_t, rt::EventRoutine> routines = Routines(std::make_integer_sequence<int32_t, 25>());
  return routines.at(event);
}

// ---- Messages and input -----------------------------------------------------------------------

void Pump(int ms) {
  DWORD end = GetTickCount() + DWORD(ms);
  do {
    rt::ProcessPendingMessages();
    Sleep(5);
  } while (int32_t(end - GetTickCount()) > 0);
  rt::ProcessPendingMessages();
}

void Focus(HWND hwnd) {
  HWND top = GetAncestor(hwnd, GA_ROOT);
  SetForegroundWindow(top);
  SetActiveWindow(top);
  SetFocus(hwnd);
  Pump(30);
}

namespace {

void SendKey(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = WORD(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

void PressKey(WORD key, bool shift, bool alt) {
  if (shift) SendKey(VK_SHIFT, false);
  if (alt) SendKey(VK_MENU, false);
  SendKey(key, false);
  SendKey(key, true);
  if (alt) SendKey(VK_MENU, true);
  if (shift) SendKey(VK_SHIFT, true);
  Pump(60);
}

void QueueKeyPress(WORD key) {
  SendKey(key, false);
  SendKey(key, true);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    SHORT scan = VkKeyScanA(c);
    PressKey(WORD(LOBYTE(scan)), (HIBYTE(scan) & 1) != 0);
  }
}

void ClickAt(HWND hwnd, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  SetCursorPos(point.x, point.y);
  Pump(30);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(30);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(60);
}

std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// ---- Run-time errors --------------------------------------------------------------------------

void ExpectRuntimeError(const std::string& childCase, const std::string& message) {
  testsupport::ChildResult child = testsupport::RunChild(childCase);
  EXPECT_EQ(child.exitCode, DWORD(-1)) << childCase << " output: " << child.output;
  ASSERT_EQ(child.boxes.size(), 1u) << childCase << " output: " << child.output;
  EXPECT_EQ(child.boxes[0].caption, "错误");
  EXPECT_NE(child.boxes[0].text.find("运行时出错!"), std::string::npos) << child.boxes[0].text;
  EXPECT_NE(child.boxes[0].text.find("错误信息：" + message), std::string::npos) << child.boxes[0].text;
}

}  // namespace windowtest
