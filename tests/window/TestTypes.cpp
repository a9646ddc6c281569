// The test library's unit types: a paged container standing in for a page control, and a unit
// whose type filters the window's messages.
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "tests/window/WindowTestSupport.h"

namespace windowtest {
namespace {

constexpr int32_t kCurrentPage = 4;  // own property of a paged container
constexpr UINT kShowPageMessage = 0x83F2;

// A plain child window that holds its pages' units; changing the page tells its parent window.
class TestPanel : public rt::UnitObject {
 public:
  int32_t page = 0;  // the current page

 protected:
  void PostNcDestroy() override { delete this; }
};

rt::UnitObject* CreatePanel(const rt::UnitCreateArgs& args) {
  HWND hwnd = CreateWindowExA(0, "STATIC", "", args.style | WS_CHILD | WS_CLIPCHILDREN, args.left, args.top, args.width,
                              args.height, args.parent, reinterpret_cast<HMENU>(uintptr_t(args.controlId)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto* panel = new TestPanel();
  panel->Subclass(hwnd);
  return panel;
}

int32_t SetPanelProperty(rt::UnitObject* unit, int32_t k, const rt::PropertyData& value) {
  if (k != kCurrentPage) return 0;
  auto* panel = static_cast<TestPanel*>(unit);
  panel->page = int32_t(value.number);
  SendMessageA(GetParent(panel->Handle()), kShowPageMessage, reinterpret_cast<WPARAM>(panel->Handle()), 0);
  return 0;
}

bool GetPanelProperty(rt::UnitObject* unit, int32_t k, rt::PropertyData& value) {
  if (k != kCurrentPage) return false;
  value.number = static_cast<TestPanel*>(unit)->page;
  return true;
}

bool WritePanelBlock(rt::UnitObject*, std::string& block) {
  block.clear();
  return true;
}

// A button-like unit whose filter consumes every typed "q".
class TestFilter : public rt::UnitObject {
 protected:
  void PostNcDestroy() override { delete this; }
};

rt::UnitObject* CreateFilter(const rt::UnitCreateArgs& args) {
  HWND hwnd = CreateWindowExA(0, "STATIC", "filter", args.style | WS_CHILD, args.left, args.top, args.width, args.height,
                              args.parent, reinterpret_cast<HMENU>(uintptr_t(args.controlId)), GetModuleHandleA(nullptr),
                              nullptr);
  if (!hwnd) return nullptr;
  auto* filter = new TestFilter();
  filter->Subclass(hwnd);
  return filter;
}

bool FilterMessage(rt::UnitObject*, MSG* message) { return message->message == WM_CHAR && message->wParam == 'q'; }

// A library object that is not a control: a counter, a name, a flag and a choice.
bool GetObjectProperty(rt::UnitObject* unit, int32_t k, rt::PropertyData& value) {
  auto* object = reinterpret_cast<TestObject*>(unit);
  switch (k) {
    case 0: value.number = object->count; return true;
    case 1: value.bytes = object->name; return true;
    case 2: value.number = object->flag; return true;
    case 3: value.number = object->choice; return true;
    default: return false;
  }
}

int32_t SetObjectProperty(rt::UnitObject* unit, int32_t k, const rt::PropertyData& value) {
  auto* object = reinterpret_cast<TestObject*>(unit);
  switch (k) {
    case 0: object->count = int32_t(value.number); break;
    case 1: object->name = value.bytes; break;
    case 2: object->flag = int32_t(value.number); break;
    case 3: object->choice = int32_t(value.number); break;
    default: break;
  }
  return 0;
}

}  // namespace

void* TestObjectInterface(int32_t query) {
  switch (query) {
    case rt::kUnitSetProperty: return reinterpret_cast<void*>(&SetObjectProperty);
    case rt::kUnitGetProperty: return reinterpret_cast<void*>(&GetObjectProperty);
    default: return nullptr;
  }
}

void* TestPanelInterface(int32_t query) {
  switch (query) {
    case rt::kUnitCreate: return reinterpret_cast<void*>(&CreatePanel);
    case rt::kUnitSetProperty: return reinterpret_cast<void*>(&SetPanelProperty);
    case rt::kUnitGetProperty: return reinterpret_cast<void*>(&GetPanelProperty);
    case rt::kUnitWriteBlock: return reinterpret_cast<void*>(&WritePanelBlock);
    default: return nullptr;
  }
}

void* TestFilterInterface(int32_t query) {
  switch (query) {
    case rt::kUnitCreate: return reinterpret_cast<void*>(&CreateFilter);
    case rt::kUnitFilterMessage: return reinterpret_cast<void*>(&FilterMessage);
    default: return nullptr;
  }
}

}  // namespace windowtest
