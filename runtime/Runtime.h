// The runtime's entry points (the thirteen of the entry table, in slot order) and the services
// that the window engine and the libraries of this executable share with it.
#pragma once
#include <cstdint>
#include <type_traits>
#include "runtime/Notify.h"
#include "runtime/Value.h"

namespace rt {

// ---- The runtime entry table -------------------------------------------------------------
[[noreturn]] void ReportRuntimeError(int32_t code);                                     // 0
extern "C" void CallDllFunction();  // 1: declared function index in EAX, its arguments pushed
ArgTriple CallLibraryCommand(Command command, int32_t argCount, ArgTriple* args);       // 2
ArgTriple CallCoreCommand(Command command, int32_t argCount, ArgTriple* args);          // 3
uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member); // 4
uint32_t SetProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member,
                     uint32_t lo, uint32_t hi);                                          // 5
void* AllocateBlock(uint32_t size);                                                      // 6
void* ResizeBlock(void* block, uint32_t size);                                           // 7
void FreeBlock(void* block);                                                             // 8
[[noreturn]] void EndProgram(int32_t exitCode);                                          // 9
void RunMessageLoop();                                                                   // 10
void OpenStartWindow(uint32_t windowId);                                                 // 11
int64_t MiscService(int32_t number, ...);                                                // 12

// Address of each entry in slot order, as compiled code finds them.
extern const void* const RuntimeEntryTable[13];

// ---- Services inside the executable --------------------------------------------------------
// The runtime notification entry handed to every library at start.
int32_t RuntimeNotify(int32_t code, int32_t first, int32_t second);

// The run-time error routine: shows the box, then ends the program with exit code -1.
[[noreturn]] void RuntimeError(const char* message, int32_t code = 0);

// Resolves declared Win32 function n (loading its library once); failures never return.
void* ResolveDllFunction(uint32_t index);

// A 32-bit argument word for a declared function: integers as they are, pointers and handles
// by address.
template <typename T>
uint32_t ToWord(T value) {
  if constexpr (std::is_pointer_v<T>) return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
  else return static_cast<uint32_t>(value);
}

// Calls declared function n with 32-bit arguments, the way compiled code does.
template <typename... Arguments>
uint32_t CallDeclared(uint32_t index, Arguments... arguments) {
  using Function = uint32_t(__stdcall*)(decltype(ToWord(arguments))...);
  return reinterpret_cast<Function>(ResolveDllFunction(index))(ToWord(arguments)...);
}

// A text result: a new runtime block with the bytes and a zero, or null for the empty text.
char* NewText(const char* bytes, uint32_t length);
inline char* NewText(const char* zeroTerminated) {
  return zeroTerminated ? NewText(zeroTerminated, static_cast<uint32_t>(std::strlen(zeroTerminated))) : nullptr;
}
bool IsConstant(const void* address);  // inside the constant pool
// A numeric value as a 32-bit integer (toward zero); any other type is a run-time error.
int32_t ValueToInteger(const ArgTriple& value);

// Event suppression (raised while windows load, during a run-time error, by codes 2009/2010).
void SuppressEvents();
void ResumeEvents();
bool EventsSuppressed();

uint32_t NextIdentifier(uint32_t kindBits);
bool MessageLoopEntered();
bool ExitInProgress();
uint32_t ProgramKind();
void* HiddenOwner();              // HWND of the hidden owner window, or null
const char* ProgramFolder();      // without a trailing backslash
const char* ProgramFileName();
void ProcessPendingMessages();
// The nested loop of a window shown modally: runs until EndNestedLoop is called (or the quit
// message arrives), with the main loop's idle processing.
void RunNestedLoop();
void EndNestedLoop();

// What the window engine plugs into the runtime; the runtime knows windows only through it.
struct WindowEngine {
  // Reads the template region into the window store and relocates its bindings; false when unreadable.
  bool (*loadTemplates)(const uint8_t* region, uint32_t size, uintptr_t codeBase);
  // Creates and shows the window; false when the id is unknown or creation failed.
  bool (*openWindow)(uint32_t windowId);
  uint64_t (*getProperty)(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member);
  uint32_t (*setProperty)(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member, uint32_t lo, uint32_t hi);
  // Serves the window-related notification codes; sets *handled when the code is its own.
  int32_t (*notify)(int32_t code, int32_t first, int32_t second, bool* handled);
  bool (*anyLiveWindow)();
  void (*unloadAll)();                          // deletes every template with its window objects
  // The windows' idle handlers, from the third idle pass after a real message on (idleCount 2
  // is the first call of a round); true asks for more.
  bool (*idle)(long idleCount, uint32_t millisecondsSinceIdle);
  // Properties of a library object that is not a control (MiscService 4 and 5): property k of
  // the type that typeCode names, converted by its kind.
  uint64_t (*getObjectProperty)(uint32_t typeCode, void* object, int32_t k, int32_t member);
  void (*setObjectProperty)(uint32_t typeCode, void* object, int32_t k, int32_t member, uint32_t lo, uint32_t hi);
};
void InstallWindowEngine(const WindowEngine* engine);

}  // namespace rt
