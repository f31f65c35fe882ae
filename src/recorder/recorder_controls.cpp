// The recorder's front panel and menus: time/div and volts/div steps,
// coupling, positions mirrored to the main window, channel display, the
// instrument buttons and the File, Options and Help menus.
#include <algorithm>
#include <array>

#include "engine/big_screen.h"
#include "engine/instruments.h"
#include "engine/measurement_window.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/markers/markers_host.h"
#include "engine/scope_window.h"
#include "engine/spectrum/analysis_controls.h"
#include "engine/scope_state.h"
#include "io/about_box_rec.h"
#include "engine/help_request.h"
#include "platform/os/process.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "recorder/scope_channel.h"

namespace {

constexpr std::size_t kRecLabelChars = 50;

// The scope window whose menu items the recorder's File menu runs; nullptr without it.
TForm* RecorderScopeForm() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  return scope ? &scope->Window() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- time/div

void TForm1_rec::TimeStepClick(std::size_t row) {
  const recorder::RecorderTimeStep& step = recorder::RecorderTimeTable[row];
  TimeButtons[row]->SetDown(true);
  RecorderState.Settings.TimeStep = row;
  PendingRateText = step.RateText;
  RecorderState.TimeUnitValue = step.TimeUnitValue;
  FastTimer1->SetInterval(step.IntervalMs);
  RecorderState.ZoomStep = step.ZoomStep;
  AsetaAika(step.Caption);
}

void TForm1_rec::SpeedButton01sClick(TObject*) { TimeStepClick(0); }
void TForm1_rec::peedButton50msClick(TObject*) { TimeStepClick(1); }
void TForm1_rec::SpeedButton20msClick(TObject*) { TimeStepClick(2); }
void TForm1_rec::SpeedButton10msClick(TObject*) { TimeStepClick(3); }
void TForm1_rec::SpeedButton5msClick(TObject*) { TimeStepClick(4); }
void TForm1_rec::SpeedButton2msClick(TObject*) { TimeStepClick(5); }
void TForm1_rec::SpeedButton1msClick(TObject*) { TimeStepClick(6); }
void TForm1_rec::SpeedButton05msClick(TObject*) { TimeStepClick(7); }
void TForm1_rec::SpeedButton02msClick(TObject*) { TimeStepClick(8); }
void TForm1_rec::SpeedButton01msClick(TObject*) { TimeStepClick(9); }
void TForm1_rec::SpeedButton50usClick(TObject*) { TimeStepClick(10); }
void TForm1_rec::SpeedButton20usClick(TObject*) { TimeStepClick(11); }
void TForm1_rec::SpeedButton10usClick(TObject*) { TimeStepClick(12); }
void TForm1_rec::SpeedButton5usClick(TObject*) { TimeStepClick(13); }
void TForm1_rec::SpeedButton2usClick(TObject*) { TimeStepClick(14); }
void TForm1_rec::SpeedButton1usClick(TObject*) { TimeStepClick(15); }

void TForm1_rec::AsetaAika(const std::string& caption) {
  putsataanko();
  poisto();
  TulostaTeksti(RecorderState.RecRateText, X0 + 352, DisplayState.BackgroundColor, 3);
  if (RecorderState.RecSampleRateShown) TulostaTeksti(PendingRateText, X0 + 352, DisplayState.TimeMarkerColor, 3);
  RecorderState.RecRateText = PendingRateText;
  // A record viewed at another step is compressed or stretched in time.
  RecorderState.RecDisplayStep = static_cast<double>(RecorderState.TimeUnitValue) / RecorderState.RecordedTimeUnit * RecorderState.ZoomStep;
  TulostaTeksti(RecorderState.RecTimeDivText, X0 + 151, RecorderState.RecBackgroundColor, 3);
  RecorderState.RecTimeDivText = caption.substr(0, kRecLabelChars);
  TulostaTeksti(RecorderState.RecTimeDivText, X0 + 151, RecorderState.RecTimeMarkerColor, 3);
  kursoriaika();
  piirrot();
  if (ScopeState.DemoMode) {
    RecorderState.DemoStep = recorder::DemoStepFor(RecorderState.TimeUnitValue);
    tee_demo();
  }
}

// ---------------------------------------------------------------- volts/div

void TForm1_rec::RangeStepClick(int channel, std::size_t row) {
  const recorder::RecorderRangeStep& step = recorder::RecorderRangeTable[row];
  Controls(channel).Ranges[row]->SetDown(true);
  recorder::RecorderChannelSettings& settings = RecorderState.Settings.Channel(channel);
  settings.RangeRow = row;
  settings.RangeGiven = true;
  ScopeState.FrontEndHolder = recorder::RecorderFrontEnd(RecorderState.Settings);
  const recorder::ScopeChannelTerms scope = recorder::ScopeChannel(ScopeState, channel);
  std::int32_t trim = 0;
  if (step.TrimFrom == recorder::RecorderRangeStep::Trim::V5Offset) trim = scope.V5Offset;
  if (step.TrimFrom == recorder::RecorderRangeStep::Trim::RecRangeTrim) trim = RecorderState.Channel(channel).RangeTrim;
  scope.RangeTrim = trim;
  asetus(settings.X10 ? step.LabelX10 : step.LabelX1, channel);
  kursorivoltit();
}

void TForm1_rec::SpeedButton9Click(TObject*) { RangeStepClick(1, 0); }
void TForm1_rec::SpeedButton15v1Click(TObject*) { RangeStepClick(1, 1); }
void TForm1_rec::SpeedButton5v1Click(TObject*) { RangeStepClick(1, 2); }
void TForm1_rec::SpeedButton1p5v1Click(TObject*) { RangeStepClick(1, 3); }
void TForm1_rec::SpeedButton05v1Click(TObject*) { RangeStepClick(1, 4); }
void TForm1_rec::SpeedButton015v1Click(TObject*) { RangeStepClick(1, 5); }
void TForm1_rec::SpeedButton10Click(TObject*) { RangeStepClick(2, 0); }
void TForm1_rec::SpeedButton15v2Click(TObject*) { RangeStepClick(2, 1); }
void TForm1_rec::SpeedButton5v2Click(TObject*) { RangeStepClick(2, 2); }
void TForm1_rec::SpeedButton1p5v2Click(TObject*) { RangeStepClick(2, 3); }
void TForm1_rec::SpeedButton05v2Click(TObject*) { RangeStepClick(2, 4); }
void TForm1_rec::SpeedButton015v2Click(TObject*) { RangeStepClick(2, 5); }

void TForm1_rec::asetus(const std::string& label, int channel) {
  putsataanko();
  if (channel == 1 || channel == 2) {
    recorder::RecorderChannel& state = RecorderState.Channel(channel);
    const int x = ChannelTextX(channel);
    TulostaTeksti(state.Text, x, RecorderState.RecBackgroundColor, 3);
    state.Label = label.substr(0, kRecLabelChars);
    std::string text = label;
    if (RecorderState.Settings.Channel(channel).Ac) text += "~";
    text = text.substr(0, kRecLabelChars);
    if (state.On) TulostaTeksti(text, x, RecorderState.ChannelColor(channel), 3);
    state.Text = text;
  }
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) scopeWindow->FrontPanel().Set_DACs();
  if (ScopeState.DemoMode) tee_demo();
}

