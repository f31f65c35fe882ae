// The spectrum helpers the Run loop applies after each transform: the
// averaged level of the FFT slots, the maximum hold and its peak store.
#include "engine/spectrum/spectrum_hold.h"

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

float FftMagnitude(const engine::WithScopeStates& states, int bin, int slot) {
  float value = 0.0f;
  const std::size_t offset = (static_cast<std::size_t>(bin) * kFftSlots + static_cast<std::size_t>(slot)) * sizeof(float);
  if (states.ScopeState.FftAverageBlock && offset + sizeof(float) <= engine::kWorkBlockBytes)
    std::memcpy(&value, states.ScopeState.FftAverageBlock + offset, sizeof(float));
  return value;
}

std::uint16_t PeakLevel(const engine::WithScopeStates& states, std::size_t k) {
  std::uint16_t value = 0;
  if (states.ScopeState.SpectrumPeakBlock) std::memcpy(&value, states.ScopeState.SpectrumPeakBlock + 2 * k, sizeof value);
  return value;
}

void SetPeakLevel(const engine::WithScopeStates& states, std::size_t k, std::uint16_t value) {
  if (states.ScopeState.SpectrumPeakBlock) std::memcpy(states.ScopeState.SpectrumPeakBlock + 2 * k, &value, sizeof value);
}

// Only the low 16 bits of a level entry carry the level.
void WriteLow16(std::int32_t& entry, std::int64_t value) {
  const auto low = static_cast<std::uint32_t>(value) & 0xFFFFu;
  entry = static_cast<std::int32_t>((static_cast<std::uint32_t>(entry) & 0xFFFF0000u) | low);
}

}  // namespace

namespace engine {

void average_fft(const engine::WithScopeStates& states) {
  std::span<std::int32_t, display::kChannelSamples> shown = states.ScopeState.Settings.Channels[0].On ? states.ScopeState.Ch1Samples() : states.ScopeState.Ch2Samples();
  std::int32_t* levels = states.ScopeState.Settings.Channels[0].On ? states.ScopeState.Ch1SpectrumLevels().data() : states.ScopeState.SpectrumLevels.data();
  for (int b = 0; b < display::kFftBins; ++b) {
    double squares = 0.0;
    for (int s = 0; s < display::kFftSlots; ++s) {
      const double m = FftMagnitude(states, b, s);
      squares += m * m;
    }
    const double rms = std::sqrt(squares / display::kFftSlots);
    const std::int64_t level = numeric::Round(64.0 * (2.0 + std::log10(0.0001 + rms)));
    const auto display = static_cast<std::int32_t>(std::clamp<std::int64_t>(level - 210, 0, 255));
    const auto at = static_cast<std::size_t>(2 * b);
    shown[at] = display;
    shown[at + 1] = display;
    WriteLow16(levels[at], level);
    WriteLow16(levels[at + 1], level);
  }
}

void maximize_fft(const engine::WithScopeStates& states) {
  for (std::size_t k = 0; k < display::kCaptureBytes; ++k) {
    const auto value = static_cast<std::uint16_t>(states.ScopeState.ScopeSampleBlock[k]);
    states.ScopeState.ScopeSampleBlock[k] = std::max(value, PeakLevel(states, k));
  }
}

void refresh_fft(const engine::WithScopeStates& states) {
  const bool keep = states.ScopeState.FftAverageOn || !states.ScopeState.SettingsChanged;
  for (std::size_t k = 0; k < display::kCaptureBytes; ++k)
    SetPeakLevel(states, k, keep ? static_cast<std::uint16_t>(states.ScopeState.ScopeSampleBlock[k]) : 0);
}

}  // namespace engine
