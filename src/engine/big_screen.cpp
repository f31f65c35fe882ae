// The Big Screen window: its controls, its picture operations (the shared
// view code run on Image10), its markers and mouse, and the controls it
// forwards to the main window.
#include "engine/big_screen.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "engine/add_text.h"
#include "display/display_state.h"
#include "display/graticule.h"
#include "display/ground_markers.h"
#include "display/marker_readouts.h"
#include "engine/ground_levels.h"
#include "display/spectrum.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/persistence/persistence_host.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "engine/scope_window.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kScrollBarHeight = 17;
constexpr unsigned kFocusDelayMs = 500;
constexpr TColor kAutosetPanelColor = 0x800000;  // navy

display::MarkerPens Pens(const engine::WithScopeStates& states) {
  return {display::ShownChannelPen(engine::CurrentColorTable(states), states.ScopeState.Settings.Channels[0].On != 0), states.DisplayState.TimeMarkerPenColor,
          states.DisplayState.BackgroundColor};
}

std::int16_t Clamp16(int v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }

// Image10 as DoGrid draws it on a wiped picture, in values: what each of
// the window's grid items would draw then. Drawn through the same steps.
struct BigScreenGridLook {
  display::ScopeView View;  // geometry; the markers below
  std::array<std::int32_t, 7> Markers{};
  bool XYLayout = false, Spectrum = false, TriggerLevelTick = false;
  display::GraticuleColors Colors{};
  TColor Background = 0;
  // t_viiva
  int TriggerLevel = 0;
  bool TriggerMirrored = false;
  TColor TriggerPen = 0;
  // y_viivat
  std::array<engine::GroundMark, 2> Ground{};
  // fft_viiva_on: the frequency marker's x, or -1 when not drawn
  int FreqMarkerX = -1;
  TColor TimeMarkerPen = 0;
  // fft_kursorit, kursorit: drawn or not, and the markers' pen
  bool LevelMarkers = false, ScopeMarkers = false;
  TColor MarkerPen = 0;
  // viiva
  display::PictureSettings Settings;
  TColor TickPen = 0;
  // tekstit
  struct Label {
    std::string Text;
    int X, Y;
    TColor Color;
  };
  std::vector<Label> Labels;
};

// The grid items of a BigScreenGridLook, for RebuildGridItems.
struct BigScreenGridItems {
  const BigScreenGridLook& Look;
  display::ScopeView& View;
  void t_viiva() { display::DrawTriggerLevelTick(View, Look.TriggerLevel, Look.TriggerMirrored, Look.TriggerPen); }
  void y_viivat() {
    for (int channel = 1; channel <= 2; ++channel) {
      const engine::GroundMark& mark = Look.Ground[static_cast<std::size_t>(channel - 1)];
      if (mark.Outcome != engine::GroundMarkerOutcome::NotShown) display::DrawGroundGlyph(View, channel, mark.DrawnAt, mark.Pen);
    }
  }
  void fft_viiva_on() {
    if (Look.FreqMarkerX >= 0) display::DrawFreqMarkerLine(View, Look.FreqMarkerX, Look.TimeMarkerPen);
  }
  void fft_kursorit() {
    if (Look.LevelMarkers) display::DrawLevelMarkerLines(View, Look.MarkerPen, Look.Background);
    View.Image->Canvas()->Brush.Color = Look.Background;
  }
  void viiva() { display::DrawTriggerTick(View, Look.Settings, Look.TickPen); }
  void kursorit() {
    if (Look.ScopeMarkers) display::DrawScopeMarkerLines(View, Look.MarkerPen, Look.TimeMarkerPen, Look.Background);
    View.Image->Canvas()->Brush.Color = Look.Background;
  }
  void tekstit() {
    for (const BigScreenGridLook::Label& label : Look.Labels) display::PrintText(View, label.Text, label.X, label.Y, label.Color);
  }
};

