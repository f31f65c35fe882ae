// The graticule, the trigger-level tick, the marker lines and the texts
// around the grid on any view (main picture or Big Screen).
#include "display/graticule.h"

#include <algorithm>
#include <vector>

#include "platform/ui/image.h"

namespace display {

void PlaceDefaultMarkers(const MarkerPlaces& m, int x0, int y0) {
  WritePlace(m.TimeMarker1X, x0 + 16);
  WritePlace(m.TimeMarker2X, x0 + 634);
  WritePlace(m.VoltMarker1Y, y0 + 16);
  WritePlace(m.VoltMarker2Y, y0 + 240);
  WritePlace(m.FreqMarker1X, x0 + 16);
  WritePlace(m.LevelMarker1Y, y0 + 16);
  WritePlace(m.LevelMarker2Y, y0 + 240);
}

namespace {

constexpr int kEdgeTickLength = 3;
constexpr int kLevelTickLength = 5;
constexpr int kGroupPixels = 64;     // one group of edge ticks

int GridHeight(const ScopeView& view) { return 256 * view.VScale; }

// Draws one line with the canvas pen from (x1, y1) towards (x2, y2), the end
// pixel left out.
void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

// The closed one-pixel rectangle through the four corners.
void Frame(TCanvas* c, int left, int top, int right, int bottom) {
  c->MoveTo(left, top);
  c->LineTo(left, bottom);
  c->LineTo(right, bottom);
  c->LineTo(right, top);
  c->LineTo(left, top);
}

// Every edge-tick offset from Y0 down the grid's height.
template <class F>
void ForEachEdgeTick(const ScopeView& view, F&& f) {
  for (int group = 0; group < GridHeight(view) / kGroupPixels; ++group)
    for (int offset : kEdgeTickOffsets) f(group * kGroupPixels + offset);
}

void DrawNormalGrid(TCanvas* c, const ScopeView& view) {
  const int x0 = view.X0, y0 = view.Y0, w = view.GridWidth, h = GridHeight(view);
  const int rowPitch = 32 * view.VScale;
  for (int i = 0; i <= 8; ++i) Line(c, x0, y0 + rowPitch * i, x0 + w + 1, y0 + rowPitch * i);
  for (int i = 0; i <= w / kDivisionWidth; ++i)
    Line(c, x0 + kDivisionWidth * i, y0, x0 + kDivisionWidth * i, y0 + h + 1);

  const TickRows rows = CentreTickRows(view);
  for (int x : CentreTickColumns(view)) Line(c, x, y0 + rows.top, x, y0 + rows.bottom);

  ForEachEdgeTick(view, [&](int dy) {
    Line(c, x0 + 1, y0 + dy, x0 + 1 + kEdgeTickLength, y0 + dy);
    Line(c, x0 + w - kEdgeTickLength, y0 + dy, x0 + w, y0 + dy);
  });
}

// The square of the XY figure: 8 x 8 divisions of 32 (Big Screen 64) pixels
// whose left edge is one pixel left of where CH2 code 0 is drawn.
void DrawXYGrid(TCanvas* c, const ScopeView& view) {
  const int y0 = view.Y0, h = GridHeight(view);
  const int left = view.X0 + view.XYOriginX - 1;
  const int pitch = 32 * view.VScale;
  for (int i = 0; i <= 8; ++i) Line(c, left, y0 + pitch * i, left + h + 1, y0 + pitch * i);
  for (int i = 0; i < 8; ++i) Line(c, left + pitch * i, y0, left + pitch * i, y0 + h + 1);
  Line(c, left + h + 1, y0, left + h + 1, y0 + h + 1);

  // Sub-division ticks on both centre lines.
  const TickRows rows = CentreTickRows(view);
  ForEachEdgeTick(view, [&](int d) {
    Line(c, left + d, y0 + rows.top, left + d, y0 + rows.bottom);
    Line(c, left + rows.top, y0 + d, left + rows.bottom, y0 + d);
  });
}

template <class F>
void WithPen(TCanvas* c, TColor color, TPenStyle style, F&& f) {
  const TPen saved = c->Pen;
  const TPoint pos = c->PenPos;
  c->Pen.Color = color;
  c->Pen.Mode = pmNotXor;
  c->Pen.Style = style;
  c->Pen.Width = 1;
  f();
  c->Pen = saved;
  c->PenPos = pos;
}

bool Placed(const std::int32_t* coordinate, int origin) { return coordinate && *coordinate >= origin; }

}  // namespace

// ---------------------------------------------------------------- colours

TColor TriggerPenColor(const ColorTable& colors, std::uint8_t source) {
  if (source == 16) return colors.Ch1PenColor;
  if (source == 0) return colors.Ch2PenColor;
  return colors.Math1PenColor;
}

TColor TriggerLabelColor(const ColorTable& colors, std::uint8_t source, bool invertedCh2) {
  if (source == 16) return colors.Ch1Color;
  if (source == 0) return invertedCh2 ? colors.Math2Color : colors.Ch2Color;
  return colors.Math1Color;
}

bool InvertedCh2Source(const PictureSettings& s) { return s.TriggerSource == 0 && s.InvertedCh2(); }

TColor ShownChannelPen(const ColorTable& colors, bool ch1On) { return ch1On ? colors.Ch1PenColor : colors.Ch2PenColor; }

// ---------------------------------------------------------------- graticule

TickRows CentreTickRows(const ScopeView& view) {
  return view.VScale == 1 ? TickRows{126, 131} : TickRows{251, 256};
}

std::vector<int> CentreTickColumns(const ScopeView& view) {
  // Five ticks per division from the left edge; the right edge has its grid line.
  std::vector<int> columns;
  for (int k = 0; k < view.GridWidth / kCentreTickStep; ++k) columns.push_back(view.X0 + kCentreTickStep * k);
  return columns;
}

GraticuleColors GraticuleColors::Of(const ColorTable& colors) {
  return {colors.BackgroundColor, colors.GridPenColor, colors.BrightGridPenColor};
}

void DrawGraticule(ScopeView& view, bool xyLayout, const GraticuleColors& colors) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  c->Brush.Color = colors.Background;
  c->Brush.Style = bsSolid;
  c->FillRect(Rect(0, 0, view.Image->Width(), view.Image->Height()));

