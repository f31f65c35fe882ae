// The capture loops: Run (continuous captures on a 10 ms tick), Single (one
// capture on the same kind of tick), the blocking single capture other
// instruments call, the recorder's start capture, and the steps every capture
// goes through once it has arrived.
#include <chrono>

#include "engine/big_screen.h"
#include "engine/measurement_window.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "engine/scope_state.h"
#include "engine/spectrum_hold.h"
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

// ---------------------------------------------------------------- controls

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

// ---------------------------------------------------------------- after a capture

void TForm1::PostCaptureSteps(CaptureMode mode) {
  const bool run = mode == CaptureMode::Run;

  // The erase needs the old samples.
  poisto();
  ScopeState.PlotMethod = ScopeState.Settings.TimeBaseRow == engine::kTimeBase02us ? 1
                          : ScopeState.Settings.TimeBaseRow == engine::kTimeBase01us ? 2 : 0;

  // The new trace is shown at the time base it was taken with.
  if (!ScopeState.SpectrumMode) {
    ScopeState.Magnification = ScopeState.SampleStep;
    ScopeState.ShownTimePerDiv = ScopeState.TimePerDiv;
  }

  // The capture, made once: by the unpacking or the demo source, which hand
  // it to averaging and history; or from a replayed data file, which is
  // already in the block. The readers below each take it in turn.
  display::Capture& capture = ScopeState.NewestCapture;
  if (ScopeState.ScopeFileReplay) engine::CaptureHeldSamples(*this, capture);
  else if (ScopeState.DemoMode) luedemo();
  else engine::UnpackDeviceCapture(*this, device_);

  // The device captures the next block while this one is drawn; also after
  // the capture that ends Run, so the device is armed as after any Run capture.
  if (run && !ScopeState.DemoMode) device_.Resetoi_500();

  // Read-outs, thinned in Run at the fast time bases.
  if (!run || MeasureCounter > 5 || ScopeState.TimePerDiv > 1000000) {
    rms_out(capture);
    if (Form_99 && Form_99->Visible()) measure(capture);
    if (run) {
      MeasureCounter = 0;
      if (ScopeState.ExtendCalTime) ExtendedCalibrationStep();
    }
  }
  if (run) ++MeasureCounter;

  // Spectrum.
  if (ScopeState.SpectrumMode) {
    if (ScopeState.CaptureTimePerDiv != ScopeState.TimePerDiv) {
      ScopeState.CaptureTimePerDiv = ScopeState.TimePerDiv;
      if (MarkersFFTSpectralDensity1 && MarkersFFTSpectralDensity1->Checked()) kursoridb();
    }
    FFT(capture);
    if (run && ScopeState.FftAverageOn && !ScopeState.SettingsChanged) engine::average_fft(*this);
    if (ScopeState.LogFreqAxis) LinToLog();
    if (run) {
      if (ScopeState.FftMaximumOn && !ScopeState.SettingsChanged) engine::maximize_fft(*this);
      if (ScopeState.FftAverageOn || ScopeState.FftMaximumOn) engine::refresh_fft(*this);
    }
    ScopeState.SettingsChanged = 0;
  }

  // Labels for the files and the export; the magnified steps are all
  // captured at 5 us/div.
  ScopeState.ShareTimeDivText = ScopeState.TimePerDiv == 500 ? "5us" : ScopeState.TimeDivText;
  ScopeState.ShareCh1RangeText = ScopeState.Ch1RangeText;
  ScopeState.ShareCh2RangeText = ScopeState.Ch2RangeText;
  SaveShareData(capture);

  // The new trace on the picture, with its persistence; whatever had hidden
  // the traces (a cleared display, a change of source) is over.
  ScopeState.TracesShown = 1;
  ScopeState.CaptureUnpacked = 0;
  DrawCapture(capture);
  if (!ScopeState.SpectrumMode) ScopeState.TraceValid = ScopeState.ScopeFileReplay ? 0 : 1;
}

// ---------------------------------------------------------------- counters

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
