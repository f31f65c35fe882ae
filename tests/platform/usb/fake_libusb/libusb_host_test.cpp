// The libusb device host against the stand-in libusb: opening, claiming,
// error mapping and the whole-packet reads, without hardware.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fake_libusb_model.h"
#include "platform/usb/libusb_host.h"

namespace {

using fake_libusb::BulkResult;
using fake_libusb::DeviceSetup;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(first + i);
  return v;
}

BulkResult Failure(int result, bool vanish = false) {
  BulkResult r;
  r.result = result;
  r.vanish = vanish;
  return r;
}

class LibusbHostTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_libusb::Reset(); }
  void TearDown() override {
    host.reset();
    // Nothing leaks: every list freed, every handle closed, the context gone.
    EXPECT_EQ(fake_libusb::Stats().lists_outstanding, 0);
    EXPECT_EQ(fake_libusb::OpenHandles(), 0);
    EXPECT_EQ(fake_libusb::Stats().inits, fake_libusb::Stats().exits);
  }
  std::unique_ptr<LibusbHost> host = std::make_unique<LibusbHost>();
};

TEST_F(LibusbHostTest, WithoutDeviceNothingOpensAndTransfersReportNoDevice) {
  EXPECT_EQ(fake_libusb::Stats().inits, 0) << "the context is made on first use";
  EXPECT_EQ(host->CountDevices(), 0);
  EXPECT_FALSE(host->Open());
  EXPECT_FALSE(host->IsOpen());
  std::uint8_t byte = 9;
  std::size_t count = 77;
  EXPECT_EQ(host->Write(0x01, &byte, 1, &count, 10), UsbStatus::NoDevice);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(host->Read(0x81, &byte, 1, &count, 10), UsbStatus::NoDevice);
  EXPECT_TRUE(fake_libusb::BulkCalls().empty());
  EXPECT_EQ(fake_libusb::Stats().inits, 1);
}

TEST_F(LibusbHostTest, FailedInitMeansNoDevice) {
  fake_libusb::AddDevice();
  fake_libusb::SetInitResult(LIBUSB_ERROR_NO_MEM);
  EXPECT_EQ(host->CountDevices(), 0);
  EXPECT_FALSE(host->Open());
}

TEST_F(LibusbHostTest, CountsOnlyTheInstrument) {
  fake_libusb::AddDevice({.vendor = 0x1234, .product = 0x0B17, .address = 2});
  fake_libusb::AddDevice({.address = 3});
  fake_libusb::AddDevice({.vendor = 0x4D3E, .product = 0x0B18, .address = 4});
  fake_libusb::AddDevice({.address = 5});
  EXPECT_EQ(host->CountDevices(), 2);
}

TEST_F(LibusbHostTest, OpenClaimsInterfaceZeroOnceAndCloseReleasesIt) {
  fake_libusb::AddDevice();
  EXPECT_TRUE(host->Open());
  EXPECT_TRUE(host->IsOpen());
  EXPECT_TRUE(host->Open()) << "a second open is a no-op";
  EXPECT_EQ(fake_libusb::Stats().opens, 1);
  EXPECT_EQ(fake_libusb::Stats().claims, 1);
  host->Close();
  EXPECT_FALSE(host->IsOpen());
  EXPECT_EQ(fake_libusb::Stats().releases, 1);
  EXPECT_EQ(fake_libusb::Stats().closes, 1);
  host->Close();
  EXPECT_EQ(fake_libusb::Stats().closes, 1);
}

TEST_F(LibusbHostTest, KernelDriverIsDetachedForTheClaimAndGivenBackAtClose) {
  const int dev = fake_libusb::AddDevice({.kernel_driver_active = true});
  ASSERT_TRUE(host->Open());
  EXPECT_EQ(fake_libusb::Stats().detaches, 1);
  EXPECT_FALSE(fake_libusb::KernelDriverAttached(dev));
  host->Close();
  EXPECT_EQ(fake_libusb::Stats().attaches, 1);
  EXPECT_TRUE(fake_libusb::KernelDriverAttached(dev));
}

