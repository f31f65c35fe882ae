// Both USB back-end shapes against the simulated Darvik48, and the device
// model's own protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/usb/mpusb_api.h"
#include "platform/usb/usb_device_host.h"
#include "platform/usb/winusb_api.h"
#include "support/sim_device.h"

namespace {

using namespace MpusbApi;
using namespace WinUsbApi;

constexpr const char* kId = "vid_4d3e&pid_0b17";
constexpr const char* kEp = "\\MCHP_EP1";

// How the program takes a capture apart: rotate right by 63 bytes, then CH1
// on even and CH2 on odd positions.
void Unpack(const std::uint8_t* raw, std::vector<std::uint8_t>& ch1, std::vector<std::uint8_t>& ch2) {
  std::vector<std::uint8_t> rotated(8192);
  for (std::size_t i = 0; i < 8192; ++i) rotated[(i + 63) % 8192] = raw[i];
  ch1.assign(4096, 0);
  ch2.assign(4096, 0);
  for (std::size_t k = 0; k < 4096; ++k) {
    ch1[k] = rotated[2 * k];
    ch2[k] = rotated[2 * k + 1];
  }
}

std::uint8_t Ch1Wave(int i) { return static_cast<std::uint8_t>((i * 7 + 3) & 0xFF); }
std::uint8_t Ch2Wave(int i) { return static_cast<std::uint8_t>(255 - ((i / 3) & 0xFF)); }

std::vector<std::uint8_t> LogicStream() {
  std::vector<std::uint8_t> s(SimulatedDarvik48::kLogicStreamBytes);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i * 31);
  s[0] = s[1] = s[2] = 0xFF;
  return s;
}

class UsbShapesTest : public ::testing::Test {
 protected:
  SimulatedDarvik48& dev() { return sim.device(); }
  ScopedSimulatedDevice sim;
};

// ---- Capture layout

TEST(CapturePacking, UnpackingTheInstrumentsByteOrderGivesBackTheSignal) {
  std::vector<std::uint8_t> ch1(4096), ch2(4096);
  for (int i = 0; i < 4096; ++i) {
    ch1[i] = Ch1Wave(i);
    ch2[i] = Ch2Wave(i);
  }
  const auto raw = SimulatedDarvik48::PackCapture(ch1, ch2);
  ASSERT_EQ(raw.size(), 8192u);
  // The first pair arrives at the end of the block.
  EXPECT_EQ(raw[8129], ch1[0]);
  EXPECT_EQ(raw[8130], ch2[0]);
  EXPECT_EQ(raw[0], ch2[31]);  // moved to position 63: CH2 of pair 31
  std::vector<std::uint8_t> back1, back2;
  Unpack(raw.data(), back1, back2);
  EXPECT_EQ(back1, ch1);
  EXPECT_EQ(back2, ch2);
  EXPECT_THROW(SimulatedDarvik48::PackCapture(std::vector<std::uint8_t>(4095), ch2),
               std::invalid_argument);
}

// ---- The primary shape

