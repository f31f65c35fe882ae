// The device link against the simulated Darvik48: the bytes and time-outs of
// the open, the firmware query and the release; a device that vanishes; pipe
// failures; the fallback back end.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "engine/device_fixture.h"
#include "io/about_box.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

constexpr const char* kDisconnected = "Darvik48 disconnected.";

// The settings packet for 1 V/div DC on both channels, offsets 124, trigger
// level 128 (sent as 127), 1 ms/div (register 0xF8), trigger off from CH1.
const std::vector<std::uint8_t> kStartPacket{14, 128, 7, 0x29, 0x29, 124, 124, 127, 0xF8, 0x00};

class DeviceLinkTest : public DeviceTest {};

class NoDeviceLinkTest : public DeviceTest {
 protected:
  bool DevicePresent() const override { return false; }
};

TEST_F(DeviceLinkTest, OpenSendsLogicStreamThenSettingsForOneVoltAndOneMillisecond) {
  const std::vector<std::uint8_t> data = FullData();
  InstallLogicFile(LogicFile(5, data));

  Form1->Acquisition().test0();

  EXPECT_TRUE(Link().IsOpen());
  EXPECT_FALSE(Link().HardwareMissing());
  EXPECT_FALSE(Link().FallbackInUse());
  EXPECT_FALSE(Form1->LoadingPanel->Visible());

  const auto& t = Device().Transfers();
  ASSERT_GE(t.size(), 3u) << Device().Dump();
  EXPECT_EQ(t[0].endpoint, 0x01);
  EXPECT_EQ(t[0].data, std::vector<std::uint8_t>{8});
  EXPECT_EQ(t[0].timeout_ms, 10u);

  ASSERT_EQ(t[1].data.size(), kStreamBytes);
  EXPECT_EQ(t[1].timeout_ms, 10000u);
  const std::vector<std::uint8_t>& stream = t[1].data;
  EXPECT_EQ(stream[0], 0xFF);
  EXPECT_EQ(stream[1], 0xFF);
  EXPECT_EQ(stream[2], 0xFF);
  for (std::size_t k = 0; k < kDataBytes; ++k)
    ASSERT_EQ(stream[3 + k], Reversed(data[k])) << "data byte " << k;
  EXPECT_EQ(stream[kStreamBytes - 2], 0x00);
  EXPECT_EQ(stream[kStreamBytes - 1], 0x00);
  EXPECT_TRUE(Device().LogicLoaded());

  // One packet per button: CH1 1V, CH2 1V, 1ms; nothing else.
  ASSERT_EQ(t.size(), 5u) << Device().Dump();
  for (std::size_t i = 2; i < 5; ++i) {
    EXPECT_EQ(t[i].endpoint, 0x01);
    EXPECT_EQ(t[i].timeout_ms, 10u);
    EXPECT_EQ(t[i].data.size(), 10u);
  }
  EXPECT_EQ(t[4].data, kStartPacket);
  EXPECT_TRUE(Device().ProtocolErrors().empty()) << Device().Dump();

  // The data-folder copy is what was read.
  EXPECT_TRUE(std::filesystem::exists(DataLogicFile()));
  EXPECT_EQ(Form1->SpeedButton2ms->Down(), true);
  EXPECT_EQ(ScopeState().Settings.TimeBaseCode, 82);
  EXPECT_EQ(ScopeState().TimeDivText, "1ms");
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V");
  EXPECT_EQ(ScopeState().Channels[1].RangeText, "1V");
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(DeviceLinkTest, OpenWhileOpenOnlyPressesTheButtons) {
  OpenDevice();
  Form1->Acquisition().test0();
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 3u) << Device().Dump();
  for (const auto& w : writes) EXPECT_EQ(w.size(), 10u);
  EXPECT_EQ(Device().LogicUploads(), 1);
}

