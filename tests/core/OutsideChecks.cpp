#include "tests/core/OutsideChecks.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace outside {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }
  HANDLE Get() const { return handle_; }
  HANDLE* Receive() { Reset(); return &handle_; }
  void Reset() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::wstring Wide(const std::string& text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), length);
  return wide.data();
}

std::string FromUtf8(const std::string& utf8) {
  const std::wstring wide = Wide(utf8, CP_UTF8);
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> text(length > 0 ? length : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
  return text.data();
}

}  // namespace

std::string RunAndCapture(const std::string& commandLine, DWORD* exitCode, DWORD timeoutMs) {
  if (exitCode) *exitCode = static_cast<DWORD>(-1);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  Handle readEnd, writeEnd;
  if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0)) return {};
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION started{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &started)) {
    return {};
  }
  Handle process(started.hProcess), thread(started.hThread);
  writeEnd.Reset();  // the child holds the only write end now: EOF when it exits

  std::string output;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  if (WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0 && exitCode) {
    GetExitCodeProcess(process.Get(), exitCode);
  }
  return output;
}

std::string ReadFileBytes(const std::string& path, bool* exists) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, 0, nullptr));
  if (exists) *exists = file.Get() != INVALID_HANDLE_VALUE;
  if (file.Get() == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

std::string UnixPath(const std::string& windowsPath) {
  // Wine's own mapping of a DOS path to the Linux file system.
  using GetUnixName = char*(CDECL*)(const WCHAR*);
  auto toUnix = reinterpret_cast<GetUnixName>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return {};
  int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
  std::vector<WCHAR> wide(length);
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
  char* unix = toUnix(wide.data());
  if (!unix) return {};
  // Linux names are UTF-8; the tests hold every text in the ANSI code page.
  std::string path = FromUtf8(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

std::string RunUnixShell(const std::string& command, DWORD timeoutMs) {
  // Wine starts Linux programs but hands back no handle to wait on: the shell renames its
  // output file when it is done, and we wait for that name.
  static std::atomic<int> serial{0};
  const std::string base = "/tmp/veltaro-outside-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(serial++);
  const std::string line = "/bin/sh -c \"( " + command + " ) > " + base + ".part 2>&1; mv " + base + ".part " + base + "\"";
  // Started through the wide call, so that Wine hands non-ASCII names to Linux as UTF-8.
  std::wstring writable = Wide(line, CP_ACP);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return {};
  }
  Handle process(started.hProcess), thread(started.hThread);
  std::string windowsName = "Z:" + base;
  for (char& c : windowsName) if (c == '/') c = '\\';
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    bool exists = false;
    std::string output = ReadFileBytes(windowsName, &exists);
    if (exists) {
      DeleteFileA(windowsName.c_str());
      return output;
    }
    Sleep(20);
  }
  return {};
}

RegQueryValue RegQuery(const std::string& key, const std::string& valueName) {
  const std::string output = RunAndCapture("reg.exe query \"" + key + "\" /v \"" + valueName + "\"");
  // A value line reads: four spaces, name, four spaces, type, four spaces, data.
  const std::string prefix = "    " + valueName + "    ";
  for (const std::string& line : Lines(output)) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    std::string rest = line.substr(prefix.size());
    size_t gap = rest.find("    ");
    if (gap == std::string::npos) return {rest, ""};
    return {rest.substr(0, gap), rest.substr(gap + 4)};
  }
  return {};
}

bool RegKeyExists(const std::string& key) {
  DWORD exitCode = 0;
  RunAndCapture("reg.exe query \"" + key + "\"", &exitCode);
  return exitCode == 0;
}

}  // namespace outside
