// Each channel's half of the sample, spectrum input and spectrum level
// blocks, by channel number (1 or 2; any other value: 2).
#pragma once

#include "display/spectrum.h"
#include "engine/scope_state.h"

namespace engine::spectrum {

inline display::ChannelEntries ChannelSamples(ScopeSharedState& s, int channel) {
  return channel == 1 ? s.Ch1Samples() : s.Ch2Samples();
}

inline display::ChannelEntries ChannelSpectrumInput(ScopeSharedState& s, int channel) {
  return channel == 1 ? s.Ch1SpectrumInput() : s.Ch2Spectrum();
}

inline display::ChannelEntries ChannelSpectrumLevels(ScopeSharedState& s, int channel) {
  return channel == 1 ? s.Ch1SpectrumLevels() : display::ChannelEntries(s.SpectrumLevels.data(), display::kChannelSamples);
}

}  // namespace engine::spectrum
