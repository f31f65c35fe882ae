// The recorder picture: grid, the record of each channel, zero-level marks,
// markers with their read-outs, captions and the View menu. Traces and
// markers are drawn with not-xor pens: drawing one twice removes it.
#include <algorithm>
#include <cstdlib>

#include "display/color_dialog.h"
#include "display/display_state.h"
#include "display/ground_markers.h"
#include "display/screen_colors.h"
#include "engine/color_menu.h"
#include "engine/calibration.h"
#include "engine/scope_state.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_readouts.h"
#include "recorder/recorder_state.h"

namespace {

constexpr std::size_t kRecReadoutChars = 50;

// The recorder's "Bright Screen" differs from the scope's in its channel colours.
constexpr display::ScreenColorSet kRecorderBrightColors{0xF5FFFF, 0xFF0000, 0x0000FF, 0xFF0080,
                                                        0xFF00FF, 0xC0C0C0, 0x808080, 0x400080};

}  // namespace

// ---------------------------------------------------------------- picture cycle

void TForm1_rec::DerivePens() {
  for (int channel = 1; channel <= 2; ++channel)
    Trace(channel).Pen = display::NotXorPen(RecorderState.ChannelColor(channel), RecorderState.RecBackgroundColor);
  RecTimeMarkerPen = display::NotXorPen(RecorderState.RecTimeMarkerColor, RecorderState.RecBackgroundColor);
  RecGridPen = RecorderState.RecBrightGrid ? RecorderState.RecBrightGridColor : RecorderState.RecDarkGridColor;
}

void TForm1_rec::putsataanko() {
  if (!RecClearPending) return;
  // New colours take effect here, where nothing drawn with the old pens stays.
  DerivePens();
  DoGrid();
  for (ChannelTrace& trace : Traces) trace.Drawn = 0;
  RecClearPending = 0;
}

void TForm1_rec::poisto() {
  for (int channel = 1; channel <= 2; ++channel) {
    if (!Trace(channel).Drawn) continue;
    piirra(channel);
    Trace(channel).Drawn = 0;
  }
}

void TForm1_rec::piirrot() {
  for (int channel = 1; channel <= 2; ++channel) {
    if (!RecorderState.Channel(channel).On || Trace(channel).Drawn) continue;
    piirra(channel);
    Trace(channel).Drawn = 1;
  }
  if (Form_9rec) Form_9rec->note();
}

void TForm1_rec::piirra(int channel) {
  TCanvas* canvas = Image1->Canvas();
  canvas->Pen.Mode = pmNotXor;
  canvas->Pen.Style = psSolid;
  canvas->Pen.Width = 1;
  canvas->Pen.Color = Trace(channel).Pen;
  Kayran_Piirto(recorder::RecordPoints(
      std::span<const std::int32_t>(Controls(channel).Record),
      RecorderState.RecScrollOffset, RecorderState.RecDisplayStep, RecorderState.RecLength, X0, Y0,
      RecorderState.Channel(channel).Shift, RecorderState.RecStopped != 0));
}

void TForm1_rec::Kayran_Piirto(const std::vector<TPoint>& points) {
  Image1->Canvas()->Polyline(points);
  Image1->Invalidate();
}

void TForm1_rec::DoGrid() {
  DrawGrid(*Image1->Canvas(), TakeGridLook());
  Image1->Invalidate();
}

TForm1_rec::GridLook TForm1_rec::TakeGridLook() {
  GridLook look;
  look.Width = Image1->Width();
  look.Height = Image1->Height();
  look.X0 = X0;
  look.Y0 = Y0;
  look.Background = RecorderState.RecBackgroundColor;
  look.GridPen = RecGridPen;
  look.Frame = RecorderState.RecBrightGridColor;
  // The zero levels are found as their marks are placed.
  for (int channel = 1; channel <= 2; ++channel)
    if (ZeroMarkShown(channel)) look.ZeroMarks.push_back({channel, PlaceZeroLevel(channel), Trace(channel).Pen});
  if (RecorderState.RecMarkersOn) {
    for (int id = 3; id <= 4; ++id) {
      const int y = id == 3 ? RecorderState.RecVoltMarker1Y : RecorderState.RecVoltMarker2Y;
      if (y >= Y0) look.Markers.push_back(MarkerLineAt(id, y));
    }
    for (int id = 1; id <= 2; ++id) {
      const int x = id == 1 ? RecorderState.RecTimeMarker1X : RecorderState.RecTimeMarker2X;
      if (x >= X0) look.Markers.push_back(MarkerLineAt(id, x));
    }
  }
  look.Texts = LabelTexts();
  return look;
}

