#include "platform/usb/usb_device_host.h"

#include "platform/usb/libusb_host.h"
#include "platform/usb/usb_shape_owner.h"

namespace {

std::unique_ptr<UsbDeviceHost>& InstalledHost() {
  static std::unique_ptr<UsbDeviceHost> host;
  return host;
}

std::uint64_t generation = 0;
usb_detail::UsbShape owner = usb_detail::UsbShape::None;

}  // namespace

UsbDeviceHost& CurrentUsbHost() {
  auto& host = InstalledHost();
  if (!host) host = std::make_unique<LibusbHost>();
  return *host;
}

void SetUsbHost(std::unique_ptr<UsbDeviceHost> host) {
  InstalledHost() = std::move(host);
  ++generation;
  owner = usb_detail::UsbShape::None;
}

std::uint64_t UsbHostGeneration() { return generation; }

namespace usb_detail {

bool ClaimHost(UsbShape shape) {
  if (owner != UsbShape::None && owner != shape) return false;
  owner = shape;
  return true;
}

void ReleaseHost(UsbShape shape) {
  if (owner == shape) owner = UsbShape::None;
}

UsbShape HostOwner() { return owner; }

}  // namespace usb_detail
