// The device's command set: capture control and the settings packet.
#include "device/scope_device.h"

namespace {

constexpr std::uint32_t kPacketTimeoutMs = 10;

}  // namespace

namespace device {

void ScopeDevice::Reset_500(std::uint8_t state, std::uint8_t armed) {
  std::uint8_t command = 0;
  if (state == 0 && armed == 0) command = 9;
  else if (state == 1 && armed == 0) command = 10;
  else if (state == 1 && armed == 1) command = 11;
  else if (state == 2 && armed == 0) command = 12;
  else if (state == 3 && armed == 0) command = 13;
  else return;
  if (Quiet()) return;
  SendDeviceCommand(command);
}

void ScopeDevice::Resetoi_500() {
  AcqState = 0;
  AcqArmed = 0;
  Reset_500(0, 0);
  AcqState = 1;
  AcqArmed = 1;
  Reset_500(1, 1);
}

void ScopeDevice::SendSettings(const SettingsPacket& packet) {
  if (Quiet() || !DeviceOpen) return;
  MPUSBWrite(UsbOutHandle, packet.data(), static_cast<std::uint32_t>(packet.size()), &UsbSentCount,
             kPacketTimeoutMs);
}

}  // namespace device