TEST_F(NoDeviceLinkTest, NoDeviceLeavesEverythingAsItWas) {
  InstallLogicFile(LogicFile(5, FullData()));
  // A range press would print its label over this one.
  ScopeState().Channels[0].RangeText = "unchanged";
  Form1->Acquisition().test0();
  EXPECT_TRUE(Link().HardwareMissing());
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_TRUE(Device().Transfers().empty());
  // No range button was pressed.
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "unchanged");
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(DeviceLinkTest, ReadPipeFailureClosesTheWritePipe) {
  InstallLogicFile(LogicFile(5, FullData()));
  Device().FailOpen(1);  // the write pipe opens, the read pipe does not

  Form1->Acquisition().test0();

  EXPECT_TRUE(Link().HardwareMissing());
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_EQ(Link().OutHandle(), -1);
  EXPECT_TRUE(Device().Transfers().empty()) << "the upload must wait for a good open";
  EXPECT_FALSE(Device().IsOpen()) << "the write pipe was left holding the device";
  EXPECT_FALSE(Form1->LoadingPanel->Visible());

  // Nothing stays claimed: the next open goes through.
  Form1->Acquisition().test2();
  EXPECT_TRUE(Link().IsOpen());
  EXPECT_FALSE(Link().HardwareMissing());
  EXPECT_EQ(Device().LogicUploads(), 1);
}

TEST_F(DeviceLinkTest, FirmwareQueryShowsTheFourVersionCharacters) {
  OpenDevice();
  Device().SetFirmwareVersion("2.07");
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");

  Form1->Acquisition().QueryFirmwareVersion();

  const auto& t = Device().Transfers();
  ASSERT_EQ(t.size(), 2u) << Device().Dump();
  EXPECT_EQ(t[0].kind, SimTransfer::Kind::Write);
  EXPECT_EQ(t[0].data, std::vector<std::uint8_t>{15});
  EXPECT_EQ(t[0].timeout_ms, 10u);
  EXPECT_EQ(t[1].kind, SimTransfer::Kind::Read);
  EXPECT_EQ(t[1].endpoint, 0x81);
  EXPECT_EQ(t[1].length, 64u);
  EXPECT_EQ(t[1].timeout_ms, 200u);
  EXPECT_EQ(AboutBox->Label2->Caption(), "Firmware version 2.07");
}

TEST_F(DeviceLinkTest, FirmwareLabelStaysBlankWithoutAFullReply) {
  OpenDevice();
  // Bytes of an earlier reply sit in the device's buffer.
  Device().SetFirmwareVersion("9.99");
  ASSERT_EQ(Link().FirmwareVersion(), std::optional<std::string>("9.99"));
  Device().ScriptRead(UsbStatus::Timeout, 3);
  Form1->Acquisition().QueryFirmwareVersion();
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");
  EXPECT_TRUE(Link().IsOpen()) << "a time-out is no lost device";
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(DeviceLinkTest, FirmwareQueryInDemoModeSendsNothing) {
  OpenDevice();
  ScopeState().DemoMode = 1;
  Form1->Acquisition().QueryFirmwareVersion();
  EXPECT_TRUE(Device().Transfers().empty());
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");
}

TEST_F(DeviceLinkTest, ReleaseSendsShutDownThenFreesTheInstrument) {
  OpenDevice();
  Link().ReleaseDevice();

  const auto& t = Device().Transfers();
  ASSERT_EQ(t.size(), 1u) << Device().Dump();
  EXPECT_EQ(t[0].data, std::vector<std::uint8_t>{20});
  EXPECT_EQ(t[0].timeout_ms, 10u);
  EXPECT_TRUE(Device().ShutDown());
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_EQ(Link().OutHandle(), -1);
  EXPECT_EQ(Link().InHandle(), -1);
  EXPECT_FALSE(Device().IsOpen());

  // Safe when already closed.
  Link().ReleaseDevice();
  EXPECT_EQ(Device().Transfers().size(), 1u);
}

TEST_F(DeviceLinkTest, VanishedDeviceIsReportedOnceAndSilencesTheLink) {
  OpenDevice();
  Device().Unplug();

  Form1->Set500();  // the packet write finds the device gone
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  const auto* shown = Dialogs().FindMessage(kDisconnected);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->Kind, mtInformation);
  EXPECT_EQ(shown->Buttons, static_cast<TMsgDlgButtons>(mbOK));
  const std::size_t seen = Device().Transfers().size();

  // Every later sender and reader returns at once.
  std::array<std::uint8_t, 64> buffer;
  buffer.fill(0xA5);
  Link().Reset_500(0, 0);
  Form1->Set500();
  Link().SendDeviceCommand(15);
  std::uint32_t got = 0;
  Link().MPUSBRead(Link().InHandle(), buffer.data(), 64, &got, 200);
  Form1->Acquisition().QueryFirmwareVersion();
  Link().ReleaseDevice();
  EXPECT_EQ(Device().Transfers().size(), seen) << Device().Dump();
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(),
                          [](std::uint8_t b) { return b == 0xA5; }));
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
}