// Wipes the Big Screen's view and takes DoGrid's steps on the program's
// state now; returns what they would draw.
BigScreenGridLook TakeFirstGridLook(TForm10& form) {
  // The wipe.
  form.BigView.Ch1Drawn = form.BigView.Ch2Drawn = form.BigView.MathDrawn = form.BigView.LineDrawn = 0;
  // DoGrid's items, each as it would draw now.
  const display::PictureSettings settings = engine::CurrentPictureSettings(form);
  BigScreenGridLook look;
  look.View = form.BigView;
  look.XYLayout = form.DisplayState.XYPlotMode && !form.ScopeState.MathOff;
  look.Spectrum = form.ScopeState.SpectrumMode != 0;
  look.TriggerLevelTick = form.DisplayState.TriggerOn != 0;
  look.Colors = display::GraticuleColors::Of(settings.Colors);
  look.Background = form.DisplayState.BackgroundColor;
  look.TriggerLevel = form.ScopeState.Settings.TriggerLevel;
  look.TriggerMirrored = display::InvertedCh2Source(settings);
  look.TriggerPen = display::TriggerPenColor(settings.Colors, form.ScopeState.Settings.TriggerSource);
  look.Ground = {engine::FindGroundMarker(form, 1), engine::FindGroundMarker(form, 2)};
  look.TimeMarkerPen = form.DisplayState.TimeMarkerPenColor;
  look.MarkerPen = display::ShownChannelPen(settings.Colors, form.ScopeState.Settings.Channels[0].On != 0);
  if (look.Spectrum) {
    if (form.DisplayState.FftMarkersOn) {
      const int x = display::FreqMarkerPixel(form.BigView, form.BigFreqMarkerBin, form.ScopeState.DisplayStart,
                                              form.DisplayState.SpectrumZoom);
      form.BigFreqMarker1X = x < 0 ? 0 : x;
      if (x >= 0) form.BigFreqMarkerShown = 1;
      look.FreqMarkerX = x;
      look.LevelMarkers = true;
    }
  } else {
    form.BigView.LineDrawn = 1;
    look.ScopeMarkers = form.DisplayState.MarkersOn != 0;
  }
  look.Markers = {form.BigTimeMarker1X, form.BigTimeMarker2X, form.BigVoltMarker1Y, form.BigVoltMarker2Y,
                  form.BigFreqMarker1X, form.BigLevelMarker1Y, form.BigLevelMarker2Y};
  look.TickPen = display::TriggerPenColor(settings.Colors, settings.TriggerSource);
  look.Settings = settings;
  look.Settings.Samples = display::SampleBlockView{display::kSilentSampleBlock};
  display::PrintLabels(form.BigView, settings, [&look](const std::string& t, int x, int y, TColor c) {
    look.Labels.push_back({t, x, y, c});
  });
  return look;
}

}  // namespace

int BigScreenTextX(int x, int screenX0, int bigScreenX0) {
  int big = x - screenX0 + bigScreenX0;
  if (big > 500) big += 300;
  if (big > 300 && big < 400) big += 150;
  return big;
}

TForm10::TForm10(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  Name = "Form10";
  SetCaption("Oscilloscope");
  ControlMaker make(this);
  Image10 = make.Image(this, "Image10", 0, 0, kImage10Width, kImage10Height);
  ScrollBar2 = new TScrollBar(this);
  ScrollBar2->Name = "ScrollBar2";
  ScrollBar2->SetParent(this);
  ScrollBar2->SetBounds(0, kImage10Height + 2, kImage10Width, kScrollBarHeight);
  ScrollBar2->SetParams(32, 0, 127);
  ScrollBar2->OnChange = [this](TObject* s) { ScrollBar2Change(s); };
  CreateHistoryControls();

  Panel2 = make.Panel(this, "Panel2", kImage10Width / 2 - 150, kImage10Height / 2 - 30, 300, 60);
  Panel2->SetCaption("AUTOSET - Please wait...");
  Panel2->SetColor(kAutosetPanelColor);
  Panel2->Font().Color = clWhite;
  Panel2->Font().Size = 12;
  Panel2->Font().Style = fsBold;
  Panel2->FontChanged();
  Panel2->SetVisible(false);

  Timer1 = make.Timer("Timer1", kFocusDelayMs, [this](TObject* s) { Timer1Timer(s); });

  Image10->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image10MouseDown(s, b, sh, x, y);
  };
  Image10->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image10MouseMove(s, sh, x, y); };
  Image10->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image10MouseUp(s, b, sh, x, y);
  };
  // Every key goes to the main window's shortcuts, whichever control has the focus.
  SetKeyPreview(true);
  OnKeyDown = [this](TObject* s, unsigned short& key, TShiftState shift) { FormKeyDown(s, key, shift); };
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
  SetClientWidth(kImage10Width);
  SetClientHeight(kImage10Height + 2 + kScrollBarHeight);
  FormCreate(this);
}

