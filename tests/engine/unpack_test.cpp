// Unpacking a capture into the sample block: the byte rotation and channel
// split, grounded channels, the spectrum and Noise Reject routes, waveform
// averaging, the history ring, the bit view; the slow calibration read and
// the spectrum average / maximum helpers.
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "acquisition_fixture.h"
#include "engine/main_form.h"
#include "support/held_startup_test.h"
#include "device/scope_device.h"
#include "support/device_stream.h"
#include "engine/spectrum/spectrum_hold.h"
#include "engine/scope_state.h"
#include "support/app_harness.h"
#include "display/history.h"
#include "display/history_state.h"
#include "support/program_states.h"
#include "app/windows.h"

namespace {

using namespace engine;
using namespace display;

class UnpackTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    ScopeState().DemoMode = 0;
    ScopeState().ScopeFileReplay = 0;
    ScopeState().SpectrumMode = 0;
    ScopeState().Settings.DigitalMode = 0;
    ScopeState().Calibrating = 0;
    ScopeState().Settings.Channels[0].InputOn = ScopeState().Settings.Channels[1].InputOn = 1;
    ScopeState().AveragingOn = 0;
    ScopeState().AverageRunning = 0;
    ScopeState().NoiseRejectOn = 0;
    HistoryState().HistoryIndex = 0;
    HistoryState().HistoryLength = 1000;
    HistoryState().HistoryStoreOn = 1;
  }

  // Takes one capture as the device sends it.
  void Receive(const std::vector<std::uint8_t>& ch1, const std::vector<std::uint8_t>& ch2) {
    const std::vector<std::uint8_t> raw = SimulatedDarvik48::PackCapture(ch1, ch2);
    std::copy(raw.begin(), raw.end(), stream_.begin());
  }
  void ReceiveFlat(std::uint8_t ch1, std::uint8_t ch2) {
    Receive(std::vector<std::uint8_t>(4096, ch1), std::vector<std::uint8_t>(4096, ch2));
  }
  void Unpack() { UnpackAsDeviceCapture(stream_); }

  std::array<std::uint8_t, kCaptureBytes> stream_{};

};

std::vector<std::uint8_t> Ramp(int mul, int add) {
  std::vector<std::uint8_t> v(4096);
  for (int i = 0; i < 4096; ++i) v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * mul + add);
  return v;
}

TEST_F(UnpackTest, TheBlockIsRotatedBy63BytesThenSplitIntoCh1EvenAndCh2Odd) {
  stream_.fill(0);
  stream_[8129] = 0x10;
  stream_[8130] = 0x20;
  stream_[0] = 0x30;  // lands at 63: CH2 of pair 31
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 0x10);
  EXPECT_EQ(ScopeState().Ch2Samples()[0], 0x20);
  EXPECT_EQ(ScopeState().Ch2Samples()[31], 0x30);
  EXPECT_EQ(ScopeState().CaptureUnpacked, 1);

  const std::vector<std::uint8_t> ch1 = Ramp(7, 1), ch2 = Ramp(253, 9);
  Receive(ch1, ch2);
  Unpack();
  for (std::size_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(ScopeState().Ch1Samples()[i], ch1[i]) << i;
    ASSERT_EQ(ScopeState().Ch2Samples()[i], ch2[i]) << i;
    ASSERT_EQ(ScopeState().SampleCopy[i], ch2[i]) << i;
    ASSERT_EQ(ScopeState().SampleCopy[4096 + i], ch1[i]) << i;
  }
}

