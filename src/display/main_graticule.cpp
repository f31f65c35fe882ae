// The main window's graticule, trigger-level tick, marker lines and texts:
// TForm1's operations run the shared view code on Image1.
#include <string>

#include "display/display_state.h"
#include "display/graticule.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr std::size_t kTextChars = 51;  // texts are short strings

bool InvertedCh2Source() {
  using namespace engine;
  return TriggerSource == 0 && InvertCh2Mode && !MathOff;
}

// The voltage and level markers belong to CH1 while it is shown, else to CH2.
TColor ShownChannelPen() { return engine::Ch1On ? engine::Ch1PenColor : engine::Ch2PenColor; }

}  // namespace

void TForm1::DoGrid() {
  using namespace engine;
  display::DrawGraticule(MainView, display::XYPlotMode && !MathOff);

  TCanvas* canvas = Image1->Canvas();
  canvas->Pen.Mode = pmNotXor;
  canvas->Pen.Color = display::TriggerPenColor(TriggerSource);
  if (display::TriggerOn) t_viiva();
  y_viivat();  // both ground markers
  canvas->Pen.Width = 1;
  canvas->Font.Size = 8;

  if (SpectrumMode) {
    fft_viiva_on();
    fft_kursorit();
  } else {
    // A wipe has forgotten the tick; the graticule brings it back once.
    if (!MainView.LineDrawn) {
      viiva();
      MainView.LineDrawn = 1;
    }
    kursorit();
  }
  tekstit();
  Image1->Invalidate();
}

void TForm1::t_viiva() {
  display::DrawTriggerLevelTick(MainView, engine::TriggerLevel, InvertedCh2Source(),
                                display::TriggerPenColor(engine::TriggerSource));
}

void TForm1::kursorit() {
  if (engine::SpectrumMode || !display::MarkersOn) return;
  display::DrawScopeMarkerLines(MainView, ShownChannelPen(), engine::TimeMarkerPenColor);
}

void TForm1::fft_kursorit() {
  if (!engine::SpectrumMode || !display::FftMarkersOn) return;
  display::DrawLevelMarkerLines(MainView, ShownChannelPen());
}

void TForm1::fft_viiva_on() {
  using namespace display;
  if (!FftMarkersOn || !engine::SpectrumMode || FreqMarkerShown) return;
  const int x = FreqMarkerPixel(MainView, FreqMarkerBin);
  if (x < 0) {
    engine::FreqMarker1X = 0;
    return;
  }
  engine::FreqMarker1X = x;
  DrawFreqMarkerLine(MainView, x, engine::TimeMarkerPenColor);
  FreqMarkerShown = 1;
}

void TForm1::fft_viiva_off() {
  using namespace display;
  if (FreqMarkerShown && engine::FreqMarker1X >= MainView.X0)
    DrawFreqMarkerLine(MainView, engine::FreqMarker1X, engine::TimeMarkerPenColor);
  FreqMarkerShown = 0;
}

void TForm1::TulostaTeksti(const std::string& text, int x, int y, TColor color) {
  display::PrintText(MainView, text, x, y, color);
}

void TForm1::tekstit() {
  display::PrintLabels(MainView, [this](const std::string& t, int x, int y, TColor c) { TulostaTeksti(t, x, y, c); });
}

void TForm1::tekstit_pois() {
  display::EraseLabels(MainView, [this](const std::string& t, int x, int y, TColor c) { TulostaTeksti(t, x, y, c); });
}

void TForm1::f_alue() {
  using namespace engine;
  const int x = MainView.X0 + MainView.Texts.TimeDiv;
  TulostaTeksti(display::SpanText, x, MainView.TopTextY, BackgroundColor);
  // A time base without a span (none of the span buttons gives one) keeps the label.
  if (const char* label = display::SpanLabel(TimePerDiv)) display::SpanText = std::string(label).substr(0, kTextChars);
  TulostaTeksti(display::SpanText, x, MainView.TopTextY, TimeMarkerColor);
}
