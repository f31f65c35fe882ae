// Waveform synthesis: the one-period base tables and the steps that turn a
// base table into the 32768-entry output table. Pure functions over explicit
// inputs; the engine window gathers the inputs and keeps the results.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace generator {

// 32768 16-bit samples; one period occupies entries 0..31999, full scale is
// +-32766. Entries a builder does not write are 0.
using BaseSamples = std::vector<std::int16_t>;
// 32768 output entries, each 0..255.
using OutputSamples = std::vector<std::int32_t>;

BaseSamples SineTable();
// The square's duty-shifted triangle (duty in percent).
BaseSamples SquareTable(int dutyPercent);
// +32766 or -32766 over one period; the output is inverted, so the negative
// table gives the positive level.
BaseSamples DcTable(bool positive);
BaseSamples SincTable();
// 32768 Gaussian samples, no period.
BaseSamples NoiseTable(std::mt19937& random);
// The chirp shown while a sweep runs.
BaseSamples ChirpTable(double startHz, double stopHz);

// The attenuator range (1..7) for an amplitude in Vpp and the amplitude as a
// fraction of that range's full scale (before the output scale). Amplitudes at
// or below the smallest range's limit stay on range 1.
struct Attenuation {
  std::uint8_t Range = 1;
  double K = 0;
};
Attenuation ChooseAttenuator(double amplitudeVpp);

// What the shape step needs besides the base table.
struct ShapeStep {
  std::int32_t Shape = 0;
  double K = 0;                // scaled amplitude fraction
  std::int32_t RangeCode = 1;  // 8: the top range
  double Frequency = 0;        // in the range's unit (kHz on the top range)
  int Pass = 1;                // 1 first pass, 2 the sweep's second pass
};
// Fills `out` from `base` by shape; shape 0 leaves `out` as it was. Every
// entry written is clamped to 0..255.
void ShapeOutput(std::span<const std::int16_t> base, const ShapeStep& step, std::span<std::int32_t> out);

// The peak-offset shift of every entry (the sine mirrored), clamped to 0..255.
void ApplyPeakOffset(std::span<std::int32_t> out, double k, bool sine);
// The offset DAC byte that puts the negative peak at 0 V.
std::uint8_t AutoOffsetDac(std::uint8_t attenuatorRange, double k);
// Inverts every shape but the sine; square and triangle are also rotated by
// 10239 entries.
void ApplyPolarityAndPhase(std::span<std::int32_t> out, std::int32_t shape);

// The wave editor's preview table from the editor's base table.
OutputSamples EditorPreview(std::span<const std::int16_t> editor);

}  // namespace generator
