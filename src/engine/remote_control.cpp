// The scope mailbox poll of the hidden remote-control window.
#include "engine/remote_control_form.h"

#include <algorithm>

#include "engine/calibration.h"
#include "engine/front_panel.h"
#include "engine/scope_state.h"
#include "engine/scope_states.h"
#include "engine/scope_window.h"
#include "engine/step_tables.h"
#include "io/shared_blocks.h"
#include "platform/ui/application.h"
#include "widgets/fast_timer.h"

namespace engine {

namespace {

enum ScopeCommand : std::int32_t {
  kCh1Range = 1, kCh2Range, kTimeDiv, kRun, kSingle, kCh1Position, kCh2Position,
  kTriggerOnOff, kTriggerLevel, kTriggerSource, kTriggerEdge, kCh1Coupling, kCh2Coupling, kShowWindow,
};

// A controller numbers the time/div buttons as the panel orders them,
// slowest first: index i is the i-th TimeBaseTable row with a button (the
// span-only row has none). The last index is the first magnifying step.
constexpr std::size_t kTimeDivIndexes = 17;
constexpr std::array<std::size_t, kTimeDivIndexes> TimeDivRows() {
  std::array<std::size_t, kTimeDivIndexes> rows{};
  std::size_t index = 0;
  for (std::size_t row = 0; row < TimeBaseTable.size() && index < rows.size(); ++row)
    if (TimeBaseTable[row].Button) rows[index++] = row;
  return rows;
}
constexpr std::array<std::size_t, kTimeDivIndexes> kTimeDivRows = TimeDivRows();
constexpr std::int32_t kMagnifiedIndex = kTimeDivIndexes - 1;
static_assert(TimeBaseTable[kTimeDivRows[kMagnifiedIndex]].SampleStep < TimeBaseTable[kTimeDivRows[0]].SampleStep,
              "the last index a controller sets magnifies");

// The user's click on a panel button, as a program makes it: the button's
// state first, then its own handler.
void Press(TSpeedButton* button, bool down = true) {
  if (!button) return;
  button->SetDown(down);
  if (button->OnClick) button->OnClick(button);
}

// A slider moved to `position`; its change handler runs once either way.
void MoveBar(TTrackBar* bar, int position) {
  if (!bar) return;
  if (bar->Position() != position) bar->SetPosition(position);
  else if (bar->OnChange) bar->OnChange(bar);
}

// Autoset and calibration own the panel while they run.
bool PanelLocked(const engine::WithScopeStates& states) {
  return states.ScopeState.AutosetRunning || states.ScopeState.Calibrating || states.ScopeState.CalibrationRunning;
}

}  // namespace

std::int32_t RangeIndexOfCode(std::uint8_t code) {
  for (std::size_t i = 0; i < engine::RangeTable.size(); ++i)
    if (engine::RangeTable[i].Code == code) return static_cast<std::int32_t>(i);
  return -1;
}

std::int32_t TimeDivIndex(std::uint8_t timeBaseCode, int sampleStep) {
  if (sampleStep == 1 || sampleStep == 2) return kMagnifiedIndex;
  for (std::size_t i = 0; i < kTimeDivRows.size(); ++i)
    if (TimeBaseTable[kTimeDivRows[i]].Code == timeBaseCode) return static_cast<std::int32_t>(i);
  return -1;
}

std::array<std::int32_t, io::kMailboxStatusCount> ScopeStatusWords(const engine::ScopeSettings& s,
                                                                   const engine::ScopeSettings& device, int sampleStep) {
  return {
      RangeIndexOfCode(device.Channels[0].GainCode),
      RangeIndexOfCode(device.Channels[1].GainCode),
      TimeDivIndex(s.TimeBaseCode, sampleStep),
      s.Channels[0].Position,
      s.Channels[1].Position,
      engine::CouplingIndex(s, 1),
      engine::CouplingIndex(s, 2),
      s.TriggerOff == 0 ? 1 : 0,
      engine::TriggerSourceIndex(s),
      s.TriggerSlope != 0 ? 1 : 0,
      s.TriggerLevel,
  };
}

}  // namespace engine

