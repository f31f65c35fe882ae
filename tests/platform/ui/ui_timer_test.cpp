// TTimer: when it ticks and when it does not, on the program clock driven by
// the test, stepped with Tick(), and once on the real event loop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/vcl.h"

namespace {
using std::chrono::milliseconds;

// Runs the real event loop for ms milliseconds.
void RunFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

// Milliseconds on the driven clock since `start`.
long long At(program_clock::TimePoint start) { return program_clock::MillisecondsSince(start); }
}  // namespace

TEST(Timer, DefaultsAndStepping) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  int ticks = 0;
  timer.OnTimer = [&](TObject* s) {
    ++ticks;
    EXPECT_EQ(s, &timer);
  };
  EXPECT_TRUE(timer.Tick());
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Tick());
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Tick());
  EXPECT_EQ(ticks, 1);
}

TEST(Timer, IntervalZeroAndDisabledNeverFire) {
  program_clock::DrivenClock clock;
  TTimer zero(nullptr);
  TTimer off(nullptr);
  int ticks = 0;
  zero.SetInterval(0);
  off.SetInterval(5);
  off.SetEnabled(false);
  zero.OnTimer = off.OnTimer = [&](TObject*) { ++ticks; };
  clock.Advance(milliseconds(10000));
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(clock.NextDue().has_value());
}

TEST(Timer, HandlerThatDisablesItsTimerGetsNoMoreTicks) {
  program_clock::DrivenClock clock;
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    timer.SetEnabled(false);
  };
  clock.Advance(milliseconds(1000));
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer.Tick());
}

// The tick times on the driven clock: each interval change restarts the
// count from that moment; setting the same interval again changes nothing.
TEST(Timer, ChangingTheIntervalRestartsTheCount) {
  program_clock::DrivenClock clock;
  const program_clock::TimePoint start = clock.Now();
  TTimer timer(nullptr);
  timer.SetInterval(400);
  std::vector<long long> at;
  timer.OnTimer = [&](TObject*) { at.push_back(At(start)); };
  clock.Advance(milliseconds(250));
  timer.SetInterval(350);  // restarted here: next tick at 600, not at 400
  clock.Advance(milliseconds(700));
  timer.SetInterval(350);
  clock.Advance(milliseconds(150));
  timer.SetInterval(2);  // ticks at the minimum period from here (1100)
  clock.Advance(milliseconds(30));
  EXPECT_EQ(at, (std::vector<long long>{600, 950, 1110, 1120, 1130}));
}

// Several timers: their ticks come in the order of their times, each at its
// own time; no tick comes while its own handler still runs, and one whose
// handler held it up ticks once, late, and then on its own beat again.
TEST(Timer, TicksComeInTimeOrderAndAHandlerThatWaitsIsNotEnteredAgain) {
  program_clock::DrivenClock clock;
  const program_clock::TimePoint start = clock.Now();
  std::vector<std::string> log;
  TTimer fast(nullptr), slow(nullptr);
  fast.SetInterval(10);
  slow.SetInterval(25);
  int slowTicks = 0;
  fast.OnTimer = [&](TObject*) { log.push_back("f" + std::to_string(At(start))); };
  slow.OnTimer = [&](TObject*) {
    log.push_back("s" + std::to_string(At(start)));
    if (++slowTicks == 1) {
      // A handler that waits 42 ms for a flag, pumping the messages meanwhile.
      const program_clock::TimePoint until = program_clock::Now() + milliseconds(42);
      Application->ProcessMessagesUntil([&] { return program_clock::Now() >= until; });
      log.push_back("s-done" + std::to_string(At(start)));
    }
  };
  clock.Advance(milliseconds(100));
  // During the wait the other timer ticks at the wait's rounds of 2 ms.
  EXPECT_EQ(log, (std::vector<std::string>{"f10", "f20", "s25", "f31", "f41", "f51", "f61", "s-done67", "s67",
                                           "f70", "s75", "f80", "f90", "f100", "s100"}));
}
// On the real event loop: the period the system's timers keep.
TEST(Timer, ShorterIntervalsTickAtTheWindowTimersMinimumPeriod) {
  // Interval as set, ticks no closer than the minimum period: a 2 ms timer
  // must not wake the program 500 times a second. The fewest are loose: a
  // busy machine may hold the loop up, but never makes it tick faster.
  struct Case {
    unsigned interval;
    int fewest, most;  // ticks in 300 ms
  };
  for (const Case& c : {Case{2, 3, 31}, Case{10, 3, 31}, Case{40, 2, 8}}) {
    TTimer timer(nullptr);
    timer.SetInterval(c.interval);
    EXPECT_EQ(timer.Interval(), c.interval);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    RunFor(300);
    timer.SetEnabled(false);
    EXPECT_GE(ticks, c.fewest) << c.interval << " ms";
    EXPECT_LE(ticks, c.most) << c.interval << " ms";
  }
}

// An alarm may end itself in its own handler; alarms still set stop with the
// driven clock they ran on, and the program's clock is the system's again.
TEST(ProgramClock, AlarmsMayEndThemselvesAndEndWithTheirClock) {
  auto clock = std::make_unique<program_clock::DrivenClock>();
  EXPECT_EQ(program_clock::Driven(), clock.get());
  int selfRuns = 0, otherRuns = 0;
  std::unique_ptr<program_clock::Alarm> self;
  self = std::make_unique<program_clock::Alarm>([&] {
    ++selfRuns;
    self.reset();
  });
  self->Start(milliseconds(5));
  program_clock::Alarm other([&] { ++otherRuns; });
  other.Start(milliseconds(10));
  clock->Advance(milliseconds(30));
  EXPECT_EQ(selfRuns, 1);
  EXPECT_EQ(self, nullptr);
  EXPECT_EQ(otherRuns, 3);
  EXPECT_TRUE(other.Active());
  clock.reset();
  EXPECT_FALSE(other.Active());
  EXPECT_EQ(program_clock::Driven(), nullptr);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_GE(program_clock::Now(), before);
}
