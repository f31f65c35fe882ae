#include "device/settings_packet.h"

#include <algorithm>
#include <optional>


namespace device {

namespace {


// The time-base register per code; codes 0 and 153 come from the math modes
// and the recorder. Other codes leave the register as it is.
std::optional<std::uint8_t> TimeBaseRegisterFor(std::uint8_t code) {
  switch (code) {
    case 5: return 0xC1;
    case 2: return 0xC2;
    case 93: return 0xE0;
    case 64: return 0xE1;
    case 65: return 0xE2;
    case 32: return 0x40;
    case 66: return 0xF0;
    case 80: return 0xF1;
    case 81: return 0xF2;
    case 82: return 0xF8;
    case 88: return 0xF9;
    case 0: return 0x00;
    case 89: return 0xFA;
    case 90: return 0xFC;
    case 92: return 0xFD;
    case 85: return 0xFE;
    case 94: return 0x80;
    case 153: return 0x02;
    default: return std::nullopt;
  }
}

std::uint8_t ChannelByte(std::uint8_t code, std::uint8_t inputOn, std::uint8_t ac) {
  std::uint8_t c = RangeGainBits(code);
  if (!inputOn) c |= 0x10;  // grounded
  if (!ac) c |= 0x01;       // DC coupled
  return c;
}

}  // namespace

std::uint8_t RangeGainBits(std::uint8_t code) {
  // The front end's six ranges: 3 V, 1 V, 0.3 V, 0.1 V, 30 mV and 10 mV per division.
  switch (code) {
    case 1: return 0x08;
    case 27: return 0x28;
    case 11: return 0x04;
    case 29: return 0x24;
    case 13: return 0x02;
    case 30: return 0x22;
    default: return 0x00;
  }
}

PacketStickyBits NextStickyBits(const ScopeSettings& s) {
  PacketStickyBits next = s.Sticky;
  if (const auto reg = TimeBaseRegisterFor(s.TimeBaseCode)) next.TimeBaseRegister = *reg;
  // An external source keeps the bit of the last internal one.
  if (s.TriggerSource == 16) next.TriggerCh2 = 0;
  else if (s.TriggerSource == 0) next.TriggerCh2 = 1;
  if (s.TriggerOff == 0) next.TriggerOn = 1;
  else if (s.TriggerOff == 64) next.TriggerOn = 0;
  if (s.TriggerSlope == 32) next.FallingEdge = 0;
  else if (s.TriggerSlope == 0) next.FallingEdge = 1;
  return next;
}

SettingsPacket EncodeSettingsPacket(const ScopeSettings& s) {
  const PacketStickyBits bits = NextStickyBits(s);
  SettingsPacket packet{};
  std::copy(kSettingsPacketHead.begin(), kSettingsPacketHead.end(), packet.begin());
  for (std::size_t i = 0; i < s.Channels.size(); ++i) {
    const ScopeChannelSettings& c = s.Channels[i];
    packet[3 + i] = ChannelByte(c.GainCode, c.InputOn, c.Ac);
    packet[5 + i] = c.OffsetDacByte;
  }
  packet[7] = static_cast<std::uint8_t>(255 - s.DeviceTriggerLevel);
  packet[8] = bits.TimeBaseRegister;
  packet[9] = static_cast<std::uint8_t>(bits.TriggerCh2 | (bits.TriggerOn << 1) | (bits.FallingEdge << 2) |
                                        (s.DigitalMode ? 0x08 : 0));
  return packet;
}

}  // namespace device
