// Capture unpacking: the device's 8192 bytes into the sample block, with the
// grounded-channel flattening, the spectrum and Noise Reject routes, waveform
// averaging, the history ring, the sample copy and the bit view. Also the slow
// calibration read.
#include "engine/capture_unpack.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "engine/calibration.h"
#include "engine/scope_device.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "display/history.h"
#include "engine/history_state.h"
#include "display/spectrum.h"

namespace {

using engine::kCaptureBytes;
using engine::kChannelSamples;
using engine::kSampleBlockEntries;

constexpr std::size_t kRotation = 63;  // the device's stream starts 63 bytes late
constexpr std::uint32_t kSlowPollTimeoutMs = 20;
constexpr std::uint32_t kSlowReplyTimeoutMs = 200;
constexpr std::uint32_t kSlowReplyBytes = 64;
constexpr std::size_t kSlowPairs = 32;

// Mean of the even (offset 0) or odd (offset 1) bytes, remainder dropped.
std::uint8_t MeanOfEveryOther(const std::uint8_t* bytes, std::size_t offset) {
  std::uint32_t sum = 0;
  for (std::size_t i = offset; i < kCaptureBytes; i += 2) sum += bytes[i];
  return static_cast<std::uint8_t>(sum / kChannelSamples);
}

// The averaging parameters clipped to the ring's shape, so that settings from
// elsewhere can never index past it.
std::int32_t AveragedCaptures() {
  return std::clamp<std::int32_t>(engine::ScopeState.AverageLength, 1, static_cast<std::int32_t>(engine::kAverageSlots));
}

bool AveragingApplies() {
  using namespace engine;
  using namespace display;
  return ScopeState.AveragingOn && !ScopeState.AutosetRunning && !ScopeState.SpectrumMode;
}

// Stores one capture, given per pair (CH1, CH2), the way the normal route
// does: straight into the block, or into the averaging slots followed by the
// averaged block. The first capture after averaging starts is not stored.
template <class PairAt>
void StoreCapture(PairAt pairAt) {
  using namespace engine;
  using namespace display;
  const bool averaging = AveragingApplies();
  const std::int32_t length = AveragedCaptures();
  if (ScopeState.AverageCount < 0 || ScopeState.AverageCount >= length) ScopeState.AverageCount = 0;
  if (!averaging) {
    for (std::size_t i = 0; i < kChannelSamples; ++i) {
      const auto [ch1, ch2] = pairAt(i);
      Ch1Samples[i] = ch1;
      Ch2Samples[i] = ch2;
    }
    return;
  }
  if (ScopeState.AverageRunning) {
    const auto slot = static_cast<std::size_t>(ScopeState.AverageCount);
    for (std::size_t i = 0; i < kChannelSamples; ++i) {
      const auto [ch1, ch2] = pairAt(i);
      ScopeState.AverageRing[(kChannelSamples + i) * kAverageSlots + slot] = static_cast<std::uint8_t>(ch1);
      ScopeState.AverageRing[i * kAverageSlots + slot] = static_cast<std::uint8_t>(ch2);
    }
    ScopeState.AverageCount = (ScopeState.AverageCount + 1) % length;
    for (std::size_t k = 0; k < kSampleBlockEntries; ++k) {
      const std::uint8_t* ring = &ScopeState.AverageRing[k * kAverageSlots];
      std::int32_t sum = 0;
      for (std::int32_t s = 0; s < length; ++s) sum += ring[s];
      ScopeState.ScopeSampleBlock[k] = sum / length;
    }
  }
  ScopeState.AverageRunning = 1;
}

// Noise Reject: a capture whose edge at the trigger point does not go the
// trigger's way is not shown; the three pages show accepted captures in turn.
void NoiseRejectRoute() {
  using namespace engine;
  using namespace display;
  const std::int32_t* trigger =
      ScopeState.NoiseRejectStage.data() + (ScopeState.Settings.TriggerSource == 16 ? kChannelSamples : 0);
  std::int32_t before = 0;
  std::int32_t after = 0;
  for (int i = 1000; i <= 1024; ++i) before += trigger[i];
  for (int i = 1025; i <= 1049; ++i) after += trigger[i];
  const bool accepted = ScopeState.Settings.TriggerSlope == 32 ? before < after : before > after;

  auto page = [](std::int32_t index) -> auto& { return ScopeState.NoiseRejectPages[static_cast<std::size_t>(((index % 3) + 3) % 3)]; };
  if (accepted) {
    page(ScopeState.NoiseRejectWritePage) = ScopeState.NoiseRejectStage;
    ScopeState.NoiseRejectWritePage = (ScopeState.NoiseRejectWritePage + 1) % 3;
    ++ScopeState.CaptureCount;
    const std::int32_t d = std::abs(before - after);
    // A fresh start or a changed signal: older pages would show the past.
    if (ScopeState.CaptureCount == 2 || d > 5 * ScopeState.NoiseRejectSlope || 5 * d < ScopeState.NoiseRejectSlope)
      for (auto& p : ScopeState.NoiseRejectPages) p = ScopeState.NoiseRejectStage;
    ScopeState.NoiseRejectSlope = d;
  }
  const auto& shown = page(ScopeState.NoiseRejectReadPage);
  StoreCapture([&shown](std::size_t i) {
    return std::pair<std::int32_t, std::int32_t>{shown[kChannelSamples + i], shown[i]};
  });
  ScopeState.NoiseRejectReadPage = (ScopeState.NoiseRejectReadPage + 1) % 3;
}

}  // namespace

