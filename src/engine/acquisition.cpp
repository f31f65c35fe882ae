// The capture loops: Run (continuous captures on a 10 ms tick), Single (one
// capture on the same kind of tick), the blocking single capture other
// instruments call and the recorder's start capture.
#include <chrono>

#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/os/numeric.h"
#include "platform/ui/vcl.h"

namespace {

constexpr std::uint32_t kBlockTimeoutMs = 200;
constexpr std::uint32_t kRecorderBlockTimeoutMs = 20;
// The Run and Single ticks poll one status byte, the blocking loops four.
constexpr std::uint32_t kTickPollBytes = 1;
constexpr std::uint32_t kLoopPollBytes = 4;
constexpr std::int32_t kCaptureTakenBit = 4;  // in StartupTick: a capture has been taken

bool DeviceTriggerOn(const engine::WithScopeStates& states) { return engine::DeviceFrontEnd(states.ScopeState, states.ScopeState.Settings).TriggerOff == 0; }

// A waiting loop yields the processor between polls instead of spinning.
void IdleWait() { program_clock::Sleep(std::chrono::milliseconds(1)); }

}  // namespace

// ---------------------------------------------------------------- Run

bool TForm1::RefusedWithoutDevice() {
  if (!LinkLost()) return false;
  // The device was lost earlier and neither it nor demo mode was chosen
  // again: a loop would wait for nothing, so the user hears how to go on.
  MessageDlg(kNoDeviceToCaptureText, mtInformation, mbOK, 0);
  return true;
}

void TForm1::SpeedButtonRunClick(TObject* /*Sender*/) {
  if (SpeedButtonRun->Down() && RefusedWithoutDevice()) {
    SetRunDown(false);
    return;
  }
  if (SpeedButtonRun->Down()) {
    SetSingleEnabled(false);
    StartHistoryRecording();
    if (auto* twin = TwinControl(&FrontPanelControls::SpeedButtonRun)) twin->SetDown(true);
    RedrawWithoutPositionOffset();
    if (ScopeState.ClearOnRunSingle) {
      poisto();
      ScopeState.TracesShown = 0;
    }
    RunPhase = 0;
    Fasttimer1->SetEnabled(true);
    return;
  }
  ScopeState.TracesShown = 1;
  SetSingleEnabled(true);
  Fasttimer1->SetEnabled(false);
  RunPhase = 5;
  SetRunDown(false);
  ScopeState.AcquisitionIdle = 1;
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  // Nothing waits for a trigger or a demo capture any more.
  Timer2->SetEnabled(false);
  Timer4->SetEnabled(false);
  DemoPaceTicks = 0;
  SetStatusText("Stopped");
  if (engine::ActivePersistence(*this) == 2) poisto();
  if (!ScopeState.SpectrumMode) ShowNewestHistory();
}

void TForm1::EndRunLoop() {
  // Whoever set RunStop may have put Run up without its handler: leave the
  // controls as a released Run leaves them.
  RunPhase = 5;
  Timer2->SetEnabled(false);
  Timer4->SetEnabled(false);
  DemoPaceTicks = 0;
  if (!SpeedButtonRun->Down()) SetSingleEnabled(true);
  // A Single loop that took over keeps the acquisition busy itself.
  if (ScopeState.SingleStop) ScopeState.AcquisitionIdle = 1;
}

