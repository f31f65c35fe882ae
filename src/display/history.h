// The history of captures: storing each capture in the ring, choosing a
// stored trace by the slider, the history file, and the defaults of a new
// session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/history_state.h"
#include "display/sample_block.h"

namespace display {

// Appends the sample block to the history ring when storing is on (a caller
// skips exactly one capture by clearing HistoryStoreOn), then turns storing on.
void StoreCaptureInHistory(HistorySharedState& h, SampleBlockView samples);
// An empty ring of 1000 captures with storing on.
void ResetHistory(HistorySharedState& h);

// The slot that slider position 0 .. HistoryLength shows (HistoryLength the
// newest, 0 the oldest), with the ring's next slot at `index`.
std::int32_t HistorySlotOfPosition(std::int32_t position, std::int32_t index, std::int32_t length);
// The status text of a slider position: "Trace: 0" for the newest,
// "Trace: -1000" for the oldest.
std::string HistoryTraceLabel(std::int32_t position, std::int32_t length);
// Copies slot `slot` into the sample block, the spectrum input and (the bit
// view passes it; else it is empty) as much of the sample copy as it holds.
void ShowHistorySlot(const HistorySharedState& h, std::int32_t slot, SampleBlockSpan samples, SampleBlockSpan spectrumInput,
                     std::span<std::int32_t> sampleCopy);
// Byte i of the trace in slot `slot` (0 outside the ring).
std::uint8_t HistorySample(const HistorySharedState& h, std::int32_t slot, std::size_t i);
// Every slot emptied (code 0), the indexes at 0.
void ClearHistoryRing(HistorySharedState& h);

// ---- History files: 1001 records of 8193 bytes, oldest trace first.
inline constexpr std::size_t kHistoryFileRecords = 1001;
inline constexpr std::size_t kHistoryFileBytes = kHistoryFileRecords * kSampleBlockEntries;
// The ring as a file, from slot HistoryIndex (the oldest) round to the newest.
std::vector<std::uint8_t> HistoryFileBytes(HistorySharedState& h);
// The records of a file in ring order (record k in slot k), or nothing when
// it holds fewer than 1001 records; bytes past them are not read.
std::optional<std::vector<std::uint8_t>> HistoryRingFromFile(const std::vector<std::uint8_t>& file);
// Takes a ring read from a file: records in slots 0..1000, the indexes at 0.
void CommitHistoryRing(HistorySharedState& h, const std::vector<std::uint8_t>& ring);

}  // namespace display
