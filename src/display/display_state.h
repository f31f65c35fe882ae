// State of the scope display that several windows share: the trace plotters'
// inputs, the math-trace modes and the spectrum-view layout.
// Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "display/scope_view.h"
#include "display/screen_colors.h"
#include "display/spectrum.h"
#include "platform/ui/canvas.h"

namespace display {

// The row of the range, time and rate texts above the grid.
inline constexpr int kTopTextY = 3;

// One channel's display values.
struct DisplayChannel {
  // Pixels the shown trace is moved up while acquisition is stopped (the
  // position bars move a stopped trace without a new capture).
  std::int32_t CapturePos = 0;
};

// The scope display's values that change while the program runs, each with its start-up value.
struct DisplaySharedState {
  // "S/L": 1 linear, 0 sine interpolation at 0.2 us/div and 0.1 us/div.
  std::uint8_t InterpolationChoice = 0;

  // CH1, CH2.
  std::array<DisplayChannel, 2> Channels;

  // ---- Math and XY traces; at most one mode is set. InvertCh2Mode and MathOff
  // live with the engine, which applies them to the device too.
  std::uint8_t XYPlotMode = 0;
  std::uint8_t Ch1PlusCh2Mode = 0;
  std::uint8_t Ch1MinusCh2Mode = 0;
  std::uint8_t MultiplyMode = 0;
  std::uint8_t DivideMode = 0;

  // ---- Spectrum view layout.
  std::uint16_t SpectrumZoom = 8;       // bins folded into one plotted pair of pixels
  std::int32_t SpectrumPoints = 4096;   // 4096 on the linear axis, 2560 on the log axis
  std::uint8_t FreqMarkerShown = 0;     // the frequency-marker line is on the picture

  // ======== Trigger ticks, marker lines and screen texts ========
  std::uint8_t TriggerOn = 0;         // the trigger is on and its level tick is drawn
  std::uint8_t MarkersOn = 0;         // scope markers shown
  std::uint8_t FftMarkersOn = 0;      // spectrum markers shown
  std::uint16_t FreqMarkerBin = 0;    // frequency marker as a spectrum index

  // The texts now on the picture, kept so that printing them again in the
  // background colour takes them off (at most 51 characters each).
  std::string SpanText;
  std::string TimeMarkerText;
  std::string InvTimeMarkerText;
  std::string VoltMarkerText = "0.0V";
  std::string LevelMarkerText;
  std::string FreqMarkerText;

  // ======== Markers, measurements and annotation ========
  // Results of the RMS read-out, for the Bode plotter too: the RMS of the shown
  // channel in its unit, its mean code and that mean in volts (not relative to ground).
  double RmsVolts = 0;
  std::int32_t TraceMeanCode = 0;
  double TraceMeanVolts = 0;

  // "Markers (FFT)  f && Spectral Density  dBV/sqrt(Hz)" is checked: the level
  // read-out is a spectral density, corrected for the FFT window by this many dB.
  std::uint8_t FftDensityMarkers = 0;
  double WindowDensityCorrection = 0;

  // The annotation: pixel of its first line on the picture, and whether it is
  // drawn without a background box.
  std::int16_t ScopeNoteX = 0;
  std::int16_t ScopeNoteY = 0;
  std::uint8_t ScopeNoteTransparent = 0;

  // ======== Screen colours dialog ========
  std::uint8_t ColorsAccepted = 0;     // the colour dialog was closed with OK
  std::uint8_t BlackScreenPreset = 0;  // the last preset chosen: 1 "Black Screen", 0 "Bright Screen"

  // ---- Markers (pixels of Image1); a marker left of ScreenX0 or above ScreenY0 is not placed
  std::int32_t TimeMarker1X = 0;
  std::int32_t TimeMarker2X = 0;
  std::int32_t VoltMarker1Y = 0;
  std::int32_t VoltMarker2Y = 0;
  std::int32_t FreqMarker1X = 0;
  std::int32_t LevelMarker1Y = 0;
  std::int32_t LevelMarker2Y = 0;

  // ---- Screen colours, the "Bright Screen" preset until the settings file or
  // the colour dialog gives others, and the not-xor pens derived from them.
  TColor BackgroundColor = kBrightScreenColors.Background;
  TColor Ch1Color = kBrightScreenColors.Ch1;
  TColor Ch2Color = kBrightScreenColors.Ch2;
  TColor Math1Color = kBrightScreenColors.Math1;
  TColor Math2Color = kBrightScreenColors.Math2;
  TColor DarkGridColor = kBrightScreenColors.DarkGrid;
  TColor BrightGridColor = kBrightScreenColors.BrightGrid;
  TColor TimeMarkerColor = kBrightScreenColors.TimeMarker;
  std::uint8_t DefaultColors = 1;  // a preset is in force
  TColor Ch1XorColor = 0, Ch2XorColor = 0;
  TColor Ch1PenColor = 0, Ch2PenColor = 0;
  TColor Math1PenColor = 0, Math2PenColor = 0, TimeMarkerPenColor = 0;
  TColor DarkGridPenColor = 0, BrightGridPenColor = 0, GridPenColor = 0;
  std::uint8_t ScopeBrightGrid = 0;  // scope "Bright Grid"

  // ---- FFT window in force and its corrections (its coefficients fill the
  // engine's WindowTable work block).
  FftWindow FftWindowKind = FftWindow::Hamming;
  double WindowAmplitudeFactor = 1.852;

  // ---- Work arrays of the transform; the smoothed time signal lives from
  // capture to capture.
  std::array<float, kFftPoints> WindowWork{};
  std::array<float, kFftPoints> FftStaged{};
  std::array<float, kFftPoints> FftReal{};
  std::array<float, kFftPoints> FftImag{};
  std::int32_t FftCounter = 0;  // magnitude slot of the last transform

  // ---- Linear levels of the shown channel kept while the log axis shows, so
  // that "Lin" restores them without a new transform.
  std::array<std::int16_t, kFftBins> SavedLinearDisplay{};
  std::array<std::int16_t, kFftBins> SavedLinearLevels{};

  // ---- Saved when the spectrum mode is entered, put back when it is left.
  std::uint8_t SavedCh1On = 1;
  std::uint8_t SavedCh2On = 1;
  std::int32_t ScopeScrollPos = 32;
  std::int32_t ScopeDisplayStart = 1024;
  std::int32_t SpectrumScrollPos = 0;
  std::int32_t SpectrumDisplayStart = 1;
};

// The display's marker variables and read-out texts, as the main picture's view points at them.
inline MarkerPlaces MarkerPlacesOf(DisplaySharedState& d) {
  return {&d.TimeMarker1X, &d.TimeMarker2X, &d.VoltMarker1Y, &d.VoltMarker2Y,
          &d.FreqMarker1X, &d.LevelMarker1Y, &d.LevelMarker2Y};
}
inline ReadoutPlaces ReadoutPlacesOf(DisplaySharedState& d) {
  return {&d.TimeMarkerText, &d.InvTimeMarkerText, &d.VoltMarkerText, &d.LevelMarkerText, &d.FreqMarkerText};
}

}  // namespace display
