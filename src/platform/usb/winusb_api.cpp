#include "platform/usb/winusb_api.h"

#include "platform/usb/usb_shape_owner.h"

namespace WinUsbApi {
namespace {

// Interface paths look like the system's device-interface names.
constexpr const char* kInterfaceGuid = "{3f6a2c91-5d04-4e8b-a7c2-19e0b4d6f853}";

struct State {
  std::uint64_t generation = 0;
  std::string path;
  WINUSB_INTERFACE_HANDLE open_handle = 0;
  WINUSB_INTERFACE_HANDLE next_handle = 1;
  UsbStatus last_status = UsbStatus::Ok;
};

State& S() {
  static State state;
  if (state.generation != UsbHostGeneration()) {
    state.generation = UsbHostGeneration();
    state.path.clear();
    state.open_handle = 0;
  }
  return state;
}

bool Done(State& s, UsbStatus status) {
  s.last_status = status;
  return status == UsbStatus::Ok;
}

bool ValidPipe(std::uint8_t pipe_id) {
  return pipe_id == kDarvikOutEndpoint || pipe_id == kDarvikInEndpoint;
}

}  // namespace

bool GivePath() {
  State& s = S();
  const int n = CurrentUsbHost().CountDevices();
  if (n <= 0) {
    s.path.clear();
    return false;
  }
  // Enumeration order puts the last device at index n - 1; that one wins.
  s.path = "usb#vid_4d3e&pid_0b17#" + std::to_string(n - 1) + "#" + kInterfaceGuid;
  return true;
}

const std::string& DevicePath() { return S().path; }

bool WinUsb_Initialize(WINUSB_INTERFACE_HANDLE* interface_handle) {
  State& s = S();
  if (interface_handle) *interface_handle = 0;
  if (!interface_handle || s.path.empty()) return Done(s, UsbStatus::Error);
  if (s.open_handle != 0) return Done(s, UsbStatus::Error);  // one interface at a time
  if (!usb_detail::ClaimHost(usb_detail::UsbShape::WinUsb)) return Done(s, UsbStatus::Error);
  if (!CurrentUsbHost().Open()) {
    usb_detail::ReleaseHost(usb_detail::UsbShape::WinUsb);
    return Done(s, UsbStatus::NoDevice);
  }
  s.open_handle = s.next_handle;
  s.next_handle = s.next_handle == INT32_MAX ? 1 : s.next_handle + 1;
  *interface_handle = s.open_handle;
  return Done(s, UsbStatus::Ok);
}

bool WinUsb_Free(WINUSB_INTERFACE_HANDLE interface_handle) {
  State& s = S();
  if (interface_handle == 0 || interface_handle != s.open_handle) return Done(s, UsbStatus::Error);
  s.open_handle = 0;
  CurrentUsbHost().Close();
  usb_detail::ReleaseHost(usb_detail::UsbShape::WinUsb);
  return Done(s, UsbStatus::Ok);
}

bool WinUsb_WritePipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id,
                      const std::uint8_t* buffer, std::uint32_t length,
                      std::uint32_t* transferred, const void* overlapped) {
  State& s = S();
  if (transferred) *transferred = 0;
  if (interface_handle == 0 || interface_handle != s.open_handle)
    return Done(s, UsbStatus::NoDevice);
  if (pipe_id != kDarvikOutEndpoint || overlapped || (!buffer && length > 0))
    return Done(s, UsbStatus::Error);
  std::size_t count = 0;
  const UsbStatus status = CurrentUsbHost().Write(pipe_id, buffer, length, &count, 0);
  if (transferred) *transferred = static_cast<std::uint32_t>(count);
  return Done(s, status);
}

bool WinUsb_ReadPipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id,
                     std::uint8_t* buffer, std::uint32_t length, std::uint32_t* transferred,
                     const void* overlapped) {
  State& s = S();
  if (transferred) *transferred = 0;
  if (interface_handle == 0 || interface_handle != s.open_handle)
    return Done(s, UsbStatus::NoDevice);
  if (pipe_id != kDarvikInEndpoint || overlapped || (!buffer && length > 0))
    return Done(s, UsbStatus::Error);
  std::size_t count = 0;
  const UsbStatus status = CurrentUsbHost().Read(pipe_id, buffer, length, &count, 0);
  if (transferred) *transferred = static_cast<std::uint32_t>(count);
  return Done(s, status);
}

bool WinUsb_FlushPipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id) {
  State& s = S();
  if (interface_handle == 0 || interface_handle != s.open_handle)
    return Done(s, UsbStatus::NoDevice);
  if (!ValidPipe(pipe_id)) return Done(s, UsbStatus::Error);
  CurrentUsbHost().Flush(pipe_id);
  return Done(s, UsbStatus::Ok);
}

UsbStatus WinUsbLastStatus() { return S().last_status; }

}  // namespace WinUsbApi
