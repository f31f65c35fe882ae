// The arithmetic of Autoset and of the front panel's step keys: what one
// capture of a channel says about its signal, and which row of the volts/div
// or time/div table is the next one in either direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace engine {

// The samples Autoset reads of a channel: 4 .. 4004.
inline constexpr std::size_t kAutosetFirstSample = 4;
inline constexpr std::size_t kAutosetSampleCount = 4001;

// Smallest and largest code, and the longest runs at or above mid-screen
// (128) and below it, over the samples Autoset reads.
struct SignalSpan {
  std::int32_t Min = 255;
  std::int32_t Max = 0;
  int HighRun = 0;
  int LowRun = 0;
  // 0 or 255 somewhere: the signal leaves the screen.
  bool Clipped() const { return Max >= 255 || Min <= 0; }
  // Inside the middle half of the screen (64 .. 192).
  bool InMiddleHalf() const { return Max <= 192 && Min >= 64; }
};
SignalSpan MeasureSignal(std::span<const std::int32_t> channel);

// What the time-base search does after a capture.
enum class TimeBaseMove { Slower, Faster, Settled };
TimeBaseMove TimeBaseMoveFor(const SignalSpan& s);

// Rows of TimeBaseTable as Autoset steps through them: slower stops at
// 100 ms/div, faster at 2 us/div; every step of 5 us/div and faster counts
// as one (slower goes to 10 us, faster to 2 us).
std::size_t AutosetSlowerRow(std::size_t row);
std::size_t AutosetFasterRow(std::size_t row);

// The neighbouring time/div button rows (500 ms .. 0.1 us) and volts/div
// rows (3 V .. 10 mV); nothing past either end.
std::optional<std::size_t> SlowerTimeRow(std::size_t row);
std::optional<std::size_t> FasterTimeRow(std::size_t row);
std::optional<std::size_t> MoreSensitiveRange(std::size_t row);
std::optional<std::size_t> LessSensitiveRange(std::size_t row);

}  // namespace engine
