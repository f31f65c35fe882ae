// Which back-end shape holds the device host: only one may have it open.
#pragma once

namespace usb_detail {

enum class UsbShape { None, Mpusb, WinUsb };

// Takes the host for `shape`; false when the other shape holds it. A host
// installed by SetUsbHost starts free.
bool ClaimHost(UsbShape shape);
// Gives the host back if `shape` holds it.
void ReleaseHost(UsbShape shape);
UsbShape HostOwner();

}  // namespace usb_detail
