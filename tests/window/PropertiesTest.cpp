// Properties by index: the common ones from the template or the live window with their limits,
// the types' own through their objects with the kind conversions, and the errors of this layer.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/Runtime.h"
#include "tests/window/WindowTestSupport.h"
#include "window/FontValue.h"

namespace windowtest {
namespace {

constexpr int32_t kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3, kTag = 4, kVisible = 5, kDisabled = 6, kCursor = 7;
constexpr int32_t kOwn = 8;

uint32_t Word(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

int32_t Get(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member = -1) {
  return int32_t(uint32_t(rt::GetProperty(windowId, unitId, index, member)));
}

void Set(uint32_t windowId, uint32_t unitId, int32_t index, uint32_t value, int32_t member = -1) {
  rt::SetProperty(windowId, unitId, index, member, value, 0);
}

std::string GetText(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member = -1) {
  auto* text = reinterpret_cast<char*>(uintptr_t(uint32_t(rt::GetProperty(windowId, unitId, index, member))));
  std::string result = text ? text : "";
  rt::FreeBlock(text);
  return result;
}

std::string GetBytes(uint32_t windowId, uint32_t unitId, int32_t index) {
  void* block = reinterpret_cast<void*>(uintptr_t(uint32_t(rt::GetProperty(windowId, unitId, index, -1))));
  rt::ByteArrayView view = rt::ViewBytes(block);
  std::string bytes(reinterpret_cast<const char*>(view.data), view.size);
  rt::FreeBlock(block);
  return bytes;
}

// A byte-array value as the program passes one.
std::vector<uint32_t> ByteArrayOfWords(std::initializer_list<uint32_t> words) {
  std::vector<uint32_t> value = {1, uint32_t(words.size() * 4)};
  value.insert(value.end(), words);
  return value;
}

int32_t FirstWord(const std::string& bytes) {
  int32_t word = 0;
  if (bytes.size() >= 4) std::memcpy(&word, bytes.data(), 4);
  return word;
}

TEST(Properties, PositionsStayWithin32627AndSizesWithin0To32627) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30});
  uint32_t stored = builder.Add(kTypeCheckBox, CheckBoxBlock("s"), {10, 40, 110, 60});
  uint32_t windowId = builder.Load();

  // Not loaded yet: the template takes the values.
  Set(windowId, stored, kHeight, 40000);
  Set(windowId, stored, kTop, uint32_t(-40000));
  EXPECT_EQ(Get(windowId, stored, kHeight), 32627);
  EXPECT_EQ(Get(windowId, stored, kTop), -32627);

  builder.Open();
  Set(windowId, edit, kLeft, 40000);
  EXPECT_EQ(Get(windowId, edit, kLeft), 32627);
  Set(windowId, edit, kLeft, uint32_t(-40000));
  EXPECT_EQ(Get(windowId, edit, kLeft), -32627);
  Set(windowId, edit, kWidth, uint32_t(-5));
  EXPECT_EQ(Get(windowId, edit, kWidth), 0);
  RECT rect;
  GetWindowRect(UnitHandle(windowId, edit), &rect);
  EXPECT_EQ(rect.right - rect.left, 0);
  Set(windowId, edit, kLeft, 15);
  Set(windowId, edit, kWidth, 80);
  EXPECT_EQ(Get(windowId, edit, kLeft), 15);
  EXPECT_EQ(Get(windowId, edit, kWidth), 80);
}

TEST(Properties, CommonPropertiesOfAWindowNotOpenComeFromItsTemplate) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 110, 30}, tmpl::kFlagVisible | tmpl::kFlagDisabled);
  builder.Unit(edit).tag = "tagged";
  uint32_t windowId = builder.Load();
  EXPECT_EQ(Get(windowId, edit, kWidth), 100);
  EXPECT_EQ(GetText(windowId, edit, kTag), "tagged");
  EXPECT_EQ(Get(windowId, edit, kVisible), 1);
  EXPECT_EQ(Get(windowId, edit, kDisabled), 1);
  Set(windowId, edit, kTag, Word("changed"));
  Set(windowId, edit, kDisabled, 0);
  EXPECT_EQ(GetText(windowId, edit, kTag), "changed");
  EXPECT_EQ(Get(windowId, edit, kDisabled), 0);

  // What was written while the window was closed is what it opens with.
  builder.Open();
  EXPECT_TRUE(IsWindowEnabled(UnitHandle(windowId, edit)));
  Set(windowId, edit, kVisible, 0);
  EXPECT_FALSE(IsWindowVisible(UnitHandle(windowId, edit)));
  EXPECT_EQ(Get(windowId, edit, kVisible), 0);
  Set(windowId, edit, kDisabled, 1);
  EXPECT_FALSE(IsWindowEnabled(UnitHandle(windowId, edit)));
}

