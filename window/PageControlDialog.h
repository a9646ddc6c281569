// The page control's design-time dialog: its tab names in a box, one a line.
#pragma once
#include <windows.h>
#include <vector>
#include "window/template/PropertyBlocks.h"

namespace widgetlib3 {

constexpr int kTabsDialogNamesId = 1001;  // the box of names

// Shows the dialog over `owner` until it is closed. On OK `tabs` holds one tab per line that is
// not empty, in order: a tab keeps the 23 values of the tab that stood at its position before,
// a tab beyond the old ones gets the usual values. True when OK changed the tabs.
bool RunTabsDialog(HWND owner, std::vector<tmpl::TabItem>& tabs);

}  // namespace widgetlib3
