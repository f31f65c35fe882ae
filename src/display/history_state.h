// The history of captures: a ring of 1002 slots of 8193 bytes, byte k of
// slot c at c * 8193 + k, so that storing or showing a trace walks one run
// of memory, and slots never stored take no memory. HistoryLength + 1 slots
// are in use. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "display/sample_block.h"

namespace display {

inline constexpr std::size_t kHistoryColumns = 1002;

// The history's values that change while the program runs, each with its start-up value.
struct HistorySharedState {
  // The ring (layout above).
  std::array<std::uint8_t, kSampleBlockEntries * kHistoryColumns> HistoryBuffer{};
  std::int32_t HistoryLength = 1000;
  std::int32_t HistoryIndex = 0;        // the slot the next capture goes to (the oldest)
  std::int32_t HistoryViewIndex = 0;    // the slot last stored or shown
  std::uint8_t HistoryStoreOn = 1;      // clear: the next capture is not stored
  std::uint8_t HistorySliderArmed = 1;  // 0 while the program moves the history bars
};

}  // namespace display
