#include "recorder/recorder_settings.h"

#include "recorder/recorder_state.h"

namespace recorder {

namespace {
constexpr std::uint8_t kTriggerHeldOffCode = 0x40;  // the trigger byte's "off"
}  // namespace

engine::ScopeSettings OverScope(engine::ScopeSettings scope, const RecorderSettings& recorder) {
  for (int channel = 1; channel <= 2; ++channel) {
    const RecorderChannelSettings& c = recorder.Channel(channel);
    if (c.RangeGiven) scope.GainCode(channel) = c.GainCode();
    if (c.CouplingGiven) {
      scope.InputOn(channel) = c.InputOn;
      scope.Ac(channel) = c.Ac;
    }
  }
  if (recorder.TriggerHeldOff) scope.TriggerOff = kTriggerHeldOffCode;
  return scope;
}

engine::ScopeSettings RecorderFrontEnd(const engine::ScopeSettings& scope) {
  return OverScope(scope, RecorderState.Settings);
}

}  // namespace recorder
