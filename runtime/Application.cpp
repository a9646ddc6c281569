// The process entry: our framework's application object hands control to the compiled program's
// start routine, which initialises the runtime and drives the program through its entries.
#include <windows.h>
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

// Defined by the generated program image: the compiled program's start routine.
extern "C" int32_t (*const VeltaroStartRoutine)();

namespace rt {
namespace {

class Application {
 public:
  // Records the executable's folder, then runs the start routine; its result is ours.
  bool InitInstance() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) slash[1] = 0;
    folder_ = path;
    return VeltaroStartRoutine && VeltaroStartRoutine() != 0;
  }
  int Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
  }
  int ExitInstance(int exitCode) {
    if (!ExitInProgress()) ShutdownRuntime();
    return exitCode;
  }

 private:
  std::string folder_;  // with a trailing backslash
};

Application theApplication;

}  // namespace
}  // namespace rt

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int exitCode = 0;
  if (rt::theApplication.InitInstance()) exitCode = rt::theApplication.Run();
  return rt::theApplication.ExitInstance(exitCode);
}
