#include "platform/ui/clock.h"

#include <algorithm>
#include <thread>

#include <QTimer>

#include "platform/ui/application.h"

namespace program_clock {

namespace {
DrivenClock* driven_clock = nullptr;
}  // namespace

TimePoint Now() { return driven_clock ? driven_clock->Now() : std::chrono::steady_clock::now(); }

std::int64_t MillisecondsSince(TimePoint since) {
  return std::chrono::duration_cast<milliseconds>(Now() - since).count();
}

void Sleep(milliseconds d) {
  if (d.count() <= 0) return;
  if (driven_clock) driven_clock->Skip(d);
  else std::this_thread::sleep_for(d);
}

DrivenClock* Driven() { return driven_clock; }

int RunDueAlarms() { return driven_clock ? driven_clock->RunDue() : 0; }

// ---------------------------------------------------------------- Alarm

Alarm::Alarm(std::function<void()> fire) : fire_(std::move(fire)) {}

Alarm::~Alarm() {
  *alive_ = false;
  Stop();
  delete timer_;
}

void Alarm::Start(milliseconds period, bool repeat) {
  Stop();
  repeat_ = repeat;
  period_ = std::max(period, milliseconds(repeat ? 1 : 0));
  if (driven_clock) {
    due_ = driven_clock->Now() + period_;
    driven_clock->Add(this);
    return;
  }
  if (!timer_) {
    timer_ = new QTimer();
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] { Fire(); });
  }
  timer_->setSingleShot(!repeat);
  timer_->start(static_cast<int>(std::min<milliseconds::rep>(period_ / milliseconds(1), 0x7FFFFFFF)));
}

void Alarm::Stop() {
  if (driven_) driven_->Remove(this);
  if (timer_) timer_->stop();
}

bool Alarm::Active() const {
  // Set on the clock that runs now: a Qt timer left from before a driven
  // clock came would never run on it.
  if (driven_clock) return driven_ == driven_clock;
  return timer_ && timer_->isActive();
}

void Alarm::Fire() {
  if (running_handler_ || !fire_) return;
  // A copy runs: the handler may destroy this alarm, and with it fire_.
  const std::function<void()> fire = fire_;
  const std::shared_ptr<bool> alive = alive_;
  running_handler_ = true;
  try {
    fire();
  } catch (...) {
    if (*alive) running_handler_ = false;
    throw;
  }
  if (*alive) running_handler_ = false;
}

// ---------------------------------------------------------------- DrivenClock

DrivenClock::DrivenClock()
    // Far from the epoch, so that a time some seconds back is still a time.
    : now_(TimePoint{} + std::chrono::hours(24)), previous_(driven_clock) {
  driven_clock = this;
}

DrivenClock::~DrivenClock() {
  // Alarms still set stop with the clock they ran on.
  for (Alarm* a : alarms_) a->driven_ = nullptr;
  alarms_.clear();
  driven_clock = previous_;
}

void DrivenClock::Add(Alarm* a) {
  a->driven_ = this;
  a->order_ = next_order_++;
  alarms_.push_back(a);
}

void DrivenClock::Remove(Alarm* a) {
  std::erase(alarms_, a);
  a->driven_ = nullptr;
}

std::optional<TimePoint> DrivenClock::NextDue() const {
  std::optional<TimePoint> next;
  for (const Alarm* a : alarms_)
    if (!a->running_handler_ && (!next || a->due_ < *next)) next = a->due_;
  return next;
}

int DrivenClock::RunDue() {
  // The alarms due now, earliest first; each runs at most once per pass.
  std::vector<Alarm*> due;
  for (Alarm* a : alarms_)
    if (a->due_ <= now_ && !a->running_handler_) due.push_back(a);
  std::sort(due.begin(), due.end(), [](const Alarm* x, const Alarm* y) {
    return x->due_ != y->due_ ? x->due_ < y->due_ : x->order_ < y->order_;
  });
  std::vector<std::pair<std::weak_ptr<bool>, std::uint64_t>> picked;
  picked.reserve(due.size());
  for (Alarm* a : due) picked.emplace_back(a->alive_, a->order_);
  int ran = 0;
  for (std::size_t i = 0; i < due.size(); ++i) {
    // An earlier handler may have stopped, restarted or destroyed this one.
    if (picked[i].first.expired()) continue;
    Alarm* a = due[i];
    if (a->driven_ != this || a->order_ != picked[i].second || a->due_ > now_ || a->running_handler_) continue;
    if (a->repeat_) {
      // As a Qt timer: the next run one period on, or one period from now
      // when it fell behind.
      a->due_ += a->period_;
      if (a->due_ <= now_) a->due_ = now_ + a->period_;
    } else {
      Remove(a);
    }
    ++ran;
    a->Fire();
  }
  return ran;
}

void DrivenClock::Advance(Duration d) { AdvanceTo(now_ + std::max(d, Duration::zero())); }

void DrivenClock::AdvanceTo(TimePoint t) {
  for (;;) {
    const std::optional<TimePoint> next = NextDue();
    if (!next || *next > t) break;
    if (*next > now_) now_ = *next;
    Application->ProcessMessages();
  }
  if (t > now_) now_ = t;
  Application->ProcessMessages();
}

}  // namespace program_clock
