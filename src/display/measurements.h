// Waveform measurements of one capture, as pure functions over a channel's
// 4096 raw codes (0..255, 32 codes per division) and the few settings they
// need. Everything is computed in codes and samples and turned into volts,
// seconds and texts only at the end. The measurement window, the on-screen
// RMS read-out and the Bode plotter call these.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "display/channel_defaults.h"

namespace display {

inline constexpr int kCodesPerDiv = 32;  // sample codes per vertical division

inline constexpr int kSamples = 4096;
using ChannelCodes = std::span<const std::int32_t, kSamples>;

// ---- Scales and units.
// Volts per division of a range code and the unit the values are shown in
// ("V" or "mV"); an unknown code reads as 1 V.
struct RangeUnit {
  double VoltsPerDiv;
  const char* Unit;
};
RangeUnit RangeVolts(std::uint8_t rangeCode);

// Sample rate of a time-base code in the unit of frequencies ("Hz", "kHz",
// "MHz"); an unknown code reads as the fastest rate.
struct SampleRate {
  double Rate;
  const char* Unit;
};
SampleRate RateOfTimeBase(std::uint8_t timeBaseCode);

// ---- Texts.
// A number with a fixed count of decimals and '.' as separator whatever the
// locale; NaN and infinities come out as "NAN", "INF", "-INF".
std::string FixedText(double value, int decimals);
// muunna: a value with the decimals its scale calls for. A scale above 99
// (times, frequencies, dB, percent) takes 0 to 3 decimals by magnitude; any
// other scale is volts/div and takes the decimals of its volts per code.
std::string muunna(double scale, double value);
// A sample count as a time: "<value> ms" or "<value> us".
std::string SamplesAsTime(double samples, SampleRate rate);

// Clip marks (" ??" or empty) for values that depend on a clipped trace.
struct ClipMarks {
  std::string Both, Top, Bottom;
};
ClipMarks ClipMarksOf(int max, int min);

// ---- Building blocks (codes and samples).
struct Levels {
  int Low, High;
};
// high_low: top and base levels from the smoothed histogram; max and min
// themselves when no level stands out. Needs min < max.
Levels HighLow(ChannelCodes x, int max, int min);
// risetime / falltime between the thresholds lo and hi: whole samples, or -1.
// timePerDiv (10 ns units) lets the fastest time base report a one-sample edge.
int RiseTime(ChannelCodes x, int lo, int hi, std::int32_t timePerDiv);
int FallTime(ChannelCodes x, int lo, int hi, std::int32_t timePerDiv);
// p_width / n_width at level a. Count 0: no usable crossings; -1: crossings
// but no run of at least 3 samples.
struct PulseStats {
  int Count = 0;
  int Sum = 0;
  int Span = 0;
};
PulseStats PositiveWidth(ChannelCodes x, int a);
PulseStats NegativeWidth(ChannelCodes x, int a);

// ---- One channel's measurement pass.
struct ChannelSetup {
  std::uint8_t RangeCode = kDefaultRangeCode;
  double ProbeFactor = 1.0;
  int GroundCode = 127;  // the code 0 V gives
  std::uint8_t TimeBaseCode = 82;
  std::int32_t TimePerDiv = 100000;
  // The position was moved since the trace was captured: values that depend
  // on the ground reference are left out.
  bool PositionMoved = false;
  // The fractional spectral-peak bin of the channel for the frequency of
  // pulses too short to measure; empty when there is no spectrum to ask.
  std::function<double()> SpectralPeakBin;
};

// Rows of the measurement table (0 and 14 are headers).
enum MeasureRow {
  kRowDcMean = 1, kRowMax, kRowMin, kRowPeakToPeak, kRowHigh, kRowLow, kRowAmplitude,
  kRowAcRms, kRowAcDbv, kRowAcDbm, kRowAcDcRms, kRowAcDcDbv, kRowAcDcDbm,
  kRowTiming, kRowDuty, kRowPosWidth, kRowNegWidth, kRowRise, kRowFall, kRowPeriod, kRowFrequency, kRowPhase,
  kMeasureRows
};
using MeasureCells = std::array<std::string, kMeasureRows>;

// The texts of rows 1..21 for one channel (row 22, the phase, is the pair's).
MeasureCells MeasureChannel(ChannelCodes x, const ChannelSetup& setup);

// calculate_phase: phase of CH2 against CH1 in degrees, positive when CH2
// lags; 0 when no period can be found.
double CalculatePhase(ChannelCodes ch1, ChannelCodes ch2);
// The phase cell text ("<value> deg", 1 decimal).
std::string PhaseText(double degrees);

// ---- RMS read-out of the shown channel (rms_out).
struct RmsReadout {
  double RmsVolts = 0;         // in the range's unit
  std::int32_t MeanCode = 0;
  double MeanVolts = 0;        // the mean code scaled, not relative to ground
  std::string RmsValue;        // "1.23", or "..." for a clipped trace
  std::string DbmValue;        // "-1.2", or "..."
};
RmsReadout MeasureRms(ChannelCodes x, std::uint8_t rangeCode, double probeFactor);

}  // namespace display
