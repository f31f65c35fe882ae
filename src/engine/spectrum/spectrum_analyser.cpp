// The spectrum analyser on the main window: the transform of the shown
// channel after each capture, the frequency estimate the measurements use,
// and the "FFT Window" and "FFT Options" menus of both windows.
#include <cstring>

#include "display/display_state.h"
#include "display/spectrum.h"
#include "engine/control_panel.h"
#include "engine/scope_state.h"
#include "engine/spectrum/channel_blocks.h"
#include "engine/spectrum/spectrum_controller.h"
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
void ForBothWindows(AnalysisControls& own, TMenuItem* AnalysisControls::*item, const std::function<void(TMenuItem*)>& f) {
  for (AnalysisControls* c : {&own, static_cast<AnalysisControls*>(Form11)})
    if (c && c->*item) f(c->*item);
}

}  // namespace

namespace engine::spectrum {

SpectrumController::SpectrumController(const engine::ScopeStates& states, SpectrumHost& host, FrontPanelControls& panel,
                                       AnalysisControls& analysis, const SpectrumSideControls& side)
    : engine::WithScopeStates(states), host_(host), panel_(panel), analysis_(analysis), side_(side) {}

int SpectrumController::ShownChannel() const { return ScopeState.Settings.Channels[0].On ? 1 : 2; }

// ---------------------------------------------------------------- transform

void SpectrumController::Sin_Cosf() { (void)Twiddles(); }

void SpectrumController::FFT() { FFT(ChannelSpectrumInput(ScopeState, ShownChannel())); }

void SpectrumController::FFT(const display::Capture& capture) { FFT(capture.Channel(ShownChannel())); }

void SpectrumController::FFT(display::ChannelCodes input) {
  const int shown = ShownChannel();
  display::SpectrumCounters counters{ScopeState.WindowSkip, ScopeState.FftSkip, ScopeState.SmoothWeight, ScopeState.SmoothKeep, DisplayState.FftCounter};
  const display::SpectrumSetup setup{&Twiddles(), WindowCoefficients(*this), DisplayState.WindowAmplitudeFactor,
                                     ScopeState.FftVectorAverageOn != 0};
  const display::SpectrumTargets out{DisplayState.WindowWork,
                                     DisplayState.FftStaged,
                                     DisplayState.FftReal,
                                     DisplayState.FftImag,
                                     MagnitudeSlots(*this),
                                     ChannelSamples(ScopeState, shown),
                                     ChannelSpectrumLevels(ScopeState, shown)};
  display::RunSpectrum(input, setup, counters, out);
  ScopeState.WindowSkip = counters.WindowSkip;
  ScopeState.FftSkip = counters.FftSkip;
  ScopeState.SmoothWeight = counters.SmoothWeight;
  ScopeState.SmoothKeep = counters.SmoothKeep;
  DisplayState.FftCounter = counters.FftCounter;
}

double SpectrumController::FFT_freq(int channel) {
  if (ScopeState.SpectrumMode) return display::PeakFrequencyBin(ChannelSpectrumInput(ScopeState, channel), Twiddles());
  return display::PeakFrequencyBin(ChannelSamples(ScopeState, channel), Twiddles());
}

// ---------------------------------------------------------------- "FFT Window"

void SpectrumController::SelectFftWindow(display::FftWindow kind) {
  const auto chosen = static_cast<std::size_t>(kind);
  for (AnalysisControls* c : {&analysis_, static_cast<AnalysisControls*>(Form11)}) {
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
  host_.putsataanko();
  host_.poisto();
  FFT();
  if (ScopeState.LogFreqAxis) LinToLog();
  host_.piirrot();
  if (side_.MarkersFFTSpectralDensity1 && side_.MarkersFFTSpectralDensity1->Checked()) host_.kursoridb();
}

void SpectrumController::Rectangle1Click(TObject*) { SelectFftWindow(FftWindow::Rectangle); }
void SpectrumController::Bartlett1Click(TObject*) { SelectFftWindow(FftWindow::Bartlett); }
void SpectrumController::Hamming1Click(TObject*) { SelectFftWindow(FftWindow::Hamming); }
void SpectrumController::Hanning1Click(TObject*) { SelectFftWindow(FftWindow::Hanning); }
void SpectrumController::Blackman1Click(TObject*) { SelectFftWindow(FftWindow::Blackman); }
void SpectrumController::FlatTop1Click(TObject*) { SelectFftWindow(FftWindow::FlatTop); }

// ---------------------------------------------------------------- "FFT Options"

void SpectrumController::FftOptionClick(TMenuItem* AnalysisControls::*chosen) {
  const bool on = !(analysis_.*chosen)->Checked();
  for (TMenuItem* AnalysisControls::*item :
       {&AnalysisControls::Maximum1, &AnalysisControls::Average1, &AnalysisControls::VectorAverage1})
    ForBothWindows(analysis_, item, [&](TMenuItem* m) { m->SetChecked(item == chosen && on); });
  ScopeState.FftMaximumOn = analysis_.Maximum1->Checked() ? 1 : 0;
  ScopeState.FftAverageOn = analysis_.Average1->Checked() ? 1 : 0;
  ScopeState.FftVectorAverageOn = analysis_.VectorAverage1->Checked() ? 1 : 0;
  ScopeState.SettingsChanged = 1;
}

void SpectrumController::Maximum1Click(TObject*) { FftOptionClick(&AnalysisControls::Maximum1); }
void SpectrumController::Average1Click(TObject*) { FftOptionClick(&AnalysisControls::Average1); }

void SpectrumController::VectorAverage1Click(TObject*) {
  FftOptionClick(&AnalysisControls::VectorAverage1);
  // The smoothing only helps a signal that stands still on the trigger.
  if (ScopeState.FftVectorAverageOn && ScopeState.Settings.TriggerOff == 64)
    MessageDlgPos(kVectorAverageNote, mtInformation, mbOK, 0, side_.Window.Left() + 111, side_.Window.Top() + 160);
}

void SpectrumController::Options1Click(TObject*) {
  const bool spectrum = ScopeState.SpectrumMode != 0;
  for (TMenuItem* AnalysisControls::*item : {&AnalysisControls::FFTWindow1, &AnalysisControls::FFTOptions1})
    ForBothWindows(analysis_, item, [&](TMenuItem* m) { m->SetEnabled(spectrum); });
}

}  // namespace engine::spectrum
