// TFastTimer: a periodic timer component with millisecond periods, for the
// places where the ordinary window timer is too coarse (the recorder's sample
// clock, the wave-sequence player, the remote-control poll).
//
// It runs on a small tick source with four operations (start, stop, minimum
// and maximum resolution). The built-in source uses the program clock's
// timers (platform/ui/clock.h: precise Qt timers in the program, a test's
// driven clock in tests), so the ticks arrive on the GUI thread between other
// events. Tests may install a source of their own, or none at all: a
// component created without a source is inert and its Enabled stays false.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/ui/control.h"

// Raised when a resource (here: a free timer) cannot be had.
class EOutOfResources : public std::runtime_error {
 public:
  explicit EOutOfResources(const std::string& message) : std::runtime_error(message) {}
};

// The tick source behind every TFastTimer.
class FastTickSource {
 public:
  virtual ~FastTickSource() = default;
  // Starts a periodic tick every `interval` ms; `tick` runs on the GUI thread.
  // Returns the timer's id, or 0 when no timer is free.
  virtual std::uint32_t Start(std::uint32_t resolution, std::uint32_t interval, std::function<void()> tick) = 0;
  // Stops the timer; unknown ids (0 included) are ignored.
  virtual void Stop(std::uint32_t id) = 0;
  virtual std::uint32_t MinResolution() const = 0;
  virtual std::uint32_t MaxResolution() const = 0;
};

// The built-in source: the program clock's timers, at most kMaxTimers running at once,
// resolutions 1..1000 ms. Ids are never reused, so a stale id stops nothing.
class QtFastTickSource : public FastTickSource {
 public:
  static constexpr int kMaxTimers = 16;

  QtFastTickSource();
  ~QtFastTickSource() override;
  std::uint32_t Start(std::uint32_t resolution, std::uint32_t interval, std::function<void()> tick) override;
  void Stop(std::uint32_t id) override;
  std::uint32_t MinResolution() const override { return 1; }
  std::uint32_t MaxResolution() const override { return 1000; }
  // Timers running now.
  int RunningCount() const;

 private:
  struct Slot;
  std::unique_ptr<Slot[]> slots_;
  std::uint32_t next_id_ = 1;
};

// The process's built-in source.
QtFastTickSource& DefaultFastTickSource();
// The source that components created from now on use (nullptr: none).
FastTickSource* FastTimerLibrary();
// Installs a source for components created from now on (nullptr: none) and
// returns the previous one.
FastTickSource* SetFastTimerLibrary(FastTickSource* source);

class TFastTimer : public TComponent {
 public:
  explicit TFastTimer(TComponent* owner);
  ~TFastTimer() override;

  bool Enabled() const { return enabled_; }
  // Ignored without a tick source or when unchanged. Enabling with an
  // interval, a resolution and an OnTimer handler starts a tick (raising
  // EOutOfResources "No FastTimers available." when none is free, and then
  // Enabled stays false); every other change stops the current tick.
  void SetEnabled(bool v);
  std::uint32_t Interval() const { return interval_; }
  // A running timer restarts with the new period.
  void SetInterval(std::uint32_t ms);
  std::uint32_t Resolution() const { return resolution_; }
  // Clamped to the source's range; a running timer restarts when it changes.
  void SetResolution(std::uint32_t ms);

  // Id of the running tick, 0 when none.
  std::uint32_t TimerId() const { return timer_id_; }
  std::uint32_t MinResolution() const { return min_resolution_; }
  std::uint32_t MaxResolution() const { return max_resolution_; }

  // Runs OnTimer(this) as one tick of the source does: an exception raised by
  // the handler is reported through the application's error box and the
  // timer keeps running. Also the way a test delivers one tick.
  void Tick();

  TNotifyEvent OnTimer;

 private:
  FastTickSource* source_ = nullptr;
  bool enabled_ = false;
  std::uint32_t interval_ = 1000;
  std::uint32_t timer_id_ = 0;
  std::uint32_t resolution_ = 10;
  std::uint32_t max_resolution_ = 0;
  std::uint32_t min_resolution_ = 0;
};
