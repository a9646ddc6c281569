// What a library sees of the runtime in these tests: the runtime's own notification entry, seen
// through a spy that counts the blocks handed out and lets a test stand in for the program
// folder (code 2003) and the list of loaded windows (codes 2032/2033); and helpers to call a
// command and take its results apart. The test executable initialises the runtime first.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/Value.h"

namespace testhost {

int32_t Notify(int32_t code, int32_t first, int32_t second);

// Stand-in answers of code 2003 and codes 2032/2033, until the Use... call hands them back to
// the runtime.
void SetProgramFolder(const char* folder);
void UseRuntimeFolder();
void SetLoadedWindows(const std::vector<HWND>& windows);
void UseRuntimeWindows();
// Blocks allocated through code 2024 and not yet freed through code 2025.
int32_t LiveBlocks();
// Every notification code asked for since the last reset, in order.
const std::vector<int32_t>& CodesAsked();
void ResetCodesAsked();

// Calls a command the way the runtime does: a zeroed result triple, the count, the triples.
rt::ArgTriple Call(rt::Command command, std::vector<rt::ArgTriple> args);

// A text result as a string (null: empty); the block is freed. Fails the test when the result is
// an allocated empty text or not a text at all.
std::string TakeText(const rt::ArgTriple& result);
// An array-of-texts result with its element texts; the blocks are freed.
std::vector<std::string> TakeTextArray(const rt::ArgTriple& result);

// Values as compiled code lays them out.
rt::ArgTriple DoubleArg(double value);
rt::ArgTriple FloatArg(float value);
rt::ArgTriple LongArg(int64_t value);
rt::ArgTriple ByteValueArg(uint8_t value);
rt::ArgTriple ShortArg(int16_t value);
rt::ArgTriple DateArg(double days);

// A byte-array value (word 1, length, bytes) that lives as long as the object.
class ByteArray {
 public:
  explicit ByteArray(const std::string& bytes);
  ByteArray(std::initializer_list<uint8_t> bytes);
  rt::ArgTriple Arg() const { return rt::BytesArg(block_.data()); }
  const void* Block() const { return block_.data(); }

 private:
  std::vector<uint32_t> block_;
};

// A numeric array value of one dimension.
template <typename Element>
std::vector<uint32_t> NumericArray(std::initializer_list<Element> elements) {
  std::vector<uint32_t> block(2 + (elements.size() * sizeof(Element) + 3) / 4, 0);
  block[0] = 1;
  block[1] = static_cast<uint32_t>(elements.size());
  std::memcpy(block.data() + 2, elements.begin(), elements.size() * sizeof(Element));
  return block;
}

}  // namespace testhost
