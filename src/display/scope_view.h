// One scope picture as the drawing code sees it: where the graticule sits,
// how tall a code is, where the texts go, which items are on the picture now
// and where its markers are. The main window and the Big Screen each own one
// and run the same drawing operations on it.
#pragma once

#include <cstdint>
#include <string>

#include "display/picture_settings.h"
#include "platform/ui/types.h"

class TImage;

namespace display {

// A marker place the view does not have reads as 0.
inline int ReadPlace(const std::int32_t* p) { return p ? *p : 0; }

// The marker variables of one picture; the view points at them so that the
// window's own marker code and the drawing code read the same places.
struct MarkerPlaces {
  std::int32_t* TimeMarker1X = nullptr;
  std::int32_t* TimeMarker2X = nullptr;
  std::int32_t* VoltMarker1Y = nullptr;
  std::int32_t* VoltMarker2Y = nullptr;
  std::int32_t* FreqMarker1X = nullptr;
  std::int32_t* LevelMarker1Y = nullptr;
  std::int32_t* LevelMarker2Y = nullptr;
};

// The marker read-outs now on one picture, kept so that printing them again
// in the background colour takes them off.
struct ReadoutPlaces {
  std::string* Time = nullptr;     // "dt: ..."
  std::string* InvTime = nullptr;  // "1/dt: ..."
  std::string* Volt = nullptr;     // "dV: ..."
  std::string* Level = nullptr;    // spectrum level markers
  std::string* Freq = nullptr;     // "f: ..."
};

// x offsets from X0 of the texts around the grid.
struct TextPlaces {
  int Ch1Range = 10;
  int Ch2Range = 70;
  int Notice = 265;
  int SampleRate = 492;
  int TimeDiv = 592;
  int Rms = 510;
  int Dbm = 595;
  // Marker read-outs on the bottom line.
  int VoltReadout = 0;
  int FreqReadout = 125;
  int TimeReadout = 185;
  int InvTimeReadout = 265;
};

struct ScopeView {
  TImage* Image = nullptr;

  // ---- Geometry (pixels of Image). Codes 0..255 map to rows
  // Y0 + VScale * (255 - code); the trace window is GridWidth + 1 pixels wide.
  std::int32_t X0 = 0;
  std::int32_t Y0 = 0;
  std::int32_t GridWidth = 650;
  std::int32_t VScale = 1;
  std::int32_t FrameTopY = -1;     // rows of the frame lines that clipped points land on
  std::int32_t FrameBottomY = 257;
  std::int32_t TickBaseY = 256;    // bottom of the trigger-position tick
  std::int32_t XYOriginX = 198;    // x of CH2 code 0 in the XY figure, from X0
  // The interpolated plots draw fewer points when the window would pass the
  // end of the record: sine when step x SineShortLimit >= 4096 - DisplayStart,
  // linear when step x LinearShortLimit >= 4096 - DisplayStart.
  std::int32_t SineShortLimit = 71;
  std::int32_t LinearShortLimit = 70;
  std::int32_t TopTextY = 3;
  std::int32_t TextLineY = 0;
  std::int32_t MarkerLimitX = 0;
  std::int32_t MarkerLimitY = 0;
  TextPlaces Texts;

  // ---- What is on the picture now (1 = drawn).
  std::uint8_t Ch1Drawn = 0;
  std::uint8_t Ch2Drawn = 0;
  std::uint8_t MathDrawn = 0;
  std::uint8_t LineDrawn = 0;  // trigger-position tick

  MarkerPlaces Markers;
  ReadoutPlaces Readouts;

  int PlotWidth() const { return GridWidth + 1; }
  // Row of a plotted y (Y0 + 255 - code) on this picture.
  int ScaledY(int y) const { return Y0 + VScale * (y - Y0); }
};

// The main window's picture: the graticule's corner (x0, y0), the bottom text
// line and the ends of the marker lines as the window lays them out, and the
// display's marker variables and read-out texts.
ScopeView MainScopeView(TImage* image, int x0, int y0, int textLineY, int markerLimitX, int markerLimitY);
// The Big Screen's picture: 19 x 8 divisions of 50 x 64 pixels centred in the
// image, with the given marker variables and read-out texts.
ScopeView BigScopeView(TImage* image, const MarkerPlaces& markers, const ReadoutPlaces& readouts = {});

// Fills the interpolation kernels (the window's creation does it once).
void BuildInterpolationKernels();

// ---- Picture cycle, written once for every view. The steps that plot a
// trace return true when they plotted an arithmetic or XY trace: such a trace
// is always plotted plain, and the caller's plot method becomes plain too.
// Replaces the picture by an empty one in the background colour; nothing is
// drawn on it any more.
void WipePicture(ScopeView& view);
// Draws again (so erases, with the not-xor pen) what is drawn of the traces
// and the trigger-position tick.
bool EraseTraces(ScopeView& view, const PictureSettings& s);
// Draws what is shown and not yet drawn.
bool DrawTraces(ScopeView& view, const PictureSettings& s);

// ---- Plotters: fill PlotPoints for the current trace and return the count.
// first and end are sample-block indexes (CH2 0..4096, CH1 4096..8192).
int PlotPlainPoints(const ScopeView& view, const PictureSettings& s, int first, int end);
int PlotSinePoints(const ScopeView& view, const PictureSettings& s, int first, int end, int step);
int PlotLinearPoints(const ScopeView& view, const PictureSettings& s, int first, int end, int step);

// piirra: plot and draw trace 1 (CH1), 2 (CH2) or 3 (math, with the math pen
// in Ch2PenColor) with the current time base and interpolation.
bool PlotTraceOn(ScopeView& view, const PictureSettings& s, int trace);
// piirto / piirto30 / piirto10: plot and draw.
void DrawPlain(ScopeView& view, const PictureSettings& s, int first, int end);
void DrawSine(ScopeView& view, const PictureSettings& s, int first, int end, int step);
void DrawLinear(ScopeView& view, const PictureSettings& s, int first, int end, int step);
// Kayran_Piirto: draws the first count points of PlotPoints with the canvas
// pen (not-xor), moving clipped points onto the frame and repairing it.
void DrawPlotPoints(ScopeView& view, const PictureSettings& s, int count);
// viiva: the trigger-position tick, not-xor (drawing it twice removes it).
void DrawTriggerTick(ScopeView& view, const PictureSettings& s);
// The same tick in the given pen.
void DrawTriggerTick(ScopeView& view, const PictureSettings& s, TColor pen);

}  // namespace display
