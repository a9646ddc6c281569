// A small program that RunProgram starts in the tests: it records how it was asked to show
// itself, waits in its message loop for a while and records that it is done.
//   show_state_probe.exe <record file> <milliseconds before it ends>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Append(const char* path, const char* text) {
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const char* record = __argv[1];
  const UINT linger = static_cast<UINT>(atoi(__argv[2]));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  char line[64];
  snprintf(line, sizeof line, "flags=%lu show=%u\n", startup.dwFlags, startup.wShowWindow);
  Append(record, line);

  // Waiting for messages is what makes this process "input idle" for WaitForInputIdle.
  SetTimer(nullptr, 0, linger, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    if (message.message == WM_TIMER) break;
    DispatchMessageA(&message);
  }
  Append(record, "done\n");
  return 0;
}
