#include "platform/ui/panels.h"

#include <QGroupBox>
#include <QPainter>
#include <qdrawutil.h>

namespace {
class PanelWidget : public QWidget {
 public:
  explicit PanelWidget(TPanel* p) : panel_(p) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    panel_->PaintFace(p);
  }

 private:
  TPanel* panel_;
};

void Bevel(QPainter& p, QRect& r, TBevelCut cut) {
  if (cut == bvNone) return;
  if (cut != bvSpace) {
    QPalette pal;
    pal.setColor(QPalette::Light, Qt::white);
    pal.setColor(QPalette::Dark, ToQColor(clGray));
    qDrawShadePanel(&p, r, pal, cut == bvLowered, 1);
  }
  r.adjust(1, 1, -1, -1);
}
}  // namespace

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  SetClickOnMouseUp(true);
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

QWidget* TPanel::MakeWidget() { return new PanelWidget(this); }

void TPanel::PaintFace(QPainter& painter) {
  QWidget* w = MadeWidget();
  if (!w) return;
  QRect r = w->rect();
  painter.fillRect(r, ToQColor(color_));
  Bevel(painter, r, bevel_outer_);
  Bevel(painter, r, bevel_inner_);
  if (caption_.empty()) return;
  painter.setFont(ToQFont(font_));
  painter.setPen(ToQColor(enabled_ ? font_.Color : clGrayText));
  const Qt::Alignment h = alignment_ == taLeftJustify    ? Qt::AlignLeft
                          : alignment_ == taRightJustify ? Qt::AlignRight
                                                         : Qt::AlignHCenter;
  painter.drawText(r, static_cast<int>(h | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic),
                   QString::fromStdString(caption_));
}

void TPanel::ApplyFont() {
  TWinControl::ApplyFont();
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut b) {
  bevel_outer_ = b;
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut b) {
  bevel_inner_ = b;
  Invalidate();
}

void TPanel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  SetClickOnMouseUp(true);
  SetBounds(0, 0, 185, 105);
}

QWidget* TGroupBox::MakeWidget() { return new QGroupBox(); }

void TGroupBox::ApplyCaption() {
  if (auto* g = static_cast<QGroupBox*>(MadeWidget())) g->setTitle(QString::fromStdString(caption_));
}
