// The one state record of the runtime, owned by the process for the whole run.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "image/ImageRecords.h"
#include "runtime/Notify.h"
#include "runtime/RegisteredObjects.h"

namespace rt {

struct IdleEntry {
  HWND window;                          // the routine runs while this is a window
  void (*routine)(uintptr_t parameter);
  uintptr_t parameter;
};

struct DeclaredFunction {
  const char* libraryName;   // empty: the standard system libraries
  const char* functionName;  // "#n" for an export by ordinal
  HMODULE module;            // 0 until resolved
  void* address;             // 0 until resolved
};

struct RuntimeState {
  uint32_t programKind = 0;                // header word 0
  uint32_t reserved = 0;                   // header word 1
  uint32_t identifierCounter = 0;          // last serial handed out
  HANDLE heap = nullptr;
  std::string folder;                      // program folder without a trailing backslash
  std::string folderWithSlash;             // the same with one
  std::string fileName;                    // program file name without folder
  DWORD mainThread = 0;
  const uint8_t* poolStart = nullptr;      // constant pool range [start, end)
  const uint8_t* poolEnd = nullptr;
  std::vector<DeclaredFunction> declared;  // one per declared Win32 function
  std::vector<const image::LibraryRecord*> libraries;
  std::vector<int32_t> libraryData;        // one data word per library
  std::vector<IdleEntry> idleRegistry;
  std::vector<void (*)()> exitRoutines;
  HWND hiddenOwner = nullptr;
  HICON icons[2] = {nullptr, nullptr};     // large and small "DEFAULT_ICON"
  std::vector<std::pair<RegisteredObject*, uint8_t>> registeredObjects;  // with their kind bytes, in registration order
  std::vector<IconRecord*> iconRecords;    // codes 2019 to 2021
  bool initialised = false;
  bool oleInitialised = false;
  bool loopEntered = false;
  bool nestedLoop = false;
  bool exitInProgress = false;
  int32_t suppression = 0;                 // events are off while above 0
};

RuntimeState& State();

// Message number with which another thread hands EndProgram to the main thread.
constexpr UINT kEndProgramMessage = 0x83e7;

void* AllocateQuietly(uint32_t size);  // null on failure
// Whether the file search (MiscService 0) takes an entry with these attributes: with anyFile
// every entry but a folder; otherwise one sharing a bit of the mask (cut to 0x37), or for a
// mask of 0 one whose attribute word is 0.
bool MatchesSearchAttributes(uint32_t attributes, uint32_t mask, bool anyFile);
void InitialiseRuntime();          // MiscService 6
void ShutdownRuntime();            // everything of EndProgram but the process exit
void RunLoop(int mode);            // 0 main loop, 1 nested
const struct WindowEngine* Engine();

}  // namespace rt
