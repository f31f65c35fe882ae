#include "platform/ui/window_place.h"

#include <algorithm>
#include <cstdint>

#include <QGuiApplication>
#include <QScreen>

namespace ui {

namespace {

// lo .. hi, or lo when the range is empty.
int ClampToRange(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<int>(hi < lo ? lo : std::clamp(v, lo, hi));
}

}  // namespace

WindowPlace FitWindowPlace(const WindowPlace& place, int minWidth, int minHeight, const WorkArea& area) {
  const std::int64_t frameW = 2 * kFrameBorder, frameH = kFrameTitleHeight + kFrameBorder;
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

}  // namespace ui
