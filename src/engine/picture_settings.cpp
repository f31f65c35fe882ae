// The settings the scope pictures are drawn with.
#include "engine/picture_settings.h"

#include "engine/control_panel.h"
#include "display/display_state.h"
#include "display/persistence_state.h"
#include "engine/scope_state.h"
#include "engine/scope_window.h"

namespace engine {

int ActivePersistence(const WithScopeStates& states) {
  ScopeWindow* scope = TheScopeWindow();
  if (!scope) return 0;
  TGrSpeedButton* persist = scope->Panel().SpeedButton23;
  return persist && persist->Down() ? states.PersistenceState.PersistenceMode : 0;
}

display::PictureSettings CurrentPictureSettings(const WithScopeStates& states) {
  display::PictureSettings s;
  s.Samples = states.ScopeState.ScopeSampleBlock;
  for (std::size_t i = 0; i < s.Channels.size(); ++i) {
    display::PictureChannel& c = s.Channels[i];
    const engine::ScopeChannelState& state = states.ScopeState.Channels[i];
    c.On = states.ScopeState.Settings.Channels[i].On;
    c.CapturePos = states.DisplayState.Channels[i].CapturePos;
    c.GainCode = states.ScopeState.Settings.Channels[i].GainCode;
    c.GroundLevel = state.GroundLevel;
    c.FileGround = state.FileGround;
    c.ProbeFactor = state.ProbeFactor;
    c.ProbeDb = state.ProbeDb;
    c.RangeText = state.RangeText;
  }
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
  s.TimePerDiv = states.ScopeState.TimePerDiv;
  s.CaptureTimePerDiv = states.ScopeState.CaptureTimePerDiv;
  s.LogFreqAxis = states.ScopeState.LogFreqAxis;
  s.TimeDivText = states.ScopeState.TimeDivText;
  s.SampleRateText = states.ScopeState.SampleRateText;
  s.RmsText = states.ScopeState.RmsText;
  s.DbmText = states.ScopeState.DbmText;
  s.SampleRateOn = states.ScopeState.SampleRateOn;
  s.RmsOn = states.ScopeState.RmsOn;
  s.DbmOn = states.ScopeState.DbmOn;
  const display::DisplaySharedState& d = states.DisplayState;
  s.InterpolationChoice = d.InterpolationChoice;
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
  for (std::size_t i = 0; i < s.Channels.size(); ++i) {
    display::CaptureChannel& c = s.Channels[i];
    const engine::ScopeChannelState& state = states.ScopeState.Channels[i];
    c.GainCode = states.ScopeState.Settings.Channels[i].GainCode;
    c.ProbeFactor = state.ProbeFactor;
    c.GroundLevel = state.GroundLevel;
    c.FileGround = state.FileGround;
  }
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
