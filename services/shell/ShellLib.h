// ShellLib: folder browsing, special folders and shortcuts, in the order of the library record.
#pragma once
#include <cstdint>
#include "runtime/Value.h"

namespace shelllib {

// Code 1 stores the runtime notification entry given as `first` and answers 0; any other code -1.
int32_t Notify(int32_t code, int32_t first, int32_t second);

void BrowseForFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);   // 0
void GetSpecialFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);  // 1
void CreateShortcut(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);    // 2

}  // namespace shelllib
