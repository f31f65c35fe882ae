// The settings packet: the ten bytes that carry the front end's settings to
// the device, built from the scope's settings value without touching any state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "display/channel_defaults.h"

namespace device {

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

using display::kDefaultRangeCode;

// One channel's vertical settings, in the device's own codes.
struct ScopeChannelSettings {
  std::uint8_t GainCode = kDefaultRangeCode;  // range codes: 1 = 3 V .. 30 = 10 mV per division
  std::uint8_t InputOn = 1;    // 0: input grounded
  std::uint8_t Ac = 0;         // AC coupled
  std::uint8_t X10 = 0;        // x10 probe: the x10 labels
  std::uint8_t On = 1;         // trace shown
  std::int32_t Position = 0;   // position bar, -128..127
  std::uint8_t OffsetDacByte = 127;  // position and trims as the device takes them
};

// The scope's settings as one value, in the device's own codes: the
// handlers set it, the settings packet, the labels and read-outs, the
// settings file, the remote-status words and the panel buttons show it.
struct ScopeSettings {
  // ---- Vertical: CH1, CH2
  std::array<ScopeChannelSettings, 2> Channels;

  // ---- Time base
  std::uint8_t TimeBaseCode = 88;
  // The rows of the time-base table the panel shows: the time/div row of the
  // time view and the span row of the spectrum view. Several rows share a
  // code (the magnified steps all run at 25 MS/s), so the rows say which.
  std::uint8_t TimeBaseRow = 8;   // "1ms"
  std::uint8_t SpanRow = 9;       // "120kHz"

  // ---- Trigger
  std::uint8_t TriggerSource = 16;  // 16 CH1, 0 CH2, 1 external
  std::uint8_t TriggerSlope = 32;   // 32 rising, 0 falling
  std::uint8_t TriggerOff = 64;     // 64 off, 0 on
  std::uint8_t TriggerLevel = 128;  // level bar position
  std::uint8_t DeviceTriggerLevel = 128;  // sent as 255 minus this
  // The user wants the trigger on; kept while a grounded input holds it off.
  std::uint8_t TriggerWanted = 0;

  // ---- View
  std::uint8_t DigitalMode = 0;     // bit view

  PacketStickyBits Sticky;          // as the previous packet left them

  // One channel's settings (channel 1 or 2).
  ScopeChannelSettings& Channel(int channel) { return Channels[static_cast<std::size_t>(channel - 1)]; }
  const ScopeChannelSettings& Channel(int channel) const { return Channels[static_cast<std::size_t>(channel - 1)]; }
  std::uint8_t& GainCode(int channel) { return Channel(channel).GainCode; }
  std::uint8_t GainCode(int channel) const { return Channel(channel).GainCode; }
  std::uint8_t& InputOn(int channel) { return Channel(channel).InputOn; }
  std::uint8_t InputOn(int channel) const { return Channel(channel).InputOn; }
  std::uint8_t& Ac(int channel) { return Channel(channel).Ac; }
  std::uint8_t Ac(int channel) const { return Channel(channel).Ac; }
  std::uint8_t& X10(int channel) { return Channel(channel).X10; }
  std::uint8_t X10(int channel) const { return Channel(channel).X10; }
  std::uint8_t& On(int channel) { return Channel(channel).On; }
  std::uint8_t On(int channel) const { return Channel(channel).On; }
  std::int32_t& Position(int channel) { return Channel(channel).Position; }
  std::int32_t Position(int channel) const { return Channel(channel).Position; }
};

// The trigger source in the panel's order: 0 CH1, 1 CH2, 2 external.
inline int TriggerSourceIndex(const ScopeSettings& s) {
  return s.TriggerSource == 16 ? 0 : s.TriggerSource == 0 ? 1 : 2;
}

// A channel's coupling in the panel's order: 0 AC, 1 DC, 2 GND.
inline int CouplingIndex(const ScopeSettings& s, int channel) {
  if (!s.InputOn(channel)) return 2;
  return s.Ac(channel) ? 0 : 1;
}

inline constexpr std::size_t kSettingsPacketBytes = 10;
using SettingsPacket = std::array<std::uint8_t, kSettingsPacketBytes>;
// Command 14, then 128 and 7, then the seven control bytes c0..c6.
inline constexpr std::array<std::uint8_t, 3> kSettingsPacketHead{14, 128, 7};

// The sticky values after `settings`: what the next packet starts from.
PacketStickyBits NextStickyBits(const ScopeSettings& settings);
// The packet for `settings`.
SettingsPacket EncodeSettingsPacket(const ScopeSettings& settings);

// The gain bits of a channel's packet byte for a range code; 0 for a code
// the front end has no range of.
std::uint8_t RangeGainBits(std::uint8_t code);

}  // namespace device
