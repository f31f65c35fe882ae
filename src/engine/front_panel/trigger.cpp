// The trigger group of the front panel: source, slope, on/off and the level
// bar. Each handler sets the trigger in the scope's settings, which the
// settings packet carries and the buttons of both panels show, and keeps the
// level and position ticks on the picture and the status label and panel in
// step.
#include <algorithm>
#include <string>

#include "display/display_state.h"
#include "display/graticule.h"
#include "engine/control_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace engine::front_panel {
namespace {

constexpr TColor kTriggerOnPanelColor = 0xC0B0B0;

constexpr std::uint8_t kTriggerOffCode = 64;

// The level the device (or the demo trigger search) works from: the demo
// source counts its codes the other way up.
std::uint8_t DeviceLevelFor(const engine::WithScopeStates& states, int position) {
  const auto p = static_cast<std::uint8_t>(std::clamp(position, 0, 255));
  return states.ScopeState.DemoMode ? static_cast<std::uint8_t>(255 - p) : p;
}

}  // namespace

// ---------------------------------------------------------------- source

void FrontPanelController::TriggerSourceClick(TriggerSource source) {
  const std::uint8_t code = SourceCode(source);
  host_.putsataanko();
  if (ScopeState.Settings.TriggerSource == code) {
    ShowTrigger();
    return;
  }

  // The ticks take the new source's colour: drawn again in the old pen
  // (which takes them off), then in the new one.
  const bool positionTick = !ScopeState.SpectrumMode && view_.LineDrawn;
  if (DisplayState.TriggerOn) host_.t_viiva();
  if (positionTick) host_.viiva();
  ScopeState.Settings.TriggerSource = code;
  ShowTrigger();
  if (DisplayState.TriggerOn) host_.t_viiva();
  if (positionTick) host_.viiva();
  window_.Image1->Invalidate();

  asetus("", 0);
  if (ScopeState.Settings.TriggerOff == 0) ShowTriggerState();
  TriggerLevelChange();
}

// ---------------------------------------------------------------- slope

void FrontPanelController::TriggerSlopeClick(TriggerSlope slope) {
  const auto code = static_cast<std::uint8_t>(slope);
  const bool changed = ScopeState.Settings.TriggerSlope != code;
  ScopeState.Settings.TriggerSlope = code;
  ShowTrigger();
  if (changed) asetus("", 0);
}

// ---------------------------------------------------------------- on and off

void FrontPanelController::TriggerOnClick() {
  const bool changed = ScopeState.Settings.TriggerOff != 0;
  ScopeState.Settings.TriggerOff = 0;
  ScopeState.Settings.TriggerWanted = 1;
  ShowTrigger();
  if (changed) asetus("", 0);
  host_.putsataanko();

  host_.SetStatusText("Trigger on");
  ShowTriggerState();
  if (!DisplayState.TriggerOn) {
    host_.t_viiva();
    DisplayState.TriggerOn = 1;
  }
  window_.Timer2->SetEnabled(true);
  ScopeState.TriggerWaitTicks = 0;
}

void FrontPanelController::TriggerOffClick() {
  const bool changed = ScopeState.Settings.TriggerOff != kTriggerOffCode;
  ScopeState.Settings.TriggerOff = kTriggerOffCode;
  ScopeState.Settings.TriggerWanted = 0;
  ShowTrigger();
  if (changed) asetus("", 0);
  host_.putsataanko();

  host_.SetStatusText("Trigger off");
  ShowTriggerState();
  if (DisplayState.TriggerOn) {
    host_.t_viiva();
    DisplayState.TriggerOn = 0;
  }
  window_.Timer2->SetEnabled(false);
  ScopeState.TriggerWaitTicks = 0;
}

void FrontPanelController::ShowTriggerState() {
  const bool on = ScopeState.Settings.TriggerOff == 0;
  const TColor text = on ? display::TriggerLabelColor(engine::CurrentColorTable(*this), ScopeState.Settings.TriggerSource, ScopeState.InvertCh2Mode && !ScopeState.MathOff) : clBlack;
  const TColor panel = on ? kTriggerOnPanelColor : clBtnFace;
  SetFontColorOf(panel_.Label3, text);
  SetFontColorOf(TwinControl(&FrontPanelControls::Label3), text);
  for (TPanel* p : {panel_.Panel2, TwinControl(&FrontPanelControls::Panel2)})
    if (p) p->SetColor(panel);
}

void FrontPanelController::ShowTrigger() {
  using FP = FrontPanelControls;
  const engine::ScopeSettings& s = ScopeState.Settings;
  static constexpr engine::PanelButton kSources[3] = {&FP::SpeedButton3, &FP::SpeedButton4, &FP::SpeedButton_ext};
  const engine::PanelButton shown[3] = {kSources[engine::TriggerSourceIndex(s)],
                                        s.TriggerSlope == 0 ? &FP::SpeedButton6 : &FP::SpeedButton5,
                                        s.TriggerOff == 0 ? &FP::SpeedButton7 : &FP::SpeedButton8};
  for (FrontPanelControls* panel : {&panel_, static_cast<FrontPanelControls*>(Form11)})
    if (panel)
      for (const engine::PanelButton button : shown)
        if (panel->*button) (panel->*button)->SetDown(true);
}

// ---------------------------------------------------------------- level

void FrontPanelController::TriggerLevelChange() {
  ScopeState.CaptureCount = 0;
  host_.putsataanko();
  const int position = panel_.TrackBar3->Position();
  if (DisplayState.TriggerOn) {
    host_.t_viiva();
    ScopeState.Settings.TriggerLevel = static_cast<std::uint8_t>(position);
    host_.t_viiva();
    window_.Image1->Invalidate();
  } else {
    ScopeState.Settings.TriggerLevel = static_cast<std::uint8_t>(position);
  }
  ScopeState.Settings.DeviceTriggerLevel = DeviceLevelFor(*this, position);
  ShowTriggerLevel();
  Set500();
}

void FrontPanelController::ShowTriggerLevel() {
  const std::uint8_t level = ScopeState.Settings.TriggerLevel;
  // The twin's bar handler comes back to the main bar only on a real change.
  for (TTrackBar* bar : {panel_.TrackBar3, TwinControl(&FrontPanelControls::TrackBar3)})
    if (bar && bar->Position() != level) bar->SetPosition(level);
}

void FrontPanelController::RefreshDeviceTriggerLevel() {
  // The level differs between the two modes for every position, so an
  // equal level means the mode did not change: nothing to send.
  const std::uint8_t level = DeviceLevelFor(*this, panel_.TrackBar3->Position());
  if (level == ScopeState.Settings.DeviceTriggerLevel) return;
  ScopeState.Settings.DeviceTriggerLevel = level;
  Set500();
}

}  // namespace engine::front_panel
