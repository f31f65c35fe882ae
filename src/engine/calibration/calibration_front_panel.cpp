// The front panel as the calibration sets it: volts/div, time/div and trigger
// through the panel's own buttons, acquisition stopped, math and the spectrum
// view off, both channels shown.
#include <cstddef>
#include <utility>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/control_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace engine::calibration {

// Presses a button of the main window as the program presses buttons: down,
// then its handler (a click would be refused while the window is disabled).
// False when the front panel has no such button with a handler.
bool CalibrationController::Press(engine::PanelButton member) {
  TSpeedButton* button = member ? panel_.*member : nullptr;
  if (!button || !button->OnClick) return false;
  button->SetDown(true);
  button->OnClick(button);
  return true;
}

// Puts a button down or up on the main window and the twin panel, without
// its handler.
void CalibrationController::SetButtonDown(engine::PanelButton member, bool down) {
  for (TSpeedButton* button : {panel_.*member, TwinControl(member)})
    if (button) button->SetDown(down);
}

// A volts/div row for one channel and a time/div row, through their buttons.
void CalibrationController::SelectRange(int channel, std::size_t row) {
  const engine::RangeStep& step = engine::RangeTable[row];
  if (!Press(channel == 1 ? step.Ch1Button : step.Ch2Button)) host_.FrontPanel().ApplyRangeStep(channel, step);
}

void CalibrationController::SelectTimeBase(std::size_t row) {
  const engine::TimeBaseStep& step = engine::TimeBaseTable[row];
  if (!Press(step.Button)) host_.FrontPanel().ApplyTimeBaseStep(step);
}

// Trigger "Off", source CH1 (or CH2) and rising edge through their buttons.
void CalibrationController::TriggerOffButton() {
  if (!Press(&FrontPanelControls::SpeedButton8)) ScopeState.Settings.TriggerOff = 64;
}
void CalibrationController::TriggerSourceButton(int channel) {
  if (!Press(channel == 1 ? &FrontPanelControls::SpeedButton3 : &FrontPanelControls::SpeedButton4)) ScopeState.Settings.TriggerSource = channel == 1 ? 16 : 0;
}
void CalibrationController::RisingEdgeButton() {
  if (!Press(&FrontPanelControls::SpeedButton5)) ScopeState.Settings.TriggerSlope = 32;
}

// Run and Single up on both windows, both stop flags set, their timers stopped.
void CalibrationController::StopAcquisition() { host_.Acquisition().ReleaseRunAndSingle(); }

// Every math mode off (with its menu check) and the math button hidden; back
// to the oscilloscope when the spectrum analyser is shown.
void CalibrationController::PlainScopeDisplay() {
  using MathItem = std::pair<TMenuItem*, TMenuItem*>;  // the main window's and the twin panel's
  const MathItem items[] = {{analysis_.CH1CH21, Form11 ? Form11->CH1CH21 : nullptr},
                            {analysis_.CH1CH22, Form11 ? Form11->CH1CH22 : nullptr},
                            {analysis_.InvertCH21, Form11 ? Form11->InvertCH21 : nullptr},
                            {analysis_.XYplot1, Form11 ? Form11->XYplot1 : nullptr}};
  for (auto [item, twin] : items) {
    // A checked mode goes off through its own handler, which tidies up after it.
    if (item && item->Checked() && item->OnClick) item->OnClick(item);
    for (TMenuItem* i : {item, twin})
      if (i) i->SetChecked(false);
  }
  ScopeState.MathOff = 1;
  ScopeState.InvertCh2Mode = 0;
  for (TSpeedButton* math : {panel_.SpeedButton21, TwinControl(&FrontPanelControls::SpeedButton21)})
    if (math) math->SetVisible(false);
  if (ScopeState.SpectrumMode) Press(&FrontPanelControls::SpeedButton22);
}

// Both channels shown, through their "On" buttons.
void CalibrationController::BothChannelsShown() {
  if (!Press(&FrontPanelControls::CH1on)) ScopeState.Settings.Channels[0].On = 1;
  if (!Press(&FrontPanelControls::CH2on)) ScopeState.Settings.Channels[1].On = 1;
}

}  // namespace engine::calibration
