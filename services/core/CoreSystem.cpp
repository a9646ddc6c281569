// The library's notification function and the commands that deal with the running program,
// its windows and other processes: GetWindowHandle, BitOr, RunProgram, ShowMessageBox, Delay,
// GetRunFolder.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/Notify.h"
#include "runtime/Win32Handle.h"
#include "services/core/CommandArgs.h"
#include "services/core/CoreHost.h"
#include "services/core/CoreLib.h"
#include "services/core/ValueText.h"

namespace corelib {

int32_t Notify(int32_t code, int32_t first, int32_t second) {
  (void)second;
  if (code != 1) return -1;
  host::SetEntry(reinterpret_cast<rt::NotifyEntry>(static_cast<uintptr_t>(first)));
  return 0;
}

void GetWindowHandle(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const rt::ArgTriple& unit = cmdargs::At(args, argCount, 0);
  // A missing window or control is the runtime's error (code 2007 does not come back).
  HWND window = static_cast<HWND>(host::WindowOfUnit(unit.lo, unit.hi, false));
  rt::SetInt(result, static_cast<int32_t>(reinterpret_cast<uintptr_t>(window)));
}

void BitOr(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  uint32_t bits = 0;
  for (int32_t i = 0; i < argCount; ++i) bits |= args[i].lo;
  rt::SetInt(result, static_cast<int32_t>(bits));
}

namespace {

// Show mode 1..6 of RunProgram to the start-up show state of the new process.
const WORD kShowStates[] = {
    SW_HIDE,             // 1
    SW_SHOWNORMAL,       // 2
    SW_SHOWMINIMIZED,    // 3
    SW_SHOWMAXIMIZED,    // 4
    SW_SHOWNOACTIVATE,   // 5
    SW_MINIMIZE,         // 6
};

WORD ShowStateOf(const rt::ArgTriple& mode) {
  int32_t number = mode.Given() ? mode.Int() : 2;
  if (number < 1) number = 1;
  if (number > 6) number = 6;
  return kShowStates[number - 1];
}

}  // namespace

void RunProgram(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  // CreateProcessA may write into the command line, and ours may be a constant: use a copy.
  std::string commandLine = cmdargs::Text(cmdargs::At(args, argCount, 0));
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  const bool wait = cmdargs::IsTrue(cmdargs::At(args, argCount, 1));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowStateOf(cmdargs::At(args, argCount, 2));
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return;
  }
  rt::UniqueHandle process(started.hProcess);
  rt::UniqueHandle thread(started.hThread);
  if (wait) {
    WaitForSingleObject(process.Get(), INFINITE);
  } else {
    WaitForInputIdle(process.Get(), 1000);
  }
  rt::SetBool(result, true);
}

namespace {

// The message: numbers, logical values and date-times as ToText shows them, a text as it is.
std::string MessageText(const rt::ArgTriple& content) {
  if (content.type == rt::kTypeText) return cmdargs::Text(content);
  std::string text;
  valuetext::FormatScalar(content, text);
  return text;
}

HWND OwnerOf(int32_t argCount, const rt::ArgTriple& owner) {
  if (argCount < 4) return nullptr;
  if (owner.type == rt::kTypeWindow) return static_cast<HWND>(host::WindowOfUnit(owner.lo, 0, true));
  if (owner.type == rt::kTypeInt) return reinterpret_cast<HWND>(static_cast<uintptr_t>(owner.lo));
  return nullptr;
}

// Win32 button ids (IDOK 1 .. IDNO 7) to the program's button codes from 0.
int32_t ButtonCode(int pressed) {
  static const struct {
    int id;
    int32_t code;
  } kButtons[] = {{IDOK, 0}, {IDCANCEL, 1}, {IDABORT, 2}, {IDRETRY, 3}, {IDIGNORE, 4}, {IDYES, 5}, {IDNO, 6}};
  for (const auto& button : kButtons) {
    if (button.id == pressed) return button.code;
  }
  return 0;
}

}  // namespace

void ShowMessageBox(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const std::string message = MessageText(cmdargs::At(args, argCount, 0));
  UINT style = cmdargs::At(args, argCount, 1).lo;
  if (!(style & MB_SYSTEMMODAL)) style |= MB_TASKMODAL;
  const rt::ArgTriple& titleArg = cmdargs::At(args, argCount, 2);
  const char* title = titleArg.Given() ? cmdargs::Text(titleArg) : "信息：";
  const HWND owner = OwnerOf(argCount, cmdargs::At(args, argCount, 3));
  rt::SetInt(result, ButtonCode(MessageBoxA(owner, message.c_str(), title, style)));
}

void Delay(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  (void)result;
  const int32_t milliseconds = cmdargs::At(args, argCount, 0).Int();
  Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}

void GetRunFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  (void)argCount;
  (void)args;
  const char* folder = reinterpret_cast<const char*>(static_cast<uintptr_t>(host::Call(rt::kNotifyProgramFolder)));
  rt::SetText(result, host::NewText(folder ? folder : "", folder ? std::strlen(folder) : 0));
}

}  // namespace corelib
