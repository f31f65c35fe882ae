// The main window's measurement steps: the RMS and dBm read-outs on the
// picture, the waveform parameters of the measurement window and the phase.
#include <cstddef>
#include <string>

#include "display/display_state.h"
#include "display/measurements.h"
#include "engine/markers/markers_controller.h"
#include "engine/measurement_window.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"

namespace {

constexpr std::size_t kReadoutChars = 50;

// Per channel, CH1 first: where its samples start in a block, and the
// display colour and measurement-window box that belong to it.
constexpr std::size_t kChannelOffset[2] = {display::kChannelSamples, 0};
constexpr TColor display::DisplaySharedState::*kReadoutColor[2] = {&display::DisplaySharedState::Ch1Color,
                                                                   &display::DisplaySharedState::Ch2Color};
constexpr TCheckBox* TForm_99::*kColumnBox[2] = {&TForm_99::CH1M, &TForm_99::CH2M};

// Channel 1 or 2 as an index of the tables above.
constexpr std::size_t Index(int channel) { return static_cast<std::size_t>(channel - 1); }

// What the read-outs measure: the samples of a capture (the captured codes,
// or the raw spectrum input while the spectrum is shown) and the settings it
// was taken with.
struct Measured {
  display::SampleBlockView Block;
  display::CaptureSettings Settings;

  display::ChannelCodes Channel(int channel) const {
    return display::ChannelCodes(Block.data() + kChannelOffset[Index(channel)], display::kSamples);
  }
  std::uint8_t RangeCode(int channel) const { return Settings.Channels[Index(channel)].GainCode; }
  double ProbeFactor(int channel) const { return Settings.Channels[Index(channel)].ProbeFactor; }
  // The code that 0 V gives: from the ground level in force, or from a
  // loaded data file's while one is shown (CH1's ground says which).
  int GroundCode(int channel) const {
    const bool file = Settings.Channels[0].FileGround != display::kNoFileGround;
    return 255 - (file ? Settings.Channels[Index(channel)].FileGround : Settings.Channels[Index(channel)].GroundLevel);
  }
};

// What the scope holds now, for the read-outs asked for between captures.
Measured Held(const engine::WithScopeStates& states) {
  return {states.ScopeState.SpectrumMode ? states.ScopeState.SpectrumInputBlock : states.ScopeState.ScopeSampleBlock, engine::CurrentCaptureSettings(states)};
}

display::ChannelSetup SetupOf(const engine::WithScopeStates& states, const Measured& m, int channel) {
  display::ChannelSetup s;
  s.RangeCode = m.RangeCode(channel);
  s.ProbeFactor = m.ProbeFactor(channel);
  s.GroundCode = m.GroundCode(channel);
  s.TimeBaseCode = m.Settings.TimeBaseCode;
  s.TimePerDiv = m.Settings.TimePerDiv;
  s.PositionMoved = states.DisplayState.Channels[Index(channel)].CapturePos != 0;
  return s;
}

void ShowColumn(const engine::WithScopeStates& states, const Measured& m, int channel) {
  TCheckBox* checked = Form_99->*kColumnBox[Index(channel)];
  if (checked->Checked())
    Form_99->ShowColumn(channel, display::MeasureChannel(m.Channel(channel), SetupOf(states, m, channel)));
  else
    Form_99->ClearColumn(channel);
}

}  // namespace

namespace engine::markers {

void MarkersController::rms_out() {
  const Measured m = Held(*this);
  ShowRms(m.Block, m.Settings);
}
void MarkersController::rms_out(const display::Capture& capture) { ShowRms(capture.Block(), capture.Settings); }

void MarkersController::ShowRms(display::SampleBlockView block, const display::CaptureSettings& settings) {
  const Measured m{block, settings};
  if (!(ScopeState.RmsOn || ScopeState.DbmOn) || m.Settings.SpectrumMode || m.Settings.DigitalMode) return;
  const int channel = ScopeState.Settings.Channels[0].On ? 1 : 2;
  const display::RmsReadout r = display::MeasureRms(m.Channel(channel), m.RangeCode(channel), m.ProbeFactor(channel));
  DisplayState.TraceMeanCode = r.MeanCode;
  DisplayState.TraceMeanVolts = r.MeanVolts;
  DisplayState.RmsVolts = r.RmsVolts;

  const int y = view_.TextLineY;
  const int xRms = view_.X0 + view_.Texts.Rms, xDbm = view_.X0 + view_.Texts.Dbm;
  host_.TulostaTeksti(ScopeState.RmsText, xRms, y, DisplayState.BackgroundColor);
  host_.TulostaTeksti(ScopeState.DbmText, xDbm, y, DisplayState.BackgroundColor);
  const std::string unit = display::RangeVolts(m.RangeCode(channel)).Unit;
  ScopeState.RmsText = ("Vrms: " + r.RmsValue + unit).substr(0, kReadoutChars);
  ScopeState.DbmText = (r.DbmValue + "dBm").substr(0, kReadoutChars);
  const TColor colour = DisplayState.*kReadoutColor[Index(channel)];
  if (ScopeState.RmsOn) host_.TulostaTeksti(ScopeState.RmsText, xRms, y, colour);
  if (ScopeState.DbmOn) host_.TulostaTeksti(ScopeState.DbmText, xDbm, y, colour);
}

void MarkersController::measure() {
  const Measured m = Held(*this);
  ShowMeasurements(m.Block, m.Settings);
}
void MarkersController::measure(const display::Capture& capture) { ShowMeasurements(capture.Block(), capture.Settings); }

void MarkersController::ShowMeasurements(display::SampleBlockView block, const display::CaptureSettings& settings) {
  const Measured m{block, settings};
  if (!Form_99 || !Form_99->Visible() || m.Settings.DigitalMode) return;
  ShowColumn(*this, m, 1);

  // The phase belongs to the pair: CH1 shows it, CH2 its negative.
  const bool ch1 = Form_99->CH1M->Checked(), ch2 = Form_99->CH2M->Checked();
  TStringGrid* grid = Form_99->StringGrid1;
  if (!Form_99->RowChecked(display::kRowPhase) || (!ch1 && !ch2)) {
    grid->SetCell(1, display::kRowPhase, "");
    grid->SetCell(2, display::kRowPhase, "");
  } else {
    const double phase = display::CalculatePhase(m.Channel(1), m.Channel(2));
    grid->SetCell(1, display::kRowPhase, ch1 ? display::PhaseText(phase) : "");
    grid->SetCell(2, display::kRowPhase, ch2 ? display::PhaseText(-phase) : "");
  }

  if (ch2)
    ShowColumn(*this, m, 2);
  else
    Form_99->ClearColumn(2);

  if (ScopeState.ParametersOnScreen) {
    ScopeState.ClearPending = 1;
    host_.putsataanko();
    host_.piirrot();  // the traces and the list again
  }
}

void MarkersController::measure2() {
  if (!Form_99 || !Form_99->Visible() || ScopeState.Settings.DigitalMode) return;
  ShowColumn(*this, Held(*this), 2);
}

double MarkersController::calculate_phase() {
  const Measured m = Held(*this);
  return display::CalculatePhase(m.Channel(1), m.Channel(2));
}

}  // namespace engine::markers
