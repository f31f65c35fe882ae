// The spectrum analyser on the main window: the transform of the shown
// channel after each capture, the frequency estimate the measurements use,
// and the "FFT Window" and "FFT Options" menus of both windows.
#include <cstring>

#include "display/display_state.h"
#include "display/spectrum.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

using display::FftWindow;

constexpr char kVectorAverageNote[] =
    "Vector Averaging mode:\r\r- Triggering must ne set ON.\r\r- Vector Averaging eliminates random and "
    "uncorrelated noise from synchronous signals.\r- The signal of interest must be both periodic and phase "
    "synchronous with the trigger.";

const display::TwiddleTable& Twiddles() {
  static const display::TwiddleTable table;
  return table;
}

// The magnitude slots the spectrum average reads: the work block when it is
// there, so that the average and the transform share them.
std::span<float, display::kFftBins * display::kFftSlots> MagnitudeSlots(const engine::WithScopeStates& states) {
  static std::array<float, display::kFftBins * display::kFftSlots> spare{};
  static_assert(sizeof spare <= engine::kWorkBlockBytes);
  if (states.ScopeState.FftAverageBlock)
    return std::span<float, display::kFftBins * display::kFftSlots>(reinterpret_cast<float*>(states.ScopeState.FftAverageBlock),
                                                                    spare.size());
  return spare;
}

// The coefficients of the window in force, in the WindowTable work block
// (a spare table while the block is not there).
display::FloatSignal WindowCoefficients(const engine::WithScopeStates& states) {
  static std::array<float, display::kFftPoints> spare{};
  static_assert(sizeof spare <= engine::kWorkBlockBytes);
  if (states.ScopeState.WindowTable) return display::FloatSignal(reinterpret_cast<float*>(states.ScopeState.WindowTable), spare.size());
  return spare;
}

// The same item on both windows.
void ForBothWindows(TMenuItem* AnalysisControls::*item, const std::function<void(TMenuItem*)>& f) {
  for (AnalysisControls* c : {static_cast<AnalysisControls*>(Form1), static_cast<AnalysisControls*>(Form11)})
    if (c && c->*item) f(c->*item);
}

}  // namespace

// ---------------------------------------------------------------- transform

void TForm1::Sin_Cosf() { (void)Twiddles(); }

void TForm1::FFT() {
  FFT(ScopeState.Settings.Ch1On ? ScopeState.Ch1SpectrumInput() : ScopeState.Ch2Spectrum());
}

void TForm1::FFT(const display::Capture& capture) { FFT(capture.Channel(ScopeState.Settings.Ch1On ? 1 : 2)); }

void TForm1::FFT(display::ChannelCodes input) {
  const bool ch1 = ScopeState.Settings.Ch1On != 0;
  display::SpectrumCounters counters{ScopeState.WindowSkip, ScopeState.FftSkip, ScopeState.SmoothWeight, ScopeState.SmoothKeep, DisplayState.FftCounter};
  const display::SpectrumSetup setup{&Twiddles(), WindowCoefficients(*this), DisplayState.WindowAmplitudeFactor,
                                     ScopeState.FftVectorAverageOn != 0};
  const display::SpectrumTargets out{DisplayState.WindowWork,
                                     DisplayState.FftStaged,
                                     DisplayState.FftReal,
                                     DisplayState.FftImag,
                                     MagnitudeSlots(*this),
                                     ch1 ? ScopeState.Ch1Samples() : ScopeState.Ch2Samples(),
                                     ch1 ? ScopeState.Ch1SpectrumLevels() : display::ChannelEntries(ScopeState.SpectrumLevels.data(), display::kChannelSamples)};
  display::RunSpectrum(input, setup, counters, out);
  ScopeState.WindowSkip = counters.WindowSkip;
  ScopeState.FftSkip = counters.FftSkip;
  ScopeState.SmoothWeight = counters.SmoothWeight;
  ScopeState.SmoothKeep = counters.SmoothKeep;
  DisplayState.FftCounter = counters.FftCounter;
}

