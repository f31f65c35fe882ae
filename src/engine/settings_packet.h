// The settings packet: the ten bytes that carry the front end's settings to
// the device, built from a small settings value without touching any state.
#pragma once

#include <array>
#include <cstdint>

namespace engine {

// Values the packet keeps while the settings give none of their own: the
// time-base register of the last known code, and the trigger bits of the
// last recognised source, slope and on/off values.
struct PacketStickyBits {
  std::uint8_t TimeBaseRegister = 0;
  std::uint8_t TriggerCh2 = 0;
  std::uint8_t TriggerOn = 0;
  std::uint8_t FallingEdge = 0;
  bool operator==(const PacketStickyBits&) const = default;
};

// The settings one packet carries, in the engine's own codes.
struct ScopeSettings {
  std::uint8_t Ch1GainCode = 27;  // range codes: 1 = 3 V .. 30 = 10 mV per division
  std::uint8_t Ch2GainCode = 27;
  std::uint8_t Ch1InputOn = 1;    // 0: input grounded
  std::uint8_t Ch2InputOn = 1;
  std::uint8_t Ch1Ac = 0;         // AC coupled
  std::uint8_t Ch2Ac = 0;
  std::uint8_t Ch1OffsetDacByte = 127;
  std::uint8_t Ch2OffsetDacByte = 127;
  std::uint8_t DeviceTriggerLevel = 128;  // sent as 255 minus this
  std::uint8_t TimeBaseCode = 88;
  std::uint8_t TriggerSource = 16;  // 16 CH1, 0 CH2, 1 external
  std::uint8_t TriggerSlope = 32;   // 32 rising, 0 falling
  std::uint8_t TriggerOff = 64;     // 64 off, 0 on
  std::uint8_t DigitalMode = 0;     // bit view
  PacketStickyBits Sticky;          // as the previous packet left them
};

inline constexpr std::size_t kSettingsPacketBytes = 10;
using SettingsPacket = std::array<std::uint8_t, kSettingsPacketBytes>;
// Command 14, then 128 and 7, then the seven control bytes c0..c6.
inline constexpr std::array<std::uint8_t, 3> kSettingsPacketHead{14, 128, 7};

// The sticky values after `settings`: what the next packet starts from.
PacketStickyBits NextStickyBits(const ScopeSettings& settings);
// The packet for `settings`.
SettingsPacket EncodeSettingsPacket(const ScopeSettings& settings);

}  // namespace engine