namespace engine {

// The bit view: each captured byte is 8 one-bit samples of a logic input,
// bit 0 first, drawn as two logic lines (CH2 low, CH1 high).
void ExpandBitView() {
  std::int64_t i = std::max<std::int64_t>(0, static_cast<std::int64_t>(ScopeState.CaptureStart) + 10);
  std::size_t j = 1024;
  while (j + 8 <= kChannelSamples && i < static_cast<std::int64_t>(kChannelSamples)) {
    const auto ch2 = static_cast<std::uint32_t>(ScopeState.SampleCopy[static_cast<std::size_t>(i)]);
    const auto ch1 = static_cast<std::uint32_t>(ScopeState.SampleCopy[kChannelSamples + static_cast<std::size_t>(i)]);
    for (std::size_t b = 0; b < 8; ++b) {
      Ch2Samples[j + b] = static_cast<std::int32_t>(32 + 64 * ((ch2 >> b) & 1));
      Ch1Samples[j + b] = static_cast<std::int32_t>(160 + 64 * ((ch1 >> b) & 1));
    }
    j += 8;
    ++i;
  }
  for (; j < kChannelSamples; ++j) {
    Ch2Samples[j] = 0;
    Ch1Samples[j] = 0;
  }
}

void ScopeDevice::LueData_500() {
  using namespace display;
  // Demo captures and replayed files are not in UsbRxBuffer.
  if (ScopeState.DemoMode || ScopeState.ScopeFileReplay) return;
  ScopeState.CaptureUnpacked = 1;

  // A settings change restarts the spectrum smoothing.
  if (ScopeState.SettingsChanged) {
    ScopeState.WindowSkip = 3;
    ScopeState.FftSkip = 2;
    ScopeState.SmoothWeight = 0.5;
    ScopeState.SmoothKeep = 0.5;
  }

  // Byte i of the stream belongs at (i + 63) mod 8192.
  std::uint8_t* raw = UsbRxBuffer.data();
  std::rotate(raw, raw + kCaptureBytes - kRotation, raw + kCaptureBytes);

  // A grounded input shows its mean level as a flat line.
  if (!Calibrating) {
    if (!ScopeState.Settings.Ch1InputOn) {
      const std::uint8_t mean = MeanOfEveryOther(raw, 0);
      for (std::size_t i = 0; i < kCaptureBytes; i += 2) raw[i] = mean;
    }
    if (!ScopeState.Settings.Ch2InputOn) {
      const std::uint8_t mean = MeanOfEveryOther(raw, 1);
      for (std::size_t i = 1; i < kCaptureBytes; i += 2) raw[i] = mean;
    }
  }

  // The capture: CH1 is the even byte, CH2 the odd one.
  display::Capture& capture = ScopeState.NewestCapture;
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    capture.Samples[kChannelSamples + i] = raw[2 * i];
    capture.Samples[i] = raw[2 * i + 1];
  }
  capture.Settings = CurrentCaptureSettings();
  capture.Time = std::chrono::system_clock::now();
  KeepCapture(capture);
}

