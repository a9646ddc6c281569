// Screenshots of every kind of control in every state, in each scheme and with the look off,
// kept under build/artifacts/style for people to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "services/style/Scheme.h"
#include "services/style/StyleLib.h"
#include "tests/style/StyleTestSupport.h"

namespace {

using namespace styletest;

constexpr DWORD kInstallerCheckBox = 0x04002003 | 0x100 | 0xC00;

struct Gallery {
  HostWindow host{660, 420, 0, 0};
  HWND hotButton = nullptr;
  HWND focusedButton = nullptr;
  HWND hotCheck = nullptr;
  HWND combo = nullptr;

  void Label(const char* text, int x, int y) { host.Add(WC_STATICA, text, 0, x, y, 100, 14); }

  void AddButtons() {
    const char* names[] = {"Normal", "Hot", "Pushed", "Default", "Focused", "Disabled"};
    for (int i = 0; i < 6; ++i) {
      const int x = 10 + i * 105;
      Label(names[i], x, 6);
      HWND b = host.Add(WC_BUTTONA, i == 0 ? "确定" : names[i], BS_PUSHBUTTON, x, 22, 95, 28);
      if (i == 1) hotButton = b;
      if (i == 2) SendMessageA(b, BM_SETSTATE, TRUE, 0);
      if (i == 3) SendMessageA(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      if (i == 4) focusedButton = b;
      if (i == 5) EnableWindow(b, FALSE);
    }
  }

  void AddCheckBoxes() {
    struct Box { const char* text; UINT check; bool pushed; bool disabled; };
    const Box boxes[] = {{"Unchecked", BST_UNCHECKED, false, false}, {"Checked", BST_CHECKED, false, false},
                         {"Indeterminate", BST_INDETERMINATE, false, false}, {"Hot", BST_CHECKED, false, false},
                         {"Pushed", BST_UNCHECKED, true, false}, {"Disabled", BST_CHECKED, false, true}};
    for (int i = 0; i < 6; ++i) {
      HWND b = host.Add(WC_BUTTONA, boxes[i].text, BS_AUTO3STATE, 10 + i * 105, 62, 100, 18);
      SendMessageA(b, BM_SETCHECK, boxes[i].check, 0);
      if (boxes[i].pushed) SendMessageA(b, BM_SETSTATE, TRUE, 0);
      if (boxes[i].disabled) EnableWindow(b, FALSE);
      if (i == 3) hotCheck = b;
    }
  }

  void AddRadiosAndGroup() {
    HWND group = host.Add(WC_BUTTONA, "单选按钮 Radio", BS_GROUPBOX, 10, 88, 310, 70);
    (void)group;
    HWND one = host.Add(WC_BUTTONA, "选项一", BS_AUTORADIOBUTTON | WS_GROUP, 20, 108, 90, 18);
    host.Add(WC_BUTTONA, "Option two", BS_AUTORADIOBUTTON, 115, 108, 100, 18);
    HWND off = host.Add(WC_BUTTONA, "Disabled", BS_AUTORADIOBUTTON, 220, 108, 90, 18);
    SendMessageA(one, BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(off, FALSE);
    HWND pushLike = host.Add(WC_BUTTONA, "Push-like", BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 130, 90, 22);
    SendMessageA(pushLike, BM_SETCHECK, BST_CHECKED, 0);
    host.Add(WC_BUTTONA, "A longer caption that wraps onto two lines", BS_AUTOCHECKBOX | BS_MULTILINE, 115, 128, 200, 28);
    // The installer's caption-less boxes, 12 and 16 pixels, checked and not.
    host.Add(WC_STATICA, "12 / 16 px:", 0, 340, 100, 65, 14);
    int x = 410;
    for (int size : {12, 16}) {
      for (bool checked : {true, false}) {
        HWND b = host.Add(WC_BUTTONA, "", kInstallerCheckBox, x, 100, size, size);
        SendMessageA(b, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        x += size + 12;
      }
    }
    HWND caption = host.Add(WC_BUTTONA, "选择框", kInstallerCheckBox, 410, 128, 80, 16);
    SendMessageA(caption, BM_SETCHECK, BST_CHECKED, 0);
  }

  void AddEdits() {
    host.Add(WC_EDITA, "Edit", ES_AUTOHSCROLL, 10, 170, 120, 22, WS_EX_CLIENTEDGE);
    host.Add(WC_EDITA, "Read-only", ES_AUTOHSCROLL | ES_READONLY, 140, 170, 120, 22, WS_EX_CLIENTEDGE);
    HWND disabled = host.Add(WC_EDITA, "Disabled", ES_AUTOHSCROLL, 270, 170, 120, 22, WS_EX_CLIENTEDGE);
    EnableWindow(disabled, FALSE);
    host.Add(WC_EDITA, "C:\\VELTARO\\会计从业资格", ES_AUTOHSCROLL | ES_UPPERCASE, 400, 170, 240, 22, WS_EX_CLIENTEDGE);
    HWND spin = host.Add(WC_EDITA, "42", ES_NUMBER, 10, 204, 80, 22, WS_EX_CLIENTEDGE);
    HWND upDown = host.Add(UPDOWN_CLASSA, "", UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 0, 0, 0);
    SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin), 0);
    SendMessageA(upDown, UDM_SETRANGE32, 0, 100);
    SendMessageA(upDown, UDM_SETPOS32, 0, 42);
    host.Add(UPDOWN_CLASSA, "", UDS_HORZ, 110, 204, 40, 22);
    host.Add(WC_EDITA, "Border only", ES_AUTOHSCROLL | WS_BORDER, 160, 204, 100, 22);
    host.Add(WC_EDITA, "No border", ES_AUTOHSCROLL, 270, 204, 60, 22);
  }

  void AddCombosAndLicence() {
    combo = host.Add(WC_COMBOBOXA, "", CBS_DROPDOWNLIST, 10, 240, 150, 120);
    HWND dropDown = host.Add(WC_COMBOBOXA, "", CBS_DROPDOWN, 170, 240, 150, 120);
    HWND simple = host.Add(WC_COMBOBOXA, "", CBS_SIMPLE, 10, 274, 150, 80);
    for (HWND c : {combo, dropDown, simple}) {
      for (const char* item : {"C:", "D:", "E:"}) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      SendMessageA(c, CB_SETCURSEL, 0, 0);
    }
    host.Add(WC_IPADDRESSA, "", 0, 170, 274, 150, 22);
    std::string licence;
    for (int i = 1; i <= 30; ++i) licence += "第" + std::to_string(i) + "条 本软件许可协议的条款 (licence terms).\r\n";
    host.Add(WC_EDITA, licence.c_str(), ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 340, 204, 300, 150,
             WS_EX_CLIENTEDGE);
    host.Add(PROGRESS_CLASSA, "", 0, 10, 370, 310, 16);
    SendMessageA(FindWindowExA(host.get(), nullptr, PROGRESS_CLASSA, nullptr), PBM_SETPOS, 60, 0);
  }

  Gallery() {
    AddButtons();
    AddCheckBoxes();
    AddRadiosAndGroup();
    AddEdits();
    AddCombosAndLicence();
    Pump(100);
  }
};

std::string Name(int scheme) { return scheme ? "scheme" + std::to_string(scheme) : std::string("classic"); }

TEST(Gallery, EveryControlInEveryScheme) {
  LookOffAtExit off;
  Gallery gallery;
  Image shots[4];
  for (int scheme = 0; scheme <= 3; ++scheme) {
    SetLook(scheme);
    SetFocus(gallery.focusedButton);
    MoveMouseTo(gallery.hotButton, 40, 14);
    shots[scheme] = Capture(gallery.host.get());
    SaveArtifact(shots[scheme], Name(scheme));
    MoveMouseTo(gallery.hotCheck, 6, 9);
    SaveArtifact(Capture(gallery.host.get()), Name(scheme) + "-hot-check-box");

    // The dropped-down list of the combo box.
    ClickAt(gallery.combo, 140, 10);
    RECT r{};
    GetWindowRect(gallery.combo, &r);
    MoveMouseTo(gallery.combo, 40, r.bottom - r.top + 30);  // over the list: it turns hot
    SaveArtifact(CaptureScreen({r.left - 4, r.top - 4, r.right + 4, r.top + 110}), Name(scheme) + "-dropped-list");
    SendMessageA(gallery.combo, CB_SHOWDROPDOWN, FALSE, 0);
    MoveMouseAway();
  }
  for (int scheme = 1; scheme <= 3; ++scheme) {
    SCOPED_TRACE(Name(scheme));
    for (int other = 0; other <= 3; ++other) {
      if (other == scheme) continue;
      EXPECT_NE(shots[scheme], shots[other]);
      EXPECT_EQ(shots[other].Count(stylelib::SchemeFrameColour(scheme)), 0) << Name(other);
    }
    EXPECT_GT(shots[scheme].Count(stylelib::SchemeFrameColour(scheme)), 2000);
  }
}

}  // namespace