void TForm1_rec::DrawGrid(TCanvas& canvas, const GridLook& look) {
  TCanvas* c = &canvas;
  const int x0 = look.X0, y0 = look.Y0;
  // Background.
  c->Brush.Color = look.Background;
  c->Brush.Style = bsSolid;
  c->FillRect(Rect(0, 0, look.Width, look.Height));
  // Grid.
  c->Pen.Mode = pmCopy;
  c->Pen.Style = psSolid;
  c->Pen.Width = 1;
  c->Pen.Color = look.GridPen;
  for (int i = 0; i <= 8; ++i) {
    c->MoveTo(x0, y0 + 32 * i);
    c->LineTo(x0 + 641, y0 + 32 * i);
  }
  for (int i = 0; i <= 21; ++i) {
    c->MoveTo(x0 + 32 * i, y0);
    c->LineTo(x0 + 32 * i, y0 + 257);
  }
  // Minor ticks, five per division.
  int x = x0;
  for (int g = 0; g < 10; ++g, --x) {
    for (int p = 0; p < 5; ++p, x += 13) {
      for (int t : {0, 6}) {
        c->MoveTo(x + t, y0 + 126);
        c->LineTo(x + t, y0 + 131);
      }
    }
  }
  int y = y0;
  for (int g = 0; g < 4; ++g, --y) {
    for (int p = 0; p < 5; ++p, y += 13) {
      for (int t : {0, 6}) {
        c->MoveTo(x0 + 1, y + t);
        c->LineTo(x0 + 5, y + t);
        c->MoveTo(x0 + 637, y + t);
        c->LineTo(x0 + 641, y + t);
      }
    }
  }
  // Frame.
  c->Pen.Color = look.Frame;
  const TPoint frame[] = {{x0 - 1, y0 - 1}, {x0 - 1, y0 + 257}, {x0 + 641, y0 + 257}, {x0 + 641, y0 - 1},
                          {x0 - 1, y0 - 1}};
  c->Polyline(frame, 5);
  // Ground markers and labels, drawn by inversion so they can be taken off again.
  c->Pen.Mode = pmNotXor;
  for (const ZeroMark& mark : look.ZeroMarks) display::DrawGroundGlyph(canvas, x0, y0 + mark.Level, mark.Channel, mark.Pen);
  c->Pen.Width = 1;
  c->Font.Size = 8;
  for (const MarkerLine& line : look.Markers) StrokeMarkerLine(canvas, line, true);
  for (const Label& label : look.Texts) PrintLabel(canvas, label, look.Background);
}

void TForm1_rec::PrintLabel(TCanvas& canvas, const Label& label, TColor background) {
  TCanvas* c = &canvas;
  const TPoint pos = c->PenPos;
  c->Brush.Color = background;
  c->Brush.Style = bsSolid;
  c->Font.Size = 8;
  c->Font.Color = label.Color;
  c->TextOut(label.X, label.Y, label.Text);
  c->PenPos = pos;
}

void TForm1_rec::TulostaTeksti(const std::string& text, int x, TColor color, int y) {
  PrintLabel(*Image1->Canvas(), {text, x, y, color}, RecorderState.RecBackgroundColor);
  Image1->Invalidate();
}

std::vector<TForm1_rec::Label> TForm1_rec::LabelTexts() const {
  std::vector<Label> texts;
  auto add = [&texts](const std::string& text, int x, TColor color, int y) { texts.push_back({text, x, y, color}); };
  add("DEMO", X0 + 240, ScopeState.DemoMode ? RecorderState.RecBrightGridColor : RecorderState.RecBackgroundColor, 3);
  if (RecorderState.RecSampleRateShown) add(RecorderState.RecRateText, X0 + 352, DisplayState.TimeMarkerColor, 3);
  add(RecorderState.RecTimeDivText, X0 + 151, RecorderState.RecTimeMarkerColor, 3);
  for (int channel = 1; channel <= 2; ++channel)
    if (RecorderState.Channel(channel).On)
      add(RecorderState.Channel(channel).Text, ChannelTextX(channel), RecorderState.ChannelColor(channel), 3);
  if (RecorderState.RecMarkersOn) {
    if (RecorderState.RecTimeMarker1X >= X0 || RecorderState.RecTimeMarker2X >= X0)
      add(TimeReadoutShown, X0 + 190, RecorderState.RecTimeMarkerColor, ReadoutY);
    if (RecorderState.RecVoltMarker1Y >= Y0 || RecorderState.RecVoltMarker2Y >= Y0)
      add(VoltReadoutShown, X0, RecorderState.ChannelColor(VoltMarkerChannel()), ReadoutY);
  }
  return texts;
}

