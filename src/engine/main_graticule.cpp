// The main window's graticule, trigger-level tick, marker lines and texts:
// TForm1's operations run the shared view code on Image1.
#include <string>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/graticule.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr std::size_t kTextChars = 51;  // texts are short strings
constexpr std::size_t kLabelChars = 50;  // range and time-base labels

std::string ShortLabel(const std::string& s) { return s.substr(0, kLabelChars); }

}  // namespace

void TForm1::DoGrid() {
  display::RebuildGridItems(*this, MainView, DisplayState.XYPlotMode && !ScopeState.MathOff, ScopeState.SpectrumMode != 0, DisplayState.TriggerOn != 0,
                            display::GraticuleColors::Of(engine::CurrentColorTable(*this)));
}

void TForm1::t_viiva() {
  display::DrawTriggerLevelTick(MainView, ScopeState.Settings.TriggerLevel, display::InvertedCh2Source(engine::CurrentPictureSettings(*this)),
                                display::TriggerPenColor(engine::CurrentColorTable(*this), ScopeState.Settings.TriggerSource));
  if (TForm10* big = ShownBigScreen()) big->t_viiva();
}

void TForm1::kursorit() {
  if (ScopeState.SpectrumMode || !DisplayState.MarkersOn) return;
  display::DrawScopeMarkerLines(MainView, display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Channels[0].On != 0), DisplayState.TimeMarkerPenColor,
                                DisplayState.BackgroundColor);
  if (TForm10* big = ShownBigScreen()) big->kursorit();
}

void TForm1::fft_kursorit() {
  if (!ScopeState.SpectrumMode || !DisplayState.FftMarkersOn) return;
  display::DrawLevelMarkerLines(MainView, display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Channels[0].On != 0), DisplayState.BackgroundColor);
  if (TForm10* big = ShownBigScreen()) big->fft_kursorit();
}

void TForm1::fft_viiva_on() {
  if (TForm10* big = ShownBigScreen()) big->fft_viiva_on();
  if (!DisplayState.FftMarkersOn || !ScopeState.SpectrumMode || DisplayState.FreqMarkerShown) return;
  const int x =
      display::FreqMarkerPixel(MainView, DisplayState.FreqMarkerBin, ScopeState.DisplayStart, DisplayState.SpectrumZoom);
  if (x < 0) {
    DisplayState.FreqMarker1X = 0;
    return;
  }
  DisplayState.FreqMarker1X = x;
  display::DrawFreqMarkerLine(MainView, x, DisplayState.TimeMarkerPenColor);
  DisplayState.FreqMarkerShown = 1;
}

void TForm1::fft_viiva_off() {
  if (TForm10* big = ShownBigScreen()) big->fft_viiva_off();
  if (DisplayState.FreqMarkerShown && DisplayState.FreqMarker1X >= MainView.X0)
    display::DrawFreqMarkerLine(MainView, DisplayState.FreqMarker1X, DisplayState.TimeMarkerPenColor);
  DisplayState.FreqMarkerShown = 0;
}

void TForm1::TulostaTeksti(const std::string& text, int x, int y, TColor color) {
  display::PrintText(MainView, text, x, y, color);
  // The Big Screen prints its own marker read-outs from its own markers.
  if (TForm10* big = ShownBigScreen(); big && !display::IsMarkerReadout(text)) big->TulostaTekstix(text, x, y, color);
}

void TForm1::tekstit() {
  display::PrintLabels(MainView, engine::CurrentPictureSettings(*this), [this](const std::string& t, int x, int y, TColor c) {
    display::PrintText(MainView, t, x, y, c);
  });
  if (TForm10* big = ShownBigScreen()) big->tekstit();
}

void TForm1::tekstit_pois() {
  display::EraseLabels(MainView, engine::CurrentPictureSettings(*this), [this](const std::string& t, int x, int y, TColor c) {
    display::PrintText(MainView, t, x, y, c);
  });
  if (TForm10* big = ShownBigScreen()) big->tekstit_pois();
}

void TForm1::f_alue() {
  const int x = MainView.X0 + MainView.Texts.TimeDiv;
  TulostaTeksti(DisplayState.SpanText, x, MainView.TopTextY, DisplayState.BackgroundColor);
  // A time base without a span (none of the span buttons gives one) keeps the label.
  if (const char* label = display::SpanLabel(ScopeState.TimePerDiv)) DisplayState.SpanText = std::string(label).substr(0, kTextChars);
  TulostaTeksti(DisplayState.SpanText, x, MainView.TopTextY, DisplayState.TimeMarkerColor);
}

// ---------------------------------------------------------------- labels of the front-panel settings

void TForm1::ShowRangeLabel(int channel, const std::string& label) {
  const bool ch1 = channel == 1;
  const int x = ScopeState.ScreenX0 + (ch1 ? 10 : 70);
  engine::ScopeChannelState& state = ScopeState.Channel(channel);
  std::string& shown = state.RangeText;
  TulostaTeksti(shown, x, display::kTopTextY, DisplayState.BackgroundColor);
  // The coupling buttons re-apply the label through here, so it is kept bare.
  state.RangeLabel = ShortLabel(label);
  std::string text = label;
  if (ScopeState.Settings.Ac(channel)) text += "~";
  text = ShortLabel(text);
  if (ch1 && ScopeState.Settings.Channels[0].On) TulostaTeksti(text, x, display::kTopTextY, DisplayState.Ch1Color);
  if (!ch1 && ScopeState.Settings.Channels[1].On) {
    TulostaTeksti(text, x, display::kTopTextY, DisplayState.Ch2Color);
    if (ScopeState.InvertCh2Mode && !ScopeState.MathOff) TulostaTeksti(text, x, display::kTopTextY, DisplayState.Math2Color);
  }
  shown = text;
}

void TForm1::ShowTimeBaseLabels(const std::string& label, const std::string& rateText) {
  TulostaTeksti(ScopeState.TimeDivText, ScopeState.ScreenX0 + 592, display::kTopTextY, DisplayState.BackgroundColor);
  ScopeState.TimeDivText = ShortLabel(label);
  TulostaTeksti(ScopeState.TimeDivText, ScopeState.ScreenX0 + 592, display::kTopTextY, DisplayState.TimeMarkerColor);
  TulostaTeksti(ScopeState.SampleRateText, ScopeState.ScreenX0 + 492, display::kTopTextY, DisplayState.BackgroundColor);
  ScopeState.SampleRateText = ShortLabel(rateText);
  if (ScopeState.SampleRateOn) TulostaTeksti(ScopeState.SampleRateText, ScopeState.ScreenX0 + 492, display::kTopTextY, DisplayState.TimeMarkerColor);
}

void TForm1::ClearHiddenReadouts() {
  if (!ScopeState.RmsOn) TulostaTeksti(ScopeState.RmsText, ScopeState.ScreenX0 + 510, ScopeState.TextLineY, DisplayState.BackgroundColor);
  if (!ScopeState.DbmOn) TulostaTeksti(ScopeState.DbmText, ScopeState.ScreenX0 + 595, ScopeState.TextLineY, DisplayState.BackgroundColor);
}
