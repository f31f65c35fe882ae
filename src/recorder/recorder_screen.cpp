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
#include "engine/main_form.h"
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
  using namespace engine;
  using namespace recorder;
  RecCh1Pen = display::NotXorPen(RecorderState.RecCh1Color, RecorderState.RecBackgroundColor);
  RecCh2Pen = display::NotXorPen(RecorderState.RecCh2Color, RecorderState.RecBackgroundColor);
  RecTimeMarkerPen = display::NotXorPen(RecorderState.RecTimeMarkerColor, RecorderState.RecBackgroundColor);
  RecGridPen = RecorderState.RecBrightGrid ? RecorderState.RecBrightGridColor : RecorderState.RecDarkGridColor;
}

void TForm1_rec::putsataanko() {
  if (!RecClearPending) return;
  // New colours take effect here, where nothing drawn with the old pens stays.
  DerivePens();
  DoGrid();
  RecCh1Drawn = RecCh2Drawn = 0;
  RecClearPending = 0;
}

void TForm1_rec::poisto() {
  if (RecCh1Drawn) {
    piirra(1);
    RecCh1Drawn = 0;
  }
  if (RecCh2Drawn) {
    piirra(2);
    RecCh2Drawn = 0;
  }
}

void TForm1_rec::piirrot() {
  if (recorder::RecorderState.RecCh1On && !RecCh1Drawn) {
    piirra(1);
    RecCh1Drawn = 1;
  }
  if (recorder::RecorderState.RecCh2On && !RecCh2Drawn) {
    piirra(2);
    RecCh2Drawn = 1;
  }
  if (Form_9rec) Form_9rec->note();
}

void TForm1_rec::piirra(int channel) {
  using namespace recorder;
  const bool ch1 = channel == 1;
  TCanvas* canvas = Image1->Canvas();
  canvas->Pen.Mode = pmNotXor;
  canvas->Pen.Style = psSolid;
  canvas->Pen.Width = 1;
  canvas->Pen.Color = ch1 ? RecCh1Pen : RecCh2Pen;
  Kayran_Piirto(RecordPoints(ch1 ? std::span<const std::int32_t>(RecBufCh1) : std::span<const std::int32_t>(RecBufCh2),
                             RecorderState.RecScrollOffset, RecorderState.RecDisplayStep, RecorderState.RecLength, X0, Y0, ch1 ? RecorderState.RecShiftCh1 : RecorderState.RecShiftCh2,
                             RecorderState.RecStopped != 0));
}

void TForm1_rec::Kayran_Piirto(const std::vector<TPoint>& points) {
  Image1->Canvas()->Polyline(points);
  Image1->Invalidate();
}

void TForm1_rec::DoGrid() {
  using namespace engine;
  using namespace recorder;
  TCanvas* c = Image1->Canvas();
  const int w = Image1->Width();
  // Background.
  c->Brush.Color = RecorderState.RecBackgroundColor;
  c->Brush.Style = bsSolid;
  c->FillRect(Rect(0, 0, w, Image1->Height()));
  // Grid.
  c->Pen.Mode = pmCopy;
  c->Pen.Style = psSolid;
  c->Pen.Width = 1;
  c->Pen.Color = RecGridPen;
  for (int i = 0; i <= 8; ++i) {
    c->MoveTo(X0, Y0 + 32 * i);
    c->LineTo(X0 + 641, Y0 + 32 * i);
  }
  for (int i = 0; i <= 21; ++i) {
    c->MoveTo(X0 + 32 * i, Y0);
    c->LineTo(X0 + 32 * i, Y0 + 257);
  }
  // Minor ticks, five per division.
  int x = X0;
  for (int g = 0; g < 10; ++g, --x) {
    for (int p = 0; p < 5; ++p, x += 13) {
      for (int t : {0, 6}) {
        c->MoveTo(x + t, Y0 + 126);
        c->LineTo(x + t, Y0 + 131);
      }
    }
  }
  int y = Y0;
  for (int g = 0; g < 4; ++g, --y) {
    for (int p = 0; p < 5; ++p, y += 13) {
      for (int t : {0, 6}) {
        c->MoveTo(X0 + 1, y + t);
        c->LineTo(X0 + 5, y + t);
        c->MoveTo(X0 + 637, y + t);
        c->LineTo(X0 + 641, y + t);
      }
    }
  }
  // Frame.
  c->Pen.Color = RecorderState.RecBrightGridColor;
  const TPoint frame[] = {{X0 - 1, Y0 - 1}, {X0 - 1, Y0 + 257}, {X0 + 641, Y0 + 257}, {X0 + 641, Y0 - 1},
                          {X0 - 1, Y0 - 1}};
  c->Polyline(frame, 5);
  // Ground markers and labels, drawn by inversion so they can be taken off again.
  c->Pen.Mode = pmNotXor;
  y_viivat();
  c->Pen.Width = 1;
  c->Font.Size = 8;
  kursorit();
  tekstit();
  Image1->Invalidate();
}

