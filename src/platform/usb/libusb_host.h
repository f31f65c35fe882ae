// The device host for real hardware: libusb-1.0, synchronous bulk transfers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/usb/usb_device_host.h"

struct libusb_context;
struct libusb_device_handle;

class LibusbHost : public UsbDeviceHost {
 public:
  // Stands in for a time-out of 0, which libusb would take as "forever".
  static constexpr unsigned kLongTimeoutMs = 10000;
  // The device sends whole full-speed packets.
  static constexpr std::size_t kPacketSize = 64;

  LibusbHost() = default;
  ~LibusbHost() override;
  LibusbHost(const LibusbHost&) = delete;
  LibusbHost& operator=(const LibusbHost&) = delete;

  int CountDevices() override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return handle_ != nullptr; }
  UsbStatus Write(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                  std::size_t* sent, unsigned timeout_ms) override;
  UsbStatus Read(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                 std::size_t* received, unsigned timeout_ms) override;
  void Flush(std::uint8_t endpoint) override;

 private:
  bool EnsureContext();
  // Maps a libusb result; an I/O error counts as a lost device when the
  // device is no longer on the bus.
  UsbStatus MapResult(int result);
  bool DeviceStillPresent();

  libusb_context* context_ = nullptr;
  libusb_device_handle* handle_ = nullptr;
  bool driver_detached_by_us_ = false;
  bool lost_ = false;
  std::vector<std::uint8_t> read_buffer_;
};