void TForm10::FormCreate(TObject*) {
  BigScreenX0 = Image10->Width() / 2 - 475;
  BigScreenY0 = Image10->Height() / 2 - 256;
  BigTextLineY = Image10->Height() - 20;
  BigMarkerLimitX = Image10->Width() - BigScreenX0;
  BigMarkerLimitY = Image10->Height() - BigScreenY0;
  PlaceDefaultMarkers();
  BigView = display::BigScopeView(
      Image10,
      display::MarkerPlaces{&BigTimeMarker1X, &BigTimeMarker2X, &BigVoltMarker1Y, &BigVoltMarker2Y, &BigFreqMarker1X,
                            &BigLevelMarker1Y, &BigLevelMarker2Y},
      display::ReadoutPlaces{&BigTimeText, &BigInvTimeText, &BigVoltText, &BigLevelText, &BigFreqText});
  BigView.TextLineY = BigTextLineY;
  BigView.MarkerLimitX = BigMarkerLimitX;
  BigView.MarkerLimitY = BigMarkerLimitY;
  // The picture of a wipe and DoGrid, drawn when the window first shows or
  // its picture is read before; what they leave in the program's state is
  // left now.
  Image10->Picture()->DrawWhenUsed(
      [look = TakeFirstGridLook(*this)](TBitmap&) {
        display::ScopeView view = look.View;
        std::array<std::int32_t, 7> markers = look.Markers;
        view.Markers = display::MarkerPlaces{&markers[0], &markers[1], &markers[2], &markers[3],
                                             &markers[4], &markers[5], &markers[6]};
        BigScreenGridItems items{look, view};
        display::RebuildGridItems(items, view, look.XYLayout, look.Spectrum, look.TriggerLevelTick, look.Colors);
      },
      true);
  Image10->Invalidate();
}

void TForm10::PlaceDefaultMarkers() {
  BigTimeMarker1X = BigScreenX0 + 16;
  BigTimeMarker2X = BigScreenX0 + 934;
  BigVoltMarker1Y = BigScreenY0 + 16;
  BigVoltMarker2Y = BigScreenY0 + 496;
  BigFreqMarker1X = BigScreenX0 + 16;
  BigLevelMarker1Y = BigScreenY0 + 16;
  BigLevelMarker2Y = BigScreenY0 + 496;
}

// ---------------------------------------------------------------- window

void TForm10::FormClose(TObject*, TCloseAction& Action) {
  Action = caHide;
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope || !scope->BigScreenButton()) return;
  scope->BigScreenButton()->SetDown(false);
  scope->GrSpeedButton1Click(this);
}

void TForm10::FormKeyDown(TObject*, unsigned short& Key, TShiftState Shift) {
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->Form10KeyDown(Key, Shift);
}

void TForm10::Timer1Timer(TObject*) {
  Timer1->SetEnabled(false);
  if (Visible()) SetFocus();
}

void TForm10::ScrollBar2Change(TObject*) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope || !scope->PositionBar()) return;
  // A real move runs the main handler through the bar, which writes this bar
  // back unchanged.
  if (scope->PositionBar()->Position() == ScrollBar2->Position())
    scope->FrontPanel().HorizontalPositionChange();
  else
    scope->PositionBar()->SetPosition(ScrollBar2->Position());
}

void TForm10::ScrollBar1Change(TObject*) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope || !scope->HistoryBar().ScrollBar1 || !ScrollBar1) return;
  scope->HistoryBar().ScrollBar1->SetPosition(ScrollBar1->Position());
}

void TForm10::Rebuild() {
  // A forced clear wipes both pictures; the main window draws both again.
  ScopeState.ClearPending = 1;
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) {
    scope->putsataanko();
    scope->piirrot();
  }
  kursoriaika();
  kursorivoltit();
  kursoritaajuus();
  kursoridb();
}

