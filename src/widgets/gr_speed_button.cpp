#include "widgets/gr_speed_button.h"

#include <algorithm>
#include <cmath>
#include <compare>
#include <map>

#include <QFontMetrics>
#include <QPainter>

// ---------------------------------------------------------------- strips

namespace {

struct Rgb {
  double r, g, b;
};

Rgb ToRgb(TColor c) { return {double(c & 0xFF), double((c >> 8) & 0xFF), double((c >> 16) & 0xFF)}; }

TColor ToColor(const Rgb& c) {
  auto channel = [](double v) { return static_cast<TColor>(std::clamp(std::lround(v), 0L, 255L)); };
  return channel(c.r) | (channel(c.g) << 8) | (channel(c.b) << 16);
}

// a at t = 0, b at t = 1.
TColor Mix(TColor a, TColor b, double t) {
  const Rgb x = ToRgb(a), y = ToRgb(b);
  return ToColor({x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t});
}

TColor Darker(TColor c, double factor) { return Mix(clBlack, c, factor); }
TColor Lighter(TColor c, double t) { return Mix(c, clWhite, t); }

TColor Grey(TColor c) {
  const Rgb x = ToRgb(c);
  const double l = 0.3 * x.r + 0.59 * x.g + 0.11 * x.b;
  return ToColor({l, l, l});
}

// The colours of one face: a vertical gradient, an inner bevel (top-left and
// bottom-right lines) and the outline.
struct Face {
  TColor top, bottom, bevelLight, bevelDark, outline;
};

void DrawCell(QImage& strip, int x0, int w, int h, const Face& f, TColor transparent) {
  const std::uint32_t clear = ToQRgb(transparent);
  // Straight into the rows: the strip is Format_RGB32.
  std::uint32_t* const bits = reinterpret_cast<std::uint32_t*>(strip.bits()) + x0;
  const std::ptrdiff_t stride = strip.bytesPerLine() / 4;
  auto pixel = [&](int x, int y) -> std::uint32_t& { return bits[y * stride + x]; };
  auto value = [&](TColor c) {
    std::uint32_t v = ToQRgb(c);
    // The transparent colour is reserved for the corners.
    if (v == clear) v ^= 0x000001;
    return v;
  };
  auto put = [&](int x, int y, TColor c) { pixel(x, y) = value(c); };
  for (int y = 0; y < h; ++y) {
    const std::uint32_t row = value(Mix(f.top, f.bottom, h > 1 ? double(y) / (h - 1) : 0.0));
    std::fill(&pixel(0, y), &pixel(0, y) + w, row);
  }
  if (w >= 4 && h >= 4) {
    for (int x = 1; x < w - 1; ++x) {
      put(x, 1, f.bevelLight);
      put(x, h - 2, f.bevelDark);
    }
    for (int y = 1; y < h - 1; ++y) {
      put(1, y, f.bevelLight);
      put(w - 2, y, f.bevelDark);
    }
  }
  if (w >= 2 && h >= 2) {
    for (int x = 0; x < w; ++x) {
      put(x, 0, f.outline);
      put(x, h - 1, f.outline);
    }
    for (int y = 0; y < h; ++y) {
      put(0, y, f.outline);
      put(w - 1, y, f.outline);
    }
  }
  // Rounded corners: the window's face shows through.
  if (w >= 6 && h >= 6) {
    const int cx[2] = {0, w - 1}, dx[2] = {1, -1};
    const int cy[2] = {0, h - 1}, dy[2] = {1, -1};
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) {
        pixel(cx[i], cy[j]) = clear;
        pixel(cx[i] + dx[i], cy[j]) = clear;
        pixel(cx[i], cy[j] + dy[j]) = clear;
        // The pixel inside the cut takes the outline, closing the curve.
        put(cx[i] + dx[i], cy[j] + dy[j], f.outline);
      }
  }
}

}  // namespace

std::unique_ptr<TBitmap> MakeButtonStrip(int cellWidth, int cellHeight, TColor base, TColor transparent) {
  cellWidth = std::max(1, cellWidth);
  cellHeight = std::max(1, cellHeight);
  auto strip = std::make_unique<TBitmap>(cellWidth * 4, cellHeight);
  QImage& img = strip->Image();
  base &= 0xFFFFFF;
  transparent &= 0xFFFFFF;

  const TColor outline = Darker(base, 0.45);
  // 0: up, a raised face lit from above.
  const Face up{Lighter(base, 0.55), Darker(base, 0.92), Lighter(base, 0.8), Darker(base, 0.72), outline};
  // 1: disabled, flat and grey.
  const TColor grey = Mix(Grey(base), clBtnFace, 0.5);
  const Face disabled{grey, grey, grey, grey, Darker(grey, 0.78)};
  // 2: down, a sunken darker face, shadowed at the top left.
  const Face down{Darker(base, 0.68), Darker(base, 0.86), Darker(base, 0.55), Lighter(base, 0.25), outline};
  // 3: mouse over, the raised face tinted warm and light.
  const TColor tinted = Mix(base, 0x9CE6FF, 0.4);
  const Face hover{Lighter(tinted, 0.6), tinted, Lighter(tinted, 0.85), Darker(tinted, 0.75), Darker(tinted, 0.5)};

  const Face faces[4] = {up, disabled, down, hover};
  for (int i = 0; i < 4; ++i) DrawCell(img, i * cellWidth, cellWidth, cellHeight, faces[i], transparent);
  return strip;
}

