// CreateShortcut: a shell-link file written through IShellLinkA and IPersistFile.
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/core/CommandArgs.h"
#include "services/shell/ComPtr.h"
#include "services/shell/ShellLib.h"

namespace shelllib {

namespace {

// A name without any "." gets the ".lnk" extension; any "." (even one in a folder name, as in
// D:\v1.0\app) leaves the name as it is.
std::string ShortcutFileName(const char* name) {
  std::string fileName = name;
  if (fileName.find('.') == std::string::npos) fileName += ".lnk";
  return fileName;
}

std::wstring Widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::vector<wchar_t> wide(length);
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  return wide.data();
}

// Path, show command, description; arguments and working folder only from a five-argument call.
void DescribeLink(IShellLinkA* link, int32_t argCount, const rt::ArgTriple* args) {
  link->SetPath(cmdargs::Text(cmdargs::At(args, argCount, 1)));
  link->SetShowCmd(SW_SHOW);
  const rt::ArgTriple& description = cmdargs::At(args, argCount, 2);
  if (description.Given()) link->SetDescription(cmdargs::Text(description));
  if (argCount != 5) return;
  if (args[3].Given()) link->SetArguments(cmdargs::Text(args[3]));
  if (args[4].Given()) link->SetWorkingDirectory(cmdargs::Text(args[4]));
}

}  // namespace

void CreateShortcut(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  const char* name = cmdargs::Text(cmdargs::At(args, argCount, 0));
  if (*name == '\0') return;  // no file to write

  com::Ptr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive()))) {
    return;
  }
  com::Ptr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive()))) return;

  DescribeLink(link.Get(), argCount, args);
  const std::wstring fileName = Widen(ShortcutFileName(name));
  if (fileName.empty()) return;
  rt::SetBool(result, SUCCEEDED(file->Save(fileName.c_str(), TRUE)));
  // `file` is released before `link` (reverse order of creation).
}

}  // namespace shelllib
