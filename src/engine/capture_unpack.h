// Steps of capture unpacking that the demo source shares, and the capture
// readers that put a new capture in place.
#pragma once

#include "engine/scope_states.h"

#include <optional>

#include "device/scope_device.h"
#include "display/capture.h"

namespace engine {

// The scope's side of unpacking a device capture, in three steps:
// BeginDeviceUnpack marks the capture unpacked, restarts the spectrum
// smoothing after a settings change and says how to unpack (nothing in demo
// mode or while a loaded file is replayed); TakeNewCapture makes a capture
// of the device or the demo source the newest one and hands it to its first
// readers (nothing when the device had none). UnpackDeviceCapture does
// both around the device's LueData_500.
std::optional<device::UnpackOptions> BeginDeviceUnpack(const engine::WithScopeStates& states);
void TakeNewCapture(const engine::WithScopeStates& states, const std::optional<display::Capture>& capture);
void UnpackDeviceCapture(const engine::WithScopeStates& states, const device::ScopeDevice& device);

// The first readers of every new capture, to which the unpacking and the demo
// source hand it: averaging puts it where the scope shows it (the sample
// block, through waveform averaging or Noise Reject for the device's
// captures; the spectrum input in spectrum mode) and history keeps the shown
// trace. `capture` is left holding what the later readers get: the shown
// block, or in spectrum mode the capture as made.
void KeepCapture(const engine::WithScopeStates& states, display::Capture& capture);

// The bit view: each captured byte of the sample copy becomes 8 one-bit
// samples (bit 0 first), CH2 low on the screen (32/96), CH1 high (160/224).
void ExpandBitView(const engine::WithScopeStates& states);

}  // namespace engine
