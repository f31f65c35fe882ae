// One Darvik48 reached by bulk transfers: the floor under both USB back-end
// shapes (MpusbApi, WinUsbApi). The program talks to real hardware through
// libusb; tests install a simulated device instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

enum class UsbStatus {
  Ok,
  Timeout,   // the time-out ran out; the count tells what did get through
  NoDevice,  // the device vanished, was never there, or the host is not open
  Error,     // any other failure
};

// Identity of the instrument on the bus.
inline constexpr std::uint16_t kDarvikVendorId = 0x4D3E;
inline constexpr std::uint16_t kDarvikProductId = 0x0B17;
inline constexpr std::uint8_t kDarvikOutEndpoint = 0x01;
inline constexpr std::uint8_t kDarvikInEndpoint = 0x81;

class UsbDeviceHost {
 public:
  virtual ~UsbDeviceHost() = default;

  // Number of devices 4D3E:0B17 present now.
  virtual int CountDevices() = 0;
  // Opens the first device, detaches a kernel driver and claims interface 0.
  // Opening an open host succeeds without doing anything.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // A time-out of 0 means a long but finite wait, never forever.
  virtual UsbStatus Write(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                          std::size_t* sent, unsigned timeout_ms) = 0;
  virtual UsbStatus Read(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                         std::size_t* received, unsigned timeout_ms) = 0;
  // Discards what the host side still holds for an IN endpoint; data the
  // device has not sent yet is not touched.
  virtual void Flush(std::uint8_t endpoint) = 0;
};

// The host the program uses: libusb unless a test installed another one.
UsbDeviceHost& CurrentUsbHost();
// Installs `host` (the previous one is destroyed, which closes it); nullptr
// brings back the libusb host.
void SetUsbHost(std::unique_ptr<UsbDeviceHost> host);
// Changes whenever SetUsbHost runs, so the back-end shapes can drop handles
// that belonged to a replaced host.
std::uint64_t UsbHostGeneration();
