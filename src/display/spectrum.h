// The spectrum analyser's arithmetic over explicit inputs: the six FFT
// windows, the input preparation with its capture-to-capture smoothing, the
// 4096-point float transform, the levels written back as a trace, the peak
// frequency estimate, and the logarithmic frequency axis with its marker and
// zoom conversions. No window, control or shared variable is touched here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace display {

inline constexpr int kFftPoints = 4096;
inline constexpr int kFftBins = 2048;
inline constexpr int kFftSlots = 8;       // magnitudes kept per bin for the spectrum average
inline constexpr int kLogAxisPoints = 2560;

using ChannelCodes = std::span<const std::int32_t, kFftPoints>;
using ChannelEntries = std::span<std::int32_t, kFftPoints>;
using FloatSignal = std::span<float, kFftPoints>;
using ConstFloatSignal = std::span<const float, kFftPoints>;

// ---- Windows, in the order of the "FFT Window" menu.
enum class FftWindow { Rectangle, Bartlett, Hamming, Hanning, Blackman, FlatTop };

struct FftWindowFactors {
  double Amplitude;  // multiplies the mean-removed samples (amplitude correction)
  double DensityDb;  // correction of the spectral-density read-out
};
FftWindowFactors WindowFactors(FftWindow window);
void FillWindowTable(FftWindow window, FloatSignal table);

// ---- Twiddles: slot round(1000 t) holds (cos t, sin t) for the angles
// t = 2 pi m / 4096, 0 <= m < 2048, that the butterflies use.
class TwiddleTable {
 public:
  static constexpr int kSlots = 4096;
  TwiddleTable();
  float Cos(int slot) const { return slots_[2 * static_cast<std::size_t>(slot)]; }
  float Sin(int slot) const { return slots_[2 * static_cast<std::size_t>(slot) + 1]; }
  // The factors of one stage (span 1, 2, 4 ... 2048) in butterfly order k = 0 .. span-1.
  const float* StageCos(int span) const { return stage_cos_.data() + span - 1; }
  const float* StageSin(int span) const { return stage_sin_.data() + span - 1; }

 private:
  std::array<float, 2 * kSlots> slots_{};
  // The same values gathered stage by stage, so that a stage reads them in order.
  std::array<float, kFftPoints> stage_cos_{};
  std::array<float, kFftPoints> stage_sin_{};
};

// The radix-2 transform in place on float32: bit-reversed copy of the staged
// input into re (im cleared), then twelve butterfly stages.
void Transform(const TwiddleTable& twiddles, ConstFloatSignal staged, FloatSignal re, FloatSignal im);

// ---- Levels: 64 per decade of magnitude (3.2 per dB), zero magnitude is -128.
std::int32_t SpectrumLevel(double magnitude);
// The display level of a level: 255 levels over about 80 dB.
inline std::int32_t DisplayLevel(std::int32_t level) { return level < 210 ? 0 : level > 465 ? 255 : level - 210; }
// A level entry holds its level in the low 16 bits, signed.
inline std::int16_t LevelOf(std::int32_t entry) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(entry) & 0xFFFFu));
}
inline void WriteLow16(std::int32_t& entry, std::int32_t value) {
  entry = static_cast<std::int32_t>((static_cast<std::uint32_t>(entry) & 0xFFFF0000u) |
                                    (static_cast<std::uint32_t>(value) & 0xFFFFu));
}

// ---- One capture through the analyser.
// The smoothing and slot counters that live from capture to capture.
struct SpectrumCounters {
  std::int32_t WindowSkip = 3;  // while not 0 the smoothing restarts from the new capture
  std::int32_t FftSkip = 3;     // while not 0 every magnitude slot of a bin is written
  double SmoothWeight = 0.05;   // weight of the new capture in the smoothing
  double SmoothKeep = 0.95;
  std::int32_t FftCounter = 0;  // magnitude slot of the last transform, 0..7
};

// What a transform reads besides the codes.
struct SpectrumSetup {
  const TwiddleTable* Twiddles;
  ConstFloatSignal Window;
  double AmplitudeFactor;
  bool VectorAverage;  // smooth the time signal from capture to capture
};

// Where a transform writes.
struct SpectrumTargets {
  FloatSignal Work;    // the smoothed time signal, kept between captures
  FloatSignal Staged;  // the windowed input
  FloatSignal Re;
  FloatSignal Im;
  std::span<float, kFftBins * kFftSlots> Magnitudes;  // bin b, slot s at b * 8 + s
  ChannelEntries Display;  // display levels, two entries per bin (low 16 bits)
  ChannelEntries Levels;   // levels, two entries per bin (low 16 bits)
};

// Input preparation: smoothing (vector averaging), mean removal, window.
void PrepareSpectrumInput(ChannelCodes codes, const SpectrumSetup& setup, SpectrumCounters& counters,
                          FloatSignal work, FloatSignal staged);
// Preparation, transform, magnitudes and levels of one capture.
void RunSpectrum(ChannelCodes codes, const SpectrumSetup& setup, SpectrumCounters& counters,
                 const SpectrumTargets& out);

// The fractional bin of the spectral peak of a channel's codes, taken without
// window; 0 when no bin rises above level 0 or the peak is at bin 0.
double PeakFrequencyBin(ChannelCodes codes, const TwiddleTable& twiddles);

// ---- The logarithmic frequency axis.
// The bin each of the 2560 log points shows (bin 10 .. 2044).
std::span<const std::uint16_t, kLogAxisPoints> LogAxisBins();
// The 2048 bin values of a channel's entries (entry 2k, signed 16-bit).
void KeepBinValues(std::span<const std::int32_t, kFftPoints> entries, std::span<std::int16_t, kFftBins> kept);
// The log view into entries 0..2559; the linear view into entries 2k and 2k+1.
void WriteLogView(std::span<const std::int16_t, kFftBins> kept, ChannelEntries entries);
void WriteLinearView(std::span<const std::int16_t, kFftBins> kept, ChannelEntries entries);

// The frequency marker (in plotted points; 0 = not placed) from one axis to the other.
std::uint16_t MarkerLinToLog(std::uint16_t marker);
std::uint16_t MarkerLogToLin(std::uint16_t marker);

// Spectrum zoom: bins folded into one plotted pair of pixels.
// The zoom of a button (1, 2, 4 or 8) on either axis.
std::uint16_t ZoomOfButton(int factor, bool logAxis);
// The same button's zoom on the other axis.
std::uint16_t ZoomLinToLog(std::uint16_t zoom);
std::uint16_t ZoomLogToLin(std::uint16_t zoom);

}  // namespace display
