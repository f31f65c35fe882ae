// One whole session with a device on the bus, as the wire sees it: the logic
// upload and the settings at start-up, the first-run calibration notice, the
// firmware query, and the power-down command as the last thing at close.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "io/about_box.h"
#include "startup_fixture.h"
#include "generator/generator_state.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

bool IsWrite(const SimTransfer& t, std::vector<std::uint8_t> bytes, unsigned timeout) {
  return t.kind == SimTransfer::Kind::Write && t.data == bytes && t.timeout_ms == timeout;
}

class StartupWireTest : public StartupTest {
 protected:
  bool DevicePresent() const override { return true; }

  // The per-user copy of the logic file is the one the device gets.
  void InstallLogicFile() {
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  }

  // The close: the generator's output off with the enable code 0, then the
  // device's power-down, and nothing else.
  void ExpectGeneratorOffThenPowerDown() {
    SimulatedDarvik48& device = Device();
    const std::vector<SimTransfer>& t = device.Transfers();
    ASSERT_EQ(t.size(), 5u) << device.Dump();
    EXPECT_TRUE(IsWrite(t[0], {4}, 10)) << device.Dump();
    EXPECT_TRUE(IsWrite(t[1], std::vector<std::uint8_t>(512, 0x80), 100)) << device.Dump();
    EXPECT_TRUE(IsWrite(t[2], {0x0E, 0x05, 0x04, 0x80, 0x00, 0x03, 0x0F}, 10)) << device.Dump();
    EXPECT_TRUE(IsWrite(t[3], {6}, 10)) << device.Dump();
    EXPECT_TRUE(IsWrite(t[4], {20}, 10)) << device.Dump();
  }
};

// A device calibrated in an earlier session: the first-run calibration (its
// own traffic is covered by the calibration tests) does not run.
TEST_F(StartupWireTest, StartAndCloseGoOverTheWireInOrder) {
  InstallLogicFile();
  WriteIni("[Menu]\nHWdialog=0\n");
  Device().SetFirmwareVersion("0312");
  StartAndRun();

  ASSERT_FALSE(Application->Terminated());
  EXPECT_TRUE(Driver().IsOpen());
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_TRUE(Dialogs().Forms().empty());
  EXPECT_EQ(Dialogs().CountMessages(
                "The oscilloscope will now be calibrated.\rPlease make sure that the oscilloscope inputs CH1 and "
                "CH2\rare disconnected from external circuits."),
            0);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  EXPECT_EQ(GeneratorState().GeneratorHardware, 10);
  EXPECT_EQ(AboutBox->Label2->Caption(), "Firmware version 0312");

  std::vector<SimTransfer> wire = Device().Transfers();
  ASSERT_GE(wire.size(), 5u) << Device().Dump();
  // Logic upload first.
  EXPECT_TRUE(IsWrite(wire[0], {8}, 10)) << Device().Dump();
  EXPECT_EQ(wire[1].kind, SimTransfer::Kind::Write);
  EXPECT_EQ(wire[1].data.size(), 54912u);
  EXPECT_EQ(wire[1].timeout_ms, 10000u);
  EXPECT_TRUE(Device().LogicLoaded());
  // Then only settings packets (1 V/div, 1 ms/div), the generator's output
  // off (a silent wave block, its settings with the range byte 0, apply) and
  // the firmware query, which ends the start-up.
  const std::size_t n = wire.size();
  ASSERT_GE(n, 8u) << Device().Dump();
  EXPECT_TRUE(IsWrite(wire[n - 6], {4}, 10)) << Device().Dump();
  EXPECT_TRUE(IsWrite(wire[n - 5], std::vector<std::uint8_t>(512, 0x80), 100)) << Device().Dump();
  EXPECT_TRUE(IsWrite(wire[n - 4], {0x0E, 0x05, 0x04, 0x80, 0x00, 0x13, 0x0F}, 10)) << Device().Dump();
  EXPECT_TRUE(IsWrite(wire[n - 3], {6}, 10)) << Device().Dump();
  EXPECT_TRUE(IsWrite(wire[n - 2], {15}, 10)) << Device().Dump();
  EXPECT_EQ(wire[n - 1].kind, SimTransfer::Kind::Read);
  EXPECT_EQ(wire[n - 1].length, 64u);
  EXPECT_EQ(wire[n - 1].timeout_ms, 200u);
  ASSERT_GE(Device().SettingsHistory().size(), 1u);
  for (std::size_t i = 2; i < n - 6; ++i) {
    EXPECT_EQ(wire[i].kind, SimTransfer::Kind::Write) << i;
    EXPECT_EQ(wire[i].timeout_ms, 10u) << i;
    ASSERT_FALSE(wire[i].data.empty());
    EXPECT_EQ(wire[i].data[0], 14) << i;
  }
  const SimScopeSettings last = *Device().LastSettings();
  EXPECT_EQ(last.GainBits(1), 0x28);
  EXPECT_EQ(last.GainBits(2), 0x28);
  EXPECT_EQ(last.TimeBaseRegister(), 0xF8);
  EXPECT_TRUE(Device().ProtocolErrors().empty());

  Device().ClearLog();
  ASSERT_TRUE(Close());
  ExpectGeneratorOffThenPowerDown();
  EXPECT_TRUE(Device().ShutDown());
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(IniValue("Menu", "HWdialog"), "0");
  EXPECT_EQ(IniValue("Hardware", "DemoMode"), "0");
}

TEST_F(StartupWireTest, RefusedSettingsWriteStillPowersTheInstrumentDown) {
  InstallLogicFile();
  StartAndRun();
  ASSERT_TRUE(Driver().IsOpen());
  Dialogs().ClearRecords();
  Device().ClearLog();
  std::filesystem::remove(IniPath());
  std::filesystem::create_directory(IniPath());

  EXPECT_TRUE(Close());
  EXPECT_EQ(Dialogs().CountMessages("Unable to write to " + IniPath()), 1);
  ExpectGeneratorOffThenPowerDown();
}

// A logic upload the device does not take whole is no upload: the message,
// the link closed, "No hardware response!" and demo mode, nothing more sent.
TEST_F(StartupWireTest, LogicUploadNotTakenWholeFallsBackToDemoMode) {
  InstallLogicFile();
  struct Case {
    const char* name;
    std::vector<std::pair<UsbStatus, std::size_t>> writes;  // what the first writes come to
  };
  const Case cases[] = {
      {"command 8 times out", {{UsbStatus::Timeout, 0}}},
      {"the stream write fails", {{UsbStatus::Ok, 1}, {UsbStatus::Error, 0}}},
      // Last: the device is left waiting for the rest of the stream.
      {"the stream times out part way", {{UsbStatus::Ok, 1}, {UsbStatus::Timeout, 4096}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteIni("[Menu]\nHWdialog=0\n");
    Dialogs().ClearRecords();
    for (const auto& [status, count] : c.writes) Device().ScriptWrite(status, count);
    StartAndRun();

    ASSERT_FALSE(Application->Terminated());
    EXPECT_EQ(Dialogs().CountMessages("Unable to send the logic file " + DataDir() + "darvik48.bit to the Darvik48."),
              1);
    ASSERT_EQ(Dialogs().Forms().size(), 1u);
    EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TBtnBottomDlg1");
    EXPECT_EQ(ScopeState().DemoMode, 1);
    EXPECT_FALSE(Driver().IsOpen());
    EXPECT_FALSE(Device().IsOpen());
    EXPECT_EQ(Device().Transfers().size(), c.writes.size()) << Device().Dump();
  }
}

}  // namespace
