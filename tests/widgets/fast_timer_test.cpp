#include "widgets/fast_timer.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/clock.h"
#include "support/scripted_dialogs.h"

namespace {

// A tick source that records every call, hands out the lowest free id (as a
// real timer library may) and fires ticks on request.
class RecordingSource : public FastTickSource {
 public:
  std::vector<std::string> calls;
  std::map<std::uint32_t, std::function<void()>> running;
  size_t capacity = 8;
  std::uint32_t min_res = 1, max_res = 1000;

  std::uint32_t Start(std::uint32_t resolution, std::uint32_t interval, std::function<void()> tick) override {
    calls.push_back("start " + std::to_string(resolution) + " " + std::to_string(interval));
    if (running.size() >= capacity) return 0;
    std::uint32_t id = 1;
    while (running.count(id)) ++id;
    running[id] = std::move(tick);
    return id;
  }
  void Stop(std::uint32_t id) override {
    calls.push_back("stop " + std::to_string(id));
    running.erase(id);
  }
  std::uint32_t MinResolution() const override { return min_res; }
  std::uint32_t MaxResolution() const override { return max_res; }
  void Fire(std::uint32_t id) {
    auto f = running.at(id);
    f();
  }
};

struct FastTimerTest : ::testing::Test {
  RecordingSource source;
  FastTickSource* previous = nullptr;
  void SetUp() override { previous = SetFastTimerLibrary(&source); }
  void TearDown() override { SetFastTimerLibrary(previous); }
  // An owned timer with a handler counting its ticks.
  TFastTimer* MakeTimer(int* ticks) {
    auto* t = new TFastTimer(&owner);
    t->OnTimer = [t, ticks](TObject* sender) {
      EXPECT_EQ(sender, t);
      ++*ticks;
    };
    return t;
  }
  TComponent owner{nullptr};
};

}  // namespace

TEST_F(FastTimerTest, EnablingStartsATickThatCallsTheHandlerAndDisablingStopsIt) {
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(t->Resolution(), 10u);
  t->SetInterval(20);
  t->SetEnabled(true);
  ASSERT_EQ(source.calls, (std::vector<std::string>{"start 10 20"}));
  ASSERT_NE(t->TimerId(), 0u);
  source.Fire(t->TimerId());
  source.Fire(t->TimerId());
  EXPECT_EQ(ticks, 2);

  t->SetEnabled(true);  // unchanged: nothing
  EXPECT_EQ(source.calls.size(), 1u);
  const std::uint32_t id = t->TimerId();
  t->SetEnabled(false);
  EXPECT_EQ(source.calls.back(), "stop " + std::to_string(id));
  EXPECT_EQ(t->TimerId(), 0u);
  EXPECT_TRUE(source.running.empty());
}

TEST_F(FastTimerTest, IntervalChangeRestartsOnlyARunningTimer) {
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  t->SetInterval(50);  // stopped: stored only
  EXPECT_TRUE(source.calls.empty());
  t->SetEnabled(true);
  source.calls.clear();
  t->SetInterval(50);  // unchanged
  EXPECT_TRUE(source.calls.empty());
  t->SetInterval(5);
  EXPECT_EQ(source.calls, (std::vector<std::string>{"stop 1", "start 10 5"}));
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(t->Interval(), 5u);
  EXPECT_EQ(source.running.size(), 1u);
}

TEST_F(FastTimerTest, EnablingWithoutAllThreeStartsNothingAndStopsTheCurrentId) {
  TFastTimer t(nullptr);  // no OnTimer
  t.SetEnabled(true);
  EXPECT_EQ(source.calls, (std::vector<std::string>{"stop 0"}));
  EXPECT_TRUE(source.running.empty());

  int ticks = 0;
  TFastTimer* u = MakeTimer(&ticks);
  u->SetInterval(0);
  source.calls.clear();
  u->SetEnabled(true);
  EXPECT_EQ(source.calls, (std::vector<std::string>{"stop 0"}));
}

TEST_F(FastTimerTest, ResolutionIsClampedToTheSourceRange) {
  source.min_res = 2;
  source.max_res = 500;
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  t->SetResolution(0);
  EXPECT_EQ(t->Resolution(), 2u);
  t->SetResolution(5000);
  EXPECT_EQ(t->Resolution(), 500u);
  EXPECT_TRUE(source.calls.empty());

  t->SetEnabled(true);
  source.calls.clear();
  t->SetResolution(9999);  // clamps to the value it has: no restart
  EXPECT_TRUE(source.calls.empty());
  t->SetResolution(1);
  EXPECT_EQ(source.calls, (std::vector<std::string>{"stop 1", "start 2 1000"}));
}

