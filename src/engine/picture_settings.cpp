// The settings the scope pictures are drawn with.
#include "engine/picture_settings.h"

#include "engine/control_panel.h"
#include "engine/display_state.h"
#include "engine/main_form.h"
#include "engine/persistence_state.h"
#include "engine/scope_state.h"

namespace engine {

int ActivePersistence() {
  if (!Form1) return 0;
  return Form1->SpeedButton23 && Form1->SpeedButton23->Down() ? display::PersistenceState.PersistenceMode : 0;
}

display::PictureSettings CurrentPictureSettings() {
  display::PictureSettings s;
  s.Samples = ScopeState.ScopeSampleBlock;
  s.Ch1On = ScopeState.Settings.Ch1On;
  s.Ch2On = ScopeState.Settings.Ch2On;
  s.MathOff = ScopeState.MathOff;
  s.InvertCh2Mode = ScopeState.InvertCh2Mode;
  s.SpectrumMode = ScopeState.SpectrumMode;
  s.DigitalMode = ScopeState.Settings.DigitalMode;
  s.TracesShown = ScopeState.TracesShown;
  s.AcquisitionIdle = ScopeState.AcquisitionIdle;
  s.DotJoin = ScopeState.DotJoin;
  s.PlotMethod = ScopeState.PlotMethod;
  s.Persistence = ActivePersistence();
  s.DisplayStart = ScopeState.DisplayStart;
  s.CaptureStart = ScopeState.CaptureStart;
  s.PixelStep = ScopeState.PixelStep;
  s.Magnification = ScopeState.Magnification;
  s.TriggerSource = ScopeState.Settings.TriggerSource;
  s.Ch1GainCode = ScopeState.Settings.Ch1GainCode;
  s.Ch2GainCode = ScopeState.Settings.Ch2GainCode;
  s.Ch1GroundLevel = ScopeState.Ch1GroundLevel;
  s.Ch2GroundLevel = ScopeState.Ch2GroundLevel;
  s.FileCh1Ground = ScopeState.FileCh1Ground;
  s.FileCh2Ground = ScopeState.FileCh2Ground;
  s.Ch1ProbeFactor = ScopeState.Ch1ProbeFactor;
  s.Ch2ProbeFactor = ScopeState.Ch2ProbeFactor;
  s.Ch1ProbeDb = ScopeState.Ch1ProbeDb;
  s.Ch2ProbeDb = ScopeState.Ch2ProbeDb;
  s.TimePerDiv = ScopeState.TimePerDiv;
  s.CaptureTimePerDiv = ScopeState.CaptureTimePerDiv;
  s.LogFreqAxis = ScopeState.LogFreqAxis;
  s.Ch1RangeText = ScopeState.Ch1RangeText;
  s.Ch2RangeText = ScopeState.Ch2RangeText;
  s.TimeDivText = ScopeState.TimeDivText;
  s.SampleRateText = ScopeState.SampleRateText;
  s.RmsText = ScopeState.RmsText;
  s.DbmText = ScopeState.DbmText;
  s.SampleRateOn = ScopeState.SampleRateOn;
  s.RmsOn = ScopeState.RmsOn;
  s.DbmOn = ScopeState.DbmOn;
  const display::DisplaySharedState& d = display::DisplayState;
  s.InterpolationChoice = d.InterpolationChoice;
  s.Ch1CapturePos = d.Ch1CapturePos;
  s.Ch2CapturePos = d.Ch2CapturePos;
  s.LiveTraceOn = display::PersistenceState.LiveTraceOn;
  s.XYPlotMode = d.XYPlotMode;
  s.Ch1PlusCh2Mode = d.Ch1PlusCh2Mode;
  s.Ch1MinusCh2Mode = d.Ch1MinusCh2Mode;
  s.MultiplyMode = d.MultiplyMode;
  s.DivideMode = d.DivideMode;
  s.SpectrumZoom = d.SpectrumZoom;
  s.SpectrumPoints = d.SpectrumPoints;
  s.MarkersOn = d.MarkersOn;
  s.FftMarkersOn = d.FftMarkersOn;
  s.FftDensityMarkers = d.FftDensityMarkers;
  s.WindowDensityCorrection = d.WindowDensityCorrection;
  s.SpanText = d.SpanText;
  s.Colors = display::ColorTableOf(d);
  s.Persist = display::PersistenceLookOf(display::PersistenceState);
  return s;
}

display::ColorTable CurrentColorTable() { return display::ColorTableOf(display::DisplayState); }

display::CaptureSettings CurrentCaptureSettings() {
  display::CaptureSettings s;
  s.Ch1GainCode = ScopeState.Settings.Ch1GainCode;
  s.Ch2GainCode = ScopeState.Settings.Ch2GainCode;
  s.Ch1ProbeFactor = ScopeState.Ch1ProbeFactor;
  s.Ch2ProbeFactor = ScopeState.Ch2ProbeFactor;
  s.Ch1GroundLevel = ScopeState.Ch1GroundLevel;
  s.Ch2GroundLevel = ScopeState.Ch2GroundLevel;
  s.FileCh1Ground = ScopeState.FileCh1Ground;
  s.FileCh2Ground = ScopeState.FileCh2Ground;
  s.TimePerDiv = ScopeState.TimePerDiv;
  s.TimeBaseCode = ScopeState.Settings.TimeBaseCode;
  s.SpectrumMode = ScopeState.SpectrumMode;
  s.DigitalMode = ScopeState.Settings.DigitalMode;
  s.Demo = ScopeState.DemoMode;
  return s;
}

display::SampleBlockView ShownSamples(const display::Capture& capture) {
  if (capture.Settings.SpectrumMode || capture.Settings.DigitalMode) return ScopeState.ScopeSampleBlock;
  return capture.Block();
}

void CaptureHeldSamples(display::Capture& capture) {
  capture.Samples = ScopeState.SpectrumMode ? ScopeState.SpectrumInputBlock : ScopeState.ScopeSampleBlock;
  capture.Settings = CurrentCaptureSettings();
  capture.Time = std::chrono::system_clock::now();
}

}  // namespace engine
