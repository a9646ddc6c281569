#include "services/zip/ZipUnit.h"

#include <new>

#include "runtime/Notify.h"
#include "services/zip/ZipLib.h"

namespace ziplib {

const char* const ZipUnit::kClassName = "ZipLibUnit";

// Double clicks only: no cursor, brush or icon, since the window is never shown.
bool ZipUnit::RegisterWindowClass() {
  WNDCLASSA existing;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

rt::UnitObject* ZipUnit::Create(const rt::UnitCreateArgs& args) {
  if (!RegisterWindowClass()) return nullptr;
  ZipUnit* unit = new (std::nothrow) ZipUnit;
  if (!unit) return nullptr;
  unit->windowId = args.windowId;
  unit->unitId = args.unitId;
  const DWORD style = args.style | WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER;
  HWND window = CreateWindowExA(0, kClassName, nullptr, style, args.left, args.top, args.width, args.height,
                                args.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) {
    delete unit;
    return nullptr;
  }
  if (!unit->Subclass(window)) {
    DestroyWindow(window);
    delete unit;
    return nullptr;
  }
  return unit;
}

// The window is gone: the runtime forgets the unit, and the unit frees itself.
void ZipUnit::PostNcDestroy() {
  CallRuntime(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

}  // namespace ziplib
