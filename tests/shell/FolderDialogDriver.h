// Driving the shell's folder dialog as a person does with the keyboard: the dialog shows a
// folder tree (桌面 with /, 回收站, 文档, 我的电脑 below it); keys move the selection, and the
// texts of the items on screen tell where it is.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace folderdialog {

// Selects the item reached from the tree's root through items whose texts contain `labels` in
// turn (for example {"我的电脑", "(C:)", "Windows"}): a click on the root when nothing is selected
// yet, then the keys Home, Right and Down.
bool SelectPath(HWND dialog, const std::vector<std::string>& labels);

// The text of the selected item, or "" when nothing is selected.
std::string SelectedText(HWND dialog);

// The texts of the children of the selected item, expanding it first.
std::vector<std::string> ChildrenOfSelected(HWND dialog);

}  // namespace folderdialog
