// The device's capture cycle and slow calibration read as their callers get
// them: a capture as a value once it arrived whole, a reading once the device
// answered, and nothing at all from a device that went away on the way.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/scope_device.h"
#include "engine/acquisition_fixture.h"
#include "platform/ui/timer.h"

namespace {

using acquisition_test::kDisconnected;

class CaptureCycleTest : public acquisition_test::AcquisitionTest {};

std::vector<std::uint8_t> Ramp(int mul, int add) {
  std::vector<std::uint8_t> v(4096);
  for (int i = 0; i < 4096; ++i) v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * mul + add);
  return v;
}

TEST_F(CaptureCycleTest, ACaptureComesBackAsAValueOnlyWhenItArrivedWhole) {
  struct Case {
    const char* what;
    std::function<void(SimulatedDarvik48&)> script;
    bool whole;       // a capture comes back
    bool open;        // the link stays open
    int disconnects;  // "Darvik48 disconnected." shown
  };
  const Case cases[] = {
      {"every block arrives", [](SimulatedDarvik48&) {}, true, true, 0},
      {"the first block comes short",
       [](SimulatedDarvik48& d) {
         d.ScriptRead(UsbStatus::Ok, 1);  // the status poll: done
         d.ScriptRead(UsbStatus::Timeout, 512);
       },
       false, true, 0},
      // Stop, arm, status poll and request go through; the first block does not.
      {"the device is pulled out during the blocks", [](SimulatedDarvik48& d) { d.UnplugAfter(4, 100); }, false,
       false, 1},
  };
  const std::vector<std::uint8_t> ch1 = Ramp(7, 1), ch2 = Ramp(253, 9);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!Driver().IsOpen()) {
      Device().Replug();
      OpenDevice();
    }
    Dialogs().ClearRecords();
    Device().SetSamples(ch1, ch2);
    Device().SetBusyPolls(0);
    c.script(Device());
    Driver().Resetoi_500();
    const bool arrived = Driver().DeviceCaptureStep(1, 200);
    const std::optional<display::Capture> capture = Driver().LueData_500(device::UnpackOptions{});
    EXPECT_EQ(arrived, c.whole) << Device().Dump();
    ASSERT_EQ(capture.has_value(), c.whole);
    EXPECT_EQ(Driver().IsOpen(), c.open);
    EXPECT_EQ(Dialogs().CountMessages(kDisconnected), c.disconnects);
    if (!capture) continue;
    for (std::size_t i = 0; i < 4096; ++i) {
      ASSERT_EQ(capture->Ch1()[i], ch1[i]) << i;
      ASSERT_EQ(capture->Ch2()[i], ch2[i]) << i;
    }
    // The next status poll takes the buffer: the capture is gone with it.
    Driver().PollDone(1, 200);
    EXPECT_FALSE(Driver().LueData_500(device::UnpackOptions{}).has_value());
  }
}

// ---- The slow calibration read

class ReadBytesTest : public acquisition_test::AcquisitionTest {};

TEST_F(ReadBytesTest, ThirtyTwoPairsAndTheMeansComeBackAsOneReading) {
  Device().SetSignal([](int) -> std::uint8_t { return 100; }, [](int) -> std::uint8_t { return 200; });
  Device().SetBusyPolls(2);
  const std::optional<device::LevelReading> reading = Driver().ReadBytes();
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(reading->Packed(), 55 * 256 + 155);
  for (std::size_t k = 0; k < 32; ++k) {
    ASSERT_EQ(reading->Ch1[k], 100);
    ASSERT_EQ(reading->Ch2[k], 200);
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"W9/10", "W11/10", "R1/20:1=0", "R1/20:1=0", "R1/20:1=68", "W13/10",
                                             "R64/200:64"}))
      << Device().Dump();
}

TEST_F(ReadBytesTest, AShortReplyIsAskedForAgainAndALostDeviceEndsTheWait) {
  Device().SetSignal([](int i) -> std::uint8_t { return static_cast<std::uint8_t>(i); },
                     [](int) -> std::uint8_t { return 0; });
  Device().ScriptRead(UsbStatus::Ok, 1);
  Device().ScriptRead(UsbStatus::Timeout, 30);
  // Sample indexes 32..63 (the first reply was used up): mean 47.
  EXPECT_EQ(Driver().ReadBytes().value_or(device::LevelReading{}).Packed(), 255 * 256 + (255 - 47));
  EXPECT_EQ(Count("W13/10"), 2);

  Device().SetBusyPolls(1000000);
  Device().ClearLog();
  program_clock::Alarm pull([this] { Device().Unplug(); });  // gone with the test
  pull.Start(std::chrono::milliseconds(60), false);
  EXPECT_FALSE(Driver().ReadBytes().has_value()) << "a lost device gives no reading";
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
}

}  // namespace