void TForm1_rec::ShowProbeCaptions(int channel, bool x10) {
  RecorderState.Settings.Channel(channel).X10 = x10 ? 1 : 0;
  auto& buttons = Controls(channel).Ranges;
  for (std::size_t i = 0; i < buttons.size(); ++i)
    buttons[i]->SetCaption(x10 ? engine::RangeTable[i].CaptionX10 : recorder::RecorderRangeTable[i].Caption);
}

// ---------------------------------------------------------------- coupling

void TForm1_rec::CouplingClick(int channel, int kind) {
  TSpeedButton* button = *Controls(channel).Coupling[static_cast<std::size_t>(kind)];
  button->SetDown(true);
  recorder::RecorderChannelSettings& settings = RecorderState.Settings.Channel(channel);
  // Grounding first keeps the coupling the device had from the scope.
  if (!settings.CouplingGiven) settings.Ac = ScopeState.Settings.Ac(channel);
  if (kind == kAc) {
    settings.Ac = 1;
    settings.InputOn = 1;
  } else if (kind == kDc) {
    settings.Ac = 0;
    settings.InputOn = 1;
  } else {
    settings.InputOn = 0;
  }
  settings.CouplingGiven = true;
  ScopeState.FrontEndHolder = recorder::RecorderFrontEnd(RecorderState.Settings);
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) scopeWindow->FrontPanel().Set500();
  asetus(RecorderState.Channel(channel).Label, channel);
}

