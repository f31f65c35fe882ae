// The spectrum helpers the Run loop applies after each transform: the
// averaged level of the FFT slots, the maximum hold and its peak store.
#include "engine/spectrum_hold.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "display/spectrum.h"
#include "engine/scope_state.h"
#include "platform/os/numeric.h"

namespace {

using display::kFftBins;
using display::kFftSlots;

float FftMagnitude(int bin, int slot) {
  float value = 0.0f;
  const std::size_t offset = (static_cast<std::size_t>(bin) * kFftSlots + static_cast<std::size_t>(slot)) * sizeof(float);
  if (engine::ScopeState.FftAverageBlock && offset + sizeof(float) <= engine::kWorkBlockBytes)
    std::memcpy(&value, engine::ScopeState.FftAverageBlock + offset, sizeof(float));
  return value;
}

std::uint16_t PeakLevel(std::size_t k) {
  std::uint16_t value = 0;
  if (engine::ScopeState.SpectrumPeakBlock) std::memcpy(&value, engine::ScopeState.SpectrumPeakBlock + 2 * k, sizeof value);
  return value;
}

void SetPeakLevel(std::size_t k, std::uint16_t value) {
  if (engine::ScopeState.SpectrumPeakBlock) std::memcpy(engine::ScopeState.SpectrumPeakBlock + 2 * k, &value, sizeof value);
}

// Only the low 16 bits of a level entry carry the level.
void WriteLow16(std::int32_t& entry, std::int64_t value) {
  const auto low = static_cast<std::uint32_t>(value) & 0xFFFFu;
  entry = static_cast<std::int32_t>((static_cast<std::uint32_t>(entry) & 0xFFFF0000u) | low);
}

}  // namespace

namespace engine {

void average_fft() {
  using namespace display;
  std::span<std::int32_t, kChannelSamples> shown = ScopeState.Ch1On ? Ch1Samples : Ch2Samples;
  std::int32_t* levels = ScopeState.Ch1On ? Ch1SpectrumLevels.data() : ScopeState.SpectrumLevels.data();
  for (int b = 0; b < kFftBins; ++b) {
    double squares = 0.0;
    for (int s = 0; s < kFftSlots; ++s) {
      const double m = FftMagnitude(b, s);
      squares += m * m;
    }
    const double rms = std::sqrt(squares / kFftSlots);
    const std::int64_t level = numeric::Round(64.0 * (2.0 + std::log10(0.0001 + rms)));
    const auto display = static_cast<std::int32_t>(std::clamp<std::int64_t>(level - 210, 0, 255));
    const auto at = static_cast<std::size_t>(2 * b);
    shown[at] = display;
    shown[at + 1] = display;
    WriteLow16(levels[at], level);
    WriteLow16(levels[at + 1], level);
  }
}

void maximize_fft() {
  using namespace display;
  for (std::size_t k = 0; k < kCaptureBytes; ++k) {
    const auto value = static_cast<std::uint16_t>(ScopeState.ScopeSampleBlock[k]);
    ScopeState.ScopeSampleBlock[k] = std::max(value, PeakLevel(k));
  }
}

void refresh_fft() {
  using namespace display;
  const bool keep = ScopeState.FftAverageOn || !ScopeState.SettingsChanged;
  for (std::size_t k = 0; k < kCaptureBytes; ++k)
    SetPeakLevel(k, keep ? static_cast<std::uint16_t>(ScopeState.ScopeSampleBlock[k]) : 0);
}

}  // namespace engine
