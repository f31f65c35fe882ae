/* A small stand-in for the libusb-1.0 C API: only what the device host uses,
 * with the same names and signatures, backed by a programmable model
 * (fake_libusb_model.h). */
#ifndef DARVIK48_FAKE_LIBUSB_H
#define DARVIK48_FAKE_LIBUSB_H

#include <stdint.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct libusb_context libusb_context;
typedef struct libusb_device libusb_device;
typedef struct libusb_device_handle libusb_device_handle;

struct libusb_device_descriptor {
  uint8_t bLength;
  uint8_t bDescriptorType;
  uint16_t bcdUSB;
  uint8_t bDeviceClass;
  uint8_t bDeviceSubClass;
  uint8_t bDeviceProtocol;
  uint8_t bMaxPacketSize0;
  uint16_t idVendor;
  uint16_t idProduct;
  uint16_t bcdDevice;
  uint8_t iManufacturer;
  uint8_t iProduct;
  uint8_t iSerialNumber;
  uint8_t bNumConfigurations;
};

enum libusb_error {
  LIBUSB_SUCCESS = 0,
  LIBUSB_ERROR_IO = -1,
  LIBUSB_ERROR_INVALID_PARAM = -2,
  LIBUSB_ERROR_ACCESS = -3,
  LIBUSB_ERROR_NO_DEVICE = -4,
  LIBUSB_ERROR_NOT_FOUND = -5,
  LIBUSB_ERROR_BUSY = -6,
  LIBUSB_ERROR_TIMEOUT = -7,
  LIBUSB_ERROR_OVERFLOW = -8,
  LIBUSB_ERROR_PIPE = -9,
  LIBUSB_ERROR_INTERRUPTED = -10,
  LIBUSB_ERROR_NO_MEM = -11,
  LIBUSB_ERROR_NOT_SUPPORTED = -12,
  LIBUSB_ERROR_OTHER = -99
};

int libusb_init(libusb_context** ctx);
void libusb_exit(libusb_context* ctx);

ssize_t libusb_get_device_list(libusb_context* ctx, libusb_device*** list);
void libusb_free_device_list(libusb_device** list, int unref_devices);
int libusb_get_device_descriptor(libusb_device* dev, struct libusb_device_descriptor* desc);
uint8_t libusb_get_bus_number(libusb_device* dev);
uint8_t libusb_get_device_address(libusb_device* dev);

int libusb_open(libusb_device* dev, libusb_device_handle** dev_handle);
void libusb_close(libusb_device_handle* dev_handle);
libusb_device* libusb_get_device(libusb_device_handle* dev_handle);

int libusb_kernel_driver_active(libusb_device_handle* dev_handle, int interface_number);
int libusb_detach_kernel_driver(libusb_device_handle* dev_handle, int interface_number);
int libusb_attach_kernel_driver(libusb_device_handle* dev_handle, int interface_number);
int libusb_claim_interface(libusb_device_handle* dev_handle, int interface_number);
int libusb_release_interface(libusb_device_handle* dev_handle, int interface_number);

int libusb_bulk_transfer(libusb_device_handle* dev_handle, unsigned char endpoint,
                         unsigned char* data, int length, int* actual_length,
                         unsigned int timeout);

#ifdef __cplusplus
}
#endif

#endif /* DARVIK48_FAKE_LIBUSB_H */