TEST_F(UnpackTest, AGroundedChannelBecomesItsMeanWithTheRemainderDropped) {
  // CH1 codes sum to 524,287: the mean 127.99 is shown as 127.
  std::vector<std::uint8_t> ch1(4096, 128);
  ch1[17] = 127;
  const std::vector<std::uint8_t> ch2 = Ramp(1, 0);
  Receive(ch1, ch2);
  ScopeState().Settings.Channels[0].InputOn = 0;
  Unpack();
  for (std::size_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(ScopeState().Ch1Samples()[i], 127) << i;
    ASSERT_EQ(ScopeState().Ch2Samples()[i], ch2[i]) << i;
  }

  // CH2 grounded: the ramp 0..255 repeated has mean 127 (127.5 dropped).
  Receive(ch1, ch2);
  ScopeState().Settings.Channels[0].InputOn = 1;
  ScopeState().Settings.Channels[1].InputOn = 0;
  Unpack();
  EXPECT_EQ(ScopeState().Ch2Samples()[0], 127);
  EXPECT_EQ(ScopeState().Ch2Samples()[4095], 127);
  EXPECT_EQ(ScopeState().Ch1Samples()[17], 127);
  EXPECT_EQ(ScopeState().Ch1Samples()[18], 128);

  // The calibration sees the real input.
  Receive(ch1, ch2);
  ScopeState().Calibrating = 1;
  Unpack();
  EXPECT_EQ(ScopeState().Ch2Samples()[5], 5);
}

TEST_F(UnpackTest, SpectrumModeFillsTheSpectrumInputAndLeavesBlockAndHistoryAlone) {
  ScopeState().ScopeSampleBlock.fill(3);
  const std::vector<std::uint8_t> ch1 = Ramp(5, 2), ch2 = Ramp(11, 7);
  Receive(ch1, ch2);
  ScopeState().SpectrumMode = 1;
  ScopeState().SettingsChanged = 1;
  ScopeState().WindowSkip = 0;
  ScopeState().FftSkip = 0;
  ScopeState().SmoothWeight = 0.05;
  Unpack();
  for (std::size_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(ScopeState().Ch1SpectrumInput()[i], ch1[i]);
    ASSERT_EQ(ScopeState().Ch2Spectrum()[i], ch2[i]);
  }
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 3);
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
  // A settings change restarts the spectrum smoothing.
  EXPECT_EQ(ScopeState().WindowSkip, 3);
  EXPECT_EQ(ScopeState().FftSkip, 2);
  EXPECT_DOUBLE_EQ(ScopeState().SmoothWeight, 0.5);
  EXPECT_DOUBLE_EQ(ScopeState().SmoothKeep, 0.5);
}

TEST_F(UnpackTest, AveragingSkipsTheFirstCaptureThenShowsTheWholeNumberMeanOfTheRing) {
  ScopeState().AverageRing.fill(0);
  ScopeState().AveragingOn = 1;
  ScopeState().AverageRunning = 0;
  ScopeState().AverageLength = 4;
  ScopeState().AverageCount = 0;
  ScopeState().ScopeSampleBlock.fill(9);

  ReceiveFlat(101, 51);
  Unpack();  // not stored, not shown
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 9);
  EXPECT_EQ(ScopeState().AverageRunning, 1);
  EXPECT_EQ(ScopeState().AverageCount, 0);

  ReceiveFlat(103, 50);
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[100], 103 / 4);  // empty slots hold 0
  EXPECT_EQ(ScopeState().Ch2Samples()[100], 50 / 4);
  EXPECT_EQ(ScopeState().AverageCount, 1);

  for (std::uint8_t v : {105, 107, 109}) {
    ReceiveFlat(v, 50);
    Unpack();
  }
  // Four slots written: 103 is gone, the ring wrapped to slot 0.
  EXPECT_EQ(ScopeState().AverageCount, 0);
  EXPECT_EQ(ScopeState().Ch1Samples()[4095], (105 + 107 + 109 + 103) / 4);
  ReceiveFlat(111, 50);
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[4095], (111 + 105 + 107 + 109) / 4);

  // During an autoset the capture is shown as it is.
  ScopeState().AutosetRunning = 1;
  ReceiveFlat(200, 50);
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 200);
  ScopeState().AutosetRunning = 0;
}

