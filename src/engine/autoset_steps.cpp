// Autoset's signal measures and the step rules; see autoset.h.
#include <algorithm>

#include "engine/autoset.h"
#include "engine/step_tables.h"

namespace engine {

namespace {

constexpr std::int32_t kMidCode = 128;
constexpr int kFewChanges = 200;   // a run longer than this: too few level changes
constexpr int kManyChanges = 50;   // a run shorter than this: too many
constexpr std::int32_t kMagnifiedTimePerDiv = 500;  // 5 us/div and faster
constexpr std::size_t kRow100ms = 2;
constexpr std::size_t kRow10us = 15;
constexpr std::size_t kRow2us = 17;

bool HasButton(std::size_t row) { return row < TimeBaseTable.size() && TimeBaseTable[row].Button; }

}  // namespace

SignalSpan MeasureSignal(std::span<const std::int32_t> channel) {
  SignalSpan s;
  const std::size_t end = std::min(channel.size(), kAutosetFirstSample + kAutosetSampleCount);
  int high = 0, low = 0;
  for (std::size_t i = kAutosetFirstSample; i < end; ++i) {
    const std::int32_t v = channel[i];
    s.Min = std::min(s.Min, v);
    s.Max = std::max(s.Max, v);
    if (v >= kMidCode) {
      ++high;
      low = 0;
    } else {
      ++low;
      high = 0;
    }
    s.HighRun = std::max(s.HighRun, high);
    s.LowRun = std::max(s.LowRun, low);
  }
  return s;
}

TimeBaseMove TimeBaseMoveFor(const SignalSpan& s) {
  if (s.HighRun > kFewChanges || s.LowRun > kFewChanges) return TimeBaseMove::Slower;
  if (s.HighRun < kManyChanges || s.LowRun < kManyChanges) return TimeBaseMove::Faster;
  return TimeBaseMove::Settled;
}

std::size_t AutosetSlowerRow(std::size_t row) {
  if (row >= TimeBaseTable.size() || row <= kRow100ms) return row;
  if (TimeBaseTable[row].TimePerDiv == kMagnifiedTimePerDiv) return kRow10us;
  return SlowerTimeRow(row).value_or(row);
}

std::size_t AutosetFasterRow(std::size_t row) {
  if (row >= TimeBaseTable.size() || row < kRow100ms) return row;
  if (TimeBaseTable[row].TimePerDiv == kMagnifiedTimePerDiv) return kRow2us;
  return FasterTimeRow(row).value_or(row);
}

std::optional<std::size_t> SlowerTimeRow(std::size_t row) {
  for (std::size_t r = row; r-- > 0;)
    if (HasButton(r)) return r;
  return std::nullopt;
}

std::optional<std::size_t> FasterTimeRow(std::size_t row) {
  for (std::size_t r = row + 1; r < TimeBaseTable.size(); ++r)
    if (HasButton(r)) return r;
  return std::nullopt;
}

std::optional<std::size_t> MoreSensitiveRange(std::size_t row) {
  if (row + 1 >= RangeTable.size()) return std::nullopt;
  return row + 1;
}

std::optional<std::size_t> LessSensitiveRange(std::size_t row) {
  if (row == 0 || row >= RangeTable.size()) return std::nullopt;
  return row - 1;
}

}  // namespace engine
