// TTimer: when it ticks and when it does not, on the real event loop and
// stepped with Tick().
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"

namespace {
// Runs the event loop for ms milliseconds, recording when ticks arrive.
void RunFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}
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
  TTimer zero(nullptr);
  TTimer off(nullptr);
  int ticks = 0;
  zero.SetInterval(0);
  off.SetInterval(5);
  off.SetEnabled(false);
  zero.OnTimer = off.OnTimer = [&](TObject*) { ++ticks; };
  RunFor(80);
  EXPECT_EQ(ticks, 0);
}

TEST(Timer, HandlerThatDisablesItsTimerGetsNoMoreTicks) {
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    timer.SetEnabled(false);
  };
  RunFor(100);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer.Tick());
}

TEST(Timer, ChangingTheIntervalRestartsTheCount) {
  TTimer timer(nullptr);
  timer.SetInterval(400);
  QElapsedTimer clock;
  clock.start();
  std::vector<qint64> at;
  timer.OnTimer = [&](TObject*) { at.push_back(clock.elapsed()); };
  RunFor(250);
  timer.SetInterval(350);  // restarted here: next tick near 600, not at 400
  RunFor(250);             // until about 500
  EXPECT_TRUE(at.empty()) << "ticked at " << (at.empty() ? 0 : at[0]) << " ms";
  RunFor(1000);
  ASSERT_FALSE(at.empty());
  EXPECT_GE(at[0], 580);
  // Setting the same interval again does not restart it.
  const size_t before = at.size();
  timer.SetInterval(350);
  RunFor(400);
  EXPECT_GT(at.size(), before);
}

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
