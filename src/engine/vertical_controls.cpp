// The vertical controls of both channels: volts/div, coupling, probe factor,
// position and channel display. Each change reaches the device through the
// settings operations and is mirrored onto the twin panel, the recorder and
// (for CH1's range) the Bode plot.
#include <algorithm>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"

// ---------------------------------------------------------------- volts/div

void TForm1::SpeedButton28Click(TObject*) { ApplyRangeStep(1, engine::RangeTable[0]); }
void TForm1::SpeedButton5v1Click(TObject*) { ApplyRangeStep(1, engine::RangeTable[2]); }
void TForm1::SpeedButton1p5v1Click(TObject*) { ApplyRangeStep(1, engine::RangeTable[3]); }
void TForm1::SpeedButton05v1Click(TObject*) { ApplyRangeStep(1, engine::RangeTable[4]); }
void TForm1::SpeedButton015v1Click(TObject*) { ApplyRangeStep(1, engine::RangeTable[5]); }
void TForm1::SpeedButton29Click(TObject*) { ApplyRangeStep(2, engine::RangeTable[0]); }
void TForm1::SpeedButton5v2Click(TObject*) { ApplyRangeStep(2, engine::RangeTable[2]); }
void TForm1::SpeedButton1p5v2Click(TObject*) { ApplyRangeStep(2, engine::RangeTable[3]); }
void TForm1::SpeedButton05v2Click(TObject*) { ApplyRangeStep(2, engine::RangeTable[4]); }
void TForm1::SpeedButton015v2Click(TObject*) { ApplyRangeStep(2, engine::RangeTable[5]); }

void TForm1::RangeCodeClick(int channel, std::uint8_t code) {
  if (const auto* row = engine::RangeRowOfCode(code)) ApplyRangeStep(channel, *row);
}

// ---------------------------------------------------------------- coupling

void TForm1::CouplingClick(int channel, int kind, engine::PanelButton member) {
  const bool ch1 = channel == 1;
  const TSpeedButton* button = this->*member;

  // A grounded input cannot trigger: the trigger goes off while the user
  // still wants it, and comes back with the next AC or DC press.
  const bool channelSource = ScopeState.Settings.TriggerSource == 16 || ScopeState.Settings.TriggerSource == 0;
  if (ScopeState.Settings.TriggerWanted && button->Down() && channelSource) {
    if (kind == kGnd) {
      const std::uint8_t wanted = ScopeState.Settings.TriggerWanted;
      SpeedButton8->SetDown(true);
      SpeedButton8Click(this);
      ScopeState.Settings.TriggerWanted = wanted;
    } else {
      SpeedButton7->SetDown(true);
      SpeedButton7Click(this);
    }
  }

  engine::ScopeSettings& s = ScopeState.Settings;
  if (kind == kGnd) {
    s.InputOn(channel) = 0;
  } else {
    s.Ac(channel) = kind == kAc ? 1 : 0;
    s.InputOn(channel) = 1;
  }
  ShowChannelSettings(*this, channel);
  Set500();
  asetus(ch1 ? ScopeState.Ch1RangeLabel : ScopeState.Ch2RangeLabel, channel);
}

void TForm1::SpeedButton_ac1Click(TObject*) { CouplingClick(1, kAc, &FrontPanelControls::SpeedButton_ac1); }
void TForm1::SpeedButton_dc1Click(TObject*) { CouplingClick(1, kDc, &FrontPanelControls::SpeedButton_dc1); }
void TForm1::SpeedButton_gnd1Click(TObject*) { CouplingClick(1, kGnd, &FrontPanelControls::SpeedButton_gnd1); }
void TForm1::SpeedButton__ac2Click(TObject*) { CouplingClick(2, kAc, &FrontPanelControls::SpeedButton__ac2); }
void TForm1::SpeedButton_dc2Click(TObject*) { CouplingClick(2, kDc, &FrontPanelControls::SpeedButton_dc2); }
void TForm1::SpeedButton_gnd2Click(TObject*) { CouplingClick(2, kGnd, &FrontPanelControls::SpeedButton_gnd2); }

// ---------------------------------------------------------------- probes