TEST(Properties, TheErrorsOfPropertyAccessEndTheProgramThroughTheBox) {
  ExpectRuntimeError("unknown-window-property", "未载入欲访问窗口组件所在的窗口");
  ExpectRuntimeError("unloaded-own-property-read", "指定窗口尚未载入");
  ExpectRuntimeError("unloaded-own-property-write", "指定窗口尚未载入");
  ExpectRuntimeError("locate-missing-control", "指定窗口或窗口组件不存在或尚未载入");
}

TEST(Properties, TheCursorIsATableIndexOutsideAndAWin32IdInside) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 210, 60});
  uint32_t windowId = builder.Load();
  HWND hwnd = builder.Open();
  std::vector<uint32_t> hand = ByteArrayOfWords({14});
  Set(windowId, edit, kCursor, Word(hand.data()));
  EXPECT_EQ(FirstWord(GetBytes(windowId, edit, kCursor)), 14);

  // Over the unit the hand shows (the system's, as this program carries no cursor of its own).
  SetForegroundWindow(hwnd);
  POINT inside = {50, 20};
  ClientToScreen(UnitHandle(windowId, edit), &inside);
  SetCursorPos(inside.x, inside.y);
  Pump(100);
  CURSORINFO info = {sizeof info};
  GetCursorInfo(&info);
  EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_HAND));

  std::vector<uint32_t> none = ByteArrayOfWords({0});
  Set(windowId, edit, kCursor, Word(none.data()));
  EXPECT_EQ(GetBytes(windowId, edit, kCursor), "");
}

TEST(Properties, FontsAreReadAndWrittenWholeOrByAttribute) {
  WindowBuilder builder;
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 10, 210, 40});
  uint32_t windowId = builder.Load();
  builder.Open();
  constexpr int32_t kFont = kOwn + 4;
  Set(windowId, edit, kFont, 20, window::kFontSize);
  Set(windowId, edit, kFont, 1, window::kFontBold);
  Set(windowId, edit, kFont, uint32_t(-10), window::kFontAngle);
  Set(windowId, edit, kFont, Word("Arial"), window::kFontFace);
  EXPECT_EQ(Get(windowId, edit, kFont, window::kFontSize), 20);
  EXPECT_EQ(Get(windowId, edit, kFont, window::kFontBold), 1);
  EXPECT_EQ(Get(windowId, edit, kFont, window::kFontAngle), 3590);
  EXPECT_EQ(GetText(windowId, edit, kFont, window::kFontFace), "Arial");

  // The control uses it.
  LOGFONTA used = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(UnitHandle(windowId, edit), WM_GETFONT, 0, 0)), sizeof used, &used);
  EXPECT_EQ(used.lfWeight, FW_BOLD);
  EXPECT_STREQ(used.lfFaceName, "Arial");

  // A whole record; a face name that does not fit becomes the default face.
  char longFace[40];
  std::memset(longFace, 'x', 39);
  longFace[39] = 0;
  window::FontRecord record = {450, 0, 1, 0, 1, 12, longFace};
  Set(windowId, edit, kFont, Word(&record));
  auto* read = reinterpret_cast<window::FontRecord*>(uintptr_t(uint32_t(rt::GetProperty(windowId, edit, kFont, -1))));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->angle, 450);
  EXPECT_EQ(read->bold, 0);
  EXPECT_EQ(read->italic, 1);
  EXPECT_EQ(read->underline, 1);
  EXPECT_EQ(read->size, 12);
  EXPECT_STREQ(read->faceName, "宋体");
}

