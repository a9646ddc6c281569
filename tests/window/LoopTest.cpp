// The window engine inside the runtime's loops: windows loaded modally, which keep the routine
// that opened them waiting in the nested loop until they close, and the windows' idle handlers
// with their exclusion list.
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include "runtime/Runtime.h"
#include "tests/window/WindowTestSupport.h"

namespace windowtest {
namespace {

int32_t Word(const void* pointer) { return int32_t(reinterpret_cast<uintptr_t>(pointer)); }

// Steps that run one per timer tick inside whichever loop is running, so that a test can look
// at the program and act on it while a routine waits for a modal window. Should the loop still
// run well after the last step, `rescue` ends it: a fault then fails the test instead of
// hanging it.
class Script {
 public:
  Script(std::vector<std::function<void()>> steps, std::function<void()> rescue)
      : steps_(std::move(steps)), rescue_(std::move(rescue)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Done() const { return next_ >= steps_.size(); }

 private:
  static constexpr UINT kTickMs = 100;
  static constexpr int kRescueTicks = 30;

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = current_;
    if (!script || script->running_) return;
    script->running_ = true;
    if (!script->Done()) script->steps_[script->next_++]();
    else if (++script->ticksAfterSteps_ == kRescueTicks) {
      ADD_FAILURE() << "the loop did not end after the last step";
      script->rescue_();
    }
    script->running_ = false;
  }

  static Script* current_;
  std::vector<std::function<void()>> steps_;
  std::function<void()> rescue_;
  UINT_PTR timer_ = 0;
  size_t next_ = 0;
  int ticksAfterSteps_ = 0;
  bool running_ = false;  // a step is running (it may pump messages)
};
Script* Script::current_ = nullptr;

// Pumps through the runtime's pre-translation until `done` holds, for at most about six seconds.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 300 && !done(); ++i) Pump(20);
  return done();
}

// ---- Modal windows ----------------------------------------------------------------------------

// Record of notification code 2005.
struct OpenWindowRecord {
  uint32_t windowId;
  void* owner;            // unit object whose window becomes the parent, or null
  int32_t creationFlag;   // nonzero: modal
};

int32_t OpenThroughNotification(uint32_t windowId, int32_t creationFlag) {
  OpenWindowRecord record = {windowId, nullptr, creationFlag};
  return rt::RuntimeNotify(rt::kNotifyOpenWindow, Word(&record), 0);
}

// What a routine that opens a window modally did, by the unit whose event ran it.
struct ModalOpening {
  uint32_t target = 0;     // the window it opens
  int32_t result = 99;     // what code 2005 answered
  bool returned = false;   // code 2005 came back and the routine went on
};
std::map<uint32_t, ModalOpening>& Openings() {
  static std::map<uint32_t, ModalOpening> openings;
  return openings;
}

void OpenModally(const uint32_t*, int32_t, rt::EventResult*) {
  uint32_t source[2] = {0, 0};
  rt::RuntimeNotify(rt::kNotifyEventSource, Word(source), 0);
  ModalOpening& opening = Openings()[source[1]];
  opening.result = OpenThroughNotification(opening.target, 1);
  opening.returned = true;
}

// A window whose left-button press opens `target` modally.
struct Opener {
  WindowBuilder builder;
  HWND hwnd = nullptr;

  explicit Opener(uint32_t target) {
    builder.Bind(builder.WindowUnitId(), -1, OpenModally);
    Openings()[builder.WindowUnitId()].target = target;
  }
  const ModalOpening& Opening() { return Openings()[builder.WindowUnitId()]; }
  void Press() { PostMessageA(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5)); }
};

void DestroyIfOpen(uint32_t windowId) {
  if (HWND hwnd = UnitHandle(windowId, 0)) DestroyWindow(hwnd);
}

class Modal : public testing::Test {
 protected:
  void SetUp() override {
    ClearLog();
    Openings().clear();
  }
};