TEST_F(FastTimerTest, WithoutALibraryTheTimerIsInert) {
  SetFastTimerLibrary(nullptr);
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  EXPECT_NO_THROW(t->SetEnabled(true));
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(t->MinResolution(), 0u);
  EXPECT_EQ(t->MaxResolution(), 0u);
  t->SetInterval(10);
  t->SetResolution(5);
  EXPECT_FALSE(t->Enabled());
  EXPECT_TRUE(source.calls.empty());
}

TEST_F(FastTimerTest, NoFreeTimerRaisesAndLeavesTheTimerDisabled) {
  source.capacity = 0;
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  try {
    t->SetEnabled(true);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_STREQ(e.what(), "No FastTimers available.");
  }
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(t->TimerId(), 0u);

  // Once a timer is free, enabling again works.
  source.capacity = 1;
  source.calls.clear();
  t->SetEnabled(true);
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(source.calls, (std::vector<std::string>{"start 10 1000"}));
}

TEST_F(FastTimerTest, AStoppedIdIsNeverStoppedAgain) {
  int a_ticks = 0, b_ticks = 0;
  TFastTimer* a = MakeTimer(&a_ticks);
  TFastTimer* b = MakeTimer(&b_ticks);
  a->SetEnabled(true);
  const std::uint32_t old_id = a->TimerId();
  a->SetEnabled(false);
  b->SetEnabled(true);
  ASSERT_EQ(b->TimerId(), old_id);  // the source hands the id out again

  // a's next stop must not hit b's timer.
  a->OnTimer = nullptr;
  a->SetEnabled(true);
  EXPECT_EQ(source.calls.back(), "stop 0");
  ASSERT_EQ(source.running.count(b->TimerId()), 1u);
  source.Fire(b->TimerId());
  EXPECT_EQ(b_ticks, 1);
}

TEST_F(FastTimerTest, AFailingHandlerIsReportedAndTheTimerKeepsRunning) {
  ScriptedDialogs dialogs;
  int calls = 0;
  TFastTimer t(nullptr);
  t.OnTimer = [&](TObject*) {
    ++calls;
    throw std::runtime_error("Sample buffer overflow.");
  };
  t.SetEnabled(true);
  const std::uint32_t id = t.TimerId();
  source.Fire(id);
  source.Fire(id);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.TimerId(), id);
  EXPECT_EQ(source.calls, (std::vector<std::string>{"start 10 1000"}));
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Sample buffer overflow.");
  EXPECT_EQ(dialogs.Messages()[0].Kind, mtError);
}

TEST_F(FastTimerTest, DestroyingARunningTimerStopsIt) {
  int ticks = 0;
  TFastTimer* t = MakeTimer(&ticks);
  t->SetEnabled(true);
  delete t;
  EXPECT_EQ(source.calls.back(), "stop 1");
  EXPECT_TRUE(source.running.empty());
}

// The built-in source: the program clock's timers, here on a driven clock.
TEST(FastTimerQt, TicksArriveThroughTheEventLoopAtTheirPeriod) {
  program_clock::DrivenClock clock;
  const program_clock::TimePoint start = clock.Now();
  TFastTimer t(nullptr);
  std::vector<long long> at;
  t.OnTimer = [&](TObject*) { at.push_back(program_clock::MillisecondsSince(start)); };
  t.SetInterval(2);
  t.SetResolution(1);
  t.SetEnabled(true);
  clock.Advance(std::chrono::milliseconds(7));
  t.SetEnabled(false);
  clock.Advance(std::chrono::milliseconds(30));
  EXPECT_EQ(at, (std::vector<long long>{2, 4, 6}));
}

TEST(FastTimerQt, RunsOutOfTimersAndFreesThemAgain) {
  QtFastTickSource& src = DefaultFastTickSource();
  std::vector<std::unique_ptr<TFastTimer>> timers;
  for (int i = 0; i < QtFastTickSource::kMaxTimers; ++i) {
    timers.push_back(std::make_unique<TFastTimer>(nullptr));
    timers.back()->OnTimer = [](TObject*) {};
    timers.back()->SetEnabled(true);
  }
  EXPECT_EQ(src.RunningCount(), QtFastTickSource::kMaxTimers);
  TFastTimer extra(nullptr);
  extra.OnTimer = [](TObject*) {};
  EXPECT_THROW(extra.SetEnabled(true), EOutOfResources);
  EXPECT_FALSE(extra.Enabled());

  timers.pop_back();  // destroying a running timer frees its slot
  EXPECT_EQ(src.RunningCount(), QtFastTickSource::kMaxTimers - 1);
  extra.SetEnabled(true);
  EXPECT_TRUE(extra.Enabled());
  // Ids are not reused: every running timer has its own.
  std::vector<std::uint32_t> ids{extra.TimerId()};
  for (auto& t : timers) ids.push_back(t->TimerId());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
  timers.clear();
  extra.SetEnabled(false);
  EXPECT_EQ(src.RunningCount(), 0);
}
