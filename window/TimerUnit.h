// `_QZ_Timer`: the timer unit (`Timer`), an invisible child window whose Win32 timer 1000 raises
// the unit's event 0 at every tick.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"

namespace window {

constexpr char kTimerClass[] = "_QZ_Timer";
constexpr UINT_PTR kTimerId = 1000;

struct TimerState {
  int32_t interval = 0;  // milliseconds; 0 stops the timer
  bool running = false;  // Win32 timer kTimerId is set on the window
};

class TimerUnit : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const;

  const TimerState& State() const { return state_; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnTimer(UINT_PTR id);
  LRESULT OnDestroy();
  void SetInterval(int32_t interval);
  void Start();
  void Stop();

  TimerState state_;
};

void* TimerUnitInterface(int32_t query);

}  // namespace window
