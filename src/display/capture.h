// One capture as its readers get it: both channels' samples, the settings it
// was taken with, and when it was taken. The unpacking or the demo source
// makes it once; the picture, the read-outs, averaging, history, the spectrum
// and the export all read this one value.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>

#include "display/sample_block.h"

namespace display {

// The settings in force when the capture was taken: what its readers need to
// scale, label and route the samples.
struct CaptureSettings {
  std::uint8_t Ch1GainCode = 27;      // range codes
  std::uint8_t Ch2GainCode = 27;
  double Ch1ProbeFactor = 1.0;
  double Ch2ProbeFactor = 1.0;
  std::int32_t Ch1GroundLevel = 128;  // ground levels in force (codes)
  std::int32_t Ch2GroundLevel = 128;
  std::int32_t FileCh1Ground = 10000; // a loaded data file's, 10000 while none
  std::int32_t FileCh2Ground = 10000;
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
