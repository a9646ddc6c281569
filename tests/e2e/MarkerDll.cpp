// A library that stands in for a system library a program must not load from its own folder:
// loaded anywhere, it leaves "<its file name>.ran" in the folder named by VELTARO_MARKER_DIR
// (beside itself when that is not set), then refuses to load.
#include <windows.h>

#include <cstring>

namespace {

void LeaveMark(HINSTANCE self) {
  char library[MAX_PATH] = {};
  if (!GetModuleFileNameA(self, library, MAX_PATH)) return;
  const char* name = std::strrchr(library, '\\');
  name = name ? name + 1 : library;
  char mark[2 * MAX_PATH] = {};
  const DWORD folderLength = GetEnvironmentVariableA("VELTARO_MARKER_DIR", mark, MAX_PATH);
  if (folderLength == 0 || folderLength >= MAX_PATH) {
    std::strcpy(mark, library);
  } else {
    std::strcat(mark, "\\");
    std::strcat(mark, name);
  }
  std::strcat(mark, ".ran");
  HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, library, static_cast<DWORD>(std::strlen(library)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  LeaveMark(self);
  return FALSE;
}