// ---------------------------------------------------------------- picture cycle

void TForm10::putsataanko() {
  display::WipePicture(BigView, DisplayState.BackgroundColor);
  BigFreqMarkerShown = 0;
  DoGrid();
}

void TForm10::poisto() {
  if (display::EraseTraces(BigView, engine::CurrentPictureSettings(*this))) ScopeState.PlotMethod = 0;
}

void TForm10::piirrot() { DrawPicture(engine::CurrentPictureSettings(*this)); }

void TForm10::DrawPicture(const display::PictureSettings& settings) {
  if (display::DrawTraces(BigView, settings)) ScopeState.PlotMethod = 0;
  if (Form_9) Form_9->NotesOnBigScreen(BigView);
  Image10->Invalidate();
}

void TForm10::DoGrid() {
  display::RebuildGridItems(*this, BigView, DisplayState.XYPlotMode && !ScopeState.MathOff, ScopeState.SpectrumMode != 0, DisplayState.TriggerOn != 0,
                            display::GraticuleColors::Of(engine::CurrentColorTable(*this)));
}

void TForm10::viiva() { display::DrawTriggerTick(BigView, engine::CurrentPictureSettings(*this)); }

void TForm10::t_viiva() {
  display::DrawTriggerLevelTick(BigView, ScopeState.Settings.TriggerLevel, display::InvertedCh2Source(engine::CurrentPictureSettings(*this)),
                                display::TriggerPenColor(engine::CurrentColorTable(*this), ScopeState.Settings.TriggerSource));
}

void TForm10::kursorit() {
  if (ScopeState.SpectrumMode || !DisplayState.MarkersOn) return;
  display::DrawScopeMarkerLines(BigView, display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Channels[0].On != 0), DisplayState.TimeMarkerPenColor,
                                DisplayState.BackgroundColor);
}

void TForm10::fft_kursorit() {
  if (!ScopeState.SpectrumMode || !DisplayState.FftMarkersOn) return;
  display::DrawLevelMarkerLines(BigView, display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Channels[0].On != 0), DisplayState.BackgroundColor);
}

void TForm10::fft_viiva_on() {
  if (!DisplayState.FftMarkersOn || !ScopeState.SpectrumMode || BigFreqMarkerShown) return;
  const int x = display::FreqMarkerPixel(BigView, BigFreqMarkerBin, ScopeState.DisplayStart, DisplayState.SpectrumZoom);
  if (x < 0) {
    BigFreqMarker1X = 0;
    return;
  }
  BigFreqMarker1X = x;
  display::DrawFreqMarkerLine(BigView, x, DisplayState.TimeMarkerPenColor);
  BigFreqMarkerShown = 1;
}

void TForm10::fft_viiva_off() {
  if (BigFreqMarkerShown && BigFreqMarker1X >= BigScreenX0)
    display::DrawFreqMarkerLine(BigView, BigFreqMarker1X, DisplayState.TimeMarkerPenColor);
  BigFreqMarkerShown = 0;
}

// The Big Screen draws the ground glyphs only; a record without a line is
// reported by the main window.
void TForm10::y_viivat() {
  engine::PlaceGroundMarker(*this, BigView, 1);
  engine::PlaceGroundMarker(*this, BigView, 2);
}

void TForm10::y1_viiva() { engine::PlaceGroundMarker(*this, BigView, 1); }
void TForm10::y2_viiva() { engine::PlaceGroundMarker(*this, BigView, 2); }

// ---------------------------------------------------------------- texts and read-outs

void TForm10::kursoriaika() { display::ShowTimeReadout(BigView, engine::CurrentPictureSettings(*this)); }
void TForm10::kursorivoltit() { display::ShowVoltReadout(BigView, engine::CurrentPictureSettings(*this)); }
void TForm10::kursoritaajuus() { display::ShowFreqReadout(BigView, engine::CurrentPictureSettings(*this), BigFreqMarkerBin); }
void TForm10::kursoridb() { display::ShowLevelReadout(BigView, engine::CurrentPictureSettings(*this)); }

