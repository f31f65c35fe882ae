#include "platform/ui/window_place.h"

#include <algorithm>
#include <cstdint>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace ui {

namespace {

// lo .. hi, or lo when the range is empty.
int ClampToRange(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<int>(hi < lo ? lo : std::clamp(v, lo, hi));
}

// Fits the window once the events of its showing or resizing have run, and
// again once the window manager has put its frame round it (the frame's size
// is known only then); later moves are the user's own. Window managers take
// a shown window's new position for the frame or for the window inside it,
// so a move that missed is made again, set off by what it missed by.
class WorkAreaKeeper : public QObject {
 public:
  explicit WorkAreaKeeper(QWidget& window) : QObject(&window), window_(&window) { window.installEventFilter(this); }

  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj != window_) return false;
    if (e->type() == QEvent::Show) {
      framed_ = false;
      tries_ = 0;
      moving_ = false;
    }
    if (e->type() == QEvent::Show || e->type() == QEvent::Resize) FitSoon(0);
    return false;
  }

 private:
  static constexpr int kTries = 40;  // at 50 ms: two seconds for the window manager

  void FitSoon(int ms) {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(ms, this, [this] {
      pending_ = false;
      Fit();
    });
  }

  void Fit() {
    QWidget* w = window_;
    if (!w || !w->isVisible() || (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) return;
    const QRect frame = w->frameGeometry();
    const int frameW = frame.width() - w->width(), frameH = frame.height() - w->height();
    framed_ = frameW > 0 || frameH > 0;
    const WindowPlace place{frame.x(), frame.y(), w->width(), w->height()};
    const WorkArea area = WorkAreaAt(frame.center().x(), frame.center().y());
    const WindowPlace fit = framed_ ? FitWindowPlace(place, w->minimumWidth(), w->minimumHeight(), area, frameW, frameH)
                                    : FitWindowPlace(place, w->minimumWidth(), w->minimumHeight(), area);
    if (fit.Width != place.Width || fit.Height != place.Height) w->resize(fit.Width, fit.Height);
    const QPoint target(fit.Left, fit.Top);
    if (target != frame.topLeft()) {
      // The same target missed last time: ask for it set off by the miss.
      const QPoint request = moving_ && target == target_ ? request_ + (target - frame.topLeft()) : target;
      target_ = target;
      request_ = request;
      moving_ = true;
      w->move(request);
    }
    if ((!framed_ || target != frame.topLeft()) && ++tries_ < kTries) FitSoon(50);
  }

  QPointer<QWidget> window_;
  bool pending_ = false;
  bool framed_ = false;
  bool moving_ = false;
  int tries_ = 0;
  QPoint target_, request_;
};

}  // namespace

WindowPlace FitWindowPlace(const WindowPlace& place, int minWidth, int minHeight, const WorkArea& area, int frameWidth,
                           int frameHeight) {
  const std::int64_t frameW = std::max(frameWidth, 0), frameH = std::max(frameHeight, 0);
  const std::int64_t maxWidth = std::max<std::int64_t>(area.Width - frameW, 1);
  const std::int64_t maxHeight = std::max<std::int64_t>(area.Height - frameH, 1);
  WindowPlace fit;
  fit.Width = static_cast<int>(std::max<std::int64_t>(std::min<std::int64_t>(place.Width, maxWidth), minWidth));
  fit.Height = static_cast<int>(std::max<std::int64_t>(std::min<std::int64_t>(place.Height, maxHeight), minHeight));
  fit.Width = std::max(fit.Width, 1);
  fit.Height = std::max(fit.Height, 1);
  fit.Left = ClampToRange(place.Left, area.Left, std::int64_t{area.Left} + area.Width - fit.Width - frameW);
  fit.Top = ClampToRange(place.Top, area.Top, std::int64_t{area.Top} + area.Height - fit.Height - frameH);
  return fit;
}

WorkArea WorkAreaAt(int x, int y) {
  QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {0, 0, 1024, 768};
  const QRect r = screen->availableGeometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void KeepInWorkArea(QWidget& window) { new WorkAreaKeeper(window); }

}  // namespace ui
