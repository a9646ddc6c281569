#include "window/ProcessBar.h"
#include <commctrl.h>
#include <algorithm>
#include "window/CommonControls.h"
#include "window/BlockFields.h"
#include "window/UnitSupport.h"

namespace window {
namespace {

using Block = tmpl::ProcessBarBlock;

enum ProcessBarProperty : int32_t { kBorder = 0, kVertical, kSmooth, kMinimum, kMaximum, kPosition };

const BlockField<Block> kFields[] = {
    NumberField(&Block::Border),  NumberField(&Block::Vertical), NumberField(&Block::Smooth),
    NumberField(&Block::Minimum), NumberField(&Block::Maximum),  NumberField(&Block::Position),
};

constexpr int32_t kLargestValue = 32767;

int32_t ClampValue(int32_t value) { return std::clamp(value, 0, kLargestValue); }

void ClampValues(Block& block) {
  block.Minimum = ClampValue(block.Minimum);
  block.Maximum = ClampValue(block.Maximum);
  block.Position = ClampValue(block.Position);
}

DWORD BarStyle(const Block& block) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (block.Vertical) style |= PBS_VERTICAL;
  if (block.Smooth) style |= PBS_SMOOTH;
  return style;
}

void EnsureProgressClass() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  done = comctl::InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace

rt::UnitObject* ProcessBar::Create(const rt::UnitCreateArgs& args) {
  Block block;
  if (!block.Read(args.block, args.blockSize > 0 ? size_t(args.blockSize) : 0)) return nullptr;
  ClampValues(block);
  EnsureProgressClass();
  BorderStyle border = BorderStyles(block.Border);
  HWND hwnd = CreateWindowExA(border.exStyle, PROGRESS_CLASSA, "", args.style | BarStyle(block) | border.style, args.left,
                              args.top, args.width, args.height, args.parent,
                              reinterpret_cast<HMENU>(uintptr_t(args.controlId)), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto* bar = new ProcessBar();
  bar->windowId = args.windowId;
  bar->unitId = args.unitId;
  bar->state_.block = block;
  if (!bar->Subclass(hwnd)) {
    delete bar;
    DestroyWindow(hwnd);
    return nullptr;
  }
  bar->ApplyRange();
  return bar;
}

// The range runs from the smaller to the larger bound; the position shown is the stored one
// raised to the minimum and lowered to the maximum.
void ProcessBar::ApplyRange() {
  const Block& block = state_.block;
  int32_t low = std::min(block.Minimum, block.Maximum), high = std::max(block.Minimum, block.Maximum);
  SendMessageA(Handle(), PBM_SETRANGE32, WPARAM(low), LPARAM(high));
  SendMessageA(Handle(), PBM_SETPOS, WPARAM(std::min(std::max(block.Position, block.Minimum), block.Maximum)), 0);
  // Painted at once: a program that moves the bar is often busy and pumps no messages meanwhile.
  UpdateWindow(Handle());
}

int32_t ProcessBar::SetProperty(int32_t k, const rt::PropertyData& value) {
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return 0;
  WriteField(state_.block, *field, value);
  ClampValues(state_.block);
  switch (k) {
    case kBorder: ApplyBorder(Handle(), state_.block.Border); return 0;
    case kVertical:
    case kSmooth: return 1;  // drawing styles: the bar is made anew
    default: ApplyRange(); return 0;
  }
}

bool ProcessBar::GetProperty(int32_t k, rt::PropertyData& value) const {
  const BlockField<Block>* field = FieldOf(kFields, k);
  if (!field) return false;
  ReadField(state_.block, *field, value);
  return true;
}

void* ProcessBarUnitInterface(int32_t query) { return CommonUnitRoutine<ProcessBar, Block>(query); }

}  // namespace window
