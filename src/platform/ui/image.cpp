#include "platform/ui/image.h"

#include "platform/ui/clock.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

#include <cstring>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

class ImageWidget;

// The program's top-level windows from the front: a window comes to the
// front when it is shown, activated or raised, as window systems stack them.
// A picture that a window in front of its own covers whole is not copied to
// the screen; it is painted as soon as it shows again.
class CoverWatch : public QObject {
 public:
  static CoverWatch& Get() {
    static CoverWatch* watch = new CoverWatch;
    // Watches the application of the moment (a test may make a new one).
    if (QCoreApplication* app = QCoreApplication::instance(); app && watch->app_ != app) {
      app->installEventFilter(watch);
      watch->app_ = app;
    }
    return *watch;
  }
  void Add(ImageWidget* w) { images_.push_back(w); }
  void Remove(ImageWidget* w) { std::erase(images_, w); }
  void AddPicture(TImage* image) { pictures_.push_back(image); }
  void RemovePicture(TImage* image) { std::erase(pictures_, image); }
  bool Covered(const QWidget* image) const;

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  void ToFront(QWidget* w) {
    std::erase_if(stack_, [w](const QPointer<QWidget>& p) { return p.isNull() || p == w; });
    stack_.insert(stack_.begin(), w);
  }
  void PaintUncovered();
  // Some time after windows were shown or hidden, the pictures nobody sees
  // (of windows made hidden, or closed) give their pixels back until used.
  void PackHiddenSoon();
  void PackHidden();

  QPointer<QCoreApplication> app_;
  program_clock::Alarm pack_{[this] { PackHidden(); }};
  std::vector<QPointer<QWidget>> stack_;
  std::vector<ImageWidget*> images_;
  // Every picture control, its widget made or not.
  std::vector<TImage*> pictures_;
};

class ImageWidget : public QWidget {
 public:
  explicit ImageWidget(TImage* image) : image_(image) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    CoverWatch::Get().Add(this);
  }
  ~ImageWidget() override { CoverWatch::Get().Remove(this); }

  // A change to a picture covered whole asks for no paint (the window would
  // still be brought up to date, a round trip to the window system); it is
  // painted once it shows again.
  bool DeferIfCovered() {
    if (!CoverWatch::Get().Covered(this)) return false;
    deferred_ = true;
    return true;
  }

  // A paint left out while covered is made up for once the picture shows.
  void PaintIfUncovered() {
    if (deferred_ && !CoverWatch::Get().Covered(this)) {
      deferred_ = false;
      update();
    }
  }

  // Asks for a repaint of r unless a repaint asked for since the last paint
  // covers it already: a picture is erased and drawn in the same places,
  // several times before the window paints once.
  void Request(const QRect& r) {
    if (!isVisible()) {
      requested_.clear();
      return;
    }
    for (const QRect& q : requested_)
      if (q.contains(r)) return;
    update(r);
    if (requested_.size() == kRequests) requested_.erase(requested_.begin());
    requested_.push_back(r);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    // Only the copy for the window is left out: grabs and prints paint always.
    QBackingStore* store = window()->backingStore();
    QPoint offset;
    QPaintDevice* device = redirected(&offset);
    const bool toWindow = store && device && device == store->paintDevice();
    if (toWindow) {
      requested_.clear();
      if (CoverWatch::Get().Covered(this)) {
        deferred_ = true;
        return;
      }
    }
    const QImage& pic = std::as_const(*image_->Picture()).Image();
    if (image_->Stretch()) {
      QPainter p(this);
      p.drawImage(rect(), pic);
      return;
    }
    // Only the damaged parts; outside the picture is the window's face.
    const QRegion damaged = e->region();
    const QRegion shown = damaged & pic.rect();
    if (!CopyRows(toWindow ? device : nullptr, offset, pic, shown)) {
      QPainter p(this);
      for (const QRect& r : shown) {
        // A clip of one rectangle keeps the copy a plain blit.
        p.setClipRect(r);
        p.drawImage(r.topLeft(), pic, r);
      }
    }
    const QRegion outside = damaged - QRegion(pic.rect());
    if (outside.isEmpty()) return;
    QPainter p(this);
    for (const QRect& r : outside) p.fillRect(r, palette().window());
  }

 private:
  // The window's own pixels in the picture's format: the damaged rows are
  // copied straight in (what a painter would copy, without setting one up).
  // The device is where the widget paints; offset as redirected() gives it.
  static bool CopyRows(QPaintDevice* device, QPoint offset, const QImage& pic, const QRegion& shown) {
    if (!device || device->devType() != QInternal::Image) return false;
    auto* dest = static_cast<QImage*>(device);
    // Opaque pixels are the same four bytes in the window's premultiplied format.
    const bool same = dest->format() == QImage::Format_RGB32 || dest->format() == QImage::Format_ARGB32_Premultiplied;
    if (pic.format() != QImage::Format_RGB32 || !same ||
        dest->devicePixelRatio() != 1.0 || pic.devicePixelRatio() != 1.0)
      return false;
    for (const QRect& r : shown)
      if (!dest->rect().contains(r.translated(-offset))) return false;
    for (const QRect& r : shown) {
      const QPoint at = r.topLeft() - offset;
      const auto bytes = static_cast<std::size_t>(r.width()) * 4;
      for (int y = 0; y < r.height(); ++y)
        std::memcpy(dest->scanLine(at.y() + y) + static_cast<std::size_t>(at.x()) * 4,
                    pic.constScanLine(r.top() + y) + static_cast<std::size_t>(r.left()) * 4, bytes);
    }
    return true;
  }

  static constexpr std::size_t kRequests = 8;
  TImage* image_;
  bool deferred_ = false;
  std::vector<QRect> requested_;  // asked for and not painted yet, in the widget's pixels
};

