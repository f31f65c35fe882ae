// The Bode plot picture: grid and border, axis texts, the redraw from the
// data table, the border strips, and the markers with their read-outs.
#include <algorithm>
#include <cmath>

#include "bode/add_text_bode.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "engine/scope_state.h"
#include "platform/os/folders.h"

namespace {

// The empty plot as values: background, grid, border and the axis texts.
struct BodeEmptyPlot {
  TColor Background, Grid, Border, Text;
  int Margin, Width, Height;
  bool PhaseOn;
  std::vector<int> Rows, Columns;
  std::string EndCaption, ScaleText;
  std::vector<std::string> StartCaptions;
  bool ZeroHz;
};

void DrawBodeBorder(TCanvas& c, const BodeEmptyPlot& p) {
  const int m = p.Margin;
  c.Pen.Color = p.Border;
  c.Brush.Style = bsClear;
  c.Rectangle(m, m, m + p.Width + 1, m + p.Height + 1);
  c.Brush.Style = bsSolid;
}

void DrawBodeGrid(TCanvas& c, const BodeEmptyPlot& p) {
  const int m = p.Margin, w = p.Width, h = p.Height;
  c.Brush.Style = bsSolid;
  c.Brush.Color = p.Background;
  c.FillRect(Rect(0, 0, TBode_plot::kImageWidth, TBode_plot::kImageHeight));
  c.Pen = TPen{};
  for (std::size_t i = 0; i < p.Rows.size(); ++i) {
    c.Pen.Color = p.PhaseOn && i == 5 ? p.Border : p.Grid;
    c.MoveTo(m, p.Rows[i]);
    c.LineTo(m + w, p.Rows[i]);
  }
  c.Pen.Color = p.Grid;
  for (int x : p.Columns) {
    c.MoveTo(x, m);
    c.LineTo(x, m + h);
  }
  DrawBodeBorder(c, p);
}

void DrawBodeTexts(TCanvas& c, const BodeEmptyPlot& p) {
  const int m = p.Margin;
  c.Font.Size = 8;
  c.Font.Color = p.Text;
  c.Brush.Style = bsSolid;
  c.Brush.Color = p.Background;
  if (p.PhaseOn) c.TextOut(TBode_plot::kImageWidth - m - c.TextWidth(bode::kPhaseCaption), 1, bode::kPhaseCaption);
  const int bottom = TBode_plot::kImageHeight - m + 2;
  c.TextOut(TBode_plot::kImageWidth - m - c.TextWidth(p.EndCaption) + 12, bottom, p.EndCaption);
  for (const std::string& start : p.StartCaptions) c.TextOut(m - 6, bottom, start);
  if (p.ZeroHz) c.TextOut(15, TBode_plot::kImageHeight - 13, "0Hz");
  c.TextOut(m, 1, p.ScaleText);
}

// The empty plot of the present settings.
BodeEmptyPlot CurrentBodeEmptyPlot(const TBode_plot& plot, int margin, int w, int h) {
  const bode::BodeSharedState& BodeState = plot.BodeState;
  const engine::ScopeSharedState& ScopeState = plot.ScopeState;
  BodeEmptyPlot p{BodeState.BodeBackgroundColor,
                  BodeState.BodeGridColor,
                  BodeState.BodeBorderColor,
                  BodeState.BodeTextColor,
                  margin,
                  w,
                  h,
                  BodeState.PhasePlotOn != 0,
                  bode::GridRows(h, margin),
                  bode::GridColumns(BodeState.BodeLogScale != 0, w, margin, BodeState.BodeSpanRatio),
                  bode::RangeEndCaption(BodeState.BodeRangeTop),
                  bode::ScaleText(BodeState.BodeVertScale, ScopeState.Settings.Channels[0].GainCode,
                                  ScopeState.Channels[0].ProbeFactor, ScopeState.Channels[0].ProbeDb),
                  {},
                  BodeState.BodeStartFromDc && !BodeState.BodeLogScale};
  for (TRadioButton* start : plot.StartRadios)
    if (start->Checked() && start->Visible()) p.StartCaptions.push_back(start->Caption());
  return p;
}

}  // namespace

void TBode_plot::DerivePens() {
  BodeState.BodeLevelMarkerPen = (~BodeState.BodeBackgroundColor ^ BodeState.BodeLevelMarkerColor) & 0xFFFFFF;
  BodeState.BodeFreqMarkerPen = (~BodeState.BodeFreqMarkerColor ^ BodeState.BodeBackgroundColor) & 0xFFFFFF;
}

