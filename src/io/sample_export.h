// The sample-export block: after every capture both channels, with what a
// reader needs to scale them, and a data-ready word set last.
//
// Word 0 sample rate (S/s), 1 CH2 span (mV over 8 divisions), 2 255 minus
// CH2's ground level, 3..4098 the CH2 codes; 4099..8197 the same for CH1;
// 8198 data ready (1 after every write; readers clear it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "io/shared_blocks.h"

namespace io {

inline constexpr std::size_t kExportChannelSamples = 4096;
inline constexpr std::size_t kExportCh2Header = 0;
inline constexpr std::size_t kExportCh1Header = 4099;
inline constexpr std::size_t kExportDataReady = 8198;

// Samples per second of a device time-base code; 0 for a code no time/div
// button sets.
std::int32_t ExportSampleRate(std::uint8_t timeBaseCode);
// Millivolts over the 8 divisions of a range code; 0 for an unknown code.
// The probe factor does not enter.
std::int32_t ExportSpanMillivolts(std::uint8_t rangeCode);

struct SampleExport {
  std::uint8_t TimeBaseCode = 0;
  std::uint8_t Ch1GainCode = 0;
  std::uint8_t Ch2GainCode = 0;
  std::int32_t Ch1GroundLevel = 0;
  std::int32_t Ch2GroundLevel = 0;
  std::span<const std::int32_t> Ch1;  // 4096 codes each
  std::span<const std::int32_t> Ch2;
};

// Writes one capture into `block`; the data-ready word is stored last with
// release order, so a reader that sees it set also sees the whole capture.
void WriteSampleExport(SharedWords& block, const SampleExport& capture);

}  // namespace io