void TForm1_rec::TulostaTeksti(const std::string& text, int x, TColor color, int y) {
  TCanvas* c = Image1->Canvas();
  const TPoint pos = c->PenPos;
  c->Brush.Color = recorder::RecorderState.RecBackgroundColor;
  c->Brush.Style = bsSolid;
  c->Font.Size = 8;
  c->Font.Color = color;
  c->TextOut(x, y, text);
  c->PenPos = pos;
  Image1->Invalidate();
}

void TForm1_rec::tekstit() {
  using namespace recorder;
  using recorder::RecorderState;
  TulostaTeksti("DEMO", X0 + 240, engine::ScopeState.DemoMode ? recorder::RecorderState.RecBrightGridColor : RecorderState.RecBackgroundColor, 3);
  if (RecorderState.RecSampleRateShown) TulostaTeksti(RecorderState.RecRateText, X0 + 352, display::DisplayState.TimeMarkerColor, 3);
  TulostaTeksti(RecorderState.RecTimeDivText, X0 + 151, recorder::RecorderState.RecTimeMarkerColor, 3);
  if (RecorderState.RecCh1On) TulostaTeksti(RecorderState.RecCh1Text, X0 + 10, recorder::RecorderState.RecCh1Color, 3);
  if (RecorderState.RecCh2On) TulostaTeksti(RecorderState.RecCh2Text, X0 + 70, recorder::RecorderState.RecCh2Color, 3);
  if (RecorderState.RecMarkersOn) {
    if (RecorderState.RecTimeMarker1X >= X0 || RecorderState.RecTimeMarker2X >= X0)
      TulostaTeksti(TimeReadoutShown, X0 + 190, recorder::RecorderState.RecTimeMarkerColor, ReadoutY);
    if (RecorderState.RecVoltMarker1Y >= Y0 || RecorderState.RecVoltMarker2Y >= Y0)
      TulostaTeksti(VoltReadoutShown, X0, RecorderState.RecCh1On ? recorder::RecorderState.RecCh1Color : recorder::RecorderState.RecCh2Color, ReadoutY);
  }
}

// ---------------------------------------------------------------- markers

void TForm1_rec::DrawMarkerLine(int id, int pos, bool dotted) {
  TCanvas* c = Image1->Canvas();
  const TPen saved = c->Pen;
  c->Pen.Mode = pmNotXor;
  c->Pen.Width = 1;
  c->Pen.Style = dotted ? psDot : psSolid;
  if (id >= 3) {
    c->Pen.Color = recorder::RecorderState.RecCh1On ? RecCh1Pen : RecCh2Pen;
    c->MoveTo(X0 + 1, pos);
    c->LineTo(Image1->Width() - X0, pos);
  } else {
    c->Pen.Color = RecTimeMarkerPen;
    c->MoveTo(pos, Y0 + 1);
    c->LineTo(pos, Image1->Height() - Y0 - 2);
  }
  c->Pen = saved;
  Image1->Invalidate();
}

void TForm1_rec::kursorit() {
  using namespace recorder;
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
  using namespace recorder;
  if (!RecorderState.RecMarkersOn) return;
  TimeReadoutInput in;
  in.TimeDivCaption = RecorderState.RecTimeDivText;
  in.Marker1X = RecorderState.RecTimeMarker1X;
  in.Marker2X = RecorderState.RecTimeMarker2X;
  in.X0 = X0;
  in.FromPageStart = Markers1->Checked();
  in.RecordedTimeUnit = RecorderState.RecordedTimeUnit;
  in.TimeUnitValue = RecorderState.TimeUnitValue;
  in.ScrollOffset = RecorderState.RecScrollOffset;
  in.PageStart = RecorderState.RecPageStart;
  TulostaTeksti(TimeReadoutShown, X0 + 190, recorder::RecorderState.RecBackgroundColor, ReadoutY);
  TimeReadoutShown = TimeReadoutText(in).substr(0, kRecReadoutChars);
  TulostaTeksti(TimeReadoutShown, X0 + 190, recorder::RecorderState.RecTimeMarkerColor, ReadoutY);
}

void TForm1_rec::kursorivoltit() {
  using namespace recorder;
  if (!RecorderState.RecMarkersOn) return;
  const bool ch1 = RecorderState.RecCh1On != 0;
  VoltReadoutInput in;
  const recorder::RecorderChannelSettings& settings = RecorderState.Settings.Channel(ch1 ? 1 : 2);
  in.RangeCode = settings.GainCode();
  in.ProbeFactor = settings.X10 ? 10.0 : 1.0;
  in.ZeroLevel = ch1 ? RecorderState.RecCh1ZeroLevel : RecorderState.RecCh2ZeroLevel;
  in.Marker1Y = RecorderState.RecVoltMarker1Y;
  in.Marker2Y = RecorderState.RecVoltMarker2Y;
  in.Y0 = Y0;
  TulostaTeksti(VoltReadoutShown, X0, recorder::RecorderState.RecBackgroundColor, ReadoutY);
  VoltReadoutShown = VoltReadoutText(in).substr(0, kRecReadoutChars);
  if (RecorderState.RecVoltMarker1Y >= Y0 || RecorderState.RecVoltMarker2Y >= Y0)
    TulostaTeksti(VoltReadoutShown, X0, ch1 ? recorder::RecorderState.RecCh1Color : recorder::RecorderState.RecCh2Color, ReadoutY);
}

