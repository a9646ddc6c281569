// CoreLib: the core commands that the installer calls, in the order of the library record.
// Every command has the runtime's command shape (Value.h); omitted arguments have type code 0.
#pragma once
#include <cstdint>
#include "runtime/Value.h"

// windows.h maps these names to their "A" functions; the commands keep their own names.
#ifdef FindText
#undef FindText
#endif
#ifdef ReplaceText
#undef ReplaceText
#endif

namespace corelib {

// Code 1 stores the runtime notification entry given as `first` and answers 0; any other code -1.
int32_t Notify(int32_t code, int32_t first, int32_t second);

void ReplaceText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);         // 0
void GetWindowHandle(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);     // 1
void ReadRegistryText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);    // 2
void BitOr(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);               // 3
void RunProgram(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);          // 4
void ShowMessageBox(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);      // 5
void FindText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);            // 6
void SplitText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);           // 7
void GetDiskTotalSpace(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);   // 8
void GetRunFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);        // 9
void WriteBytesToFile(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);    // 10
void SetFileAttrs(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);        // 11
void Delay(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);               // 12
void RemoveFile(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);          // 13
void CreateFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);        // 14
void WriteRegistryValue(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);  // 15
void ToUpperCase(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);         // 16
void WriteIniEntry(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);       // 17
void ToText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);              // 18

}  // namespace corelib
