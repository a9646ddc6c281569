#include "window/Engine.h"
#include <vector>
#include "window/IdleHandlers.h"
#include "window/Notifications.h"
#include "window/Properties.h"
#include "window/WindowLoader.h"
#include "window/WindowStore.h"
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

}  // namespace

const rt::WindowEngine Engine = {
    LoadTemplates,   OpenWindow, GetUnitProperty, SetUnitProperty,   ServeNotification,
    AnyLiveWindow,   UnloadAll,  RunIdleHandlers, GetObjectProperty, SetObjectProperty,
};

}  // namespace window
