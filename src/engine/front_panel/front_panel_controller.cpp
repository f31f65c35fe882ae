// The settings packet as the scope builds it: the seven control bytes from
// the engine state, the offset DACs, and the apply operation through which
// every front-panel change reaches the device and the picture.
#include "engine/front_panel/front_panel_controller.h"

#include <algorithm>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/scope_state.h"
#include "engine/settings_packet.h"

namespace engine::front_panel {
namespace {

// Sum of the offset terms in 8-bit arithmetic: each term and the sum wrap.
std::uint8_t OffsetByte(std::int32_t cal, std::int32_t rangeTrim, std::int32_t rateTrim,
                        std::int32_t position) {
  const std::uint32_t sum = static_cast<std::uint32_t>(cal) + static_cast<std::uint32_t>(rangeTrim) +
                            static_cast<std::uint32_t>(rateTrim) + static_cast<std::uint32_t>(position);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

FrontPanelController::FrontPanelController(const engine::ScopeStates& states, FrontPanelControls& panel,
                                           FrontPanelHost& host, MainWindowControls window,
                                           display::ScopeView& view, device::ScopeDevice& device)
    : engine::WithScopeStates(states), panel_(panel), host_(host), window_(window), view_(view), device_(device) {}

// ---------------------------------------------------------------- settings packet

engine::ScopeSettings FrontPanelController::CurrentScopeSettings() const {
  engine::ScopeSettings s = ScopeState.Settings;
  s.Sticky = PacketBits;
  s.Sticky.TimeBaseRegister = ScopeState.TimeBaseRegister;
  return s;
}

void FrontPanelController::Set500() {
  const engine::ScopeSettings settings = engine::DeviceFrontEnd(ScopeState, CurrentScopeSettings());
  const engine::SettingsPacket packet = engine::EncodeSettingsPacket(settings);
  PacketBits = engine::NextStickyBits(settings);
  ScopeState.TimeBaseRegister = PacketBits.TimeBaseRegister;
  std::copy(packet.begin() + engine::kSettingsPacketHead.size(), packet.end(), ScopeState.ScopeControlBlock.begin());
  if (!ScopeState.DemoMode) asetus_1();
}

void FrontPanelController::asetus_1() {
  if (ScopeState.DemoMode || !device_.IsOpen()) return;
  engine::SettingsPacket packet{};
  std::copy(engine::kSettingsPacketHead.begin(), engine::kSettingsPacketHead.end(), packet.begin());
  std::copy(ScopeState.ScopeControlBlock.begin(), ScopeState.ScopeControlBlock.end(),
            packet.begin() + engine::kSettingsPacketHead.size());
  device_.SendSettings(packet);
}

void FrontPanelController::Set_DACs() {
  ScopeState.Settings.Channels[0].OffsetDacByte = OffsetByte(ScopeState.Channels[0].OffsetCal, ScopeState.Channels[0].RangeTrim, ScopeState.Channels[0].RateTrim, ScopeState.Channels[0].PositionDac);
  ScopeState.Settings.Channels[1].OffsetDacByte = OffsetByte(ScopeState.Channels[1].OffsetCal, ScopeState.Channels[1].RangeTrim, ScopeState.Channels[1].RateTrim, ScopeState.Channels[1].PositionDac);
  Set500();
}

// ---------------------------------------------------------------- apply operation

void FrontPanelController::asetus(const std::string& label, int kind) {
  if (kind == 0) ScopeState.CaptureCount = 0;
  host_.putsataanko();
  if (ScopeState.SpectrumMode) host_.kursoridb();

  if (kind == 1 || kind == 2) {
    if (ScopeState.Settings.TriggerSource == SourceCode(ChannelTriggerSource(kind))) ScopeState.CaptureCount = 0;
    host_.ShowRangeLabel(kind, label);
  }

  Set_DACs();
  ScopeState.SettingsChanged = 1;
  if (ScopeState.DemoMode) host_.Acquisition().tee_demo();
  host_.ClearHiddenReadouts();
  ScopeState.AverageBlend = 10;
}

}  // namespace engine::front_panel
