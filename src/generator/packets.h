// The generator's wire packets, byte for byte, and the choices that go into
// them (setting bytes, filter, frequency word, sweep fields). Pure functions;
// the send sequences of the engine window write what they return.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace generator {

inline constexpr std::uint8_t kWaveCommand = 0x04;
inline constexpr std::uint8_t kApplyCommand = 0x06;
inline constexpr std::uint32_t kCommandTimeoutMs = 10;
inline constexpr std::uint32_t kWaveBlockTimeoutMs = 100;

using WaveBlockBytes = std::array<std::uint8_t, 512>;
using SettingBytes = std::array<std::uint8_t, 4>;
using SettingsPacketBytes = std::array<std::uint8_t, 7>;
using FrequencyPacketBytes = std::array<std::uint8_t, 22>;

// One period of the output table: the low byte of every 16th entry of the
// first 8192.
WaveBlockBytes WaveBlock(std::span<const std::int32_t> outputTable);
// What the device plays while the output is off.
WaveBlockBytes SilentWaveBlock();

struct SettingInput {
  std::int32_t Shape = 0;
  bool OutputOff = true;
  std::uint8_t OffsetDac = 127;
  std::int32_t OffsetTrim = 0;
  std::int32_t RangeBits = 0;
  std::uint8_t AttenuatorRange = 1;
  std::uint8_t SyncMode = 0;
  std::int32_t GainTrim = 0;
  std::int32_t OutputEnableCode = 1;
  std::uint8_t SweepRunning = 0;
  std::uint8_t FilterChoice = 7;
};
// b0 offset, b1 range and attenuator, b2 gain trim, sync and output enable,
// b3 sweep bit and filter.
SettingBytes ComposeSettingBytes(const SettingInput& in);
// 0x0E 0x05 0x04 b0 b1 b2 b3.
SettingsPacketBytes SettingsPacket(const SettingBytes& b);

struct FilterInput {
  std::int32_t Shape = 0;
  std::int32_t RangeCode = 1;
  double Frequency = 0;  // in the range's unit (kHz on the top range)
  bool BodeSweepRunning = false;
  std::uint8_t Current = 7;  // kept by noise and sweep
};
std::uint8_t ChooseFilter(const FilterInput& in);
// The filter of a sweep from the higher of its two frequencies (Hz).
std::uint8_t SweepFilter(double startHz, double stopHz);

struct FrequencyInput {
  std::int32_t Shape = 0;
  std::int32_t RangeCode = 1;
  double Frequency = 0;  // in the range's unit
  double SweepStartHz = 0;
  double SweepStopHz = 0;
  double SweepTime = 1;  // s
  bool Log = false;
  std::uint8_t FilterChoice = 7;
};
// The fields of the frequency packet, as numbers.
struct FrequencyFields {
  std::uint64_t SweepIncrement = 0;
  std::uint64_t FrequencyWord = 0;  // 48 bits
  std::uint32_t SweepLength = 0;
  std::uint8_t Mode = 0;
};
FrequencyFields ComputeFrequencyFields(const FrequencyInput& in);
// 0x0E 0x02 0x13, then the fields little-endian: increment (8 bytes), word
// (6), length (4), mode (1).
FrequencyPacketBytes FrequencyPacket(const FrequencyFields& f);

}  // namespace generator
