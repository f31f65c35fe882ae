// The capture cycle: the status poll while a capture is armed, the read of
// its eight blocks, and the recorder's sample reads.
#include "device/scope_device.h"

namespace {

constexpr std::uint32_t kStatusTimeoutMs = 200;
constexpr std::uint32_t kBlockBytes = 1024;
constexpr int kBlocks = 8;
constexpr std::uint8_t kRecorderSampleCommandState = 2;
// The recorder's pair sits at the end of the 64-byte reply.
constexpr std::size_t kRecorderCh1Byte = 61;
constexpr std::size_t kRecorderCh2Byte = 62;

}  // namespace

namespace device {

bool ScopeDevice::ReadCaptureBlocks(std::uint32_t timeoutMs) {
  CaptureHeld = false;
  for (int b = 0; b < kBlocks; ++b) {
    std::uint32_t got = 0;
    MPUSBRead(UsbInHandle, UsbRxBuffer.data() + b * kBlockBytes, kBlockBytes, &got, timeoutMs);
    UsbReadCount = got;
    // A short block leaves the rest of the buffer from an earlier capture.
    if (got != kBlockBytes) return false;
  }
  CaptureHeld = true;
  return true;
}

bool ScopeDevice::DeviceCaptureStep(std::uint32_t pollBytes, std::uint32_t blockTimeoutMs) {
  if (AcqArmed == 1 && PollDone(pollBytes, kStatusTimeoutMs)) {
    AcqState = 1;
    AcqArmed = 0;
    Reset_500(1, 0);
  }
  if (AcqState == 1 && AcqArmed == 0 && DeviceOpen) {
    if (ReadCaptureBlocks(blockTimeoutMs)) return true;
    // Incomplete: start a fresh capture and keep polling.
    if (DeviceOpen) Resetoi_500();
  }
  return false;
}

bool ScopeDevice::PollDone(std::uint32_t bytes, std::uint32_t timeoutMs) {
  // Only a status byte that really arrived counts; the buffer may hold an
  // old 0x44.
  UsbRxBuffer[0] = 0;
  CaptureHeld = false;
  std::uint32_t got = 0;
  MPUSBRead(UsbInHandle, UsbRxBuffer.data(), bytes, &got, timeoutMs);
  UsbReadCount = got;
  return got >= 1 && UsbRxBuffer[0] == kStatusCaptureDone;
}

std::optional<RecorderSample> ScopeDevice::ReadRecorderSample(std::uint32_t timeoutMs) {
  AcqState = kRecorderSampleCommandState;
  AcqArmed = 0;
  Reset_500(kRecorderSampleCommandState, 0);
  CaptureHeld = false;
  std::uint32_t got = 0;
  MPUSBRead(UsbInHandle, UsbRxBuffer.data(), kReplyBytes, &got, timeoutMs);
  UsbReadCount = got;
  // A short reply would leave an old pair in the buffer: it is no sample.
  if (got < kReplyBytes) return std::nullopt;
  return RecorderSample{static_cast<std::uint8_t>(255 - UsbRxBuffer[kRecorderCh1Byte]),
                        static_cast<std::uint8_t>(255 - UsbRxBuffer[kRecorderCh2Byte])};
}

}  // namespace device
