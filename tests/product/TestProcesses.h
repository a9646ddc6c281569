// Running the product's programs from a test and answering their boxes from outside, the way a
// person would: boxes are found by the process that owns them, never by title alone, so tests
// running side by side never answer each other's boxes.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/Win32Handle.h"

namespace testing_product {

// A started program. A test that fails half-way may leave it (or a process it started) waiting
// in a box; the destructor ends whatever of the tree still runs.
struct Child {
  Child() = default;
  Child(Child&& other) noexcept : process(std::move(other.process)), id(std::exchange(other.id, 0)) {}
  Child& operator=(Child&&) = delete;
  ~Child();

  rt::UniqueHandle process;  // synchronise and query access
  DWORD id = 0;
};

// Starts `program` with `arguments` in `workFolder`, handing it our inheritable handles when
// asked; fails the test when it cannot.
Child Start(const std::string& program, const std::string& arguments, const std::string& workFolder,
            bool inheritHandles = false);

// Waits for the process to end; its exit code, or STILL_ACTIVE when it did not end in time.
DWORD WaitForExit(HANDLE process, DWORD timeoutMs = 20000);

// The process and every process it started, and their children, as far as they still run.
std::vector<DWORD> ProcessTree(DWORD root);

// The first visible top-level window of `className` owned by a process of root's tree.
HWND FindTreeWindow(DWORD root, const char* className);
HWND WaitForTreeWindow(DWORD root, const char* className, DWORD timeoutMs = 20000);

// A message box shown by root's tree (dialog class "#32770"), or null after the timeout.
HWND WaitForBox(DWORD root, DWORD timeoutMs = 20000);
std::string BoxText(HWND box);
std::string WindowText(HWND window);
// Presses a box's button (IDYES, IDNO, IDOK) as a click on it would.
void Press(HWND box, int buttonId);
// The process that owns a window, opened to wait on it.
rt::UniqueHandle OwnerProcess(HWND window);

// Folders and files for test fixtures.
std::string TestFolder();  // the folder of this test executable
std::string TempFolder();  // %TEMP% without trailing separator
bool MakeFolders(const std::string& folder);
bool WriteTextFile(const std::string& file, const std::string& text);
// Gives the file or folder the access list of the SDDL text, nothing inherited.
bool SetAccess(const std::string& target, const char* sddl);
std::string ReadTextFile(const std::string& file);
bool Exists(const std::string& path);
// Removes a fixture's folder with everything in it (links go as links), so that a failing test
// leaves nothing behind. Only tests remove recursively; the product's programs never do.
void RemoveFixtureTree(const std::string& folder);
// Makes `link` a symbolic link to the folder `target`; false, with nothing made, where the
// system makes none or does not report it as a link (a fixture must never walk into one).
bool MakeFolderLink(const std::string& link, const std::string& target);

}  // namespace testing_product
