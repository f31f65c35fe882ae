// Persistence of the scope picture: the mode (1 infinite, 2 colour graded,
// 3 variable), the menu checks, the durations as ring masks and the options
// dialog's texts. Byte flags are 0 or 1.
#pragma once

#include <cstdint>
#include <string>

namespace display {

inline std::int32_t PersistenceMode = 1;
inline std::uint8_t LiveTraceOn = 1;
inline std::uint8_t NormalPersistenceChecked = 1;
inline std::uint8_t GradedPersistenceChecked = 0;
inline std::uint8_t VariablePersistenceChecked = 0;
inline std::int32_t VariablePersistenceMask = 15;
inline std::int32_t GradedPersistenceMask = 31;
inline std::int32_t LowColorCount = 1;
inline std::int32_t HighColorCount = 32;
inline std::string PersistAcquisitionsText = "0";  // "Number of acquisitions"
inline std::string PersistLowColorText = "1";      // "Low color"
inline std::string PersistHighColorText = "32";    // "High color"

}  // namespace display
