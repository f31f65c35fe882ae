// The main window's markers: dragging them with the mouse, their read-outs on
// the bottom text line, the right click that places the annotation, and the
// View items for markers, the RMS read-out and the measurement window.
#include <algorithm>
#include <string>

#include "display/add_text.h"
#include "display/display_state.h"
#include "display/graticule.h"
#include "display/marker_readouts.h"
#include "display/measurement_window.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr std::size_t kTextChars = 51;  // texts are short strings
constexpr int kGridHeight = 256;

std::string Short(const std::string& s) { return s.substr(0, kTextChars); }

TMenuItem* AddViewItem(TForm1* form, const char* name, const char* caption, TNotifyEvent handler) {
  auto* item = new TMenuItem(form);
  item->Name = name;
  item->SetCaption(caption);
  item->OnClick = std::move(handler);
  form->View1->Add(item);
  return item;
}

// The twin panel's copy of a menu item follows the main window's check.
void MirrorCheck(const TMenuItem* item, TMenuItem* TForm11::*twin) {
  if (Form11 && Form11->*twin) (Form11->*twin)->SetChecked(item->Checked());
}

bool InvertedCh2() { return engine::InvertCh2Mode && !engine::MathOff; }

// The voltage and level markers belong to CH1 while it is shown, else to CH2.
TColor ShownChannelPen() { return engine::Ch1On ? display::Ch1PenColor : display::Ch2PenColor; }
TColor ShownChannelColor() {
  using namespace engine;
  using namespace display;
  if (Ch1On) return Ch1Color;
  return InvertedCh2() ? Math2Color : Ch2Color;
}

bool VerticalDrag(int kind) { return kind == 1 || kind == 2; }

}  // namespace

// ---------------------------------------------------------------- menu and mouse

void TForm1::CreateMarkerControls() {
  Markers1 = AddViewItem(this, "Markers1", "Markers (DSO) ", [this](TObject* s) { Markers1Click(s); });
  RMSCalculation1 = AddViewItem(this, "RMSCalculation1", "RMS Value", [this](TObject* s) { RMSCalculation1Click(s); });
  MoreData1 = AddViewItem(this, "MoreData1", "Waveform Parameters...", [this](TObject* s) { MoreData1Click(s); });
  Image1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  Image1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image1MouseMove(s, sh, x, y); };
  Image1->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseUp(s, b, sh, x, y);
  };
}

void TForm1::Markers1Click(TObject* /*Sender*/) {
  using namespace engine;
  using namespace display;
  Markers1->SetChecked(!Markers1->Checked());
  MirrorCheck(Markers1, &TForm11::Markers1);
  display::MarkersOn = Markers1->Checked() ? 1 : 0;
  // The rebuilt picture has the marker lines, or none; the read-outs follow.
  ClearPending = 1;
  putsataanko();
  piirrot();
  kursoriaika();
  kursorivoltit();
}

void TForm1::RMSCalculation1Click(TObject* /*Sender*/) {
  using namespace engine;
  using namespace display;
  putsataanko();
  RMSCalculation1->SetChecked(!RMSCalculation1->Checked());
  MirrorCheck(RMSCalculation1, &TForm11::RMSCalculation1);
  RmsOn = RMSCalculation1->Checked() ? 1 : 0;
  if (!RmsOn) TulostaTeksti(RmsText, MainView.X0 + MainView.Texts.Rms, MainView.TextLineY, BackgroundColor);
}

void TForm1::MoreData1Click(TObject* /*Sender*/) {
  if (!Form_99) return;
  const bool show = !Form_99->Visible();
  if (show) {
    Form_99->Show();
    measure();
  } else {
    Form_99->Close();
  }
  MoreData1->SetChecked(Form_99->Visible());
  if (Form_9) Form_9->Parameters->SetEnabled(Form_99->Visible());
}

void TForm1::Image1MouseDown(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int X, int Y) {
  using namespace engine;
  using namespace display;
  if (Button == mbLeft) {
    if (SpectrumMode && display::FftMarkersOn) fft_down(X, Y);
    else if (!SpectrumMode && display::MarkersOn) dso_down(X, Y);
    return;
  }
  if (Button != mbRight || !Form_9) return;
  if (!ScopeNoteShown) {
    display::ScopeNoteX = static_cast<std::int16_t>(std::clamp(X, -32768, 32767));
    display::ScopeNoteY = static_cast<std::int16_t>(std::clamp(Y, -32768, 32767));
  } else if (Form_9->Visible()) {
    display::ScopeNoteX = static_cast<std::int16_t>(std::clamp(X, -32768, 32767));
    display::ScopeNoteY = static_cast<std::int16_t>(std::clamp(Y, -32768, 32767));
    ClearPending = 1;
    putsataanko();
    piirrot();
  }
  Form_9->Show();
}

