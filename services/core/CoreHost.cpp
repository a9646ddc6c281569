#include "services/core/CoreHost.h"

#include <cstring>
#include "runtime/FrameworkWindow.h"
#include "runtime/Notify.h"

namespace corelib::host {

namespace {
rt::NotifyEntry g_entry = nullptr;  // stored by code 1 at start-up; read by every command
}

void SetEntry(int32_t (*entry)(int32_t, int32_t, int32_t)) { g_entry = entry; }

int32_t Call(int32_t code, int32_t first, int32_t second) {
  if (!g_entry) return 0;
  return g_entry(code, first, second);
}

void* Allocate(size_t size) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(Call(rt::kNotifyAllocate, static_cast<int32_t>(size), 0)));
}

char* NewText(const char* bytes, size_t length) {
  if (length == 0) return nullptr;
  auto text = static_cast<char*>(Allocate(length + 1));
  if (!text) return nullptr;
  std::memcpy(text, bytes, length);
  text[length] = '\0';
  return text;
}

int32_t ValueToInt(const rt::ArgTriple& value) {
  return Call(rt::kNotifyValueToInt, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&value)), 0);
}

void* WindowOfUnit(uint32_t windowId, uint32_t unitId, bool quiet) {
  int32_t code = quiet ? rt::kNotifyLocateQuietly : rt::kNotifyLocate;
  auto object = reinterpret_cast<rt::FrameworkWindow*>(
      static_cast<uintptr_t>(Call(code, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId))));
  return object ? object->Handle() : nullptr;
}

}  // namespace corelib::host
