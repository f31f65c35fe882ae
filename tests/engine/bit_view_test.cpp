// The bit view button "10110010": what goes to the device, what the picture
// shows, and the way back to the plain traces.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "display/display_state.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "device_fixture.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

class BitViewTest : public StartupTest {
 protected:
  bool DevicePresent() const override { return true; }
  void SetUp() override {
    StartupTest::SetUp();
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  }

  // Pixels of the top text line, where the bit view's notice is printed.
  int NoticePixels() const {
    const QImage picture = Form1->Image1->Picture()->Image();
    int n = 0;
    for (int y = 3; y < ScopeState().ScreenY0 - 2; ++y)
      for (int x = ScopeState().ScreenX0 + 265; x < ScopeState().ScreenX0 + 440; ++x)
        n += picture.pixel(x, y) == ToQRgb(0x0000FF);
    return n;
  }
  // The notice on the picture is this text: printed again in the background
  // colour it leaves no red behind.
  bool NoticeReads(const std::string& text) {
    if (NoticePixels() < 20) return false;
    Form1->TulostaTeksti(text, ScopeState().ScreenX0 + 265, 3, DisplayState().BackgroundColor);
    const bool gone = NoticePixels() == 0;
    Form1->TulostaTeksti(text, ScopeState().ScreenX0 + 265, 3, 0x0000FF);
    return gone;
  }
};

TEST_F(BitViewTest, ShowsEachCapturedByteAsEightLogicLevelsAndBack) {
  WriteIni("[Menu]\nHWdialog=0\n");
  StartAndRun();
  ASSERT_TRUE(Driver().IsOpen());
  // 0xB2 = 10110010 on CH1, 0x0F on CH2.
  Device().SetSamples(std::vector<std::uint8_t>(4096, 0xB2), std::vector<std::uint8_t>(4096, 0x0F));
  ScopeState().AveragingOn = ScopeState().AverageRunning = 1;
  ASSERT_NE(Form1->GrSpeedButton15, nullptr);
  EXPECT_EQ(Form1->GrSpeedButton15->Caption(), "10110010");
  EXPECT_TRUE(Form1->GrSpeedButton15->Visible());
  EXPECT_EQ(NoticePixels(), 0);

  Form1->GrSpeedButton15->Click();
  ASSERT_TRUE(Form1->GrSpeedButton15->Down());
  // The device is told to send bits, the time base applied again.
  ASSERT_TRUE(Device().LastSettings().has_value());
  EXPECT_TRUE(Device().LastSettings()->BitView());
  EXPECT_EQ(ScopeState().Settings.DigitalMode, 1);
  EXPECT_EQ(DisplayState().InterpolationChoice, 1);
  EXPECT_TRUE(Form1->SpeedButton005us->Down());
  EXPECT_EQ(ScopeState().AveragingOn, 0);
  EXPECT_EQ(ScopeState().AverageRunning, 0);
  EXPECT_EQ(ScopeState().AverageLength, 4);
  // "Digital function is active" in red on the top line.
  EXPECT_TRUE(NoticeReads("Digital function is active"));

  Form1->SingleClick();
  // Bit 0 first: CH1 in the upper half (160 / 224), CH2 in the lower (32 / 96).
  const std::vector<int> ch1{160, 224, 160, 160, 224, 224, 160, 224};
  const std::vector<int> ch2{96, 96, 96, 96, 32, 32, 32, 32};
  for (std::size_t k = 0; k < 8 * 300; ++k) {
    ASSERT_EQ(ScopeState().Ch1Samples()[1024 + k], ch1[k % 8]) << k;
    ASSERT_EQ(ScopeState().Ch2Samples()[1024 + k], ch2[k % 8]) << k;
  }
  // The picture holds the CH1 trace on its two logic rows.
  const QImage picture = Form1->Image1->Picture()->Image();
  auto onRow = [&](int code) {
    int n = 0;
    for (int x = ScopeState().ScreenX0; x <= ScopeState().ScreenX0 + 650; ++x)
      n += picture.pixel(x, ScopeState().ScreenY0 + 255 - code) == ToQRgb(DisplayState().Ch1Color);
    return n;
  };
  EXPECT_GT(onRow(224), 100);
  EXPECT_GT(onRow(160), 100);

  // Released: plain samples, no bits on the wire, no notice.
  Form1->GrSpeedButton15->Click();
  EXPECT_FALSE(Form1->GrSpeedButton15->Down());
  EXPECT_EQ(ScopeState().Settings.DigitalMode, 0);
  EXPECT_FALSE(Device().LastSettings()->BitView());
  EXPECT_EQ(NoticePixels(), 0);
  Form1->SingleClick();
  EXPECT_EQ(ScopeState().Ch1Samples()[1100], 0xB2);
  EXPECT_TRUE(Device().ProtocolErrors().empty());
}

TEST_F(BitViewTest, InDemoModeTheNoticeSaysItIsNotSupported) {
  WriteIni("[Hardware]\nDemoMode=1\n");
  StartAndRun();
  Form1->GrSpeedButton15->Click();
  EXPECT_EQ(ScopeState().Settings.DigitalMode, 1);
  EXPECT_TRUE(NoticeReads("Not supported in Demo Mode"));
  EXPECT_TRUE(Device().Transfers().empty());
}

}  // namespace
