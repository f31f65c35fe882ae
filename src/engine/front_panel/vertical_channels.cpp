// The vertical controls of both channels: volts/div, coupling, probe factor,
// position and channel display. Each change reaches the device through the
// settings operations and is mirrored onto the twin panel, the recorder and
// (for CH1's range) the Bode plot.
#include <algorithm>
#include <optional>

#include "display/display_state.h"
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/instrument_links.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"

namespace engine::front_panel {
namespace {

using FP = FrontPanelControls;

// Where the scope keeps what differs between the two channels.
struct ChannelPlaces {
  PanelControl<TTrackBar> Bar;
  engine::PanelButton On;
  engine::PanelButton Off;  // the hidden companion of "On"
  PanelControl<TLabel> Label;
  std::array<engine::PanelButton, 3> Coupling;  // AC, DC, GND
  engine::PanelButton engine::RangeStep::*RangeButton;
  std::size_t Index;  // of the channel in the states, CH1 first
  TColor display::DisplaySharedState::*Color;
  void (FrontPanelHost::*GroundMarker)();
  int RangeTextX;  // of the volts/div label, right of the picture's left edge
};

const ChannelPlaces kChannelPlaces[2] = {
    {&FP::TrackBar1, &FP::CH1on, &FP::SpeedButtonCh1, &FP::LabelCh1,
     {&FP::SpeedButton_ac1, &FP::SpeedButton_dc1, &FP::SpeedButton_gnd1}, &engine::RangeStep::Ch1Button,
     0,
     &display::DisplaySharedState::Ch1Color, &FrontPanelHost::y1_viiva,
     10},
    {&FP::TrackBar2, &FP::CH2on, &FP::SpeedButtonCh2, &FP::LabelCh2,
     {&FP::SpeedButton__ac2, &FP::SpeedButton_dc2, &FP::SpeedButton_gnd2}, &engine::RangeStep::Ch2Button,
     1,
     &display::DisplaySharedState::Ch2Color, &FrontPanelHost::y2_viiva,
     70},
};

const ChannelPlaces& Places(int channel) { return kChannelPlaces[channel - 1]; }

}  // namespace

void FrontPanelController::ShowChannelSettings(int channel) {
  ::ShowChannelSettings(&panel_, ScopeState.Settings, channel);
  ::ShowChannelSettings(Form11, ScopeState.Settings, channel);
}

// ---------------------------------------------------------------- volts/div

void FrontPanelController::RangeClick(int channel, std::size_t row) { ApplyRangeStep(channel, engine::RangeTable[row]); }

void FrontPanelController::RangeCodeClick(int channel, std::uint8_t code) {
  if (const auto* row = engine::RangeRowOfCode(code)) ApplyRangeStep(channel, *row);
}

void FrontPanelController::ApplyRangeStep(int channel, const engine::RangeStep& step) {
  const ChannelPlaces& c = Places(channel);
  ScopeState.Settings.GainCode(channel) = step.Code;
  ShowChannelSettings(channel);
  ScopeState.Channels[c.Index].RangeTrim = step.CalibratedTrim ? ScopeState.Channels[c.Index].V5Offset : 0;
  asetus(ScopeState.Settings.X10(channel) ? step.LabelX10 : step.LabelX1, channel);
  host_.kursorivoltit();
  // The Bode plot follows CH1's range.
  if (channel == 1 && ScopeState.OtherInstruments.BodeRangeChosen) {
    std::optional<std::size_t> index;
    if (const engine::RangeStep* row = engine::RangeRowOfCode(step.Code))
      index = static_cast<std::size_t>(row - engine::RangeTable.data());
    ScopeState.OtherInstruments.BodeRangeChosen(index);
  }
}

// ---------------------------------------------------------------- coupling

void FrontPanelController::CouplingClick(int channel, int kind) {
  const ChannelPlaces& c = Places(channel);
  const TSpeedButton* button = panel_.*c.Coupling[static_cast<std::size_t>(kind)];

  // A grounded input cannot trigger: the trigger goes off while the user
  // still wants it, and comes back with the next AC or DC press.
  const bool channelSource = ScopeState.Settings.TriggerSource == SourceCode(TriggerSource::Ch1) ||
                             ScopeState.Settings.TriggerSource == SourceCode(TriggerSource::Ch2);
  if (ScopeState.Settings.TriggerWanted && button->Down() && channelSource) {
    if (kind == kGnd) {
      const std::uint8_t wanted = ScopeState.Settings.TriggerWanted;
      panel_.SpeedButton8->SetDown(true);
      TriggerOffClick();
      ScopeState.Settings.TriggerWanted = wanted;
    } else {
      panel_.SpeedButton7->SetDown(true);
      TriggerOnClick();
    }
  }

  engine::ScopeSettings& s = ScopeState.Settings;
  if (kind == kGnd) {
    s.InputOn(channel) = 0;
  } else {
    s.Ac(channel) = kind == kAc ? 1 : 0;
    s.InputOn(channel) = 1;
  }
  ShowChannelSettings(channel);
  Set500();
  asetus(ScopeState.Channels[c.Index].RangeLabel, channel);
}

// ---------------------------------------------------------------- probes

void FrontPanelController::ProbeClick(int channel, bool x10) {
  const ChannelPlaces& c = Places(channel);
  const double otherFactor = ScopeState.Channels[Places(3 - channel).Index].ProbeFactor;
  if (x10 && otherFactor == 1.0 && !ScopeState.ProbeWarningMuted && Form12) Form12->Show();

  ScopeState.Channels[c.Index].ProbeFactor = x10 ? 10.0 : 1.0;
  ScopeState.Channels[c.Index].ProbeDb = x10 ? 20.0 : 0.0;
  ScopeState.Settings.X10(channel) = x10 ? 1 : 0;
  ShowChannelSettings(channel);

  for (std::size_t i = 0; i < engine::RangeTable.size(); ++i) {
    const engine::RangeStep& row = engine::RangeTable[i];
    const char* caption = x10 ? row.CaptionX10 : row.CaptionX1;
    const engine::PanelButton button = row.*c.RangeButton;
    for (TSpeedButton* b : {panel_.*button, TwinControl(button)})
      if (b) b->SetCaption(caption);
    // The Bode plot's range buttons follow CH1's.
    if (channel == 1 && ScopeState.OtherInstruments.BodeRangeCaption)
      ScopeState.OtherInstruments.BodeRangeCaption(i, caption);
  }

  // The recorder's buttons have names of their own.
  if (ScopeState.OtherInstruments.RecorderProbeCaptions) ScopeState.OtherInstruments.RecorderProbeCaptions(channel, x10);

  // The label on the picture and the device follow the current range.
  RangeCodeClick(channel, ScopeState.Settings.GainCode(channel));
}

// ---------------------------------------------------------------- positions

void FrontPanelController::PositionChange(int channel) {
  const ChannelPlaces& c = Places(channel);
  TTrackBar* bar = panel_.*c.Bar;
  const int position = bar->Position();
  std::int32_t& shownPosition = ScopeState.Settings.Position(channel);

  auto copyToTwins = [&] {
    MirrorToTwin(panel_, c.Bar);
    // The recorder's bar too; its handler comes back here with the same position.
    if (ScopeState.OtherInstruments.RecorderPositionFollows) ScopeState.OtherInstruments.RecorderPositionFollows(channel, position);
  };
  auto groundMarker = [&] { (host_.*c.GroundMarker)(); };
  auto applyOffset = [&] {
    shownPosition = position;
    const std::int32_t cal = ScopeState.Channels[c.Index].OffsetCal;
    const std::int32_t base = (cal + ScopeState.Channels[c.Index].RangeTrim + ScopeState.Channels[c.Index].RateTrim) & 255;
    const std::int32_t s = base + position;
    // The DAC cannot leave 0..255: the term stops at the edge, the bar keeps
    // the value the user set.
    std::int32_t term = position;
    if (s > 255) term = position - s + 255;
    if (s < 0) term = position - s;
    ScopeState.Channels[c.Index].PositionDac = term;
    ScopeState.Channels[c.Index].OffsetDac = cal + term;
    Set_DACs();
  };

  if (ScopeState.Settings.TriggerSource == SourceCode(ChannelTriggerSource(channel))) ScopeState.CaptureCount = 0;

  if (ScopeState.AutosetRunning) {
    copyToTwins();
    groundMarker();
    applyOffset();
    if (ScopeState.DemoMode) host_.Acquisition().tee_demo();
    groundMarker();
    host_.kursorivoltit();
    return;
  }

  const bool mathShown = panel_.SpeedButton21 && panel_.SpeedButton21->Visible();
  const bool persistDown = panel_.SpeedButton23 && panel_.SpeedButton23->Down();
  if (PositionShiftArmed && !persistDown && !mathShown && ScopeState.AcquisitionIdle && (ScopeState.StartupTick & 4)) {
    // A stopped trace follows the bar without a new capture.
    host_.poisto();
    DisplayState.Channels[c.Index].CapturePos += shownPosition - position;
    host_.piirrot();
  }
  host_.putsataanko();
  PositionShiftArmed = 0;
  copyToTwins();
  PositionShiftArmed = 1;
  if (mathShown) host_.poisto();
  groundMarker();
  applyOffset();
  if (ScopeState.DemoMode) host_.Acquisition().tee_demo();
  groundMarker();
  if (mathShown) host_.piirrot();
  host_.kursorivoltit();
}

// ---------------------------------------------------------------- channel display

void FrontPanelController::ChannelOnClick(int channel) {
  const std::uint8_t mathWasOff = ScopeState.MathOff;
  if (!ScopeState.InvertCh2Mode) ScopeState.MathOff = 1;
  host_.y1_viiva();
  host_.y2_viiva();
  // The click has put "On" in its new state.
  ShowChannel(channel, (panel_.*Places(channel).On)->Down());
  host_.y1_viiva();
  host_.y2_viiva();
  if (Form10 && Form10->Visible()) HorizontalPositionChange();
  ScopeState.MathOff = mathWasOff;
  if (!mathWasOff) {
    for (FrontPanelControls* p : {&panel_, static_cast<FrontPanelControls*>(Form11)}) {
      if (!p) continue;
      p->Autoset1->SetEnabled(false);
      p->Autoset2->SetEnabled(false);
    }
  }
}

void FrontPanelController::ChannelShowClick(int channel) {
  // The click has put the hidden "OFF" button in its new state.
  ShowChannel(channel, !(panel_.*Places(channel).Off)->Down());
}

void FrontPanelController::ShowChannel(int channel, bool shown) {
  if (ScopeState.SpectrumMode) {
    // One spectrum at a time: hiding one channel shows the other.
    for (int c = 1; c <= 2; ++c) ChannelSpectrumView(c, c == channel ? shown : !shown);
  } else {
    ChannelScopeView(channel, shown);
  }
  for (int c = 1; c <= 2; ++c) ShowChannelSettings(c);
}

void FrontPanelController::ChannelScopeView(int channel, bool show) {
  const ChannelPlaces& c = Places(channel);
  std::uint8_t& on = ScopeState.Settings.On(channel);
  host_.putsataanko();
  host_.kursorit();  // the marker lines go with the old state...
  if (show != (on != 0)) {
    host_.poisto();
    on = show ? 1 : 0;
    host_.piirrot();
  }
  host_.kursorit();  // ...and come back with the new one

  TColor color = DisplayState.*c.Color;
  // CH2 inverted is drawn as the math trace.
  if (channel == 2 && ScopeState.InvertCh2Mode && !ScopeState.MathOff) color = DisplayState.Math2Color;
  host_.TulostaTeksti(ScopeState.Channels[c.Index].RangeText, ScopeState.ScreenX0 + c.RangeTextX, display::kTopTextY,
                      show ? color : DisplayState.BackgroundColor);
  for (FrontPanelControls* p : {&panel_, static_cast<FrontPanelControls*>(Form11)})
    if (p) SetFontColorOf(p->*c.Label, show ? color : clGray);
  host_.rms_out();
  host_.kursorivoltit();
}

void FrontPanelController::ChannelSpectrumView(int channel, bool show) {
  const ChannelPlaces& c = Places(channel);
  std::uint8_t& on = ScopeState.Settings.On(channel);
  host_.putsataanko();
  if (show != (on != 0)) {
    host_.poisto();
    on = show ? 1 : 0;
    // The spectrum shown is the one of the channel now on.
    if (show) host_.FFT();
    host_.piirrot();
  }
  const TColor color = DisplayState.*c.Color;
  host_.TulostaTeksti(ScopeState.Channels[c.Index].RangeText, ScopeState.ScreenX0 + c.RangeTextX, display::kTopTextY,
                      show ? color : DisplayState.BackgroundColor);
  for (FrontPanelControls* p : {&panel_, static_cast<FrontPanelControls*>(Form11)})
    if (p) SetFontColorOf(p->*c.Label, show ? color : clGray);
  host_.rms_out();
  host_.kursoridb();
}

void FrontPanelController::ChannelDso(int channel) { ChannelScopeView(channel, ScopeState.Settings.On(channel) != 0); }
void FrontPanelController::ChannelFft(int channel) { ChannelSpectrumView(channel, ScopeState.Settings.On(channel) != 0); }

}  // namespace engine::front_panel
