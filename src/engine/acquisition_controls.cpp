// The Run and Single buttons' state, the status text, the trigger-wait and demo-pace counters, and the stops.
#include <string>

#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

void TForm1::CreateAcquisitionControls() {
  SpeedButtonRun->OnClick = [this](TObject* s) { SpeedButtonRunClick(s); };
  SpeedButtonSingle->OnClick = [this](TObject* s) { SpeedButtonSingleClick(s); };

}

void TForm1::SetStatusText(const std::string& text) {
  if (Label3) Label3->SetCaption(text);
  if (auto* twin = TwinControl(&FrontPanelControls::Label3)) twin->SetCaption(text);
}

void TForm1::SetRunDown(bool down) {
  SpeedButtonRun->SetDown(down);
  MirrorToTwin(*this, &FrontPanelControls::SpeedButtonRun);
}

void TForm1::SetSingleDown(bool down) {
  SpeedButtonSingle->SetDown(down);
  MirrorToTwin(*this, &FrontPanelControls::SpeedButtonSingle);
}

void TForm1::SetSingleEnabled(bool enabled) {
  SpeedButtonSingle->SetEnabled(enabled);
  if (auto* twin = TwinControl(&FrontPanelControls::SpeedButtonSingle)) twin->SetEnabled(enabled);
}

bool TForm1::PersistDown() const {
  return SpeedButton23 && SpeedButton23->Down();
}

bool TForm1::LinkLost() const { return !ScopeState.DemoMode && !device_.IsOpen(); }

void TForm1::LeaveFileDisplay() {
  ScopeState.DataFileName.clear();
  SetCaption(Caption().find("Darvik") != std::string::npos ? "Darvik48" : "Spectrum analyzer");
  ScopeState.FileCh1Ground = 10000;
  ScopeState.FileCh2Ground = 10000;
}

void TForm1::Timer2Timer(TObject* /*Sender*/) {
  if (ScopeState.TriggerWaitTicks < 255) ++ScopeState.TriggerWaitTicks;
}

void TForm1::Timer4Timer(TObject* /*Sender*/) {
  if (DemoPaceTicks < 255) ++DemoPaceTicks;
}

void TForm1::ReleaseRunAndSingle() {
  if (SpeedButtonRun->Down()) {
    SpeedButtonRun->SetDown(false);
    SpeedButtonRunClick(this);
  }
  if (SpeedButtonSingle->Down()) {
    SpeedButtonSingle->SetDown(false);
    SpeedButtonSingleClick(this);
  }
  StopRunAndSingleLoops();
}

void TForm1::StopRunAndSingleLoops() {
  SetRunDown(false);
  SetSingleDown(false);
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  Fasttimer1->SetEnabled(false);
  Fasttimer2->SetEnabled(false);
}

void TForm1::StopAndSettle() {
  if (!SpeedButtonRun->Down() && !SpeedButtonSingle->Down()) return;
  ReleaseRunAndSingle();
  WaitOneTimer6Tick();
}

void TForm1::WaitOneTimer6Tick() {
  Timer6Fired = 0;
  Timer6->SetEnabled(true);
  Application->ProcessMessagesUntil([this] { return Timer6Fired != 0; });
}