void TForm1::FastTimer1Timer(TObject* /*Sender*/) {
  Fasttimer1->SetEnabled(false);
  if (RunPhase == 5) return;
  const std::int32_t phase = RunPhase++;

  if (phase == 0) {
    LeaveFileDisplay();
    ScopeState.SettingsChanged = 1;
    ScopeState.AcquisitionIdle = 0;
    TrackBar1Change(this);
    TrackBar2Change(this);
    asetus("", 0);
    ScopeState.AverageBlend = 0;
    ScopeState.SingleStop = 1;
    SetSingleDown(false);
    putsataanko();
    ScopeState.RunStop = 0;
    if (!ScopeState.DemoMode) device_.Resetoi_500();
    RunningShown = 0;
    SetStatusText("Running");
  }
  if ((phase == 0 || phase == 1) && DeviceTriggerOn(*this)) {
    Timer2->SetEnabled(true);
    ScopeState.TriggerWaitTicks = 0;
  }
  RunPhase = 2;
  if (DeviceTriggerOn(*this) && ScopeState.TriggerWaitTicks > 2) {
    SetStatusText("Waiting for trigger");
    RunningShown = 0;
    ScopeState.TriggerWaitTicks = 0;
    Timer2->SetEnabled(false);
  }

  Application->ProcessMessages();

  if (ScopeState.DemoMode) {
    CaptureReady = 0;
    triggaa_demo();
    if (DemoPaceTicks == 0) {
      const std::int64_t pace = numeric::Round(ScopeState.TimePerDiv / 100000.0);
      if (pace == 0) {
        DemoPaceTicks = 2;
      } else {
        DemoPaceTicks = 1;
        Timer4->SetInterval(static_cast<unsigned>(pace + 1));
        Timer4->SetEnabled(true);
      }
    }
    if (device_.Demo().Triggered() && DemoPaceTicks > 1) CaptureReady = 16;
  } else {
    CaptureReady = device_.DeviceCaptureStep(kTickPollBytes, kBlockTimeoutMs) ? 16 : 0;
    if (LinkLost()) {
      // The device is gone (and the user has been told): Run ends as if released.
      if (SpeedButtonRun->Down()) {
        SpeedButtonRun->SetDown(false);
        SpeedButtonRunClick(this);
      } else {
        EndRunLoop();
      }
      return;
    }
  }
  if (ScopeState.RunStop) {
    EndRunLoop();
    return;
  }

  if (CaptureReady == 16) {
    ScopeState.TracesShown = 1;
    RunPhase = 1;
    ScopeState.StartupTick |= kCaptureTakenBit;
    Timer4->SetEnabled(false);
    DemoPaceTicks = 0;
    if (PersistDown() && ScopeState.AcquisitionLimit != 0 && ScopeState.AcquisitionCountdown != 0) {
      --ScopeState.AcquisitionCountdown;
      if (ScopeState.AcquisitionCountdown == 0) {
        // This capture is still drawn; Run is over after it.
        SpeedButtonRun->SetDown(false);
        SpeedButtonRunClick(this);
      }
    }
    if (!RunningShown && RunPhase != 5) {
      SetStatusText("Running");
      RunningShown = 1;
    }
    PostCaptureSteps(CaptureMode::Run);
  }
  if (RunPhase != 5) Fasttimer1->SetEnabled(true);
}

// ---------------------------------------------------------------- Single

// The steps a single capture starts with, from the Single button or a
// blocking capture: positions and settings to the device, Run stopped, the
// picture wiped when pending.
void TForm1::ApplySettingsForSingle() {
  if (!ScopeState.Calibrating) {
    TrackBar1Change(this);
    TrackBar2Change(this);
  }
  asetus("", 0);
  ScopeState.AverageBlend = 0;
  ScopeState.RunStop = 1;
  SetRunDown(false);
  putsataanko();
}

void TForm1::SpeedButtonSingleClick(TObject* /*Sender*/) {
  if (SpeedButtonSingle->Down() && RefusedWithoutDevice()) {
    SetSingleDown(false);
    return;
  }
  const bool down = SpeedButtonSingle->Down();
  MirrorToTwin(*this, &FrontPanelControls::SpeedButtonSingle);
  RedrawWithoutPositionOffset();
  if (ScopeState.ClearOnRunSingle) {
    poisto();
    ScopeState.TracesShown = 0;
  }
  LeaveFileDisplay();
  ScopeState.SettingsChanged = 1;
  if (down) {
    StartHistoryRecording();
    ApplySettingsForSingle();
    if (!ScopeState.DemoMode) device_.Resetoi_500();
    ScopeState.SingleStop = 0;
    ScopeState.SinglePhase = 0;
    ScopeState.AcquisitionIdle = 0;
    Fasttimer2->SetEnabled(true);
    return;
  }
  ScopeState.TracesShown = 1;
  if (!ScopeState.SpectrumMode) ShowNewestHistory();
  SetStatusText("Stopped");
  ScopeState.SingleStop = 1;
  ScopeState.RunStop = 1;
  Fasttimer2->SetEnabled(false);
  ScopeState.SinglePhase = 5;
  ScopeState.AcquisitionIdle = 1;
}

