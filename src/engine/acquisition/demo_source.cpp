// The demo source as the scope drives it: the buttons and bars a demo
// starts with, the "DEMO 1" / "DEMO 2" mark, and the synthetic captures
// handed to the capture's readers like the device's.
#include <chrono>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"

#include "device/demo_source.h"
#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "display/display_state.h"

namespace {

// The demo source's view of the scope's settings.
device::DemoSettings DemoSettingsNow(const engine::WithScopeStates& states, const FrontPanelControls& panel) {
  device::DemoSettings s;
  s.TimePerDiv = states.ScopeState.TimePerDiv;
  s.Channels[0].GainCode = states.ScopeState.Settings.Channels[0].GainCode;
  s.Channels[1].GainCode = states.ScopeState.Settings.Channels[1].GainCode;
  s.Channels[0].Position = panel.TrackBar1->Position();
  s.Channels[1].Position = panel.TrackBar2->Position();
  s.TriggerOff = states.ScopeState.Settings.TriggerOff;
  s.TriggerSource = states.ScopeState.Settings.TriggerSource;
  s.TriggerSlope = states.ScopeState.Settings.TriggerSlope;
  s.DeviceTriggerLevel = states.ScopeState.Settings.DeviceTriggerLevel;
  return s;
}

}  // namespace

namespace engine::acquisition {

void AcquisitionController::tee_demo_taulut() {
  ScopeState.ClearPending = 1;
  panel_.SpeedButton15v1->SetDown(true);
  host_.FrontPanel().SpeedButton15v1Click(&controls_.Window);
  panel_.SpeedButton15v2->SetDown(true);
  host_.FrontPanel().SpeedButton15v2Click(&controls_.Window);
  panel_.SpeedButton2ms->SetDown(true);
  host_.FrontPanel().SpeedButton2msClick(&controls_.Window);
  panel_.TrackBar1->SetPosition(-20);
  panel_.TrackBar2->SetPosition(20);
  device_.Demo().MakeShapes(ScopeState.DemoSourceTable,
                            static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));

  // The display periods follow the shapes just made.
  tee_demo();
}

void AcquisitionController::tee_demo() {
  const bool demo1 = device_.Demo().BuildPeriods(ScopeState.DemoSourceTable, DemoSettingsNow(*this, panel_));
  host_.TulostaTeksti(demo1 ? "DEMO 1" : "DEMO 2", ScopeState.ScreenX0 + 307, 3, DisplayState.BrightGridColor);
}

void AcquisitionController::triggaa_demo() { device_.Demo().Trigger(ScopeState.DemoSourceTable, DemoSettingsNow(*this, panel_)); }

void AcquisitionController::luedemo() {
  if (ScopeState.SettingsChanged) {
    ScopeState.WindowSkip = 3;
    ScopeState.SmoothWeight = 0.5;
    ScopeState.SmoothKeep = 0.5;
  }
  const auto& held = ScopeState.SpectrumMode ? ScopeState.SpectrumInputBlock : ScopeState.ScopeSampleBlock;
  engine::TakeNewCapture(*this,
                         device_.Demo().NextCapture(ScopeState.DemoSourceTable, held, ScopeState.SpectrumMode != 0,
                                                    engine::CurrentCaptureSettings(*this)));
}

}  // namespace engine::acquisition