void TForm1_rec::SpeedButton_ac1Click(TObject*) { CouplingClick(1, kAc); }
void TForm1_rec::SpeedButton_dc1Click(TObject*) { CouplingClick(1, kDc); }
void TForm1_rec::SpeedButton_gnd1Click(TObject*) { CouplingClick(1, kGnd); }
void TForm1_rec::SpeedButton__ac2Click(TObject*) { CouplingClick(2, kAc); }
void TForm1_rec::SpeedButton_dc2Click(TObject*) { CouplingClick(2, kDc); }
void TForm1_rec::SpeedButton_gnd2Click(TObject*) { CouplingClick(2, kGnd); }

// ---------------------------------------------------------------- positions

void TForm1_rec::PositionChange(int channel) {
  recorder::RecorderChannel& state = RecorderState.Channel(channel);
  const int position = Controls(channel).Bar->Position();
  int& previous = Trace(channel).PreviousPosition;

  // After a user stop the stored record follows the bar.
  if (RecorderState.RecStopped && (ScopeState.StartupTick & recorder::kUserStoppedBit)) {
    poisto();
    state.Shift += previous - position;
    piirrot();
  }
  if (RecClearPending) {
    putsataanko();
    piirrot();
  }
  // The main window's bar and the device follow. A bar that already
  // stands there is where this change came from: it has sent the position.
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) {
    static constexpr std::array<TTrackBar* FrontPanelControls::*, 2> kMainBars{&FrontPanelControls::TrackBar1,
                                                                               &FrontPanelControls::TrackBar2};
    TTrackBar* mainBar = scopeWindow->Panel().*kMainBars[static_cast<std::size_t>(channel - 1)];
    if (mainBar->Position() != position) mainBar->SetPosition(position);  // runs its change handler
  }
  if (state.On) DrawZeroGlyph(channel, state.ZeroLevel);
  previous = position;
  const recorder::ScopeChannelTerms scope = recorder::ScopeChannel(ScopeState, channel);
  std::int32_t& dac = scope.PositionDac;
  dac = position;
  // The offset DAC cannot leave 0..255.
  const std::int32_t cal = scope.OffsetCal;
  const std::int32_t base = (cal + scope.RangeTrim + scope.RateTrim) & 255;
  const std::int32_t s = base + dac;
  if (s >= 256) dac -= s - 255;
  if (s < 0) dac += -s;
  state.OffsetSum = cal + dac;
  if (ScopeState.DemoMode) tee_demo();
  ZeroLine(channel);
  kursorivoltit();
}

void TForm1_rec::TrackBar1Change(TObject*) { PositionChange(1); }
void TForm1_rec::TrackBar2Change(TObject*) { PositionChange(2); }

// ---------------------------------------------------------------- channels

void TForm1_rec::ChannelShow(int channel) {
  putsataanko();
  const ChannelControls controls = Controls(channel);
  TSpeedButton* off = controls.Off;
  std::uint8_t& drawn = Trace(channel).Drawn;
  std::uint8_t& on = RecorderState.Channel(channel).On;
  if (off->Down()) {
    if (drawn) {
      piirra(channel);
      drawn = 0;
    }
  } else if (!drawn) {
    piirra(channel);
    drawn = 1;
  }
  // The voltage markers take the pen of the channel they follow.
  kursorit();
  on = off->Down() ? 0 : 1;
  kursorit();
  const TColor colour = RecorderState.ChannelColor(channel);
  TulostaTeksti(RecorderState.Channel(channel).Text, ChannelTextX(channel), on ? colour : RecorderState.RecBackgroundColor, 3);
  TLabel* label = controls.Label;
  label->Font().Color = on ? colour : clGray;
  label->FontChanged();
  kursorivoltit();
}

void TForm1_rec::ch1_dso() { ChannelShow(1); }
void TForm1_rec::ch2_dso() { ChannelShow(2); }
void TForm1_rec::SpeedButtonCh1Click(TObject*) { ChannelFromOffButton(1); }
void TForm1_rec::SpeedButtonCh2Click(TObject*) { ChannelFromOffButton(2); }

void TForm1_rec::ChannelFromOffButton(int channel) {
  // Both zero-level marks come off while the channel changes, and back after.
  for (int ch = 1; ch <= 2; ++ch)
    if (RecorderState.Channel(ch).On) DrawZeroGlyph(ch, RecorderState.Channel(ch).ZeroLevel);
  ChannelShow(channel);
  const ChannelControls controls = Controls(channel);
  controls.On->SetDown(!controls.Off->Down());
  y_viivat();
}