TEST_F(UsbShapesTest, MpusbRoundTripWithUnplugMidSession) {
  dev().SetSignal(Ch1Wave, Ch2Wave);
  dev().SetBusyPolls(3);
  ASSERT_EQ(_MPUSBGetDeviceCount(kId), 1u);
  const MpusbHandle out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  const MpusbHandle in = _MPUSBOpen(0, kId, kEp, MP_READ, 0);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  ASSERT_NE(out, in);

  std::uint32_t n = 0;
  const std::uint8_t eight = 8;
  const auto logic = LogicStream();
  EXPECT_EQ(_MPUSBWrite(out, &eight, 1, &n, 10), MPUSB_SUCCESS);
  EXPECT_EQ(_MPUSBWrite(out, logic.data(), static_cast<std::uint32_t>(logic.size()), &n, 10000),
            MPUSB_SUCCESS);
  EXPECT_EQ(n, logic.size());
  EXPECT_TRUE(dev().LogicLoaded());
  EXPECT_EQ(dev().LogicStream(), logic);

  const std::uint8_t packet[] = {14, 128, 7, 0x28, 0x32, 124, 200, 0, 0xF1, 0x0B};
  EXPECT_EQ(_MPUSBWrite(out, packet, sizeof packet, &n, 10), MPUSB_SUCCESS);
  const std::uint8_t nine = 9, eleven = 11, ten = 10, fifteen = 15;
  _MPUSBWrite(out, &nine, 1, &n, 10);
  _MPUSBWrite(out, &eleven, 1, &n, 10);

  std::vector<std::uint8_t> rx(8192, 0);
  int polls = 0;
  do {
    ASSERT_EQ(_MPUSBRead(in, rx.data(), 1, &n, 200), MPUSB_SUCCESS) << dev().Dump();
    ++polls;
  } while (rx[0] != 0x44 && polls < 10);
  EXPECT_EQ(polls, 4) << "three busy answers, then done";
  _MPUSBWrite(out, &ten, 1, &n, 10);
  for (int b = 0; b < 8; ++b) {
    ASSERT_EQ(_MPUSBRead(in, rx.data() + 1024 * b, 1024, &n, 200), MPUSB_SUCCESS) << dev().Dump();
    ASSERT_EQ(n, 1024u);
  }
  std::vector<std::uint8_t> ch1, ch2;
  Unpack(rx.data(), ch1, ch2);
  for (int i = 0; i < 4096; i += 97) {
    ASSERT_EQ(ch1[i], Ch1Wave(i)) << i;
    ASSERT_EQ(ch2[i], Ch2Wave(i)) << i;
  }

  _MPUSBWrite(out, &fifteen, 1, &n, 10);
  EXPECT_EQ(_MPUSBRead(in, rx.data(), 64, &n, 200), MPUSB_SUCCESS);
  EXPECT_EQ(std::string(rx.begin(), rx.begin() + 4), "0107");

  EXPECT_EQ(dev().Commands(), (std::vector<std::uint8_t>{8, 14, 9, 11, 10, 15}));
  EXPECT_TRUE(dev().ProtocolErrors().empty()) << dev().Dump();
  ASSERT_TRUE(dev().LastSettings());
  EXPECT_EQ(dev().LastSettings()->c[1], 0x32);
  EXPECT_EQ(dev().Transfers()[1].timeout_ms, 10000u) << "time-outs reach the host unchanged";

  // The plug comes out during the next settings packet.
  dev().UnplugAfter(0, 4);
  EXPECT_EQ(_MPUSBWrite(out, packet, sizeof packet, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(_MPUSBGetDeviceCount(kId), 0u);
  rx[0] = 0x5A;
  EXPECT_EQ(_MPUSBRead(in, rx.data(), 1, &n, 200), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(rx[0], 0x5A) << "a failed read leaves the buffer alone";

  // Closing both pipes releases the device; later writes fail at once.
  EXPECT_TRUE(_MPUSBClose(out));
  EXPECT_TRUE(_MPUSBClose(in));
  EXPECT_FALSE(dev().IsOpen());
  const auto logged = dev().Transfers().size();
  EXPECT_EQ(_MPUSBWrite(out, &nine, 1, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(_MPUSBWrite(INVALID_HANDLE_VALUE, &nine, 1, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(dev().Transfers().size(), logged) << "nothing reached the device";
  EXPECT_FALSE(_MPUSBClose(out));
}

TEST_F(UsbShapesTest, MpusbReadPipeOpenFailure) {
  dev().FailOpen(1);  // the write pipe opens, the read pipe does not
  const MpusbHandle out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  EXPECT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(_MPUSBOpen(0, kId, kEp, MP_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(dev().OpenCalls(), 2);
  // The write pipe still works and closes the device with it.
  std::uint32_t n = 0;
  const std::uint8_t nine = 9;
  EXPECT_EQ(_MPUSBWrite(out, &nine, 1, &n, 10), MPUSB_SUCCESS);
  EXPECT_TRUE(_MPUSBClose(out));
  EXPECT_FALSE(dev().IsOpen());
}

TEST_F(UsbShapesTest, MpusbFindsTheInstrumentOnlyByItsIdentifier) {
  EXPECT_EQ(_MPUSBGetDeviceCount("VID_4D3E&PID_0B17"), 1u);
  EXPECT_EQ(_MPUSBGetDeviceCount("vid_04d8&pid_000c"), 0u);
  EXPECT_EQ(_MPUSBGetDeviceCount(""), 0u);
  EXPECT_EQ(_MPUSBGetDeviceCount(nullptr), 0u);
  EXPECT_EQ(_MPUSBOpen(0, "vid_04d8&pid_000c", kEp, MP_WRITE, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(_MPUSBOpen(0, kId, "\\MCHP_EP2", MP_WRITE, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(_MPUSBOpen(0, kId, kEp, 2, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(_MPUSBOpen(1, kId, kEp, MP_WRITE, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(dev().OpenCalls(), 0);
  EXPECT_NE(_MPUSBOpen(0, kId, "\\mchp_ep1", MP_READ, 0), INVALID_HANDLE_VALUE);

  dev().SetDeviceCount(0);
  EXPECT_EQ(_MPUSBGetDeviceCount(kId), 0u);
}

TEST_F(UsbShapesTest, MpusbTimeOutsAndWrongDirections) {
  const MpusbHandle out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  const MpusbHandle in = _MPUSBOpen(0, kId, kEp, MP_READ, 0);
  std::uint8_t buf[64] = {0x77};
  std::uint32_t n = 99;
  // Nothing was asked for: the read times out with nothing.
  EXPECT_EQ(_MPUSBRead(in, buf, 64, &n, 200), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_SEM_TIMEOUT);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(buf[0], 0x77);
  dev().ScriptWrite(UsbStatus::Timeout, 0);
  EXPECT_EQ(_MPUSBWrite(out, buf, 1, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_SEM_TIMEOUT);
  // A pipe only goes its own way; that is no lost device.
  EXPECT_EQ(_MPUSBWrite(in, buf, 1, &n, 10), MPUSB_FAIL);
  EXPECT_NE(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(_MPUSBRead(out, buf, 1, &n, 10), MPUSB_FAIL);
  EXPECT_NE(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(_MPUSBWrite(out, nullptr, 1, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_PARAMETER);
  const std::uint8_t nine = 9;
  EXPECT_EQ(_MPUSBWrite(out, &nine, 1, &n, 10), MPUSB_SUCCESS);
  EXPECT_EQ(MpusbLastError(), ERROR_SUCCESS);
  _MPUSBClose(out);
  _MPUSBClose(in);
}

TEST_F(UsbShapesTest, ReplugNeedsAFreshOpen) {
  const MpusbHandle out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  const MpusbHandle in = _MPUSBOpen(0, kId, kEp, MP_READ, 0);
  std::uint32_t n = 0;
  const std::uint8_t eight = 8;
  _MPUSBWrite(out, &eight, 1, &n, 10);
  dev().Unplug();
  dev().Replug();
  EXPECT_FALSE(dev().LogicLoaded());
  EXPECT_EQ(_MPUSBGetDeviceCount(kId), 1u);
  const std::uint8_t nine = 9;
  EXPECT_EQ(_MPUSBWrite(out, &nine, 1, &n, 10), MPUSB_FAIL) << "the old handle died with the unplug";
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_HANDLE);
  _MPUSBClose(out);
  _MPUSBClose(in);
  const MpusbHandle again = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  EXPECT_NE(again, out) << "an old handle never comes back to life";
  EXPECT_EQ(_MPUSBWrite(again, &nine, 1, &n, 10), MPUSB_SUCCESS);
  _MPUSBClose(again);
}

TEST(UsbHostSwap, HandlesOfAReplacedHostAreInvalid) {
  MpusbHandle out = INVALID_HANDLE_VALUE;
  {
    ScopedSimulatedDevice first;
    out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
  }
  ScopedSimulatedDevice second;
  std::uint32_t n = 0;
  const std::uint8_t nine = 9;
  EXPECT_EQ(_MPUSBWrite(out, &nine, 1, &n, 10), MPUSB_FAIL);
  EXPECT_EQ(MpusbLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(second.device().Transfers().empty());
}

// ---- The fallback shape

TEST_F(UsbShapesTest, WinUsbRoundTripWithUnplugMidTransfer) {
  dev().SetSignal(Ch1Wave, Ch2Wave);
  dev().SetBusyPolls(1);
  ASSERT_TRUE(GivePath());
  EXPECT_NE(DevicePath().find("vid_4d3e&pid_0b17"), std::string::npos);
  WINUSB_INTERFACE_HANDLE iface = 0;
  ASSERT_TRUE(WinUsb_Initialize(&iface));
  ASSERT_NE(iface, 0);

  std::uint32_t n = 0;
  const std::uint8_t packet[] = {14, 128, 7, 0x08, 0x08, 110, 110, 127, 0x40, 0};
  EXPECT_TRUE(WinUsb_WritePipe(iface, 0x01, packet, sizeof packet, &n, nullptr));
  for (std::uint8_t c : {9, 11}) EXPECT_TRUE(WinUsb_WritePipe(iface, 0x01, &c, 1, &n, nullptr));

  std::vector<std::uint8_t> rx(8192, 0);
  int polls = 0;
  do {
    WinUsb_ReadPipe(iface, 0x81, rx.data(), 4, &n, nullptr);
    WinUsb_FlushPipe(iface, 0x81);
    ++polls;
  } while (rx[0] != 0x44 && polls < 5);
  EXPECT_EQ(polls, 2);
  const std::uint8_t ten = 10;
  WinUsb_WritePipe(iface, 0x01, &ten, 1, &n, nullptr);
  for (int b = 0; b < 8; ++b) {
    ASSERT_TRUE(WinUsb_ReadPipe(iface, 0x81, rx.data() + 1024 * b, 1024, &n, nullptr));
    // The flush after each read must not eat the blocks still to come.
    WinUsb_FlushPipe(iface, 0x81);
  }
  std::vector<std::uint8_t> ch1, ch2;
  Unpack(rx.data(), ch1, ch2);
  EXPECT_EQ(ch1[0], Ch1Wave(0));
  EXPECT_EQ(ch2[4095], Ch2Wave(4095));
  EXPECT_EQ(ch1[2048], Ch1Wave(2048));

  const std::uint8_t fifteen = 15;
  WinUsb_WritePipe(iface, 0x01, &fifteen, 1, &n, nullptr);
  dev().SetFirmwareVersion("2.31");  // taken when the command arrives
  EXPECT_TRUE(WinUsb_ReadPipe(iface, 0x81, rx.data(), 64, &n, nullptr));
  EXPECT_EQ(std::string(rx.begin(), rx.begin() + 4), "0107");

  // The shape keeps no time-out of its own; the host bounds the wait.
  for (const SimTransfer& t : dev().Transfers()) {
    if (t.kind != SimTransfer::Kind::Flush) {
      EXPECT_EQ(t.timeout_ms, 0u);
    }
  }
  // packet, 9, 11, poll, then its flush
  EXPECT_EQ(dev().Transfers()[4].kind, SimTransfer::Kind::Flush);
  EXPECT_EQ(dev().Transfers()[4].endpoint, 0x81);

  dev().UnplugAfter(0, 3);
  EXPECT_FALSE(WinUsb_WritePipe(iface, 0x01, packet, sizeof packet, &n, nullptr));
  EXPECT_EQ(WinUsbLastStatus(), UsbStatus::NoDevice);
  EXPECT_EQ(n, 3u);
  EXPECT_FALSE(WinUsb_ReadPipe(iface, 0x81, rx.data(), 1, &n, nullptr));
  EXPECT_EQ(WinUsbLastStatus(), UsbStatus::NoDevice);
  EXPECT_FALSE(GivePath());
  EXPECT_TRUE(WinUsb_Free(iface));
  EXPECT_FALSE(dev().IsOpen());
  EXPECT_FALSE(WinUsb_WritePipe(iface, 0x01, &ten, 1, &n, nullptr));
  EXPECT_TRUE(dev().ProtocolErrors().empty()) << dev().Dump();
}

TEST_F(UsbShapesTest, WinUsbWithoutDeviceOrWithTwo) {
  dev().SetDeviceCount(0);
  EXPECT_FALSE(GivePath());
  WINUSB_INTERFACE_HANDLE iface = 7;
  EXPECT_FALSE(WinUsb_Initialize(&iface));
  EXPECT_EQ(iface, 0);
  dev().SetDeviceCount(2);
  ASSERT_TRUE(GivePath());
  EXPECT_NE(DevicePath().find("#1#"), std::string::npos) << "the last interface found wins";
  dev().RefuseOpen(true);
  EXPECT_FALSE(WinUsb_Initialize(&iface));
  dev().RefuseOpen(false);
  EXPECT_TRUE(WinUsb_Initialize(&iface));
  std::uint32_t n = 0;
  std::uint8_t byte = 0;
  EXPECT_FALSE(WinUsb_ReadPipe(iface, 0x81, &byte, 1, &n, &n)) << "overlapped use is not offered";
  EXPECT_FALSE(WinUsb_WritePipe(iface, 0x81, &byte, 1, &n, nullptr)) << "wrong pipe";
  EXPECT_TRUE(WinUsb_Free(iface));
  EXPECT_FALSE(WinUsb_Free(iface));
}

TEST_F(UsbShapesTest, OnlyOneShapeHoldsTheInstrument) {
  const MpusbHandle out = _MPUSBOpen(0, kId, kEp, MP_WRITE, 0);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(GivePath());
  WINUSB_INTERFACE_HANDLE iface = 0;
  EXPECT_FALSE(WinUsb_Initialize(&iface));
  _MPUSBClose(out);
  ASSERT_TRUE(WinUsb_Initialize(&iface));
  EXPECT_EQ(_MPUSBOpen(0, kId, kEp, MP_READ, 0), INVALID_HANDLE_VALUE);
  WinUsb_Free(iface);
  EXPECT_NE(_MPUSBOpen(0, kId, kEp, MP_READ, 0), INVALID_HANDLE_VALUE);
}

// ---- The device model

class SimDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dev.Open()); }
  void Send(std::vector<std::uint8_t> bytes) {
    std::size_t n = 0;
    ASSERT_EQ(dev.Write(0x01, bytes.data(), bytes.size(), &n, 10), UsbStatus::Ok);
  }
  UsbStatus Get(std::uint8_t* buf, std::size_t length, std::size_t* n) {
    return dev.Read(0x81, buf, length, n, 200);
  }
  SimulatedDarvik48 dev;
};

TEST_F(SimDeviceTest, PacketsSplitAcrossWritesAndGeneratorTraffic) {
  Send({14});
  Send({128, 7, 0x32, 0x29});
  Send({68, 0x80, 0xFF, 0xFE, 0x0E});
  ASSERT_TRUE(dev.LastSettings());
  const SimScopeSettings s = *dev.LastSettings();
  EXPECT_EQ(s.GainBits(1), 0x22);
  EXPECT_TRUE(s.Grounded(1));
  EXPECT_FALSE(s.DcCoupled(1));
  EXPECT_EQ(s.GainBits(2), 0x28);
  EXPECT_FALSE(s.Grounded(2));
  EXPECT_TRUE(s.DcCoupled(2));
  EXPECT_EQ(s.OffsetDac(1), 68);
  EXPECT_EQ(s.OffsetDac(2), 0x80);
  EXPECT_EQ(s.TriggerLevel(), 0);
  EXPECT_EQ(s.TimeBaseRegister(), 0xFE);
  EXPECT_FALSE(s.TriggerSourceCh2());
  EXPECT_TRUE(s.TriggerOn());
  EXPECT_TRUE(s.FallingEdge());
  EXPECT_TRUE(s.BitView());

  // Generator: wave block, settings, frequency packet, apply.
  std::vector<std::uint8_t> wave(513, 0x80);
  wave[0] = 4;
  Send(wave);
  Send({0x0E, 0x05, 0x04, 0x80, 0x00, 0x17, 0x0F});
  std::vector<std::uint8_t> freq = {0x0E, 0x02, 0x13};
  freq.resize(22, 0x01);
  Send(freq);
  Send({6});
  ASSERT_EQ(dev.WaveBlocks().size(), 1u);
  EXPECT_EQ(dev.WaveBlocks()[0], std::vector<std::uint8_t>(512, 0x80));
  ASSERT_EQ(dev.Packets().size(), 3u);
  EXPECT_EQ(dev.Packets()[1].type, 5);
  EXPECT_EQ(dev.Packets()[2].bytes, freq);
  EXPECT_EQ(dev.Commands(), (std::vector<std::uint8_t>{14, 4, 14, 14, 6}));
  EXPECT_EQ(dev.SettingsHistory().size(), 1u);
  EXPECT_TRUE(dev.ProtocolErrors().empty()) << dev.Dump();

  // A packet of the wrong length, an unknown command, a capture never armed.
  Send({0x0E, 0x80, 0x06, 1, 2, 3, 4, 5, 6, 99, 10});
  EXPECT_EQ(dev.ProtocolErrors().size(), 3u) << dev.Dump();
  EXPECT_EQ(dev.SettingsHistory().size(), 1u);
}

TEST_F(SimDeviceTest, SlowSampleRepliesCarryCh2OnEvenBytes) {
  dev.SetSignal([](int i) { return static_cast<std::uint8_t>(100 + i); },
                [](int i) { return static_cast<std::uint8_t>(200 - i); });
  std::array<std::uint8_t, 64> r{};
  std::size_t n = 0;
  Send({9, 12});
  ASSERT_EQ(Get(r.data(), 64, &n), UsbStatus::Ok);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(r[61], 100);  // what the recorder takes as CH1
  EXPECT_EQ(r[62], 200);  // and as CH2
  Send({12});
  Get(r.data(), 64, &n);
  EXPECT_EQ(r[61], 101) << "each slow sample is the next in time";
  Send({13});
  Get(r.data(), 64, &n);
  for (int k = 0; k < 32; ++k) {
    EXPECT_EQ(r[2 * k], 200 - (2 + k)) << k;
    EXPECT_EQ(r[2 * k + 1], 100 + (2 + k)) << k;
  }
  // The host takes whole packets: a short read of a reply drops its rest.
  dev.SetFirmwareVersion("1.2");
  Send({15});
  std::fill(r.begin(), r.end(), 0xAA);
  EXPECT_EQ(Get(r.data(), 4, &n), UsbStatus::Ok);
  EXPECT_EQ(std::string(r.begin(), r.begin() + 5), std::string("1.2 \xAA"));
  EXPECT_EQ(Get(r.data(), 64, &n), UsbStatus::Timeout);
  EXPECT_EQ(n, 0u);
}

TEST_F(SimDeviceTest, StatusAnswersFollowTheCaptureLogic) {
  std::uint8_t b[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  std::size_t n = 0;
  EXPECT_EQ(Get(b, 1, &n), UsbStatus::Timeout) << "not armed: no status";
  dev.SetBusyPolls(2);
  dev.SetBusyValue(0x11);
  Send({9, 11});
  Get(b, 4, &n);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(b[0], 0x11);
  EXPECT_EQ(b[1], 0);
  // A poll that timed out was never answered, so it uses up no busy answer.
  dev.ScriptRead(UsbStatus::Timeout, 0);
  EXPECT_EQ(Get(b, 1, &n), UsbStatus::Timeout);
  Get(b, 1, &n);
  EXPECT_EQ(b[0], 0x11);
  Get(b, 1, &n);
  EXPECT_EQ(b[0], 0x44);
  // Done stays done (the recorder polls between slow samples) until a reset.
  Send({12});
  std::array<std::uint8_t, 64> r{};
  Get(r.data(), 64, &n);
  Get(b, 1, &n);
  EXPECT_EQ(b[0], 0x44);
  Send({9});
  EXPECT_EQ(Get(b, 1, &n), UsbStatus::Timeout);
  EXPECT_EQ(dev.Arms(), 1);
}

TEST_F(SimDeviceTest, ScriptedShortReadsAndResponseHook) {
  dev.SetSignal([](int i) { return static_cast<std::uint8_t>(i); }, nullptr);
  // The front end adds the CH1 offset DAC to the code.
  dev.SetResponse([](int channel, std::uint8_t code, const SimScopeSettings* s) {
    return static_cast<std::uint8_t>(channel == 1 && s ? code + s->OffsetDac(1) : code);
  });
  Send({14, 128, 7, 0x08, 0x08, 10, 0, 0, 0, 0});
  EXPECT_EQ(dev.SampleCode(1, 5), 15);
  EXPECT_EQ(dev.SampleCode(2, 5), 128);
  Send({9, 11});
  std::uint8_t b[1024];
  std::size_t n = 0;
  Get(b, 1, &n);
  Send({10});
  dev.ScriptRead(UsbStatus::Ok, 10);
  EXPECT_EQ(Get(b, 1024, &n), UsbStatus::Ok);
  EXPECT_EQ(n, 10u);
  // The rest of the block follows in the next read.
  std::vector<std::uint8_t> all(b, b + 10);
  while (all.size() < 8192) {
    ASSERT_NE(Get(b, 1024, &n), UsbStatus::NoDevice);
    ASSERT_GT(n, 0u) << dev.Dump();
    all.insert(all.end(), b, b + n);
  }
  EXPECT_EQ(Get(b, 1024, &n), UsbStatus::Timeout);
  std::vector<std::uint8_t> ch1, ch2;
  Unpack(all.data(), ch1, ch2);
  EXPECT_EQ(ch1[0], 10);
  EXPECT_EQ(ch1[100], 110);
  EXPECT_EQ(ch2[7], 128);
  EXPECT_EQ(dev.CapturesSent(), 1);
}

TEST_F(SimDeviceTest, UnplugAfterCountsTransfersAndShutdownIsSeen) {
  dev.UnplugAfter(2);
  Send({9});
  Send({11});
  std::uint8_t b = 0;
  std::size_t n = 0;
  EXPECT_EQ(Get(&b, 1, &n), UsbStatus::NoDevice);
  EXPECT_EQ(dev.CountDevices(), 0);
  EXPECT_FALSE(dev.Open());
  dev.Replug();
  dev.Close();
  ASSERT_TRUE(dev.Open());
  Send({20});
  EXPECT_TRUE(dev.ShutDown());
  const std::string dump = dev.Dump();
  EXPECT_NE(dump.find("NoDevice"), std::string::npos) << dump;
  dev.ClearLog();
  EXPECT_TRUE(dev.Transfers().empty());
  EXPECT_TRUE(dev.ShutDown()) << "clearing the log keeps the device state";
}

}  // namespace
