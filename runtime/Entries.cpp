// The entries compiled code calls: commands, properties, and the miscellaneous services.
#include <windows.h>
#include <cstdarg>
#include <string>
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {

bool MatchesSearchAttributes(uint32_t attributes, uint32_t mask, bool anyFile) {
  if (anyFile) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  mask &= 0x37;  // read-only, hidden, system, folder, archive
  if (mask == 0) return attributes == 0;
  return (attributes & mask) != 0;
}

namespace {

struct FileSearch {
  HANDLE handle;  // the open FindFirstFile search
};

// Service 0: the next matching name of a search held in *handleWord, as a new text.
char* FindFile(const char* pattern, uint32_t mask, bool anyFile, uint32_t* handleWord) {
  WIN32_FIND_DATAA data;
  HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(*handleWord));
  bool found;
  if (pattern && *pattern) {
    if (handle) FindClose(handle);
    handle = FindFirstFileA(pattern, &data);
    found = handle != INVALID_HANDLE_VALUE;
    if (!found) handle = nullptr;
  } else {
    found = handle && FindNextFileA(handle, &data);
  }
  while (found && !MatchesSearchAttributes(data.dwFileAttributes, mask, anyFile)) found = FindNextFileA(handle, &data);
  if (!found) {
    if (handle) FindClose(handle);
    *handleWord = 0;
    return nullptr;
  }
  *handleWord = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
  return NewText(data.cFileName);
}

// Service 2: gives a variable that still points into the constant pool a heap copy of its array.
void PrivateCopy(uint32_t elementSize, void** variable) {
  if (!variable || !IsConstant(*variable)) return;
  auto words = static_cast<const uint32_t*>(*variable);
  uint32_t dimensions = words[0];
  uint32_t count = 1;
  for (uint32_t i = 0; i < dimensions; ++i) count *= words[1 + i];
  uint32_t length = 4 + 4 * dimensions + count * elementSize;
  void* copy = AllocateBlock(length);
  std::memcpy(copy, *variable, length);
  *variable = copy;
}

void RegisterExitRoutine(void (*routine)()) {
  auto& routines = State().exitRoutines;
  for (auto existing : routines)
    if (existing == routine) return;
  routines.push_back(routine);
}

// Services 4 and 5: the properties of library objects that are not controls, served by their
// type through the window engine, which knows the property kinds.
uint64_t GetObjectProperty(uint32_t typeCode, void* object, int32_t index, int32_t member) {
  const WindowEngine* engine = Engine();
  if (!engine || !engine->getObjectProperty) return 0;
  return engine->getObjectProperty(typeCode, object, index, member);
}

void SetObjectProperty(uint32_t typeCode, void* object, int32_t index, int32_t member, uint32_t lo, uint32_t hi) {
  const WindowEngine* engine = Engine();
  if (engine && engine->setObjectProperty) engine->setObjectProperty(typeCode, object, index, member, lo, hi);
}

ArgTriple CallCommand(Command command, int32_t argCount, ArgTriple* args) {
  ArgTriple result = {0, 0, 0};
  command(&result, argCount, args);
  return result;
}

}  // namespace

ArgTriple CallLibraryCommand(Command command, int32_t argCount, ArgTriple* args) { return CallCommand(command, argCount, args); }
ArgTriple CallCoreCommand(Command command, int32_t argCount, ArgTriple* args) { return CallCommand(command, argCount, args); }

uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member) {
  const WindowEngine* engine = Engine();
  if (!engine) RuntimeError("未载入欲访问窗口组件所在的窗口");
  return engine->getProperty(windowId, unitId, index, member);
}

uint32_t SetProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member, uint32_t lo, uint32_t hi) {
  const WindowEngine* engine = Engine();
  if (!engine) RuntimeError("未载入欲访问窗口组件所在的窗口");
  return engine->setProperty(windowId, unitId, index, member, lo, hi);
}

int64_t MiscService(int32_t number, ...) {
  va_list args;
  va_start(args, number);
  int64_t result = 0;
  switch (number) {
    case 0: {
      auto pattern = va_arg(args, const char*);
      auto mask = va_arg(args, uint32_t);
      auto anyFile = va_arg(args, int32_t);
      auto handleWord = va_arg(args, uint32_t*);
      result = static_cast<int64_t>(reinterpret_cast<uintptr_t>(FindFile(pattern, mask, anyFile != 0, handleWord)));
      break;
    }
    case 1: {
      auto handle = va_arg(args, HANDLE);
      if (handle) FindClose(handle);
      break;
    }
    case 2: {
      auto elementSize = va_arg(args, uint32_t);
      auto variable = va_arg(args, void**);
      PrivateCopy(elementSize, variable);
      break;
    }
    case 3:
      RegisterExitRoutine(va_arg(args, void (*)()));
      break;
    case 4:
    case 5: {
      auto typeCode = va_arg(args, uint32_t);
      auto object = va_arg(args, void*);
      auto index = va_arg(args, int32_t);
      auto member = va_arg(args, int32_t);
      if (number == 4) {
        result = static_cast<int64_t>(GetObjectProperty(typeCode, object, index, member));
        break;
      }
      auto lo = va_arg(args, uint32_t);
      auto hi = va_arg(args, uint32_t);
      SetObjectProperty(typeCode, object, index, member, lo, hi);
      break;
    }
    case 6:
      InitialiseRuntime();
      break;
    default:  // numbers above 6 are not used
      break;
  }
  va_end(args);
  return result;
}


const void* const RuntimeEntryTable[13] __attribute__((section(".rdata$v5"))) = {
    reinterpret_cast<const void*>(&ReportRuntimeError),
    reinterpret_cast<const void*>(&CallDllFunction),
    reinterpret_cast<const void*>(&CallLibraryCommand),
    reinterpret_cast<const void*>(&CallCoreCommand),
    reinterpret_cast<const void*>(&GetProperty),
    reinterpret_cast<const void*>(&SetProperty),
    reinterpret_cast<const void*>(&AllocateBlock),
    reinterpret_cast<const void*>(&ResizeBlock),
    reinterpret_cast<const void*>(&FreeBlock),
    reinterpret_cast<const void*>(&EndProgram),
    reinterpret_cast<const void*>(&RunMessageLoop),
    reinterpret_cast<const void*>(&OpenStartWindow),
    reinterpret_cast<const void*>(&MiscService),
};

}  // namespace rt
