#include "tests/core/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/Notify.h"
#include "runtime/Runtime.h"

namespace testhost {

namespace {

bool g_folderSet = false;
const char* g_programFolder = nullptr;
bool g_windowsSet = false;
std::vector<HWND> g_windows;
int32_t g_liveBlocks = 0;
std::vector<int32_t> g_codes;

int32_t Pointer(const void* p) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

int32_t Notify(int32_t code, int32_t first, int32_t second) {
  g_codes.push_back(code);
  switch (code) {
    case rt::kNotifyAllocate: {
      const int32_t block = rt::RuntimeNotify(code, first, second);
      if (block) ++g_liveBlocks;
      return block;
    }
    case rt::kNotifyFree:
      if (first) --g_liveBlocks;
      break;
    case rt::kNotifyProgramFolder:
      if (g_folderSet) return Pointer(g_programFolder);
      break;
    case rt::kNotifyLoadedWindowCount:
      if (g_windowsSet) return static_cast<int32_t>(g_windows.size());
      break;
    case rt::kNotifyWindowHandleAt:
      if (!g_windowsSet) break;
      return (first >= 0 && static_cast<size_t>(first) < g_windows.size()) ? Pointer(g_windows[first]) : 0;
    default: break;
  }
  return rt::RuntimeNotify(code, first, second);
}

void SetProgramFolder(const char* folder) {
  g_folderSet = true;
  g_programFolder = folder;
}
void UseRuntimeFolder() { g_folderSet = false; }
void SetLoadedWindows(const std::vector<HWND>& windows) {
  g_windowsSet = true;
  g_windows = windows;
}
void UseRuntimeWindows() { g_windowsSet = false; }
int32_t LiveBlocks() { return g_liveBlocks; }
const std::vector<int32_t>& CodesAsked() { return g_codes; }
void ResetCodesAsked() { g_codes.clear(); }

rt::ArgTriple Call(rt::Command command, std::vector<rt::ArgTriple> args) {
  rt::ArgTriple result{0, 0, 0};
  command(&result, static_cast<int32_t>(args.size()), args.empty() ? nullptr : args.data());
  return result;
}

namespace {
void FreeBlock(const void* block) { Notify(rt::kNotifyFree, Pointer(block), 0); }
}  // namespace

std::string TakeText(const rt::ArgTriple& result) {
  EXPECT_EQ(result.type, rt::kTypeText);
  if (result.lo == 0) return {};
  std::string text = result.Text();
  EXPECT_FALSE(text.empty()) << "an empty text must come back as null";
  FreeBlock(result.Text());
  return text;
}

std::vector<std::string> TakeTextArray(const rt::ArgTriple& result) {
  EXPECT_EQ(result.type, rt::kTypeText | rt::kArrayBit);
  std::vector<std::string> elements;
  if (result.lo == 0) {
    ADD_FAILURE() << "an array result is a block, also when empty";
    return elements;
  }
  auto words = reinterpret_cast<const uint32_t*>(result.Pointer());
  EXPECT_EQ(words[0], 1u);
  for (uint32_t i = 0; i < words[1]; ++i) {
    elements.push_back(TakeText(rt::TextArg(reinterpret_cast<const char*>(static_cast<uintptr_t>(words[2 + i])))));
  }
  FreeBlock(words);
  return elements;
}

rt::ArgTriple DoubleArg(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  return {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), rt::kTypeDouble};
}
rt::ArgTriple DateArg(double days) {
  rt::ArgTriple arg = DoubleArg(days);
  arg.type = rt::kTypeDateTime;
  return arg;
}
rt::ArgTriple FloatArg(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return {bits, 0, rt::kTypeFloat};
}
rt::ArgTriple LongArg(int64_t value) {
  return {static_cast<uint32_t>(value), static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32), rt::kTypeLong};
}
rt::ArgTriple ByteValueArg(uint8_t value) { return {value, 0, rt::kTypeByte}; }
rt::ArgTriple ShortArg(int16_t value) { return {static_cast<uint32_t>(static_cast<uint16_t>(value)), 0, rt::kTypeShort}; }

ByteArray::ByteArray(const std::string& bytes) : block_(2 + (bytes.size() + 3) / 4, 0) {
  block_[0] = 1;
  block_[1] = static_cast<uint32_t>(bytes.size());
  std::memcpy(block_.data() + 2, bytes.data(), bytes.size());
}
ByteArray::ByteArray(std::initializer_list<uint8_t> bytes)
    : ByteArray(std::string(bytes.begin(), bytes.end())) {}

}  // namespace testhost
