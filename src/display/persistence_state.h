// Persistence of the scope picture: the mode (1 infinite, 2 colour graded,
// 3 variable), the menu checks, the durations as ring masks, the colour
// counts and the two colour ramps. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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

// Ramps that are not made yet: every entry black.
inline constexpr std::array<PersistRamp, 2> kNoPersistRamps{};

// What the persistence drawing takes from the persistence values: the ramps
// (not copied: they are large) and the counts and durations that pick from them.
struct PersistenceLook {
  const std::array<PersistRamp, 2>* PersistColorTable = &kNoPersistRamps;  // [0] CH1, [1] CH2
  std::int32_t LowColorCount = 1;
  std::int32_t HighColorCount = 32;
  std::int32_t GradedRampTop = 0;
  std::int32_t GradedPersistenceMask = 31;
  std::int32_t VariablePersistenceMask = 15;

  const PersistRamp& Ramp(std::size_t channel) const { return (*PersistColorTable)[channel]; }
};

inline PersistenceLook PersistenceLookOf(const PersistenceSharedState& p) {
  return {&p.PersistColorTable, p.LowColorCount, p.HighColorCount, p.GradedRampTop, p.GradedPersistenceMask,
          p.VariablePersistenceMask};
}

}  // namespace display