double TForm1::FFT_freq(int channel) {
  const bool ch1 = channel == 1;
  if (ScopeState.SpectrumMode) return display::PeakFrequencyBin(ch1 ? ScopeState.Ch1SpectrumInput() : ScopeState.Ch2Spectrum(), Twiddles());
  return display::PeakFrequencyBin(ch1 ? ScopeState.Ch1Samples() : ScopeState.Ch2Samples(), Twiddles());
}

// ---------------------------------------------------------------- "FFT Window"

void TForm1::SelectFftWindow(display::FftWindow kind) {
  const auto chosen = static_cast<std::size_t>(kind);
  for (AnalysisControls* c : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)}) {
    if (!c) continue;
    const auto items = c->WindowItems();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i]) items[i]->SetChecked(i == chosen);
  }
  DisplayState.FftWindowKind = kind;
  display::FillWindowTable(kind, WindowCoefficients(*this));
  const display::FftWindowFactors factors = display::WindowFactors(kind);
  DisplayState.WindowAmplitudeFactor = factors.Amplitude;
  DisplayState.WindowDensityCorrection = factors.DensityDb;
  if (!ScopeState.SpectrumMode) return;
  putsataanko();
  poisto();
  FFT();
  if (ScopeState.LogFreqAxis) LinToLog();
  piirrot();
  if (MarkersFFTSpectralDensity1 && MarkersFFTSpectralDensity1->Checked()) kursoridb();
}

void TForm1::Rectangle1Click(TObject*) { SelectFftWindow(FftWindow::Rectangle); }
void TForm1::Bartlett1Click(TObject*) { SelectFftWindow(FftWindow::Bartlett); }
void TForm1::Hamming1Click(TObject*) { SelectFftWindow(FftWindow::Hamming); }
void TForm1::Hanning1Click(TObject*) { SelectFftWindow(FftWindow::Hanning); }
void TForm1::Blackman1Click(TObject*) { SelectFftWindow(FftWindow::Blackman); }
void TForm1::FlatTop1Click(TObject*) { SelectFftWindow(FftWindow::FlatTop); }

// ---------------------------------------------------------------- "FFT Options"

void TForm1::FftOptionClick(TMenuItem* AnalysisControls::*chosen) {
  const bool on = !(this->*chosen)->Checked();
  for (TMenuItem* AnalysisControls::*item :
       {&AnalysisControls::Maximum1, &AnalysisControls::Average1, &AnalysisControls::VectorAverage1})
    ForBothWindows(item, [&](TMenuItem* m) { m->SetChecked(item == chosen && on); });
  ScopeState.FftMaximumOn = Maximum1->Checked() ? 1 : 0;
  ScopeState.FftAverageOn = Average1->Checked() ? 1 : 0;
  ScopeState.FftVectorAverageOn = VectorAverage1->Checked() ? 1 : 0;
  ScopeState.SettingsChanged = 1;
}

void TForm1::Maximum1Click(TObject*) { FftOptionClick(&AnalysisControls::Maximum1); }
void TForm1::Average1Click(TObject*) { FftOptionClick(&AnalysisControls::Average1); }

void TForm1::VectorAverage1Click(TObject*) {
  FftOptionClick(&AnalysisControls::VectorAverage1);
  // The smoothing only helps a signal that stands still on the trigger.
  if (ScopeState.FftVectorAverageOn && ScopeState.Settings.TriggerOff == 64)
    MessageDlgPos(kVectorAverageNote, mtInformation, mbOK, 0, Left() + 111, Top() + 160);
}

void TForm1::Options1Click(TObject*) {
  const bool spectrum = ScopeState.SpectrumMode != 0;
  for (TMenuItem* AnalysisControls::*item : {&AnalysisControls::FFTWindow1, &AnalysisControls::FFTOptions1})
    ForBothWindows(item, [&](TMenuItem* m) { m->SetEnabled(spectrum); });
}
