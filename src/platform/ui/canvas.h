// A GDI-shaped drawing surface over a QImage (Format_RGB32): pens with raster
// modes, brushes, text, bitmap copies. Lines and shapes go through our own
// rasteriser so that the pixel rules the drawing code relies on hold exactly:
// a line leaves out its last pixel, one polyline call touches each pixel
// once, and a not-xor pen drawn twice restores the picture.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include "platform/ui/raster.h"
#include "platform/ui/types.h"

struct TPoint {
  int x = 0, y = 0;
  bool operator==(const TPoint&) const = default;
};
inline TPoint Point(int x, int y) { return TPoint{x, y}; }

// Right and bottom are exclusive, as everywhere in GDI.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TRect&) const = default;
};
inline TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }

// Cosmetic pen styles, pixel runs along the line starting with "on":
// psDot 1 on 1 off; psDash 6 on 2 off; psDashDot 6 on 2 off 1 on 2 off;
// psDashDotDot 6 on 2 off 1 on 2 off 1 on 2 off. The "off" pixels are left
// untouched. A pen wider than 1 draws every style but psClear solid (GDI).
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

// Raster operations of pen and shape interiors (text and bitmap copies always copy).
enum TPenMode {
  pmCopy,    // pen
  pmNotXor,  // NOT(pen XOR pixel)
  pmXor,     // pen XOR pixel
  pmNot,     // NOT pixel
  pmNop      // pixel unchanged
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;  // 0 and 1 both give a one-pixel line
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

// fsSurface fills the area of the given colour, fsBorder the area bounded by it.
enum TFillStyle { fsSurface, fsBorder };

// GDI's answer for a pixel outside the surface.
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

class TBitmap;

class TCanvas {
 public:
  explicit TCanvas(QImage* target);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  void SetTarget(QImage* target);
  // The picture drawn on; all of it counts as changed (see TakeChanged).
  QImage* Target() {
    MarkChanged(kWholePicture);
    return Own();
  }
  const QImage* Target() const { return Own(); }

  // Where the picture changed since the last TakeChanged: a few rectangles
  // that cover every changed pixel (and maybe some more), within the picture.
  // A picture on the screen repaints only these.
  static constexpr int kChangedSlots = 6;
  struct ChangedRects {
    std::array<TRect, kChangedSlots> Rects{};
    int Count = 0;
    const TRect* begin() const { return Rects.data(); }
    const TRect* end() const { return Rects.data() + Count; }
  };
  ChangedRects TakeChanged();
  void MarkChanged(const TRect& r);
  static constexpr TRect kWholePicture{-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF};

  TPen Pen;
  TBrush Brush;
  TFont Font;
  // The resolution a font's point size is taken at: a screen's, or a
  // printer's for the canvas of a printed page.
  int PixelsPerInch = 96;
  // Current position of MoveTo/LineTo. Setting it directly keeps the dash
  // phase; MoveTo restarts it.
  TPoint PenPos;

  // Lines with the pen. LineTo draws from PenPos, leaves out (x, y) and moves
  // PenPos there; the dash pattern runs on over consecutive LineTo calls.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Both end pixels drawn; PenPos is neither used nor moved.
  void LineInclusive(int x1, int y1, int x2, int y2);
  // One stroke through the points: each pixel changes at most once, the last
  // point's pixel is left out, PenPos is not moved. Fewer than 2 points draw nothing.
  void Polyline(const TPoint* points, int count);
  void Polyline(const std::vector<TPoint>& points);

  // Outline with the pen over x1..x2-1, y1..y2-1 and the inside with the brush
  // (unless bsClear), both in the pen mode. With a psClear pen the filled area
  // is one pixel smaller to the right and bottom, as GDI does.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  // The ellipse inscribed in x1..x2-1, y1..y2-1: outline with the pen, inside with the brush.
  void Ellipse(int x1, int y1, int x2, int y2);
  // Brush colour over the rectangle (right/bottom exclusive), always copied; nothing with bsClear.
  void FillRect(const TRect& r);
  // A one-pixel frame in the brush colour along the rectangle's inner edge.
  void FrameRect(const TRect& r);
  // Fills with the brush (copied) from (x, y) over the 4-connected area.
  void FloodFill(int x, int y, TColor color, TFillStyle style);

  TColor Pixels(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Text with Font, top-left of the text cell at (x, y). With a bsSolid brush
  // the cell (TextWidth x TextHeight) is first filled with the brush colour.
  // Moves PenPos to (x + TextWidth(text), y). Text is UTF-8.
  void TextOut(int x, int y, const std::string& text);
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);