TEST_F(LibusbHostTest, OpenFailuresLeaveNothingOpen) {
  // Detach refused, claim refused, access denied: each fails cleanly.
  fake_libusb::AddDevice({.kernel_driver_active = true, .detach_result = LIBUSB_ERROR_ACCESS});
  EXPECT_FALSE(host->Open());
  EXPECT_FALSE(host->IsOpen());
  EXPECT_EQ(fake_libusb::OpenHandles(), 0);

  host.reset();
  fake_libusb::Reset();
  host = std::make_unique<LibusbHost>();
  const int dev =
      fake_libusb::AddDevice({.kernel_driver_active = true, .claim_result = LIBUSB_ERROR_BUSY});
  EXPECT_FALSE(host->Open());
  EXPECT_EQ(fake_libusb::OpenHandles(), 0);
  EXPECT_TRUE(fake_libusb::KernelDriverAttached(dev)) << "driver given back after a failed claim";

  host.reset();
  fake_libusb::Reset();
  host = std::make_unique<LibusbHost>();
  fake_libusb::AddDevice({.open_result = LIBUSB_ERROR_ACCESS});
  EXPECT_FALSE(host->Open());
  EXPECT_EQ(fake_libusb::OpenHandles(), 0);
}

TEST_F(LibusbHostTest, OpensTheNextDeviceWhenTheFirstCannotBeOpened) {
  fake_libusb::AddDevice({.address = 3, .open_result = LIBUSB_ERROR_ACCESS});
  fake_libusb::AddDevice({.address = 4});
  EXPECT_TRUE(host->Open());
}

TEST_F(LibusbHostTest, WritesGoToTheEndpointWithTheirTimeOut) {
  fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  const std::uint8_t packet[] = {14, 128, 7, 0x28, 0x28, 124, 124, 127, 0xF0, 0};
  std::size_t sent = 0;
  EXPECT_EQ(host->Write(0x01, packet, sizeof packet, &sent, 10), UsbStatus::Ok);
  EXPECT_EQ(sent, sizeof packet);
  // A time-out of 0 must never reach libusb, where it would mean forever.
  EXPECT_EQ(host->Write(0x01, packet, 1, &sent, 0), UsbStatus::Ok);
  const auto& calls = fake_libusb::BulkCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].endpoint, 0x01);
  EXPECT_EQ(calls[0].timeout, 10u);
  EXPECT_EQ(calls[0].out_data, std::vector<std::uint8_t>(packet, packet + sizeof packet));
  EXPECT_EQ(calls[1].timeout, LibusbHost::kLongTimeoutMs);
}

TEST_F(LibusbHostTest, WriteTimeOutReportsWhatWentThrough) {
  fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  BulkResult partial = Failure(LIBUSB_ERROR_TIMEOUT);
  partial.out_taken = 4096;
  fake_libusb::QueueBulk(partial);
  const std::vector<std::uint8_t> stream(54912, 0xA5);
  std::size_t sent = 0;
  EXPECT_EQ(host->Write(0x01, stream.data(), stream.size(), &sent, 10000), UsbStatus::Timeout);
  EXPECT_EQ(sent, 4096u);
}

TEST_F(LibusbHostTest, ReadsAskForWholePacketsAndHandBackOnlyWhatWasAsked) {
  fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  // A status poll: the device answers with a full packet.
  std::vector<std::uint8_t> status(64, 0);
  status[0] = 0x44;
  status[1] = 0x55;
  fake_libusb::QueueBulk({.in_data = status});
  std::uint8_t buf[1100];
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  std::size_t got = 0;
  EXPECT_EQ(host->Read(0x81, buf, 1, &got, 200), UsbStatus::Ok);
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(buf[0], 0x44);
  EXPECT_EQ(buf[1], 0xEE) << "bytes beyond the asked length stay untouched";

  fake_libusb::QueueBulk({.in_data = status});
  EXPECT_EQ(host->Read(0x81, buf, 4, &got, 200), UsbStatus::Ok);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(buf[1], 0x55);
  EXPECT_EQ(buf[4], 0xEE);

  const auto block = Bytes(1024, 3);
  fake_libusb::QueueBulk({.in_data = block});
  EXPECT_EQ(host->Read(0x81, buf, 1024, &got, 200), UsbStatus::Ok);
  EXPECT_EQ(got, 1024u);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), buf));

  // A short answer to a longer read is no failure.
  fake_libusb::QueueBulk({.in_data = Bytes(64, 1)});
  EXPECT_EQ(host->Read(0x81, buf, 100, &got, 200), UsbStatus::Ok);
  EXPECT_EQ(got, 64u);

  const auto& calls = fake_libusb::BulkCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].length, 64);
  EXPECT_EQ(calls[1].length, 64);
  EXPECT_EQ(calls[2].length, 1024);
  EXPECT_EQ(calls[3].length, 128);
  EXPECT_EQ(calls[0].endpoint, 0x81);
  EXPECT_EQ(calls[0].timeout, 200u);
}

