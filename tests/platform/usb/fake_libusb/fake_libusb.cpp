// The stand-in libusb: the C API over a small in-memory bus.
#include <algorithm>
#include <deque>
#include <memory>

#include "fake_libusb_model.h"

struct libusb_context {
  int unused = 0;
};

struct libusb_device {
  int index = 0;
};

struct libusb_device_handle {
  libusb_device* device = nullptr;
  bool claimed = false;
};

namespace fake_libusb {
namespace {

struct Slot {
  DeviceSetup setup;
  std::unique_ptr<libusb_device> device;
  bool present = true;
  int vanished_error = LIBUSB_ERROR_NO_DEVICE;
};

struct Bus {
  std::vector<Slot> slots;
  std::deque<BulkResult> queue;
  std::vector<BulkCall> calls;
  Counters counters;
  int init_result = LIBUSB_SUCCESS;
  int open_handles = 0;
};

Bus& B() {
  static Bus bus;
  return bus;
}

Slot& SlotOf(libusb_device* dev) { return B().slots[static_cast<std::size_t>(dev->index)]; }

}  // namespace

void Reset() { B() = Bus{}; }

int AddDevice(const DeviceSetup& setup) {
  Bus& bus = B();
  Slot slot;
  slot.setup = setup;
  slot.device = std::make_unique<libusb_device>();
  slot.device->index = static_cast<int>(bus.slots.size());
  bus.slots.push_back(std::move(slot));
  return static_cast<int>(bus.slots.size()) - 1;
}

void RemoveDevice(int index, int error) {
  Slot& slot = B().slots.at(static_cast<std::size_t>(index));
  slot.present = false;
  slot.vanished_error = error;
}

void SetInitResult(int result) { B().init_result = result; }
void QueueBulk(const BulkResult& result) { B().queue.push_back(result); }
const std::vector<BulkCall>& BulkCalls() { return B().calls; }
const Counters& Stats() { return B().counters; }
int OpenHandles() { return B().open_handles; }
bool KernelDriverAttached(int index) {
  return B().slots.at(static_cast<std::size_t>(index)).setup.kernel_driver_active;
}

}  // namespace fake_libusb

using fake_libusb::B;
using fake_libusb::SlotOf;

