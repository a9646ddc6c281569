#include "window/CommonControls.h"

#include "runtime/LibrarySearch.h"

namespace window::comctl {
namespace {

struct Functions {
  BOOL(WINAPI* initCommonControlsEx)(const INITCOMMONCONTROLSEX*) = nullptr;
  BOOL(WINAPI* setWindowSubclass)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR) = nullptr;
  BOOL(WINAPI* removeWindowSubclass)(HWND, SUBCLASSPROC, UINT_PTR) = nullptr;
  LRESULT(WINAPI* defSubclassProc)(HWND, UINT, WPARAM, LPARAM) = nullptr;
};

// By name, else by the ordinal that versions before 6 export the subclass functions under.
template <typename Function>
void Find(HMODULE library, const char* name, WORD ordinal, Function& function) {
  FARPROC found = GetProcAddress(library, name);
  if (!found && ordinal) found = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

Functions Load() {
  Functions functions;
  // Stays loaded for the rest of the run: windows subclassed through it live until the end.
  HMODULE library = rt::libsearch::LoadSystemLibrary("comctl32.dll");
  if (!library) return functions;
  Find(library, "InitCommonControlsEx", 0, functions.initCommonControlsEx);
  Find(library, "SetWindowSubclass", 410, functions.setWindowSubclass);
  Find(library, "RemoveWindowSubclass", 412, functions.removeWindowSubclass);
  Find(library, "DefSubclassProc", 413, functions.defSubclassProc);
  return functions;
}

const Functions& Table() {
  static const Functions functions = Load();
  return functions;
}

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  auto function = Table().initCommonControlsEx;
  return function ? function(controls) : FALSE;
}

BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  auto function = Table().setWindowSubclass;
  return function ? function(hwnd, procedure, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id) {
  auto function = Table().removeWindowSubclass;
  return function ? function(hwnd, procedure, id) : FALSE;
}

LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto function = Table().defSubclassProc;
  return function ? function(hwnd, message, wParam, lParam) : 0;
}

}  // namespace window::comctl