// ---------------------------------------------------------------- TGrSpeedButton

TGrSpeedButton::TGrSpeedButton(TComponent* owner) : TSpeedButton(owner) {
  // Every button starts from the same strip: drawn once, when a button first
  // shows it, and shared.
  SetGlyphWhenUsed(4 * kButtonCellWidth, kButtonCellHeight, [](TBitmap& glyph) {
    static const std::unique_ptr<TBitmap> defaultStrip =
        MakeButtonStrip(kButtonCellWidth, kButtonCellHeight, kButtonBaseColor);
    glyph.Assign(*defaultStrip);
  });
  SetNumGlyphs(4);
  SetBounds(Left(), Top(), Glyph()->Width() / NumGlyphs(), Glyph()->Height());
}

TGrSpeedButton::~TGrSpeedButton() = default;

void TGrSpeedButton::SetTransparentColor(TColor c) {
  if (c == transparent_color_) return;
  transparent_color_ = c;
  Invalidate();
}

int TGrSpeedButton::StateIndex() const {
  int index = 0;
  const TButtonState state = State();
  if (!Enabled()) index = 1;
  else if (Down() || state == bsDown || state == bsExclusive) index = 2;
  else if (hover_) index = 3;
  if (index >= NumGlyphs()) index = 0;
  return index;
}

namespace {

// A strip cell with the transparent colour replaced by the face colour.
QImage ComposedCell(const QImage& src, int x0, int w, int h, TColor transparent) {
  QImage cell(w, h, QImage::Format_RGB32);
  const std::uint32_t face = ToQRgb(clBtnFace);
  const std::uint32_t clear = ToQRgb(transparent) & 0xFFFFFF;
  const bool rgb32 = src.format() == QImage::Format_RGB32;
  for (int y = 0; y < h; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(cell.scanLine(y));
    const auto* in = rgb32 ? reinterpret_cast<const std::uint32_t*>(src.constScanLine(y)) + x0 : nullptr;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = in ? in[x] : src.pixel(x0 + x, y);
      out[x] = (p & 0xFFFFFF) == clear ? face : (p | 0xFF000000u);
    }
  }
  return cell;
}

// Buttons showing the same cell of the same strip share one composed cell.
// A cell no button holds any more is dropped when the next one is made.
QImage SharedComposedCell(const QImage& src, int index, int w, int h, TColor transparent) {
  struct Key {
    qint64 strip;
    int index, w, h;
    TColor transparent;
    auto operator<=>(const Key&) const = default;
  };
  static std::map<Key, QImage> cells;
  const Key key{src.cacheKey(), index, w, h, transparent};
  if (auto it = cells.find(key); it != cells.end()) return it->second;
  std::erase_if(cells, [](const auto& entry) { return entry.second.isDetached(); });
  QImage cell = ComposedCell(src, index * w, w, h, transparent);
  cells.emplace(key, cell);
  return cell;
}

}  // namespace

void TGrSpeedButton::ComposeCell(int index) {
  const TBitmap* glyph = Glyph();
  const int n = std::max(1, NumGlyphs());
  const int w = glyph ? glyph->Width() / n : 0;
  const int h = glyph ? glyph->Height() : 0;
  if (w <= 0 || h <= 0) {
    work_ = QImage();
    return;
  }
  const QImage& src = glyph->Image();
  // The same cell of the same strip is composed once, not at every paint.
  const WorkKey key{src.cacheKey(), index, transparent_color_};
  if (key == work_key_ && work_.width() == w && work_.height() == h) return;
  work_ = QImage();  // let the shared cell go first, so that it can be dropped
  work_ = SharedComposedCell(src, index, w, h, transparent_color_);
  work_key_ = key;
}

void TGrSpeedButton::Paint(QPainter& painter, const QRect& rect) {
  ComposeCell(StateIndex());
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (work_.isNull()) painter.fillRect(rect, ToQColor(clBtnFace));
  else painter.drawImage(rect, work_);

  const std::string& text = Caption();
  if (!text.empty()) {
    const QString s = QString::fromStdString(text);
    QFont font = ToQFont(Font());
    // Crisp pixels, as every text the program draws.
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    if (Enabled()) {
      painter.setPen(ToQColor(Font().Color));
      painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, s);
    } else {
      // Embossed grey: a light copy one pixel down-right under a grey one.
      const QFontMetrics fm(painter.font());
      const int tw = fm.horizontalAdvance(s), th = fm.height();
      const QRect r(rect.left() + (rect.width() - tw) / 2, rect.top() + (rect.height() - th) / 2, tw, th);
      painter.setPen(ToQColor(clWhite));
      painter.drawText(r.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
      painter.setPen(ToQColor(clGrayText));
      painter.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
    }
  }
  painter.restore();
}

void TGrSpeedButton::SetHover(bool v) {
  if (v == hover_) return;
  hover_ = v;
  Invalidate();
}

void TGrSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TSpeedButton::MouseMove(shift, x, y);
  const bool inside = x >= 0 && x <= Width() && y >= 0 && y <= Height();
  // Under the mouse only an enabled, visible button lights up; off its edge
  // the light goes at once (a held button still gets the moves).
  SetHover(inside && Enabled() && Visible());
}

void TGrSpeedButton::MouseLeave() {
  TSpeedButton::MouseLeave();
  SetHover(false);
}
