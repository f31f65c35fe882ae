// The program's one clock. Every timer (TTimer, the fast timers' tick source,
// the one-shot waits), every deadline and every idle wait of the program
// reads it.
//
// In the program it is the system's monotonic clock, an Alarm is a precise Qt
// timer and Sleep sleeps.
//
// A test makes a DrivenClock instead. While it lives, time stands still until
// something moves it on: the test (Advance, AdvanceTo), or the program itself,
// whose idle waits (Sleep) move it on by what they would have slept. Alarms
// then run, in the order of their due times, from the message pump
// (Application->ProcessMessages) once the clock has reached them; Advance
// stops at each due time in turn and pumps there, so a test that advances a
// second sees every 10 ms tick of that second, each at its own time. An alarm
// never runs again while its own handler runs (as with Qt's timers); a
// periodic one that fell behind, because its handler or a wait kept the pump
// away, runs once and then goes on one period after the time it ran.
//
//   program_clock::DrivenClock clock;          // before the windows are made
//   Form1->SpeedButtonSingle->Click();
//   clock.Advance(std::chrono::milliseconds(100));  // every tick of 100 ms
//
// Tests wait for conditions, never for a fixed time: see AppHarness::PumpUntil.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace program_clock {

using Duration = std::chrono::steady_clock::duration;
using TimePoint = std::chrono::steady_clock::time_point;
using std::chrono::milliseconds;

class DrivenClock;

// The time now: the system's monotonic clock, or the driven clock's time.
TimePoint Now();
// Milliseconds from `since` to now (negative if `since` lies ahead).
std::int64_t MillisecondsSince(TimePoint since);
// An idle wait of `d` that handles no events: sleeps, or moves a driven clock
// on by `d` (alarms that fall due run at the next pump).
void Sleep(milliseconds d);
// The driven clock now installed, or nullptr when the system's clock runs.
DrivenClock* Driven();

// Runs the alarms of a driven clock that are due now; nothing on the system
// clock. The message pump calls it; returns how many ran.
int RunDueAlarms();

// A timer on the program clock: runs `fire` on the GUI thread `period` after
// Start, and, when repeating, every period after that until Stopped. The
// handler may stop, restart or destroy its own alarm.
class Alarm {
 public:
  explicit Alarm(std::function<void()> fire);
  ~Alarm();
  Alarm(const Alarm&) = delete;
  Alarm& operator=(const Alarm&) = delete;

  // (Re)starts it: the first run is `period` from now. A repeating alarm
  // runs at most once a millisecond.
  void Start(milliseconds period, bool repeat = true);
  void Stop();
  // Set, and on the clock that runs now.
  bool Active() const;

 private:
  friend class DrivenClock;
  void Fire();

  std::function<void()> fire_;
  QTimer* timer_ = nullptr;    // on the system clock
  DrivenClock* driven_ = nullptr;  // on a driven clock: registered there
  TimePoint due_{};
  Duration period_{};
  bool repeat_ = true;
  bool running_handler_ = false;
  std::uint64_t order_ = 0;    // starts in order, for alarms due at one time
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A clock the test drives (one at a time). It starts at an arbitrary time;
// the program's alarms started while it lives run on it.
class DrivenClock {
 public:
  DrivenClock();
  ~DrivenClock();
  DrivenClock(const DrivenClock&) = delete;
  DrivenClock& operator=(const DrivenClock&) = delete;

  TimePoint Now() const { return now_; }
  // Moves the clock on by `d`: to each alarm's due time in turn, pumping the
  // messages there (so due alarms run), then to the end, and pumps once more.
  void Advance(Duration d);
  void AdvanceTo(TimePoint t);
  // The earliest due time of an alarm that can run now (not inside its own
  // handler); nothing when no alarm is set.
  std::optional<TimePoint> NextDue() const;
  // Moves the time on without running anything (what Sleep does).
  void Skip(Duration d) { now_ += d; }

 private:
  friend class Alarm;
  friend int RunDueAlarms();
  void Add(Alarm* a);
  void Remove(Alarm* a);
  int RunDue();

  TimePoint now_;
  std::vector<Alarm*> alarms_;
  std::uint64_t next_order_ = 1;
  DrivenClock* previous_ = nullptr;
};

}  // namespace program_clock
