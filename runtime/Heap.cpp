// The runtime heap: every block comes from the process heap; constants are never freed or changed.
#include <windows.h>
#include <cstdio>
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

HANDLE Heap() {
  RuntimeState& state = State();
  if (!state.heap) state.heap = GetProcessHeap();
  return state.heap;
}

[[noreturn]] void ReportAllocationFailure(uint32_t size) {
  char message[64];
  std::snprintf(message, sizeof message, "分配 %d 字节内存失败!", static_cast<int>(size));
  RuntimeError(message, 0);
}

}  // namespace

bool IsConstant(const void* address) {
  const RuntimeState& state = State();
  auto p = static_cast<const uint8_t*>(address);
  return p && state.poolStart && p >= state.poolStart && p < state.poolEnd;
}

void* AllocateQuietly(uint32_t size) { return HeapAlloc(Heap(), 0, size ? size : 1); }

void* AllocateBlock(uint32_t size) {
  void* block = AllocateQuietly(size);
  if (!block) ReportAllocationFailure(size);
  return block;
}

void* ResizeBlock(void* block, uint32_t size) {
  if (!block) return AllocateBlock(size);
  if (IsConstant(block)) {
    // A constant is copied out; the pool itself never changes.
    void* copy = AllocateBlock(size);
    auto from = static_cast<const uint8_t*>(block);
    uint32_t available = static_cast<uint32_t>(State().poolEnd - from);
    std::memcpy(copy, from, size < available ? size : available);
    return copy;
  }
  void* resized = HeapReAlloc(Heap(), 0, block, size ? size : 1);
  if (!resized) ReportAllocationFailure(size);
  return resized;
}

void FreeBlock(void* block) {
  if (!block || IsConstant(block)) return;
  HeapFree(Heap(), 0, block);
}

char* NewText(const char* bytes, uint32_t length) {
  if (!bytes || length == 0) return nullptr;
  auto text = static_cast<char*>(AllocateBlock(length + 1));
  std::memcpy(text, bytes, length);
  text[length] = 0;
  return text;
}

}  // namespace rt
