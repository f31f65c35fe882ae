// The recorder's settings as its panel has them, and the device's front end
// while the recorder holds it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/settings_packet.h"
#include "recorder/recorder_tables.h"

namespace recorder {

struct RecorderChannelSettings {
  std::size_t RangeRow = kRange1V;  // row of RecorderRangeTable
  std::uint8_t Ac = 0;              // AC coupled
  std::uint8_t InputOn = 1;         // 0: input grounded
  std::uint8_t X10 = 0;             // x10 probe: the x10 labels
  // The device has this channel's range or coupling from the recorder; the
  // scope takes each back when it hands the device back.
  bool RangeGiven = false;
  bool CouplingGiven = false;

  std::uint8_t GainCode() const { return RecorderRangeTable[RangeRow].Code; }
};

// The recorder's handlers set it; its buttons, labels, file headers and the
// packets it sends read it.
struct RecorderSettings {
  std::array<RecorderChannelSettings, 2> Channels{};  // CH1 first
  std::size_t TimeStep = kStep1s;  // row of RecorderTimeTable
  // The device records untriggered from the first start of a recording
  // until the scope takes the device back; the scope's trigger buttons keep
  // what the user chose.
  bool TriggerHeldOff = false;

  // Channel 1 or 2's settings.
  RecorderChannelSettings& Channel(int channel) { return Channels[static_cast<std::size_t>(channel - 1)]; }
  const RecorderChannelSettings& Channel(int channel) const { return Channels[static_cast<std::size_t>(channel - 1)]; }
};

// The settings the device gets: the scope's, with the ranges and couplings
// the recorder has given, and its trigger hold-off, laid over them.
engine::ScopeSettings OverScope(engine::ScopeSettings scope, const RecorderSettings& recorder);
// The same with the recorder's own `settings`: the front end while it holds
// the device (`settings` must outlive it).
std::function<engine::ScopeSettings(const engine::ScopeSettings&)> RecorderFrontEnd(const RecorderSettings& settings);

}  // namespace recorder
