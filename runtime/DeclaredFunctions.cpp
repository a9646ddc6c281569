// Declared Win32 functions: each is resolved once by library and name, then called directly.
#include <windows.h>
#include <cstdio>
#include <string>
#include "runtime/LibrarySearch.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

const char* const kStandardLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll"};

// The export to look up: the name, or for "#digits" the ordinal (truncated to 16 bits).
LPCSTR ExportOf(const char* functionName) {
  if (functionName[0] != '#') return functionName;
  unsigned long ordinal = std::strtoul(functionName + 1, nullptr, 10);
  return MAKEINTRESOURCEA(static_cast<WORD>(ordinal & 0xffff));
}

HMODULE LoadNamedLibrary(const char* name) {
  if (std::strchr(name, ':')) return LoadLibraryA(name);
  // A library the system has comes from the system folder: the program runs as administrator,
  // often from Downloads, and a file of that name beside it must not stand in for it. Only a
  // library of the program's own is looked for in the program folder first.
  if (libsearch::SystemHasLibrary(name)) return libsearch::LoadSystemLibrary(name);
  std::string inProgramFolder = State().folderWithSlash + name;
  if (HMODULE module = LoadLibraryA(inProgramFolder.c_str())) return module;
  return LoadLibraryA(name);
}

[[noreturn]] void ReportMissing(const DeclaredFunction& function) {
  char message[600];
  if (!function.libraryName || !*function.libraryName)
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件中的输出命令“%s”", function.functionName);
  else
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", function.libraryName, function.functionName);
  RuntimeError(message);
}

}  // namespace

void* ResolveDllFunction(uint32_t index) {
  auto& declared = State().declared;
  if (index >= declared.size()) RuntimeError("无法找到指定DLL库文件中的输出命令“”");
  DeclaredFunction& function = declared[index];
  if (function.address) return function.address;
  LPCSTR exportName = ExportOf(function.functionName);
  if (!function.libraryName || !*function.libraryName) {
    for (const char* library : kStandardLibraries) {
      HMODULE module = libsearch::LoadSystemLibrary(library);
      if (!module) continue;
      if (FARPROC address = GetProcAddress(module, exportName)) {
        function.module = module;
        function.address = reinterpret_cast<void*>(address);
        return function.address;
      }
      FreeLibrary(module);
    }
    ReportMissing(function);
  }
  HMODULE module = LoadNamedLibrary(function.libraryName);
  FARPROC address = module ? GetProcAddress(module, exportName) : nullptr;
  if (!address) {
    if (module) FreeLibrary(module);
    ReportMissing(function);
  }
  function.module = module;
  function.address = reinterpret_cast<void*>(address);
  return function.address;
}

}  // namespace rt

extern "C" void* VeltaroResolveDllFunction(uint32_t index) { return rt::ResolveDllFunction(index); }