void TForm1::ProbeClick(int channel, bool x10) {
  const bool ch1 = channel == 1;
  const double otherFactor = ch1 ? ScopeState.Ch2ProbeFactor : ScopeState.Ch1ProbeFactor;
  if (x10 && otherFactor == 1.0 && !ScopeState.ProbeWarningMuted && Form12) Form12->Show();

  (ch1 ? ScopeState.Ch1ProbeFactor : ScopeState.Ch2ProbeFactor) = x10 ? 10.0 : 1.0;
  (ch1 ? ScopeState.Ch1ProbeDb : ScopeState.Ch2ProbeDb) = x10 ? 20.0 : 0.0;
  ScopeState.Settings.X10(channel) = x10 ? 1 : 0;
  ShowChannelSettings(*this, channel);

  for (std::size_t i = 0; i < engine::RangeTable.size(); ++i) {
    const engine::RangeStep& row = engine::RangeTable[i];
    const char* caption = x10 ? row.CaptionX10 : row.CaptionX1;
    const engine::PanelButton button = ch1 ? row.Ch1Button : row.Ch2Button;
    for (TSpeedButton* b : {this->*button, TwinControl(button)})
      if (b) b->SetCaption(caption);
    if (ch1 && ScopeState.OtherInstruments.BodeRangeCaption) ScopeState.OtherInstruments.BodeRangeCaption(i, caption);
  }

  // The recorder's buttons have names of their own.
  if (ScopeState.OtherInstruments.RecorderProbeCaptions) ScopeState.OtherInstruments.RecorderProbeCaptions(channel, x10);

  // The label on the picture and the device follow the current range.
  RangeCodeClick(channel, ScopeState.Settings.GainCode(channel));
}

void TForm1::x11Click(TObject*) { ProbeClick(1, false); }
void TForm1::x101Click(TObject*) { ProbeClick(1, true); }
void TForm1::x12Click(TObject*) { ProbeClick(2, false); }
void TForm1::x102Click(TObject*) { ProbeClick(2, true); }

// ---------------------------------------------------------------- positions

void TForm1::PositionChange(int channel) {
  const bool ch1 = channel == 1;
  TTrackBar* bar = ch1 ? TrackBar1 : TrackBar2;
  const int position = bar->Position();
  std::int32_t& shownPosition = ch1 ? ScopeState.Settings.Ch1Position : ScopeState.Settings.Ch2Position;
  const PanelControl<TTrackBar> barMember = ch1 ? &FrontPanelControls::TrackBar1 : &FrontPanelControls::TrackBar2;

  auto copyToTwins = [&] {
    MirrorToTwin(*this, barMember);
    // The recorder's bar too; its handler comes back here with the same position.
    if (ScopeState.OtherInstruments.RecorderPositionFollows) ScopeState.OtherInstruments.RecorderPositionFollows(channel, position);
  };
  auto groundMarker = [&] { ch1 ? y1_viiva() : y2_viiva(); };
  auto applyOffset = [&] {
    shownPosition = position;
    const std::int32_t cal = ch1 ? ScopeState.Ch1OffsetCal : ScopeState.Ch2OffsetCal;
    const std::int32_t base = (cal + (ch1 ? ScopeState.Ch1RangeTrim : ScopeState.Ch2RangeTrim) + (ch1 ? ScopeState.Ch1RateTrim : ScopeState.Ch2RateTrim)) & 255;
    const std::int32_t s = base + position;
    // The DAC cannot leave 0..255: the term stops at the edge, the bar keeps
    // the value the user set.
    std::int32_t term = position;
    if (s > 255) term = position - s + 255;
    if (s < 0) term = position - s;
    (ch1 ? ScopeState.Ch1PositionDac : ScopeState.Ch2PositionDac) = term;
    (ch1 ? ScopeState.Ch1OffsetDac : ScopeState.Ch2OffsetDac) = cal + term;
    Set_DACs();
  };

  if (ScopeState.Settings.TriggerSource == (ch1 ? 16 : 0)) ScopeState.CaptureCount = 0;

  if (ScopeState.AutosetRunning) {
    copyToTwins();
    groundMarker();
    applyOffset();
    if (ScopeState.DemoMode) tee_demo();
    groundMarker();
    kursorivoltit();
    return;
  }

  const bool mathShown = SpeedButton21 && SpeedButton21->Visible();
  const bool persistDown = PersistDown();
  if (PositionShiftArmed && !persistDown && !mathShown && ScopeState.AcquisitionIdle && (ScopeState.StartupTick & 4)) {
    // A stopped trace follows the bar without a new capture.
    poisto();
    (ch1 ? DisplayState.Ch1CapturePos : DisplayState.Ch2CapturePos) += shownPosition - position;
    piirrot();
  }
  putsataanko();
  PositionShiftArmed = 0;
  copyToTwins();
  PositionShiftArmed = 1;
  if (mathShown) poisto();
  groundMarker();
  applyOffset();
  if (ScopeState.DemoMode) tee_demo();
  groundMarker();
  if (mathShown) piirrot();
  kursorivoltit();
}

void TForm1::TrackBar1Change(TObject*) { PositionChange(1); }
void TForm1::TrackBar2Change(TObject*) { PositionChange(2); }

// ---------------------------------------------------------------- channel display

