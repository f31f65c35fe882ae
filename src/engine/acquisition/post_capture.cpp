// The steps every capture goes through once it has arrived: read-outs,
// spectrum, the sample export, picture.
#include "engine/acquisition/acquisition_controller.h"

#include "engine/measurement_window.h"
#include "engine/picture_settings.h"
#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "engine/scope_state.h"
#include "engine/spectrum/spectrum_hold.h"
#include "io/sample_export.h"
#include "io/shared_blocks.h"
#include "platform/ui/vcl.h"

namespace engine::acquisition {

void AcquisitionController::PostCaptureSteps(CaptureMode mode) {
  const bool run = mode == CaptureMode::Run;

  // The erase needs the old samples.
  host_.poisto();
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
    host_.rms_out(capture);
    if (Form_99 && Form_99->Visible()) host_.measure(capture);
    if (run) {
      MeasureCounter = 0;
      if (ScopeState.ExtendCalTime) host_.ExtendedCalibrationStep();
    }
  }
  if (run) ++MeasureCounter;

  // Spectrum.
  if (ScopeState.SpectrumMode) {
    if (ScopeState.CaptureTimePerDiv != ScopeState.TimePerDiv) {
      ScopeState.CaptureTimePerDiv = ScopeState.TimePerDiv;
      if (controls_.MarkersFFTSpectralDensity1 && controls_.MarkersFFTSpectralDensity1->Checked()) host_.kursoridb();
    }
    host_.FFT(capture);
    if (run && ScopeState.FftAverageOn && !ScopeState.SettingsChanged) engine::average_fft(*this);
    if (ScopeState.LogFreqAxis) host_.LinToLog();
    if (run) {
      if (ScopeState.FftMaximumOn && !ScopeState.SettingsChanged) engine::maximize_fft(*this);
      if (ScopeState.FftAverageOn || ScopeState.FftMaximumOn) engine::refresh_fft(*this);
    }
    ScopeState.SettingsChanged = 0;
  }

  // Labels for the files and the export; the magnified steps are all
  // captured at 5 us/div.
  ScopeState.ShareTimeDivText = ScopeState.TimePerDiv == 500 ? "5us" : ScopeState.TimeDivText;
  ScopeState.Channels[0].ShareRangeText = ScopeState.Channels[0].RangeText;
  ScopeState.Channels[1].ShareRangeText = ScopeState.Channels[1].RangeText;
  SaveShareData(capture);

  // The new trace on the picture, with its persistence; whatever had hidden
  // the traces (a cleared display, a change of source) is over.
  ScopeState.TracesShown = 1;
  ScopeState.CaptureUnpacked = 0;
  host_.DrawCapture(capture);
  if (!ScopeState.SpectrumMode) ScopeState.TraceValid = ScopeState.ScopeFileReplay ? 0 : 1;
}

void AcquisitionController::SaveShareData(const display::Capture& taken) {
  if (!io::SampleExportBlock) return;
  // The export carries the trace as shown.
  const display::SampleBlockView shown = engine::ShownSamples(*this, taken);
  io::SampleExport capture;
  capture.TimeBaseCode = taken.Settings.TimeBaseCode;
  capture.Ch1GainCode = taken.Settings.Channels[0].GainCode;
  capture.Ch2GainCode = taken.Settings.Channels[1].GainCode;
  capture.Ch1GroundLevel = taken.Settings.Channels[0].GroundLevel;
  capture.Ch2GroundLevel = taken.Settings.Channels[1].GroundLevel;
  capture.Ch1 = shown.subspan<display::kChannelSamples, display::kChannelSamples>();
  capture.Ch2 = shown.first<display::kChannelSamples>();
  // Another program of the user may have made the block smaller; written
  // beyond its end, the capture would end the whole program.
  io::UseSharedBlock(
      io::SampleExportBlock, [&] { io::WriteSampleExport(*io::SampleExportBlock, capture); },
      "Sample export stopped: another program made ",
      "\rOther programs get no more captures until the Darvik48 software is started again.");
}

}  // namespace engine::acquisition
