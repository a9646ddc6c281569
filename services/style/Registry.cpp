#include "services/style/Registry.h"

namespace stylelib::registry {
namespace {

ControlRecord* g_head = nullptr;  // newest first

}  // namespace

ControlRecord* Find(HWND window) {
  for (ControlRecord* r = g_head; r; r = r->next) {
    if (r->window == window) return r;
  }
  return nullptr;
}

ControlRecord* Add(HWND window) {
  auto* record = static_cast<ControlRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ControlRecord)));
  if (!record) return nullptr;
  record->window = window;
  record->next = g_head;
  g_head = record;
  return record;
}

void Remove(ControlRecord* record) {
  for (ControlRecord** link = &g_head; *link; link = &(*link)->next) {
    if (*link != record) continue;
    *link = record->next;
    HeapFree(GetProcessHeap(), 0, record);
    return;
  }
}

ControlRecord* FirstActive() {
  for (ControlRecord* r = g_head; r; r = r->next) {
    if (!r->dormant) return r;
  }
  return nullptr;
}

int32_t ActiveCount() {
  int32_t count = 0;
  for (ControlRecord* r = g_head; r; r = r->next) count += r->dormant ? 0 : 1;
  return count;
}

}  // namespace stylelib::registry
