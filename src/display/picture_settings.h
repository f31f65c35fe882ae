// What the scope pictures draw from besides their own view: the samples, the
// few settings the traces, labels and read-outs depend on, the colours and
// the persistence ramps. The scope window gathers them for each drawing step;
// the drawing only reads them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/channel_defaults.h"
#include "display/persistence_state.h"
#include "display/sample_block.h"
#include "display/screen_colors.h"

namespace display {

// What the pictures draw from of one channel.
struct PictureChannel {
  std::uint8_t On = 1;             // trace shown
  // Pixels the shown trace is moved up while acquisition is stopped.
  std::int32_t CapturePos = 0;
  // Vertical scale: range code and ground levels (codes).
  std::uint8_t GainCode = kDefaultRangeCode;
  std::int32_t GroundLevel = 128;
  std::int32_t FileGround = kNoFileGround;  // a loaded data file's
  double ProbeFactor = 1.0;
  double ProbeDb = 0.0;
  std::string RangeText;           // the range label above the grid
};

struct PictureSettings {
  SampleBlockView Samples{kSilentSampleBlock};  // the sample block the traces are plotted from

  // ---- Per channel: CH1, CH2
  std::array<PictureChannel, 2> Channels;

  // ---- Traces
  std::uint8_t MathOff = 1;
  std::uint8_t InvertCh2Mode = 0;
  std::uint8_t SpectrumMode = 0;
  std::uint8_t DigitalMode = 0;       // bit view
  std::uint8_t TracesShown = 1;
  std::uint8_t AcquisitionIdle = 1;   // a stopped trace follows its position bar
  std::uint8_t DotJoin = 1;
  std::uint8_t PlotMethod = 0;        // 0 plain, 1 and 2 interpolated
  int Persistence = 0;                // 0 while "Persist" is up, else the mode
  std::int32_t DisplayStart = 1024;
  std::int32_t CaptureStart = 1024;
  std::uint16_t PixelStep = 2;
  double Magnification = 10.0;
  std::uint8_t TriggerSource = 16;    // 16 CH1, 0 CH2, 1 external
  std::uint8_t InterpolationChoice = 0;  // "S/L": 1 linear, 0 sine interpolation
  std::uint8_t LiveTraceOn = 1;       // 0 while graded or variable persistence alone shows the traces

  // ---- Math and XY traces; at most one mode is set.
  std::uint8_t XYPlotMode = 0;
  std::uint8_t Ch1PlusCh2Mode = 0;
  std::uint8_t Ch1MinusCh2Mode = 0;
  std::uint8_t MultiplyMode = 0;
  std::uint8_t DivideMode = 0;

  // ---- Time base and spectrum
  std::int32_t TimePerDiv = 100000;
  std::int32_t CaptureTimePerDiv = 0;
  std::uint8_t LogFreqAxis = 0;
  std::uint16_t SpectrumZoom = 8;      // bins folded into one plotted pair of pixels
  std::int32_t SpectrumPoints = 4096;  // 4096 on the linear axis, 2560 on the log axis

  // ---- Markers
  std::uint8_t MarkersOn = 0;          // scope markers shown
  std::uint8_t FftMarkersOn = 0;       // spectrum markers shown
  // The level read-out is a spectral density, corrected for the FFT window by this many dB.
  std::uint8_t FftDensityMarkers = 0;
  double WindowDensityCorrection = 0;

  // ---- Labels around the grid
  std::string TimeDivText;
  std::string SampleRateText;
  std::string RmsText;
  std::string DbmText;
  std::string SpanText;                // the spectrum's span, as now on the picture
  std::uint8_t SampleRateOn = 0;
  std::uint8_t RmsOn = 0;
  std::uint8_t DbmOn = 0;

  // ---- Colours, and the persistence ramps
  ColorTable Colors;
  PersistenceLook Persist;

  // The channel the marker read-outs follow: CH1 while it is shown, else CH2.
  const PictureChannel& ShownChannel() const { return Channels[Channels[0].On ? 0 : 1]; }
  // An inverted CH2 is on show (drawn mirrored, in the second math colour).
  bool InvertedCh2() const { return InvertCh2Mode && !MathOff; }
  // An arithmetic trace (sum, difference, product or quotient) is on show.
  bool ArithmeticShown() const { return !MathOff && (Ch1PlusCh2Mode || Ch1MinusCh2Mode || MultiplyMode || DivideMode); }
  // The XY figure is on show.
  bool XYShown() const { return !MathOff && XYPlotMode; }
};

}  // namespace display
