// The settings packet as a value: whole packets for worked settings, and the
// bits that a packet keeps from the one before.
#include <gtest/gtest.h>

#include "device/settings_packet.h"

namespace {

using device::EncodeSettingsPacket;
using device::NextStickyBits;
using device::PacketStickyBits;
using device::ScopeSettings;
using device::SettingsPacket;

ScopeSettings Settings(void (*change)(ScopeSettings&)) {
  ScopeSettings s;
  change(s);
  return s;
}

TEST(SettingsPacket, WorkedSettingsGiveTheirTenBytes) {
  struct Case {
    const char* what;
    ScopeSettings settings;
    SettingsPacket bytes;
  };
  const Case cases[] = {
      {"start-up: 1 V/div DC on both, 1 ms/div code 88, trigger off on CH1 rising", ScopeSettings{},
       {14, 128, 7, 0x29, 0x29, 127, 127, 127, 0xF9, 0x00}},
      {"CH1 10 mV/div AC grounded, CH2 3 V/div DC",
       Settings([](ScopeSettings& s) {
         s.Channels[0].GainCode = 30;
         s.Channels[0].Ac = 1;
         s.Channels[0].InputOn = 0;
         s.Channels[1].GainCode = 1;
       }),
       {14, 128, 7, 0x32, 0x09, 127, 127, 127, 0xF9, 0x00}},
      {"0.3 V, 0.1 V and 30 mV rows, offsets and trigger level 0",
       Settings([](ScopeSettings& s) {
         s.Channels[0].GainCode = 11;
         s.Channels[1].GainCode = 29;
         s.Channels[0].OffsetDacByte = 68;
         s.Channels[1].OffsetDacByte = 246;
         s.DeviceTriggerLevel = 0;
       }),
       {14, 128, 7, 0x05, 0x25, 68, 246, 255, 0xF9, 0x00}},
      {"trigger on CH2, falling edge, bit view, 5 us/div code 32",
       Settings([](ScopeSettings& s) {
         s.Channels[1].GainCode = 13;
         s.TriggerSource = 0;
         s.TriggerOff = 0;
         s.TriggerSlope = 0;
         s.DigitalMode = 1;
         s.TimeBaseCode = 32;
         s.DeviceTriggerLevel = 254;
       }),
       {14, 128, 7, 0x29, 0x03, 127, 127, 1, 0x40, 0x0F}},
      {"the recorder's code 153 and the math modes' code 0",
       Settings([](ScopeSettings& s) { s.TimeBaseCode = 153; }),
       {14, 128, 7, 0x29, 0x29, 127, 127, 127, 0x02, 0x00}},
      {"an unknown range code sends no gain bits",
       Settings([](ScopeSettings& s) { s.Channels[0].GainCode = 2; }),
       {14, 128, 7, 0x01, 0x29, 127, 127, 127, 0xF9, 0x00}},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeSettingsPacket(c.settings), c.bytes) << c.what;
}

TEST(SettingsPacket, UnknownValuesKeepWhatThePreviousPacketSent) {
  // A chain of packets, each starting from the sticky bits the one before left.
  struct Step {
    std::uint8_t timeBaseCode, source, off, slope;
    std::uint8_t register_, c6;
  };
  const Step steps[] = {
      {82, 0, 0, 0, 0xF8, 0x07},     // known values set every bit
      {7, 1, 5, 9, 0xF8, 0x07},      // external source, unknown values: all kept
      {0, 0, 64, 32, 0x00, 0x01},    // code 0 is a register of its own
      {94, 1, 64, 32, 0x80, 0x01},   // external keeps the CH2 bit
      {94, 16, 64, 32, 0x80, 0x00},
  };
  PacketStickyBits sticky{0x55, 1, 1, 1};
  for (const Step& step : steps) {
    ScopeSettings s;
    s.Sticky = sticky;
    s.TimeBaseCode = step.timeBaseCode;
    s.TriggerSource = step.source;
    s.TriggerOff = step.off;
    s.TriggerSlope = step.slope;
    const SettingsPacket p = EncodeSettingsPacket(s);
    EXPECT_EQ(p[8], step.register_) << int(step.timeBaseCode);
    EXPECT_EQ(p[9], step.c6) << int(step.timeBaseCode);
    sticky = NextStickyBits(s);
    EXPECT_EQ(sticky.TimeBaseRegister, p[8]);
  }
}

}  // namespace