  // Bitmap copies (source copy, nearest neighbour when stretched; a negative
  // extent mirrors, as StretchBlt does).
  void Draw(int x, int y, const TBitmap& bitmap);
  void StretchDraw(const TRect& dest, const TBitmap& bitmap);
  void CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect);

 private:
  bool Prepare(raster::Surface& s);
  // One bit per pixel of the surface, cleared over rows top..bottom-1 (the
  // rows the call can reach): a trace's rows, not the whole picture.
  std::uint64_t* Marks(const raster::Surface& s, std::int64_t top, std::int64_t bottom);
  // Draws the polyline with the pen; returns the dash phase after it.
  std::uint64_t DrawStroke(const TPoint* points, int count, bool includeLast, std::uint64_t stylePos);
  void Blit(const TRect& dest, const QImage& source, const TRect& sourceRect);
  const QFont& CurrentFont();

  // The picture drawn on, made first when it is a bitmap's picture not made yet.
  QImage* Own() const;

  // Adds the area x1..x2-1, y1..y2-1 to the changed rectangles.
  void Touch(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

  QImage* target_ = nullptr;
  const TBitmap* bitmap_ = nullptr;  // the bitmap whose picture target_ is, if any
  friend class TBitmap;
  // A bit per pixel: a pixel already changed by the current call has its bit
  // set and is not changed again.
  std::vector<std::uint64_t> marks_;
  // Few enough that a repaint stays a handful of copies; rectangles that
  // meet are joined, and when all are taken the two that grow least as one.
  std::array<TRect, kChangedSlots> changed_{};
  int changedCount_ = 0;
  std::uint64_t stylePos_ = 0;  // dash phase carried from one LineTo to the next
  std::vector<raster::Span> spans_;
  std::vector<std::uint32_t> work_;  // flood-fill stack
  std::vector<std::int64_t> columnMap_;
  // Font of the last text call, rebuilt when size or style change.
  std::optional<QFont> font_;
  std::optional<QFontMetrics> metrics_;
  int fontPixels_ = 0;
  unsigned fontStyle_ = 0;
};

// An off-screen picture with its canvas. Not copyable (the canvas points at
// the picture); use Assign.
class TBitmap {
 public:
  TBitmap();
  TBitmap(int w, int h);
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return image_.isNull() ? blankW_ : image_.width(); }
  int Height() const { return image_.isNull() ? blankH_ : image_.height(); }
  // Keeps the picture's top-left part; new pixels are white. A picture that
  // nothing has drawn on or looked at yet takes no memory: it is made, all
  // white, when it is first used.
  void SetSize(int w, int h);
  TCanvas* Canvas() { return &canvas_; }
  // The picture to write to: all of it counts as changed (see TCanvas::TakeChanged).
  QImage& Image() {
    Materialize();
    canvas_.MarkChanged(TCanvas::kWholePicture);
    return image_;
  }
  const QImage& Image() const {
    Materialize();
    return image_;
  }

  // BMP files. A failed load leaves the picture as it was.
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path) const;
  // Copies the picture (not the canvas's pen, brush or font).
  void Assign(const TBitmap& other);
  // Keeps a picture of few colour runs (a grid, a plain face) as its runs
  // until it is next used, freeing its pixels; false when it is not worth it.
  bool Pack();
  // Drawing for a picture nobody may look at for a while (a hidden window's,
  // a button's face): on a picture not made yet it runs when the picture is
  // first drawn on or read, after drawings handed in before it; on one made
  // it runs now. The canvas's pen, brush, font and pen position are the
  // same after it as before. What it draws must not depend on state that may
  // change before it runs: take values, not references. A drawing that sets
  // every pixel (wholePicture) replaces the drawings still waiting.
  void DrawWhenUsed(std::function<void(TBitmap&)> draw, bool wholePicture = false);
  // The pixels exist (false while the picture is not made yet or packed).
  bool Made() const { return !image_.isNull(); }

 private:
  friend class TCanvas;
  void Materialize() const {
    if (blankW_ > 0) MakeBlank();
  }
  void MakeBlank() const;
  void RunDrawings(std::vector<std::function<void(TBitmap&)>> draws);

  mutable QImage image_;
  TCanvas canvas_;
  // Size of the picture not made yet (0 when there is none): all white, or
  // made from packed_, its pixels as (count, colour) runs.
  mutable int blankW_ = 0, blankH_ = 0;
  mutable std::vector<std::uint32_t> packed_;
  // Drawings of the picture not made yet, run in order when it is made.
  mutable std::vector<std::function<void(TBitmap&)>> pending_;
};