TEST_F(DeviceLinkTest, VanishedDeviceIsRecognisedOnARead) {
  OpenDevice();
  Device().Unplug();
  std::uint32_t got = 0;
  std::array<std::uint8_t, 64> buffer{};
  Link().MPUSBRead(Link().InHandle(), buffer.data(), 1, &got, 200);
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_FALSE(Device().IsOpen());
}

TEST_F(DeviceLinkTest, DeviceVanishingDuringTheUploadEndsTheOpen) {
  InstallLogicFile(LogicFile(5, FullData()));
  Device().UnplugAfter(1, 1000);  // command 8 gets through, the stream does not
  Form1->Acquisition().test0();
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_TRUE(Link().HardwareMissing());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(Writes().size(), 2u) << "no settings after the loss";
}

TEST_F(DeviceLinkTest, TimeoutsAndOtherFailuresKeepTheLink) {
  OpenDevice();
  Device().ScriptWrite(UsbStatus::Timeout, 0);
  Device().ScriptWrite(UsbStatus::Error, 0);
  Form1->Set500();
  Form1->Set500();
  EXPECT_TRUE(Link().IsOpen());
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(DeviceLinkTest, FallbackBackEndWritesReadsFlushesAndNoticesALoss) {
  ASSERT_EQ(Link().OpenDeviceW(), 0);
  EXPECT_TRUE(Link().IsOpen());
  EXPECT_TRUE(Link().FallbackInUse());

  std::uint32_t sent = 77;
  const std::uint8_t command = 15;
  Link().MPUSBWrite(Link().OutHandle(), &command, 1, &sent, 10);
  EXPECT_EQ(sent, 77u) << "the fallback keeps its count to itself";
  std::uint32_t got = 0;
  std::array<std::uint8_t, 64> buffer{};
  Link().MPUSBRead(Link().InHandle(), buffer.data(), 64, &got, 200);
  EXPECT_EQ(got, 64u);

  const auto& t = Device().Transfers();
  ASSERT_EQ(t.size(), 3u) << Device().Dump();
  EXPECT_EQ(t[0].endpoint, 0x01);
  EXPECT_EQ(t[0].data, std::vector<std::uint8_t>{15});
  EXPECT_EQ(t[1].endpoint, 0x81);
  EXPECT_EQ(t[2].kind, SimTransfer::Kind::Flush);
  EXPECT_EQ(t[2].endpoint, 0x81);

  Device().Unplug();
  Link().MPUSBRead(Link().InHandle(), buffer.data(), 64, &got, 200);
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_FALSE(Device().IsOpen());
  Link().MPUSBWrite(Link().OutHandle(), &command, 1, &sent, 10);
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
}

TEST_F(DeviceLinkTest, FallbackBackEndReleasesAtClose) {
  ASSERT_EQ(Link().OpenDeviceW(), 0);
  Link().ReleaseDevice();
  ASSERT_EQ(Writes().size(), 1u);
  EXPECT_EQ(Writes()[0], std::vector<std::uint8_t>{20});
  EXPECT_FALSE(Link().IsOpen());
  EXPECT_FALSE(Device().IsOpen());
}

}  // namespace
