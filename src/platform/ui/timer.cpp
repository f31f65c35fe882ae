#include "platform/ui/timer.h"

#include <algorithm>

#include <QTimer>

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(new QTimer()) {
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] { Tick(); });
  Update();
}

TTimer::~TTimer() { delete timer_; }

void TTimer::Update() {
  if (enabled_ && interval_ > 0) timer_->start(static_cast<int>(std::max(interval_, kMinimumPeriodMs)));
  else timer_->stop();
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
