#include "io/generator_mailbox.h"

#include <algorithm>
#include <array>

namespace io {

namespace {

// The lower edges of the ranges above the lowest, top range first.
constexpr std::array<double, kRemoteFrequencyRanges - 1> kLowerEdges{50000, 5000, 500, 50, 5, 0.5, 0.05};

}  // namespace

std::size_t RemoteFrequencyRange(double hz) {
  for (std::size_t i = 0; i < kLowerEdges.size(); ++i)
    if (hz >= kLowerEdges[i]) return i;
  return kLowerEdges.size();
}

double RemoteFrequencyInRangeUnit(double hz, std::size_t range) {
  double f = std::min(hz, 1000000.0);
  if (f >= 5000) f /= 1000;  // kHz ranges
  // Only the lowest range counts in mHz; 0.05 .. 0.1 Hz stays in hertz on
  // its own range.
  if (range == kRemoteFrequencyRanges - 1) f *= 1000;
  return std::max(f, 0.005);
}

std::string RemoteLibraryName(std::span<const std::int32_t> words, std::int32_t length) {
  std::string name;
  if (length <= 0) return name;
  const std::size_t n = std::min<std::size_t>({static_cast<std::size_t>(length), words.size(), kGenNameRoom});
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t c = words[i];
    if (c < 1 || c > 255) continue;
    if (c < 0x80) {
      name += static_cast<char>(c);
    } else {
      name += static_cast<char>(0xC0 | (c >> 6));
      name += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return name;
}

}  // namespace io
