// Capture unpacking: the device's 8192 bytes into a capture value, with the
// grounded-channel flattening; and the slow calibration read.
#include <algorithm>
#include <array>
#include <chrono>

#include "device/scope_device.h"
#include "platform/ui/application.h"
#include "platform/ui/clock.h"

namespace {

using display::kCaptureBytes;
using display::kChannelSamples;

constexpr std::size_t kStreamRotation = 63;  // the device's stream starts 63 bytes late
constexpr std::uint32_t kSlowPollTimeoutMs = 20;
constexpr std::uint32_t kSlowReplyTimeoutMs = 200;
constexpr std::uint32_t kSlowReplyBytes = 64;

// Mean of the even (offset 0) or odd (offset 1) bytes, remainder dropped.
std::uint8_t MeanOfEveryOther(const std::array<std::uint8_t, kCaptureBytes>& bytes, std::size_t offset) {
  std::uint32_t sum = 0;
  for (std::size_t i = offset; i < kCaptureBytes; i += 2) sum += bytes[i];
  return static_cast<std::uint8_t>(sum / kChannelSamples);
}

}  // namespace

namespace device {

display::Capture UnpackCapture(std::span<const std::uint8_t, kCaptureBytes> stream, const UnpackOptions& options) {
  // Byte i of the stream belongs at (i + 63) mod 8192.
  std::array<std::uint8_t, kCaptureBytes> raw{};
  std::rotate_copy(stream.begin(), stream.begin() + (kCaptureBytes - kStreamRotation), stream.end(), raw.begin());

  // A grounded input shows its mean level as a flat line.
  if (options.FlattenCh1) {
    const std::uint8_t mean = MeanOfEveryOther(raw, 0);
    for (std::size_t i = 0; i < kCaptureBytes; i += 2) raw[i] = mean;
  }
  if (options.FlattenCh2) {
    const std::uint8_t mean = MeanOfEveryOther(raw, 1);
    for (std::size_t i = 1; i < kCaptureBytes; i += 2) raw[i] = mean;
  }

  // CH1 is the even byte, CH2 the odd one.
  display::Capture capture;
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    capture.Samples[kChannelSamples + i] = raw[2 * i];
    capture.Samples[i] = raw[2 * i + 1];
  }
  capture.Settings = options.Settings;
  capture.Time = std::chrono::system_clock::now();
  return capture;
}

std::optional<display::Capture> ScopeDevice::LueData_500(const UnpackOptions& options) const {
  if (!CaptureHeld) return std::nullopt;
  return UnpackCapture(std::span<const std::uint8_t, kCaptureBytes>(UsbRxBuffer.data(), kCaptureBytes), options);
}

std::optional<LevelReading> ScopeDevice::ReadBytes(const std::function<bool()>& stop) {
  std::uint8_t* buf = UsbRxBuffer.data();
  CaptureHeld = false;
  const auto deadline = program_clock::Now() + std::chrono::milliseconds(kDeviceAnswerLimitMs);
  // Every wait lets the program breathe, and ends when the link is lost, the
  // program ends or is asked to stop, or the device keeps no time.
  const auto givenUp = [this, deadline, &stop] {
    if (Application) Application->ProcessMessages();
    return !DeviceOpen || (Application && Application->Terminated()) || (stop && stop()) ||
           program_clock::Now() >= deadline;
  };
  for (;;) {
    Resetoi_500();
    buf[0] = 0;
    // Wait for the device's "done"; only a byte that arrived counts.
    for (;;) {
      if (givenUp()) return std::nullopt;
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
  LevelReading reading;
  std::uint32_t sum1 = 0;
  std::uint32_t sum2 = 0;
  for (std::size_t k = 0; k < LevelReading::kPairs; ++k) {
    reading.Ch2[k] = buf[2 * k];
    reading.Ch1[k] = buf[2 * k + 1];
    sum2 += buf[2 * k];
    sum1 += buf[2 * k + 1];
  }
  reading.Ch1Level = static_cast<int>(255 - sum1 / LevelReading::kPairs);
  reading.Ch2Level = static_cast<int>(255 - sum2 / LevelReading::kPairs);
  return reading;
}

}  // namespace device
