#include "io/sample_export.h"

#include <algorithm>
#include <array>
#include <utility>

namespace io {

std::int32_t ExportSampleRate(std::uint8_t timeBaseCode) {
  static constexpr std::array<std::pair<std::uint8_t, std::int32_t>, 16> kRates{{
      {5, 250}, {2, 625}, {93, 1250}, {64, 2500}, {65, 6250}, {66, 12500}, {80, 25000}, {81, 62500},
      {82, 125000}, {88, 250000}, {89, 625000}, {90, 1250000}, {92, 2500000}, {85, 6250000},
      {94, 12500000}, {32, 25000000},
  }};
  for (const auto& [code, rate] : kRates)
    if (code == timeBaseCode) return rate;
  return 0;
}

std::int32_t ExportSpanMillivolts(std::uint8_t rangeCode) {
  switch (rangeCode) {
    case 1: return 24000;
    case 27: return 8000;
    case 11: return 2400;
    case 29: return 800;
    case 13: return 240;
    case 30: return 80;
    default: return 0;
  }
}

void WriteSampleExport(SharedWords& block, const SampleExport& capture) {
  const std::int32_t rate = ExportSampleRate(capture.TimeBaseCode);
  const auto channel = [&](std::size_t header, std::uint8_t gain, std::int32_t ground,
                           std::span<const std::int32_t> samples) {
    block.Set(header, rate);
    block.Set(header + 1, ExportSpanMillivolts(gain));
    block.Set(header + 2, 255 - ground);
    const std::size_t n = std::min(samples.size(), kExportChannelSamples);
    block.Write(header + 3, samples.first(n));
    for (std::size_t i = n; i < kExportChannelSamples; ++i) block.Set(header + 3 + i, 0);
  };
  channel(kExportCh2Header, capture.Ch2GainCode, capture.Ch2GroundLevel, capture.Ch2);
  channel(kExportCh1Header, capture.Ch1GainCode, capture.Ch1GroundLevel, capture.Ch1);
  block.Set(kExportDataReady, 1, std::memory_order_release);
}

}  // namespace io