TEST_F(LibusbHostTest, ReadTimeOutKeepsTheBytesThatArrived) {
  fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  fake_libusb::QueueBulk({.result = LIBUSB_ERROR_TIMEOUT, .in_data = Bytes(512, 7)});
  std::vector<std::uint8_t> buf(1024, 0);
  std::size_t got = 0;
  EXPECT_EQ(host->Read(0x81, buf.data(), buf.size(), &got, 20), UsbStatus::Timeout);
  EXPECT_EQ(got, 512u);
  EXPECT_EQ(buf[0], 7);
  EXPECT_EQ(buf[511], static_cast<std::uint8_t>(7 + 511));
  // Nothing at all queued: a plain time-out with nothing received.
  EXPECT_EQ(host->Read(0x81, buf.data(), 64, &got, 0), UsbStatus::Timeout);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(fake_libusb::BulkCalls().back().timeout, LibusbHost::kLongTimeoutMs);
}

TEST_F(LibusbHostTest, OtherFailuresAreErrors) {
  fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  std::uint8_t buf[64];
  std::size_t got = 0;
  fake_libusb::QueueBulk({.in_data = Bytes(128, 0)});  // more than fits
  EXPECT_EQ(host->Read(0x81, buf, 64, &got, 200), UsbStatus::Error);
  fake_libusb::QueueBulk(Failure(LIBUSB_ERROR_PIPE));
  EXPECT_EQ(host->Write(0x01, buf, 1, &got, 10), UsbStatus::Error);
  // An I/O error with the device still on the bus is not a lost device.
  fake_libusb::QueueBulk(Failure(LIBUSB_ERROR_IO));
  EXPECT_EQ(host->Write(0x01, buf, 1, &got, 10), UsbStatus::Error);
  EXPECT_EQ(host->Write(0x01, buf, 1, &got, 10), UsbStatus::Ok);
}

TEST_F(LibusbHostTest, UnplugIsNoDeviceFromThenOnAndAReplugOpensAgain) {
  const int first = fake_libusb::AddDevice({.address = 5});
  ASSERT_TRUE(host->Open());
  std::uint8_t buf[64] = {9};
  std::size_t n = 0;
  fake_libusb::QueueBulk(Failure(LIBUSB_ERROR_NO_DEVICE, /*vanish=*/true));
  EXPECT_EQ(host->Write(0x01, buf, 1, &n, 10), UsbStatus::NoDevice);
  const auto calls_after_unplug = fake_libusb::BulkCalls().size();
  EXPECT_EQ(host->Write(0x01, buf, 1, &n, 10), UsbStatus::NoDevice);
  EXPECT_EQ(host->Read(0x81, buf, 1, &n, 200), UsbStatus::NoDevice);
  EXPECT_EQ(fake_libusb::BulkCalls().size(), calls_after_unplug) << "no transfer on a dead handle";
  EXPECT_EQ(host->CountDevices(), 0);
  (void)first;

  // Plugged in again (new address): a fresh open works.
  fake_libusb::AddDevice({.address = 6});
  EXPECT_EQ(host->CountDevices(), 1);
  EXPECT_TRUE(host->Open());
  EXPECT_EQ(host->Write(0x01, buf, 1, &n, 10), UsbStatus::Ok);
  host->Close();
  EXPECT_EQ(fake_libusb::OpenHandles(), 0);
}

TEST_F(LibusbHostTest, IoErrorOfADeviceThatLeftTheBusIsNoDevice) {
  const int dev = fake_libusb::AddDevice();
  ASSERT_TRUE(host->Open());
  fake_libusb::RemoveDevice(dev, LIBUSB_ERROR_IO);
  std::uint8_t buf[1024];
  std::size_t n = 0;
  EXPECT_EQ(host->Read(0x81, buf, 1024, &n, 200), UsbStatus::NoDevice);
  EXPECT_EQ(host->Write(0x01, buf, 1, &n, 10), UsbStatus::NoDevice);
}

}  // namespace