TEST_F(Modal, AModalWindowKeepsTheOthersDisabledAndItsOpenerWaitingUntilEscClosesIt) {
  WindowBuilder disabledBefore;
  HWND disabled = disabledBefore.Open();
  EnableWindow(disabled, FALSE);
  WindowBuilder bystanderBuilder;
  HWND bystander = bystanderBuilder.Open();
  WindowBuilder second;
  second.Bind(second.WindowUnitId(), 2, RecordRoutine(2));
  uint32_t modalId = second.Load();
  Opener first(modalId);
  first.hwnd = first.builder.Open();
  Focus(first.hwnd);
  // Next in line below the modal window, so that only the engine's own choice activates the first.
  SetWindowPos(bystander, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  struct Seen {
    HWND modal = nullptr, owner = nullptr, active = nullptr;
    bool firstEnabled = true, bystanderEnabled = true, disabledEnabled = true, modalEnabled = false, returned = true;
  } seen;
  Script script({[&] {
                  seen.modal = UnitHandle(modalId, 0);
                  seen.owner = GetWindow(seen.modal, GW_OWNER);
                  seen.active = GetActiveWindow();
                  seen.firstEnabled = IsWindowEnabled(first.hwnd);
                  seen.bystanderEnabled = IsWindowEnabled(bystander);
                  seen.disabledEnabled = IsWindowEnabled(disabled);
                  seen.modalEnabled = IsWindowEnabled(seen.modal);
                  seen.returned = first.Opening().returned;
                  QueueKeyPress(VK_ESCAPE);
                }},
                [&] { DestroyIfOpen(modalId); });
  first.Press();
  ASSERT_TRUE(PumpUntil([&] { return first.Opening().returned; }));

  ASSERT_NE(seen.modal, nullptr);
  EXPECT_FALSE(seen.returned);
  EXPECT_FALSE(seen.firstEnabled);
  EXPECT_FALSE(seen.bystanderEnabled);
  EXPECT_FALSE(seen.disabledEnabled);
  EXPECT_TRUE(seen.modalEnabled);
  EXPECT_EQ(seen.active, seen.modal);
  EXPECT_EQ(seen.owner, static_cast<HWND>(rt::HiddenOwner()));

  EXPECT_EQ(first.Opening().result, 0);
  EXPECT_FALSE(IsWindow(seen.modal));
  EXPECT_EQ(LoggedEvents(second.WindowUnitId()), (std::vector<int32_t>{2}));
  // Each window is back as it was, and the first is active again.
  EXPECT_TRUE(IsWindowEnabled(first.hwnd));
  EXPECT_TRUE(IsWindowEnabled(bystander));
  EXPECT_FALSE(IsWindowEnabled(disabled));
  EXPECT_EQ(GetActiveWindow(), first.hwnd);
  EnableWindow(disabled, TRUE);
}

// A first window whose press opens a middle window modally, whose press opens an inner one.
struct ModalChain {
  WindowBuilder innerBuilder;
  uint32_t innerId = innerBuilder.Load();
  Opener middle{innerId};
  uint32_t middleId = middle.builder.Load();
  Opener first{middleId};

  ModalChain() {
    first.hwnd = first.builder.Open();
    Focus(first.hwnd);
  }
  // Run in the middle window's loop: opens the inner window.
  void OpenInner() {
    middle.hwnd = UnitHandle(middleId, 0);
    middle.Press();
  }
  void Rescue() {
    DestroyIfOpen(innerId);
    DestroyIfOpen(middleId);
  }
};

struct ChainState {
  bool firstEnabled = true, middleEnabled = true, middleReturned = true, firstReturned = true;
};
ChainState StateOf(ModalChain& chain) {
  return {IsWindowEnabled(chain.first.hwnd) != FALSE, IsWindowEnabled(chain.middle.hwnd) != FALSE,
          chain.middle.Opening().returned, chain.first.Opening().returned};
}

TEST_F(Modal, AModalWindowOpenedFromAModalWindowGivesBackOnlyWhatItTook) {
  ModalChain chain;
  HWND inner = nullptr;
  ChainState whileInner, afterInner;
  Script script({[&] { chain.OpenInner(); },
                 [&] {  // in the inner window's loop, inside the middle window's
                   inner = UnitHandle(chain.innerId, 0);
                   whileInner = StateOf(chain);
                   PostMessageA(inner, WM_CLOSE, 0, 0);
                 },
                 [&] {  // back in the middle window's loop
                   afterInner = StateOf(chain);
                   PostMessageA(chain.middle.hwnd, WM_CLOSE, 0, 0);
                 }},
                [&] { chain.Rescue(); });
  chain.first.Press();
  ASSERT_TRUE(PumpUntil([&] { return chain.first.Opening().returned; }));

  ASSERT_NE(inner, nullptr);
  EXPECT_FALSE(whileInner.firstEnabled);
  EXPECT_FALSE(whileInner.middleEnabled);
  EXPECT_FALSE(whileInner.middleReturned);
  EXPECT_FALSE(whileInner.firstReturned);
  // The inner window gave the middle one back; the first stays disabled for the middle one.
  EXPECT_FALSE(afterInner.firstEnabled);
  EXPECT_TRUE(afterInner.middleEnabled);
  EXPECT_TRUE(afterInner.middleReturned);
  EXPECT_FALSE(afterInner.firstReturned);
  EXPECT_EQ(chain.middle.Opening().result, 0);

  EXPECT_EQ(chain.first.Opening().result, 0);
  EXPECT_FALSE(IsWindow(chain.middle.hwnd));
  EXPECT_TRUE(IsWindowEnabled(chain.first.hwnd));
  EXPECT_EQ(GetActiveWindow(), chain.first.hwnd);
}

// A routine may take down a modal window while a later one is open: its opener then waits for
// the later one, and the first window stays disabled until that one has closed too.
TEST_F(Modal, AModalWindowDestroyedBeneathALaterOneEndsItsWaitOnlyAfterThatOne) {
  ModalChain chain;
  HWND inner = nullptr;
  ChainState afterMiddleWent;
  bool innerOpenAfterMiddleWent = false;
  Script script({[&] { chain.OpenInner(); },
                 [&] {
                   inner = UnitHandle(chain.innerId, 0);
                   DestroyWindow(chain.middle.hwnd);
                 },
                 [&] {
                   innerOpenAfterMiddleWent = IsWindow(inner) != FALSE;
                   afterMiddleWent = StateOf(chain);
                   PostMessageA(inner, WM_CLOSE, 0, 0);
                 }},
                [&] { chain.Rescue(); });
  chain.first.Press();
  ASSERT_TRUE(PumpUntil([&] { return chain.first.Opening().returned; }));

  ASSERT_NE(inner, nullptr);
  EXPECT_TRUE(innerOpenAfterMiddleWent);
  EXPECT_FALSE(afterMiddleWent.firstEnabled);
  EXPECT_FALSE(afterMiddleWent.middleReturned);
  EXPECT_FALSE(afterMiddleWent.firstReturned);
  EXPECT_TRUE(chain.middle.Opening().returned);
  EXPECT_FALSE(IsWindow(inner));
  EXPECT_TRUE(IsWindowEnabled(chain.first.hwnd));
}

TEST_F(Modal, OpeningWithoutTheCreationFlagReturnsAtOnceAndAnUnknownWindowAnswersMinusOne) {
  WindowBuilder other;
  HWND otherHwnd = other.Open();
  WindowBuilder builder;
  uint32_t windowId = builder.Load();
  EXPECT_EQ(OpenThroughNotification(windowId, 0), 0);
  HWND hwnd = UnitHandle(windowId, 0);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(IsWindowEnabled(otherHwnd));
  EXPECT_EQ(OpenThroughNotification(0x52FFFFF1, 1), -1);
}

// ---- Idle handlers ----------------------------------------------------------------------------

struct IdleCalls {
  int eager = 0;    // wants more idle time for its first five calls
  int content = 0;  // never wants more
};
IdleCalls idleCalls;

void EagerIdle(const uint32_t*, int32_t, rt::EventResult* result) {
  ++idleCalls.eager;
  result->hasResult = 1;
  result->lo = idleCalls.eager <= 5 ? 1 : 0;
}

void ContentIdle(const uint32_t*, int32_t, rt::EventResult* result) {
  ++idleCalls.content;
  result->hasResult = 1;
  result->lo = 0;
}

TEST(IdleHandlers, AWindowThatWantsNoMoreIdleTimeIsAskedAgainOnlyAfterARealMessage) {
  WindowBuilder eager;
  eager.Bind(eager.WindowUnitId(), 7, EagerIdle);
  eager.Open();
  WindowBuilder content;
  content.Bind(content.WindowUnitId(), 7, ContentIdle);
  content.Open();
  Pump();  // nothing waits in the queue when the loop starts
  idleCalls = {};

  IdleCalls afterFirstRound, afterSecondRound;
  {
    // Each tick is a real message: the first starts a second round of idle processing.
    Script script({[&] { afterFirstRound = idleCalls; },
                   [&] {
                     afterSecondRound = idleCalls;
                     rt::EndNestedLoop();
                   }},
                  [] { rt::EndNestedLoop(); });
    rt::RunNestedLoop();
  }
  // The content window said no at once and was left alone while the eager one went on.
  EXPECT_EQ(afterFirstRound.eager, 6);
  EXPECT_EQ(afterFirstRound.content, 1);
  EXPECT_EQ(afterSecondRound.eager, 7);
  EXPECT_EQ(afterSecondRound.content, 2);
}

}  // namespace
}  // namespace windowtest
