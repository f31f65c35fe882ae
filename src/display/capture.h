// One capture as its readers get it: both channels' samples, the settings it
// was taken with, and when it was taken. The unpacking or the demo source
// makes it once; the picture, the read-outs, averaging, history, the spectrum
// and the export all read this one value.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>

#include "display/channel_defaults.h"
#include "display/sample_block.h"

namespace display {

// One channel's settings in force when the capture was taken.
struct CaptureChannel {
  std::uint8_t GainCode = kDefaultRangeCode;  // range code
  double ProbeFactor = 1.0;
  std::int32_t GroundLevel = 128;        // ground level in force (code)
  std::int32_t FileGround = kNoFileGround;  // a loaded data file's
};

// The settings in force when the capture was taken: what its readers need to
// scale, label and route the samples.
struct CaptureSettings {
  std::array<CaptureChannel, 2> Channels;  // CH1, CH2
  std::int32_t TimePerDiv = 100000;   // 10 ns units
  std::uint8_t TimeBaseCode = 88;
  std::uint8_t SpectrumMode = 0;      // the samples feed the spectrum, not the traces
  std::uint8_t DigitalMode = 0;       // bit view
  std::uint8_t Demo = 0;              // made by the demo source, shown as made
};

struct Capture {
  // The sample block's layout: CH2's 4096 codes, CH1's, one spare entry.
  std::array<std::int32_t, kSampleBlockEntries> Samples{};
  CaptureSettings Settings;
  std::chrono::system_clock::time_point Time{};

  SampleBlockView Block() const { return SampleBlockView(Samples); }
  std::span<const std::int32_t, kChannelSamples> Ch2() const { return Block().first<kChannelSamples>(); }
  std::span<const std::int32_t, kChannelSamples> Ch1() const {
    return Block().subspan<kChannelSamples, kChannelSamples>();
  }
  // Channel 1 or 2.
  std::span<const std::int32_t, kChannelSamples> Channel(int channel) const { return channel == 1 ? Ch1() : Ch2(); }
};

}  // namespace display
