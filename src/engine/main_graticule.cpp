// The main window's graticule, trigger-level tick, marker lines and texts:
// TForm1's operations run the shared view code on Image1.
#include <string>

#include "display/big_screen.h"
#include "display/display_state.h"
#include "display/graticule.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr std::size_t kTextChars = 51;  // texts are short strings
constexpr std::size_t kLabelChars = 50;  // range and time-base labels

std::string ShortLabel(const std::string& s) { return s.substr(0, kLabelChars); }

}  // namespace

void TForm1::DoGrid() {
  using namespace engine;
  display::RebuildGridItems(*this, MainView, display::XYPlotMode && !MathOff, SpectrumMode != 0, display::TriggerOn != 0);
}

void TForm1::t_viiva() {
  display::DrawTriggerLevelTick(MainView, engine::TriggerLevel, display::InvertedCh2Source(),
                                display::TriggerPenColor(engine::TriggerSource));
  if (TForm10* big = ShownBigScreen()) big->t_viiva();
}

void TForm1::kursorit() {
  if (engine::SpectrumMode || !display::MarkersOn) return;
  display::DrawScopeMarkerLines(MainView, display::ShownChannelPen(), display::TimeMarkerPenColor);
  if (TForm10* big = ShownBigScreen()) big->kursorit();
}

void TForm1::fft_kursorit() {
  if (!engine::SpectrumMode || !display::FftMarkersOn) return;
  display::DrawLevelMarkerLines(MainView, display::ShownChannelPen());
  if (TForm10* big = ShownBigScreen()) big->fft_kursorit();
}

void TForm1::fft_viiva_on() {
  using namespace display;
  if (TForm10* big = ShownBigScreen()) big->fft_viiva_on();
  if (!FftMarkersOn || !engine::SpectrumMode || FreqMarkerShown) return;
  const int x = FreqMarkerPixel(MainView, FreqMarkerBin);
  if (x < 0) {
    display::FreqMarker1X = 0;
    return;
  }
  display::FreqMarker1X = x;
  DrawFreqMarkerLine(MainView, x, display::TimeMarkerPenColor);
  FreqMarkerShown = 1;
}

void TForm1::fft_viiva_off() {
  using namespace display;
  if (TForm10* big = ShownBigScreen()) big->fft_viiva_off();
  if (FreqMarkerShown && display::FreqMarker1X >= MainView.X0)
    DrawFreqMarkerLine(MainView, display::FreqMarker1X, display::TimeMarkerPenColor);
  FreqMarkerShown = 0;
}

void TForm1::TulostaTeksti(const std::string& text, int x, int y, TColor color) {
  display::PrintText(MainView, text, x, y, color);
  // The Big Screen prints its own marker read-outs from its own markers.
  if (TForm10* big = ShownBigScreen(); big && !display::IsMarkerReadout(text)) big->TulostaTekstix(text, x, y, color);
}

void TForm1::tekstit() {
  display::PrintLabels(MainView, [this](const std::string& t, int x, int y, TColor c) {
    display::PrintText(MainView, t, x, y, c);
  });
  if (TForm10* big = ShownBigScreen()) big->tekstit();
}

void TForm1::tekstit_pois() {
  display::EraseLabels(MainView, [this](const std::string& t, int x, int y, TColor c) {
    display::PrintText(MainView, t, x, y, c);
  });
  if (TForm10* big = ShownBigScreen()) big->tekstit_pois();
}

void TForm1::f_alue() {
  using namespace engine;
  using namespace display;
  const int x = MainView.X0 + MainView.Texts.TimeDiv;
  TulostaTeksti(display::SpanText, x, MainView.TopTextY, BackgroundColor);
  // A time base without a span (none of the span buttons gives one) keeps the label.
  if (const char* label = display::SpanLabel(TimePerDiv)) display::SpanText = std::string(label).substr(0, kTextChars);
  TulostaTeksti(display::SpanText, x, MainView.TopTextY, TimeMarkerColor);
}

// ---------------------------------------------------------------- labels of the front-panel settings

void TForm1::ShowRangeLabel(int channel, const std::string& label) {
  using namespace engine;
  using namespace display;
  const bool ch1 = channel == 1;
  const int x = ScreenX0 + (ch1 ? 10 : 70);
  std::string& shown = ch1 ? Ch1RangeText : Ch2RangeText;
  TulostaTeksti(shown, x, display::kTopTextY, BackgroundColor);
  // The coupling buttons re-apply the label through here, so it is kept bare.
  (ch1 ? Ch1RangeLabel : Ch2RangeLabel) = ShortLabel(label);
  std::string text = label;
  if (ch1 ? Ch1Ac : Ch2Ac) text += "~";
  text = ShortLabel(text);
  if (ch1 && Ch1On) TulostaTeksti(text, x, display::kTopTextY, Ch1Color);
  if (!ch1 && Ch2On) {
    TulostaTeksti(text, x, display::kTopTextY, Ch2Color);
    if (InvertCh2Mode && !MathOff) TulostaTeksti(text, x, display::kTopTextY, Math2Color);
  }
  shown = text;
}

void TForm1::ShowTimeBaseLabels(const std::string& label, const std::string& rateText) {
  using namespace engine;
  using namespace display;
  TulostaTeksti(TimeDivText, ScreenX0 + 592, display::kTopTextY, BackgroundColor);
  TimeDivText = ShortLabel(label);
  TulostaTeksti(TimeDivText, ScreenX0 + 592, display::kTopTextY, TimeMarkerColor);
  TulostaTeksti(SampleRateText, ScreenX0 + 492, display::kTopTextY, BackgroundColor);
  SampleRateText = ShortLabel(rateText);
  if (SampleRateOn) TulostaTeksti(SampleRateText, ScreenX0 + 492, display::kTopTextY, TimeMarkerColor);
}

void TForm1::ClearHiddenReadouts() {
  using namespace engine;
  using namespace display;
  if (!RmsOn) TulostaTeksti(RmsText, ScreenX0 + 510, TextLineY, BackgroundColor);
  if (!DbmOn) TulostaTeksti(DbmText, ScreenX0 + 595, TextLineY, BackgroundColor);
}
