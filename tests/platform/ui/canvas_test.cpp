#include "platform/ui/canvas.h"

#include <QTemporaryDir>
#include <climits>
#include <functional>
#include <random>
#include <set>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <gtest/gtest.h>

namespace {

using PixelSet = std::set<std::pair<int, int>>;

QImage Filled(int w, int h, TColor c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(ToQRgb(c));
  return img;
}

// A picture where neighbouring pixels differ, so that a misplaced or doubled
// write cannot go unnoticed.
QImage Noise(int w, int h, unsigned seed) {
  QImage img(w, h, QImage::Format_RGB32);
  std::mt19937 gen(seed);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (gen() & 0xFFFFFFu);
  }
  return img;
}

// Pixels of img that differ from colour c.
PixelSet NotColour(const QImage& img, TColor c) {
  PixelSet out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (FromQRgb(img.pixel(x, y)) != c) out.insert({x, y});
  return out;
}

PixelSet OfColour(const QImage& img, TColor c) {
  PixelSet out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (FromQRgb(img.pixel(x, y)) == c) out.insert({x, y});
  return out;
}

// Union of the pixels of each segment drawn on its own (copy mode, end left out).
PixelSet SegmentUnion(const std::vector<TPoint>& pts, int w, int h, int width = 1) {
  QImage img = Filled(w, h, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  c.Pen.Width = width;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    c.MoveTo(pts[i].x, pts[i].y);
    c.LineTo(pts[i + 1].x, pts[i + 1].y);
  }
  return OfColour(img, clWhite);
}

}  // namespace

TEST(CanvasColour, TColorLandsAsRgbAndReadsBack) {
  QImage img = Filled(4, 4, clBlack);
  TCanvas c(&img);
  c.SetPixel(1, 1, 0xDC0000);  // blue
  c.Pen.Color = 0x0000DC;      // red
  c.MoveTo(0, 2);
  c.LineTo(2, 2);
  EXPECT_EQ(img.pixel(1, 1), 0xFF0000DCu);
  EXPECT_EQ(img.pixel(0, 2), 0xFFDC0000u);
  EXPECT_EQ(c.Pixels(1, 1), 0xDC0000u);
  EXPECT_EQ(c.Pixels(0, 2), 0x0000DCu);
  // The high byte of a TColor never reaches the picture.
  c.SetPixel(3, 3, 0x12345678);
  EXPECT_EQ(img.pixel(3, 3), 0xFF785634u);
  EXPECT_EQ(c.Pixels(-1, 0), CLR_INVALID);
  EXPECT_EQ(c.Pixels(4, 0), CLR_INVALID);
  EXPECT_EQ(c.Pixels(0, 4), CLR_INVALID);
}

