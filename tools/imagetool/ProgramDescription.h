// The readable description of a compiled program: what its image holds.
//
// The language is line based; '#' starts a comment; words are separated by blanks and a word in
// double quotes may hold blanks, one in single quotes may hold a double quote. Quoted words are
// read as the window description reads its texts (tmpl::ReadQuotedText): no escapes, a
// backslash is a backslash, so "\\" is two. Paths are relative to the file that names them.
//
//   program kind 3 reserved 0 highest-serial 0x10230
//   start NAMESPACE::Function            the compiled program's start routine
//   window-engine window::Engine         the window engine this program links
//   routine NAME SYMBOL                   an event routine; window descriptions bind NAME
//   dll "LIBRARY" "FUNCTION"             a declared Win32 function ("" = standard libraries)
//   include "FILE"                       reads another description file here
//   library NAME                         a support library record, up to "end":
//     identity "TEXT" | version MAJOR MINOR BUILD | system MAJOR MINOR | core MAJOR MINOR
//     state FLAGS | notify SYMBOL | command SYMBOL
//     type "NAME" "ENGLISH" state FLAGS [interface SYMBOL] [properties KIND,KIND,...]
//     empty-types COUNT                  all-zero records of types this program does not use
//   end
//   pool text NAME "TEXT"                a text constant (GBK in the image)
//   pool bytes NAME empty | payload | file "FILE"
//   window "FILE"                        a window description
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imagetool {

struct TypeDescription {
  std::string name, englishName;   // GBK; empty for an unused (all-zero) record
  bool empty = false;              // an all-zero record
  uint32_t state = 0;
  std::string unitInterface;       // C++ symbol, or empty
  std::vector<uint16_t> propertyKinds;
};

struct LibraryDescription {
  std::string name;                // C identifier and library name
  std::string identity;
  uint32_t major = 0, minor = 0, build = 0;
  uint32_t systemMajor = 0, systemMinor = 0, coreMajor = 0, coreMinor = 0;
  uint32_t state = 0;
  std::string notify;              // C++ symbol, or empty
  std::vector<TypeDescription> types;
  std::vector<std::string> commands;  // C++ symbols in the order compiled code knows them
};

struct PoolItem {
  std::string name;
  bool isText = true;
  std::string bytes;               // GBK text (without its zero) or the byte-array contents
  bool isPayload = false;          // the bytes come from the payload file
};

struct RoutineDescription {
  std::string name;                // as window descriptions bind it
  std::string symbol;              // C++ symbol
};

struct ProgramDescription {
  uint32_t kind = 3, reserved = 0, highestSerial = 0;
  std::string startRoutine, windowEngine;
  std::vector<RoutineDescription> routines;
  std::vector<std::pair<std::string, std::string>> dllFunctions;  // (library, function)
  std::vector<LibraryDescription> libraries;
  std::vector<PoolItem> pool;
  std::vector<std::string> windowFiles;
  std::vector<std::string> filesRead;  // every file the image depends on
};

// Reads a description; on failure, error names the file, the line and the item.
bool ReadProgramDescription(const std::string& path, ProgramDescription& out, std::string& error);

}  // namespace imagetool
