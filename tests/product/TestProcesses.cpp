#include "tests/product/TestProcesses.h"

#include <tlhelp32.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "installer/product/GbkPath.h"

namespace testing_product {

using rt::UniqueHandle;

namespace {

constexpr DWORD kPollMs = 50;

struct TreeWindowSearch {
  std::vector<DWORD> processes;  // the tree to match owners against
  const char* className;         // wanted window class
  HWND found;                    // result
};

BOOL CALLBACK MatchTreeWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TreeWindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (std::find(search->processes.begin(), search->processes.end(), owner) == search->processes.end()) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpA(className, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

DWORD ParentOf(DWORD process) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == process) return entry.th32ParentProcessID;
  }
  return 0;
}

}  // namespace

Child::~Child() {
  if (id == 0) return;
  // Only the program and the processes it started itself: while we hold its handle its id
  // cannot be reused, so nothing else can claim it as parent.
  std::vector<DWORD> members = {id};
  for (DWORD member : ProcessTree(id)) {
    if (member != id && ParentOf(member) == id) members.push_back(member);
  }
  for (DWORD member : members) {
    UniqueHandle running(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, member));
    if (!running.Valid() || WaitForSingleObject(running.Get(), 0) == WAIT_OBJECT_0) continue;
    TerminateProcess(running.Get(), 99);
    WaitForSingleObject(running.Get(), 5000);
  }
}

Child Start(const std::string& program, const std::string& arguments, const std::string& workFolder,
            bool inheritHandles) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  Child child;
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, inheritHandles, 0, nullptr,
                      workFolder.empty() ? nullptr : workFolder.c_str(), &startup, &info)) {
    ADD_FAILURE() << "cannot start " << program << ", error " << GetLastError();
    return child;
  }
  CloseHandle(info.hThread);
  child.process.Reset(info.hProcess);
  child.id = info.dwProcessId;
  return child;
}

DWORD WaitForExit(HANDLE process, DWORD timeoutMs) {
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

std::vector<DWORD> ProcessTree(DWORD root) {
  std::vector<DWORD> tree = {root};
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return tree;
  std::vector<PROCESSENTRY32> all;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
    all.push_back(entry);
  }
  // Parents come before children in the list we build, so one pass per generation suffices.
  for (size_t i = 0; i < tree.size(); ++i) {
    for (const PROCESSENTRY32& process : all) {
      if (process.th32ParentProcessID == tree[i] && process.th32ProcessID != tree[i] &&
          std::find(tree.begin(), tree.end(), process.th32ProcessID) == tree.end()) {
        tree.push_back(process.th32ProcessID);
      }
    }
  }
  return tree;
}

HWND FindTreeWindow(DWORD root, const char* className) {
  TreeWindowSearch search = {ProcessTree(root), className, nullptr};
  EnumWindows(MatchTreeWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTreeWindow(DWORD root, const char* className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindTreeWindow(root, className)) return window;
    Sleep(kPollMs);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

HWND WaitForBox(DWORD root, DWORD timeoutMs) { return WaitForTreeWindow(root, "#32770", timeoutMs); }

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string BoxText(HWND box) {
  // A message box shows its text in the static control 0xFFFF.
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

void Press(HWND box, int buttonId) {
  HWND button = GetDlgItem(box, buttonId);
  ASSERT_NE(button, nullptr) << "box has no button " << buttonId;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

UniqueHandle OwnerProcess(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, owner));
}

std::string TestFolder() { return product::path::OwnFolder(); }

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  return product::path::WithoutTrailingSeparators(std::string(buffer, length));
}

bool MakeFolders(const std::string& folder) {
  if (product::path::FolderExists(folder)) return true;
  const std::string parent = product::path::Folder(folder);
  if (!parent.empty() && !product::path::IsDriveRoot(parent) && !MakeFolders(parent)) return false;
  return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}

bool WriteTextFile(const std::string& file, const std::string& text) {
  UniqueHandle handle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.Valid()) return false;
  DWORD written = 0;
  return WriteFile(handle.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

std::string ReadTextFile(const std::string& file) {
  UniqueHandle handle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.Valid()) return std::string();
  std::string text(GetFileSize(handle.Get(), nullptr), '\0');
  DWORD read = 0;
  if (!text.empty()) ReadFile(handle.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveFixtureTree(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(folder.c_str());
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA entry;
    rt::FindHandle search(FindFirstFileA(product::path::Join(folder, "*").c_str(), &entry));
    if (search.Valid()) {
      do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") RemoveFixtureTree(product::path::Join(folder, name));
      } while (FindNextFileA(search.Get(), &entry));
    }
  }
  RemoveDirectoryA(folder.c_str());
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (!CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) return false;
  const DWORD attributes = GetFileAttributesA(link.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  RemoveDirectoryA(link.c_str());
  DeleteFileA(link.c_str());
  return false;
}

// Gives the file or folder the access list of the SDDL text, nothing inherited.
bool SetAccess(const std::string& target, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return false;
  BOOL present = FALSE, defaulted = FALSE;
  PACL list = nullptr;
  const bool set = GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) &&
                   SetNamedSecurityInfoA(const_cast<char*>(target.c_str()), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, list, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return set;
}

}  // namespace testing_product
