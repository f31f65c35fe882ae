#include "platform/ui/buttons.h"

#include <algorithm>
#include <vector>

#include <QCheckBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <qdrawutil.h>

#include "platform/ui/canvas.h"
#include "platform/ui/forms.h"

namespace {

// Paints through the button, so derived buttons can draw their own faces.
class SpeedButtonWidget : public QWidget {
 public:
  explicit SpeedButtonWidget(TSpeedButton* b) : button_(b) { setAttribute(Qt::WA_OpaquePaintEvent); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    button_->Paint(p, rect());
  }

 private:
  TSpeedButton* button_;
};

// Return and Enter press a focused push button as Space does, before they
// reach the window's default button, as on every Linux desktop.
class PushButtonWidget : public QPushButton {
 protected:
  void keyPressEvent(QKeyEvent* e) override {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
      if (!e->isAutoRepeat()) click();
      e->accept();
      return;
    }
    QPushButton::keyPressEvent(e);
  }
};

// The arrow keys choose within the radio group (the radio buttons on one
// parent): the previous or next usable one, top to bottom, wrapping round,
// takes the focus and is checked.
class RadioButtonWidget : public QRadioButton {
 public:
  explicit RadioButtonWidget(TRadioButton* b) : button_(b) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    int step = 0;
    switch (e->key()) {
      case Qt::Key_Up:
      case Qt::Key_Left: step = -1; break;
      case Qt::Key_Down:
      case Qt::Key_Right: step = 1; break;
      default: break;
    }
    TRadioButton* next = step != 0 && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                             ? Neighbour(step)
                             : nullptr;
    if (!next) {
      QRadioButton::keyPressEvent(e);
      return;
    }
    e->accept();
    next->SetFocus();
    next->Click();
  }

 private:
  TRadioButton* Neighbour(int step) const {
    TWinControl* parent = button_->Parent();
    if (!parent) return nullptr;
    std::vector<TRadioButton*> group;
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(parent->Controls(i)); r && (r == button_ || r->CanUserInteract()))
        group.push_back(r);
    if (group.size() < 2) return nullptr;
    std::stable_sort(group.begin(), group.end(), [](const TRadioButton* a, const TRadioButton* b) {
      return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    const auto at = std::find(group.begin(), group.end(), button_) - group.begin();
    const auto n = static_cast<std::ptrdiff_t>(group.size());
    return group[static_cast<std::size_t>(((at + step) % n + n) % n)];
  }

  TRadioButton* button_;
};

}  // namespace

// ---------------------------------------------------------------- TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner), glyph_(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
}

QWidget* TSpeedButton::MakeWidget() { return new SpeedButtonWidget(this); }

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetDown(bool v) {
  // An ungrouped button never stays down.
  if (group_index_ == 0) v = false;
  if (v == down_) return;
  // The down button of a group without all-up stays down.
  if (down_ && !allow_all_up_) return;
  down_ = v;
  if (v) UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int g) {
  if (g == group_index_) return;
  group_index_ = g;
  if (g == 0) down_ = false;
  UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  if (v == allow_all_up_) return;
  allow_all_up_ = v;
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (group_index_ == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(parent->Controls(i));
    if (!b || b == this || b->group_index_ != group_index_) continue;
    if (down_ && b->down_) {
      b->down_ = false;
      b->Invalidate();
    }
    b->allow_all_up_ = allow_all_up_;
  }
}

void TSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& picture) {
  glyph_->Assign(picture);
  Invalidate();
}

void TSpeedButton::SetGlyphWhenUsed(int w, int h, std::function<void(TBitmap&)> draw) {
  glyph_->Assign(TBitmap());
  glyph_->SetSize(w, h);
  glyph_->DrawWhenUsed(std::move(draw));
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int n) {
  num_glyphs_ = std::clamp(n, 1, 4);
  Invalidate();
}

TButtonState TSpeedButton::State() const {
  if (!enabled_) return bsDisabled;
  if (down_) return bsExclusive;
  if (pressed_ && MouseInControl()) return bsDown;
  return bsUp;
}

void TSpeedButton::Click() {
  if (!CanUserInteract()) return;
  if (group_index_ != 0) {
    if (!down_) SetDown(true);
    else if (allow_all_up_) SetDown(false);
  }
  DoClick();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TControl::MouseDown(button, shift, x, y);
  if (button == mbLeft && enabled_) {
    pressed_ = true;
    SetMouseInControl(true);
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !pressed_) return;
  pressed_ = false;
  Invalidate();
  if (x >= 0 && y >= 0 && x < width_ && y < height_) Click();
}

void TSpeedButton::MouseEnter() {
  TControl::MouseEnter();
  Invalidate();
}

void TSpeedButton::MouseLeave() {
  TControl::MouseLeave();
  Invalidate();
}

void TSpeedButton::ApplyFont() {
  TControl::ApplyFont();
  Invalidate();
}

