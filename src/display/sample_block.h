// The sample block every display and analysis step reads: raw 8-bit codes,
// 32 per vertical division; CH2 first, then CH1, then one spare entry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace display {

inline constexpr std::size_t kChannelSamples = 4096;
inline constexpr std::size_t kSampleBlockEntries = 2 * kChannelSamples + 1;
inline constexpr std::size_t kCaptureBytes = 2 * kChannelSamples;

// A whole sample block to read, and one to fill.
using SampleBlockView = std::span<const std::int32_t, kSampleBlockEntries>;
using SampleBlockSpan = std::span<std::int32_t, kSampleBlockEntries>;

// A block of silence (code 0), for a reader given no samples.
inline constexpr std::array<std::int32_t, kSampleBlockEntries> kSilentSampleBlock{};

}  // namespace display