void TForm1_rec::dso_down(int x, int y) {
  using namespace recorder;
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
  using namespace recorder;
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
  using namespace recorder;
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
  using namespace recorder;
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
  display::DrawGroundGlyph(RecView, channel, level, channel == 1 ? RecCh1Pen : RecCh2Pen);
}

void TForm1_rec::y1_viiva() {
  using namespace recorder;
  if (!RecorderState.RecCh1On) return;
  if (engine::ScopeState.DemoMode) {
    RecorderState.RecCh1ZeroLevel = 2 * TrackBar1->Position() + 128;
  } else {
    const engine::GroundLevelLine line = engine::ChannelGroundLevelFit(1);
    RecorderState.RecCh1ZeroLevel = line.Valid ? engine::GroundLevelAt(line, RecorderState.Ch1OffsetSum) : 0;
  }
  DrawZeroGlyph(1, RecorderState.RecCh1ZeroLevel);
}

void TForm1_rec::y2_viiva() {
  using namespace recorder;
  if (!RecorderState.RecCh2On) return;
  if (engine::ScopeState.DemoMode) {
    RecorderState.RecCh2ZeroLevel = 2 * TrackBar2->Position() + 128;
  } else {
    const engine::GroundLevelLine line = engine::ChannelGroundLevelFit(2);
    RecorderState.RecCh2ZeroLevel = line.Valid ? engine::GroundLevelAt(line, RecorderState.Ch2OffsetSum) : 0;
  }
  DrawZeroGlyph(2, RecorderState.RecCh2ZeroLevel);
}

void TForm1_rec::y_viivat() {
  y1_viiva();
  y2_viiva();
}

// ---------------------------------------------------------------- scrolling and View menu

void TForm1_rec::ScrollBar2Change(TObject*) {
  putsataanko();
  poisto();
  recorder::RecorderState.RecScrollOffset = ScrollBar2->Position();
  piirrot();
  kursoriaika();
}

void TForm1_rec::Markers1Click(TObject*) { MarkersClick(Markers1, MarkersVdt1, -600); }

void TForm1_rec::MarkersVdt1Click(TObject*) { MarkersClick(MarkersVdt1, Markers1, X0 + 16); }

void TForm1_rec::MarkersClick(TMenuItem* item, TMenuItem* other, int marker1X) {
  using namespace recorder;
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
  recorder::RecorderState.RecBrightGrid = BrightGrid1->Checked() ? 1 : 0;
  RecClearPending = 1;
  putsataanko();
  piirrot();
  tekstit();
}

void TForm1_rec::SampleRate1Click(TObject*) {
  using namespace recorder;
  SampleRate1->SetChecked(!SampleRate1->Checked());
  RecorderState.RecSampleRateShown = SampleRate1->Checked() ? 1 : 0;
  TulostaTeksti(RecorderState.RecRateText, X0 + 352, RecorderState.RecSampleRateShown ? display::DisplayState.TimeMarkerColor : display::DisplayState.BackgroundColor, 3);
}

void TForm1_rec::Colors2Click(TObject*) {
  using namespace engine;
  using namespace recorder;
  engine::CopyScreenColorsToRecorder();
  if (BtnBottomDlg2 && BtnBottomDlg2->PresetChosen && !display::DisplayState.ColorsAccepted) {
    // The recorder keeps its own copy: the scope's picture, drawn with the
    // scope's pens, stays as it is.
    const display::ScreenColorSet& set = display::DisplayState.BlackScreenPreset ? display::kBlackScreenColors : kRecorderBrightColors;
    RecorderState.RecBackgroundColor = set.Background;
    RecorderState.RecCh1Color = set.Ch1;
    RecorderState.RecCh2Color = set.Ch2;
    RecorderState.RecMath1Color = set.Math1;
    RecorderState.RecMath2Color = set.Math2;
    RecorderState.RecDarkGridColor = set.DarkGrid;
    RecorderState.RecBrightGridColor = set.BrightGrid;
    RecorderState.RecTimeMarkerColor = set.TimeMarker;
  }
  for (TLabel* label : {LabelCh1, LabelCh2}) {
    if (label->Font().Color == clGray) continue;
    label->Font().Color = label == LabelCh1 ? RecorderState.RecCh1Color : RecorderState.RecCh2Color;
    label->FontChanged();
  }
  RecClearPending = 1;
  putsataanko();
  piirrot();
}
