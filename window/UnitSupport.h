// What every unit type of the window engine shares: registering the runtime's window classes,
// creating a unit's window, the six border looks, reading a window's text, raising a unit's event
// and the common unit-interface routines.
#pragma once
#include <windows.h>
#include <cstdint>
#include <initializer_list>
#include <string>
#include "runtime/Notify.h"
#include "runtime/UnitObject.h"

namespace window {

// Registers one of the runtime's classes in the program's module on first use: the default
// window procedure (our framework subclasses every window), no icon, the arrow cursor and the
// null brush. False when the class can be neither found nor registered.
bool RegisterSkinClass(const char* className, UINT classStyle);

// Creates a unit's child window (WS_CHILD and WS_CLIPSIBLINGS added to style) hidden, whatever
// style says: Win32 erases a window shown during creation before our object can serve it.
// ShowCreatedWindow then shows it when style asked for it.
HWND CreateUnitWindow(DWORD exStyle, const char* className, const char* title, DWORD style,
                      const rt::UnitCreateArgs& args);
void ShowCreatedWindow(HWND hwnd, DWORD style);

// Styles of border values 0 (none) to 5 (single line); other values draw no border.
struct BorderStyle {
  DWORD exStyle;  // extended style bits
  DWORD style;    // window style bits
};
BorderStyle BorderStyles(int32_t border);
// Replaces the border bits of a live window and has its frame recomputed.
void ApplyBorder(HWND hwnd, int32_t border);

// The window's text as the "A" functions give it (GBK); empty for no window.
std::string WindowText(HWND hwnd);

// Raises event `event` of a unit through the given runtime notification entry (code 2008).
// Returns the filled record: hasResult and result carry the routine's answer back.
rt::EventRecord RaiseUnitEvent(rt::NotifyEntry entry, const rt::UnitObject& unit, int32_t event,
                               std::initializer_list<uint32_t> args = {});

// Answers the unit-interface queries every type has (create, set, write block, get) for a unit
// class with static Create and members SetProperty, WriteBlock and GetProperty; a null unit
// writes the stored defaults of Block.
template <typename Unit, typename Block>
void* CommonUnitRoutine(int32_t query) {
  rt::UnitCreate create = &Unit::Create;
  rt::UnitSetProperty set = [](rt::UnitObject* unit, int32_t k, const rt::PropertyData& value) {
    return static_cast<Unit*>(unit)->SetProperty(k, value);
  };
  rt::UnitWriteBlock write = [](rt::UnitObject* unit, std::string& block) {
    block = unit ? static_cast<Unit*>(unit)->WriteBlock() : Block().Write();
    return true;
  };
  rt::UnitGetProperty get = [](rt::UnitObject* unit, int32_t k, rt::PropertyData& value) {
    return static_cast<Unit*>(unit)->GetProperty(k, value);
  };
  switch (query) {
    case rt::kUnitCreate: return reinterpret_cast<void*>(create);
    case rt::kUnitSetProperty: return reinterpret_cast<void*>(set);
    case rt::kUnitWriteBlock: return reinterpret_cast<void*>(write);
    case rt::kUnitGetProperty: return reinterpret_cast<void*>(get);
    default: return nullptr;
  }
}

}  // namespace window
