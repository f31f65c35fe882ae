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
    return {scope.Ch1OffsetCal, scope.Ch1V5Offset, scope.Ch1RangeTrim, scope.Ch1RateTrim, scope.Ch1PositionDac};
  return {scope.Ch2OffsetCal, scope.Ch2V5Offset, scope.Ch2RangeTrim, scope.Ch2RateTrim, scope.Ch2PositionDac};
}

}  // namespace recorder