TEST_F(UnpackTest, HistoryStoresEachCaptureAndWrapsAfterSlotHistoryLength) {
  HistoryState().HistoryLength = 1000;
  HistoryState().HistoryIndex = 999;
  for (std::uint8_t v : {31, 32, 33}) {
    ReceiveFlat(v, static_cast<std::uint8_t>(v + 100));
    Unpack();
  }
  // CH2 first, CH1 from entry 4096.
  EXPECT_EQ(HistorySample(HistoryState(), 999, 0), 131);
  EXPECT_EQ(HistorySample(HistoryState(), 999, 4096), 31);
  EXPECT_EQ(HistorySample(HistoryState(), 1000, 4096), 32);  // the 1001st slot
  EXPECT_EQ(HistorySample(HistoryState(), 0, 4096), 33);     // then back to the start
  EXPECT_EQ(HistorySample(HistoryState(), 0, 8191), 33);
  EXPECT_EQ(HistoryState().HistoryIndex, 1);
  EXPECT_EQ(HistoryState().HistoryViewIndex, 0);

  // A caller skips exactly one capture by clearing the flag.
  HistoryState().HistoryStoreOn = 0;
  ReceiveFlat(40, 40);
  Unpack();
  EXPECT_EQ(HistoryState().HistoryIndex, 1);
  EXPECT_EQ(HistoryState().HistoryStoreOn, 1);
  ReceiveFlat(41, 41);
  Unpack();
  EXPECT_EQ(HistorySample(HistoryState(), 1, 4096), 41);
  EXPECT_EQ(HistoryState().HistoryIndex, 2);
}

TEST_F(UnpackTest, BitViewExpandsEachByteIntoEightLogicSamplesFromTheCopy) {
  // Distinct bytes: expanding in place would read samples it already overwrote.
  const std::vector<std::uint8_t> ch1 = Ramp(37, 5), ch2 = Ramp(91, 3);
  Receive(ch1, ch2);
  ScopeState().Settings.DigitalMode = 1;
  ScopeState().CaptureStart = 1014;  // the first expanded sample is 1024
  Unpack();
  for (std::size_t k = 0; k < 384; ++k) {
    for (std::size_t b = 0; b < 8; ++b) {
      const std::size_t j = 1024 + 8 * k + b;
      ASSERT_EQ(ScopeState().Ch2Samples()[j], 32 + 64 * ((ch2[1024 + k] >> b) & 1)) << j;
      ASSERT_EQ(ScopeState().Ch1Samples()[j], 160 + 64 * ((ch1[1024 + k] >> b) & 1)) << j;
    }
  }
  EXPECT_EQ(ScopeState().SampleCopy[1030], ch2[1030]);  // the copy keeps the raw capture

  // Near the end of the record only the samples left are expanded.
  Receive(ch1, ch2);
  ScopeState().CaptureStart = 4080;  // samples 4090..4095
  ScopeState().ScopeSampleBlock[kSampleBlockEntries - 1] = 66;
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[1071], 160 + 64 * ((ch1[4095] >> 7) & 1));
  for (std::size_t j = 1072; j < 4096; ++j) {
    ASSERT_EQ(ScopeState().Ch1Samples()[j], 0) << j;
    ASSERT_EQ(ScopeState().Ch2Samples()[j], 0) << j;
  }
  EXPECT_EQ(ScopeState().Ch2Samples()[1023], ch2[1023]);  // before the expansion: as captured
  EXPECT_EQ(ScopeState().ScopeSampleBlock[kSampleBlockEntries - 1], 66);
}

TEST_F(UnpackTest, NoiseRejectShowsOnlyCapturesWhoseEdgeGoesTheTriggersWay) {
  ScopeState().NoiseRejectOn = 1;
  ScopeState().SingleStop = 1;  // in Run
  ScopeState().Settings.TriggerOff = 0;
  ScopeState().Settings.TriggerSource = 16;
  ScopeState().Settings.TriggerSlope = 32;  // rising
  ScopeState().CaptureCount = 0;
  ScopeState().NoiseRejectSlope = 0;
  ScopeState().NoiseRejectReadPage = ScopeState().NoiseRejectWritePage = 0;

  // A rising edge at the trigger point is accepted and shown.
  std::vector<std::uint8_t> rising(4096, 100);
  for (std::size_t i = 1025; i < 4096; ++i) rising[i] = 150;
  Receive(rising, std::vector<std::uint8_t>(4096, 7));
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[1024], 100);
  EXPECT_EQ(ScopeState().Ch1Samples()[1025], 150);
  EXPECT_EQ(ScopeState().CaptureCount, 1);

  // A flat capture (A = B) is rejected: an accepted page is shown instead.
  ReceiveFlat(60, 8);
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[1025], 150);
  EXPECT_EQ(ScopeState().Ch2Samples()[0], 7);
  EXPECT_EQ(ScopeState().CaptureCount, 1);

  // The external trigger takes the normal route.
  ScopeState().Settings.TriggerSource = 1;
  ReceiveFlat(60, 8);
  Unpack();
  EXPECT_EQ(ScopeState().Ch1Samples()[1025], 60);
}

