// The primary back-end shape: devices counted and opened by their identifier
// text, one handle per pipe, Win32-style results and a last-error code. Both
// pipe handles of one device share one open device host.
#pragma once

#include <cstdint>

namespace MpusbApi {

using MpusbHandle = std::int32_t;

inline constexpr MpusbHandle INVALID_HANDLE_VALUE = -1;
inline constexpr std::uint32_t MPUSB_FAIL = 0;
inline constexpr std::uint32_t MPUSB_SUCCESS = 1;
inline constexpr std::uint32_t MP_WRITE = 0;
inline constexpr std::uint32_t MP_READ = 1;

// Last-error codes the callers look at.
inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;  // device vanished or bad handle
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_SEM_TIMEOUT = 121;

// Devices present whose identifier text contains `vid_pid` (letter case
// ignored), e.g. "vid_4d3e&pid_0b17"; 0 for any other text.
std::uint32_t _MPUSBGetDeviceCount(const char* vid_pid);

// Opens a pipe of device `instance` (only 0, the first device, is reachable):
// `endpoint_name` "\MCHP_EP1" with MP_WRITE gives the OUT pipe 0x01, with
// MP_READ the IN pipe 0x81. Returns INVALID_HANDLE_VALUE on failure.
MpusbHandle _MPUSBOpen(std::uint32_t instance, const char* vid_pid, const char* endpoint_name,
                       std::uint32_t direction, std::uint32_t reserved);

// MPUSB_SUCCESS or MPUSB_FAIL; `sent` / `read` receive the byte count (also on
// a time-out). A time-out of 0 waits long but not forever.
std::uint32_t _MPUSBWrite(MpusbHandle handle, const void* data, std::uint32_t length,
                          std::uint32_t* sent, std::uint32_t timeout_ms);
std::uint32_t _MPUSBRead(MpusbHandle handle, void* data, std::uint32_t length,
                         std::uint32_t* read, std::uint32_t timeout_ms);

// Closes one pipe; the device is released with the last one. False for an
// unknown handle.
bool _MPUSBClose(MpusbHandle handle);

// The error of the last failed call, as GetLastError() would report it
// (ERROR_SUCCESS after a call that succeeded).
std::uint32_t MpusbLastError();

}  // namespace MpusbApi
