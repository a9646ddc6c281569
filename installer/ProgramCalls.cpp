#include "installer/ProgramCalls.h"
#include <initializer_list>
#include <vector>
#include "installer/InstallerIds.h"
#include "runtime/Runtime.h"

// The linked commands, as the image's library records name them.
namespace corelib {
void ReplaceText(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void FindText(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void GetDiskTotalSpace(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void CreateFolder(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void WriteBytesToFile(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void RemoveFile(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void SetFileAttrs(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void WriteRegistryValue(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void WriteIniEntry(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void ShowMessageBox(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void RunProgram(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void ToText(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void ToUpperCase(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void GetWindowHandle(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void BitOr(rt::ArgTriple*, int32_t, rt::ArgTriple*);
}  // namespace corelib
namespace shelllib {
void BrowseForFolder(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void GetSpecialFolder(rt::ArgTriple*, int32_t, rt::ArgTriple*);
void CreateShortcut(rt::ArgTriple*, int32_t, rt::ArgTriple*);
}  // namespace shelllib
namespace stylelib {
void SetVisualStyle(rt::ArgTriple*, int32_t, rt::ArgTriple*);
}
namespace ziplib {
void Unpack(rt::ArgTriple*, int32_t, rt::ArgTriple*);
}

namespace installer {
namespace {

rt::ArgTriple Call(rt::Command command, std::initializer_list<rt::ArgTriple> arguments) {
  std::vector<rt::ArgTriple> triples(arguments);
  return rt::CallLibraryCommand(command, static_cast<int32_t>(triples.size()), triples.data());
}

rt::ArgTriple Text(const std::string& text) { return rt::TextArg(text.c_str()); }

// A text result becomes ours: copied out, its block given back to the runtime.
std::string TakeText(const rt::ArgTriple& result) {
  char* text = reinterpret_cast<char*>(static_cast<uintptr_t>(result.lo));
  std::string copy = text ? text : "";
  rt::FreeBlock(text);
  return copy;
}

bool Logical(const rt::ArgTriple& result) { return result.lo != 0; }

}  // namespace

std::string ReplaceText(const std::string& text, const char* search, const char* replacement) {
  return TakeText(Call(corelib::ReplaceText, {Text(text), rt::TextArg(search), rt::TextArg(replacement), rt::OmittedArg(),
                                              rt::OmittedArg(), rt::BoolArg(false)}));
}

int32_t FindText(const std::string& text, const char* search, int32_t start) {
  return Call(corelib::FindText, {Text(text), rt::TextArg(search), rt::IntArg(start), rt::BoolArg(false)}).Int();
}

int32_t GetDiskTotalSpace(const std::string& drive) { return Call(corelib::GetDiskTotalSpace, {Text(drive)}).Int(); }
bool CreateFolder(const std::string& path) { return Logical(Call(corelib::CreateFolder, {Text(path)})); }
bool WriteBytesToFile(const std::string& file, const void* bytes) {
  return Logical(Call(corelib::WriteBytesToFile, {Text(file), rt::BytesArg(bytes)}));
}
bool RemoveFile(const std::string& file) { return Logical(Call(corelib::RemoveFile, {Text(file)})); }
bool SetFileAttrs(const std::string& file, int32_t attributes) {
  return Logical(Call(corelib::SetFileAttrs, {Text(file), rt::IntArg(attributes)}));
}
bool WriteRegistryValue(int32_t root, const char* fullPath, const std::string& value) {
  return Logical(Call(corelib::WriteRegistryValue, {rt::IntArg(root), rt::TextArg(fullPath), Text(value)}));
}
bool WriteRegistryValue(int32_t root, const char* fullPath, int32_t value) {
  return Logical(Call(corelib::WriteRegistryValue, {rt::IntArg(root), rt::TextArg(fullPath), rt::IntArg(value)}));
}
bool WriteIniEntry(const std::string& file, const char* section, const char* name, const std::string& value) {
  return Logical(Call(corelib::WriteIniEntry, {Text(file), rt::TextArg(section), rt::TextArg(name), Text(value)}));
}
int32_t ShowMessageBox(const char* text, int32_t style, const char* title) {
  return Call(corelib::ShowMessageBox, {rt::TextArg(text), rt::IntArg(style), rt::TextArg(title)}).Int();
}
bool RunProgram(const std::string& commandLine, bool wait, int32_t showMode) {
  return Logical(Call(corelib::RunProgram, {Text(commandLine), rt::BoolArg(wait), rt::IntArg(showMode)}));
}
std::string ToText(int32_t value) { return TakeText(Call(corelib::ToText, {rt::IntArg(value)})); }
std::string ToUpperCase(const std::string& text) { return TakeText(Call(corelib::ToUpperCase, {Text(text)})); }
HWND GetWindowHandle(uint32_t windowId, uint32_t unitId, uint32_t typeCode) {
  rt::ArgTriple result = Call(corelib::GetWindowHandle, {rt::UnitArg(windowId, unitId, typeCode)});
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(result.lo));
}
uint32_t BitOr(uint32_t first, uint32_t second) {
  return Call(corelib::BitOr, {rt::IntArg(static_cast<int32_t>(first)), rt::IntArg(static_cast<int32_t>(second))}).lo;
}

std::string BrowseForFolder(const char* title) { return TakeText(Call(shelllib::BrowseForFolder, {rt::TextArg(title)})); }
std::string GetSpecialFolder(int32_t kind) { return TakeText(Call(shelllib::GetSpecialFolder, {rt::IntArg(kind)})); }
bool CreateShortcut(const std::string& file, const std::string& target, const std::string& description,
                    const std::string& workingFolder) {
  return Logical(Call(shelllib::CreateShortcut,
                      {Text(file), Text(target), Text(description), rt::OmittedArg(), Text(workingFolder)}));
}
int32_t SetVisualStyle(int32_t scheme) { return Call(stylelib::SetVisualStyle, {rt::IntArg(scheme)}).Int(); }
int32_t Unpack(uint32_t windowId, uint32_t zipUnit, const std::string& archive, const std::string& folder) {
  return Call(ziplib::Unpack, {rt::UnitArg(windowId, zipUnit, kZipType), Text(archive), Text(folder)}).Int();
}

int32_t GetIntProperty(uint32_t unitId, int32_t index) {
  return static_cast<int32_t>(rt::GetProperty(kWindow, unitId, index, -1) & 0xffffffffu);
}
void SetIntProperty(uint32_t unitId, int32_t index, int32_t value) {
  rt::SetProperty(kWindow, unitId, index, -1, static_cast<uint32_t>(value), 0);
}
std::string GetTextProperty(uint32_t unitId, int32_t index) {
  uint64_t value = rt::GetProperty(kWindow, unitId, index, -1);
  return TakeText({static_cast<uint32_t>(value), 0, rt::kTypeText});
}
void SetTextProperty(uint32_t unitId, int32_t index, const std::string& value) {
  rt::SetProperty(kWindow, unitId, index, -1, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value.c_str())), 0);
}

}  // namespace installer
