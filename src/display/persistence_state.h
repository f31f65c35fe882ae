// Persistence of the scope picture: the mode (1 infinite, 2 colour graded,
// 3 variable), the menu checks, the durations as ring masks, the colour
// counts and the two colour ramps. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/ui/types.h"

namespace display {

inline std::int32_t PersistenceMode = 1;
inline std::uint8_t LiveTraceOn = 1;  // 0 while graded or variable persistence alone shows the traces
inline std::uint8_t NormalPersistenceChecked = 1;
inline std::uint8_t GradedPersistenceChecked = 0;
inline std::uint8_t VariablePersistenceChecked = 0;
inline std::int32_t VariablePersistenceMask = 15;  // 7, 15 or 31: a ring of 8..32 traces
inline std::int32_t GradedPersistenceMask = 31;    // 31, 63, 127, 255, or 0 for no ageing
inline std::int32_t LowColorCount = 1;
inline std::int32_t HighColorCount = 32;

// A channel's colour ramp: the graded colours by hit count, or the fade of
// the variable mode, newest first; entries past GradedRampTop hold the
// background colour.
inline constexpr std::size_t kPersistColorEntries = 768;
using PersistRamp = std::array<TColor, kPersistColorEntries>;
inline std::array<PersistRamp, 2> PersistColorTable{};  // [0] CH1, [1] CH2
inline std::int32_t GradedRampTop = 0;                  // index of the ramp's last colour

}  // namespace display
