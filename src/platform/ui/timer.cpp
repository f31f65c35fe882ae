#include "platform/ui/timer.h"

#include <algorithm>

#include "platform/ui/clock.h"

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), alarm_(std::make_unique<program_clock::Alarm>([this] { Tick(); })) {
  Update();
}

TTimer::~TTimer() = default;

void TTimer::Update() {
  if (enabled_ && interval_ > 0) alarm_->Start(std::chrono::milliseconds(std::max(interval_, kMinimumPeriodMs)));
  else alarm_->Stop();
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

bool TTimer::Tick() {
  if (!enabled_ || interval_ == 0) return false;
  if (OnTimer) OnTimer(this);
  return true;
}
