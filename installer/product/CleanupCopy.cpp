#include "installer/product/CleanupCopy.h"

#include <ntsecapi.h>
#include <sddl.h>

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

// Opens the copy so that the system deletes it when the last handle on it closes; the handle is
// inherited by the copy.
rt::UniqueHandle OpenDeleteOnClose(const std::string& file) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return rt::UniqueHandle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                                      OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

// 16 hex digits from the system's random source; empty when it gives none.
std::string RandomName() {
  unsigned char bytes[8];
  if (!RtlGenRandom(bytes, sizeof bytes)) return std::string();
  return ToHex(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
}

// Only the system and administrators may touch the copy's folder: the uninstaller runs as
// administrator, and a program of the user's own must not slip a library in beside the copy.
class AdministratorsOnly {
 public:
  AdministratorsOnly() {
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1,
                                                         &descriptor_, nullptr);
  }
  ~AdministratorsOnly() { LocalFree(descriptor_); }
  AdministratorsOnly(const AdministratorsOnly&) = delete;
  AdministratorsOnly& operator=(const AdministratorsOnly&) = delete;
  SECURITY_ATTRIBUTES* Attributes() {
    attributes_ = {sizeof attributes_, descriptor_, FALSE};
    return descriptor_ ? &attributes_ : nullptr;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {};
};

// A new folder of ours under the temporary folder, named at random: a folder that already
// exists, perhaps made beforehand with a library in it, is never used.
std::string CreateCopyFolder() {
  const std::string temp = TempFolder();
  if (temp.empty()) return std::string();
  AdministratorsOnly security;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = RandomName();
    if (name.empty()) return std::string();
    const std::string folder = path::Join(temp, kCopyFolderPrefix + name);
    if (CreateDirectoryA(folder.c_str(), security.Attributes())) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  }
  return std::string();
}

std::string HandleText(HANDLE handle) {
  return std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
}

bool StartCopy(const std::string& copy, HANDLE original, HANDLE agreed, const std::string& folder,
               const std::string& workFolder, rt::UniqueHandle& started) {
  // Plain string building: the stream library would more than double the program's size.
  std::string text = "\"" + copy + "\" " + kCleanupSwitch + " " + HandleText(original) + " " + HandleText(agreed) +
                     " " + ToHex(folder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(copy.c_str(), &text[0], nullptr, nullptr, TRUE, 0, nullptr, workFolder.c_str(), &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  started.Reset(process.hProcess);
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

// Copies this program into `copyFolder` and starts the copy on `folder`.
bool CopyAndStart(const std::string& copyFolder, const std::string& folder, CleanupCopy& started) {
  const std::string copy = path::Join(copyFolder, path::LastComponent(path::OwnProgram()));
  if (!CopyFileA(path::OwnProgram().c_str(), copy.c_str(), TRUE)) return false;
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy could not be deleted
  rt::UniqueHandle copyGoes = OpenDeleteOnClose(copy);
  if (!copyGoes.Valid()) {
    DeleteFileA(copy.c_str());
    return false;
  }
  rt::UniqueHandle self = InheritableSelf();
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  started.agreed.Reset(CreateEventA(&inherit, TRUE, FALSE, nullptr));
  if (!self.Valid() || !started.agreed.Valid()) return false;  // closing copyGoes removes the copy
  // The copy works in the temporary folder: a current folder inside the installation would keep
  // that folder from being deleted, and one inside its own folder would keep that one.
  if (!StartCopy(copy, self.Get(), started.agreed.Get(), folder, path::Folder(copyFolder), started.process)) {
    return false;
  }
  // The copy's file outlives every handle on it until the copy's image is gone, so nothing that
  // runs can remove the folder after it: the system does, empty, at its next start.
  MoveFileExA(copyFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // Our handles close here: the started copy holds its own inherited ones.
  return true;
}

}  // namespace

bool StartCleanupCopy(const std::string& folder, CleanupCopy& copy) {
  const std::string copyFolder = CreateCopyFolder();
  if (copyFolder.empty()) return false;
  if (CopyAndStart(copyFolder, folder, copy)) return true;
  RemoveDirectoryA(copyFolder.c_str());  // the copy's file went with its handle
  return false;
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

namespace {

// A handle value in decimal, never 0.
bool ParseHandle(const std::string& text, HANDLE& handle) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value == 0) return false;
  handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
  return true;
}

}  // namespace

bool ParseCleanupRequest(const char* commandLine, CleanupRequest& request) {
  if (commandLine == nullptr) return false;
  std::vector<std::string> words = SplitWords(SkipProgramName(commandLine));
  if (words.size() != 4 || words[0] != kCleanupSwitch) return false;
  HANDLE original = nullptr, agreed = nullptr;
  std::string folder;
  if (!ParseHandle(words[1], original) || !ParseHandle(words[2], agreed)) return false;
  if (!FromHex(words[3], folder) || folder.empty()) return false;
  request.original = original;
  request.agreed = agreed;
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
