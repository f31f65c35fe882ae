// The generator mailbox: another program asks for a shape, frequency,
// amplitude, offset, sweep or library waveform; the scope window's Timer5
// applies each new request once through the generator panel's own controls.
//
// Words: 1 wave (0 none, 1 sine, 2 square, 3 triangle, 4 sweep, 5 library),
// 2 frequency in mHz (sweep start), 3 amplitude in mVpp, 4 offset in mV,
// 5 sign of life (56 after every poll), 10 control (223 output off, 221
// hold for one poll), 20 sweep end in mHz, 21 sweep time in ms, 30 length of
// the library file name, 31.. its characters, one per word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace io {

inline constexpr std::size_t kGenWave = 1;
inline constexpr std::size_t kGenFrequency = 2;
inline constexpr std::size_t kGenAmplitude = 3;
inline constexpr std::size_t kGenOffset = 4;
inline constexpr std::size_t kGenAlive = 5;
inline constexpr std::size_t kGenControl = 10;
inline constexpr std::size_t kGenSweepEnd = 20;
inline constexpr std::size_t kGenSweepTime = 21;
inline constexpr std::size_t kGenNameLength = 30;
inline constexpr std::size_t kGenNameFirst = 31;
inline constexpr std::size_t kGenNameRoom = 250 - kGenNameFirst;  // 219 characters
inline constexpr std::int32_t kGenAliveValue = 56;
inline constexpr std::int32_t kGenOutputOff = 223;
inline constexpr std::int32_t kGenHold = 221;

// The frequency range (index of the generator panel's range buttons, top
// range first) a request of `hz` selects, and `hz` in that range's unit.
inline constexpr std::size_t kRemoteFrequencyRanges = 8;
std::size_t RemoteFrequencyRange(double hz);
double RemoteFrequencyInRangeUnit(double hz, std::size_t range);

// The library file name of the mailbox: at most `length` characters of
// `words`, never more than the block holds; only Latin-1 codes 1..255 are
// taken, each as its UTF-8 character.
std::string RemoteLibraryName(std::span<const std::int32_t> words, std::int32_t length);

// What the poll keeps between ticks.
struct GeneratorMailboxMemory {
  std::int32_t PreviousControl = 0;
  std::int32_t Wave = 0;  // last applied request
  std::int32_t Frequency = 0;
  std::int32_t Amplitude = 0;
  std::int32_t Offset = 0;
};

}  // namespace io
