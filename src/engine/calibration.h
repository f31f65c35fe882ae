// The automatic calibration: what the rest of the program may want of it
// besides the calibration controller (engine/calibration/).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/scope_state.h"

namespace engine {

// Steps of the extended wait before the first calibration, counted by the
// read-out updates of the Run loop; at kExtendedWaitSteps the wait ends and
// the calibration runs.
inline constexpr int kExtendedWaitSteps = 150;
// ExtendCalSteps and CalibrationRunning live in ScopeState (scope_state.h).

// How long the calibration waits for the device to deliver one capture or one
// slow read; a device that stays silent longer ends the calibration as failed.
using device::kDeviceAnswerLimitMs;

// Verdicts of the report: an offset at 3 V/div is good from 91 to 165, a
// correction at 1 V/div while its magnitude stays below 50.
bool OffsetInWindow(std::int32_t offset);
bool CorrectionInWindow(std::int32_t correction);

// Where the report is saved: "Calibration.log" in DocumentsFolder.
std::string CalibrationLogPath(const ScopeSharedState& scope);

// The "Calibrate" items in demo mode: there is nothing to calibrate, and the
// user is told why nothing happens.
void TellCalibrationNeedsDevice();

// Both channels' calibration pairs from one set.
void SetCalibrationPairs(ScopeSharedState& scope, const CalibrationPairs& pairs);

// The twelve pairs as the settings file names them ("Ch1_pos0" .. "Ch2_ad2"),
// with the value of a first start.
struct CalibrationPairKey {
  const char* Key;
  std::int32_t* Value;
  std::int32_t Default;
};
std::array<CalibrationPairKey, 12> CalibrationPairKeys(ScopeSharedState& scope);

// ---- Ground-level fit
// The line through a channel's three (position-DAC value, screen reading)
// pairs: the mean of the three pairwise slopes and the mean intercept. It
// exists only when the three DAC values differ.
struct GroundLevelLine {
  bool Valid = false;
  double Slope = 0.0;
  double Intercept = 0.0;
};
GroundLevelLine GroundLevelFit(std::int32_t ad0, std::int32_t ad1, std::int32_t ad2, std::int32_t pos0,
                               std::int32_t pos1, std::int32_t pos2);
// The level (screen units from the top of the grid) the line gives for the
// offset-DAC value dac: nearest integer, halves to even. Records far off the
// screen are kept within +-1,000,000 so that pixel arithmetic stays defined.
std::int32_t GroundLevelAt(const GroundLevelLine& line, std::int32_t dac);
// The line of channel 1 or 2 from the calibration record in force.
GroundLevelLine ChannelGroundLevelFit(const ScopeSharedState& scope, int channel);

}  // namespace engine
