#include "platform/ui/image.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
class ImageWidget : public QWidget {
 public:
  explicit ImageWidget(TImage* image) : image_(image) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    const QImage& pic = image_->Picture()->Image();
    if (image_->Stretch()) {
      p.drawImage(rect(), pic);
      return;
    }
    // Only the damaged part; outside the picture is the window's face.
    const QRect damaged = e->rect();
    const QRect inPicture = damaged & pic.rect();
    if (!inPicture.isEmpty()) p.drawImage(inPicture.topLeft(), pic, inPicture);
    const QRegion rest = QRegion(damaged) - QRegion(pic.rect());
    for (const QRect& r : rest) p.fillRect(r, palette().window());
  }

 private:
  TImage* image_;
};
}  // namespace

TImage::TImage(TComponent* owner)
    : TControl(owner, new ImageWidget(this)), picture_(std::make_unique<TBitmap>(105, 105)) {
  SetClickOnMouseUp(true);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::Resized() {
  if (picture_->Width() != width_ || picture_->Height() != height_) picture_->SetSize(width_, height_);
  Invalidate();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

QPoint TImage::ToClient(QPoint p) const {
  if (!stretch_ || width_ <= 0 || height_ <= 0) return p;
  return QPoint(p.x() * picture_->Width() / width_, p.y() * picture_->Height() / height_);
}