void TForm1::Image1MouseMove(TObject* /*Sender*/, TShiftState /*Shift*/, int X, int Y) {
  if (MarkerDragActive) DragTo(X, Y);
}

void TForm1::Image1MouseUp(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
  if (Button != mbLeft || !MarkerDragActive) return;
  if (engine::SpectrumMode) fft_up();
  else dso_up();
}

// ---------------------------------------------------------------- dragging

void TForm1::dso_down(int x, int y) {
  using namespace engine;
  using namespace display;
  putsataanko();
  MarkerDragActive = 1;
  DragKind = display::PickMarker(x, y, TimeMarker1X, TimeMarker2X, VoltMarker1Y, VoltMarker2Y);
  const bool vertical = VerticalDrag(DragKind);
  const int at = DragKind == 1 ? TimeMarker1X : DragKind == 2 ? TimeMarker2X : DragKind == 3 ? VoltMarker1Y : VoltMarker2Y;
  (vertical ? DragLineX : DragLineY) = at;
  if (at < (vertical ? MainView.X0 : MainView.Y0)) return;  // not placed: the drag pulls it in
  const TColor pen = vertical ? TimeMarkerPenColor : ShownChannelPen();
  display::DrawMarkerLine(MainView, vertical, at, pen, true);
  display::DrawMarkerLine(MainView, vertical, at, pen, false);
}

void TForm1::fft_down(int x, int y) {
  using namespace engine;
  using namespace display;
  putsataanko();
  const int kind = display::PickSpectrumMarker(x, y, FreqMarker1X, LevelMarker1Y, LevelMarker2Y);
  if (kind == 0) return;
  MarkerDragActive = 1;
  DragKind = kind;
  const bool vertical = kind == 1;
  const int at = vertical ? FreqMarker1X : kind == 3 ? LevelMarker1Y : LevelMarker2Y;
  (vertical ? DragLineX : DragLineY) = at;
  if (at < (vertical ? MainView.X0 : MainView.Y0)) return;
  const TColor pen = vertical ? TimeMarkerPenColor : ShownChannelPen();
  // The frequency line is on the picture only while it is shown.
  if (!vertical || display::FreqMarkerShown) display::DrawMarkerLine(MainView, vertical, at, pen, true);
  if (vertical) display::FreqMarkerShown = 0;
  display::DrawMarkerLine(MainView, vertical, at, pen, false);
}

void TForm1::DragTo(int x, int y) {
  using namespace engine;
  using namespace display;
  const bool spectrum = SpectrumMode != 0;
  const bool vertical = VerticalDrag(DragKind);
  const TColor pen = vertical ? TimeMarkerPenColor : ShownChannelPen();
  if (vertical) {
    if (x == DragLineX) return;
    if (DragLineX >= MainView.X0) display::DrawMarkerLine(MainView, true, DragLineX, pen, false);
    DragLineX = std::clamp(x, MainView.X0, MainView.X0 + MainView.GridWidth);
    display::DrawMarkerLine(MainView, true, DragLineX, pen, false);
    if (spectrum) {
      FreqMarker1X = DragLineX;
      display::FreqMarkerBin = static_cast<std::uint16_t>(
          std::clamp(display::FreqMarkerBinAt(FreqMarker1X, MainView.X0, DisplayStart, display::SpectrumZoom), 0, 65535));
      kursoritaajuus();
    } else {
      (DragKind == 1 ? TimeMarker1X : TimeMarker2X) = DragLineX;
      kursoriaika();
    }
    return;
  }
  if (y == DragLineY) return;
  if (DragLineY >= MainView.Y0) display::DrawMarkerLine(MainView, false, DragLineY, pen, false);
  DragLineY = std::clamp(y, MainView.Y0, MainView.Y0 + kGridHeight);
  display::DrawMarkerLine(MainView, false, DragLineY, pen, false);
  if (spectrum) {
    (DragKind == 3 ? LevelMarker1Y : LevelMarker2Y) = DragLineY;
    kursoridb();
  } else {
    (DragKind == 3 ? VoltMarker1Y : VoltMarker2Y) = DragLineY;
    kursorivoltit();
  }
}

void TForm1::DropMarker() {
  using namespace engine;
  using namespace display;
  MarkerDragActive = 0;
  const bool vertical = VerticalDrag(DragKind);
  const int at = vertical ? DragLineX : DragLineY;
  const bool placed = at >= (vertical ? MainView.X0 : MainView.Y0);
  const TColor pen = vertical ? TimeMarkerPenColor : ShownChannelPen();
  if (placed) {
    display::DrawMarkerLine(MainView, vertical, at, pen, false);
    display::DrawMarkerLine(MainView, vertical, at, pen, true);
  }
}

