// TTimer: a periodic tick on the GUI thread.
//
// It runs while Enabled (default true) and Interval (ms, default 1000) is
// above 0; each tick runs OnTimer. Like the window timers it stands for, it
// ticks at most every kMinimumPeriodMs: a shorter Interval is kept as set but
// ticks at that period (the finer ticks are TFastTimer's). Changing Interval restarts a running timer
// with the new period; disabling it (also from its own handler) stops further
// ticks. Tick() runs one tick now, as the timer would (nothing when the timer
// is not running): tests use it to step deterministically. The ticks come
// from the program clock (platform/ui/clock.h), so a test's driven clock
// runs them as it passes their times.
#pragma once

#include <memory>

#include "platform/ui/control.h"

namespace program_clock {
class Alarm;
}

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  // Runs OnTimer once if the timer is running; returns whether it did.
  bool Tick();

  static constexpr unsigned kMinimumPeriodMs = 10;

  TNotifyEvent OnTimer;

 private:
  void Update();

  std::unique_ptr<program_clock::Alarm> alarm_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};