TEST(CanvasLines, LineToLeavesOutLastPixelAndMovesPen) {
  QImage img = Filled(20, 20, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  c.MoveTo(2, 3);
  c.LineTo(7, 3);
  EXPECT_EQ(c.PenPos, Point(7, 3));
  EXPECT_EQ(OfColour(img, clWhite), (PixelSet{{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}));
  // A zero-length LineTo draws nothing.
  c.LineTo(7, 3);
  EXPECT_EQ(OfColour(img, clWhite).size(), 5u);
  // The next segment starts at the pixel the previous one left out.
  c.LineTo(7, 10);
  const PixelSet all = OfColour(img, clWhite);
  EXPECT_TRUE(all.count({7, 3}));
  EXPECT_FALSE(all.count({7, 10}));
  EXPECT_EQ(all.size(), 12u);
}

TEST(CanvasLines, LineInclusiveDrawsBothEnds) {
  QImage img = Filled(20, 20, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  c.MoveTo(1, 1);
  c.LineInclusive(10, 2, 4, 8);
  const PixelSet px = OfColour(img, clWhite);
  EXPECT_TRUE(px.count({10, 2}));
  EXPECT_TRUE(px.count({4, 8}));
  EXPECT_EQ(px.size(), 7u);  // one pixel per step of the longer axis
  EXPECT_EQ(c.PenPos, Point(1, 1));
  // A single point is one pixel.
  QImage one = Filled(5, 5, clBlack);
  TCanvas d(&one);
  d.Pen.Color = clWhite;
  d.LineInclusive(2, 2, 2, 2);
  EXPECT_EQ(OfColour(one, clWhite), (PixelSet{{2, 2}}));
}

TEST(CanvasPolyline, EachPixelChangesOnceEvenWhereThePathMeetsItself) {
  // Back over itself, crossing, and through the same vertex twice.
  const std::vector<TPoint> path = {{2, 2}, {30, 2}, {10, 2}, {10, 20}, {2, 10}, {30, 10}, {10, 2}, {25, 25}};
  for (int width : {1, 2, 3}) {
    QImage img = Filled(40, 40, clBlack);
    TCanvas c(&img);
    c.Pen.Color = clWhite;
    c.Pen.Width = width;
    c.Pen.Mode = pmXor;
    c.Polyline(path);
    // With xor, a pixel changed twice would be black again.
    EXPECT_EQ(OfColour(img, clWhite), SegmentUnion(path, 40, 40, width)) << "width " << width;
    EXPECT_EQ(NotColour(img, clBlack), OfColour(img, clWhite));
  }
}

TEST(CanvasPolyline, LastPointLeftOutAndShortListsDrawNothing) {
  QImage img = Filled(20, 20, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  const TPoint one[] = {{5, 5}};
  c.Polyline(one, 1);
  c.Polyline(nullptr, 3);
  EXPECT_TRUE(OfColour(img, clWhite).empty());
  c.Polyline(std::vector<TPoint>{{1, 1}, {5, 1}, {5, 6}});
  const PixelSet px = OfColour(img, clWhite);
  EXPECT_EQ(px.size(), 9u);
  EXPECT_TRUE(px.count({5, 1}));
  EXPECT_FALSE(px.count({5, 6}));
  EXPECT_EQ(c.PenPos, Point(0, 0));  // a polyline leaves the pen position alone
}

TEST(CanvasNotXor, DrawingTwiceRestoresEveryPixel) {
  const std::vector<TPoint> trace = {{-5, 40}, {3, 2}, {60, 70}, {20, 70}, {80, 1}, {3, 2}, {3, 2}, {90, 40}, {40, 40}};
  struct Case {
    const char* name;
    int width;
    TPenStyle style;
  };
  for (const Case& k : {Case{"solid", 1, psSolid}, Case{"wide", 2, psSolid}, Case{"dotted", 1, psDot},
                        Case{"dashed", 1, psDash}, Case{"wider", 5, psSolid}}) {
    const QImage before = Noise(80, 60, 7);
    QImage img = before;
    TCanvas c(&img);
    c.Pen.Color = 0x40C020;
    c.Pen.Mode = pmNotXor;
    c.Pen.Width = k.width;
    c.Pen.Style = k.style;
    c.Brush.Color = 0x123456;
    auto draw = [&] {
      c.Polyline(trace);
      c.MoveTo(10, 50);
      c.LineTo(70, 5);
      c.LineTo(70, 55);
      c.LineInclusive(0, 0, 79, 59);
      c.Rectangle(5, 5, 30, 25);
      c.Ellipse(30, 10, 75, 50);
    };
    draw();
    EXPECT_NE(img, before) << k.name;
    draw();
    EXPECT_EQ(img, before) << k.name;
  }
}

TEST(CanvasNotXor, ACallDrawsAloneWhateverTheCanvasDrewBefore) {
  // Each call on one canvas after all the others must change the pixels a
  // fresh canvas changes: what earlier calls left behind (the pixels they
  // marked as changed) must not hide any pixel from a later one.
  using Draw = std::function<void(TCanvas&)>;
  const std::vector<std::pair<const char*, Draw>> calls = {
      {"trace low", [](TCanvas& c) { c.Polyline(std::vector<TPoint>{{0, 50}, {20, 58}, {40, 45}, {79, 55}}); }},
      {"trace high, over the same columns",
       [](TCanvas& c) { c.Polyline(std::vector<TPoint>{{0, 5}, {20, 12}, {40, 3}, {79, 9}, {10, 9}}); }},
      {"trace across both", [](TCanvas& c) { c.Polyline(std::vector<TPoint>{{5, 0}, {6, 59}, {70, 0}, {71, 59}}); }},
      {"rectangle", [](TCanvas& c) { c.Rectangle(10, 20, 60, 40); }},
      {"ellipse", [](TCanvas& c) { c.Ellipse(15, 2, 65, 57); }},
      {"wide trace", [](TCanvas& c) { c.Pen.Width = 3; c.Polyline(std::vector<TPoint>{{2, 30}, {78, 31}, {2, 33}}); c.Pen.Width = 1; }},
      {"flood fill", [](TCanvas& c) { c.Brush.Color = 0x00FF00; c.FloodFill(40, 30, c.Pixels(40, 30), fsSurface); }},
      {"trace low again", [](TCanvas& c) { c.Polyline(std::vector<TPoint>{{0, 50}, {20, 58}, {40, 45}, {79, 55}}); }},
  };
  QImage img = Noise(80, 60, 3);
  TCanvas shared(&img);
  shared.Pen.Color = 0x40C020;
  shared.Pen.Mode = pmNotXor;
  shared.Brush.Style = bsClear;
  for (const auto& [name, draw] : calls) {
    QImage alone = img;
    TCanvas fresh(&alone);
    fresh.Pen = shared.Pen;
    fresh.Brush = shared.Brush;
    draw(fresh);
    draw(shared);
    EXPECT_EQ(img, alone) << name;
  }
}

TEST(CanvasNotXor, WritesNotOfPenXorPixel) {
  QImage img = Filled(5, 1, 0x102030);
  TCanvas c(&img);
  c.Pen.Color = 0xF0A050;
  c.Pen.Mode = pmNotXor;
  c.MoveTo(0, 0);
  c.LineTo(5, 0);
  EXPECT_EQ(c.Pixels(2, 0), (~(0xF0A050u ^ 0x102030u)) & 0xFFFFFFu);
  EXPECT_EQ(img.pixel(2, 0) >> 24, 0xFFu);
  c.Pen.Mode = pmNop;
  c.MoveTo(0, 0);
  c.LineTo(5, 0);
  EXPECT_EQ(c.Pixels(2, 0), (~(0xF0A050u ^ 0x102030u)) & 0xFFFFFFu);
}

TEST(CanvasPenStyle, DotsAlternateAndLeaveGapsUntouched) {
  QImage img = Noise(20, 3, 3);
  const QImage before = img;
  TCanvas c(&img);
  c.Pen.Color = clRed;
  c.Pen.Style = psDot;
  c.Brush.Color = clWhite;  // the gaps stay as they were whatever the brush
  c.Brush.Style = bsSolid;
  c.MoveTo(0, 1);
  c.LineTo(20, 1);
  for (int x = 0; x < 20; ++x) {
    if (x % 2 == 0)
      EXPECT_EQ(c.Pixels(x, 1), clRed) << x;
    else
      EXPECT_EQ(img.pixel(x, 1), before.pixel(x, 1)) << x;
  }
  // The pattern restarts at MoveTo but runs on over chained LineTo calls.
  QImage two = Filled(20, 1, clBlack);
  TCanvas d(&two);
  d.Pen.Color = clWhite;
  d.Pen.Style = psDot;
  d.MoveTo(0, 0);
  d.LineTo(3, 0);  // on off on
  d.LineTo(6, 0);  // off on off
  EXPECT_EQ(OfColour(two, clWhite), (PixelSet{{0, 0}, {2, 0}, {4, 0}}));
}

TEST(CanvasPenStyle, DashIsSixOnTwoOffAndWidePensAreSolid) {
  QImage img = Filled(24, 3, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  c.Pen.Style = psDash;
  c.LineInclusive(0, 0, 23, 0);
  for (int x = 0; x < 24; ++x) EXPECT_EQ(c.Pixels(x, 0) == clWhite, x % 8 < 6) << x;
  c.Pen.Width = 2;
  c.Pen.Style = psDot;
  c.LineInclusive(0, 1, 9, 1);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.Pixels(x, 1), clWhite) << x;
  c.Pen.Style = psClear;
  c.Pen.Width = 1;
  c.Pen.Color = clRed;
  c.LineInclusive(0, 0, 23, 0);
  EXPECT_TRUE(OfColour(img, clRed).empty());
}

TEST(CanvasPenWidth, WidthTwoIsAFixedTwoByTwoFootprint) {
  QImage img = Filled(10, 10, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clWhite;
  c.Pen.Width = 2;
  c.LineInclusive(4, 4, 4, 4);
  EXPECT_EQ(OfColour(img, clWhite), (PixelSet{{4, 4}, {5, 4}, {4, 5}, {5, 5}}));
  QImage line = Filled(10, 10, clBlack);
  TCanvas d(&line);
  d.Pen.Color = clWhite;
  d.Pen.Width = 2;
  d.MoveTo(1, 1);
  d.LineTo(5, 1);
  // Line pixels x 1..4, each widened to the right and down.
  PixelSet expected;
  for (int x = 1; x <= 5; ++x) expected.insert({{x, 1}, {x, 2}});
  EXPECT_EQ(OfColour(line, clWhite), expected);
}

TEST(CanvasShapes, RectangleIsRightBottomExclusive) {
  QImage img = Filled(12, 12, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clRed;
  c.Brush.Color = clBlue;
  c.Rectangle(2, 3, 7, 9);
  PixelSet outline, inside;
  for (int y = 3; y <= 8; ++y)
    for (int x = 2; x <= 6; ++x) (x == 2 || x == 6 || y == 3 || y == 8 ? outline : inside).insert({x, y});
  EXPECT_EQ(OfColour(img, clRed), outline);
  EXPECT_EQ(OfColour(img, clBlue), inside);
  // Corners given the other way round make the same rectangle.
  QImage swapped = Filled(12, 12, clBlack);
  TCanvas d(&swapped);
  d.Pen.Color = clRed;
  d.Brush.Color = clBlue;
  d.Rectangle(7, 9, 2, 3);
  EXPECT_EQ(swapped, img);
  // A clear brush leaves the inside alone; a clear pen fills one pixel less.
  QImage hollow = Filled(12, 12, clBlack);
  TCanvas e(&hollow);
  e.Pen.Color = clRed;
  e.Brush.Style = bsClear;
  e.Rectangle(2, 3, 7, 9);
  EXPECT_EQ(OfColour(hollow, clRed), outline);
  EXPECT_EQ(NotColour(hollow, clBlack), outline);
  QImage penless = Filled(12, 12, clBlack);
  TCanvas f(&penless);
  f.Pen.Style = psClear;
  f.Brush.Color = clBlue;
  f.Rectangle(2, 3, 7, 9);
  EXPECT_EQ(OfColour(penless, clBlue).size(), 4u * 5u);
  EXPECT_TRUE(OfColour(penless, clBlue).count({2, 3}));
  EXPECT_FALSE(OfColour(penless, clBlue).count({6, 3}));
}

TEST(CanvasShapes, FillRectAndFrameRectUseTheBrushOnly) {
  QImage img = Filled(10, 10, clBlack);
  TCanvas c(&img);
  c.Pen.Mode = pmNotXor;  // a fill copies whatever the pen does
  c.Brush.Color = clLime;
  c.FillRect(Rect(1, 2, 4, 7));
  EXPECT_EQ(OfColour(img, clLime).size(), 15u);
  EXPECT_EQ(NotColour(img, clBlack), OfColour(img, clLime));
  EXPECT_TRUE(OfColour(img, clLime).count({3, 6}));
  c.FillRect(Rect(-100, -100, 1, 1000000));
  EXPECT_EQ(OfColour(img, clLime).size(), 25u);
  c.Brush.Style = bsClear;
  c.Brush.Color = clRed;
  c.FillRect(Rect(0, 0, 10, 10));
  EXPECT_TRUE(OfColour(img, clRed).empty());

  QImage frame = Filled(10, 10, clBlack);
  TCanvas d(&frame);
  d.Brush.Color = clWhite;
  d.FrameRect(Rect(1, 1, 5, 4));
  EXPECT_EQ(OfColour(frame, clWhite).size(), 10u);
  EXPECT_FALSE(OfColour(frame, clWhite).count({2, 2}));
  EXPECT_TRUE(OfColour(frame, clWhite).count({4, 3}));
}

TEST(CanvasShapes, EllipseFillsItsBoxSymmetrically) {
  for (auto [w, h] : {std::pair{11, 7}, std::pair{10, 10}, std::pair{1, 6}, std::pair{20, 2}}) {
    QImage img = Filled(30, 20, clBlack);
    TCanvas c(&img);
    c.Pen.Color = clRed;
    c.Brush.Color = clBlue;
    c.Ellipse(3, 4, 3 + w, 4 + h);
    const PixelSet drawn = NotColour(img, clBlack);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (const auto& [x, y] : drawn) {
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      // Mirror images across both centre lines are drawn too.
      EXPECT_TRUE(drawn.count({3 + w - 1 - (x - 3), y}));
      EXPECT_TRUE(drawn.count({x, 4 + h - 1 - (y - 4)}));
    }
    EXPECT_EQ(minX, 3);
    EXPECT_EQ(maxX, 3 + w - 1);
    EXPECT_EQ(minY, 4);
    EXPECT_EQ(maxY, 4 + h - 1);
    if (w > 2 && h > 2) {
      EXPECT_EQ(c.Pixels(3 + w / 2, 4 + h / 2), clBlue);
      EXPECT_EQ(c.Pixels(3, 4), clBlack);  // corners stay outside
    }
  }
}

TEST(CanvasShapes, FloodFillStopsAtTheBorder) {
  QImage img = Filled(20, 20, clWhite);
  TCanvas c(&img);
  c.Pen.Color = clBlack;
  c.Brush.Style = bsClear;
  c.Rectangle(5, 5, 15, 15);
  c.Brush.Style = bsSolid;
  c.Brush.Color = clGreen;
  c.FloodFill(10, 10, clWhite, fsSurface);
  EXPECT_EQ(OfColour(img, clGreen).size(), 8u * 8u);
  c.Brush.Color = clRed;
  c.FloodFill(0, 0, clBlack, fsBorder);
  EXPECT_EQ(OfColour(img, clRed).size(), 20u * 20u - 10u * 10u);
  // Filling an area with its own colour ends.
  c.FloodFill(0, 0, clRed, fsSurface);
  EXPECT_EQ(OfColour(img, clRed).size(), 20u * 20u - 10u * 10u);
}

TEST(CanvasClipping, FarCoordinatesClipLikeTheUnclippedLine) {
  // The same lines on a picture large enough to hold them and on a small
  // window of it: the window must show exactly the same pixels.
  const int ox = 1000, oy = 200;
  const std::vector<std::pair<TPoint, TPoint>> lines = {
      {{-1000, 7}, {1000, 33}}, {{17, -150}, {40, 180}}, {{-900, -190}, {950, 195}}, {{60, 10}, {-1000, 30}}};
  for (int width : {1, 2}) {
    QImage big = Filled(2100, 420, clBlack);
    QImage small = Filled(50, 40, clBlack);
    TCanvas cb(&big), cs(&small);
    for (TCanvas* c : {&cb, &cs}) {
      c->Pen.Color = clWhite;
      c->Pen.Width = width;
      c->Pen.Style = width == 1 ? psDot : psSolid;
    }
    for (const auto& [a, b] : lines) {
      cb.MoveTo(a.x + ox, a.y + oy);
      cb.LineTo(b.x + ox, b.y + oy);
      cs.MoveTo(a.x, a.y);
      cs.LineTo(b.x, b.y);
    }
    EXPECT_EQ(small, big.copy(ox, oy, 50, 40)) << "width " << width;
    EXPECT_FALSE(OfColour(small, clWhite).empty());
  }
}

TEST(CanvasClipping, PathsOnThePictureStepAsPathsThatLeaveIt) {
  // Random paths, steep and shallow, meeting themselves, drawn not-xor over
  // noise: on a picture that holds every point and on a window of it that
  // some points leave, the window shows the same pixels.
  const int ox = 30, oy = 20, w = 60, h = 50;
  std::mt19937 gen(7);
  for (int trial = 0; trial < 40; ++trial) {
    std::uniform_int_distribution<int> px(-ox, w + ox - 1), py(-oy, h + oy - 1), len(2, 12), step(-1, 1);
    std::vector<TPoint> path(static_cast<std::size_t>(len(gen)));
    for (TPoint& p : path) p = TPoint{px(gen), py(gen)};
    if (trial % 4 >= 2) {
      // A trace: steps to neighbouring pixels (or none), now and then a jump.
      path.resize(200);
      for (std::size_t i = 1; i < path.size(); ++i)
        path[i] = i % 37 == 0 ? TPoint{px(gen), py(gen)} : TPoint{path[i - 1].x + step(gen), path[i - 1].y + step(gen)};
    }
    QImage big = Noise(w + 2 * ox, h + 2 * oy, trial);
    QImage small = big.copy(ox, oy, w, h);
    TCanvas cb(&big), cs(&small);
    const auto colour = static_cast<TColor>(gen() & 0xFFFFFF);
    for (TCanvas* c : {&cb, &cs}) {
      c->Pen.Color = colour;
      c->Pen.Mode = trial % 2 ? pmNotXor : pmCopy;
    }
    std::vector<TPoint> shifted = path;
    for (TPoint& p : shifted) p = TPoint{p.x + ox, p.y + oy};
    cs.Polyline(path);
    cb.Polyline(shifted);
    cs.LineInclusive(path.front().x, path.front().y, path.back().x, path.back().y);
    cb.LineInclusive(shifted.front().x, shifted.front().y, shifted.back().x, shifted.back().y);
    ASSERT_EQ(small, big.copy(ox, oy, w, h)) << "trial " << trial;
  }
}

TEST(CanvasClipping, ExtremeCoordinatesNeitherHangNorCrash) {
  QImage img = Filled(50, 50, clBlack);
  TCanvas c(&img);
  c.Pen.Color = clBlack;  // not-xor of black over black gives white
  c.Pen.Mode = pmNotXor;
  c.LineInclusive(-1000000, -1000000, 1000000, 1000000);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(c.Pixels(i, i), clWhite) << i;
  EXPECT_EQ(OfColour(img, clWhite).size(), 50u);
  const std::vector<TPoint> wild = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}, {25, 25}, {INT_MAX, 0}};
  c.Pen.Width = 3;
  c.Polyline(wild);
  c.Polyline(wild);
  c.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  c.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  c.Ellipse(-1000000, -1000000, 1000000, 1000000);
  c.Ellipse(-1000000, -1000000, 1000000, 1000000);
  c.Pen.Width = 1;
  c.LineInclusive(-1000000, -1000000, 1000000, 1000000);
  EXPECT_TRUE(OfColour(img, clWhite).empty());  // every pair of draws cancelled out
}

TEST(CanvasText, OpaqueTextIsErasedByReprintingInTheBackground) {
  const TColor bg = 0x202020;
  QImage img = Filled(200, 40, bg);
  const QImage before = img;
  TCanvas c(&img);
  c.Pen.Mode = pmNotXor;  // text is always copied
  c.Brush.Color = bg;
  c.Font.Color = clYellow;
  c.TextOut(10, 5, "dt: 12.5ms");
  EXPECT_NE(img, before);
  // No antialiasing: every pixel is background or text colour.
  EXPECT_EQ(NotColour(img, bg), OfColour(img, clYellow));
  c.Font.Color = bg;
  c.TextOut(10, 5, "dt: 12.5ms");
  EXPECT_EQ(img, before);
  EXPECT_EQ(c.PenPos, Point(10 + c.TextWidth("dt: 12.5ms"), 5));
}

TEST(CanvasText, OpaqueFillsTheTextCellAndTransparentDoesNot) {
  QImage img = Filled(200, 40, clBlack);
  TCanvas c(&img);
  c.Font.Color = clWhite;
  c.Brush.Color = clBlue;
  const std::string text = "CH1 1V";
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  c.TextOut(20, 8, text);
  PixelSet cell;
  for (int y = 8; y < 8 + h; ++y)
    for (int x = 20; x < 20 + w; ++x) cell.insert({x, y});
  EXPECT_EQ(NotColour(img, clBlack), cell);
  EXPECT_FALSE(OfColour(img, clWhite).empty());

  QImage clear = Filled(200, 40, clBlack);
  TCanvas d(&clear);
  d.Font.Color = clWhite;
  d.Brush.Style = bsClear;
  d.TextOut(20, 8, text);
  EXPECT_EQ(NotColour(clear, clBlack), OfColour(clear, clWhite));
  EXPECT_EQ(OfColour(clear, clWhite), OfColour(img, clWhite));
}

TEST(CanvasText, MetricsMatchWhatIsDrawn) {
  QImage img = Filled(400, 60, clBlack);
  TCanvas c(&img);
  c.Font.Color = clWhite;
  c.Brush.Style = bsClear;
  c.Font.Size = 8;
  const std::string text = "Sample rate 50MS/s";
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  // 8 points at 96 dpi is an 11-pixel font.
  EXPECT_GE(h, 11);
  EXPECT_LE(h, 16);
  c.TextOut(30, 10, text);
  int minX = 999, maxX = -1, minY = 999, maxY = -1;
  for (const auto& [x, y] : OfColour(img, clWhite))
    minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
  EXPECT_GE(minX, 30);
  EXPECT_LT(maxX, 30 + w);
  EXPECT_GE(maxX, 30 + w - 3);  // the advance ends just after the last glyph
  EXPECT_GE(minY, 10);
  EXPECT_LT(maxY, 10 + h);
  EXPECT_GT(c.TextWidth(text + "x"), w);
  EXPECT_EQ(c.TextWidth(""), 0);
  c.Font.Size = 16;
  EXPECT_GT(c.TextHeight(text), h);
  c.Font.Size = 8;
  c.Font.Style = fsBold;
  EXPECT_GE(c.TextWidth(text), w);
}

TEST(CanvasCopies, DrawStretchDrawAndCopyRect) {
  TBitmap src(3, 2);
  const TColor colours[2][3] = {{clRed, clLime, clBlue}, {clYellow, clAqua, clFuchsia}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.Canvas()->SetPixel(x, y, colours[y][x]);

  QImage img = Filled(10, 10, clBlack);
  TCanvas c(&img);
  c.Pen.Mode = pmNotXor;  // copies ignore the pen mode
  c.Draw(8, 9, src);      // clipped at the right and bottom
  EXPECT_EQ(c.Pixels(8, 9), clRed);
  EXPECT_EQ(c.Pixels(9, 9), clLime);
  EXPECT_EQ(NotColour(img, clBlack).size(), 2u);
  c.Draw(-1, -1, src);
  EXPECT_EQ(c.Pixels(0, 0), clAqua);
  EXPECT_EQ(c.Pixels(1, 0), clFuchsia);
  EXPECT_EQ(c.Pixels(2, 0), clBlack);

  QImage big = Filled(12, 8, clBlack);
  TCanvas s(&big);
  s.StretchDraw(Rect(0, 0, 6, 4), src);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(s.Pixels(x, y), colours[y / 2][x / 2]) << x << "," << y;
  EXPECT_EQ(s.Pixels(6, 0), clBlack);
  // A negative extent mirrors.
  s.StretchDraw(Rect(9, 4, 6, 6), src);
  EXPECT_EQ(s.Pixels(6, 4), clBlue);
  EXPECT_EQ(s.Pixels(8, 5), clYellow);

  // Copying within one picture reads the picture as it was before the copy.
  QImage strip = Filled(6, 1, clBlack);
  TCanvas t(&strip);
  for (int x = 0; x < 6; ++x) t.SetPixel(x, 0, static_cast<TColor>(x + 1));
  t.CopyRect(Rect(1, 0, 6, 1), t, Rect(0, 0, 5, 1));
  for (int x = 1; x < 6; ++x) EXPECT_EQ(t.Pixels(x, 0), static_cast<TColor>(x));
  EXPECT_EQ(t.Pixels(0, 0), 1u);
}

TEST(CanvasBitmap, AnUnusedPictureIsWhiteWhenFirstDrawnReadOrSaved) {
  // Each way in to a sized picture nothing has touched: it is all white, at
  // its last size, and a canvas taken before a resize through zero draws on it.
  const std::vector<std::pair<const char*, std::function<QImage(TBitmap&)>>> ways = {
      {"image", [](TBitmap& b) { return b.Image(); }},
      {"pixel read", [](TBitmap& b) {
         EXPECT_EQ(b.Canvas()->Pixels(2, 1), clWhite);
         return b.Image();
       }},
      {"line", [](TBitmap& b) {
         TCanvas* c = b.Canvas();
         b.SetSize(0, 0);
         b.SetSize(7, 3);
         c->LineInclusive(0, 0, 0, 2);
         return b.Image();
       }},
      {"assign", [](TBitmap& b) {
         TBitmap copy;
         copy.Assign(b);
         return copy.Image();
       }},
  };
  for (const auto& [name, use] : ways) {
    TBitmap bmp(3, 2);
    bmp.SetSize(7, 3);
    EXPECT_EQ(bmp.Width(), 7) << name;
    EXPECT_EQ(bmp.Height(), 3) << name;
    const QImage img = use(bmp);
    ASSERT_EQ(img.size(), QSize(7, 3)) << name;
    const PixelSet notWhite = NotColour(img, clWhite);
    const PixelSet expected = std::string(name) == "line" ? PixelSet{{0, 0}, {0, 1}, {0, 2}} : PixelSet{};
    EXPECT_EQ(notWhite, expected) << name;
  }
}

TEST(CanvasBitmap, SizeAssignAndBmpFiles) {
  TBitmap empty;
  EXPECT_EQ(empty.Width(), 0);
  empty.Canvas()->LineInclusive(0, 0, 5, 5);  // nothing to draw on, no crash
  EXPECT_FALSE(empty.SaveToFile("/nonexistent/x.bmp"));

  TBitmap bmp(4, 3);
  EXPECT_EQ(bmp.Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(bmp.Canvas()->Pixels(3, 2), clWhite);
  bmp.Canvas()->SetPixel(1, 1, clNavy);
  bmp.SetSize(6, 2);
  EXPECT_EQ(bmp.Width(), 6);
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clNavy);
  EXPECT_EQ(bmp.Canvas()->Pixels(5, 1), clWhite);
  bmp.Canvas()->SetPixel(5, 1, clMaroon);  // the canvas follows the new picture
  EXPECT_EQ(FromQRgb(bmp.Image().pixel(5, 1)), clMaroon);

  TBitmap copy;
  copy.Assign(bmp);
  copy.Canvas()->SetPixel(1, 1, clOlive);
  EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clNavy);
  EXPECT_EQ(copy.Canvas()->Pixels(1, 1), clOlive);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("pic.bmp").toStdString();
  ASSERT_TRUE(bmp.SaveToFile(path));
  TBitmap loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.Width(), 6);
  EXPECT_EQ(loaded.Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(loaded.Image(), bmp.Image());
  loaded.Canvas()->SetPixel(0, 0, clTeal);
  EXPECT_EQ(FromQRgb(loaded.Image().pixel(0, 0)), clTeal);
  EXPECT_FALSE(loaded.LoadFromFile(dir.filePath("missing.bmp").toStdString()));
  EXPECT_EQ(loaded.Width(), 6);  // a failed load keeps the picture
}

// Counted by the C library's allocator; the address sanitizer's own
// allocator does not keep these counts.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
TEST(CanvasBitmap, APackedPictureGivesBackItsPixelsAndWhatItsStrokesKept) {
  // A hidden window's picture is packed to give its memory back: the pixels
  // and the per-pixel bookkeeping of its last strokes, both.
  TBitmap b(1000, 560);
  b.Canvas()->Brush.Color = clYellow;
  b.Canvas()->FillRect(TRect{0, 0, 1000, 560});
  b.Canvas()->Pen.Mode = pmNotXor;
  b.Canvas()->Polyline(std::vector<TPoint>{{0, 0}, {999, 559}, {0, 559}, {999, 0}});
  const auto inUse = [] {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
  };
  const std::size_t before = inUse();
  ASSERT_TRUE(b.Pack());
  const std::size_t freed = before - std::min(before, inUse());
  // Four bytes a pixel, and a bit a pixel for the strokes.
  EXPECT_GE(freed, (std::size_t{1000} * 560 * 4 + std::size_t{1000} * 560 / 8) * 95 / 100);
}
#endif

TEST(CanvasBitmap, APackedPictureComesBackWholeByEveryWayIn) {
  // A grid-like picture (few colour runs) is packed; each way in then sees,
  // and draws on, exactly the pixels of a twin that was never packed. A noisy
  // picture is not worth packing and stays as it is.
  const auto grid = [](TBitmap& b) {
    TCanvas* c = b.Canvas();
    c->Brush.Color = clYellow;
    c->FillRect(TRect{0, 0, 400, 200});
    c->Pen.Color = clGray;
    for (int x = 0; x < 400; x += 40) c->LineInclusive(x, 0, x, 199);
    c->Pen.Mode = pmNotXor;
    c->Polyline(std::vector<TPoint>{{0, 100}, {120, 5}, {250, 190}, {399, 100}});
  };
  const std::vector<std::pair<const char*, std::function<QImage(TBitmap&)>>> ways = {
      {"image", [](TBitmap& b) { return b.Image(); }},
      {"pixel read", [](TBitmap& b) {
         EXPECT_EQ(b.Canvas()->Pixels(40, 3), clGray);
         return b.Image();
       }},
      {"not-xor over it", [](TBitmap& b) {
         b.Canvas()->Pen.Mode = pmNotXor;
         b.Canvas()->Polyline(std::vector<TPoint>{{0, 0}, {399, 199}, {0, 199}, {399, 0}});
         return b.Image();
       }},
      {"resize", [](TBitmap& b) {
         b.SetSize(420, 180);
         return b.Image();
       }},
      {"drawn from", [](TBitmap& b) {
         TBitmap other(400, 200);
         other.Canvas()->Draw(0, 0, b);
         return other.Image();
       }},
      {"assign", [](TBitmap& b) {
         TBitmap copy;
         copy.Assign(b);
         return copy.Image();
       }},
  };
  for (const auto& [name, use] : ways) {
    TBitmap packed(400, 200), twin(400, 200);
    grid(packed);
    grid(twin);
    ASSERT_TRUE(packed.Pack()) << name;
    EXPECT_EQ(packed.Width(), 400) << name;
    EXPECT_EQ(packed.Height(), 200) << name;
    EXPECT_EQ(use(packed), use(twin)) << name;
    EXPECT_EQ(packed.Image(), twin.Image()) << name;
  }
  TBitmap noisy(64, 40);
  noisy.Image() = Noise(64, 40, 3);
  const QImage before = noisy.Image();
  EXPECT_FALSE(noisy.Pack());
  EXPECT_EQ(noisy.Image(), before);
}
