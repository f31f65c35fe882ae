// The calibration's measuring: the slow reads and captures of the grounded
// inputs, and the three steps that move the offsets, the 1 V/div correction
// and the position DACs until the readings hit their targets.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/calibration/calibration_parts.h"
#include "engine/front_panel/front_panel_controller.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/ui/clock.h"
#include "platform/ui/vcl.h"

namespace engine::calibration {

// The calibration cannot go on: the device is unplugged, the program is
// ending, or the user asked to close it.
bool CalibrationController::Interrupted() const {
  return !device_.IsOpen() || (Application && Application->Terminated()) || ScopeState.CloseRequested;
}

// One blocking capture. False when none arrived: the calibration was
// interrupted (a close request stops the capture loop), or the device
// delivered nothing within kDeviceAnswerLimitMs.
bool CalibrationController::CaptureInTime() {
  bool late = false;
  program_clock::Alarm limit([this, &late] {
    late = true;
    ScopeState.SingleStop = 1;  // ends the capture loop without a capture
  });
  limit.Start(std::chrono::milliseconds(device::kDeviceAnswerLimitMs), false);
  host_.Acquisition().SingleClick();
  return !late && !Interrupted();
}

// One slow read: the screen reading of each channel (255 minus its mean
// code). Its pairs land in entries 0..31 of both channels' samples.
Readings CalibrationController::Read() {
  const std::optional<device::LevelReading> r =
      device_.ReadBytes([this] { return ScopeState.CloseRequested != 0; });
  if (!r) return {};
  for (std::size_t k = 0; k < device::LevelReading::kPairs; ++k) {
    ScopeState.Ch2Samples()[k] = r->Ch2[k];
    ScopeState.Ch1Samples()[k] = r->Ch1[k];
  }
  return {r->Ch1Level, r->Ch2Level, true};
}

// Step 1 for one channel: move the offset until a capture centres the
// grounded trace. False when no capture came.
bool CalibrationController::CentreOffset(int channel) {
  std::int32_t& offset = ScopeState.Channel(channel).OffsetCal;
  const std::int32_t* samples = channel == 1 ? ScopeState.Ch1Samples().data() : ScopeState.Ch2Samples().data();
  int unchanged = 0;
  for (int capture = 0; capture < kMaxOffsetCaptures && unchanged < kStableCaptures; ++capture) {
    const std::int32_t before = offset;
    if (!CaptureInTime()) return false;
    std::int32_t sum = 0;
    for (int i = kSumFirst; i < kSumFirst + kSumCount; ++i) sum += samples[i];
    if (sum > kSumHigh) ++offset;
    else if (sum < kSumLow) --offset;
    unchanged = offset == before ? unchanged + 1 : 0;
  }
  return true;
}

// Step 2: both range trims at once until both readings are 128.
bool CalibrationController::CorrectOneVoltFamily() {
  for (engine::ScopeChannelState& channel : ScopeState.Channels) channel.RangeTrim = 0;
  for (int i = 0; i < kMaxCorrectionReads; ++i) {
    const std::array<std::int32_t, 2> before{ScopeState.Channels[0].RangeTrim, ScopeState.Channels[1].RangeTrim};
    host_.FrontPanel().Set_DACs();
    const Readings r = Read();
    if (!r.ok) return false;
    bool unchanged = true;
    for (int ch = 1; ch <= 2; ++ch) {
      std::int32_t& trim = ScopeState.Channel(ch).RangeTrim;
      if (r.Of(ch) > kMidReading) --trim;
      else if (r.Of(ch) < kMidReading) ++trim;
      unchanged = unchanged && trim == before[static_cast<std::size_t>(ch - 1)];
    }
    if (unchanged) break;
  }
  return true;
}

// Step 3: one point of a channel's position sweep. Up one DAC step at a time
// until the reading reaches upTarget, then down while it is above
// downTarget; both directions give up at DAC value 255. With two reads per
// step the first one is discarded. False when the device went away.
bool CalibrationController::SweepPosition(int channel, int upTarget, int downTarget, int readsPerStep, int& reading) {
  std::int32_t& position = ScopeState.Channel(channel).PositionDac;
  auto step = [&](int delta) {
    position = (position + delta + 256) % 256;
    host_.FrontPanel().Set_DACs();
    for (int k = 0; k < readsPerStep; ++k) {
      const Readings r = Read();
      if (!r.ok) return false;
      reading = r.Of(channel);
    }
    return true;
  };
  do {
    if (!step(+1)) return false;
  } while (position != 255 && reading < upTarget);
  while (reading > downTarget) {
    if (!step(-1)) return false;
    if (position == 255) break;
  }
  return true;
}

}  // namespace engine::calibration
