// The Run and Single buttons' state, the status text, the trigger-wait and demo-pace counters, and the stops.
#include <string>

#include "engine/acquisition/acquisition_controller.h"

#include "engine/control_panel.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace engine::acquisition {

AcquisitionController::AcquisitionController(const engine::ScopeStates& states, AcquisitionHost& host,
                                             device::ScopeDevice& device, FrontPanelControls& panel,
                                             const AcquisitionControls& controls)
    : engine::WithScopeStates(states), host_(host), device_(device), panel_(panel), controls_(controls) {}

void AcquisitionController::SetStatusText(const std::string& text) {
  if (panel_.Label3) panel_.Label3->SetCaption(text);
  if (auto* twin = TwinControl(&FrontPanelControls::Label3)) twin->SetCaption(text);
}

void AcquisitionController::SetRunDown(bool down) {
  panel_.SpeedButtonRun->SetDown(down);
  MirrorToTwin(panel_, &FrontPanelControls::SpeedButtonRun);
}

void AcquisitionController::SetSingleDown(bool down) {
  panel_.SpeedButtonSingle->SetDown(down);
  MirrorToTwin(panel_, &FrontPanelControls::SpeedButtonSingle);
}

void AcquisitionController::SetSingleEnabled(bool enabled) {
  panel_.SpeedButtonSingle->SetEnabled(enabled);
  if (auto* twin = TwinControl(&FrontPanelControls::SpeedButtonSingle)) twin->SetEnabled(enabled);
}

bool AcquisitionController::PersistDown() const {
  return panel_.SpeedButton23 && panel_.SpeedButton23->Down();
}

bool AcquisitionController::LinkLost() const { return !ScopeState.DemoMode && !device_.IsOpen(); }

void AcquisitionController::LeaveFileDisplay() {
  ScopeState.DataFileName.clear();
  TForm& window = controls_.Window;
  window.SetCaption(window.Caption().find("Darvik") != std::string::npos ? "Darvik48" : "Spectrum analyzer");
  ScopeState.Channels[0].FileGround = display::kNoFileGround;
  ScopeState.Channels[1].FileGround = display::kNoFileGround;
}

void AcquisitionController::Timer2Timer(TObject* /*Sender*/) {
  if (ScopeState.TriggerWaitTicks < 255) ++ScopeState.TriggerWaitTicks;
}

void AcquisitionController::Timer4Timer(TObject* /*Sender*/) {
  if (DemoPaceTicks < 255) ++DemoPaceTicks;
}

void AcquisitionController::Timer6Timer(TObject* /*Sender*/) {
  controls_.Timer6.SetEnabled(false);
  controls_.Timer6Fired = 1;
}

void AcquisitionController::ReleaseRunAndSingle() {
  if (panel_.SpeedButtonRun->Down()) {
    panel_.SpeedButtonRun->SetDown(false);
    SpeedButtonRunClick(&controls_.Window);
  }
  if (panel_.SpeedButtonSingle->Down()) {
    panel_.SpeedButtonSingle->SetDown(false);
    SpeedButtonSingleClick(&controls_.Window);
  }
  StopRunAndSingleLoops();
}

void AcquisitionController::StopRunAndSingleLoops() {
  SetRunDown(false);
  SetSingleDown(false);
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  controls_.Fasttimer1.SetEnabled(false);
  controls_.Fasttimer2.SetEnabled(false);
}

void AcquisitionController::StopAndSettle() {
  if (!panel_.SpeedButtonRun->Down() && !panel_.SpeedButtonSingle->Down()) return;
  ReleaseRunAndSingle();
  WaitOneTimer6Tick();
}

void AcquisitionController::WaitOneTimer6Tick() {
  controls_.Timer6Fired = 0;
  controls_.Timer6.SetEnabled(true);
  Application->ProcessMessagesUntil([this] { return controls_.Timer6Fired != 0; });
}

void AcquisitionController::Power_on_off() {
  panel_.SpeedButtonRun->SetDown(false);
  panel_.SpeedButtonSingle->SetDown(false);
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
}

}  // namespace engine::acquisition