// ---- Spectrum helpers

void SetMagnitude(int bin, int slot, float m) {
  std::memcpy(ScopeState().FftAverageBlock + (static_cast<std::size_t>(bin) * 8 + static_cast<std::size_t>(slot)) * 4, &m, 4);
}

TEST_F(UnpackTest, SpectrumAverageIsTheRmsOfTheEightStoredMagnitudesAsALevel) {
  for (int b = 0; b < 2048; ++b)
    for (int s = 0; s < 8; ++s) SetMagnitude(b, s, 0.0f);
  // rms 1000 -> level 64 x (2 + 3) = 320 -> display 110.
  for (int s = 0; s < 8; ++s) SetMagnitude(2047, s, 1000.0f);
  // Slots 2000, 0, ... : rms = 2000 / sqrt(8) = 707.1 -> level 310 -> display 100.
  SetMagnitude(5, 0, 2000.0f);
  ScopeState().Settings.Channels[0].On = 1;
  engine::average_fft(States());
  EXPECT_EQ(ScopeState().Ch1Samples()[4094], 110);
  EXPECT_EQ(ScopeState().Ch1Samples()[4095], 110);
  EXPECT_EQ(ScopeState().Ch1SpectrumLevels()[4095] & 0xFFFF, 320);
  EXPECT_EQ(ScopeState().Ch1Samples()[10], 100);
  // Nothing: level round(64 x (2 - 4)) = -128, display 0.
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 0);
  EXPECT_EQ(ScopeState().Ch1SpectrumLevels()[0] & 0xFFFF, 0x10000 - 128);

  ScopeState().Settings.Channels[0].On = 0;
  engine::average_fft(States());
  EXPECT_EQ(ScopeState().Ch2Samples()[4095], 110);
  EXPECT_EQ(ScopeState().SpectrumLevels[4095] & 0xFFFF, 320);
}

TEST_F(UnpackTest, MaximumHoldKeepsTheRunningMaximumSinceTheLastSettingsChange) {
  ScopeState().FftAverageOn = 0;
  ScopeState().ScopeSampleBlock.fill(50);
  ScopeState().SettingsChanged = 1;
  engine::refresh_fft(States());  // a change: the peak restarts
  engine::maximize_fft(States());
  EXPECT_EQ(ScopeState().Ch2Samples()[3], 50);

  ScopeState().SettingsChanged = 0;
  ScopeState().Ch2Samples()[3] = 80;
  engine::maximize_fft(States());
  engine::refresh_fft(States());
  ScopeState().Ch2Samples()[3] = 20;
  ScopeState().Ch1Samples()[3] = 20;
  engine::maximize_fft(States());
  EXPECT_EQ(ScopeState().Ch2Samples()[3], 80);
  EXPECT_EQ(ScopeState().Ch1Samples()[3], 50);
}

// The averaging ring and the Noise Reject pages have no initializer of their
// own: a fresh program state must still have them empty,
// or a program started again would average with the last run's captures.
TEST(ScopeStateReset, EmptiesTheArraysThatCarryNoInitializer) {
  ScopeState().AverageRing.fill(0xA5);
  ScopeState().NoiseRejectStage.fill(-7);
  for (auto& page : ScopeState().NoiseRejectPages) page.fill(9);
  ResetProgramState();
  const auto zero = [](const auto& a) { return std::all_of(a.begin(), a.end(), [](auto v) { return v == 0; }); };
  EXPECT_TRUE(zero(ScopeState().AverageRing));
  EXPECT_TRUE(zero(ScopeState().NoiseRejectStage));
  for (const auto& page : ScopeState().NoiseRejectPages) EXPECT_TRUE(zero(page));
  EXPECT_EQ(ScopeState().WindowSkip, 3);  // and the initialized values are back
}

}  // namespace
