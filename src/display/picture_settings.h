// What the scope pictures draw from besides their own view: the samples, the
// few settings the traces, labels and read-outs depend on, the colours and
// the persistence ramps. The scope window gathers them for each drawing step;
// the drawing only reads them.
#pragma once

#include <cstdint>
#include <string>

#include "display/persistence_state.h"
#include "display/sample_block.h"
#include "display/screen_colors.h"

namespace display {

struct PictureSettings {
  SampleBlockView Samples{kSilentSampleBlock};  // the sample block the traces are plotted from

  // ---- Traces
  std::uint8_t Ch1On = 1;
  std::uint8_t Ch2On = 1;
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
  // Pixels the shown CH1 / CH2 trace is moved up while acquisition is stopped.
  std::int32_t Ch1CapturePos = 0;
  std::int32_t Ch2CapturePos = 0;
  std::uint8_t LiveTraceOn = 1;       // 0 while graded or variable persistence alone shows the traces

  // ---- Math and XY traces; at most one mode is set.
  std::uint8_t XYPlotMode = 0;
  std::uint8_t Ch1PlusCh2Mode = 0;
  std::uint8_t Ch1MinusCh2Mode = 0;
  std::uint8_t MultiplyMode = 0;
  std::uint8_t DivideMode = 0;

  // ---- Vertical scale: range codes and ground levels (codes)
  std::uint8_t Ch1GainCode = 27;
  std::uint8_t Ch2GainCode = 27;
  std::int32_t Ch1GroundLevel = 128;
  std::int32_t Ch2GroundLevel = 128;
  std::int32_t FileCh1Ground = 10000;  // a loaded data file's, 10000 while none
  std::int32_t FileCh2Ground = 10000;
  double Ch1ProbeFactor = 1.0;
  double Ch2ProbeFactor = 1.0;
  double Ch1ProbeDb = 0.0;
  double Ch2ProbeDb = 0.0;

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
  std::string Ch1RangeText;
  std::string Ch2RangeText;
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

  // An inverted CH2 is on show (drawn mirrored, in the second math colour).
  bool InvertedCh2() const { return InvertCh2Mode && !MathOff; }
  // An arithmetic trace (sum, difference, product or quotient) is on show.
  bool ArithmeticShown() const { return !MathOff && (Ch1PlusCh2Mode || Ch1MinusCh2Mode || MultiplyMode || DivideMode); }
  // The XY figure is on show.
  bool XYShown() const { return !MathOff && XYPlotMode; }
};

}  // namespace display
