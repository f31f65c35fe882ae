#include "platform/usb/mpusb_api.h"

#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "platform/usb/usb_device_host.h"
#include "platform/usb/usb_shape_owner.h"

namespace MpusbApi {
namespace {

// What the device's identifier text holds; callers search it for their text.
constexpr const char* kDeviceIdText = "vid_4d3e&pid_0b17";
constexpr const char* kEndpointPrefix = "\\mchp_ep";

struct Pipe {
  std::uint8_t endpoint;
  std::uint32_t direction;
};

struct State {
  std::uint64_t generation = 0;
  std::map<MpusbHandle, Pipe> pipes;
  MpusbHandle next_handle = 1;
  std::uint32_t last_error = ERROR_SUCCESS;
};

State& S() {
  static State state;
  // Handles of a host that was replaced mean nothing to the new one.
  if (state.generation != UsbHostGeneration()) {
    state.generation = UsbHostGeneration();
    state.pipes.clear();
  }
  return state;
}

std::string Lower(const char* text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IdentifiesDevice(const char* vid_pid) {
  if (!vid_pid || !*vid_pid) return false;
  return std::strstr(kDeviceIdText, Lower(vid_pid).c_str()) != nullptr;
}

// "\MCHP_EP<n>" names endpoint n; 0 for anything else.
int EndpointNumber(const char* name) {
  if (!name) return 0;
  const std::string s = Lower(name);
  const std::size_t prefix = std::strlen(kEndpointPrefix);
  if (s.size() <= prefix || s.compare(0, prefix, kEndpointPrefix) != 0) return 0;
  int n = 0;
  for (std::size_t i = prefix; i < s.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i])) || n > 15) return 0;
    n = n * 10 + (s[i] - '0');
  }
  return n >= 1 && n <= 15 ? n : 0;
}

std::uint32_t ErrorFor(UsbStatus status) {
  switch (status) {
    case UsbStatus::Ok: return ERROR_SUCCESS;
    case UsbStatus::Timeout: return ERROR_SEM_TIMEOUT;
    case UsbStatus::NoDevice: return ERROR_INVALID_HANDLE;
    case UsbStatus::Error: return ERROR_GEN_FAILURE;
  }
  return ERROR_GEN_FAILURE;
}

std::uint32_t Fail(State& s, std::uint32_t error) {
  s.last_error = error;
  return MPUSB_FAIL;
}

// The pipe behind `handle` when it exists and goes the way asked.
const Pipe* Lookup(State& s, MpusbHandle handle, std::uint32_t direction, std::uint32_t* error) {
  const auto it = s.pipes.find(handle);
  if (it == s.pipes.end()) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (it->second.direction != direction) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return &it->second;
}

}  // namespace

std::uint32_t _MPUSBGetDeviceCount(const char* vid_pid) {
  if (!IdentifiesDevice(vid_pid)) return 0;
  const int n = CurrentUsbHost().CountDevices();
  return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

MpusbHandle _MPUSBOpen(std::uint32_t instance, const char* vid_pid, const char* endpoint_name,
                       std::uint32_t direction, std::uint32_t /*reserved*/) {
  State& s = S();
  const int endpoint = EndpointNumber(endpoint_name);
  if (instance != 0 || !IdentifiesDevice(vid_pid) || endpoint == 0 ||
      (direction != MP_WRITE && direction != MP_READ)) {
    s.last_error = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  // The device has one pair of bulk pipes.
  const std::uint8_t address = direction == MP_WRITE ? kDarvikOutEndpoint : kDarvikInEndpoint;
  if ((address & 0x0F) != endpoint) {
    s.last_error = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  if (!usb_detail::ClaimHost(usb_detail::UsbShape::Mpusb)) {
    s.last_error = ERROR_ACCESS_DENIED;
    return INVALID_HANDLE_VALUE;
  }
  if (!CurrentUsbHost().Open()) {
    if (s.pipes.empty()) usb_detail::ReleaseHost(usb_detail::UsbShape::Mpusb);
    s.last_error = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  const MpusbHandle handle = s.next_handle;
  // Never hand out -1, and never give an old handle a second life.
  s.next_handle = s.next_handle == INT32_MAX ? 1 : s.next_handle + 1;
  s.pipes[handle] = Pipe{address, direction};
  s.last_error = ERROR_SUCCESS;
  return handle;
}

std::uint32_t _MPUSBWrite(MpusbHandle handle, const void* data, std::uint32_t length,
                          std::uint32_t* sent, std::uint32_t timeout_ms) {
  State& s = S();
  if (sent) *sent = 0;
  std::uint32_t error = ERROR_SUCCESS;
  const Pipe* pipe = Lookup(s, handle, MP_WRITE, &error);
  if (!pipe) return Fail(s, error);
  if (!data && length > 0) return Fail(s, ERROR_INVALID_PARAMETER);
  std::size_t count = 0;
  const UsbStatus status = CurrentUsbHost().Write(
      pipe->endpoint, static_cast<const std::uint8_t*>(data), length, &count, timeout_ms);
  if (sent) *sent = static_cast<std::uint32_t>(count);
  if (status != UsbStatus::Ok) return Fail(s, ErrorFor(status));
  s.last_error = ERROR_SUCCESS;
  return MPUSB_SUCCESS;
}

std::uint32_t _MPUSBRead(MpusbHandle handle, void* data, std::uint32_t length, std::uint32_t* read,
                         std::uint32_t timeout_ms) {
  State& s = S();
  if (read) *read = 0;
  std::uint32_t error = ERROR_SUCCESS;
  const Pipe* pipe = Lookup(s, handle, MP_READ, &error);
  if (!pipe) return Fail(s, error);
  if (!data && length > 0) return Fail(s, ERROR_INVALID_PARAMETER);
  std::size_t count = 0;
  const UsbStatus status = CurrentUsbHost().Read(
      pipe->endpoint, static_cast<std::uint8_t*>(data), length, &count, timeout_ms);
  if (read) *read = static_cast<std::uint32_t>(count);
  if (status != UsbStatus::Ok) return Fail(s, ErrorFor(status));
  s.last_error = ERROR_SUCCESS;
  return MPUSB_SUCCESS;
}

bool _MPUSBClose(MpusbHandle handle) {
  State& s = S();
  if (s.pipes.erase(handle) == 0) {
    s.last_error = ERROR_INVALID_HANDLE;
    return false;
  }
  if (s.pipes.empty()) {
    CurrentUsbHost().Close();
    usb_detail::ReleaseHost(usb_detail::UsbShape::Mpusb);
  }
  s.last_error = ERROR_SUCCESS;
  return true;
}

std::uint32_t MpusbLastError() { return S().last_error; }

}  // namespace MpusbApi