void TForm1::ChannelOnClick(int channel) {
  const std::uint8_t mathWasOff = ScopeState.MathOff;
  if (!ScopeState.InvertCh2Mode) ScopeState.MathOff = 1;
  y1_viiva();
  y2_viiva();
  // The click has put "On" in its new state.
  ShowChannel(channel, (channel == 1 ? CH1on : CH2on)->Down());
  y1_viiva();
  y2_viiva();
  if (Form10 && Form10->Visible()) ScrollBar2Change(this);
  ScopeState.MathOff = mathWasOff;
  if (!mathWasOff) {
    for (FrontPanelControls* p : {static_cast<FrontPanelControls*>(this), static_cast<FrontPanelControls*>(Form11)}) {
      if (!p) continue;
      p->Autoset1->SetEnabled(false);
      p->Autoset2->SetEnabled(false);
    }
  }
}

void TForm1::CH1onClick(TObject*) { ChannelOnClick(1); }
void TForm1::CH2onClick(TObject*) { ChannelOnClick(2); }

void TForm1::ChannelShowClick(int channel) {
  // The click has put the hidden "OFF" button in its new state.
  ShowChannel(channel, !(channel == 1 ? SpeedButtonCh1 : SpeedButtonCh2)->Down());
}

void TForm1::ShowChannel(int channel, bool shown) {
  if (ScopeState.SpectrumMode) {
    // One spectrum at a time: hiding one channel shows the other.
    for (int c = 1; c <= 2; ++c) ChannelSpectrumView(c, c == channel ? shown : !shown);
  } else {
    ChannelScopeView(channel, shown);
  }
  for (int c = 1; c <= 2; ++c) ShowChannelSettings(*this, c);
}

void TForm1::SpeedButtonCh1Click(TObject*) { ChannelShowClick(1); }
void TForm1::SpeedButtonCh2Click(TObject*) { ChannelShowClick(2); }

void TForm1::ChannelScopeView(int channel, bool show) {
  const bool ch1 = channel == 1;
  std::uint8_t& on = ch1 ? ScopeState.Settings.Ch1On : ScopeState.Settings.Ch2On;
  putsataanko();
  kursorit();  // the marker lines go with the old state...
  if (show != (on != 0)) {
    poisto();
    on = show ? 1 : 0;
    piirrot();
  }
  kursorit();  // ...and come back with the new one

  TColor color = ch1 ? DisplayState.Ch1Color : DisplayState.Ch2Color;
  if (!ch1 && ScopeState.InvertCh2Mode && !ScopeState.MathOff) color = DisplayState.Math2Color;
  const std::string& text = ch1 ? ScopeState.Ch1RangeText : ScopeState.Ch2RangeText;
  TulostaTeksti(text, ScopeState.ScreenX0 + (ch1 ? 10 : 70), display::kTopTextY, show ? color : DisplayState.BackgroundColor);
  FrontPanelControls* panels[2] = {this, Form11};
  for (FrontPanelControls* p : panels)
    if (p) SetFontColorOf(ch1 ? p->LabelCh1 : p->LabelCh2, show ? color : clGray);
  rms_out();
  kursorivoltit();
}

void TForm1::ChannelSpectrumView(int channel, bool show) {
  const bool ch1 = channel == 1;
  std::uint8_t& on = ch1 ? ScopeState.Settings.Ch1On : ScopeState.Settings.Ch2On;
  putsataanko();
  if (show != (on != 0)) {
    poisto();
    on = show ? 1 : 0;
    // The spectrum shown is the one of the channel now on.
    if (show) FFT();
    piirrot();
  }
  const TColor color = ch1 ? DisplayState.Ch1Color : DisplayState.Ch2Color;
  const std::string& text = ch1 ? ScopeState.Ch1RangeText : ScopeState.Ch2RangeText;
  TulostaTeksti(text, ScopeState.ScreenX0 + (ch1 ? 10 : 70), display::kTopTextY, show ? color : DisplayState.BackgroundColor);
  FrontPanelControls* panels[2] = {this, Form11};
  for (FrontPanelControls* p : panels)
    if (p) SetFontColorOf(ch1 ? p->LabelCh1 : p->LabelCh2, show ? color : clGray);
  rms_out();
  kursoridb();
}

// The trace, its label and read-outs as the settings have the channel.
void TForm1::ch1_dso() { ChannelScopeView(1, ScopeState.Settings.Ch1On != 0); }
void TForm1::ch2_dso() { ChannelScopeView(2, ScopeState.Settings.Ch2On != 0); }
void TForm1::ch1_fft() { ChannelSpectrumView(1, ScopeState.Settings.Ch1On != 0); }
void TForm1::ch2_fft() { ChannelSpectrumView(2, ScopeState.Settings.Ch2On != 0); }
