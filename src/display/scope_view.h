// One scope picture as the drawing code sees it: where the graticule sits,
// how tall a code is, where the texts go, which items are on the picture now
// and where its markers are. The main window and the Big Screen each own one
// and run the same drawing operations on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "display/picture_settings.h"
#include "platform/ui/canvas.h"
#include "platform/ui/types.h"

class TImage;

namespace display {

class PersistencePicture;

// ---- Interpolation kernels.
inline constexpr int kSineKernelTaps = 95;
inline constexpr int kSineKernelSum = 1007;
inline constexpr int kLinearTaps = 20;
inline constexpr int kLinearSum = 1280;

// The 95 taps of the sine kernel: low-pass taps applied to the 4x
// zero-order-hold copy of a trace; symmetric about tap 47, sum 1007.
inline constexpr std::array<std::int32_t, kSineKernelTaps> kSineKernel = {
    -6,  -2,  3,   7,   7,   3,   -3,  -7,  -8,  -4,  2,   7,   9,   6,   -1,  -8,  -10, -7,  0,
    8,   12,  9,   1,   -8,  -14, -12, -3,  8,   16,  16,  6,   -8,  -20, -21, -10, 9,   26,  31,
    18,  -9,  -38, -52, -38, 9,   81,  159, 219, 241, 219, 159, 81,  9,   -38, -52, -38, -9,  18,
    31,  26,  9,   -10, -21, -20, -8,  6,   16,  16,  8,   -3,  -12, -14, -8,  1,   9,   12,  8,
    0,   -7,  -10, -8,  -1,  6,   9,   7,   2,   -4,  -8,  -7,  -3,  3,   7,   7,   3,   -2,  -6};
// A 20-wide moving average over the 20x held copy: straight lines between samples.
inline constexpr std::uint16_t kLinearWeight = 64;

// ---- The point list of the trace being plotted.
inline constexpr std::size_t kPlotPointCapacity = 1000;

// The persistence stores of a new view's picture (made when first drawn into).
std::shared_ptr<PersistencePicture> NewPersistencePicture();

// A marker place the view does not have reads as 0, and takes no writes.
inline int ReadPlace(const std::int32_t* p) { return p ? *p : 0; }
inline void WritePlace(std::int32_t* p, int v) {
  if (p) *p = v;
}

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

  // ---- The trace being plotted: its point list, whose trace it is (1 CH1,
  // 2 CH2, 3 math) and the pen width (2 while a math trace is plotted).
  std::array<TPoint, kPlotPointCapacity> PlotPoints{};
  std::int32_t PlotTrace = 0;
  std::int32_t TracePenWidth = 1;
  // Volts/div of both channels in mV, and smaller / larger of the two; set by
  // the plotter before each arithmetic trace.
  double Ch1MilliVoltsPerDiv = 1000.0;
  double Ch2MilliVoltsPerDiv = 1000.0;
  double MathScaleRatio = 1.0;
  // The sine plotter's work: the held codes and the filtered values.
  std::array<std::int32_t, kPlotPointCapacity + 64> SineCodes{};
  std::array<std::int32_t, 4 * kPlotPointCapacity> SineFiltered{};

  // The persistence stores of the picture; copies of a view draw on the same
  // picture and share them.
  std::shared_ptr<PersistencePicture> Persistence = NewPersistencePicture();

  int PlotWidth() const { return GridWidth + 1; }
  // Row of a plotted y (Y0 + 255 - code) on this picture.
  int ScaledY(int y) const { return Y0 + VScale * (y - Y0); }
};

// The main window's picture: the graticule's corner (x0, y0), the bottom text
// line and the ends of the marker lines as the window lays them out, with the
// given marker variables and read-out texts.
ScopeView MainScopeView(TImage* image, int x0, int y0, int textLineY, int markerLimitX, int markerLimitY,
                        const MarkerPlaces& markers, const ReadoutPlaces& readouts);
// The Big Screen's picture: 19 x 8 divisions of 50 x 64 pixels centred in the
// image, with the given marker variables and read-out texts.
ScopeView BigScopeView(TImage* image, const MarkerPlaces& markers, const ReadoutPlaces& readouts = {});

// ---- Picture cycle, written once for every view. The steps that plot a
// trace return true when they plotted an arithmetic or XY trace: such a trace
// is always plotted plain, and the caller's plot method becomes plain too.
// Replaces the picture by an empty one in the background colour; nothing is
// drawn on it any more.
void WipePicture(ScopeView& view, TColor background);
// Draws again (so erases, with the not-xor pen) what is drawn of the traces
// and the trigger-position tick.
bool EraseTraces(ScopeView& view, const PictureSettings& s);
// Draws what is shown and not yet drawn.
bool DrawTraces(ScopeView& view, const PictureSettings& s);

// ---- Plotters: fill the view's PlotPoints for the current trace and return
// the count. first and end are sample-block indexes (CH2 0..4096, CH1 4096..8192).
int PlotPlainPoints(ScopeView& view, const PictureSettings& s, int first, int end);
int PlotSinePoints(ScopeView& view, const PictureSettings& s, int first, int end, int step);
int PlotLinearPoints(ScopeView& view, const PictureSettings& s, int first, int end, int step);

// piirra: plot and draw trace 1 (CH1), 2 (CH2) or 3 (math, with the math pen
// in the settings' Ch2PenColor) with the current time base and interpolation.
bool PlotTraceOn(ScopeView& view, const PictureSettings& s, int trace);
// piirto / piirto30 / piirto10: plot and draw.
void DrawPlain(ScopeView& view, const PictureSettings& s, int first, int end);
void DrawSine(ScopeView& view, const PictureSettings& s, int first, int end, int step);
void DrawLinear(ScopeView& view, const PictureSettings& s, int first, int end, int step);
// Kayran_Piirto: draws the first count points of the view's PlotPoints with
// the canvas pen (not-xor), moving clipped points onto the frame and repairing it.
void DrawPlotPoints(ScopeView& view, const PictureSettings& s, int count);
// viiva: the trigger-position tick, not-xor (drawing it twice removes it).
void DrawTriggerTick(ScopeView& view, const PictureSettings& s);
// The same tick in the given pen.
void DrawTriggerTick(ScopeView& view, const PictureSettings& s, TColor pen);

}  // namespace display