  c->Pen.Color = colors.Grid;
  c->Pen.Mode = pmCopy;
  c->Pen.Style = psSolid;
  c->Pen.Width = 1;
  UsePictureFont(c);
  if (xyLayout)
    DrawXYGrid(c, view);
  else
    DrawNormalGrid(c, view);

  c->Pen.Color = colors.Frame;
  Frame(c, view.X0 - 1, view.FrameTopY, view.X0 + view.GridWidth + 1, view.FrameBottomY);
  if (xyLayout) {
    const int left = view.X0 + view.XYOriginX - 1;
    Frame(c, left - 1, view.FrameTopY, left + GridHeight(view) + 2, view.FrameBottomY);
  }
  view.Image->Invalidate();
}

// ---------------------------------------------------------------- ticks and lines

void DrawTriggerLevelTick(ScopeView& view, int level, bool mirrored, TColor pen) {
  if (!view.Image) return;
  const int l = mirrored ? 255 - level : level;
  const int y = view.Y0 + view.VScale * l + 1;
  TCanvas* c = view.Image->Canvas();
  WithPen(c, pen, psSolid, [&] {
    Line(c, view.X0, y, view.X0 + kLevelTickLength, y);
    Line(c, view.X0, y + 1, view.X0 + kLevelTickLength, y + 1);
  });
  view.Image->Invalidate();
}

void DrawScopeMarkerLines(ScopeView& view, TColor voltPen, TColor timePen, TColor background) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  c->Brush.Color = clWhite;
  const MarkerPlaces& m = view.Markers;
  WithPen(c, voltPen, psDot, [&] {
    for (const std::int32_t* y : {m.VoltMarker1Y, m.VoltMarker2Y})
      if (Placed(y, view.Y0)) Line(c, view.X0 + 1, *y, view.MarkerLimitX, *y);
  });
  WithPen(c, timePen, psDot, [&] {
    for (const std::int32_t* x : {m.TimeMarker1X, m.TimeMarker2X})
      if (Placed(x, view.X0)) Line(c, *x, view.Y0 + 1, *x, view.MarkerLimitY);
  });
  c->Brush.Color = background;
  view.Image->Invalidate();
}

