// The calibration record as one value: kept aside while a calibration runs,
// so that an interrupted one leaves the previous record in force, and checked
// when it is read from the settings file, so that values no calibration can
// produce are never used.
#pragma once

#include <array>
#include <cstdint>

namespace engine {

struct ScopeSharedState;

// The sixteen values in the order of the settings file's [Calibration] keys:
// offs_1, offs_2, v5_offs1, v5_offs2, Ch1_pos0..2, Ch2_pos0..2, Ch1_ad0..2,
// Ch2_ad0..2.
struct CalibrationRecordValues {
  std::array<std::int32_t, 16> Values{};
  bool operator==(const CalibrationRecordValues&) const = default;
};

// The record in force, and putting one in force.
CalibrationRecordValues CurrentCalibrationRecord(ScopeSharedState& scope);
void SetCalibrationRecord(ScopeSharedState& scope, const CalibrationRecordValues& record);

// The record of a first start (no calibration yet).
CalibrationRecordValues FirstStartCalibrationRecord();

// True when every value is one the device can have produced: offsets,
// screen readings and DAC values are bytes (0..255), the 1 V/div corrections
// lie within -255..255.
bool CalibrationRecordInRange(const CalibrationRecordValues& record);

// A record read from the settings file that is out of range is not used:
// the first-start record takes its place and the next device open
// calibrates. True when the record in force was replaced.
bool DropCalibrationRecordOutOfRange(ScopeSharedState& scope);

}  // namespace engine