void TBode_plot::curve_0() {
  DrawBodeGrid(*Image1->Canvas(), CurrentBodeEmptyPlot(*this, Margin(), PlotWidth(), PlotHeight()));
  markers_drawn_ = false;
  SetCaption(LoadedFileName.empty() ? "Bode Plotter" : "Bode Plotter - " + os::FileNameOnly(LoadedFileName));
  if (!redrawing_ && Markers != bode::MarkerMode::Off && !BodeState.BodeSweepRunning) DrawMarkers();
  Image1->Invalidate();
}

void TBode_plot::tekstit() {
  DrawBodeTexts(*Image1->Canvas(), CurrentBodeEmptyPlot(*this, Margin(), PlotWidth(), PlotHeight()));
  Image1->Invalidate();
}

void TBode_plot::DrawEmptyPlotWhenShown(bool redrawn) {
  // The window starts hidden and may never be shown: its picture is drawn,
  // from the settings of now, when it is first shown or read.
  BodeEmptyPlot p = CurrentBodeEmptyPlot(*this, Margin(), PlotWidth(), PlotHeight());
  Image1->Picture()->DrawWhenUsed(
      [p = std::move(p), redrawn](TBitmap& b) {
        DrawBodeGrid(*b.Canvas(), p);
        DrawBodeTexts(*b.Canvas(), p);
        if (redrawn) {
          b.Canvas()->Pen = TPen{};
          DrawBodeBorder(*b.Canvas(), p);
        }
      },
      true);
  // No markers yet on a window just made.
  markers_drawn_ = false;
  SetCaption(LoadedFileName.empty() ? "Bode Plotter" : "Bode Plotter - " + os::FileNameOnly(LoadedFileName));
  Image1->Invalidate();
}

bool TBode_plot::DrawEmptyTableWhenShown() {
  if (Image1->Picture()->Made() || Visible() || BodeState.BodeSweepRunning || Markers != bode::MarkerMode::Off ||
      Memo1->Lines().Lines().size() > 1)
    return false;
  // A redraw hides the border strips; here they must be hidden already.
  for (const TImage* strip : {Image2, Image3, Image4, Image5})
    if (strip->Visible()) return false;
  DrawEmptyPlotWhenShown(true);
  // As after a redraw that started one trace and found no points.
  NextTraceColor = BodeState.BodeMultiTrace ? 1 % bode::kBodeTraceColorCount : 1;
  if (form_9bode) form_9bode->note();
  return true;
}

void TBode_plot::draw() {
  if (DrawEmptyTableWhenShown()) return;
  redrawing_ = true;
  curve_0();
  tekstit();
  CoverBorder();
  TCanvas* c = Image1->Canvas();
  const int m = Margin(), w = PlotWidth(), h = PlotHeight();
  const bode::RangeScale scale = bode::RangeFullScale(ScopeState.Settings.Channels[0].GainCode);
  const double reference = scale.FullScale * ScopeState.Channels[0].ProbeFactor;
  const bool logScale = BodeState.BodeLogScale != 0;

  TracePen pen;
  auto startTrace = [&] {
    if (BodeState.BodeMultiTrace) {
      c->Pen.Color = BodeState.BodeTraceColors[static_cast<std::size_t>(NextTraceColor)];
      NextTraceColor = (NextTraceColor + 1) % bode::kBodeTraceColorCount;
    } else {
      c->Pen.Color = BodeState.BodeTraceColor;
    }
    pen = TracePen{};
  };
  const bool keepIndex = BodeState.BodeSweepRunning != 0;
  const int savedIndex = NextTraceColor;
  NextTraceColor = 0;
  startTrace();
  const std::vector<std::string>& lines = Memo1->Lines().Lines();
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const bode::TableLine line = bode::ParseTableLine(lines[i]);
    if (line.What == bode::TableLine::Kind::End) break;
    if (line.What == bode::TableLine::Kind::Header) {
      if (!BodeState.BodeMultiTrace) break;
      startTrace();
      continue;
    }
    const double mm = BodeState.BodeSpanRatio * line.Hz / (BodeState.BodeRangeTop / 10.0);
    double value = std::pow(10.0, line.Dbv / 20);
    if (scale.Millivolts) value *= 1000;
    const int row = bode::LevelRow(BodeState.BodeVertScale, h, value / reference);
    const int x = bode::PointX(logScale, w, m, mm, BodeState.BodeSpanRatio);
    const int offset = x - m;
    const bool shown = logScale ? (mm > 0 && offset >= -99 && offset <= 1000) : (offset >= 0 && offset <= 1000);
    if (!shown) continue;
    PlotPoint(pen, TPoint{x, m + row}, TPoint{x, bode::PhaseRow(line.Phase, h, m)});
  }
  if (!BodeState.BodeMultiTrace) NextTraceColor = 1;
  if (keepIndex) NextTraceColor = savedIndex;
  c->Pen = TPen{};
  UncoverBorder();
  if (!BodeState.BodeSweepRunning) {
    c->Pen.Color = BodeState.BodeBorderColor;
    c->Brush.Style = bsClear;
    c->Rectangle(m, m, m + w + 1, m + h + 1);
    c->Brush.Style = bsSolid;
    if (Markers != bode::MarkerMode::Off) DrawMarkers();
  }
  if (form_9bode) form_9bode->note();
  redrawing_ = false;
  Image1->Invalidate();
}