bool CoverWatch::Covered(const QWidget* image) const {
  const QWidget* top = image->window();
  if (!top || top == image || !image->isVisible()) return false;
  const QRect onScreen(top->geometry().topLeft() + image->mapTo(top, QPoint(0, 0)), image->size());
  for (const QPointer<QWidget>& w : stack_) {
    if (w.isNull()) continue;
    if (w == top) return false;  // nothing further in front
    if (w->isVisible() && !w->isMinimized() && w->geometry().contains(onScreen)) return true;
  }
  return false;
}

bool CoverWatch::eventFilter(QObject* obj, QEvent* e) {
  if (!obj->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(obj);
  if (!w->isWindow()) return false;
  switch (e->type()) {
    case QEvent::Show:
      PackHiddenSoon();
      [[fallthrough]];
    case QEvent::WindowActivate:
    case QEvent::ZOrderChange:
      ToFront(w);
      PaintUncovered();
      break;
    case QEvent::Hide:
      PackHiddenSoon();
      PaintUncovered();
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
      PaintUncovered();
      break;
    default:
      break;
  }
  return false;
}

void CoverWatch::PaintUncovered() {
  for (ImageWidget* image : images_) image->PaintIfUncovered();
}

void CoverWatch::PackHiddenSoon() {
  if (pack_.Active()) return;
  // Windows made at start-up draw their faces after they are shown.
  pack_.Start(std::chrono::milliseconds(2000), false);
}

void CoverWatch::PackHidden() {
  bool packed = false;
  for (TImage* image : pictures_) packed |= image->PackIfUnseen();
#if defined(__GLIBC__)
  // Large pictures may sit in the middle of the heap: their pages go back too.
  if (packed) malloc_trim(0);
#endif
}

}  // namespace

TImage::TImage(TComponent* owner) : TControl(owner), picture_(std::make_unique<TBitmap>(105, 105)) {
  CoverWatch::Get().AddPicture(this);
  SetClickOnMouseUp(true);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { CoverWatch::Get().RemovePicture(this); }

QWidget* TImage::MakeWidget() { return new ImageWidget(this); }

bool TImage::PackIfUnseen() {
  const QWidget* w = MadeWidget();
  return (!w || !w->isVisible()) && picture_->Pack();
}

void TImage::Resized() {
  if (picture_->Width() != width_ || picture_->Height() != height_) picture_->SetSize(width_, height_);
  Canvas()->MarkChanged(TCanvas::kWholePicture);
  Invalidate();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Canvas()->MarkChanged(TCanvas::kWholePicture);
  Invalidate();
}

void TImage::Invalidate() {
  const TCanvas::ChangedRects changed = Canvas()->TakeChanged();
  auto* w = static_cast<ImageWidget*>(MadeWidget());
  if (!w || changed.Count == 0 || w->DeferIfCovered()) return;
  if (stretch_) {
    w->update();
    return;
  }
  for (const TRect& r : changed) w->Request(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
}

QPoint TImage::ToClient(QPoint p) const {
  if (!stretch_ || width_ <= 0 || height_ <= 0) return p;
  return QPoint(p.x() * picture_->Width() / width_, p.y() * picture_->Height() / height_);
}
