// `_QZ_Timer`: ticks become event 0; `Interval` starts, stops and leaves the timer alone.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestSupport.h"
#include "window/TimerUnit.h"
#include "window/template/PropertyBlocks.h"

using namespace skintest;

namespace {

constexpr uint32_t kUnit = 0x160100F0;

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingEngine();
    host_ = SharedHost();
    ClearRecords();
  }
  void TearDown() override { ClearHost(); }

  window::TimerUnit* Create(int32_t interval) {
    tmpl::TimerBlock block;
    block.Interval = interval;
    std::string bytes = interval < 0 ? std::string() : block.Write();  // below 0: an empty block
    auto create = reinterpret_cast<rt::UnitCreate>(window::TimerUnitInterface(rt::kUnitCreate));
    return static_cast<window::TimerUnit*>(create(MakeCreateArgs(host_, bytes, 0, 0, 32, 32, kUnit, 0)));
  }
  static void SetInterval(window::TimerUnit* timer, int32_t interval) {
    auto set = reinterpret_cast<rt::UnitSetProperty>(window::TimerUnitInterface(rt::kUnitSetProperty));
    rt::PropertyData value;
    value.number = interval;
    set(timer, 0, value);
  }
  static int32_t Interval(window::TimerUnit* timer) {
    auto get = reinterpret_cast<rt::UnitGetProperty>(window::TimerUnitInterface(rt::kUnitGetProperty));
    rt::PropertyData value;
    EXPECT_TRUE(get(timer, 0, value));
    return static_cast<int32_t>(value.number);
  }
  static size_t Ticks() {
    size_t ticks = 0;
    for (const RaisedEvent& e : Events()) ticks += e.unitId == kUnit && e.event == 0;
    return ticks;
  }

  HWND host_ = nullptr;
};

}  // namespace

TEST_F(TimerTest, TicksRaiseEventZeroUntilIntervalZeroStopsThem) {
  window::TimerUnit* timer = Create(-1);  // the installer's timer: no block, interval 0
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(IsWindowVisible(timer->Handle()));
  EXPECT_EQ(Interval(timer), 0);
  Pump(200);
  EXPECT_EQ(Ticks(), 0u) << "stopped from the start";
  SetInterval(timer, 30);
  Pump(400);
  EXPECT_GE(Ticks(), 3u);
  SetInterval(timer, 0);
  Pump(50);  // a tick already queued may still arrive
  size_t stopped = Ticks();
  Pump(300);
  EXPECT_EQ(Ticks(), stopped);
  EXPECT_FALSE(timer->State().running);
}

TEST_F(TimerTest, CreatedWithAnIntervalItRunsAtOnce) {
  window::TimerUnit* timer = Create(25);
  ASSERT_NE(timer, nullptr);
  Pump(300);
  EXPECT_GE(Ticks(), 3u);
  SetInterval(timer, -20);  // taken as 0
  EXPECT_EQ(Interval(timer), 0);
  EXPECT_FALSE(timer->State().running);
}

// A timer restarted on every write would never get to tick here: the same interval is written
// again every 20 ms for well over its period.
TEST_F(TimerTest, WritingTheSameIntervalAgainDoesNotRestartIt) {
  window::TimerUnit* timer = Create(0);
  ASSERT_NE(timer, nullptr);
  SetInterval(timer, 250);
  for (int i = 0; i < 60; ++i) {
    Pump(20);
    SetInterval(timer, 250);
  }
  EXPECT_GE(Ticks(), 2u);
  // A different interval does restart it.
  size_t before = Ticks();
  for (int i = 0; i < 30; ++i) {
    SetInterval(timer, 400 + i % 2);
    Pump(20);
  }
  EXPECT_EQ(Ticks(), before) << "every change restarts the period";
}
