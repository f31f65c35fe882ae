// State of the function generator that other windows read or set. Byte flags
// are 0 or 1.
#pragma once

#include <cstdint>

namespace generator {

inline std::uint8_t GeneratorActive = 0;
inline std::uint8_t GenOutputOff = 0;
inline std::int32_t GeneratorHardware = 8016;
inline std::uint8_t WaveEditorCanClose = 1;  // the wave editor allowed its close
inline std::uint8_t SweepRunning = 1;

}  // namespace generator
