#include "tests/shell/FolderDialogDriver.h"

#include <commctrl.h>

#include <cstring>

#include "tests/support/Boxes.h"

namespace folderdialog {

namespace {

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

std::string ItemText(HWND tree, HTREEITEM item) {
  if (!item) return {};
  char text[MAX_PATH] = {};
  TVITEMA query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  return text;
}

bool Expanded(HWND tree, HTREEITEM item) {
  return item && (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED);
}

struct TreeState {
  HTREEITEM caret;
  bool expanded;
  bool operator==(const TreeState& other) const { return caret == other.caret && expanded == other.expanded; }
};

TreeState StateOf(HWND tree) {
  HTREEITEM caret = NextItem(tree, TVGN_CARET);
  return {caret, Expanded(tree, caret)};
}

// Posts one key press to the tree, as the keyboard would, and waits until the tree has reacted;
// false when nothing changed.
bool PressKey(HWND tree, UINT key) {
  const TreeState before = StateOf(tree);
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(tree, WM_KEYDOWN, key, scan | 1);
  PostMessageA(tree, WM_KEYUP, key, scan | 0xC0000001);
  for (int waited = 0; waited < 3000; waited += 20) {
    Sleep(20);
    if (!(StateOf(tree) == before)) return true;
  }
  return false;
}

// Clicks an item with the left mouse button, as a person selects it; false when the selection
// did not move there.
bool ClickItem(HWND tree, HTREEITEM item) {
  RECT rect{};
  static_assert(sizeof(HTREEITEM) <= sizeof(RECT), "TVM_GETITEMRECT takes the item in the rectangle");
  std::memcpy(&rect, &item, sizeof item);
  if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return false;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tree, WM_LBUTTONUP, 0, at);
  for (int waited = 0; waited < 3000; waited += 20) {
    if (NextItem(tree, TVGN_CARET) == item) return true;
    Sleep(20);
  }
  return false;
}

bool Matches(const std::string& text, const std::string& label) {
  return !label.empty() && text.find(label) != std::string::npos;
}

HWND TreeOf(HWND dialog) { return testsupport::FindChild(dialog, "SysTreeView32"); }

// Moves from the selected item to its first child: Right expands, a second Right steps in.
bool StepIntoChildren(HWND tree) {
  const HTREEITEM parent = NextItem(tree, TVGN_CARET);
  for (int presses = 0; presses < 3; ++presses) {
    if (NextItem(tree, TVGN_PARENT, NextItem(tree, TVGN_CARET)) == parent && NextItem(tree, TVGN_CARET) != parent) {
      return true;
    }
    if (!PressKey(tree, VK_RIGHT)) return false;
  }
  return NextItem(tree, TVGN_PARENT, NextItem(tree, TVGN_CARET)) == parent;
}

bool MoveDownTo(HWND tree, const std::string& label) {
  for (int presses = 0; presses < 200; ++presses) {
    if (Matches(ItemText(tree, NextItem(tree, TVGN_CARET)), label)) return true;
    if (!PressKey(tree, VK_DOWN)) return false;
  }
  return false;
}

}  // namespace

bool SelectPath(HWND dialog, const std::vector<std::string>& labels) {
  HWND tree = TreeOf(dialog);
  if (!tree) return false;
  // The tree's keys work only once something is selected: a click on the root first.
  const HTREEITEM root = NextItem(tree, TVGN_ROOT);
  if (!NextItem(tree, TVGN_CARET) && !ClickItem(tree, root)) return false;
  if (NextItem(tree, TVGN_CARET) != root && !PressKey(tree, VK_HOME)) return false;
  for (const std::string& label : labels) {
    if (!StepIntoChildren(tree) || !MoveDownTo(tree, label)) return false;
  }
  return true;
}

std::string SelectedText(HWND dialog) {
  HWND tree = TreeOf(dialog);
  return tree ? ItemText(tree, NextItem(tree, TVGN_CARET)) : std::string();
}

std::vector<std::string> ChildrenOfSelected(HWND dialog) {
  HWND tree = TreeOf(dialog);
  std::vector<std::string> texts;
  if (!tree) return texts;
  const HTREEITEM selected = NextItem(tree, TVGN_CARET);
  if (!Expanded(tree, selected)) PressKey(tree, VK_RIGHT);
  for (HTREEITEM child = NextItem(tree, TVGN_CHILD, selected); child; child = NextItem(tree, TVGN_NEXT, child)) {
    texts.push_back(ItemText(tree, child));
  }
  return texts;
}

}  // namespace folderdialog
