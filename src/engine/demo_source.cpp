// The demo source as the scope drives it: the buttons and bars a demo
// starts with, the "DEMO 1" / "DEMO 2" mark, and the synthetic captures
// handed to the capture's readers like the device's.
#include <chrono>

#include "device/demo_source.h"
#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "display/display_state.h"

namespace {

// The demo source's view of the scope's settings.
device::DemoSettings DemoSettingsNow(const TForm1& form) {
  device::DemoSettings s;
  s.TimePerDiv = form.ScopeState.TimePerDiv;
  s.Ch1GainCode = form.ScopeState.Settings.Ch1GainCode;
  s.Ch2GainCode = form.ScopeState.Settings.Ch2GainCode;
  s.Ch1Position = form.TrackBar1->Position();
  s.Ch2Position = form.TrackBar2->Position();
  s.TriggerOff = form.ScopeState.Settings.TriggerOff;
  s.TriggerSource = form.ScopeState.Settings.TriggerSource;
  s.TriggerSlope = form.ScopeState.Settings.TriggerSlope;
  s.DeviceTriggerLevel = form.ScopeState.Settings.DeviceTriggerLevel;
  return s;
}

}  // namespace

void TForm1::tee_demo_taulut() {
  ScopeState.ClearPending = 1;
  SpeedButton15v1->SetDown(true);
  SpeedButton15v1Click(this);
  SpeedButton15v2->SetDown(true);
  SpeedButton15v2Click(this);
  SpeedButton2ms->SetDown(true);
  SpeedButton2msClick(this);
  TrackBar1->SetPosition(-20);
  TrackBar2->SetPosition(20);
  device_.Demo().MakeShapes(ScopeState.DemoSourceTable,
                            static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));

  // The display periods follow the shapes just made.
  tee_demo();
}

void TForm1::tee_demo() {
  const bool demo1 = device_.Demo().BuildPeriods(ScopeState.DemoSourceTable, DemoSettingsNow(*this));
  TulostaTeksti(demo1 ? "DEMO 1" : "DEMO 2", ScopeState.ScreenX0 + 307, 3, DisplayState.BrightGridColor);
}

void TForm1::triggaa_demo() { device_.Demo().Trigger(ScopeState.DemoSourceTable, DemoSettingsNow(*this)); }

void TForm1::luedemo() {
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
