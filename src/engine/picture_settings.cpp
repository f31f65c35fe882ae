// The settings the scope pictures are drawn with.
#include "engine/picture_settings.h"

#include "engine/control_panel.h"
#include "display/display_state.h"
#include "engine/main_form.h"
#include "display/persistence_state.h"
#include "engine/scope_state.h"

namespace engine {

int ActivePersistence(const WithScopeStates& states) {
  if (!Form1) return 0;
  return Form1->SpeedButton23 && Form1->SpeedButton23->Down() ? states.PersistenceState.PersistenceMode : 0;
}

display::PictureSettings CurrentPictureSettings(const WithScopeStates& states) {
  display::PictureSettings s;
  s.Samples = states.ScopeState.ScopeSampleBlock;
  s.Ch1On = states.ScopeState.Settings.Ch1On;
  s.Ch2On = states.ScopeState.Settings.Ch2On;
  s.MathOff = states.ScopeState.MathOff;
  s.InvertCh2Mode = states.ScopeState.InvertCh2Mode;
  s.SpectrumMode = states.ScopeState.SpectrumMode;
  s.DigitalMode = states.ScopeState.Settings.DigitalMode;
  s.TracesShown = states.ScopeState.TracesShown;
  s.AcquisitionIdle = states.ScopeState.AcquisitionIdle;
  s.DotJoin = states.ScopeState.DotJoin;
  s.PlotMethod = states.ScopeState.PlotMethod;
  s.Persistence = ActivePersistence(states);
  s.DisplayStart = states.ScopeState.DisplayStart;
  s.CaptureStart = states.ScopeState.CaptureStart;
  s.PixelStep = states.ScopeState.PixelStep;
  s.Magnification = states.ScopeState.Magnification;
  s.TriggerSource = states.ScopeState.Settings.TriggerSource;
  s.Ch1GainCode = states.ScopeState.Settings.Ch1GainCode;
  s.Ch2GainCode = states.ScopeState.Settings.Ch2GainCode;
  s.Ch1GroundLevel = states.ScopeState.Ch1GroundLevel;
  s.Ch2GroundLevel = states.ScopeState.Ch2GroundLevel;
  s.FileCh1Ground = states.ScopeState.FileCh1Ground;
  s.FileCh2Ground = states.ScopeState.FileCh2Ground;
  s.Ch1ProbeFactor = states.ScopeState.Ch1ProbeFactor;
  s.Ch2ProbeFactor = states.ScopeState.Ch2ProbeFactor;
  s.Ch1ProbeDb = states.ScopeState.Ch1ProbeDb;
  s.Ch2ProbeDb = states.ScopeState.Ch2ProbeDb;
  s.TimePerDiv = states.ScopeState.TimePerDiv;
  s.CaptureTimePerDiv = states.ScopeState.CaptureTimePerDiv;
  s.LogFreqAxis = states.ScopeState.LogFreqAxis;
  s.Ch1RangeText = states.ScopeState.Ch1RangeText;
  s.Ch2RangeText = states.ScopeState.Ch2RangeText;
  s.TimeDivText = states.ScopeState.TimeDivText;
  s.SampleRateText = states.ScopeState.SampleRateText;
  s.RmsText = states.ScopeState.RmsText;
  s.DbmText = states.ScopeState.DbmText;
  s.SampleRateOn = states.ScopeState.SampleRateOn;
  s.RmsOn = states.ScopeState.RmsOn;
  s.DbmOn = states.ScopeState.DbmOn;
  const display::DisplaySharedState& d = states.DisplayState;
  s.InterpolationChoice = d.InterpolationChoice;
  s.Ch1CapturePos = d.Ch1CapturePos;
  s.Ch2CapturePos = d.Ch2CapturePos;
  s.LiveTraceOn = states.PersistenceState.LiveTraceOn;
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
  s.Persist = display::PersistenceLookOf(states.PersistenceState);
  return s;
}

display::ColorTable CurrentColorTable(const WithScopeStates& states) { return display::ColorTableOf(states.DisplayState); }

display::CaptureSettings CurrentCaptureSettings(const WithScopeStates& states) {
  display::CaptureSettings s;
  s.Ch1GainCode = states.ScopeState.Settings.Ch1GainCode;
  s.Ch2GainCode = states.ScopeState.Settings.Ch2GainCode;
  s.Ch1ProbeFactor = states.ScopeState.Ch1ProbeFactor;
  s.Ch2ProbeFactor = states.ScopeState.Ch2ProbeFactor;
  s.Ch1GroundLevel = states.ScopeState.Ch1GroundLevel;
  s.Ch2GroundLevel = states.ScopeState.Ch2GroundLevel;
  s.FileCh1Ground = states.ScopeState.FileCh1Ground;
  s.FileCh2Ground = states.ScopeState.FileCh2Ground;
  s.TimePerDiv = states.ScopeState.TimePerDiv;
  s.TimeBaseCode = states.ScopeState.Settings.TimeBaseCode;
  s.SpectrumMode = states.ScopeState.SpectrumMode;
  s.DigitalMode = states.ScopeState.Settings.DigitalMode;
  s.Demo = states.ScopeState.DemoMode;
  return s;
}

display::SampleBlockView ShownSamples(const WithScopeStates& states, const display::Capture& capture) {
  if (capture.Settings.SpectrumMode || capture.Settings.DigitalMode) return states.ScopeState.ScopeSampleBlock;
  return capture.Block();
}

void CaptureHeldSamples(const WithScopeStates& states, display::Capture& capture) {
  capture.Samples = states.ScopeState.SpectrumMode ? states.ScopeState.SpectrumInputBlock : states.ScopeState.ScopeSampleBlock;
  capture.Settings = CurrentCaptureSettings(states);
  capture.Time = std::chrono::system_clock::now();
}

}  // namespace engine
