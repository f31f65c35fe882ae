// The fallback back-end shape: a device interface found by its path, an
// interface handle made from it, and pipe operations by pipe id. It applies
// no time-out of its own; the host's long time-out bounds every transfer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/usb/usb_device_host.h"

namespace WinUsbApi {

// 0 is no interface.
using WINUSB_INTERFACE_HANDLE = std::int32_t;

// Looks for device interfaces of the instrument; true when one is present.
// The path of the last one found is kept for WinUsb_Initialize.
bool GivePath();
// That path; empty when GivePath found nothing.
const std::string& DevicePath();

// Opens the device that GivePath found and gives its interface handle.
bool WinUsb_Initialize(WINUSB_INTERFACE_HANDLE* interface_handle);
// Releases the interface handle (and the device with it).
bool WinUsb_Free(WINUSB_INTERFACE_HANDLE interface_handle);

// Synchronous pipe transfers: `overlapped` must be null. True when the whole
// transfer succeeded; `transferred` gets the byte count in any case.
bool WinUsb_WritePipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id,
                      const std::uint8_t* buffer, std::uint32_t length,
                      std::uint32_t* transferred, const void* overlapped);
bool WinUsb_ReadPipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id,
                     std::uint8_t* buffer, std::uint32_t length, std::uint32_t* transferred,
                     const void* overlapped);
// Discards what the host side holds for an IN pipe.
bool WinUsb_FlushPipe(WINUSB_INTERFACE_HANDLE interface_handle, std::uint8_t pipe_id);

// Outcome of the last call above; NoDevice means the device vanished (or the
// interface handle is not valid), which the caller must treat as a lost link.
UsbStatus WinUsbLastStatus();

}  // namespace WinUsbApi
