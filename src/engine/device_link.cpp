// The USB link to the instrument: discovery, open over one of the two back
// ends, the write and read wrappers, loss of the device and release at close.
#include <QWidget>

#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "generator/fine_tune.h"
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

void TForm1::MPUSBWrite(MpusbHandle handle, const std::uint8_t* buf, std::uint32_t len,
                        std::uint32_t* sent, std::uint32_t timeout) {
  using namespace engine;
  if (!ScopeState.DeviceOpen) return;
  if (ScopeState.WinUsbInUse) {
    // The fallback back end keeps its count to itself; the caller's is left alone.
    std::uint32_t written = 0;
    if (!WinUsbApi::WinUsb_WritePipe(ScopeState.WinUsbInterface, kOutPipe, buf, len, &written, nullptr) &&
        WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice)
      DeviceLost();
    return;
  }
  if (MpusbApi::_MPUSBWrite(handle, buf, len, sent, timeout) == MpusbApi::MPUSB_FAIL)
    CheckInvalidHandle();
}

void TForm1::MPUSBRead(MpusbHandle handle, std::uint8_t* buf, std::uint32_t len,
                       std::uint32_t* got, std::uint32_t timeout) {
  using namespace engine;
  // The count is the caller's only proof that bytes arrived: the buffer may
  // still hold an earlier transfer's.
  if (got) *got = 0;
  if (!ScopeState.DeviceOpen) return;
  if (ScopeState.WinUsbInUse) {
    std::uint32_t count = 0;
    const bool ok = WinUsbApi::WinUsb_ReadPipe(ScopeState.WinUsbInterface, kInPipe, buf, len, &count, nullptr);
    if (got) *got = count;
    if (!ok && WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice) {
      DeviceLost();
      return;
    }
    // Whatever the driver still holds belongs to no request of ours.
    if (!WinUsbApi::WinUsb_FlushPipe(ScopeState.WinUsbInterface, kInPipe) &&
        WinUsbApi::WinUsbLastStatus() == UsbStatus::NoDevice)
      DeviceLost();
    return;
  }
  // The count tells the caller what arrived; of the errors only a lost device matters here.
  if (MpusbApi::_MPUSBRead(handle, buf, len, got, timeout) == MpusbApi::MPUSB_FAIL)
    CheckInvalidHandle();
}

void TForm1::SendDeviceCommand(std::uint8_t command) {
  MPUSBWrite(engine::ScopeState.UsbOutHandle, &command, 1, &engine::ScopeState.UsbSentCount, engine::kCommandTimeoutMs);
}

int TForm1::OpenDeviceH() {
  using namespace engine;
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
  ScopeState.UsbOutHandle = out;
  ScopeState.UsbInHandle = in;
  ScopeState.DeviceOpen = 1;
  return 0;
}

int TForm1::OpenDeviceW() {
  using namespace engine;
  if (!WinUsbApi::GivePath()) return -1;
  WinUsbApi::WINUSB_INTERFACE_HANDLE handle = 0;
  if (!WinUsbApi::WinUsb_Initialize(&handle)) return -1;
  ScopeState.WinUsbInterface = handle;
  ScopeState.DeviceOpen = 1;
  ScopeState.WinUsbInUse = 1;
  return 0;
}

bool TForm1::OpenLink() {
  using namespace engine;
  if (ScopeState.DeviceOpen) return true;
  ScopeState.WinUsbInUse = 0;
  if (MpusbApi::_MPUSBGetDeviceCount(kDeviceIdText) == 0) {
    ScopeState.NoHardware = 1;
    if (OpenDeviceW() == -1) return false;
  }
  ScopeState.NoHardware = 0;
  ShowLoadingPanel(true);
  if (!ScopeState.WinUsbInUse && OpenDeviceH() == -1) {
    ScopeState.NoHardware = 1;
    ShowLoadingPanel(false);
    return false;
  }
  // An unconfigured device is of no use: without its logic the link is given up.
  if (SendFPGAdata() != 0 || !ScopeState.DeviceOpen) {
    ReleaseBackEnd();
    ScopeState.NoHardware = 1;
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
  if (engine::ScopeState.FirstRunCalibration && engine::ScopeState.DeviceOpen) Form8->calibrate();
}

void TForm1::test2() {
  engine::ScopeState.NoHardware = 0;
  test0();
}

void TForm1::CheckInvalidHandle() {
  if (MpusbApi::MpusbLastError() != MpusbApi::ERROR_INVALID_HANDLE) return;
  DeviceLost();
}

void TForm1::ReleaseBackEnd() {
  using namespace engine;
  if (!ScopeState.DeviceOpen) return;
  if (ScopeState.WinUsbInUse) {
    WinUsbApi::WinUsb_Free(ScopeState.WinUsbInterface);
    ScopeState.WinUsbInterface = 0;
  } else {
    MpusbApi::_MPUSBClose(ScopeState.UsbOutHandle);
    MpusbApi::_MPUSBClose(ScopeState.UsbInHandle);
    ScopeState.UsbOutHandle = -1;
    ScopeState.UsbInHandle = -1;
  }
  ScopeState.DeviceOpen = 0;
}

void TForm1::DeviceLost() {
  if (!engine::ScopeState.DeviceOpen) return;
  // Closed before the message: a timer that runs while it is shown finds the
  // link closed and returns at once.
  ReleaseBackEnd();
  MessageDlg("Darvik48 disconnected.", mtInformation, mbOK, 0);
}

void TForm1::ReleaseDevice() {
  if (!engine::ScopeState.DeviceOpen) return;
  SendDeviceCommand(20);
  ReleaseBackEnd();
}

void TForm1::ShowLoadingPanel(bool show) {
  LoadingPanel->SetVisible(show);
  if (!show) return;
  LoadingPanel->BringToFront();
  // The upload blocks the event loop, so the panel is painted now.
  if (QWidget* w = LoadingPanel->Widget()) w->repaint();
}
