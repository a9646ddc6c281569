#include "installer/product/CleanupCopy.h"

#include <cstdio>
#include <cstdlib>

#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"

namespace product {

namespace {

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return path::WithoutTrailingSeparators(std::string(buffer, length));
}

// A handle on this process that a child can inherit and wait on.
rt::UniqueHandle InheritableSelf() {
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
    return rt::UniqueHandle();
  }
  return rt::UniqueHandle(self);
}

// Opens the copy so that the system deletes it when the last handle on it closes.
rt::UniqueHandle OpenDeleteOnClose(const std::string& file) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return rt::UniqueHandle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                                      OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

bool StartCopy(const std::string& copy, HANDLE original, const std::string& folder, const std::string& workFolder) {
  // Plain string building: the stream library would more than double the program's size.
  std::string text = "\"" + copy + "\" " + kCleanupSwitch + " " +
                     std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(original))) + " " + ToHex(folder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // The copy works in the temporary folder: a current folder inside the installation would
  // keep that folder from being deleted.
  if (!CreateProcessA(copy.c_str(), &text[0], nullptr, nullptr, TRUE, 0, nullptr, workFolder.c_str(), &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Skips the program name, quoted or not, and the blanks after it.
const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

std::string CleanupCopyPath(DWORD processId) {
  const std::string temp = TempFolder();
  if (temp.empty()) return std::string();
  return path::Join(temp, "Veltaro-Uninstall-" + std::to_string(processId) + ".exe");
}

bool StartCleanupCopy(const std::string& folder) {
  const std::string copy = CleanupCopyPath(GetCurrentProcessId());
  if (copy.empty() || !CopyFileA(path::OwnProgram().c_str(), copy.c_str(), FALSE)) return false;
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy could not be deleted
  rt::UniqueHandle deleteOnClose = OpenDeleteOnClose(copy);
  if (!deleteOnClose.Valid()) {
    DeleteFileA(copy.c_str());
    return false;
  }
  rt::UniqueHandle self = InheritableSelf();
  if (!self.Valid()) return false;  // closing deleteOnClose removes the copy
  const bool started = StartCopy(copy, self.Get(), folder, path::Folder(copy));
  // Our handles close here either way: a started copy holds its own inherited ones, and a copy
  // that did not start is deleted with the last handle on it.
  return started;
}

// The blank-separated words of a command line.
std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
    size_t end = text.find_first_of(" \t", at);
    words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
  return words;
}

bool ParseCleanupRequest(const char* commandLine, CleanupRequest& request) {
  if (commandLine == nullptr) return false;
  std::vector<std::string> words = SplitWords(SkipProgramName(commandLine));
  if (words.size() != 3 || words[0] != kCleanupSwitch) return false;
  const std::string& handle = words[1];
  const std::string& hex = words[2];
  char* end = nullptr;
  const unsigned long long value = std::strtoull(handle.c_str(), &end, 10);
  if (end == handle.c_str() || *end != '\0' || value == 0) return false;
  std::string folder;
  if (!FromHex(hex, folder) || folder.empty()) return false;
  request.original = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
  request.folder = folder;
  return true;
}

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

bool FromHex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  std::string result;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    result += static_cast<char>(high * 16 + low);
  }
  bytes = result;
  return true;
}

}  // namespace product
