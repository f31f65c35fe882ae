// The marker read-outs and the marker picking as pure functions: each takes
// the marker places and the few settings it depends on (time/div text, range,
// probe, ground level, spectrum axis, bin) and returns the text to print. The
// scope picture, the Big Screen and the spectrum view feed them their own
// geometry and axis.
#pragma once

#include <cstdint>
#include <string>

#include "display/channel_defaults.h"

namespace display {

// ---- Picking and dragging.
// DragKind of the line nearest to (x, y): 1 / 2 the first / second vertical
// line, 3 / 4 the first / second horizontal line. Ties go to the vertical
// line and to the first marker.
int PickMarker(int x, int y, int vertical1X, int vertical2X, int horizontal1Y, int horizontal2Y);
// The spectrum view has one vertical line (the frequency marker); 0 when the
// chosen level marker sits at a pixel of 0 or less (the pick ends there).
int PickSpectrumMarker(int x, int y, int freqX, int level1Y, int level2Y);
// Spectrum point under pixel x: SpectrumZoom points per 2 pixels from
// displayStart; displayStart itself left of the grid.
int FreqMarkerBinAt(int x, int x0, int displayStart, int zoom);

// ---- Scope read-outs.
// kursoriaika: "dt: ..." and "1/dt: ..." for time markers x1, x2 on a grid
// of 50 pixels per division starting at x0. Show is false while neither
// marker lies right of pixel 10 (the texts are stored but not printed).
struct TimeReadout {
  std::string Dt;
  std::string InvDt;
  bool Show = false;
};
TimeReadout TimeMarkerReadout(const std::string& timeDivText, int x1, int x2, int x0);

// kursorivoltit: "dV: ..." with the two marker levels against the ground
// level (codes from the top of the grid) when no math trace is shown. A
// picture of vScale pixels per code has 32 x vScale pixels per division.
std::string VoltMarkerReadout(std::uint8_t rangeCode, double probeFactor, int y1, int y2, int y0,
                              int groundLevel, bool mathTrace, int vScale = 1);

// ---- Spectrum read-outs.
// kursoritaajuus: "f: ..." of spectrum point `bin` on the linear or the
// logarithmic axis of a span set by timePerDiv (10 ns units).
std::string FreqMarkerReadout(std::int32_t timePerDiv, int bin, bool logAxis);
// The width of one spectrum bin in Hz at the time/div of a capture (1.0 for
// a time base without one).
double BinWidthHz(std::int32_t captureTimePerDiv);
// dBV at the top of the screen for a range code.
double TopLevelDbv(std::uint8_t rangeCode);
// kursoridb: "V: ...dBV" (or "dBV/sqrt(Hz)" as spectral density) for the one
// placed level marker, "dV: ...dB" between two placed markers.
struct LevelSetup {
  std::uint8_t RangeCode = kDefaultRangeCode;
  double ProbeDb = 0;
  bool Density = false;
  std::int32_t CaptureTimePerDiv = 0;
  double WindowDensityCorrection = 0;
};
std::string LevelMarkerReadout(const LevelSetup& setup, int y1, int y2, int y0, int vScale = 1);

}  // namespace display
