// What the window engine tests share: templates built in code with the tests' own functions
// bound as event routines, a log of the events that reached them, message pumping through the
// runtime's pre-translation, and real keyboard and mouse input.
#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "runtime/Notify.h"
#include "window/template/PropertyBlocks.h"
#include "window/template/TemplateModel.h"

namespace windowtest {

// Type codes of the test image (see WindowTest.desc).
constexpr uint32_t kTypeWindow = 0x00010001;
constexpr uint32_t kTypeEditBox = 0x00010005;
constexpr uint32_t kTypePicBox = 0x00010006;
constexpr uint32_t kTypeCheckBox = 0x0001000C;
constexpr uint32_t kTypeProcessBar = 0x00010013;
constexpr uint32_t kTypePageControl = 0x00020002;
constexpr uint32_t kTypeTestPanel = 0x00030001;
constexpr uint32_t kTypeTestFilter = 0x00030002;
constexpr uint32_t kTypeNoEvents = 0x00030003;
constexpr uint32_t kTypeTestObject = 0x00030004;
constexpr uint32_t kTypeMenuItem = 0x00010003;

// The test library's object that is no control (its properties through MiscService 4 and 5).
struct TestObject {
  int32_t count = 0;
  std::string name;
  int32_t flag = 0;
  int32_t choice = 0;
};

constexpr uint32_t kVisibleTabStop = tmpl::kFlagVisible | tmpl::kFlagTabStop;

// ---- Templates --------------------------------------------------------------------------------

// One window template under construction; ids are fresh for every builder.
class WindowBuilder {
 public:
  explicit WindowBuilder(const tmpl::WindowBlock& block = DefaultWindow(), int width = 300, int height = 200);
  static tmpl::WindowBlock DefaultWindow();  // no border, at (40, 40), not centred

  uint32_t WindowId() const { return window_.id; }
  uint32_t WindowUnitId() const { return window_.units[0].id; }
  tmpl::UnitTemplate& WindowUnit() { return window_.units[0]; }

  // Adds a unit at the end of the unit list and returns its id.
  uint32_t Add(uint32_t typeCode, const std::string& block, RECT rect, uint32_t flags = kVisibleTabStop,
               uint32_t parent = 0);
  // Adds a menu item (flags and shortcut as the window engine stores them) and returns its id.
  uint32_t AddMenuItem(const std::string& caption, uint32_t level, uint32_t flags = 0, uint32_t shortcut = 0);
  tmpl::UnitTemplate& Unit(uint32_t unitId);
  // Binds a routine (its address is the offset: the tests load with code base 0).
  void Bind(uint32_t unitId, int32_t event, rt::EventRoutine routine);

  // Writes the region and loads it into the engine; returns the window id.
  uint32_t Load();
  // Loads and opens the window (failing the test when it cannot be opened); returns its handle.
  HWND Open();

 private:
  tmpl::WindowTemplate window_;
};

tmpl::EditBoxBlock EditBlock(const std::string& content = "");
std::string CheckBoxBlock(const std::string& caption, bool checked = false);

// The live window of a unit (0: the window), or null.
HWND UnitHandle(uint32_t windowId, uint32_t unitId);
// Destroys a loaded window's live window and processes what follows.
void CloseWindowNow(uint32_t windowId);

// ---- Event log --------------------------------------------------------------------------------

struct LoggedEvent {
  uint32_t unitId;              // the event source the runtime reported
  int32_t event;
  std::vector<uint32_t> args;
  bool allUnitsExisted;         // every unit of the window had a live object when it ran
};
std::vector<LoggedEvent>& Log();
std::vector<int32_t> LoggedEvents(uint32_t unitId);
// The result the next routine for (unit, event) hands back; cleared by ClearLog.
void Answer(uint32_t unitId, int32_t event, uint32_t result);
void ClearLog();

// A routine for `event` (-12 ... 12) that logs each call and answers what Answer() set.
rt::EventRoutine RecordRoutine(int32_t event);

// ---- Messages and input -----------------------------------------------------------------------

// Processes messages through the runtime's pre-translation for about ms milliseconds.
void Pump(int ms = 60);
void Focus(HWND hwnd);
// Real keyboard input: a virtual key pressed and released (with Shift, Ctrl or Alt held).
void PressKey(WORD key, bool shift = false, bool alt = false);
// The same without processing it: the key's input waits in the queue for the running loop.
void QueueKeyPress(WORD key);
void TypeText(const std::string& text);
void ClickAt(HWND hwnd, int x, int y);
std::string TextOf(HWND hwnd);

// ---- Run-time errors --------------------------------------------------------------------------

// Runs a child case and checks that it ended through the run-time error box with this message.
void ExpectRuntimeError(const std::string& childCase, const std::string& message);

}  // namespace windowtest