void DrawMarkerLine(ScopeView& view, bool vertical, int at, TColor pen, bool dotted, TColor background) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  c->Brush.Color = clWhite;
  WithPen(c, pen, dotted ? psDot : psSolid, [&] {
    if (vertical)
      Line(c, at, view.Y0 + 1, at, view.MarkerLimitY);
    else
      Line(c, view.X0 + 1, at, view.MarkerLimitX, at);
  });
  c->Brush.Color = background;
  view.Image->Invalidate();
}

void DrawLevelMarkerLines(ScopeView& view, TColor pen, TColor background) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  c->Brush.Color = clWhite;
  const MarkerPlaces& m = view.Markers;
  WithPen(c, pen, psDot, [&] {
    for (const std::int32_t* y : {m.LevelMarker1Y, m.LevelMarker2Y})
      if (Placed(y, view.Y0)) Line(c, view.X0 + 1, *y, view.MarkerLimitX, *y);
  });
  c->Brush.Color = background;
  view.Image->Invalidate();
}

int FreqMarkerPixel(const ScopeView& view, int bin, std::int32_t displayStart, std::uint16_t binsPerPair) {
  const std::int64_t zoom = binsPerPair;
  const std::int64_t target = static_cast<std::int64_t>(bin) + zoom;
  const int limit = view.X0 + view.GridWidth + 2;
  std::int64_t b = displayStart;
  int x = view.X0 - 2;
  while (b < target && x <= limit) {
    x += 2;
    b += zoom;
  }
  return x >= view.X0 && x <= view.X0 + view.GridWidth ? x : -1;
}

void DrawFreqMarkerLine(ScopeView& view, int x, TColor pen) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  WithPen(c, pen, psDot, [&] { Line(c, x, view.Y0 + 1, x, view.MarkerLimitY); });
  view.Image->Invalidate();
}

// ---------------------------------------------------------------- texts

void PrintText(ScopeView& view, const std::string& text, int x, int y, TColor color) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  const TPoint pos = c->PenPos;
  UsePictureFont(c);
  c->Font.Color = color;
  c->TextOut(x, y, text);
  c->PenPos = pos;
  view.Image->Invalidate();
}

void UsePictureFont(TCanvas* c) {
  c->Font.Name = "DejaVu Sans";
  c->Font.Height = -10;
}

bool IsMarkerReadout(const std::string& text) {
  for (const char* part : {"dBV", "dV", "dt", "f"})
    if (text.find(part) != std::string::npos) return true;
  return false;
}

const char* SpanLabel(std::int32_t timePerDiv) {
  switch (timePerDiv) {
    case 50000000: return "120Hz";
    case 20000000: return "300Hz";
    case 10000000: return "600Hz";
    case 5000000: return "1.2kHz";
    case 2000000: return "3kHz";
    case 1000000: return "6kHz";
    case 500000: return "12kHz";
    case 200000: return "30kHz";
    case 100000: return "60kHz";
    case 50000: return "120kHz";
    case 20000: return "0.3MHz";
    case 10000: return "0.6MHz";
    case 5000: return "1.2MHz";
    case 2000: return "3MHz";
    case 1000: return "6MHz";
    case 500: return "12.5MHz";
    case 250: return "25MHz";  // 2.5 us per division
    default: return nullptr;
  }
}

