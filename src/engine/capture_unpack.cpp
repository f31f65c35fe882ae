// A new capture put in place: the device's unpacked capture or the demo
// source's into the sample block, with the spectrum and Noise Reject routes,
// waveform averaging, the history ring, the sample copy and the bit view.
#include "engine/capture_unpack.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "device/scope_device.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "display/history.h"
#include "display/history_state.h"
#include "display/spectrum.h"

namespace {

using engine::kCaptureBytes;
using engine::kChannelSamples;
using engine::kSampleBlockEntries;

// The averaging parameters clipped to the ring's shape, so that settings from
// elsewhere can never index past it.
std::int32_t AveragedCaptures(const engine::WithScopeStates& states) {
  return std::clamp<std::int32_t>(states.ScopeState.AverageLength, 1, static_cast<std::int32_t>(engine::kAverageSlots));
}

bool AveragingApplies(const engine::WithScopeStates& states) {
  return states.ScopeState.AveragingOn && !states.ScopeState.AutosetRunning && !states.ScopeState.SpectrumMode;
}

// Stores one capture, given per pair (CH1, CH2), the way the normal route
// does: straight into the block, or into the averaging slots followed by the
// averaged block. The first capture after averaging starts is not stored.
template <class PairAt>
void StoreCapture(const engine::WithScopeStates& states, PairAt pairAt) {
  const bool averaging = AveragingApplies(states);
  const std::int32_t length = AveragedCaptures(states);
  if (states.ScopeState.AverageCount < 0 || states.ScopeState.AverageCount >= length) states.ScopeState.AverageCount = 0;
  if (!averaging) {
    for (std::size_t i = 0; i < display::kChannelSamples; ++i) {
      const auto [ch1, ch2] = pairAt(i);
      states.ScopeState.Ch1Samples()[i] = ch1;
      states.ScopeState.Ch2Samples()[i] = ch2;
    }
    return;
  }
  if (states.ScopeState.AverageRunning) {
    const auto slot = static_cast<std::size_t>(states.ScopeState.AverageCount);
    for (std::size_t i = 0; i < display::kChannelSamples; ++i) {
      const auto [ch1, ch2] = pairAt(i);
      states.ScopeState.AverageRing[(display::kChannelSamples + i) * engine::kAverageSlots + slot] =
          static_cast<std::uint8_t>(ch1);
      states.ScopeState.AverageRing[i * engine::kAverageSlots + slot] = static_cast<std::uint8_t>(ch2);
    }
    states.ScopeState.AverageCount = (states.ScopeState.AverageCount + 1) % length;
    for (std::size_t k = 0; k < display::kSampleBlockEntries; ++k) {
      const std::uint8_t* ring = &states.ScopeState.AverageRing[k * engine::kAverageSlots];
      std::int32_t sum = 0;
      for (std::int32_t s = 0; s < length; ++s) sum += ring[s];
      states.ScopeState.ScopeSampleBlock[k] = sum / length;
    }
  }
  states.ScopeState.AverageRunning = 1;
}

// Noise Reject: a capture whose edge at the trigger point does not go the
// trigger's way is not shown; the three pages show accepted captures in turn.
void NoiseRejectRoute(const engine::WithScopeStates& states) {
  const std::int32_t* trigger =
      states.ScopeState.NoiseRejectStage.data() + (states.ScopeState.Settings.TriggerSource == 16 ? display::kChannelSamples : 0);
  std::int32_t before = 0;
  std::int32_t after = 0;
  for (int i = 1000; i <= 1024; ++i) before += trigger[i];
  for (int i = 1025; i <= 1049; ++i) after += trigger[i];
  const bool accepted = states.ScopeState.Settings.TriggerSlope == 32 ? before < after : before > after;

  auto page = [&states](std::int32_t index) -> auto& { return states.ScopeState.NoiseRejectPages[static_cast<std::size_t>(((index % 3) + 3) % 3)]; };
  if (accepted) {
    page(states.ScopeState.NoiseRejectWritePage) = states.ScopeState.NoiseRejectStage;
    states.ScopeState.NoiseRejectWritePage = (states.ScopeState.NoiseRejectWritePage + 1) % 3;
    ++states.ScopeState.CaptureCount;
    const std::int32_t d = std::abs(before - after);
    // A fresh start or a changed signal: older pages would show the past.
    if (states.ScopeState.CaptureCount == 2 || d > 5 * states.ScopeState.NoiseRejectSlope || 5 * d < states.ScopeState.NoiseRejectSlope)
      for (auto& p : states.ScopeState.NoiseRejectPages) p = states.ScopeState.NoiseRejectStage;
    states.ScopeState.NoiseRejectSlope = d;
  }
  const auto& shown = page(states.ScopeState.NoiseRejectReadPage);
  StoreCapture(states, [&shown](std::size_t i) {
    return std::pair<std::int32_t, std::int32_t>{shown[display::kChannelSamples + i], shown[i]};
  });
  states.ScopeState.NoiseRejectReadPage = (states.ScopeState.NoiseRejectReadPage + 1) % 3;
}

}  // namespace

