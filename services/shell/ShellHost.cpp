#include "services/shell/ShellHost.h"

#include <cstring>
#include "runtime/Notify.h"
#include "services/shell/ShellLib.h"

namespace shelllib {

namespace {
rt::NotifyEntry g_entry = nullptr;  // stored by code 1 at start-up
}

int32_t Notify(int32_t code, int32_t first, int32_t second) {
  (void)second;
  if (code != 1) return -1;
  g_entry = reinterpret_cast<rt::NotifyEntry>(static_cast<uintptr_t>(first));
  return 0;
}

namespace host {

int32_t Call(int32_t code, int32_t first, int32_t second) {
  if (!g_entry) return 0;
  return g_entry(code, first, second);
}

char* NewText(const std::string& text) {
  if (text.empty()) return nullptr;
  auto block = reinterpret_cast<char*>(
      static_cast<uintptr_t>(Call(rt::kNotifyAllocate, static_cast<int32_t>(text.size() + 1), 0)));
  if (!block) return nullptr;
  std::memcpy(block, text.c_str(), text.size() + 1);
  return block;
}

}  // namespace host
}  // namespace shelllib
