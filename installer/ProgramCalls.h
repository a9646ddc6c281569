// The installer's routines reach the runtime the way compiled code does: commands through the
// command call with argument triples, properties through the property entries. These wrappers
// keep the triples out of the flow and hand text results back as strings (freeing the blocks).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace installer {

// ---- CoreLib ---------------------------------------------------------------------------------
std::string ReplaceText(const std::string& text, const char* search, const char* replacement);
int32_t FindText(const std::string& text, const char* search, int32_t start = 1);
int32_t GetDiskTotalSpace(const std::string& drive);
bool CreateFolder(const std::string& path);
bool WriteBytesToFile(const std::string& file, const void* bytes);
bool RemoveFile(const std::string& file);
bool SetFileAttrs(const std::string& file, int32_t attributes);
bool WriteRegistryValue(int32_t root, const char* fullPath, const std::string& value);
bool WriteRegistryValue(int32_t root, const char* fullPath, int32_t value);  // a REG_DWORD
bool WriteIniEntry(const std::string& file, const char* section, const char* name, const std::string& value);
int32_t ShowMessageBox(const char* text, int32_t style, const char* title);
bool RunProgram(const std::string& commandLine, bool wait, int32_t showMode);
std::string ToText(int32_t value);
std::string ToUpperCase(const std::string& text);
HWND GetWindowHandle(uint32_t windowId, uint32_t unitId, uint32_t typeCode);
uint32_t BitOr(uint32_t first, uint32_t second);

// ---- ShellLib, StyleLib, ZipLib ---------------------------------------------------------------
std::string BrowseForFolder(const char* title);
std::string GetSpecialFolder(int32_t kind);
bool CreateShortcut(const std::string& file, const std::string& target, const std::string& description,
                    const std::string& workingFolder);
int32_t SetVisualStyle(int32_t scheme);
int32_t Unpack(uint32_t windowId, uint32_t zipUnit, const std::string& archive, const std::string& folder);

// ---- Properties ------------------------------------------------------------------------------
int32_t GetIntProperty(uint32_t unitId, int32_t index);
void SetIntProperty(uint32_t unitId, int32_t index, int32_t value);
std::string GetTextProperty(uint32_t unitId, int32_t index);
void SetTextProperty(uint32_t unitId, int32_t index, const std::string& value);

}  // namespace installer
