// The tab dialog is built in memory (the program carries no dialog resources) and takes its
// texts in WM_INITDIALOG, through the "A" functions, as every other text of the program.
#include "window/PageControlDialog.h"

#include <iterator>
#include <sstream>
#include <string>
#include "window/UnitSupport.h"

namespace widgetlib3 {
namespace {

const char kCaption[] = "编辑子夹";
const char kPrompt[] = "每行一个子夹的名称:";
const char kOk[] = "确定";
const char kCancel[] = "取消";
constexpr int kPromptId = 1000;

// The items of the dialog, in dialog units.
struct DialogItem {
  WORD classAtom;  // 0x0080 button, 0x0081 edit, 0x0082 static
  DWORD style;
  short x, y, cx, cy;
  WORD id;
};
const DialogItem kItems[] = {
    {0x0082, WS_CHILD | WS_VISIBLE | SS_LEFT, 7, 7, 186, 10, kPromptId},
    {0x0081, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
     7, 20, 186, 100, kTabsDialogNamesId},
    {0x0080, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 89, 127, 50, 14, IDOK},
    {0x0080, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 143, 127, 50, 14, IDCANCEL},
};

class TemplateWriter {
 public:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
  void AlignToDword() {
    if (words_.size() % 2) Word(0);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

// Header: style, extended style, item count, rectangle; no menu, the default class, no title.
// Each item, on a DWORD boundary: style, extended style, rectangle, id, class atom, no title, no
// creation data.
void WriteTemplate(TemplateWriter& out) {
  out.Dword(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  out.Dword(0);
  out.Word(static_cast<WORD>(std::size(kItems)));
  for (short value : {short(0), short(0), short(200), short(148)}) out.Word(static_cast<WORD>(value));
  out.Word(0), out.Word(0), out.Word(0);
  for (const DialogItem& item : kItems) {
    out.AlignToDword();
    out.Dword(item.style);
    out.Dword(0);
    for (short value : {item.x, item.y, item.cx, item.cy}) out.Word(static_cast<WORD>(value));
    out.Word(item.id);
    out.Word(0xFFFF), out.Word(item.classAtom);
    out.Word(0);
    out.Word(0);
  }
}

struct DialogContext {
  std::vector<tmpl::TabItem>* tabs;
  bool changed;
};

// Line ends are below 0x40, so they are never the trail byte of a GBK character.
std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void FillDialog(HWND dialog, const std::vector<tmpl::TabItem>& tabs) {
  SetWindowTextA(dialog, kCaption);
  const std::pair<int, const char*> texts[] = {{kPromptId, kPrompt}, {IDOK, kOk}, {IDCANCEL, kCancel}};
  for (const auto& text : texts) SetDlgItemTextA(dialog, text.first, text.second);
  std::string names;
  for (const tmpl::TabItem& tab : tabs) names += (names.empty() ? "" : "\r\n") + tab.Name;
  SetDlgItemTextA(dialog, kTabsDialogNamesId, names.c_str());
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  for (const DialogItem& item : kItems)
    SendDlgItemMessageA(dialog, item.id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TakeNames(HWND dialog, DialogContext& context) {
  std::vector<tmpl::TabItem>& tabs = *context.tabs;
  std::vector<std::string> names = NonEmptyLines(window::WindowText(GetDlgItem(dialog, kTabsDialogNamesId)));
  std::vector<tmpl::TabItem> edited(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (i < tabs.size()) edited[i] = tabs[i];
    edited[i].Name = names[i];
  }
  context.changed = edited.size() != tabs.size();
  for (size_t i = 0; !context.changed && i < edited.size(); ++i) context.changed = edited[i].Name != tabs[i].Name;
  tabs = std::move(edited);
}

INT_PTR CALLBACK TabsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      FillDialog(dialog, *reinterpret_cast<DialogContext*>(lParam)->tabs);
      return TRUE;
    }
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) return FALSE;
    if (LOWORD(wParam) == IDOK) TakeNames(dialog, *reinterpret_cast<DialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER)));
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  } catch (...) {
    EndDialog(dialog, IDCANCEL);  // out of memory: the tabs stay as they were
    return TRUE;
  }
}

}  // namespace

bool RunTabsDialog(HWND owner, std::vector<tmpl::TabItem>& tabs) {
  TemplateWriter dialogTemplate;
  WriteTemplate(dialogTemplate);
  std::vector<tmpl::TabItem> edited = tabs;
  DialogContext context = {&edited, false};
  INT_PTR answer = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.Get(), owner, TabsDialogProc,
                                           reinterpret_cast<LPARAM>(&context));
  if (answer != IDOK || !context.changed) return false;
  tabs = std::move(edited);
  return true;
}

}  // namespace widgetlib3
