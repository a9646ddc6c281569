// Finishing an uninstall from a copy of the uninstaller outside the installation folder.
//
// A running program cannot delete its own file, and Uninstall.exe lives in the folder it has to
// remove. So it copies itself into a new folder with a random name under the temporary folder
// (never a fixed name: anyone can put files in the temporary folder, and a library beside the
// copy could be loaded by it) and starts the copy, which waits for the original to end and then
// removes the whole installation folder. The copy is opened with delete-on-close and that handle
// is inherited by the copy itself, so the system deletes the copy's file when the copy ends. Its
// folder, empty then, is left to the system to remove at the next start of Windows.
#pragma once
#include <windows.h>

#include <string>

#include "runtime/Win32Handle.h"

namespace product {

constexpr char kCleanupSwitch[] = "/cleanup";

struct CleanupRequest {
  HANDLE original = nullptr;  // the first uninstaller process, inherited (synchronise access)
  HANDLE agreed = nullptr;    // an event, inherited: set once the copy has found the records good
  std::string folder;         // the installation folder to remove
};

// The started copy, for the first run to wait on: its process, and the event it sets when it
// agrees to go ahead.
struct CleanupCopy {
  rt::UniqueHandle process;
  rt::UniqueHandle agreed;
};

// The copy's folder is %TEMP%\Veltaro-Uninstall-<16 random hex digits>.
constexpr char kCopyFolderPrefix[] = "Veltaro-Uninstall-";

// Copies this program into a new folder and starts it on `folder`; false when the copy
// could not be made or started (nothing is left behind then).
bool StartCleanupCopy(const std::string& folder, CleanupCopy& copy);

// Reads "<program> /cleanup <process> <event> <folder as hex>"; false for any other command line.
// The folder travels as hex digits so that no GBK byte can upset command-line quoting.
bool ParseCleanupRequest(const char* commandLine, CleanupRequest& request);

std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string& bytes);

}  // namespace product
