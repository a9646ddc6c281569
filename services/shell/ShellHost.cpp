#include "services/shell/ShellHost.h"
#include "runtime/LibraryEntry.h"

#include <cstring>
#include "runtime/Notify.h"
#include "services/shell/ShellLib.h"

namespace shelllib {

namespace {
rt::LibraryEntry g_entry;  // the runtime notification entry, handed over at start
}

int32_t Notify(int32_t code, int32_t first, int32_t) { return g_entry.Take(code, first); }

namespace host {

int32_t Call(int32_t code, int32_t first, int32_t second) {
  rt::NotifyEntry entry = g_entry.Get();
  return entry ? entry(code, first, second) : 0;
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