void PrintLabels(const ScopeView& view, const PictureSettings& s, const TextPrinter& print) {
  const int x0 = view.X0, top = view.TopTextY, bottom = view.TextLineY;
  const TextPlaces& t = view.Texts;
  const MarkerPlaces& m = view.Markers;
  static const std::string kNone;
  auto text = [](const std::string* t) -> const std::string& { return t ? *t : kNone; };
  const ReadoutPlaces& r = view.Readouts;

  if (s.SpectrumMode) {
    print(s.SpanText, x0 + t.TimeDiv, top, s.Colors.TimeMarkerColor);
    if (s.Channels[0].On)
      print(s.Channels[0].RangeText, x0 + t.Ch1Range, top, s.Colors.Ch1Color);
    else
      print(s.Channels[1].RangeText, x0 + t.Ch2Range, top, s.Colors.Ch2Color);
    if (s.FftMarkersOn && Placed(m.FreqMarker1X, x0))
      print(text(r.Freq), x0 + t.FreqReadout, bottom, s.Colors.TimeMarkerColor);
    if (s.FftMarkersOn && (Placed(m.LevelMarker1Y, view.Y0) || Placed(m.LevelMarker2Y, view.Y0)))
      print(text(r.Level), x0 + t.VoltReadout, bottom, ShownChannelColor(s));
    return;
  }

  print(s.TimeDivText, x0 + t.TimeDiv, top, s.Colors.TimeMarkerColor);
  if (s.SampleRateOn) print(s.SampleRateText, x0 + t.SampleRate, top, s.Colors.TimeMarkerColor);
  // RMS and dBm belong to CH1 while it is shown, else to CH2.
  const TColor readoutColor = s.Channels[0].On ? s.Colors.Ch1Color : s.Colors.Ch2Color;
  if (s.Channels[0].On) print(s.Channels[0].RangeText, x0 + t.Ch1Range, top, s.Colors.Ch1Color);
  if (s.Channels[1].On) {
    print(s.Channels[1].RangeText, x0 + t.Ch2Range, top, s.Colors.Ch2Color);
    if (s.InvertedCh2()) print(s.Channels[1].RangeText, x0 + t.Ch2Range, top, s.Colors.Math2Color);
  }
  if (s.RmsOn) print(s.RmsText, x0 + t.Rms, bottom, readoutColor);
  if (s.DbmOn) print(s.DbmText, x0 + t.Dbm, bottom, readoutColor);
  if (s.MarkersOn && (Placed(m.TimeMarker1X, x0) || Placed(m.TimeMarker2X, x0))) {
    print(text(r.Time), x0 + t.TimeReadout, bottom, s.Colors.TimeMarkerColor);
    print(text(r.InvTime), x0 + t.InvTimeReadout, bottom, s.Colors.TimeMarkerColor);
  }
  if (s.MarkersOn && (Placed(m.VoltMarker1Y, view.Y0) || Placed(m.VoltMarker2Y, view.Y0)))
    print(text(r.Volt), x0 + t.VoltReadout, bottom, ShownChannelColor(s));
}

void EraseLabels(const ScopeView& view, const PictureSettings& s, const TextPrinter& print) {
  const int x0 = view.X0, top = view.TopTextY, bottom = view.TextLineY;
  const TextPlaces& t = view.Texts;
  const TColor bg = s.Colors.BackgroundColor;
  static const std::string kNone;
  auto text = [](const std::string* t) -> const std::string& { return t ? *t : kNone; };
  const ReadoutPlaces& r = view.Readouts;
  print(s.Channels[0].RangeText, x0 + t.Ch1Range, top, bg);
  print(s.Channels[1].RangeText, x0 + t.Ch2Range, top, bg);
  if (s.SpectrumMode) {
    print(s.SpanText, x0 + t.TimeDiv, top, bg);
    print(text(r.Freq), x0 + t.FreqReadout, bottom, bg);
    print(text(r.Level), x0 + t.VoltReadout, bottom, bg);
    return;
  }
  print(s.TimeDivText, x0 + t.TimeDiv, top, bg);
  print(s.SampleRateText, x0 + t.SampleRate, top, bg);
  print(s.RmsText, x0 + t.Rms, bottom, bg);
  print(s.DbmText, x0 + t.Dbm, bottom, bg);
  print(text(r.Time), x0 + t.TimeReadout, bottom, bg);
  print(text(r.InvTime), x0 + t.InvTimeReadout, bottom, bg);
  print(text(r.Volt), x0 + t.VoltReadout, bottom, bg);
}

}  // namespace display