void TBode_plot::PlotPoint(TracePen& pen, TPoint magnitude, TPoint phase) {
  TCanvas* c = Image1->Canvas();
  if (!pen.First) {
    c->Pen.Style = psSolid;
    c->PenPos = pen.Magnitude;
    c->LineTo(magnitude.x, magnitude.y);
    if (BodeState.PhasePlotOn) {
      c->Pen.Style = psDot;
      c->PenPos = pen.Phase;
      c->LineTo(phase.x, phase.y);
      c->Pen.Style = psSolid;
    }
  }
  pen = TracePen{magnitude, phase, false};
  Image1->Invalidate();
}

// ---------------------------------------------------------------- border strips

TRect TBode_plot::StripRect(const TImage* strip) const {
  return Rect(strip->Left() - Image1->Left(), strip->Top() - Image1->Top(),
              strip->Left() - Image1->Left() + strip->Width(), strip->Top() - Image1->Top() + strip->Height());
}

void TBode_plot::CoverBorder() {
  for (TImage* strip : {Image2, Image3, Image4, Image5}) {
    const TRect from = StripRect(strip);
    TCanvas* s = strip->Canvas();
    s->Brush.Style = bsSolid;
    s->Brush.Color = BodeState.BodeBackgroundColor;
    s->FillRect(Rect(0, 0, strip->Width(), strip->Height()));
    s->CopyRect(Rect(0, 0, strip->Width(), strip->Height()), *Image1->Canvas(), from);
    strip->SetVisible(true);
    strip->BringToFront();
    strip->Invalidate();
  }
}

void TBode_plot::UncoverBorder() {
  for (TImage* strip : {Image2, Image3, Image4, Image5}) {
    if (!strip->Visible()) continue;
    Image1->Canvas()->CopyRect(StripRect(strip), *strip->Canvas(), Rect(0, 0, strip->Width(), strip->Height()));
    strip->SetVisible(false);
  }
  Image1->Invalidate();
}

// ---------------------------------------------------------------- markers

void TBode_plot::MarkerLine(int which, TPenStyle style) {
  TCanvas* c = Image1->Canvas();
  const int m = Margin();
  const TPen saved = c->Pen;
  c->Pen.Mode = pmNotXor;
  c->Pen.Style = style;
  c->Pen.Width = 1;
  c->Brush.Color = clWhite;
  if (which == 1) {
    c->Pen.Color = BodeState.BodeFreqMarkerPen;
    c->MoveTo(FreqMarkerX, m + 1);
    c->LineTo(FreqMarkerX, kImageHeight - m);
  } else {
    const int y = which == 2 ? LevelMarker1Y : LevelMarker2Y;
    if (y >= 0 && y < kImageHeight) {
      c->Pen.Color = BodeState.BodeLevelMarkerPen;
      c->MoveTo(m + 1, y);
      c->LineTo(kImageWidth - m, y);
    }
  }
  c->Pen = saved;
  c->Brush.Color = BodeState.BodeBackgroundColor;
  Image1->Invalidate();
}

void TBode_plot::kursorit() {
  MarkerLine(2, psDot);
  MarkerLine(3, psDot);
  MarkerLine(1, psDot);
}

