#include "window/Engine.h"
#include <vector>
#include "window/Notifications.h"
#include "window/Properties.h"
#include "window/WindowLoader.h"
#include "window/WindowStore.h"
#include "window/WindowUnit.h"
#include "window/template/TemplateRegion.h"

namespace window {
namespace {

bool LoadTemplates(const uint8_t* region, uint32_t size, uintptr_t codeBase) {
  std::vector<tmpl::WindowTemplate> windows;
  if (!tmpl::ReadRegion(region, size, windows)) return false;
  tmpl::Relocate(windows, uint32_t(codeBase));
  WindowStore::Instance().Add(std::move(windows));
  return true;
}

bool OpenWindow(uint32_t windowId) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  return window && LoadWindow(*window, false, nullptr);
}

bool AnyLiveWindow() { return WindowStore::Instance().AnyLiveWindow(); }

void UnloadAll() { WindowStore::Instance().UnloadAll(); }

// Every live window's idle handler runs; more idle time is asked for when any wants it.
bool Idle(uint32_t millisecondsSinceIdle) {
  WindowStore& store = WindowStore::Instance();
  bool more = false;
  for (size_t i = 0; i < store.Count(); ++i) {
    WindowUnit* unit = AsWindowUnit(store.At(i)->Object(0));
    if (unit && store.At(i)->Exists() && unit->OnIdle(millisecondsSinceIdle)) more = true;
  }
  return more;
}

}  // namespace

const rt::WindowEngine Engine = {
    LoadTemplates, OpenWindow, GetUnitProperty, SetUnitProperty, ServeNotification, AnyLiveWindow, UnloadAll, Idle,
};

}  // namespace window
