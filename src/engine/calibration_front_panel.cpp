// The front panel as the calibration sets it: volts/div, time/div and trigger
// through the panel's own buttons, acquisition stopped, math and the spectrum
// view off, both channels shown.
#include <cstddef>
#include <utility>

#include "engine/calibration_parts.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace engine::calibration {

namespace {

// Presses a button of the main window as the program presses buttons: down,
// then its handler (a click would be refused while the window is disabled).
// False when the front panel has no such button with a handler.
bool Press(engine::PanelButton member) {
  TSpeedButton* button = member ? Form1->*member : nullptr;
  if (!button || !button->OnClick) return false;
  button->SetDown(true);
  button->OnClick(button);
  return true;
}

}  // namespace

// Puts a button down or up on the main window and the twin panel, without
// its handler.
void SetButtonDown(engine::PanelButton member, bool down) {
  for (TSpeedButton* button : {Form1->*member, TwinControl(member)})
    if (button) button->SetDown(down);
}

// A volts/div row for one channel and a time/div row, through their buttons.
void SelectRange(int channel, std::size_t row) {
  const engine::RangeStep& step = engine::RangeTable[row];
  if (!Press(channel == 1 ? step.Ch1Button : step.Ch2Button)) Form1->ApplyRangeStep(channel, step);
}

void SelectTimeBase(std::size_t row) {
  const engine::TimeBaseStep& step = engine::TimeBaseTable[row];
  if (!Press(step.Button)) Form1->ApplyTimeBaseStep(step);
}

// Trigger "Off", source CH1 (or CH2) and rising edge through their buttons.
void TriggerOffButton() {
  if (!Press(&FrontPanelControls::SpeedButton8)) Form1->ScopeState.Settings.TriggerOff = 64;
}
void TriggerSourceButton(int channel) {
  if (!Press(channel == 1 ? &FrontPanelControls::SpeedButton3 : &FrontPanelControls::SpeedButton4)) Form1->ScopeState.Settings.TriggerSource = channel == 1 ? 16 : 0;
}
void RisingEdgeButton() {
  if (!Press(&FrontPanelControls::SpeedButton5)) Form1->ScopeState.Settings.TriggerSlope = 32;
}

// Run and Single up on both windows, both stop flags set, their timers stopped.
void StopAcquisition() { Form1->ReleaseRunAndSingle(); }

// Every math mode off (with its menu check) and the math button hidden; back
// to the oscilloscope when the spectrum analyser is shown.
void PlainScopeDisplay() {
  using MathItem = std::pair<TMenuItem*, TMenuItem*>;  // the main window's and the twin panel's
  const MathItem items[] = {{Form1->CH1CH21, Form11 ? Form11->CH1CH21 : nullptr},
                            {Form1->CH1CH22, Form11 ? Form11->CH1CH22 : nullptr},
                            {Form1->InvertCH21, Form11 ? Form11->InvertCH21 : nullptr},
                            {Form1->XYplot1, Form11 ? Form11->XYplot1 : nullptr}};
  for (auto [item, twin] : items) {
    // A checked mode goes off through its own handler, which tidies up after it.
    if (item && item->Checked() && item->OnClick) item->OnClick(item);
    for (TMenuItem* i : {item, twin})
      if (i) i->SetChecked(false);
  }
  Form1->ScopeState.MathOff = 1;
  Form1->ScopeState.InvertCh2Mode = 0;
  for (TSpeedButton* math : {Form1->SpeedButton21, TwinControl(&FrontPanelControls::SpeedButton21)})
    if (math) math->SetVisible(false);
  if (Form1->ScopeState.SpectrumMode) Press(&FrontPanelControls::SpeedButton22);
}

// Both channels shown, through their "On" buttons.
void BothChannelsShown() {
  if (!Press(&FrontPanelControls::CH1on)) Form1->ScopeState.Settings.Channels[0].On = 1;
  if (!Press(&FrontPanelControls::CH2on)) Form1->ScopeState.Settings.Channels[1].On = 1;
}

}  // namespace engine::calibration
