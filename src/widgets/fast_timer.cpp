#include "widgets/fast_timer.h"

#include <algorithm>
#include <exception>

#include <QCoreApplication>

#include "platform/ui/application.h"
#include "platform/ui/clock.h"

// ---------------------------------------------------------------- the built-in tick source

struct QtFastTickSource::Slot {
  std::unique_ptr<program_clock::Alarm> alarm;
  std::uint32_t id = 0;  // 0: free
  std::function<void()> tick;
};

QtFastTickSource::QtFastTickSource() : slots_(std::make_unique<Slot[]>(kMaxTimers)) {}

QtFastTickSource::~QtFastTickSource() {
  for (int i = 0; i < kMaxTimers; ++i)
    if (slots_[i].alarm) slots_[i].alarm->Stop();
}

std::uint32_t QtFastTickSource::Start(std::uint32_t /*resolution*/, std::uint32_t interval,
                                      std::function<void()> tick) {
  // The program clock's precise timers keep millisecond accuracy on their
  // own; the resolution only matters to the component's contract.
  if (!QCoreApplication::instance() || interval == 0 || !tick) return 0;
  for (int i = 0; i < kMaxTimers; ++i) {
    Slot& s = slots_[i];
    if (s.id != 0) continue;
    if (!s.alarm) {
      s.alarm = std::make_unique<program_clock::Alarm>([this, i] {
        // A copy: the handler may stop its own timer and so clear the slot.
        std::function<void()> f = slots_[i].tick;
        if (f) f();
      });
    }
    s.id = next_id_++;
    if (next_id_ == 0) next_id_ = 1;
    s.tick = std::move(tick);
    s.alarm->Start(std::chrono::milliseconds(std::min<std::uint32_t>(interval, 0x7FFFFFFF)));
    return s.id;
  }
  return 0;
}

void QtFastTickSource::Stop(std::uint32_t id) {
  if (id == 0) return;
  for (int i = 0; i < kMaxTimers; ++i) {
    Slot& s = slots_[i];
    if (s.id != id) continue;
    if (s.alarm) s.alarm->Stop();
    s.id = 0;
    s.tick = nullptr;
    return;
  }
}

int QtFastTickSource::RunningCount() const {
  int n = 0;
  for (int i = 0; i < kMaxTimers; ++i)
    if (slots_[i].id != 0) ++n;
  return n;
}

QtFastTickSource& DefaultFastTickSource() {
  // Never destroyed: components may still stop their timers during exit.
  static QtFastTickSource* source = new QtFastTickSource();
  return *source;
}

namespace {
bool library_replaced = false;
FastTickSource* installed_library = nullptr;
}  // namespace

FastTickSource* FastTimerLibrary() { return library_replaced ? installed_library : &DefaultFastTickSource(); }

FastTickSource* SetFastTimerLibrary(FastTickSource* source) {
  FastTickSource* previous = FastTimerLibrary();
  installed_library = source;
  library_replaced = true;
  return previous;
}

// ---------------------------------------------------------------- TFastTimer

TFastTimer::TFastTimer(TComponent* owner) : TComponent(owner), source_(FastTimerLibrary()) {
  if (source_) {
    min_resolution_ = source_->MinResolution();
    max_resolution_ = source_->MaxResolution();
  }
}

TFastTimer::~TFastTimer() {
  if (source_ && enabled_) {
    enabled_ = false;
    source_->Stop(timer_id_);
    timer_id_ = 0;
  }
}

void TFastTimer::SetEnabled(bool v) {
  if (!source_ || v == enabled_) return;
  enabled_ = v;
  if (v && interval_ > 0 && resolution_ > 0 && OnTimer) {
    timer_id_ = source_->Start(resolution_, interval_, [this] { Tick(); });
    if (timer_id_ == 0) {
      // The timer is not running, so it must not read as enabled.
      enabled_ = false;
      throw EOutOfResources("No FastTimers available.");
    }
    return;
  }
  source_->Stop(timer_id_);
  // A stopped id may be handed out again; never stop it a second time.
  timer_id_ = 0;
}

void TFastTimer::SetInterval(std::uint32_t ms) {
  if (ms == interval_) return;
  const bool was = enabled_;
  if (was) SetEnabled(false);
  interval_ = ms;
  if (was) SetEnabled(true);
}

void TFastTimer::SetResolution(std::uint32_t ms) {
  if (ms < min_resolution_) ms = min_resolution_;
  if (ms > max_resolution_) ms = max_resolution_;
  if (ms == resolution_) return;
  const bool was = enabled_;
  if (was) SetEnabled(false);
  resolution_ = ms;
  if (was) SetEnabled(true);
}

void TFastTimer::Tick() {
  if (!OnTimer) return;
  // An error in one tick must not stop the timer or leave through the event loop.
  // A copy: the handler may replace OnTimer or free the timer.
  TNotifyEvent handler = OnTimer;
  try {
    handler(this);
  } catch (const std::exception& e) {
    Application->MessageBox(e.what(), Application->Title(), MB_OK | MB_ICONERROR);
  } catch (...) {
    Application->MessageBox("Unknown error.", Application->Title(), MB_OK | MB_ICONERROR);
  }
}
