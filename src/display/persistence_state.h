// Persistence of the scope picture: the mode (1 infinite, 2 colour graded,
// 3 variable), the menu checks, the durations as ring masks, the colour
// counts and the two colour ramps. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/ui/types.h"

namespace display {

// A channel's colour ramp: the graded colours by hit count, or the fade of
// the variable mode, newest first; entries past GradedRampTop hold the
// background colour.
inline constexpr std::size_t kPersistColorEntries = 768;
using PersistRamp = std::array<TColor, kPersistColorEntries>;

// Persistence values that change while the program runs, each with its start-up value.
struct PersistenceSharedState {
  std::int32_t PersistenceMode = 1;
  std::uint8_t LiveTraceOn = 1;  // 0 while graded or variable persistence alone shows the traces
  std::uint8_t NormalPersistenceChecked = 1;
  std::uint8_t GradedPersistenceChecked = 0;
  std::uint8_t VariablePersistenceChecked = 0;
  std::int32_t VariablePersistenceMask = 15;  // 7, 15 or 31: a ring of 8..32 traces
  std::int32_t GradedPersistenceMask = 31;    // 31, 63, 127, 255, or 0 for no ageing
  std::int32_t LowColorCount = 1;
  std::int32_t HighColorCount = 32;
  std::array<PersistRamp, 2> PersistColorTable{};  // [0] CH1, [1] CH2
  std::int32_t GradedRampTop = 0;                  // index of the ramp's last colour
};

inline PersistenceSharedState PersistenceState;

// Puts every value back to its start-up default (in place: the arrays are large,
// and the names below stay bound).
inline void ResetPersistenceState() {
  std::destroy_at(&PersistenceState);
  std::construct_at(&PersistenceState);
}

}  // namespace display
