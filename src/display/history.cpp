// The history of captures.
#include "display/history.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


namespace display {

namespace {

constexpr std::size_t kTraceBytes = kSampleBlockEntries;

std::uint8_t* HistorySlot(HistorySharedState& h, std::size_t slot) { return h.HistoryBuffer.data() + slot * kTraceBytes; }
const std::uint8_t* HistorySlot(const HistorySharedState& h, std::size_t slot) {
  return h.HistoryBuffer.data() + slot * kTraceBytes;
}

// The ring's length and next slot, kept inside the buffer.
void HoldIndexes(HistorySharedState& h) {
  h.HistoryLength = std::clamp<std::int32_t>(h.HistoryLength, 0, static_cast<std::int32_t>(kHistoryColumns) - 1);
  if (h.HistoryIndex < 0 || h.HistoryIndex > h.HistoryLength) h.HistoryIndex = 0;
}

}  // namespace

void StoreCaptureInHistory(HistorySharedState& h, SampleBlockView samples) {
  HoldIndexes(h);
  if (h.HistoryStoreOn) {
    // Each code's low byte; sixteen at a time where the processor can.
    std::uint8_t* trace = HistorySlot(h, static_cast<std::size_t>(h.HistoryIndex));
    const std::int32_t* codes = samples.data();
    std::size_t k = 0;
#if defined(__SSE2__)
    // The slot is written whole and read back only when the history is
    // viewed: the stores go past the caches (nothing is fetched to be
    // overwritten, and the picture's memory stays cached). Slots are an odd
    // number of bytes long: the bytes up to the first 16-byte boundary go
    // one by one.
    const std::size_t head = (16 - reinterpret_cast<std::uintptr_t>(trace) % 16) % 16;
    for (; k < head && k < kTraceBytes; ++k) trace[k] = static_cast<std::uint8_t>(codes[k] & 0xFF);
    const __m128i low = _mm_set1_epi32(0xFF);
    const auto lows = [&](std::size_t at) {
      return _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + at)), low);
    };
    for (; k + 16 <= kTraceBytes; k += 16) {
      // 0..255 in every lane, so neither packing saturates.
      const __m128i a = _mm_packs_epi32(lows(k), lows(k + 4));
      const __m128i b = _mm_packs_epi32(lows(k + 8), lows(k + 12));
      _mm_stream_si128(reinterpret_cast<__m128i*>(trace + k), _mm_packus_epi16(a, b));
    }
    _mm_sfence();
#endif
    for (; k < kTraceBytes; ++k) trace[k] = static_cast<std::uint8_t>(codes[k] & 0xFF);
    h.HistoryViewIndex = h.HistoryIndex;
    ++h.HistoryIndex;
    if (h.HistoryIndex > h.HistoryLength) h.HistoryIndex = 0;
  }
  h.HistoryStoreOn = 1;
}

void ResetHistory(HistorySharedState& h) {
  h.HistoryLength = 1000;
  h.HistoryIndex = h.HistoryViewIndex = 0;
  h.HistoryStoreOn = 1;
}

std::int32_t HistorySlotOfPosition(std::int32_t position, std::int32_t index, std::int32_t length) {
  const std::int64_t s = static_cast<std::int64_t>(index) + position - (static_cast<std::int64_t>(length) + 1);
  const std::int64_t slot = s < 0 ? static_cast<std::int64_t>(index) + position : s;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(slot, 0, static_cast<std::int64_t>(kHistoryColumns) - 1));
}

std::string HistoryTraceLabel(std::int32_t position, std::int32_t length) {
  return "Trace: " + std::to_string(static_cast<std::int64_t>(position) - length);
}

void ShowHistorySlot(const HistorySharedState& h, std::int32_t slot, SampleBlockSpan samples, SampleBlockSpan spectrumInput,
                     std::span<std::int32_t> sampleCopy) {
  const std::uint8_t* trace =
      HistorySlot(h, static_cast<std::size_t>(std::clamp<std::int32_t>(slot, 0, static_cast<std::int32_t>(kHistoryColumns) - 1)));
  for (std::size_t i = 0; i < kTraceBytes; ++i) {
    const std::int32_t v = trace[i];
    samples[i] = v;
    spectrumInput[i] = v;
  }
  const std::size_t n = std::min(sampleCopy.size(), kTraceBytes);
  for (std::size_t i = 0; i < n; ++i) sampleCopy[i] = trace[i];
}

std::uint8_t HistorySample(const HistorySharedState& h, std::int32_t slot, std::size_t i) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= kHistoryColumns || i >= kTraceBytes) return 0;
  return HistorySlot(h, static_cast<std::size_t>(slot))[i];
}

void ClearHistoryRing(HistorySharedState& h) {
  h.HistoryIndex = h.HistoryViewIndex = 0;
  h.HistoryBuffer.fill(0);
}

std::vector<std::uint8_t> HistoryFileBytes(HistorySharedState& h) {
  HoldIndexes(h);
  std::vector<std::uint8_t> file;
  file.reserve(kHistoryFileBytes);
  const std::size_t ringSlots = static_cast<std::size_t>(h.HistoryLength) + 1;
  for (std::size_t n = 0; n < ringSlots; ++n) {
    const std::uint8_t* trace = HistorySlot(h, (static_cast<std::size_t>(h.HistoryIndex) + n) % ringSlots);
    file.insert(file.end(), trace, trace + kTraceBytes);
  }
  return file;
}

std::optional<std::vector<std::uint8_t>> HistoryRingFromFile(const std::vector<std::uint8_t>& file) {
  if (file.size() < kHistoryFileBytes) return std::nullopt;
  return std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(kHistoryFileBytes));
}

void CommitHistoryRing(HistorySharedState& h, const std::vector<std::uint8_t>& ring) {
  const std::size_t records = std::min(ring.size() / kTraceBytes, kHistoryFileRecords);
  std::copy(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(records * kTraceBytes), HistorySlot(h, 0));
  h.HistoryIndex = h.HistoryViewIndex = 0;
}

}  // namespace display
