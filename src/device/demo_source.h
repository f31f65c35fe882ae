// The demo signal source: synthetic captures that take the same road as the
// device's. Two signal pairs ("DEMO 1" from 20 us/div up, "DEMO 2" below),
// shaped by each channel's volts/div and position, with a trigger search that
// honours level, slope and source. The shapes and display periods live in a
// table the scope provides (its demo work block); the source keeps where the
// next capture starts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "display/capture.h"
#include "display/channel_defaults.h"

namespace device {

// What the demo source takes from one channel's settings.
struct DemoChannel {
  std::uint8_t GainCode = display::kDefaultRangeCode;
  int Position = 0;  // the position bar
};

// What the demo source takes from the scope's settings.
struct DemoSettings {
  std::int32_t TimePerDiv = 100000;  // 10 ns units
  std::array<DemoChannel, 2> Channels;  // CH1, CH2
  std::uint8_t TriggerOff = 64;
  std::uint8_t TriggerSource = 16;
  std::uint8_t TriggerSlope = 32;
  std::uint8_t DeviceTriggerLevel = 128;
};

// The table: 1800 signed 16-bit entries, the two display periods (0..299
// CH1, 300..599 CH2) and the four source shapes. Null reads as all zeros.
inline constexpr std::size_t kDemoTableBytes = 2 * 1800;

class DemoSource {
 public:
  DemoSource();
  ~DemoSource();
  DemoSource(const DemoSource&) = delete;
  DemoSource& operator=(const DemoSource&) = delete;

  // The four source shapes into `table`; the noise starts afresh from `seed`.
  void MakeShapes(std::uint8_t* table, std::uint32_t seed);
  // The two display periods from the shapes, for the settings' ranges and
  // positions. True for "DEMO 1" (20 us/div and slower), false for "DEMO 2".
  bool BuildPeriods(std::uint8_t* table, const DemoSettings& settings) const;
  // The group step and repeat of the time base, then the trigger search:
  // where the next capture starts. Triggered() tells whether it found one.
  void Trigger(const std::uint8_t* table, const DemoSettings& settings);
  // The next capture from the start found. Outputs the groups do not reach
  // keep what `held` has there; `noise` adds the spectrum's one bit of
  // noise to every sample.
  display::Capture NextCapture(const std::uint8_t* table, std::span<const std::int32_t, display::kSampleBlockEntries> held,
                               bool noise, const display::CaptureSettings& settings);

  bool Triggered() const { return DemoTriggered != 0; }
  std::int32_t GroupStep() const { return DemoGroupStep; }
  std::int32_t Repeat() const { return DemoRepeat; }

 private:
  class Twister;
  void ChooseStepAndRepeat(std::int32_t timePerDiv);

  std::unique_ptr<Twister> random_;
  std::int32_t DemoStart = 0;       // byte offset into a display period, 0..598
  std::int32_t DemoPhase = 0;       // free-running start, +20 per capture
  std::int32_t DemoGroupStep = 4;   // bytes advanced per output group
  std::int32_t DemoRepeat = 1;      // outputs per group
  std::uint8_t DemoTriggered = 0;   // the last trigger search found a start
};

}  // namespace device
