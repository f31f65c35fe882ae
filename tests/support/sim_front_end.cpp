// The simulated input stage of the calibration tests (see SimFrontEnd).
#include <algorithm>

#include "support/sim_device.h"

std::uint8_t SimFrontEnd::Code(int channel, std::uint8_t signal, const SimScopeSettings* settings) const {
  const Channel& ch = channel == 1 ? Ch1 : Ch2;
  if (ch.Stuck) return *ch.Stuck;
  if (!settings) return signal;
  const bool oneVoltFamily = (settings->GainBits(channel) & 0x20) != 0;
  const int zero = oneVoltFamily ? ch.Zero1V : ch.Zero3V;
  const int slope = oneVoltFamily ? ch.Slope1V : ch.Slope3V;
  const int input = settings->Grounded(channel) ? 0 : signal - 128;
  const int code = 127 - slope * (settings->OffsetDac(channel) - zero) + input;
  return static_cast<std::uint8_t>(std::clamp(code, 0, 255));
}

SimulatedDarvik48::Response SimFrontEnd::AsResponse() const {
  return [model = *this](int channel, std::uint8_t code, const SimScopeSettings* settings) {
    return model.Code(channel, code, settings);
  };
}