void TForm1::FastTimer2Timer(TObject* /*Sender*/) {
  Fasttimer2->SetEnabled(false);
  // A loaded data file is drawn through here without the device.
  if (!ScopeState.ScopeFileReplay) {
    if (ScopeState.SinglePhase == 5) return;
    if (ScopeState.SinglePhase++ == 0) SetStatusText(DeviceTriggerOn(*this) ? "Waiting for trigger" : "Acquiring data");
    Application->ProcessMessages();
    if (ScopeState.DemoMode) {
      triggaa_demo();
      CaptureReady = device_.Demo().Triggered() ? 16 : 0;
    } else {
      CaptureReady = device_.DeviceCaptureStep(kTickPollBytes, kBlockTimeoutMs) ? 16 : 0;
      if (LinkLost()) {
        SetSingleDown(false);
        SpeedButtonSingleClick(this);
        return;
      }
    }
    if (ScopeState.SingleStop) {
      ScopeState.AcquisitionIdle = 1;
      return;
    }
    if (CaptureReady != 16) {
      ScopeState.SinglePhase = 1;
      Fasttimer2->SetEnabled(true);
      return;
    }
    ScopeState.SinglePhase = 5;
    ScopeState.StartupTick |= kCaptureTakenBit;
  }
  ScopeState.TracesShown = 1;
  SetStatusText(DeviceTriggerOn(*this) ? "Trigged" : "Ready");
  PostCaptureSteps(CaptureMode::Single);
  if (!ScopeState.SpectrumMode) ShowNewestHistory();
  SetSingleDown(false);
  ScopeState.AcquisitionIdle = 1;
}

// ---------------------------------------------------------------- blocking captures

void TForm1::SingleClick() {
  RedrawWithoutPositionOffset();
  if (!ScopeState.ScopeFileReplay) LeaveFileDisplay();
  ScopeState.SettingsChanged = 1;
  ApplySettingsForSingle();
  ScopeState.SingleStop = 0;
  ScopeState.AcquisitionIdle = 0;

  bool captured = ScopeState.ScopeFileReplay != 0;
  if (!ScopeState.ScopeFileReplay) {
    SetStatusText(DeviceTriggerOn(*this) ? "Waiting for trigger" : "Acquiring data");
    if (!ScopeState.DemoMode) device_.Resetoi_500();
    for (;;) {
      Application->ProcessMessages();
      // Stopped, closing, or no device left to wait for.
      if (ScopeState.SingleStop || Application->Terminated() || LinkLost()) break;
      if (ScopeState.DemoMode) {
        triggaa_demo();
        if (device_.Demo().Triggered()) {
          captured = true;
          break;
        }
      } else if (device_.DeviceCaptureStep(kLoopPollBytes, kBlockTimeoutMs)) {
        captured = true;
        break;
      }
      IdleWait();
    }
  }
  if (captured && !ScopeState.SingleStop) {
    SetStatusText(DeviceTriggerOn(*this) ? "Trigged" : "Ready");
    PostCaptureSteps(CaptureMode::Single);
  }
  SetSingleDown(false);
  ScopeState.AcquisitionIdle = 1;
}

bool TForm1::SingleClick0() {
  if (ScopeState.DemoMode || !device_.IsOpen()) return false;
  device_.Resetoi_500();
  const auto started = program_clock::Now();
  for (;;) {
    Application->ProcessMessages();
    if (Application->Terminated() || !device_.IsOpen()) return false;
    if (device_.DeviceCaptureStep(kLoopPollBytes, kRecorderBlockTimeoutMs)) return true;
    if (!device_.IsOpen()) return false;
    if (program_clock::MillisecondsSince(started) >= RecorderCaptureLimitMs) return false;
    IdleWait();
  }
}
