// Captures as the device sends them, unpacked the way the scope unpacks the
// device's own, for tests that make up the bytes instead of a signal.
#pragma once

#include <cstdint>
#include <span>

#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "support/program_states.h"

// `stream` holds the 8192 bytes of one capture as they arrive.
inline void UnpackAsDeviceCapture(std::span<const std::uint8_t, display::kCaptureBytes> stream) {
  if (const auto options = engine::BeginDeviceUnpack(States()))
    engine::TakeNewCapture(States(), device::UnpackCapture(stream, *options));
}
