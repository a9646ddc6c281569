#include "runtime/LibrarySearch.h"

#include <cstring>
#include <string>

namespace rt::libsearch {
namespace {

bool narrowed = false;

bool IsPlainFileName(const char* name) {
  return name && *name && !std::strpbrk(name, "\\/:");
}

// The file a load of `name` means in the system folder: LoadLibrary adds ".dll" to a name
// without an extension, and so do we.
std::string SystemFolderFile(const char* name) {
  char folder[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return std::string();
  std::string file = std::string(folder, length) + "\\" + name;
  if (!std::strchr(name, '.')) file += ".dll";
  return file;
}

}  // namespace

void NarrowLibrarySearch() {
  // Looked up, not imported: a static import of a function the system lacks would stop the
  // program from starting at all.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  auto setDefaultDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
  if (setDefaultDirectories && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    narrowed = true;
    return;
  }
  SetDllDirectoryA("");
}

bool SearchNarrowed() { return narrowed; }

HMODULE LoadSystemLibrary(const char* fileName) {
  if (!IsPlainFileName(fileName)) return nullptr;
  // By name, so that a side-by-side assembly a manifest asks for still applies.
  if (narrowed) return LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::string file = SystemFolderFile(fileName);
  if (file.empty()) return nullptr;
  // The library's own imports are then looked for in the system folder first, too.
  return LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool SystemHasLibrary(const char* name) {
  if (!IsPlainFileName(name)) return false;
  const std::string file = SystemFolderFile(name);
  if (file.empty()) return false;
  const DWORD attributes = GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace rt::libsearch