void TSpeedButton::PaintCaption(QPainter& painter, const QRect& rect) {
  if (caption_.empty()) return;
  painter.setFont(ToQFont(font_));
  const QString text = QString::fromStdString(caption_);
  const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
  if (enabled_) {
    painter.setPen(ToQColor(font_.Color));
    painter.drawText(rect, flags, text);
  } else {
    // Embossed grey, as disabled captions look.
    painter.setPen(Qt::white);
    painter.drawText(rect.translated(1, 1), flags, text);
    painter.setPen(ToQColor(clGrayText));
    painter.drawText(rect, flags, text);
  }
}

void TSpeedButton::Paint(QPainter& painter, const QRect& rect) {
  const TColor face = ColorSet() ? color_ : clBtnFace;
  painter.fillRect(rect, ToQColor(face));
  const TButtonState st = State();
  const bool sunken = st == bsDown || st == bsExclusive;
  // A button that stays down shows a lighter, dithered face.
  if (st == bsExclusive) painter.fillRect(rect, QBrush(Qt::white, Qt::Dense4Pattern));
  if (!flat_ || sunken || (MouseInControl() && enabled_)) {
    QPalette pal;
    pal.setColor(QPalette::Light, Qt::white);
    pal.setColor(QPalette::Dark, ToQColor(clGray));
    qDrawShadePanel(&painter, rect, pal, sunken, 1);
  }
  const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);

  QImage cell;
  if (glyph_->Width() > 0 && glyph_->Height() > 0) {
    const int cw = glyph_->Width() / num_glyphs_;
    int index = static_cast<int>(st);
    if (index >= num_glyphs_) index = 0;
    cell = glyph_->Image().copy(index * cw, 0, cw, glyph_->Height()).convertToFormat(QImage::Format_ARGB32);
    // The bottom-left pixel's colour is transparent.
    const QRgb key = cell.pixel(0, cell.height() - 1);
    for (int y = 0; y < cell.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(cell.scanLine(y));
      for (int x = 0; x < cell.width(); ++x)
        if (line[x] == key) line[x] = 0;
    }
  }
  const int textWidth =
      caption_.empty() ? 0 : QFontMetrics(ToQFont(font_)).horizontalAdvance(QString::fromStdString(caption_));
  const int gap = (!cell.isNull() && textWidth > 0) ? 4 : 0;
  const int total = cell.width() + gap + textWidth;
  int x = rect.x() + (rect.width() - total) / 2;
  if (!cell.isNull()) {
    painter.drawImage(QPoint(x, rect.y() + (rect.height() - cell.height()) / 2) + shift, cell);
    x += cell.width() + gap;
  }
  if (textWidth > 0) {
    const QRect textRect = cell.isNull() ? rect : QRect(x, rect.y(), textWidth, rect.height());
    PaintCaption(painter, textRect.translated(shift));
  }
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 75, 25); }

QWidget* TButton::MakeWidget() {
  auto* b = new PushButtonWidget();
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [this] { Click(); });
  return b;
}

void TButton::ApplyCaption() {
  if (auto* b = static_cast<QPushButton*>(MadeWidget())) b->setText(QString::fromStdString(caption_));
}

void TButton::Click() {
  if (!CanUserInteract()) return;
  if (modal_result_ != mrNone)
    if (TForm* f = ParentForm()) f->SetModalResult(modal_result_);
  DoClick();
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 97, 17); }

QWidget* TCheckBox::MakeWidget() {
  auto* b = new QCheckBox();
  QObject::connect(b, &QCheckBox::clicked, b, [this] { Click(); });
  return b;
}

void TCheckBox::ApplyCaption() {
  if (auto* b = static_cast<QCheckBox*>(MadeWidget())) b->setText(QString::fromStdString(caption_));
}

void TCheckBox::ShowState() {
  if (auto* b = static_cast<QCheckBox*>(MadeWidget())) {
    QSignalBlocker block(b);
    b->setChecked(checked_);
  }
}

void TCheckBox::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  ShowState();
  DoClick();
}

void TCheckBox::Click() {
  if (CanUserInteract()) SetChecked(!checked_);
  ShowState();
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 113, 17); }

QWidget* TRadioButton::MakeWidget() {
  auto* b = new RadioButtonWidget(this);
  // Exclusivity is ours, so that it holds for changes from code too.
  b->setAutoExclusive(false);
  QObject::connect(b, &QRadioButton::clicked, b, [this] { Click(); });
  return b;
}

void TRadioButton::ApplyCaption() {
  if (auto* b = static_cast<QRadioButton*>(MadeWidget())) b->setText(QString::fromStdString(caption_));
}

void TRadioButton::ShowState() {
  if (auto* b = static_cast<QRadioButton*>(MadeWidget())) {
    QSignalBlocker block(b);
    b->setChecked(checked_);
  }
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  ShowState();
  if (!v) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* r = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (r && r != this) r->SetChecked(false);
    }
  }
  DoClick();
}

void TRadioButton::Click() {
  if (CanUserInteract()) SetChecked(true);
  ShowState();
}
