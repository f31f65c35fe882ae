// Autoset: for one channel, a volts/div range that fills more than the middle
// half of the screen without clipping, a time base that shows a few periods
// and a trigger level in the middle of the signal, found by pressing the
// front-panel handlers and taking blocking single captures; then Run.
#include "engine/autoset.h"

#include <optional>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kRangeRounds = 10;
constexpr int kTimeBaseRounds = 15;
constexpr std::int32_t kFlatSpan = 16;  // a signal of this many codes or fewer leaves the trigger off
constexpr std::size_t kRow2ms = 7;
constexpr std::size_t kRow20us = 13;
constexpr std::size_t kRow5us = 16;

std::span<const std::int32_t> ChannelSamples(const engine::WithScopeStates& states, int channel) {
  return channel == 1 ? std::span<const std::int32_t>(states.ScopeState.Ch1Samples())
                      : std::span<const std::int32_t>(states.ScopeState.Ch2Samples());
}

// Shows or hides the wait panels and locks the two windows the user could
// press while the search runs.
void ShowAutosetPanels(bool show) {
  if (Form1 && Form1->Panel1) Form1->Panel1->SetVisible(show);
  if (Form10 && Form10->Panel2) Form10->Panel2->SetVisible(show);
  if (Form1) Form1->SetEnabled(!show);
  if (Form11) Form11->SetEnabled(!show);
}

}  // namespace

void TForm1::CreateAutosetControls() {
  ControlMaker make(this);
  Panel1 = make.Panel(this, "Panel1", Image1->Left() + Image1->Width() / 2 - 150,
                      Image1->Top() + Image1->Height() / 2 - 30, 300, 60);
  Panel1->SetCaption("AUTOSET - Please wait...");
  Panel1->SetColor(clNavy);
  Panel1->Font().Color = clWhite;
  Panel1->Font().Size = 12;
  Panel1->Font().Style = fsBold;
  Panel1->FontChanged();
  Panel1->SetVisible(false);
  Autoset1->OnClick = [this](TObject* s) { Autoset1Click(s); };
  Autoset2->OnClick = [this](TObject* s) { Autoset2Click(s); };
}

void TForm1::Autoset1Click(TObject*) { AutosetChannel(1); }
void TForm1::Autoset2Click(TObject*) { AutosetChannel(2); }

void TForm1::AutosetChannel(int channel) {
  using engine::acquisition::AcquisitionController;
  using engine::front_panel::FrontPanelController;
  ScopeState.AutosetRunning = 1;
  if (!device_.IsOpen() && !ScopeState.DemoMode) {
    ScopeState.AutosetRunning = 0;
    return;
  }
  const bool ch1 = channel == 1;
  ShowAutosetPanels(true);
  Application->ProcessMessages();

  // Preset: trigger off, AC, the channel shown (CH2 alone), 3 V, 2 ms, stopped.
  // The handler is that of a controller: `handler` of `target`.
  auto press = [this](TGrSpeedButton* button, auto& target, auto handler, bool down = true) {
    button->SetDown(down);
    (target.*handler)(this);
  };
  press(SpeedButton8, FrontPanel(), &FrontPanelController::SpeedButton8Click);
  if (ch1)
    press(SpeedButton_ac1, FrontPanel(), &FrontPanelController::SpeedButton_ac1Click);
  else
    press(SpeedButton__ac2, FrontPanel(), &FrontPanelController::SpeedButton__ac2Click);
  const bool ch1WasHidden = !ScopeState.Settings.Channels[0].On;
  if (!ch1) press(SpeedButtonCh1, FrontPanel(), &FrontPanelController::SpeedButtonCh1Click, true);
  if (ch1)
    press(SpeedButtonCh1, FrontPanel(), &FrontPanelController::SpeedButtonCh1Click, false);
  else
    press(SpeedButtonCh2, FrontPanel(), &FrontPanelController::SpeedButtonCh2Click, false);
  std::size_t range = 0;
  RangeCodeClick(channel, engine::RangeTable[range].Code);
  TimeBaseStepClick(kRow2ms);
  Acquisition().StopRunAndSingleLoops();
  WaitOneTimer6Tick();
  (ch1 ? TrackBar1 : TrackBar2)->SetPosition(0);

  // The end of the run, whole or cut short by a capture that brought nothing.
  auto finish = [&](bool completed) {
    ShowAutosetPanels(false);
    if (!ch1) press(SpeedButtonCh1, FrontPanel(), &FrontPanelController::SpeedButtonCh1Click, ch1WasHidden);
    if (completed) {
      ClearHiddenReadouts();
      press(SpeedButtonRun, Acquisition(), &AcquisitionController::SpeedButtonRunClick);
    }
    ScopeState.AutosetRunning = 0;
  };
  // One blocking capture of the channel; nothing when none came (the link
  // was lost, the loop stopped or the program is closing).
  auto capture = [this, channel]() -> std::optional<engine::SignalSpan> {
    SingleClick();
    if (Acquisition().LinkLost() || ScopeState.SingleStop || Application->Terminated()) return std::nullopt;
    return engine::MeasureSignal(ChannelSamples(*this, channel));
  };

  // Range: one step more sensitive while nothing clips, one back when the
  // next capture clips, until the signal leaves the middle half.
  for (int round = 0; round < kRangeRounds; ++round) {
    const auto first = capture();
    if (!first) return finish(false);
    const std::uint8_t savedRms = ScopeState.RmsOn;
    ScopeState.RmsOn = 1;
    rms_out();
    ScopeState.RmsOn = savedRms;
    if (!first->Clipped())
      if (const auto next = engine::MoreSensitiveRange(range))
        RangeCodeClick(channel, engine::RangeTable[range = *next].Code);
    const auto second = capture();
    if (!second) return finish(false);
    if (second->Clipped())
      if (const auto next = engine::LessSensitiveRange(range))
        RangeCodeClick(channel, engine::RangeTable[range = *next].Code);
    if (!second->InMiddleHalf()) break;
  }

  // Time base: a step slower while the signal changes level too seldom, a
  // step faster while too often.
  std::size_t row = ScopeState.DemoMode ? kRow20us : kRow5us;
  TimeBaseStepClick(row);
  for (int round = 1; round <= kTimeBaseRounds; ++round) {
    const auto s = capture();
    if (!s) return finish(false);
    if (round == kTimeBaseRounds) break;
    const engine::TimeBaseMove move = engine::TimeBaseMoveFor(*s);
    if (move == engine::TimeBaseMove::Settled) break;
    const std::int32_t before = ScopeState.TimePerDiv;
    const std::size_t next =
        move == engine::TimeBaseMove::Slower ? engine::AutosetSlowerRow(row) : engine::AutosetFasterRow(row);
    if (next != row) TimeBaseStepClick(row = next);
    if (ScopeState.TimePerDiv == before) break;
  }

  // Trigger in the middle of a signal that has a span.
  const auto s = capture();
  if (!s) return finish(false);
  if (s->Max - s->Min > kFlatSpan) {
    const int level = 255 - (s->Max + s->Min) / 2;
    if (TrackBar3->Position() == level)
      FrontPanel().TrackBar3Change(this);
    else
      TrackBar3->SetPosition(level);
    if (ch1)
      press(SpeedButton3, FrontPanel(), &FrontPanelController::SpeedButton3Click);
    else
      press(SpeedButton4, FrontPanel(), &FrontPanelController::SpeedButton4Click);
    press(SpeedButton7, FrontPanel(), &FrontPanelController::SpeedButton7Click);
  }
  finish(true);
}
