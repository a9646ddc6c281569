// ZipLib, the ZIP extraction library: its notification function, the unit interface of its type
// ZIP, and the type's one method Unpack. The library and type records that point here are
// generated from the program's description.
#pragma once
#include <cstdint>

#include "runtime/Value.h"

namespace ziplib {

// Code 1 hands over the runtime notification entry (first argument) and answers 0; every other
// code answers -1.
int32_t Notify(int32_t code, int32_t first, int32_t second);

// The routine that serves a unit-interface query (1 create, 4, 5, 6), or null.
void* ZipUnitInterface(int32_t query);

// Unpack(unit, archive file name, target folder) -> 1 done or stopped, 0 failed, -1 missing input.
void Unpack(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);

// Calls the runtime notification entry handed over at code 1; 0 when there is none.
int32_t CallRuntime(int32_t code, int32_t first, int32_t second);

// Event number of the ZIP unit's progress event; its one argument is the percentage 0..100.
constexpr int32_t kUnpackProgressEvent = 1;

}  // namespace ziplib
