#include "recorder/recorder_settings.h"

namespace recorder {

engine::ScopeSettings OverScope(engine::ScopeSettings scope, const RecorderSettings& recorder) {
  for (int channel = 1; channel <= 2; ++channel) {
    const RecorderChannelSettings& c = recorder.Channel(channel);
    if (c.RangeGiven) scope.GainCode(channel) = c.GainCode();
    if (c.CouplingGiven) {
      scope.InputOn(channel) = c.InputOn;
      scope.Ac(channel) = c.Ac;
    }
  }
  return scope;
}

}  // namespace recorder
