// The capture loops: Run (continuous captures on a 10 ms tick), Single (one
// capture on the same kind of tick), the blocking single capture other
// instruments call and the recorder's start capture.
#include <chrono>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"

#include "engine/control_panel.h"
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

namespace engine::acquisition {

// ---------------------------------------------------------------- Run

bool AcquisitionController::RefusedWithoutDevice() {
  if (!LinkLost()) return false;
  // The device was lost earlier and neither it nor demo mode was chosen
  // again: a loop would wait for nothing, so the user hears how to go on.
  MessageDlg(kNoDeviceToCaptureText, mtInformation, mbOK, 0);
  return true;
}

void AcquisitionController::SpeedButtonRunClick(TObject* /*Sender*/) {
  if (panel_.SpeedButtonRun->Down() && RefusedWithoutDevice()) {
    SetRunDown(false);
    return;
  }
  if (panel_.SpeedButtonRun->Down()) {
    SetSingleEnabled(false);
    host_.StartHistoryRecording();
    if (auto* twin = TwinControl(&FrontPanelControls::SpeedButtonRun)) twin->SetDown(true);
    host_.RedrawWithoutPositionOffset();
    if (ScopeState.ClearOnRunSingle) {
      host_.poisto();
      ScopeState.TracesShown = 0;
    }
    Phase = RunPhase::Start;
    controls_.Fasttimer1.SetEnabled(true);
    return;
  }
  ScopeState.TracesShown = 1;
  SetSingleEnabled(true);
  controls_.Fasttimer1.SetEnabled(false);
  Phase = RunPhase::Stopped;
  SetRunDown(false);
  ScopeState.AcquisitionIdle = 1;
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  // Nothing waits for a trigger or a demo capture any more.
  controls_.Timer2.SetEnabled(false);
  controls_.Timer4.SetEnabled(false);
  DemoPaceTicks = 0;
  SetStatusText("Stopped");
  if (engine::ActivePersistence(*this) == 2) host_.poisto();
  if (!ScopeState.SpectrumMode) host_.ShowNewestHistory();
}

void AcquisitionController::EndRunLoop() {
  // Whoever set RunStop may have put Run up without its handler: leave the
  // controls as a released Run leaves them.
  Phase = RunPhase::Stopped;
  controls_.Timer2.SetEnabled(false);
  controls_.Timer4.SetEnabled(false);
  DemoPaceTicks = 0;
  if (!panel_.SpeedButtonRun->Down()) SetSingleEnabled(true);
  // A Single loop that took over keeps the acquisition busy itself.
  if (ScopeState.SingleStop) ScopeState.AcquisitionIdle = 1;
}

void AcquisitionController::FastTimer1Timer(TObject* /*Sender*/) {
  controls_.Fasttimer1.SetEnabled(false);
  if (Phase == RunPhase::Stopped) return;
  const RunPhase phase = Phase;

  if (phase == RunPhase::Start) {
    LeaveFileDisplay();
    ScopeState.SettingsChanged = 1;
    ScopeState.AcquisitionIdle = 0;
    host_.FrontPanel().TrackBar1Change(&controls_.Window);
    host_.FrontPanel().TrackBar2Change(&controls_.Window);
    host_.FrontPanel().asetus("", 0);
    ScopeState.AverageBlend = 0;
    ScopeState.SingleStop = 1;
    SetSingleDown(false);
    host_.putsataanko();
    ScopeState.RunStop = 0;
    if (!ScopeState.DemoMode) device_.Resetoi_500();
    RunningShown = 0;
    SetStatusText("Running");
  }
  if ((phase == RunPhase::Start || phase == RunPhase::AfterCapture) && DeviceTriggerOn(*this)) {
    controls_.Timer2.SetEnabled(true);
    ScopeState.TriggerWaitTicks = 0;
  }
  Phase = RunPhase::Waiting;
  if (DeviceTriggerOn(*this) && ScopeState.TriggerWaitTicks > 2) {
    SetStatusText("Waiting for trigger");
    RunningShown = 0;
    ScopeState.TriggerWaitTicks = 0;
    controls_.Timer2.SetEnabled(false);
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
        controls_.Timer4.SetInterval(static_cast<unsigned>(pace + 1));
        controls_.Timer4.SetEnabled(true);
      }
    }
    if (device_.Demo().Triggered() && DemoPaceTicks > 1) CaptureReady = 16;
  } else {
    CaptureReady = device_.DeviceCaptureStep(kTickPollBytes, kBlockTimeoutMs) ? 16 : 0;
    if (LinkLost()) {
      // The device is gone (and the user has been told): Run ends as if released.
      if (panel_.SpeedButtonRun->Down()) {
        panel_.SpeedButtonRun->SetDown(false);
        SpeedButtonRunClick(&controls_.Window);
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
    Phase = RunPhase::AfterCapture;
    ScopeState.StartupTick |= kCaptureTakenBit;
    controls_.Timer4.SetEnabled(false);
    DemoPaceTicks = 0;
    if (PersistDown() && ScopeState.AcquisitionLimit != 0 && ScopeState.AcquisitionCountdown != 0) {
      --ScopeState.AcquisitionCountdown;
      if (ScopeState.AcquisitionCountdown == 0) {
        // This capture is still drawn; Run is over after it.
        panel_.SpeedButtonRun->SetDown(false);
        SpeedButtonRunClick(&controls_.Window);
      }
    }
    if (!RunningShown && Phase != RunPhase::Stopped) {
      SetStatusText("Running");
      RunningShown = 1;
    }
    PostCaptureSteps(CaptureMode::Run);
  }
  if (Phase != RunPhase::Stopped) controls_.Fasttimer1.SetEnabled(true);
}

// ---------------------------------------------------------------- Single

// The steps a single capture starts with, from the Single button or a
// blocking capture: positions and settings to the device, Run stopped, the
// picture wiped when pending.
void AcquisitionController::ApplySettingsForSingle() {
  if (!ScopeState.Calibrating) {
    host_.FrontPanel().TrackBar1Change(&controls_.Window);
    host_.FrontPanel().TrackBar2Change(&controls_.Window);
  }
  host_.FrontPanel().asetus("", 0);
  ScopeState.AverageBlend = 0;
  ScopeState.RunStop = 1;
  SetRunDown(false);
  host_.putsataanko();
}

void AcquisitionController::SpeedButtonSingleClick(TObject* /*Sender*/) {
  if (panel_.SpeedButtonSingle->Down() && RefusedWithoutDevice()) {
    SetSingleDown(false);
    return;
  }
  const bool down = panel_.SpeedButtonSingle->Down();
  MirrorToTwin(panel_, &FrontPanelControls::SpeedButtonSingle);
  host_.RedrawWithoutPositionOffset();
  if (ScopeState.ClearOnRunSingle) {
    host_.poisto();
    ScopeState.TracesShown = 0;
  }
  LeaveFileDisplay();
  ScopeState.SettingsChanged = 1;
  if (down) {
    host_.StartHistoryRecording();
    ApplySettingsForSingle();
    if (!ScopeState.DemoMode) device_.Resetoi_500();
    ScopeState.SingleStop = 0;
    ScopeState.SinglePhase = 0;
    ScopeState.AcquisitionIdle = 0;
    controls_.Fasttimer2.SetEnabled(true);
    return;
  }
  ScopeState.TracesShown = 1;
  if (!ScopeState.SpectrumMode) host_.ShowNewestHistory();
  SetStatusText("Stopped");
  ScopeState.SingleStop = 1;
  ScopeState.RunStop = 1;
  controls_.Fasttimer2.SetEnabled(false);
  ScopeState.SinglePhase = 5;
  ScopeState.AcquisitionIdle = 1;
}

void AcquisitionController::FastTimer2Timer(TObject* /*Sender*/) {
  controls_.Fasttimer2.SetEnabled(false);
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
        SpeedButtonSingleClick(&controls_.Window);
        return;
      }
    }
    if (ScopeState.SingleStop) {
      ScopeState.AcquisitionIdle = 1;
      return;
    }
    if (CaptureReady != 16) {
      ScopeState.SinglePhase = 1;
      controls_.Fasttimer2.SetEnabled(true);
      return;
    }
    ScopeState.SinglePhase = 5;
    ScopeState.StartupTick |= kCaptureTakenBit;
  }
  ScopeState.TracesShown = 1;
  SetStatusText(DeviceTriggerOn(*this) ? "Trigged" : "Ready");
  PostCaptureSteps(CaptureMode::Single);
  if (!ScopeState.SpectrumMode) host_.ShowNewestHistory();
  SetSingleDown(false);
  ScopeState.AcquisitionIdle = 1;
}

// ---------------------------------------------------------------- blocking captures

void AcquisitionController::SingleClick() {
  host_.RedrawWithoutPositionOffset();
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

bool AcquisitionController::SingleClick0() {
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

}  // namespace engine::acquisition
