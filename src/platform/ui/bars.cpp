#include "platform/ui/bars.h"

#include <algorithm>

#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>

// ---------------------------------------------------------------- TRangeControl

TRangeControl::TRangeControl(TComponent* owner, int max) : TWinControl(owner), max_(max) {}

void TRangeControl::SetParams(int position, int min, int max) {
  if (max < min) max = min;
  min_ = min;
  max_ = max;
  position = std::clamp(position, min_, max_);
  const bool changed = position != position_;
  position_ = position;
  ShowRange();
  if (changed && OnChange) OnChange(this);
}

void TRangeControl::SetMin(int v) { SetParams(position_, v, std::max(v, max_)); }

void TRangeControl::SetMax(int v) { SetParams(position_, std::min(v, min_), v); }

void TRangeControl::SetPosition(int v) { SetParams(v, min_, max_); }

void TRangeControl::UserMoved(int v) { SetPosition(v); }

// ---------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TRangeControl(owner, 10) { SetBounds(0, 0, 150, 45); }

QWidget* TTrackBar::MakeWidget() {
  auto* s = new QSlider(Qt::Horizontal);
  QObject::connect(s, &QSlider::valueChanged, s, [this](int v) { UserMoved(v); });
  return s;
}

void TTrackBar::ShowOwnState() {
  ShowRange();
  ShowTicks();
}

void TTrackBar::ShowRange() {
  auto* s = static_cast<QSlider*>(MadeWidget());
  if (!s) return;
  QSignalBlocker block(s);
  s->setRange(min_, max_);
  s->setValue(position_);
}

void TTrackBar::ShowTicks() {
  auto* s = static_cast<QSlider*>(MadeWidget());
  if (!s) return;
  QSignalBlocker block(s);
  s->setOrientation(orientation_ == trVertical ? Qt::Vertical : Qt::Horizontal);
  s->setInvertedAppearance(orientation_ == trVertical);
  s->setInvertedControls(orientation_ == trVertical);
  s->setSingleStep(line_size_);
  s->setPageStep(page_size_);
  s->setTickInterval(std::max(1, frequency_));
  if (tick_style_ == tsNone) s->setTickPosition(QSlider::NoTicks);
  else if (tick_marks_ == tmBoth) s->setTickPosition(QSlider::TicksBothSides);
  else if (tick_marks_ == tmTopLeft) s->setTickPosition(QSlider::TicksAbove);
  else s->setTickPosition(QSlider::TicksBelow);
}

void TTrackBar::SetOrientation(TTrackBarOrientation o) {
  orientation_ = o;
  ShowTicks();
}

void TTrackBar::SetFrequency(int f) {
  frequency_ = f;
  ShowTicks();
}

void TTrackBar::SetTickStyle(TTickStyle s) {
  tick_style_ = s;
  ShowTicks();
}

void TTrackBar::SetTickMarks(TTickMark m) {
  tick_marks_ = m;
  ShowTicks();
}

void TTrackBar::SetLineSize(int v) {
  line_size_ = v;
  ShowTicks();
}

void TTrackBar::SetPageSize(int v) {
  page_size_ = v;
  ShowTicks();
}

// ---------------------------------------------------------------- TScrollBar

TScrollBar::TScrollBar(TComponent* owner) : TRangeControl(owner, 100) { SetBounds(0, 0, 121, 17); }

QWidget* TScrollBar::MakeWidget() {
  auto* s = new QScrollBar(Qt::Horizontal);
  QObject::connect(s, &QScrollBar::valueChanged, s, [this](int v) { UserMoved(v); });
  return s;
}

void TScrollBar::ShowRange() {
  auto* s = static_cast<QScrollBar*>(MadeWidget());
  if (!s) return;
  QSignalBlocker block(s);
  s->setOrientation(kind_ == sbVertical ? Qt::Vertical : Qt::Horizontal);
  s->setRange(min_, max_);
  s->setValue(position_);
  s->setSingleStep(small_change_);
  s->setPageStep(large_change_);
}

void TScrollBar::SetKind(TScrollBarKind k) {
  kind_ = k;
  ShowRange();
}

void TScrollBar::SetSmallChange(int v) {
  small_change_ = v;
  ShowRange();
}

void TScrollBar::SetLargeChange(int v) {
  large_change_ = v;
  ShowRange();
}

// ---------------------------------------------------------------- TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

QWidget* TProgressBar::MakeWidget() {
  auto* p = new QProgressBar();
  p->setTextVisible(false);
  return p;
}

void TProgressBar::ShowRange() {
  auto* p = static_cast<QProgressBar*>(MadeWidget());
  if (!p) return;
  p->setRange(min_, max_);
  p->setValue(position_);
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  max_ = std::max(max_, v);
  position_ = std::clamp(position_, min_, max_);
  ShowRange();
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  min_ = std::min(min_, v);
  position_ = std::clamp(position_, min_, max_);
  ShowRange();
}

void TProgressBar::SetPosition(int v) {
  position_ = std::clamp(v, min_, max_);
  ShowRange();
}

void TProgressBar::StepIt() {
  int p = position_ + step_;
  if (p > max_) p = min_ + (p - max_ - 1) % std::max(1, max_ - min_ + 1);
  SetPosition(p);
}

void TProgressBar::StepBy(int delta) { SetPosition(position_ + delta); }
