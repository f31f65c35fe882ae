#include "io/sample_export.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/main_form.h"
#include "engine/scope_state.h"

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

void TForm1::SaveShareData(const display::Capture& taken) {
  using namespace engine;
  if (!io::SampleExportBlock) return;
  // The export carries the trace as shown: the capture's codes, or the
  // spectrum levels and the bit view's logic lines the scope made of them.
  const display::SampleBlockView shown =
      taken.Settings.SpectrumMode || taken.Settings.DigitalMode ? ScopeState.ScopeSampleBlock : taken.Block();
  io::SampleExport capture;
  capture.TimeBaseCode = taken.Settings.TimeBaseCode;
  capture.Ch1GainCode = taken.Settings.Ch1GainCode;
  capture.Ch2GainCode = taken.Settings.Ch2GainCode;
  capture.Ch1GroundLevel = taken.Settings.Ch1GroundLevel;
  capture.Ch2GroundLevel = taken.Settings.Ch2GroundLevel;
  capture.Ch1 = shown.subspan<display::kChannelSamples, display::kChannelSamples>();
  capture.Ch2 = shown.first<display::kChannelSamples>();
  // Another program of the user may have made the block smaller; written
  // beyond its end, the capture would end the whole program.
  io::UseSharedBlock(
      io::SampleExportBlock, [&] { io::WriteSampleExport(*io::SampleExportBlock, capture); },
      "Sample export stopped: another program made ",
      " smaller while a capture was written to it.\rOther programs get no more captures until the Darvik48 "
      "software is started again.");
}

std::int32_t TForm1::GetShareData(int index) {
  return io::SampleExportBlock && index >= 0 ? io::SampleExportBlock->Get(static_cast<std::size_t>(index)) : 0;
}

void TForm1::SetShareData(int index, std::int32_t value) {
  if (io::SampleExportBlock && index >= 0) io::SampleExportBlock->Set(static_cast<std::size_t>(index), value);
}