void TForm1_rec::tekstit() {
  for (const Label& label : LabelTexts()) TulostaTeksti(label.Text, label.X, label.Color, label.Y);
}

// ---------------------------------------------------------------- markers

TForm1_rec::MarkerLine TForm1_rec::MarkerLineAt(int id, int pos) const {
  // The voltage markers (3, 4) across the grid in the pen of the channel
  // they follow, the time markers (1, 2) down it.
  if (id >= 3)
    return {true, pos, Trace(VoltMarkerChannel()).Pen, X0 + 1, Image1->Width() - X0};
  return {false, pos, RecTimeMarkerPen, Y0 + 1, Image1->Height() - Y0 - 2};
}

void TForm1_rec::StrokeMarkerLine(TCanvas& canvas, const MarkerLine& line, bool dotted) {
  TCanvas* c = &canvas;
  const TPen saved = c->Pen;
  c->Pen.Mode = pmNotXor;
  c->Pen.Width = 1;
  c->Pen.Style = dotted ? psDot : psSolid;
  c->Pen.Color = line.Pen;
  if (line.Across) {
    c->MoveTo(line.From, line.At);
    c->LineTo(line.To, line.At);
  } else {
    c->MoveTo(line.At, line.From);
    c->LineTo(line.At, line.To);
  }
  c->Pen = saved;
}

void TForm1_rec::DrawMarkerLine(int id, int pos, bool dotted) {
  StrokeMarkerLine(*Image1->Canvas(), MarkerLineAt(id, pos), dotted);
  Image1->Invalidate();
}

void TForm1_rec::kursorit() {
  if (!RecorderState.RecMarkersOn) return;
  for (int id = 3; id <= 4; ++id) {
    const int y = id == 3 ? RecorderState.RecVoltMarker1Y : RecorderState.RecVoltMarker2Y;
    if (y >= Y0) DrawMarkerLine(id, y, true);
  }
  for (int id = 1; id <= 2; ++id) {
    const int x = id == 1 ? RecorderState.RecTimeMarker1X : RecorderState.RecTimeMarker2X;
    if (x >= X0) DrawMarkerLine(id, x, true);
  }
}

void TForm1_rec::kursoriaika() {
  if (!RecorderState.RecMarkersOn) return;
  recorder::TimeReadoutInput in;
  in.TimeDivCaption = RecorderState.RecTimeDivText;
  in.Marker1X = RecorderState.RecTimeMarker1X;
  in.Marker2X = RecorderState.RecTimeMarker2X;
  in.X0 = X0;
  in.FromPageStart = Markers1->Checked();
  in.RecordedTimeUnit = RecorderState.RecordedTimeUnit;
  in.TimeUnitValue = RecorderState.TimeUnitValue;
  in.ScrollOffset = RecorderState.RecScrollOffset;
  in.PageStart = RecorderState.RecPageStart;
  TulostaTeksti(TimeReadoutShown, X0 + 190, RecorderState.RecBackgroundColor, ReadoutY);
  TimeReadoutShown = recorder::TimeReadoutText(in).substr(0, kRecReadoutChars);
  TulostaTeksti(TimeReadoutShown, X0 + 190, RecorderState.RecTimeMarkerColor, ReadoutY);
}

void TForm1_rec::kursorivoltit() {
  if (!RecorderState.RecMarkersOn) return;
  const int channel = VoltMarkerChannel();
  recorder::VoltReadoutInput in;
  const recorder::RecorderChannelSettings& settings = RecorderState.Settings.Channel(channel);
  in.RangeCode = settings.GainCode();
  in.ProbeFactor = settings.X10 ? 10.0 : 1.0;
  in.ZeroLevel = RecorderState.Channel(channel).ZeroLevel;
  in.Marker1Y = RecorderState.RecVoltMarker1Y;
  in.Marker2Y = RecorderState.RecVoltMarker2Y;
  in.Y0 = Y0;
  TulostaTeksti(VoltReadoutShown, X0, RecorderState.RecBackgroundColor, ReadoutY);
  VoltReadoutShown = recorder::VoltReadoutText(in).substr(0, kRecReadoutChars);
  if (RecorderState.RecVoltMarker1Y >= Y0 || RecorderState.RecVoltMarker2Y >= Y0)
    TulostaTeksti(VoltReadoutShown, X0, RecorderState.ChannelColor(channel), ReadoutY);
}

