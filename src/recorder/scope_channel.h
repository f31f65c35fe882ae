// The scope's terms of one channel's offset DAC byte, which the recorder
// reads and sets while it holds the device.
#pragma once

#include <cstdint>

#include "engine/scope_state.h"

namespace recorder {

struct ScopeChannelTerms {
  std::int32_t& OffsetCal;
  std::int32_t& V5Offset;
  std::int32_t& RangeTrim;
  std::int32_t& RateTrim;
  std::int32_t& PositionDac;
};

// Channel 1 or 2's terms in `scope`.
inline ScopeChannelTerms ScopeChannel(engine::ScopeSharedState& scope, int channel) {
  if (channel == 1)
    return {scope.Channels[0].OffsetCal, scope.Channels[0].V5Offset, scope.Channels[0].RangeTrim, scope.Channels[0].RateTrim, scope.Channels[0].PositionDac};
  return {scope.Channels[1].OffsetCal, scope.Channels[1].V5Offset, scope.Channels[1].RangeTrim, scope.Channels[1].RateTrim, scope.Channels[1].PositionDac};
}

}  // namespace recorder
