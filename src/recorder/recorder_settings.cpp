#include "recorder/recorder_settings.h"

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

std::function<engine::ScopeSettings(const engine::ScopeSettings&)> RecorderFrontEnd(const RecorderSettings& settings) {
  return [&settings](const engine::ScopeSettings& scope) { return OverScope(scope, settings); };
}

}  // namespace recorder
