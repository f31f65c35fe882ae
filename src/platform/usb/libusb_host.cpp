#include "platform/usb/libusb_host.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int kInterface = 0;

bool IsDarvik(libusb_device* device) {
  libusb_device_descriptor descriptor{};
  if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) return false;
  return descriptor.idVendor == kDarvikVendorId && descriptor.idProduct == kDarvikProductId;
}

unsigned EffectiveTimeout(unsigned timeout_ms) {
  return timeout_ms == 0 ? LibusbHost::kLongTimeoutMs : timeout_ms;
}

}  // namespace

LibusbHost::~LibusbHost() {
  Close();
  if (context_) libusb_exit(context_);
}

bool LibusbHost::EnsureContext() {
  if (context_) return true;
  libusb_context* context = nullptr;
  if (libusb_init(&context) != LIBUSB_SUCCESS) return false;
  context_ = context;
  return true;
}

int LibusbHost::CountDevices() {
  if (!EnsureContext()) return 0;
  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(context_, &list);
  if (n < 0) return 0;
  int count = 0;
  for (ssize_t i = 0; i < n; ++i) {
    if (IsDarvik(list[i])) ++count;
  }
  libusb_free_device_list(list, 1);
  return count;
}

bool LibusbHost::Open() {
  if (handle_ && !lost_) return true;
  // A handle of a device that went away is of no further use.
  if (handle_) Close();
  if (!EnsureContext()) return false;

  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(context_, &list);
  if (n < 0) return false;
  libusb_device_handle* handle = nullptr;
  for (ssize_t i = 0; i < n && !handle; ++i) {
    if (!IsDarvik(list[i])) continue;
    if (libusb_open(list[i], &handle) != LIBUSB_SUCCESS) handle = nullptr;
  }
  libusb_free_device_list(list, 1);
  if (!handle) return false;

  bool detached = false;
  if (libusb_kernel_driver_active(handle, kInterface) == 1) {
    if (libusb_detach_kernel_driver(handle, kInterface) != LIBUSB_SUCCESS) {
      libusb_close(handle);
      return false;
    }
    detached = true;
  }
  if (libusb_claim_interface(handle, kInterface) != LIBUSB_SUCCESS) {
    if (detached) libusb_attach_kernel_driver(handle, kInterface);
    libusb_close(handle);
    return false;
  }
  handle_ = handle;
  driver_detached_by_us_ = detached;
  lost_ = false;
  return true;
}

void LibusbHost::Close() {
  if (!handle_) return;
  if (!lost_) {
    libusb_release_interface(handle_, kInterface);
    if (driver_detached_by_us_) libusb_attach_kernel_driver(handle_, kInterface);
  }
  libusb_close(handle_);
  handle_ = nullptr;
  driver_detached_by_us_ = false;
  lost_ = false;
}

bool LibusbHost::DeviceStillPresent() {
  libusb_device* mine = libusb_get_device(handle_);
  if (!mine) return false;
  const auto bus = libusb_get_bus_number(mine);
  const auto address = libusb_get_device_address(mine);
  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(context_, &list);
  // Without a list there is no telling; do not call the device gone.
  if (n < 0) return true;
  bool present = false;
  for (ssize_t i = 0; i < n && !present; ++i) {
    present = libusb_get_bus_number(list[i]) == bus &&
              libusb_get_device_address(list[i]) == address && IsDarvik(list[i]);
  }
  libusb_free_device_list(list, 1);
  return present;
}

UsbStatus LibusbHost::MapResult(int result) {
  switch (result) {
    case LIBUSB_SUCCESS:
      return UsbStatus::Ok;
    case LIBUSB_ERROR_TIMEOUT:
      return UsbStatus::Timeout;
    case LIBUSB_ERROR_NO_DEVICE:
      lost_ = true;
      return UsbStatus::NoDevice;
    case LIBUSB_ERROR_IO:
      // An unplug during a transfer often shows up as an I/O error first.
      if (!DeviceStillPresent()) {
        lost_ = true;
        return UsbStatus::NoDevice;
      }
      return UsbStatus::Error;
    default:
      return UsbStatus::Error;
  }
}

UsbStatus LibusbHost::Write(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                            std::size_t* sent, unsigned timeout_ms) {
  if (sent) *sent = 0;
  if (!handle_ || lost_) return UsbStatus::NoDevice;
  if ((!data && length > 0) || length > static_cast<std::size_t>(INT_MAX)) return UsbStatus::Error;
  int transferred = 0;
  // libusb does not write to an OUT buffer; its signature is just not const.
  const int result = libusb_bulk_transfer(handle_, endpoint, const_cast<unsigned char*>(data),
                                          static_cast<int>(length), &transferred,
                                          EffectiveTimeout(timeout_ms));
  if (sent) *sent = static_cast<std::size_t>(std::max(transferred, 0));
  return MapResult(result);
}

UsbStatus LibusbHost::Read(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                           std::size_t* received, unsigned timeout_ms) {
  if (received) *received = 0;
  if (!handle_ || lost_) return UsbStatus::NoDevice;
  if (length == 0) return UsbStatus::Ok;
  if (!data) return UsbStatus::Error;
  // Asking for less than a whole packet makes libusb fail with an overflow,
  // so read whole packets and hand back only what was asked for.
  const std::size_t rounded = (length + kPacketSize - 1) / kPacketSize * kPacketSize;
  if (rounded > static_cast<std::size_t>(INT_MAX)) return UsbStatus::Error;
  if (read_buffer_.size() < rounded) read_buffer_.resize(rounded);
  int transferred = 0;
  const int result = libusb_bulk_transfer(handle_, endpoint, read_buffer_.data(),
                                          static_cast<int>(rounded), &transferred,
                                          EffectiveTimeout(timeout_ms));
  const std::size_t got = std::min(static_cast<std::size_t>(std::max(transferred, 0)), length);
  if (got > 0) std::memcpy(data, read_buffer_.data(), got);
  if (received) *received = got;
  return MapResult(result);
}

void LibusbHost::Flush(std::uint8_t /*endpoint*/) {
  // libusb keeps nothing between transfers: each read takes whole packets and
  // the part beyond the asked length is already dropped above.
}