void TForm1_rec::dso_down(int x, int y) {
  putsataanko();
  Dragging = true;
  const int timeId = std::abs(x - RecorderState.RecTimeMarker2X) < std::abs(x - RecorderState.RecTimeMarker1X) ? 2 : 1;
  const int voltId = std::abs(y - RecorderState.RecVoltMarker2Y) < std::abs(y - RecorderState.RecVoltMarker1Y) ? 4 : 3;
  const int timeDist = std::abs(x - (timeId == 1 ? RecorderState.RecTimeMarker1X : RecorderState.RecTimeMarker2X));
  const int voltDist = std::abs(y - (voltId == 3 ? RecorderState.RecVoltMarker1Y : RecorderState.RecVoltMarker2Y));
  DragId = voltDist < timeDist ? voltId : timeId;
  DragPos = DragId == 1 ? RecorderState.RecTimeMarker1X : DragId == 2 ? RecorderState.RecTimeMarker2X : DragId == 3 ? RecorderState.RecVoltMarker1Y : RecorderState.RecVoltMarker2Y;
  const bool parked = DragId <= 2 ? DragPos < X0 : DragPos < Y0;
  if (parked) return;  // it can still be dragged in
  DrawMarkerLine(DragId, DragPos, true);
  DrawMarkerLine(DragId, DragPos, false);
}

void TForm1_rec::Image1MouseMove(TObject*, TShiftState, int X, int Y) {
  if (!Dragging) return;
  if (DragId <= 2) {
    if (X == DragPos) return;
    if (DragPos >= X0) DrawMarkerLine(DragId, DragPos, false);
    DragPos = std::clamp(X, X0, X0 + 640);
    DrawMarkerLine(DragId, DragPos, false);
    (DragId == 1 ? RecorderState.RecTimeMarker1X : RecorderState.RecTimeMarker2X) = DragPos;
    kursoriaika();
  } else {
    if (Y == DragPos) return;
    if (DragPos >= Y0) DrawMarkerLine(DragId, DragPos, false);
    DragPos = std::clamp(Y, Y0, Y0 + 256);
    DrawMarkerLine(DragId, DragPos, false);
    (DragId == 3 ? RecorderState.RecVoltMarker1Y : RecorderState.RecVoltMarker2Y) = DragPos;
    kursorivoltit();
  }
}

void TForm1_rec::dso_up() {
  Dragging = false;
  const bool onGrid = DragId <= 2 ? DragPos >= X0 : DragPos >= Y0;
  if (onGrid) {
    DrawMarkerLine(DragId, DragPos, false);
    DrawMarkerLine(DragId, DragPos, true);
  }
  if (DragId == 1) RecorderState.RecTimeMarker1X = DragPos;
  else if (DragId == 2) RecorderState.RecTimeMarker2X = DragPos;
  else if (DragId == 3) RecorderState.RecVoltMarker1Y = DragPos;
  else if (DragId == 4) RecorderState.RecVoltMarker2Y = DragPos;
  kursoriaika();
  kursorivoltit();
}

void TForm1_rec::Image1MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button == mbLeft) {
    if (RecorderState.RecMarkersOn) dso_down(X, Y);
    return;
  }
  if (Button != mbRight || !RecorderState.RecStopped || !Form_9rec) return;
  if (!RecorderState.RecNoteShown) {
    RecorderState.RecNoteX = static_cast<std::int16_t>(X);
    RecorderState.RecNoteY = static_cast<std::int16_t>(Y);
  } else if (Form_9rec->Visible()) {
    RecorderState.RecNoteX = static_cast<std::int16_t>(X);
    RecorderState.RecNoteY = static_cast<std::int16_t>(Y);
    RecClearPending = 1;
    putsataanko();
    piirrot();
  }
  Form_9rec->Show();
}

void TForm1_rec::Image1MouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button == mbLeft && Dragging) dso_up();
}

// ---------------------------------------------------------------- zero levels

void TForm1_rec::DrawZeroGlyph(int channel, int level) {
  display::DrawGroundGlyph(RecView, channel, level, Trace(channel).Pen);
}

bool TForm1_rec::ZeroMarkShown(int channel) const { return RecorderState.Channel(channel).On != 0; }

