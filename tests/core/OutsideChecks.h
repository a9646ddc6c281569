// Looking at what a command did from outside the program: other programs' views of the
// registry and files, and the Linux side of Wine.
#pragma once
#include <windows.h>

#include <string>

namespace outside {

// Runs a Windows console program with its standard output captured (bytes as written, GBK).
// Empty when it could not be started; `exitCode` gets the program's exit code.
std::string RunAndCapture(const std::string& commandLine, DWORD* exitCode = nullptr, DWORD timeoutMs = 60000);

// Runs a command of the Linux side through /bin/sh and returns what it printed (Linux programs
// print UTF-8). The command is in the ANSI code page and must not contain double quotes.
std::string RunUnixShell(const std::string& command, DWORD timeoutMs = 30000);

// The Linux path behind a Windows path, in the ANSI code page ("" when Wine cannot say).
std::string UnixPath(const std::string& windowsPath);

// A value as `reg query` shows it: type name ("REG_SZ", ...) and data; empty type when reg
// reports no such value.
struct RegQueryValue {
  std::string type;
  std::string data;
};
RegQueryValue RegQuery(const std::string& key, const std::string& valueName);
// Whether `reg query` finds the key.
bool RegKeyExists(const std::string& key);

// The whole file as bytes; `exists` tells a missing file from an empty one.
std::string ReadFileBytes(const std::string& path, bool* exists = nullptr);

}  // namespace outside
