// The ground-level fit: the line through a channel's calibration pairs, and
// the level it gives for an offset-DAC value.
#include <algorithm>
#include <cstdint>

#include "engine/calibration.h"
#include "engine/scope_state.h"
#include "platform/os/numeric.h"

namespace engine {

GroundLevelLine GroundLevelFit(std::int32_t ad0, std::int32_t ad1, std::int32_t ad2, std::int32_t pos0,
                               std::int32_t pos1, std::int32_t pos2) {
  GroundLevelLine line;
  if (ad0 == ad1 || ad0 == ad2 || ad1 == ad2) return line;
  // In floating point throughout: the record comes from a file and its
  // differences need not fit 32 bits.
  const double x0 = ad0, x1 = ad1, x2 = ad2, y0 = pos0, y1 = pos1, y2 = pos2;
  line.Valid = true;
  line.Slope = ((y2 - y1) / (x2 - x1) + (y2 - y0) / (x2 - x0) + (y0 - y1) / (x0 - x1)) / 3;
  line.Intercept = ((y1 - line.Slope * x1) + (y0 - line.Slope * x0) + (y2 - line.Slope * x2)) / 3;
  return line;
}

std::int32_t GroundLevelAt(const GroundLevelLine& line, std::int32_t dac) {
  constexpr std::int64_t kLimit = 1000000;
  const std::int64_t level = numeric::Round(line.Slope * dac + line.Intercept);
  return static_cast<std::int32_t>(std::clamp(level, -kLimit, kLimit));
}

GroundLevelLine ChannelGroundLevelFit(const ScopeSharedState& scope, int channel) {
  const ScopeChannelState& c = scope.Channel(channel);
  return GroundLevelFit(c.ad0, c.ad1, c.ad2, c.pos0, c.pos1, c.pos2);
}

}  // namespace engine