void TForm1_rec::ChannelOn(int channel) {
  const ChannelControls controls = Controls(channel);
  controls.Off->SetDown(!controls.On->Down());
  ChannelFromOffButton(channel);
}

void TForm1_rec::CH1onClick(TObject*) { ChannelOn(1); }
void TForm1_rec::CH2onClick(TObject*) { ChannelOn(2); }

// ---------------------------------------------------------------- instruments

void TForm1_rec::HandBack(bool spectrum) {
  engine::ScopeWindow* scopeWindow = engine::TheScopeWindow();
  if (!scopeWindow) return;
  engine::ScopeWindow& window = *scopeWindow;
  if (window.MarkerItems().MoreData1 && window.MarkerItems().MoreData1->Checked() && Form_99) Form_99->Show();
  // The scope's handlers put the device back as the scope had it: the
  // ranges, then the couplings AC, DC, GND, each taken back from the
  // recorder as its handler sends it.
  const device::ScopeSettings scope = ScopeState.Settings;
  recorder::RecorderSettings& given = RecorderState.Settings;
  for (int ch = 1; ch <= 2; ++ch) {
    given.Channel(ch).RangeGiven = false;
    window.FrontPanel().RangeCodeClick(ch, scope.GainCode(ch));
  }
  // Coupling kinds in the order kAc, kDc, kGnd.
  for (int kind = kAc; kind <= kGnd; ++kind)
    for (int ch = 1; ch <= 2; ++ch)
      if (device::CouplingIndex(scope, ch) == kind) {
        given.Channel(ch).CouplingGiven = false;
        window.FrontPanel().CouplingClick(ch, kind);
      }
  // The time/div button's packet still leaves the trigger off, as the
  // recording had it; the scope's trigger comes back after it.
  if (!spectrum && engine::TimeBaseButton(ScopeState.Settings.TimeBaseRow))
    if (TSpeedButton* b = window.Panel().*engine::TimeBaseButton(ScopeState.Settings.TimeBaseRow); b && b->OnClick)
      b->OnClick(b);
  ScopeState.Settings.TimeBaseCode = RecorderState.SavedTimeBaseCode;
  ScopeState.Settings.TriggerOff = RecorderState.SavedTriggerOff;
  given.TriggerHeldOff = false;
  ScopeState.FrontEndHolder = nullptr;
  TSpeedButton* instrument = spectrum ? window.Analysis().fft1 : window.Panel().SpeedButton22;
  if (TSpeedButton* b = instrument; b && !b->Down()) {
    b->SetDown(true);
    if (b->OnClick) b->OnClick(b);
  }
  RecorderState.InstrumentSwitch = 1;
  if (Form_9rec) Form_9rec->Hide();
  Close();
  if (ScopeState.BigScreenOn && window.BigScreenTimer()) window.BigScreenTimer()->SetEnabled(true);
}

void TForm1_rec::SpeedButton5Click(TObject*) { HandBack(false); }
void TForm1_rec::SpeedButton7Click(TObject*) { HandBack(true); }

void TForm1_rec::SpeedButton3Click(TObject*) {
  SpeedButton3->SetDown(true);
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) scopeWindow->SpeedButton26Click(&scopeWindow->Window());
}

void TForm1_rec::SpeedButton6Click(TObject*) { SpeedButton6->SetDown(true); }

void TForm1_rec::ExittoMenu1Click(TObject*) {
  engine::StartMenuProgram(ScopeState.ProgramFolder);
  Close();
}

void TForm1_rec::ExitClick(TObject*) { Close(); }

void TForm1_rec::Help2Click(TObject*) { engine::ShowHelp(io::kRecorderHelp); }

void TForm1_rec::About2Click(TObject*) {
  if (AboutBox_rec) AboutBox_rec->ShowModal();
}

void TForm1_rec::Colors1Click(TObject*) {
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) scopeWindow->Colors1Click(&scopeWindow->Window());
}

void TForm1_rec::SaveSettings1Click(TObject*) {
  if (auto* item = FindOwned<TMenuItem>(RecorderScopeForm(), "SaveSettings1"); item && item->OnClick) item->OnClick(item);
}

void TForm1_rec::RecallSettings1Click(TObject*) {
  if (auto* item = FindOwned<TMenuItem>(RecorderScopeForm(), "RecallSettings1"); item && item->OnClick) item->OnClick(item);
}

void TForm1_rec::File1Click(TObject*) { N1->SetEnabled(RecorderState.RecPos > 1); }