int TForm1_rec::PlaceZeroLevel(int channel) {
  recorder::RecorderChannel& state = RecorderState.Channel(channel);
  std::int32_t& level = state.ZeroLevel;
  if (ScopeState.DemoMode) {
    level = 2 * Controls(channel).Bar->Position() + 128;
  } else {
    const engine::GroundLevelLine line = engine::ChannelGroundLevelFit(ScopeState, channel);
    level = line.Valid ? engine::GroundLevelAt(line, state.OffsetSum) : 0;
  }
  return level;
}

void TForm1_rec::ZeroLine(int channel) {
  if (ZeroMarkShown(channel)) DrawZeroGlyph(channel, PlaceZeroLevel(channel));
}

void TForm1_rec::y1_viiva() { ZeroLine(1); }
void TForm1_rec::y2_viiva() { ZeroLine(2); }

void TForm1_rec::y_viivat() {
  y1_viiva();
  y2_viiva();
}

// ---------------------------------------------------------------- scrolling and View menu

void TForm1_rec::ScrollBar2Change(TObject*) {
  putsataanko();
  poisto();
  RecorderState.RecScrollOffset = ScrollBar2->Position();
  piirrot();
  kursoriaika();
}

void TForm1_rec::Markers1Click(TObject*) { MarkersClick(Markers1, MarkersVdt1, -600); }

void TForm1_rec::MarkersVdt1Click(TObject*) { MarkersClick(MarkersVdt1, Markers1, X0 + 16); }

void TForm1_rec::MarkersClick(TMenuItem* item, TMenuItem* other, int marker1X) {
  item->SetChecked(!item->Checked());
  RecorderState.RecMarkersOn = item->Checked() ? 1 : 0;
  other->SetChecked(false);
  RecClearPending = 1;
  if (RecorderState.RecMarkersOn) {
    RecorderState.RecTimeMarker1X = marker1X;
    putsataanko();
    kursoriaika();
    kursorivoltit();
    piirrot();
  } else {
    putsataanko();
    piirrot();
    tekstit();
  }
}

void TForm1_rec::BrightGrid1Click(TObject*) {
  BrightGrid1->SetChecked(!BrightGrid1->Checked());
  RecorderState.RecBrightGrid = BrightGrid1->Checked() ? 1 : 0;
  RecClearPending = 1;
  putsataanko();
  piirrot();
  tekstit();
}

void TForm1_rec::SampleRate1Click(TObject*) {
  SampleRate1->SetChecked(!SampleRate1->Checked());
  RecorderState.RecSampleRateShown = SampleRate1->Checked() ? 1 : 0;
  TulostaTeksti(RecorderState.RecRateText, X0 + 352, RecorderState.RecSampleRateShown ? DisplayState.TimeMarkerColor : DisplayState.BackgroundColor, 3);
}

void recorder::CopyScreenColorsFromScope(RecorderSharedState& state, const display::DisplaySharedState& scope) {
  state.RecBackgroundColor = scope.BackgroundColor;
  state.RecCh1Color = scope.Ch1Color;
  state.RecCh2Color = scope.Ch2Color;
  state.RecMath1Color = scope.Math1Color;
  state.RecMath2Color = scope.Math2Color;
  state.RecDarkGridColor = scope.DarkGridColor;
  state.RecBrightGridColor = scope.BrightGridColor;
  state.RecTimeMarkerColor = scope.TimeMarkerColor;
}

void TForm1_rec::Colors2Click(TObject*) {
  CopyScreenColorsFromScope(RecorderState, DisplayState);
  if (BtnBottomDlg2 && BtnBottomDlg2->PresetChosen && !DisplayState.ColorsAccepted) {
    // The recorder keeps its own copy: the scope's picture, drawn with the
    // scope's pens, stays as it is.
    const display::ScreenColorSet& set = DisplayState.BlackScreenPreset ? display::kBlackScreenColors : kRecorderBrightColors;
    RecorderState.RecBackgroundColor = set.Background;
    RecorderState.RecCh1Color = set.Ch1;
    RecorderState.RecCh2Color = set.Ch2;
    RecorderState.RecMath1Color = set.Math1;
    RecorderState.RecMath2Color = set.Math2;
    RecorderState.RecDarkGridColor = set.DarkGrid;
    RecorderState.RecBrightGridColor = set.BrightGrid;
    RecorderState.RecTimeMarkerColor = set.TimeMarker;
  }
  for (int channel = 1; channel <= 2; ++channel) {
    TLabel* label = Controls(channel).Label;
    if (label->Font().Color == clGray) continue;
    label->Font().Color = RecorderState.ChannelColor(channel);
    label->FontChanged();
  }
  RecClearPending = 1;
  putsataanko();
  piirrot();
}
