// The USB link to the instrument: discovery, open over one of the two back
// ends, the write and read wrappers, loss of the device and release at close;
// and the main window's open of the link with its loading panel.
#include <QWidget>

#include "engine/main_form.h"
#include "engine/scope_device.h"
#include "engine/scope_state.h"
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

namespace engine {

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

void ScopeDevice::SendDeviceCommand(std::uint8_t command) {
  MPUSBWrite(UsbOutHandle, &command, 1, &UsbSentCount, kCommandTimeoutMs);
}

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

}  // namespace engine

bool TForm1::OpenLink() {
  engine::ScopeDevice& device = engine::TheDevice();
  if (device.DeviceOpen) return true;
  device.WinUsbInUse = 0;
  if (MpusbApi::_MPUSBGetDeviceCount(kDeviceIdText) == 0) {
    device.NoHardware = 1;
    if (device.OpenDeviceW() == -1) return false;
  }
  device.NoHardware = 0;
  ShowLoadingPanel(true);
  if (!device.WinUsbInUse && device.OpenDeviceH() == -1) {
    device.NoHardware = 1;
    ShowLoadingPanel(false);
    return false;
  }
  // An unconfigured device is of no use: without its logic the link is given up.
  if (device.SendFPGAdata() != 0 || !device.DeviceOpen) {
    device.ReleaseBackEnd();
    device.NoHardware = 1;
    ShowLoadingPanel(false);
    return false;
  }
  ShowLoadingPanel(false);
  return true;
}

void TForm1::test0() {
  if (!OpenLink()) return;
  SpeedButton15v1Click(this);
  SpeedButton15v2Click(this);
  SpeedButton2msClick(this);
}

void TForm1::test1() {
  if (!OpenLink()) return;
  SpeedButton15v1Click(this);
  SpeedButton15v2Click(this);
  SpeedButton2msClick(this);
  if (engine::ScopeState.FirstRunCalibration && engine::TheDevice().DeviceOpen) engine::TheDevice().calibrate();
}

void TForm1::test2() {
  engine::TheDevice().NoHardware = 0;
  test0();
}

void TForm1::ShowLoadingPanel(bool show) {
  LoadingPanel->SetVisible(show);
  if (!show) return;
  LoadingPanel->BringToFront();
  // The upload blocks the event loop, so the panel is painted now.
  if (QWidget* w = LoadingPanel->Widget()) w->repaint();
}