void TForm10::TulostaTeksti(const std::string& text, int x, int y, TColor color) {
  display::PrintText(BigView, text, x, y, color);
}

void TForm10::TulostaTekstix(const std::string& text, int x, int y, TColor color) {
  TulostaTeksti(text, BigScreenTextX(x, ScopeState.ScreenX0, BigScreenX0), y <= BigView.TopTextY ? y : BigTextLineY,
                color);
}

void TForm10::tekstit() {
  display::PrintLabels(BigView, engine::CurrentPictureSettings(*this), [this](const std::string& t, int x, int y, TColor c) { TulostaTeksti(t, x, y, c); });
}

void TForm10::tekstit_pois() {
  display::EraseLabels(BigView, engine::CurrentPictureSettings(*this), [this](const std::string& t, int x, int y, TColor c) { TulostaTeksti(t, x, y, c); });
}

void TForm10::f_alue() {
  TulostaTeksti(DisplayState.SpanText, BigScreenX0 + BigView.Texts.TimeDiv, BigView.TopTextY, DisplayState.TimeMarkerColor);
}

void TForm10::LinKursLog() { BigFreqMarkerBin = display::MarkerLinToLog(BigFreqMarkerBin); }
void TForm10::LogKursLin() { BigFreqMarkerBin = display::MarkerLogToLin(BigFreqMarkerBin); }

void TForm10::FreqMarkerBinFromX() {
  BigFreqMarkerBin = static_cast<std::uint16_t>(std::clamp(
      display::FreqMarkerBinAt(BigFreqMarker1X, BigScreenX0, ScopeState.DisplayStart, DisplayState.SpectrumZoom), 0, 65535));
}

// ---------------------------------------------------------------- mouse

void TForm10::Image10MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button == mbLeft) {
    if (ScopeState.SpectrumMode && DisplayState.FftMarkersOn)
      fft_down(X, Y);
    else if (!ScopeState.SpectrumMode && DisplayState.MarkersOn)
      dso_down(X, Y);
    return;
  }
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (Button != mbRight || !Form_9 || !scope) return;
  // The annotation's place is kept in main-picture pixels.
  const bool move = !ScopeState.ScopeNoteShown || Form_9->Visible();
  if (move) {
    DisplayState.ScopeNoteX = Clamp16(X - 5);
    DisplayState.ScopeNoteY = Clamp16(Y / 2 - 5);
  }
  if (ScopeState.ScopeNoteShown && Form_9->Visible()) {
    ScopeState.ClearPending = 1;
    scope->putsataanko();
    scope->piirrot();
  }
  Form_9->Show();
}

void TForm10::Image10MouseMove(TObject*, TShiftState, int X, int Y) {
  if (Drag.Active)
    MarkerMoved(display::DragMarkerTo(BigView, Drag, X, Y, ScopeState.SpectrumMode != 0, ScopeState.DisplayStart,
                                    DisplayState.SpectrumZoom, Pens(*this), BigFreqMarkerBin));
}

void TForm10::Image10MouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft || !Drag.Active) return;
  if (ScopeState.SpectrumMode)
    fft_up();
  else
    dso_up();
}

void TForm10::dso_down(int x, int y) {
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->putsataanko();
  display::BeginScopeDrag(BigView, Drag, x, y, Pens(*this));
}

void TForm10::fft_down(int x, int y) {
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->putsataanko();
  display::BeginSpectrumDrag(BigView, Drag, x, y, Pens(*this), BigFreqMarkerShown);
}

void TForm10::dso_up() {
  MarkerMoved(display::DropMarker(BigView, Drag, false, ScopeState.DisplayStart, DisplayState.SpectrumZoom, Pens(*this),
                                  BigFreqMarkerShown, BigFreqMarkerBin));
}

void TForm10::fft_up() {
  MarkerMoved(display::DropMarker(BigView, Drag, true, ScopeState.DisplayStart, DisplayState.SpectrumZoom, Pens(*this),
                                  BigFreqMarkerShown, BigFreqMarkerBin));
}

void TForm10::MarkerMoved(display::MarkerMove move) { display::ShowMovedReadout(*this, move); }
