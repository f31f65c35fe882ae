// The main window's measurement steps: the RMS and dBm read-outs on the
// picture, the waveform parameters of the measurement window and the phase.
#include <string>

#include "display/display_state.h"
#include "engine/measurement_window.h"
#include "display/measurements.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"

namespace {

constexpr std::size_t kReadoutChars = 50;

// Channel 1 or 2 of the block the measurements read: the captured samples,
// or the raw spectrum input while the spectrum is shown.
display::ChannelCodes Samples(int channel) {
  using namespace engine;
  using namespace display;
  const auto& block = ScopeState.SpectrumMode ? ScopeState.SpectrumInputBlock : ScopeState.ScopeSampleBlock;
  return display::ChannelCodes(block.data() + (channel == 1 ? kChannelSamples : 0), display::kSamples);
}

// The code that 0 V gives: from the ground level in force, or from a loaded
// data file's while one is shown.
int GroundCode(int channel) {
  using namespace engine;
  using namespace display;
  const bool file = ScopeState.FileCh1Ground != 10000;
  if (channel == 1) return 255 - (file ? ScopeState.FileCh1Ground : ScopeState.Ch1GroundLevel);
  return 255 - (file ? ScopeState.FileCh2Ground : ScopeState.Ch2GroundLevel);
}

display::ChannelSetup SetupOf(int channel) {
  using namespace engine;
  using namespace display;
  display::ChannelSetup s;
  s.RangeCode = channel == 1 ? ScopeState.Ch1GainCode : ScopeState.Ch2GainCode;
  s.ProbeFactor = channel == 1 ? ScopeState.Ch1ProbeFactor : ScopeState.Ch2ProbeFactor;
  s.GroundCode = GroundCode(channel);
  s.TimeBaseCode = ScopeState.TimeBaseCode;
  s.TimePerDiv = ScopeState.TimePerDiv;
  s.PositionMoved = (channel == 1 ? display::DisplayState.Ch1CapturePos : display::DisplayState.Ch2CapturePos) != 0;
  return s;
}

}  // namespace

void TForm1::rms_out() {
  using namespace engine;
  using namespace display;
  if (!(ScopeState.RmsOn || ScopeState.DbmOn) || ScopeState.SpectrumMode || ScopeState.DigitalMode) return;
  const int channel = ScopeState.Ch1On ? 1 : 2;
  const display::RmsReadout r =
      display::MeasureRms(Samples(channel), channel == 1 ? ScopeState.Ch1GainCode : ScopeState.Ch2GainCode,
                          channel == 1 ? ScopeState.Ch1ProbeFactor : ScopeState.Ch2ProbeFactor);
  display::DisplayState.TraceMeanCode = r.MeanCode;
  display::DisplayState.TraceMeanVolts = r.MeanVolts;
  display::DisplayState.RmsVolts = r.RmsVolts;

  const int y = MainView.TextLineY;
  const int xRms = MainView.X0 + MainView.Texts.Rms, xDbm = MainView.X0 + MainView.Texts.Dbm;
  TulostaTeksti(ScopeState.RmsText, xRms, y, DisplayState.BackgroundColor);
  TulostaTeksti(ScopeState.DbmText, xDbm, y, DisplayState.BackgroundColor);
  const std::string unit = display::RangeVolts(channel == 1 ? ScopeState.Ch1GainCode : ScopeState.Ch2GainCode).Unit;
  ScopeState.RmsText = ("Vrms: " + r.RmsValue + unit).substr(0, kReadoutChars);
  ScopeState.DbmText = (r.DbmValue + "dBm").substr(0, kReadoutChars);
  const TColor colour = channel == 1 ? DisplayState.Ch1Color : DisplayState.Ch2Color;
  if (ScopeState.RmsOn) TulostaTeksti(ScopeState.RmsText, xRms, y, colour);
  if (ScopeState.DbmOn) TulostaTeksti(ScopeState.DbmText, xDbm, y, colour);
}

void TForm1::measure() {
  using namespace engine;
  using namespace display;
  if (!Form_99 || !Form_99->Visible() || ScopeState.DigitalMode) return;
  if (Form_99->CH1M->Checked())
    Form_99->ShowColumn(1, display::MeasureChannel(Samples(1), SetupOf(1)));
  else
    Form_99->ClearColumn(1);

  // The phase belongs to the pair: CH1 shows it, CH2 its negative.
  const bool ch1 = Form_99->CH1M->Checked(), ch2 = Form_99->CH2M->Checked();
  TStringGrid* grid = Form_99->StringGrid1;
  if (!Form_99->RowChecked(display::kRowPhase) || (!ch1 && !ch2)) {
    grid->SetCell(1, display::kRowPhase, "");
    grid->SetCell(2, display::kRowPhase, "");
  } else {
    const double phase = calculate_phase();
    grid->SetCell(1, display::kRowPhase, ch1 ? display::PhaseText(phase) : "");
    grid->SetCell(2, display::kRowPhase, ch2 ? display::PhaseText(-phase) : "");
  }

  if (ch2)
    measure2();
  else
    Form_99->ClearColumn(2);

  if (ScopeState.ParametersOnScreen) {
    ScopeState.ClearPending = 1;
    putsataanko();
    piirrot();  // the traces and the list again
  }
}

void TForm1::measure2() {
  if (!Form_99 || !Form_99->Visible() || engine::ScopeState.DigitalMode) return;
  if (Form_99->CH2M->Checked())
    Form_99->ShowColumn(2, display::MeasureChannel(Samples(2), SetupOf(2)));
  else
    Form_99->ClearColumn(2);
}

double TForm1::calculate_phase() { return display::CalculatePhase(Samples(1), Samples(2)); }