TEST(Properties, LogicalsAreStoredAsOneAndChoicesAreNeverNegative) {
  WindowBuilder builder;
  uint32_t box = builder.Add(kTypeCheckBox, CheckBoxBlock("c"), {10, 10, 110, 30});
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock().Write(), {10, 40, 110, 60});
  uint32_t windowId = builder.Load();
  builder.Open();
  constexpr int32_t kChecked = kOwn + 10, kEditBorder = kOwn + 1;
  Set(windowId, box, kChecked, 5);
  EXPECT_EQ(Get(windowId, box, kChecked), 1);
  EXPECT_EQ(SendMessageA(UnitHandle(windowId, box), BM_GETCHECK, 0, 0), BST_CHECKED);
  Set(windowId, edit, kEditBorder, uint32_t(-3));
  EXPECT_EQ(Get(windowId, edit, kEditBorder), 0);
  EXPECT_EQ(GetWindowLongA(UnitHandle(windowId, edit), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
}

struct EditStyleCase {
  const char* name;
  void (*configure)(tmpl::EditBoxBlock& block);
  DWORD present;  // style bits the control must have
  DWORD absent;   // and must not have
};

const EditStyleCase kEditStyleCases[] = {
    {"single line", [](tmpl::EditBoxBlock&) {}, ES_AUTOHSCROLL, ES_MULTILINE | ES_NOHIDESEL},
    {"multi-line, both scroll bars",
     [](tmpl::EditBoxBlock& b) { b.MultiLine = 1, b.ScrollBars = 3; },
     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL, 0},
    {"multi-line, vertical bar", [](tmpl::EditBoxBlock& b) { b.MultiLine = 1, b.ScrollBars = 2; },
     ES_MULTILINE | WS_VSCROLL, ES_AUTOHSCROLL | WS_HSCROLL},
    {"selection kept", [](tmpl::EditBoxBlock& b) { b.HideSelection = 0; }, ES_NOHIDESEL, 0},
    {"centred", [](tmpl::EditBoxBlock& b) { b.Alignment = 1; }, ES_CENTER, ES_RIGHT},
    {"right", [](tmpl::EditBoxBlock& b) { b.Alignment = 2; }, ES_RIGHT, 0},
    {"read-only", [](tmpl::EditBoxBlock& b) { b.InputMode = 1; }, ES_READONLY, ES_PASSWORD},
    {"password", [](tmpl::EditBoxBlock& b) { b.InputMode = 2; }, ES_PASSWORD, ES_READONLY},
    {"lower case", [](tmpl::EditBoxBlock& b) { b.Conversion = 1; }, ES_LOWERCASE, ES_UPPERCASE},
    {"upper case", [](tmpl::EditBoxBlock& b) { b.Conversion = 2; }, ES_UPPERCASE, ES_LOWERCASE},
};

TEST(Properties, EditBoxStylesFollowItsProperties) {
  WindowBuilder builder;
  std::vector<uint32_t> units;
  int top = 0;
  for (const EditStyleCase& c : kEditStyleCases) {
    tmpl::EditBoxBlock block = EditBlock("x");
    c.configure(block);
    units.push_back(builder.Add(kTypeEditBox, block.Write(), {0, top, 90, top + 30}));
    top += 32;
  }
  tmpl::EditBoxBlock spinner = EditBlock("7");
  spinner.SpinnerMode = 1, spinner.SpinnerMin = 5, spinner.SpinnerMax = 9;
  uint32_t spinnerUnit = builder.Add(kTypeEditBox, spinner.Write(), {100, 0, 200, 24});
  tmpl::EditBoxBlock password = EditBlock("secret");
  password.InputMode = 2, password.PasswordChar = '#';
  uint32_t passwordUnit = builder.Add(kTypeEditBox, password.Write(), {100, 40, 200, 44});  // too low for its text
  uint32_t windowId = builder.Load();
  builder.Open();
  for (size_t i = 0; i < units.size(); ++i) {
    DWORD style = DWORD(GetWindowLongA(UnitHandle(windowId, units[i]), GWL_STYLE));
    EXPECT_EQ(style & kEditStyleCases[i].present, kEditStyleCases[i].present) << kEditStyleCases[i].name;
    EXPECT_EQ(style & kEditStyleCases[i].absent, 0u) << kEditStyleCases[i].name;
  }
  HWND spinnerEdit = UnitHandle(windowId, spinnerUnit);
  HWND updown = FindWindowExA(GetParent(spinnerEdit), nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(updown, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(updown, UDM_GETBUDDY, 0, 0)), spinnerEdit);
  int low = 0, high = 0;
  SendMessageA(updown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 5);
  EXPECT_EQ(high, 9);
  HWND passwordEdit = UnitHandle(windowId, passwordUnit);
  EXPECT_EQ(SendMessageA(passwordEdit, EM_GETPASSWORDCHAR, 0, 0), '#');
  RECT rect;
  GetWindowRect(passwordEdit, &rect);
  EXPECT_GE(rect.bottom - rect.top, 12);
}

TEST(Properties, AStyleTheEditBoxTakesOnlyAtCreationMakesItAnewInPlace) {
  WindowBuilder builder;
  uint32_t before = builder.Add(kTypeCheckBox, CheckBoxBlock("before"), {10, 10, 110, 30});
  uint32_t edit = builder.Add(kTypeEditBox, EditBlock("kept text").Write(), {10, 40, 210, 100});
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND old = UnitHandle(windowId, edit);
  int controlId = GetDlgCtrlID(old);
  Set(windowId, edit, kOwn + 7, 1);  // MultiLine
  HWND made = UnitHandle(windowId, edit);
  ASSERT_NE(made, nullptr);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_TRUE(GetWindowLongA(made, GWL_STYLE) & ES_MULTILINE);
  EXPECT_EQ(TextOf(made), "kept text");
  EXPECT_EQ(GetDlgCtrlID(made), controlId);
  EXPECT_EQ(GetWindow(UnitHandle(windowId, before), GW_HWNDNEXT), made);
  EXPECT_TRUE(IsWindowVisible(made));
  EXPECT_EQ(Get(windowId, edit, kOwn + 7), 1);
}

TEST(Properties, CheckBoxStylesFollowItsProperties) {
  tmpl::CheckBoxBlock block;
  block.PushLike = 1, block.Flat = 1, block.TextOnLeft = 1, block.HAlign = 2, block.VAlign = 0;
  WindowBuilder builder;
  uint32_t box = builder.Add(kTypeCheckBox, block.Write(), {10, 10, 110, 30});
  uint32_t plain = builder.Add(kTypeCheckBox, CheckBoxBlock("plain", true), {10, 40, 110, 60});
  uint32_t windowId = builder.Load();
  builder.Open();
  DWORD style = DWORD(GetWindowLongA(UnitHandle(windowId, box), GWL_STYLE));
  EXPECT_EQ(style & 0xFFFF, DWORD(BS_AUTOCHECKBOX | BS_MULTILINE | BS_PUSHLIKE | BS_FLAT | BS_LEFTTEXT | BS_RIGHT | BS_TOP));
  DWORD plainStyle = DWORD(GetWindowLongA(UnitHandle(windowId, plain), GWL_STYLE));
  EXPECT_EQ(plainStyle & 0xFFFF, DWORD(BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER));
  EXPECT_EQ(SendMessageA(UnitHandle(windowId, plain), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TextOf(UnitHandle(windowId, plain)), "plain");
}

TEST(Properties, ProgressValuesStayWithin0To32767AndTheShownPositionInsideTheBounds) {
  WindowBuilder builder;
  uint32_t bar = builder.Add(kTypeProcessBar, tmpl::ProcessBarBlock().Write(), {10, 10, 210, 30});
  uint32_t windowId = builder.Load();
  builder.Open();
  HWND hwnd = UnitHandle(windowId, bar);
  constexpr int32_t kMinimum = kOwn + 3, kMaximum = kOwn + 4, kPosition = kOwn + 5;
  Set(windowId, bar, kPosition, uint32_t(-3));
  EXPECT_EQ(Get(windowId, bar, kPosition), 0);
  Set(windowId, bar, kMaximum, 40000);
  EXPECT_EQ(Get(windowId, bar, kMaximum), 32767);
  Set(windowId, bar, kPosition, 500);
  EXPECT_EQ(SendMessageA(hwnd, PBM_GETPOS, 0, 0), 500);
  // Bounds the wrong way round: the range runs from the smaller; the position shown is the
  // stored one raised to the minimum, then lowered to the maximum.
  Set(windowId, bar, kMinimum, 600);
  Set(windowId, bar, kMaximum, 550);
  EXPECT_EQ(SendMessageA(hwnd, PBM_GETRANGE, TRUE, 0), 550);
  EXPECT_EQ(SendMessageA(hwnd, PBM_GETRANGE, FALSE, 0), 600);
  EXPECT_EQ(SendMessageA(hwnd, PBM_GETPOS, 0, 0), 550);
  EXPECT_EQ(Get(windowId, bar, kPosition), 500);
}

}  // namespace
}  // namespace windowtest