void TForm1::dso_up() {
  using namespace engine;
  using namespace display;
  DropMarker();
  switch (DragKind) {
    case 1: TimeMarker1X = DragLineX; break;
    case 2: TimeMarker2X = DragLineX; break;
    case 3: VoltMarker1Y = DragLineY; break;
    default: VoltMarker2Y = DragLineY; break;
  }
}

void TForm1::fft_up() {
  using namespace engine;
  using namespace display;
  DropMarker();
  if (DragKind == 1) {
    FreqMarker1X = DragLineX;
    display::FreqMarkerShown = FreqMarker1X >= MainView.X0 ? 1 : 0;
    display::FreqMarkerBin = static_cast<std::uint16_t>(
        std::clamp(display::FreqMarkerBinAt(FreqMarker1X, MainView.X0, DisplayStart, display::SpectrumZoom), 0, 65535));
    kursoritaajuus();
  } else {
    (DragKind == 3 ? LevelMarker1Y : LevelMarker2Y) = DragLineY;
  }
}

// ---------------------------------------------------------------- read-outs

void TForm1::kursoriaika() {
  using namespace engine;
  using namespace display;
  if (SpectrumMode || !display::MarkersOn) return;
  const display::TimeReadout r = display::TimeMarkerReadout(TimeDivText, TimeMarker1X, TimeMarker2X, MainView.X0);
  const int y = MainView.TextLineY;
  const int xDt = MainView.X0 + MainView.Texts.TimeReadout, xInv = MainView.X0 + MainView.Texts.InvTimeReadout;
  TulostaTeksti(display::TimeMarkerText, xDt, y, BackgroundColor);
  TulostaTeksti(display::InvTimeMarkerText, xInv, y, BackgroundColor);
  display::TimeMarkerText = Short(r.Dt);
  display::InvTimeMarkerText = Short(r.InvDt);
  if (r.Show) {
    TulostaTeksti(display::TimeMarkerText, xDt, y, TimeMarkerColor);
    TulostaTeksti(display::InvTimeMarkerText, xInv, y, TimeMarkerColor);
  }
}

void TForm1::kursorivoltit() {
  using namespace engine;
  using namespace display;
  if (SpectrumMode || !display::MarkersOn) return;
  const bool ch1 = Ch1On != 0;
  const bool fileGround = FileCh1Ground != 10000;
  const int ground = ch1 ? (fileGround ? FileCh1Ground : Ch1GroundLevel) : (fileGround ? FileCh2Ground : Ch2GroundLevel);
  const std::string text = display::VoltMarkerReadout(ch1 ? Ch1GainCode : Ch2GainCode, ch1 ? Ch1ProbeFactor : Ch2ProbeFactor,
                                                      VoltMarker1Y, VoltMarker2Y, MainView.Y0, ground, !MathOff);
  const int x = MainView.X0 + MainView.Texts.VoltReadout;
  TulostaTeksti(display::VoltMarkerText, x, MainView.TextLineY, BackgroundColor);
  display::VoltMarkerText = Short(text);
  if (VoltMarker1Y >= MainView.Y0 || VoltMarker2Y >= MainView.Y0)
    TulostaTeksti(display::VoltMarkerText, x, MainView.TextLineY, ShownChannelColor());
}

void TForm1::kursoritaajuus() {
  using namespace engine;
  using namespace display;
  if (!SpectrumMode || !display::FftMarkersOn) return;
  const std::string text = display::FreqMarkerReadout(TimePerDiv, display::FreqMarkerBin, LogFreqAxis != 0);
  const int x = MainView.X0 + MainView.Texts.FreqReadout;
  TulostaTeksti(display::FreqMarkerText, x, MainView.TextLineY, BackgroundColor);
  display::FreqMarkerText = Short(text);
  if (FreqMarker1X >= MainView.X0) TulostaTeksti(display::FreqMarkerText, x, MainView.TextLineY, TimeMarkerColor);
}

void TForm1::kursoridb() {
  using namespace engine;
  using namespace display;
  if (!SpectrumMode || !display::FftMarkersOn) return;
  const bool ch1 = Ch1On != 0;
  display::LevelSetup setup;
  setup.RangeCode = ch1 ? Ch1GainCode : Ch2GainCode;
  setup.ProbeDb = ch1 ? Ch1ProbeDb : Ch2ProbeDb;
  setup.Density = display::FftDensityMarkers != 0;
  setup.CaptureTimePerDiv = CaptureTimePerDiv;
  setup.WindowDensityCorrection = display::WindowDensityCorrection;
  const std::string text = display::LevelMarkerReadout(setup, LevelMarker1Y, LevelMarker2Y, MainView.Y0);
  const int x = MainView.X0 + MainView.Texts.VoltReadout;
  TulostaTeksti(display::LevelMarkerText, x, MainView.TextLineY, BackgroundColor);
  display::LevelMarkerText = Short(text);
  TulostaTeksti(display::LevelMarkerText, x, MainView.TextLineY, ShownChannelColor());
}
