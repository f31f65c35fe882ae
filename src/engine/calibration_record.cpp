#include "engine/calibration_record.h"

#include "engine/scope_state.h"

namespace engine {

namespace {

// Where each value of the record lives, in the record's order.
std::array<std::int32_t*, 16> RecordFields(ScopeSharedState& scope) {
  return {&scope.Channels[0].OffsetCal, &scope.Channels[1].OffsetCal, &scope.Channels[0].V5Offset, &scope.Channels[1].V5Offset, &scope.Channels[0].pos0, &scope.Channels[0].pos1, &scope.Channels[0].pos2, &scope.Channels[1].pos0,
          &scope.Channels[1].pos1,     &scope.Channels[1].pos2,     &scope.Channels[0].ad0,     &scope.Channels[0].ad1,     &scope.Channels[0].ad2,  &scope.Channels[1].ad0,  &scope.Channels[1].ad1,  &scope.Channels[1].ad2};
}

constexpr std::size_t kCorrections = 2;  // v5_offs1, v5_offs2
constexpr std::size_t kFirstCorrection = 2;
constexpr std::int32_t kByteMax = 255;
constexpr std::int32_t kCorrectionLimit = 255;

}  // namespace

CalibrationRecordValues CurrentCalibrationRecord(ScopeSharedState& scope) {
  CalibrationRecordValues record;
  const auto fields = RecordFields(scope);
  for (std::size_t i = 0; i < fields.size(); ++i) record.Values[i] = *fields[i];
  return record;
}

void SetCalibrationRecord(ScopeSharedState& scope, const CalibrationRecordValues& record) {
  const auto fields = RecordFields(scope);
  for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = record.Values[i];
}

CalibrationRecordValues FirstStartCalibrationRecord() {
  constexpr std::int32_t kOffset = 124;  // the offsets of a first start
  const CalibrationPairs& d = kDefaultCalibrationPairs;
  return {{kOffset, kOffset, 0, 0, d.pos0, d.pos1, d.pos2, d.pos0, d.pos1, d.pos2, d.ad0, d.ad1, d.ad2, d.ad0,
           d.ad1, d.ad2}};
}

bool CalibrationRecordInRange(const CalibrationRecordValues& record) {
  for (std::size_t i = 0; i < record.Values.size(); ++i) {
    const std::int32_t v = record.Values[i];
    const bool correction = i >= kFirstCorrection && i < kFirstCorrection + kCorrections;
    const bool ok = correction ? (v >= -kCorrectionLimit && v <= kCorrectionLimit) : (v >= 0 && v <= kByteMax);
    if (!ok) return false;
  }
  return true;
}

bool DropCalibrationRecordOutOfRange(ScopeSharedState& scope) {
  if (CalibrationRecordInRange(CurrentCalibrationRecord(scope))) return false;
  SetCalibrationRecord(scope, FirstStartCalibrationRecord());
  scope.FirstRunCalibration = 1;
  return true;
}

}  // namespace engine
