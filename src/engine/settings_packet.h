// The settings packet and the scope's settings value belong to the device;
// the engine speaks of them by their plain names.
#pragma once

#include "device/settings_packet.h"

namespace engine {

using device::CouplingIndex;
using device::EncodeSettingsPacket;
using device::kSettingsPacketBytes;
using device::kSettingsPacketHead;
using device::NextStickyBits;
using device::PacketStickyBits;
using device::ScopeChannelSettings;
using device::ScopeSettings;
using device::SettingsPacket;
using device::TriggerSourceIndex;

}  // namespace engine
