// The pictures a fixed series of captures leaves, in the main display modes,
// pixel for pixel: checksums of the drawn pictures, of the picture as the
// window paints it, and of the Big Screen's. The sums were taken from an
// earlier build of the program; any change to how a picture is made must
// leave every one of them as it is.
#include <array>
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "support/device_stream.h"
#include "engine/big_screen.h"
#include "widgets/gr_speed_button.h"
#include "display/display_state.h"
#include "engine/main_form.h"
#include "engine/persistence/persistence_controller.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

// FNV-1a over the colour bytes of every pixel.
std::uint64_t Checksum(const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  std::uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      std::uint32_t v = row[x] & 0xFFFFFFu;
      for (int b = 0; b < 3; ++b, v >>= 8) h = (h ^ (v & 0xFF)) * 1099511628211ull;
    }
  }
  return h;
}

// Capture n as the device sends it: (CH2, CH1) byte pairs rotated by 63
// bytes. Two sines that clip now and then, moving from capture to capture.
std::array<std::uint8_t, display::kCaptureBytes> PackCapture(int n) {
  using namespace engine;
  std::array<std::uint8_t, display::kCaptureBytes> stream{};
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    const double t = static_cast<double>(i) + 37.0 * n;
    const int ch1 = static_cast<int>(std::lround(128 + 140 * std::sin(t * 0.013)));
    const int ch2 = static_cast<int>(std::lround(128 + 90 * std::sin(t * 0.041 + 1.0) + (i * 7919 % 5) - 2));
    const std::uint8_t pair[2] = {static_cast<std::uint8_t>(std::clamp(ch1, 0, 255)),
                                  static_cast<std::uint8_t>(std::clamp(ch2, 0, 255))};
    for (std::size_t b = 0; b < 2; ++b)
      stream[(2 * i + b + kUsbRxBufferSize - 63) % kUsbRxBufferSize] = pair[b];
  }
  return stream;
}

void PressTimeBase(const std::string& label) {
  for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i)
    if (engine::TimeBaseTable[i].Button && label == engine::TimeBaseTable[i].Label) Form1->TimeBaseStepClick(i);
}

// Unpacks capture n as the device's capture would be, then draws it as a
// single capture does.
void TakeCapture(int n) {
  UnpackAsDeviceCapture(PackCapture(n));
  ScopeState().ScopeFileReplay = 1;
  Form1->SingleClick();
  ScopeState().ScopeFileReplay = 0;
  QApplication::processEvents();
}

QImage Painted(TControl* control) { return control->Widget()->grab().toImage(); }

class PictureIdentityTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    ScopeState().DemoMode = 0;
    Form1->Show();
    QApplication::processEvents();
  }
};

TEST_F(PictureIdentityTest, FixedCapturesDrawTheSamePicturesInEveryMode) {
  struct Case {
    const char* name;
    std::function<void()> setUp;
    bool bigScreen;
    std::uint64_t drawn, painted, big;  // 0: no Big Screen
  };
  const Case cases[] = {
      {"1 ms/div", [] { PressTimeBase("1ms"); }, false, 16695648122282442880u, 11400164594649441708u, 0u},
      {"0.1 us/div, sine", [] { DisplayState().InterpolationChoice = 0; PressTimeBase("0.1us"); }, false, 10505631686744518624u, 774143079854592789u, 0u},
      {"0.1 us/div, linear", [] { DisplayState().InterpolationChoice = 1; PressTimeBase("0.1us"); }, false, 16603691104034096736u, 11401914270952095825u, 0u},
      {"spectrum",
       [] {
         Form1->fft1->SetDown(true);
         Form1->fft1Click(Form1);
       },
       false, 10982848305927837088u, 5520955371280978767u, 0u},
      {"graded persistence",
       [] {
         PressTimeBase("1ms");
         Form1->PersistencewithIntensityGrading1Click(Form1);
         Form1->SpeedButton23->SetDown(true);
         Form1->Persistence().SpeedButton23Click(Form1);
       },
       false, 15764052033044026676u, 232258298729733044u, 0u},
      {"Big Screen", [] { PressTimeBase("1ms"); Form1->GrSpeedButton1->Click(); }, true, 12881703265518774304u, 4060196357901714731u, 10765653183875033472u},
  };
  for (const Case& c : cases) {
    if (&c != cases) {
      TearDown();
      SetUp();
    }
    c.setUp();
    std::uint64_t drawn = 0, big = 0;
    for (int n = 0; n < 6; ++n) {
      TakeCapture(n);
      drawn = drawn * 31 + Checksum(Form1->Image1->Picture()->Image());
      if (c.bigScreen) big = big * 31 + Checksum(Form10->Image10->Picture()->Image());
    }
    const std::uint64_t painted = Checksum(Painted(Form1->Image1));
    EXPECT_EQ(drawn, c.drawn) << c.name;
    EXPECT_EQ(painted, c.painted) << c.name;
    if (c.bigScreen) {
      EXPECT_EQ(big, c.big) << c.name;
    }
  }
}

TEST_F(PictureIdentityTest, EveryTimeBaseDrawsTheSameTraces) {
  // Each time base steps through the samples by its own amount (whole,
  // half or fractional samples per point): two captures at each, in turn.
  std::uint64_t drawn = 0;
  int bases = 0;
  for (int interpolation : {0, 1}) {
    DisplayState().InterpolationChoice = interpolation;
    for (const auto& base : engine::TimeBaseTable) {
      if (!base.Button) continue;
      ++bases;
      PressTimeBase(base.Label);
      for (int n = 0; n < 2; ++n) {
        TakeCapture(n);
        drawn = drawn * 31 + Checksum(Form1->Image1->Picture()->Image());
      }
    }
  }
  EXPECT_GT(bases, 40);
  EXPECT_EQ(drawn, 3271873396235467008u);
}

TEST_F(PictureIdentityTest, SkinnedButtonsPaintTheSameFacesUpAndDown) {
  TGrSpeedButton* buttons[] = {Form1->SpeedButton25, Form1->SpeedButton26, Form1->GrSpeedButton1};
  std::uint64_t sum = 0;
  for (TGrSpeedButton* b : buttons) {
    for (bool down : {false, true, false}) {
      b->SetDown(down);
      sum = sum * 31 + Checksum(Painted(b));
    }
  }
  EXPECT_EQ(sum, 10782791777360251445u);
}

}  // namespace