TFormx1::TFormx1(TComponent* owner) : TForm(owner) {
  SetCaption("Darv-I/O");
  SetWindowState(wsMinimized);
  FastTimer1 = new TFastTimer(this);
  FastTimer1->Name = "FastTimer1";
  FastTimer1->SetInterval(10);
  FastTimer1->SetResolution(10);
  FastTimer1->OnTimer = [this](TObject* s) { FastTimer1Timer(s); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  FormCreate(this);
}

void TFormx1::FormCreate(TObject* /*Sender*/) { FastTimer1->SetEnabled(true); }

void TFormx1::FormCloseQuery(TObject* /*Sender*/, bool& /*CanClose*/) { FastTimer1->SetEnabled(false); }

namespace {

// Runs `access` over the scope mailbox, which another program of the user
// may have made smaller; false when it was not done (the mailbox is off, or
// kept shrinking under it).
template <class F>
bool UseScopeMailbox(F&& access) {
  return io::UseSharedBlock(io::ScopeMailboxBlock, access,
                            "Remote control of the oscilloscope stopped: another program made ",
                            "\rOther programs cannot control the oscilloscope until the Darvik48 software is "
                            "started again.");
}

}  // namespace

std::int32_t TFormx1::GetShareDatax(int index) {
  std::int32_t word = 0;
  if (index >= 0) UseScopeMailbox([&] { word = io::ScopeMailboxBlock->Get(static_cast<std::size_t>(index)); });
  return word;
}

void TFormx1::SetShareDatax(int index, std::int32_t value) {
  if (index >= 0) UseScopeMailbox([&] { io::ScopeMailboxBlock->Set(static_cast<std::size_t>(index), value); });
}

void TFormx1::FastTimer1Timer(TObject* /*Sender*/) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!io::ScopeMailboxBlock || !scope) return;
  engine::ScopeSharedState& ScopeState = scope->States().ScopeState;
  // A slow command is never re-entered by the next tick.
  FastTimer1->SetEnabled(false);
  struct Rearm {
    TFastTimer* timer;
    ~Rearm() {
      if (!Application->Terminated()) timer->SetEnabled(true);
    }
  } rearm{FastTimer1};

  // A start-up that has not made its mode ready, a closing window, or
  // autoset and calibration at work: the command waits.
  const bool mayTake =
      ScopeState.StartupModeReady && !ScopeState.ClosingDone && !Application->Terminated() &&
      !engine::PanelLocked(scope->States());
  const engine::ScopeSettings& panel = ScopeState.Settings;
  const auto status = engine::ScopeStatusWords(panel, engine::DeviceFrontEnd(ScopeState, panel), ScopeState.SampleStep);
  io::SharedWords& box = *io::ScopeMailboxBlock;
  const std::function<void()> publish = [&] {
    for (std::size_t i = 0; i < status.size(); ++i) box.Set(io::kMailboxStatusFirst + i, status[i]);
  };
  // Another program of the user may have made the block smaller; a poll
  // past its end would end the whole program. Only the block's words are
  // touched under the guard, the command runs after it.
  std::optional<io::MailboxCommand> command;
  if (!UseScopeMailbox([&] { command = io::TakeScopeCommand(box, mayTake, publish); })) return;
  if (command) RunCommand(command->Code, command->Argument);
}

void TFormx1::RunCommand(std::int32_t command, std::int32_t argument) {
  engine::ScopeWindow& scope = *engine::TheScopeWindow();
  FrontPanelControls& f = scope.Panel();
  const auto inRange = [&](std::int32_t last) { return argument >= 0 && argument <= last; };
  switch (command) {
    case engine::kCh1Range:
    case engine::kCh2Range:
      if (inRange(static_cast<std::int32_t>(engine::RangeTable.size()) - 1)) {
        const engine::RangeStep& row = engine::RangeTable[static_cast<std::size_t>(argument)];
        engine::Press(f.*(command == engine::kCh1Range ? row.Ch1Button : row.Ch2Button));
      }
      break;
    case engine::kTimeDiv:
      if (inRange(engine::kMagnifiedIndex))
        engine::Press(f.*engine::TimeBaseTable[engine::kTimeDivRows[static_cast<std::size_t>(argument)]].Button);
      break;
    case engine::kRun: engine::Press(f.SpeedButtonRun, argument == 1); break;
    case engine::kSingle: engine::Press(f.SpeedButtonSingle, argument == 1); break;
    case engine::kCh1Position: engine::MoveBar(f.TrackBar1, std::clamp(argument, -128, 127)); break;
    case engine::kCh2Position: engine::MoveBar(f.TrackBar2, std::clamp(argument, -128, 127)); break;
    case engine::kTriggerOnOff: engine::Press(argument == 0 ? f.SpeedButton8 : f.SpeedButton7); break;
    case engine::kTriggerLevel: engine::MoveBar(f.TrackBar3, std::clamp(argument, 0, 254)); break;
    case engine::kTriggerSource:
      engine::Press(std::clamp(argument, 0, 1) == 0 ? f.SpeedButton3 : f.SpeedButton4);
      break;
    case engine::kTriggerEdge: engine::Press(argument == 0 ? f.SpeedButton6 : f.SpeedButton5); break;
    case engine::kCh1Coupling:
    case engine::kCh2Coupling: {
      const bool ch1 = command == engine::kCh1Coupling;
      TGrSpeedButton* buttons[3] = {ch1 ? f.SpeedButton_ac1 : f.SpeedButton__ac2,
                                    ch1 ? f.SpeedButton_dc1 : f.SpeedButton_dc2,
                                    ch1 ? f.SpeedButton_gnd1 : f.SpeedButton_gnd2};
      engine::Press(buttons[std::clamp(argument, 0, 2)]);
      break;
    }
    case engine::kShowWindow:
      if (argument == 1) {
        scope.Window().SetWindowState(wsNormal);
        scope.Window().Show();
      } else {
        scope.Window().Hide();
      }
      break;
    default: break;
  }
}
