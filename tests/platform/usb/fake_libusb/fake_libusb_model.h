// Control of the stand-in libusb: which devices are on the bus, how they
// behave, and what the code under test asked of them.
#pragma once

#include <cstdint>
#include <vector>

#include "libusb.h"

namespace fake_libusb {

struct DeviceSetup {
  std::uint16_t vendor = 0x4D3E;
  std::uint16_t product = 0x0B17;
  std::uint8_t bus = 1;
  std::uint8_t address = 5;
  int open_result = LIBUSB_SUCCESS;   // e.g. LIBUSB_ERROR_ACCESS
  bool kernel_driver_active = false;  // a kernel driver holds interface 0
  int detach_result = LIBUSB_SUCCESS;
  int claim_result = LIBUSB_SUCCESS;
};

// The outcome of one bulk transfer, queued in order.
struct BulkResult {
  int result = LIBUSB_SUCCESS;
  // IN: the bytes the device sends. More than the transfer can hold gives
  // LIBUSB_ERROR_OVERFLOW, as a packet that does not fit does.
  std::vector<std::uint8_t> in_data;
  // OUT: bytes taken (-1: all of them on success, none otherwise).
  int out_taken = -1;
  // The device leaves the bus during this transfer.
  bool vanish = false;
};

struct BulkCall {
  unsigned char endpoint = 0;
  int length = 0;
  unsigned int timeout = 0;
  std::vector<std::uint8_t> out_data;
  int result = 0;
  int transferred = 0;
};

struct Counters {
  int inits = 0;
  int exits = 0;
  int lists_outstanding = 0;
  int opens = 0;
  int closes = 0;
  int claims = 0;
  int releases = 0;
  int detaches = 0;
  int attaches = 0;
};

// Back to an empty bus with nothing queued and every counter at 0.
void Reset();
// Puts a device on the bus; returns its index.
int AddDevice(const DeviceSetup& setup = {});
// The device leaves the bus: lists no longer hold it, and transfers on an
// open handle fail with `error` (LIBUSB_ERROR_NO_DEVICE or LIBUSB_ERROR_IO).
void RemoveDevice(int index, int error = LIBUSB_ERROR_NO_DEVICE);
void SetInitResult(int result);
// With nothing queued an OUT transfer succeeds and an IN transfer times out.
void QueueBulk(const BulkResult& result);

const std::vector<BulkCall>& BulkCalls();
const Counters& Stats();
int OpenHandles();
bool KernelDriverAttached(int index);

}  // namespace fake_libusb