void TBode_plot::WriteReadout(const std::string& text, int x, TColor color) {
  TCanvas* c = Image1->Canvas();
  c->Font.Size = 8;
  c->Font.Color = color;
  c->Brush.Style = bsClear;
  c->TextOut(x, kImageHeight - Margin() + 2, text);
  c->Brush.Style = bsSolid;
}

void TBode_plot::kursoridb() {
  WriteReadout(LevelReadoutText, 150, BodeState.BodeBackgroundColor);
  WriteReadout(FreqReadoutText, 250, BodeState.BodeBackgroundColor);
  const int m = Margin();
  LevelReadoutText = bode::LevelReadout(Markers, BodeState.BodeVertScale,
                                        {LevelMarker1Y, LevelMarker2Y, m, PlotHeight()},
                                        ScopeState.Settings.Channels[0].GainCode, ScopeState.Channels[0].ProbeFactor,
                                        ScopeState.Channels[0].ProbeDb)
                         .substr(0, 30);
  FreqReadoutText =
      bode::FrequencyReadout(BodeState.BodeLogScale != 0, FreqMarkerX, m, PlotWidth(), BodeState.BodeSpanRatio, BodeState.BodeRangeTop).substr(0, 30);
  WriteReadout(LevelReadoutText, 150, BodeState.BodeLevelMarkerColor);
  WriteReadout(FreqReadoutText, 250, BodeState.BodeFreqMarkerColor);
  Image1->Invalidate();
}

void TBode_plot::DrawMarkers() {
  if (markers_drawn_) return;
  kursorit();
  LevelReadoutText.clear();
  FreqReadoutText.clear();
  kursoridb();
  markers_drawn_ = true;
}

void TBode_plot::EraseMarkers() {
  if (!markers_drawn_) return;
  kursorit();
  WriteReadout(LevelReadoutText, 150, BodeState.BodeBackgroundColor);
  WriteReadout(FreqReadoutText, 250, BodeState.BodeBackgroundColor);
  LevelReadoutText.clear();
  FreqReadoutText.clear();
  markers_drawn_ = false;
  Image1->Invalidate();
}

void TBode_plot::SelectMarkers(bode::MarkerMode mode) {
  EraseMarkers();
  Markers = Markers == mode ? bode::MarkerMode::Off : mode;
  MarkersfV1->SetChecked(Markers == bode::MarkerMode::Level);
  MarkersfdV1->SetChecked(Markers == bode::MarkerMode::LevelDifference);
  Markersfph1->SetChecked(Markers == bode::MarkerMode::Phase);
  LevelMarker2Y = Markers == bode::MarkerMode::LevelDifference ? kImageHeight - Margin() - 13 : -300;
  if (Markers != bode::MarkerMode::Off && !BodeState.BodeSweepRunning) DrawMarkers();
}

void TBode_plot::Image1MouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button == mbRight) {
    BodeState.BodeNoteX = static_cast<std::int16_t>(x);
    BodeState.BodeNoteY = static_cast<std::int16_t>(y);
    if (BodeState.BodeNoteShown && form_9bode && form_9bode->Visible()) draw();
    if (form_9bode) form_9bode->Show();
    return;
  }
  if (button != mbLeft || Markers == bode::MarkerMode::Off || BodeState.BodeSweepRunning || !markers_drawn_) return;
  const int d1 = std::abs(y - LevelMarker1Y), d2 = std::abs(y - LevelMarker2Y), df = std::abs(x - FreqMarkerX);
  const int level = d2 < d1 ? 3 : 2;
  drag_ = std::min(d1, d2) < df ? level : 1;
  // The dotted line goes; a solid one follows the mouse.
  MarkerLine(drag_, psDot);
  MarkerLine(drag_, psSolid);
  Image1MouseMove(nullptr, 0, x, y);
}

void TBode_plot::Image1MouseMove(TObject*, TShiftState, int x, int y) {
  if (!drag_) return;
  const int m = Margin();
  MarkerLine(drag_, psSolid);
  if (drag_ == 1) FreqMarkerX = std::clamp(x, m, kImageWidth - m);
  else (drag_ == 2 ? LevelMarker1Y : LevelMarker2Y) = std::clamp(y, m, kImageHeight - m);
  MarkerLine(drag_, psSolid);
  kursoridb();
}

void TBode_plot::Image1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  if (!drag_) return;
  MarkerLine(drag_, psSolid);
  MarkerLine(drag_, psDot);
  drag_ = 0;
}