namespace engine {

// The bit view: each captured byte is 8 one-bit samples of a logic input,
// bit 0 first, drawn as two logic lines (CH2 low, CH1 high).
void ExpandBitView(const engine::WithScopeStates& states) {
  std::int64_t i = std::max<std::int64_t>(0, static_cast<std::int64_t>(states.ScopeState.CaptureStart) + 10);
  std::size_t j = 1024;
  while (j + 8 <= kChannelSamples && i < static_cast<std::int64_t>(kChannelSamples)) {
    const auto ch2 = static_cast<std::uint32_t>(states.ScopeState.SampleCopy[static_cast<std::size_t>(i)]);
    const auto ch1 = static_cast<std::uint32_t>(states.ScopeState.SampleCopy[kChannelSamples + static_cast<std::size_t>(i)]);
    for (std::size_t b = 0; b < 8; ++b) {
      states.ScopeState.Ch2Samples()[j + b] = static_cast<std::int32_t>(32 + 64 * ((ch2 >> b) & 1));
      states.ScopeState.Ch1Samples()[j + b] = static_cast<std::int32_t>(160 + 64 * ((ch1 >> b) & 1));
    }
    j += 8;
    ++i;
  }
  for (; j < kChannelSamples; ++j) {
    states.ScopeState.Ch2Samples()[j] = 0;
    states.ScopeState.Ch1Samples()[j] = 0;
  }
}

std::optional<device::UnpackOptions> BeginDeviceUnpack(const engine::WithScopeStates& states) {
  // Demo captures and replayed files do not come from the device.
  if (states.ScopeState.DemoMode || states.ScopeState.ScopeFileReplay) return std::nullopt;
  states.ScopeState.CaptureUnpacked = 1;

  // A settings change restarts the spectrum smoothing.
  if (states.ScopeState.SettingsChanged) {
    states.ScopeState.WindowSkip = 3;
    states.ScopeState.FftSkip = 2;
    states.ScopeState.SmoothWeight = 0.5;
    states.ScopeState.SmoothKeep = 0.5;
  }
  device::UnpackOptions options;
  // The calibration measures the real input of a grounded channel.
  options.FlattenCh1 = !states.ScopeState.Calibrating && !states.ScopeState.Settings.Channels[0].InputOn;
  options.FlattenCh2 = !states.ScopeState.Calibrating && !states.ScopeState.Settings.Channels[1].InputOn;
  options.Settings = CurrentCaptureSettings(states);
  return options;
}

void TakeNewCapture(const engine::WithScopeStates& states, const std::optional<display::Capture>& capture) {
  if (!capture) return;
  // The spare entry is no sample: it stays as the readers last left it.
  const std::int32_t spare = states.ScopeState.NewestCapture.Samples[kCaptureBytes];
  states.ScopeState.NewestCapture = *capture;
  states.ScopeState.NewestCapture.Samples[kCaptureBytes] = spare;
  KeepCapture(states, states.ScopeState.NewestCapture);
}

void UnpackDeviceCapture(const engine::WithScopeStates& states, const device::ScopeDevice& device) {
  if (const std::optional<device::UnpackOptions> options = BeginDeviceUnpack(states))
    TakeNewCapture(states, device.LueData_500(*options));
}

void KeepCapture(const engine::WithScopeStates& states, display::Capture& capture) {
  const std::span<const std::int32_t, display::kCaptureBytes> made = capture.Block().first<display::kCaptureBytes>();
  // The demo's captures and the spectrum's input are shown as made.
  bool asMade = true;
  if (capture.Settings.SpectrumMode) {
    std::copy(made.begin(), made.end(), states.ScopeState.SpectrumInputBlock.begin());
  } else {
    if (capture.Settings.Demo) {
      std::copy(made.begin(), made.end(), states.ScopeState.ScopeSampleBlock.begin());
    } else if (states.ScopeState.NoiseRejectOn && states.ScopeState.SingleStop && states.ScopeState.Settings.TriggerOff == 0 &&
               states.ScopeState.Settings.TriggerSource != 1) {
      std::copy(made.begin(), made.end(), states.ScopeState.NoiseRejectStage.begin());
      NoiseRejectRoute(states);
      asMade = false;
    } else if (AveragingApplies(states)) {
      StoreCapture(states, [&capture](std::size_t i) {
        return std::pair<std::int32_t, std::int32_t>{capture.Samples[display::kChannelSamples + i], capture.Samples[i]};
      });
      asMade = false;
    } else {
      std::copy(made.begin(), made.end(), states.ScopeState.ScopeSampleBlock.begin());
    }
    // The bit view expands from this copy, since it overwrites the block.
    if (!capture.Settings.Demo) std::copy_n(states.ScopeState.ScopeSampleBlock.begin(), display::kCaptureBytes, states.ScopeState.SampleCopy.begin());
    // The readers after these get what is shown, and history keeps it.
    if (asMade) capture.Samples[display::kCaptureBytes] = states.ScopeState.ScopeSampleBlock[display::kCaptureBytes];
    else capture.Samples = states.ScopeState.ScopeSampleBlock;
    display::StoreCaptureInHistory(states.HistoryState, capture.Block());
  }
  if (capture.Settings.DigitalMode && !capture.Settings.Demo) ExpandBitView(states);
}

}  // namespace engine
