// The start-up values of a channel that the scope's settings, its captures
// and its pictures share.
#pragma once

#include <cstdint>

namespace display {

// The range code a channel starts with (the 1 V range).
inline constexpr std::uint8_t kDefaultRangeCode = 27;

// A ground level that says no loaded data file gives one.
inline constexpr std::int32_t kNoFileGround = 10000;

}  // namespace display
