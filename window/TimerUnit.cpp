// `_QZ_Timer`: ticks through Win32 timer 1000 on its own invisible window.
#include "window/TimerUnit.h"

#include <memory>
#include "runtime/Runtime.h"
#include "window/UnitSupport.h"
#include "window/template/PropertyBlocks.h"

namespace window {

namespace {
constexpr int32_t kInterval = 0;  // the type's only property
}  // namespace

rt::UnitObject* TimerUnit::Create(const rt::UnitCreateArgs& args) {
  tmpl::TimerBlock block;
  if (!block.Read(args.block, args.blockSize > 0 ? static_cast<size_t>(args.blockSize) : 0)) return nullptr;
  if (!RegisterSkinClass(kTimerClass, CS_DBLCLKS)) return nullptr;
  // The window engine passes no visible bit: a timer has no visible window.
  HWND hwnd = CreateUnitWindow(0, kTimerClass, "", args.style, args);
  if (!hwnd) return nullptr;
  auto timer = std::make_unique<TimerUnit>();
  if (!timer->Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  timer->windowId = args.windowId;
  timer->unitId = args.unitId;
  timer->state_.interval = block.Interval > 0 ? block.Interval : 0;
  if (timer->state_.interval > 0) timer->Start();
  return timer.release();
}

void TimerUnit::Start() {
  state_.running = SetTimer(Handle(), kTimerId, static_cast<UINT>(state_.interval), nullptr) != 0;
}

void TimerUnit::Stop() {
  if (!state_.running) return;
  KillTimer(Handle(), kTimerId);
  state_.running = false;
}

// An unchanged interval leaves a running timer alone, so its period is not restarted.
void TimerUnit::SetInterval(int32_t interval) {
  if (interval < 0) interval = 0;
  if (interval == state_.interval) return;
  Stop();
  state_.interval = interval;
  if (interval > 0) Start();
}

LRESULT TimerUnit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wParam));
    case WM_DESTROY: OnDestroy(); break;
    default: break;
  }
  return Default(message, wParam, lParam);
}

LRESULT TimerUnit::OnTimer(UINT_PTR id) {
  if (id == kTimerId) RaiseUnitEvent(rt::RuntimeNotify, *this, 0);
  return 0;
}

LRESULT TimerUnit::OnDestroy() {
  Stop();
  return 0;
}

void TimerUnit::PostNcDestroy() {
  rt::RuntimeNotify(rt::kNotifyControlDestroyed, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
  delete this;
}

int32_t TimerUnit::SetProperty(int32_t k, const rt::PropertyData& value) {
  if (k == kInterval) SetInterval(static_cast<int32_t>(value.number));
  return 0;
}

bool TimerUnit::GetProperty(int32_t k, rt::PropertyData& value) const {
  if (k != kInterval) return false;
  value.number = state_.interval;
  return true;
}

std::string TimerUnit::WriteBlock() const {
  tmpl::TimerBlock block;
  block.Interval = state_.interval;
  return block.Write();
}

void* TimerUnitInterface(int32_t query) { return CommonUnitRoutine<TimerUnit, tmpl::TimerBlock>(query); }

}  // namespace window