void KeepCapture(display::Capture& capture) {
  using namespace display;
  const std::span<const std::int32_t, kCaptureBytes> made = capture.Block().first<kCaptureBytes>();
  // The demo's captures and the spectrum's input are shown as made.
  bool asMade = true;
  if (capture.Settings.SpectrumMode) {
    std::copy(made.begin(), made.end(), ScopeState.SpectrumInputBlock.begin());
  } else {
    if (capture.Settings.Demo) {
      std::copy(made.begin(), made.end(), ScopeState.ScopeSampleBlock.begin());
    } else if (ScopeState.NoiseRejectOn && ScopeState.SingleStop && ScopeState.Settings.TriggerOff == 0 &&
               ScopeState.Settings.TriggerSource != 1) {
      std::copy(made.begin(), made.end(), ScopeState.NoiseRejectStage.begin());
      NoiseRejectRoute();
      asMade = false;
    } else if (AveragingApplies()) {
      StoreCapture([&capture](std::size_t i) {
        return std::pair<std::int32_t, std::int32_t>{capture.Samples[kChannelSamples + i], capture.Samples[i]};
      });
      asMade = false;
    } else {
      std::copy(made.begin(), made.end(), ScopeState.ScopeSampleBlock.begin());
    }
    // The bit view expands from this copy, since it overwrites the block.
    if (!capture.Settings.Demo) std::copy_n(ScopeState.ScopeSampleBlock.begin(), kCaptureBytes, ScopeState.SampleCopy.begin());
    // The readers after these get what is shown, and history keeps it.
    if (asMade) capture.Samples[kCaptureBytes] = ScopeState.ScopeSampleBlock[kCaptureBytes];
    else capture.Samples = ScopeState.ScopeSampleBlock;
    display::StoreCaptureInHistory(display::HistoryState, capture.Block());
  }
  if (capture.Settings.DigitalMode && !capture.Settings.Demo) ExpandBitView();
}

std::uint16_t ScopeDevice::ReadBytes() {
  using namespace display;
  ReadBytesComplete = false;
  std::uint8_t* buf = UsbRxBuffer.data();
  const auto deadline = program_clock::Now() + std::chrono::milliseconds(kDeviceAnswerLimitMs);
  // Every wait lets the program breathe, and ends when the link is lost, the
  // program ends or is asked to close, or the device keeps no time.
  const auto givenUp = [this, deadline] {
    if (Application) Application->ProcessMessages();
    return !DeviceOpen || (Application && Application->Terminated()) || ScopeState.CloseRequested ||
           program_clock::Now() >= deadline;
  };
  for (;;) {
    Resetoi_500();
    buf[0] = 0;
    // Wait for the device's "done"; only a byte that arrived counts.
    for (;;) {
      if (givenUp()) return 0;
      std::uint32_t got = 0;
      buf[0] = 0;
      MPUSBRead(UsbInHandle, buf, 1, &got, kSlowPollTimeoutMs);
      if (got >= 1 && buf[0] == kStatusCaptureDone) break;
      program_clock::Sleep(std::chrono::milliseconds(1));
    }
    AcqState = 3;
    AcqArmed = 0;
    Reset_500(3, 0);
    std::uint32_t got = 0;
    MPUSBRead(UsbInHandle, buf, kSlowReplyBytes, &got, kSlowReplyTimeoutMs);
    if (got == kSlowReplyBytes) break;
    // A short reply is no reading: ask again, without spinning.
    program_clock::Sleep(std::chrono::milliseconds(1));
  }
  std::uint32_t sum1 = 0;
  std::uint32_t sum2 = 0;
  for (std::size_t k = 0; k < kSlowPairs; ++k) {
    Ch2Samples[k] = buf[2 * k];
    Ch1Samples[k] = buf[2 * k + 1];
    sum2 += buf[2 * k];
    sum1 += buf[2 * k + 1];
  }
  ReadBytesComplete = true;
  const std::uint32_t mean1 = sum1 / kSlowPairs;
  const std::uint32_t mean2 = sum2 / kSlowPairs;
  return static_cast<std::uint16_t>((255 - mean2) * 256 + (255 - mean1));
}

}  // namespace engine
