// The four functions of comctl32 the window engine uses, reached through a table looked up once.
// comctl32 is no known DLL of Windows: imported statically, the system would look for it in
// the program's folder first, before any of our code runs. So it is loaded at first use, from
// the system folder only. Without comctl32 every function fails (FALSE, or 0).
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace window::comctl {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace window::comctl