extern "C" {

int libusb_init(libusb_context** ctx) {
  if (B().init_result != LIBUSB_SUCCESS) return B().init_result;
  ++B().counters.inits;
  *ctx = new libusb_context;
  return LIBUSB_SUCCESS;
}

void libusb_exit(libusb_context* ctx) {
  ++B().counters.exits;
  delete ctx;
}

ssize_t libusb_get_device_list(libusb_context* /*ctx*/, libusb_device*** list) {
  std::vector<libusb_device*> present;
  for (auto& slot : B().slots) {
    if (slot.present) present.push_back(slot.device.get());
  }
  auto** array = new libusb_device*[present.size() + 1];
  std::copy(present.begin(), present.end(), array);
  array[present.size()] = nullptr;
  *list = array;
  ++B().counters.lists_outstanding;
  return static_cast<ssize_t>(present.size());
}

void libusb_free_device_list(libusb_device** list, int /*unref_devices*/) {
  if (!list) return;
  --B().counters.lists_outstanding;
  delete[] list;
}

int libusb_get_device_descriptor(libusb_device* dev, struct libusb_device_descriptor* desc) {
  const auto& setup = SlotOf(dev).setup;
  *desc = libusb_device_descriptor{};
  desc->bLength = 18;
  desc->bDescriptorType = 1;
  desc->bcdUSB = 0x0200;
  desc->bMaxPacketSize0 = 8;
  desc->idVendor = setup.vendor;
  desc->idProduct = setup.product;
  desc->bNumConfigurations = 1;
  return LIBUSB_SUCCESS;
}

uint8_t libusb_get_bus_number(libusb_device* dev) { return SlotOf(dev).setup.bus; }
uint8_t libusb_get_device_address(libusb_device* dev) { return SlotOf(dev).setup.address; }

int libusb_open(libusb_device* dev, libusb_device_handle** dev_handle) {
  const auto& slot = SlotOf(dev);
  if (!slot.present) return LIBUSB_ERROR_NO_DEVICE;
  if (slot.setup.open_result != LIBUSB_SUCCESS) return slot.setup.open_result;
  ++B().counters.opens;
  ++B().open_handles;
  *dev_handle = new libusb_device_handle{dev, false};
  return LIBUSB_SUCCESS;
}

void libusb_close(libusb_device_handle* dev_handle) {
  if (!dev_handle) return;
  ++B().counters.closes;
  --B().open_handles;
  delete dev_handle;
}

libusb_device* libusb_get_device(libusb_device_handle* dev_handle) { return dev_handle->device; }

int libusb_kernel_driver_active(libusb_device_handle* dev_handle, int interface_number) {
  const auto& slot = SlotOf(dev_handle->device);
  if (!slot.present) return LIBUSB_ERROR_NO_DEVICE;
  if (interface_number != 0) return LIBUSB_ERROR_NOT_FOUND;
  return slot.setup.kernel_driver_active ? 1 : 0;
}

int libusb_detach_kernel_driver(libusb_device_handle* dev_handle, int interface_number) {
  auto& slot = SlotOf(dev_handle->device);
  if (!slot.present) return LIBUSB_ERROR_NO_DEVICE;
  if (interface_number != 0) return LIBUSB_ERROR_NOT_FOUND;
  if (slot.setup.detach_result != LIBUSB_SUCCESS) return slot.setup.detach_result;
  if (!slot.setup.kernel_driver_active) return LIBUSB_ERROR_NOT_FOUND;
  ++B().counters.detaches;
  slot.setup.kernel_driver_active = false;
  return LIBUSB_SUCCESS;
}

int libusb_attach_kernel_driver(libusb_device_handle* dev_handle, int interface_number) {
  auto& slot = SlotOf(dev_handle->device);
  if (!slot.present) return LIBUSB_ERROR_NO_DEVICE;
  if (interface_number != 0) return LIBUSB_ERROR_NOT_FOUND;
  if (dev_handle->claimed) return LIBUSB_ERROR_BUSY;
  ++B().counters.attaches;
  slot.setup.kernel_driver_active = true;
  return LIBUSB_SUCCESS;
}

int libusb_claim_interface(libusb_device_handle* dev_handle, int interface_number) {
  const auto& slot = SlotOf(dev_handle->device);
  if (!slot.present) return LIBUSB_ERROR_NO_DEVICE;
  if (interface_number != 0) return LIBUSB_ERROR_NOT_FOUND;
  // A kernel driver that still holds the interface keeps it busy.
  if (slot.setup.kernel_driver_active) return LIBUSB_ERROR_BUSY;
  if (slot.setup.claim_result != LIBUSB_SUCCESS) return slot.setup.claim_result;
  ++B().counters.claims;
  dev_handle->claimed = true;
  return LIBUSB_SUCCESS;
}

int libusb_release_interface(libusb_device_handle* dev_handle, int interface_number) {
  if (interface_number != 0 || !dev_handle->claimed) return LIBUSB_ERROR_NOT_FOUND;
  ++B().counters.releases;
  dev_handle->claimed = false;
  return LIBUSB_SUCCESS;
}

int libusb_bulk_transfer(libusb_device_handle* dev_handle, unsigned char endpoint,
                         unsigned char* data, int length, int* actual_length,
                         unsigned int timeout) {
  auto& bus = B();
  auto& slot = SlotOf(dev_handle->device);
  fake_libusb::BulkCall call;
  call.endpoint = endpoint;
  call.length = length;
  call.timeout = timeout;
  const bool in = (endpoint & 0x80) != 0;
  if (!in && data && length > 0) call.out_data.assign(data, data + length);
  *actual_length = 0;

  if (!slot.present) {
    call.result = slot.vanished_error;
  } else if (!dev_handle->claimed) {
    call.result = LIBUSB_ERROR_NOT_FOUND;
  } else if (bus.queue.empty()) {
    if (in) {
      call.result = LIBUSB_ERROR_TIMEOUT;
    } else {
      call.result = LIBUSB_SUCCESS;
      *actual_length = length;
    }
  } else {
    const fake_libusb::BulkResult r = bus.queue.front();
    bus.queue.pop_front();
    call.result = r.result;
    if (in) {
      const int sent = static_cast<int>(r.in_data.size());
      // Whole packets fit; the one that does not is an overflow.
      const int fits = sent <= length ? sent : length / 64 * 64;
      std::copy(r.in_data.begin(), r.in_data.begin() + fits, data);
      *actual_length = fits;
      if (sent > length) call.result = LIBUSB_ERROR_OVERFLOW;
    } else {
      *actual_length = r.out_taken >= 0 ? std::min(r.out_taken, length)
                                        : (r.result == LIBUSB_SUCCESS ? length : 0);
    }
    if (r.vanish) {
      slot.present = false;
      slot.vanished_error = LIBUSB_ERROR_NO_DEVICE;
    }
  }
  call.transferred = *actual_length;
  bus.calls.push_back(call);
  return call.result;
}

}  // extern "C"
