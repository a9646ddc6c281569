// BrowseForFolder and GetSpecialFolder.
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "runtime/Notify.h"
#include "services/core/CommandArgs.h"
#include "services/core/GbkText.h"
#include "services/shell/ComPtr.h"
#include "services/shell/ShellHost.h"
#include "services/shell/ShellLib.h"

namespace shelllib {

namespace {

// What BrowseForFolder changes while its dialog runs and puts back afterwards: the active and
// foreground windows, and the enabled state of every top-level window of the program.
class WindowStateList {
 public:
  // Records the active and foreground windows, then disables every top-level program window.
  void DisableProgramWindows() {
    active_ = GetActiveWindow();
    if (!IsWindow(active_)) active_ = nullptr;
    foreground_ = GetForegroundWindow();
    const int32_t count = host::Call(rt::kNotifyLoadedWindowCount);
    for (int32_t index = 0; index < count; ++index) {
      HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(host::Call(rt::kNotifyWindowHandleAt, index)));
      if (!window || IsChild(window)) continue;
      windows_.push_back({window, IsWindowEnabled(window) != FALSE});
      EnableWindow(window, FALSE);
    }
  }

  HWND Active() const { return active_; }

  // Enabled states first, then the foreground window, then the active window.
  void Restore() const {
    for (const WindowState& state : windows_) EnableWindow(state.window, state.enabled);
    if (IsWindow(foreground_)) SetForegroundWindow(foreground_);
    if (IsWindow(active_)) SetActiveWindow(active_);
  }

 private:
  struct WindowState {
    HWND window;
    bool enabled;  // before the dialog
  };

  // Only windows without a parent (owned windows included) take part; controls do not.
  static bool IsChild(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0; }

  HWND active_ = nullptr;      // only a window that IsWindow confirmed
  HWND foreground_ = nullptr;
  std::vector<WindowState> windows_;
};

// An item list that the shell handed out, freed through the shell's own allocator.
class ShellItemList {
 public:
  explicit ShellItemList(LPITEMIDLIST list) : list_(list) {}
  ShellItemList(const ShellItemList&) = delete;
  ShellItemList& operator=(const ShellItemList&) = delete;
  ~ShellItemList() {
    if (!list_) return;
    com::Ptr<IMalloc> allocator;
    if (SUCCEEDED(SHGetMalloc(reinterpret_cast<IMalloc**>(allocator.Receive())))) allocator->Free(list_);
  }
  LPITEMIDLIST Get() const { return list_; }

 private:
  LPITEMIDLIST list_;
};

std::string PathOfItem(LPCITEMIDLIST item) {
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(item, path)) return {};
  return path;
}

}  // namespace

void BrowseForFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetText(result, nullptr);
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.pszDisplayName = displayName;
  info.lpszTitle = cmdargs::Text(cmdargs::At(args, argCount, 0));
  info.ulFlags = BIF_EDITBOX;
  if (cmdargs::IsTrue(cmdargs::At(args, argCount, 1))) info.ulFlags |= BIF_BROWSEINCLUDEFILES;

  WindowStateList states;
  states.DisableProgramWindows();
  info.hwndOwner = states.Active();
  ShellItemList chosen(SHBrowseForFolderA(&info));
  states.Restore();

  if (chosen.Get()) rt::SetText(result, host::NewText(PathOfItem(chosen.Get())));
}

namespace {

enum class FolderSource { kShell, kWindows, kSystem, kTemp };

struct SpecialFolder {
  int32_t kind;
  FolderSource source;
  int csidl;  // for kShell
};
const SpecialFolder kSpecialFolders[] = {
    {1, FolderSource::kShell, CSIDL_PERSONAL},
    {2, FolderSource::kShell, CSIDL_FAVORITES},
    {3, FolderSource::kShell, CSIDL_DESKTOPDIRECTORY},
    {4, FolderSource::kShell, CSIDL_FONTS},
    {5, FolderSource::kShell, CSIDL_STARTMENU},
    {6, FolderSource::kShell, CSIDL_PROGRAMS},
    {7, FolderSource::kShell, CSIDL_STARTUP},
    {8, FolderSource::kShell, CSIDL_APPDATA},
    {9, FolderSource::kWindows, 0},
    {10, FolderSource::kSystem, 0},
    {11, FolderSource::kTemp, 0},
};

// The folder's path as the system gives it; empty when the call fails.
std::string QueryFolder(const SpecialFolder& folder) {
  char path[MAX_PATH] = {};
  BOOL ok = FALSE;
  switch (folder.source) {
    case FolderSource::kShell: ok = SHGetSpecialFolderPathA(nullptr, path, folder.csidl, FALSE); break;
    case FolderSource::kWindows: ok = GetWindowsDirectoryA(path, MAX_PATH) != 0; break;
    case FolderSource::kSystem: ok = GetSystemDirectoryA(path, MAX_PATH) != 0; break;
    case FolderSource::kTemp: ok = GetTempPathA(MAX_PATH, path) != 0; break;
  }
  return ok ? std::string(path) : std::string();
}

}  // namespace

void GetSpecialFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetText(result, nullptr);
  const int32_t kind = cmdargs::At(args, argCount, 0).Int();
  for (const SpecialFolder& folder : kSpecialFolders) {
    if (folder.kind != kind) continue;
    std::string path = QueryFolder(folder);
    if (path.empty()) return;
    // The separator is added even to a path of 259 bytes: the result is not bound to MAX_PATH.
    if (!gbk::EndsWithAscii(path.c_str(), path.size(), '\\')) path += '\\';
    rt::SetText(result, host::NewText(path));
    return;
  }
}

}  // namespace shelllib
