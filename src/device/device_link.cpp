// The USB link to the instrument: discovery, open over one of the two back
// ends with the logic upload, the write and read wrappers, loss of the device
// and release at close.
#include <utility>

#include "device/scope_device.h"
#include "platform/ui/vcl.h"
#include "platform/usb/mpusb_api.h"
#include "platform/usb/winusb_api.h"

namespace {

// The primary back end finds the device by this text in its path.
constexpr const char* kDeviceIdText = "vid_4d3e&pid_0b17";
// One endpoint name, opened once per direction.
constexpr const char* kEndpointName = "\\MCHP_EP1";
constexpr std::uint8_t kOutPipe = 0x01;
constexpr std::uint8_t kInPipe = 0x81;

}  // namespace

namespace device {

ScopeDevice::ScopeDevice(std::function<bool()> demoMode) : demoMode_(std::move(demoMode)) {}

bool ScopeDevice::Open(const LogicFolders& folders, const std::function<void(bool)>& showLoading) {
  const auto loading = [&showLoading](bool show) {
    if (showLoading) showLoading(show);
  };
  if (DeviceOpen) return true;
  WinUsbInUse = 0;
  if (MpusbApi::_MPUSBGetDeviceCount(kDeviceIdText) == 0) {
    NoHardware = 1;
    if (OpenDeviceW() == -1) return false;
  }
  NoHardware = 0;
  loading(true);
  if (!WinUsbInUse && OpenDeviceH() == -1) {
    NoHardware = 1;
    loading(false);
    return false;
  }
  // An unconfigured device is of no use: without its logic the link is given up.
  if (SendFPGAdata(folders) != 0 || !DeviceOpen) {
    ReleaseBackEnd();
    NoHardware = 1;
    loading(false);
    return false;
  }
  loading(false);
  return true;
}

void ScopeDevice::ResetLinkFlags() {
  NoHardware = 0;
  AcqState = AcqArmed = 0;
  DeviceOpen = WinUsbInUse = 0;
  CaptureHeld = false;
}

void ScopeDevice::MPUSBWrite(MpusbHandle handle, const std::uint8_t* buf, std::uint32_t len,
                             std::uint32_t* sent, std::uint32_t timeout) {
  if (!DeviceOpen) return;
  if (WinUsbInUse) {
    // The fallback back end keeps its count to itself; the caller's is left alone.
    std::uint32_t written = 0;
    if (!WinUsbApi::WinUsb_WritePipe(WinUsbInterface, kOutPipe, buf, len, &written, nullptr) &&
        WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice)
      DeviceLost();
    return;
  }
  if (MpusbApi::_MPUSBWrite(handle, buf, len, sent, timeout) == MpusbApi::MPUSB_FAIL)
    CheckInvalidHandle();
}

void ScopeDevice::MPUSBRead(MpusbHandle handle, std::uint8_t* buf, std::uint32_t len,
                            std::uint32_t* got, std::uint32_t timeout) {
  // The count is the caller's only proof that bytes arrived: the buffer may
  // still hold an earlier transfer's.
  if (got) *got = 0;
  if (!DeviceOpen) return;
  if (WinUsbInUse) {
    std::uint32_t count = 0;
    const bool ok = WinUsbApi::WinUsb_ReadPipe(WinUsbInterface, kInPipe, buf, len, &count, nullptr);
    if (got) *got = count;
    if (!ok && WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice) {
      DeviceLost();
      return;
    }
    // Whatever the driver still holds belongs to no request of ours.
    if (!WinUsbApi::WinUsb_FlushPipe(WinUsbInterface, kInPipe) &&
        WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice)
      DeviceLost();
    return;
  }
  // The count tells the caller what arrived; of the errors only a lost device matters here.
  if (MpusbApi::_MPUSBRead(handle, buf, len, got, timeout) == MpusbApi::MPUSB_FAIL)
    CheckInvalidHandle();
}

void ScopeDevice::SendBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t timeoutMs) {
  MPUSBWrite(UsbOutHandle, bytes, length, &UsbSentCount, timeoutMs);
}

void ScopeDevice::SendDeviceCommand(std::uint8_t command) { SendBytes(&command, 1, kCommandTimeoutMs); }

int ScopeDevice::OpenDeviceH() {
  const MpusbHandle out =
      MpusbApi::_MPUSBOpen(0, kDeviceIdText, kEndpointName, MpusbApi::MP_WRITE, 0);
  if (out == MpusbApi::INVALID_HANDLE_VALUE) return -1;
  const MpusbHandle in =
      MpusbApi::_MPUSBOpen(0, kDeviceIdText, kEndpointName, MpusbApi::MP_READ, 0);
  if (in == MpusbApi::INVALID_HANDLE_VALUE) {
    // The device stays claimed while any pipe is open.
    MpusbApi::_MPUSBClose(out);
    return -1;
  }
  UsbOutHandle = out;
  UsbInHandle = in;
  DeviceOpen = 1;
  return 0;
}

int ScopeDevice::OpenDeviceW() {
  if (!WinUsbApi::GivePath()) return -1;
  WinUsbApi::WINUSB_INTERFACE_HANDLE handle = 0;
  if (!WinUsbApi::WinUsb_Initialize(&handle)) return -1;
  WinUsbInterface = handle;
  DeviceOpen = 1;
  WinUsbInUse = 1;
  return 0;
}

void ScopeDevice::CheckInvalidHandle() {
  if (MpusbApi::MpusbLastError() != MpusbApi::ERROR_INVALID_HANDLE) return;
  DeviceLost();
}

void ScopeDevice::ReleaseBackEnd() {
  if (!DeviceOpen) return;
  if (WinUsbInUse) {
    WinUsbApi::WinUsb_Free(WinUsbInterface);
    WinUsbInterface = 0;
  } else {
    MpusbApi::_MPUSBClose(UsbOutHandle);
    MpusbApi::_MPUSBClose(UsbInHandle);
    UsbOutHandle = -1;
    UsbInHandle = -1;
  }
  DeviceOpen = 0;
}

void ScopeDevice::DeviceLost() {
  if (!DeviceOpen) return;
  // Closed before the message: a timer that runs while it is shown finds the
  // link closed and returns at once.
  ReleaseBackEnd();
  MessageDlg("Darvik48 disconnected.", mtInformation, mbOK, 0);
}

void ScopeDevice::ReleaseDevice() {
  if (!DeviceOpen) return;
  SendDeviceCommand(20);
  ReleaseBackEnd();
}

}  // namespace device
