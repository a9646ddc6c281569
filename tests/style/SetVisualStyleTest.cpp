// Switching the look on and off, taking controls over and giving them back, on real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "services/style/StyleLib.h"
#include "tests/style/StyleTestSupport.h"

namespace {

using namespace styletest;

constexpr COLORREF kSchemeTwoFrame = 0x7FB9A4;
constexpr COLORREF kSchemeOneFrame = 0xBD9E7B;

WNDPROC ProcOf(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)); }

// Every pixel of the outermost ring of the image has the colour.
bool OuterRingIs(const Image& image, COLORREF colour) {
  for (int x = 0; x < image.width; ++x)
    if (image.At(x, 0) != colour || image.At(x, image.height - 1) != colour) return false;
  for (int y = 0; y < image.height; ++y)
    if (image.At(0, y) != colour || image.At(image.width - 1, y) != colour) return false;
  return true;
}

TEST(SetVisualStyle, OffWhenAlreadyOffAnswersZero) {
  EXPECT_EQ(SetLook(0), 0);
  EXPECT_EQ(SetLook(7), 0);
  EXPECT_EQ(stylelib::TakenOverCount(), 0);
}

TEST(SetVisualStyle, SchemeTwoFramesAnEditCreatedAfterwards) {
  LookOffAtExit off;
  HostWindow host(300, 120);
  ASSERT_EQ(SetLook(2), 1);
  HWND edit = host.Add(WC_EDITA, "text", ES_AUTOHSCROLL, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  EXPECT_TRUE(stylelib::IsTakenOver(edit));
  const Image image = Capture(edit);
  EXPECT_TRUE(OuterRingIs(image, kSchemeTwoFrame)) << "corner " << Hex(image.At(0, 0));
  EXPECT_EQ(image.At(1, 12), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(image.At(75, 1), GetSysColor(COLOR_WINDOW));
  EXPECT_NE(SetLook(0), 0);
  EXPECT_FALSE(OuterRingIs(Capture(edit), kSchemeTwoFrame)) << "the classic border is back";
}

TEST(SetVisualStyle, TakesOverExistingControlsAndRecoloursOnSchemeChange) {
  LookOffAtExit off;
  HostWindow host(300, 120);
  HWND edit = host.Add(WC_EDITA, "", 0, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  HWND button = host.Add(WC_BUTTONA, "OK", BS_PUSHBUTTON, 10, 50, 80, 26);
  ASSERT_EQ(SetLook(2), 1);
  EXPECT_TRUE(stylelib::IsTakenOver(edit));
  EXPECT_TRUE(stylelib::IsTakenOver(button));
  EXPECT_TRUE(OuterRingIs(Capture(edit), kSchemeTwoFrame));
  ASSERT_EQ(SetLook(1), 1);
  EXPECT_EQ(stylelib::TakenOverCount(), 2);
  EXPECT_TRUE(OuterRingIs(Capture(edit), kSchemeOneFrame));
}

TEST(SetVisualStyle, LeavesIpAddressEditsAndSimpleComboBoxesAlone) {
  LookOffAtExit off;
  HostWindow host(400, 200);
  HWND address = host.Add(WC_IPADDRESSA, "", 0, 10, 10, 150, 24);
  HWND addressEdit = FindWindowExA(address, nullptr, WC_EDITA, nullptr);
  ASSERT_TRUE(addressEdit);
  const WNDPROC addressEditProc = ProcOf(addressEdit);
  const Image addressBefore = Capture(address);

  ASSERT_EQ(SetLook(2), 1);
  HWND simple = host.Add(WC_COMBOBOXA, "", CBS_SIMPLE, 10, 50, 150, 100);
  HWND dropDown = host.Add(WC_COMBOBOXA, "", CBS_DROPDOWNLIST, 200, 50, 150, 100);
  EXPECT_FALSE(stylelib::IsTakenOver(addressEdit));
  EXPECT_EQ(ProcOf(addressEdit), addressEditProc);
  EXPECT_EQ(Capture(address), addressBefore);
  EXPECT_FALSE(stylelib::IsTakenOver(simple));
  EXPECT_TRUE(stylelib::IsTakenOver(dropDown));
  // The simple combo box keeps its classic border; the drop-down list gets the frame.
  EXPECT_EQ(Capture(simple).Count(kSchemeTwoFrame), 0);
  EXPECT_TRUE(OuterRingIs(Capture(dropDown), kSchemeTwoFrame));
}

TEST(SetVisualStyle, PushLikeCheckBoxIsDrawnAsPushButton) {
  LookOffAtExit off;
  HostWindow host(300, 120);
  HWND pushLike = host.Add(WC_BUTTONA, "Same", BS_AUTOCHECKBOX | BS_PUSHLIKE, 10, 10, 90, 28);
  HWND button = host.Add(WC_BUTTONA, "Same", BS_PUSHBUTTON, 110, 10, 90, 28);
  ASSERT_EQ(SetLook(3), 1);
  const Image up = Capture(button);
  EXPECT_EQ(Capture(pushLike), up);

  SendMessageA(pushLike, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  const Image down = Capture(button);
  EXPECT_NE(down, up);
  EXPECT_EQ(Capture(pushLike), down) << "a checked push-like box is drawn pressed";
}

TEST(SetVisualStyle, ReadOnlyLookIsDecidedWhenTakenOver) {
  LookOffAtExit off;
  HostWindow host(300, 120);
  HWND readOnly = host.Add(WC_EDITA, "licence", ES_READONLY, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  HWND writable = host.Add(WC_EDITA, "folder", 0, 10, 50, 150, 24, WS_EX_CLIENTEDGE);
  ASSERT_EQ(SetLook(2), 1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  ASSERT_NE(face, window);
  EXPECT_EQ(Capture(readOnly).At(1, 12), face);
  EXPECT_EQ(Capture(writable).At(1, 12), window);

  SendMessageA(readOnly, EM_SETREADONLY, FALSE, 0);
  SendMessageA(writable, EM_SETREADONLY, TRUE, 0);
  EXPECT_FALSE(GetWindowLongA(readOnly, GWL_STYLE) & ES_READONLY) << "the edit itself got the message";
  EXPECT_TRUE(GetWindowLongA(writable, GWL_STYLE) & ES_READONLY);
  RedrawWindow(readOnly, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  RedrawWindow(writable, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  const Image readOnlyAfter = Capture(readOnly);
  EXPECT_EQ(readOnlyAfter.At(1, 12), face);
  EXPECT_EQ(readOnlyAfter.At(75, 1), face);
  EXPECT_EQ(Capture(writable).At(1, 12), window);
}

TEST(SetVisualStyle, DestroyedControlsLeaveTheRegistry) {
  LookOffAtExit off;
  HostWindow host(300, 160);
  HWND first = host.Add(WC_EDITA, "", 0, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  HWND second = host.Add(WC_BUTTONA, "B", BS_PUSHBUTTON, 10, 50, 80, 26);
  HWND third = host.Add(WC_BUTTONA, "C", BS_AUTOCHECKBOX, 10, 90, 80, 20);
  const WNDPROC secondProc = ProcOf(second);
  const WNDPROC thirdProc = ProcOf(third);
  ASSERT_EQ(SetLook(1), 1);
  ASSERT_EQ(stylelib::TakenOverCount(), 3);
  EXPECT_NE(ProcOf(second), secondProc);

  DestroyWindow(first);
  EXPECT_FALSE(stylelib::IsTakenOver(first));
  EXPECT_EQ(stylelib::TakenOverCount(), 2);

  EXPECT_NE(SetLook(0), 0);
  EXPECT_EQ(stylelib::TakenOverCount(), 0);
  EXPECT_EQ(ProcOf(second), secondProc);
  EXPECT_EQ(ProcOf(third), thirdProc);
}

TEST(SetVisualStyle, SwitchingOffGivesControlsTheirProcedureAndLookBack) {
  LookOffAtExit off;
  HostWindow host(300, 160);
  HWND edit = host.Add(WC_EDITA, "x", 0, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  HWND check = host.Add(WC_BUTTONA, "Check", BS_AUTOCHECKBOX, 10, 50, 120, 20);
  const WNDPROC editProc = ProcOf(edit);
  const Image editClassic = Capture(edit);
  const Image checkClassic = Capture(check);

  ASSERT_EQ(SetLook(2), 1);
  EXPECT_NE(ProcOf(edit), editProc);
  EXPECT_NE(Capture(edit), editClassic);
  EXPECT_NE(Capture(check), checkClassic);

  EXPECT_NE(SetLook(0), 0);
  EXPECT_EQ(ProcOf(edit), editProc);
  EXPECT_EQ(Capture(edit), editClassic);
  EXPECT_EQ(Capture(check), checkClassic);
  EXPECT_EQ(SetLook(0), 0) << "already off";
}

// --- a subclass placed over ours must survive the look being switched off ---

WNDPROC g_beneath = nullptr;
int g_seen = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 7) ++g_seen;
  return CallWindowProcA(g_beneath, window, message, wParam, lParam);
}

TEST(SetVisualStyle, SubclassAboveOursKeepsWorkingAfterSwitchOff) {
  LookOffAtExit off;
  HostWindow host(300, 120);
  ASSERT_EQ(SetLook(2), 1);
  HWND edit = host.Add(WC_EDITA, "kept", 0, 10, 10, 150, 24, WS_EX_CLIENTEDGE);
  g_beneath = reinterpret_cast<WNDPROC>(SetWindowLongA(edit, GWL_WNDPROC, reinterpret_cast<LONG>(CountingProc)));
  g_seen = 0;

  EXPECT_NE(SetLook(0), 0);
  EXPECT_EQ(ProcOf(edit), CountingProc);
  EXPECT_FALSE(stylelib::IsTakenOver(edit));
  SendMessageA(edit, WM_USER + 7, 0, 0);
  EXPECT_EQ(g_seen, 1);
  char text[16] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "kept");
  EXPECT_FALSE(OuterRingIs(Capture(edit), kSchemeTwoFrame));

  // On again: the same record takes over again in place, without a second link in the chain.
  ASSERT_EQ(SetLook(2), 1);
  EXPECT_TRUE(stylelib::IsTakenOver(edit));
  EXPECT_TRUE(OuterRingIs(Capture(edit), kSchemeTwoFrame));
  SendMessageA(edit, WM_USER + 7, 0, 0);
  EXPECT_EQ(g_seen, 2);
  DestroyWindow(edit);
  EXPECT_EQ(stylelib::TakenOverCount(), 0);
}

// --- the look belongs to the thread that switched it on ---

DWORD WINAPI OtherThreadWindow(void* parameter) {
  auto* result = static_cast<HWND*>(parameter);
  HWND window = CreateWindowExA(0, WC_EDITA, "", WS_POPUP | WS_VISIBLE | WS_BORDER, 400, 10, 100, 24, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  *result = window;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  DestroyWindow(window);
  return 0;
}

TEST(SetVisualStyle, OtherThreadsKeepTheirLook) {
  LookOffAtExit off;
  HWND foreign = nullptr;
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, OtherThreadWindow, &foreign, 0, &threadId);
  for (int i = 0; i < 200 && !foreign; ++i) Sleep(5);
  ASSERT_TRUE(foreign);
  HostWindow host(200, 60);
  HWND own = host.Add(WC_EDITA, "", WS_BORDER, 10, 10, 100, 24);
  ASSERT_EQ(SetLook(2), 1);
  EXPECT_TRUE(stylelib::IsTakenOver(own));
  EXPECT_FALSE(stylelib::IsTakenOver(foreign));
  PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
}

TEST(StyleLibNotify, KeepsTheRuntimeEntryOnlyForCodeOne) {
  EXPECT_EQ(stylelib::Notify(1, 0x401000, 0), 0);
  EXPECT_EQ(stylelib::Notify(6, 0, 0), -1);
  EXPECT_EQ(stylelib::Notify(2, 0x401000, 0), -1);
}

}  // namespace
