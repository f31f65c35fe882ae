// The spectrum analyser, the math traces and the averaging as the user drives
// them: entering and leaving the spectrum view, the log axis and zoom, the
// FFT window and option menus, the math menu and button, and the "Average..."
// menu with the unpacker's ring.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "support/device_stream.h"
#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/history_state.h"
#include "display/spectrum.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "support/app_harness.h"
#include "support/program_states.h"

namespace {

using namespace engine;
using namespace display;

class SpectrumViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppHarness::Options options;
    options.ShowMainWindow = false;
    harness_ = std::make_unique<AppHarness>(options);
    Form1->Timer3->SetEnabled(false);
    Form1->Spectrum().Hamming1Click(Form1);
    ScopeState().AcquisitionIdle = 1;
    ScopeState().DemoMode = 0;
    // The axis outlives a window set; each test starts on the linear axis.
    ScopeState().LogFreqAxis = 0;
    DisplayState().SpectrumZoom = 8;
    DisplayState().SpectrumPoints = display::kFftPoints;
  }
  void TearDown() override { harness_.reset(); }

  // A cosine on bin 1024 of amplitude a into the spectrum input of a channel.
  static void SpectrumInput(int channel, int a) {
    const int pattern[4] = {a, 0, -a, 0};
    auto input = channel == 1 ? ScopeState().Ch1SpectrumInput() : ScopeState().Ch2Spectrum();
    for (int i = 0; i < 4096; ++i) input[static_cast<std::size_t>(i)] = 128 + pattern[i % 4];
  }

  static TColor LabelColor(TLabel* label) { return label->Font().Color; }

  std::unique_ptr<AppHarness> harness_;
};

TEST_F(SpectrumViewTest, EnteringWithBothChannelsShowsCh1AndLeavingRestoresTheScope) {
  for (std::size_t k = 0; k < kCaptureBytes; ++k) ScopeState().ScopeSampleBlock[k] = static_cast<std::int32_t>((k * 7) % 256);
  const std::vector<std::int32_t> timeSamples(ScopeState().ScopeSampleBlock.begin(), ScopeState().ScopeSampleBlock.begin() + kCaptureBytes);
  SpectrumInput(1, 10);
  SpectrumInput(2, 40);

  Form1->fft1->Click();
  EXPECT_EQ(ScopeState().SpectrumMode, 1);
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 1);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 0);
  // CH1's spectrum is in its sample array: the cosine's bin at display level 194
  // (Hamming: level 404), the levels beside it in the level array.
  EXPECT_EQ(ScopeState().Ch1Samples()[2048], 194);
  EXPECT_EQ(ScopeState().Ch1Samples()[2049], 194);
  EXPECT_EQ(display::LevelOf(ScopeState().Ch1SpectrumLevels()[2048]), 404);
  EXPECT_EQ(display::LevelOf(ScopeState().Ch1SpectrumLevels()[2046]), 380);
  for (TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form11)}) {
    auto* p = dynamic_cast<FrontPanelControls*>(form);
    auto* a = dynamic_cast<AnalysisControls*>(form);
    EXPECT_FALSE(p->CH2on->Down());
    EXPECT_TRUE(p->CH1on->Down());
    EXPECT_EQ(LabelColor(p->LabelCh2), 0x808080);
    EXPECT_TRUE(p->Freq_Range->Visible());
    EXPECT_FALSE(p->Time_div->Visible());
    EXPECT_TRUE(a->fft1->Down());
    EXPECT_FALSE(p->SpeedButton22->Down());
    EXPECT_FALSE(a->Averagesamples1->Enabled());
  }
  EXPECT_EQ(Form1->Caption(), "Spectrum Analyzer");
  EXPECT_EQ(Form11->Caption(), "Spectrum analyzer");
  EXPECT_EQ(Form1->ScrollBar2->Max(), 127);
  EXPECT_EQ(Form1->ScrollBar2->Position(), 0);
  EXPECT_EQ(HistoryState().HistoryStoreOn, 0);

  // Pressing it again changes nothing of the view.
  Form1->fft1->Click();
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 0);
  EXPECT_EQ(Form1->Caption(), "Spectrum Analyzer");

  Form1->SpeedButton22->Click();
  EXPECT_EQ(ScopeState().SpectrumMode, 0);
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 1);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);
  EXPECT_EQ(std::vector<std::int32_t>(ScopeState().ScopeSampleBlock.begin(), ScopeState().ScopeSampleBlock.begin() + kCaptureBytes),
            timeSamples);
  EXPECT_EQ(Form1->Caption(), "Darvik48");
  EXPECT_EQ(Form11->Caption(), "Darvik48");
  for (TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form11)}) {
    auto* p = dynamic_cast<FrontPanelControls*>(form);
    auto* a = dynamic_cast<AnalysisControls*>(form);
    EXPECT_TRUE(p->CH2on->Down());
    EXPECT_EQ(LabelColor(p->LabelCh2), DisplayState().Ch2Color);
    EXPECT_TRUE(p->Time_div->Visible());
    EXPECT_FALSE(p->Freq_Range->Visible());
    EXPECT_TRUE(p->SpeedButton22->Down());
    EXPECT_TRUE(a->Averagesamples1->Enabled());
  }
}

TEST_F(SpectrumViewTest, EnteringWithOnlyCh2OnShowsCh2sSpectrum) {
  Form1->CH1on->Click();  // CH1 off
  ASSERT_EQ(ScopeState().Settings.Channels[0].On, 0);
  SpectrumInput(2, 10);
  Form1->fft1->Click();
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 0);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);
  EXPECT_EQ(ScopeState().Ch2Samples()[2048], 194);
  EXPECT_EQ(display::LevelOf(ScopeState().SpectrumLevels[2048]), 404);
  EXPECT_TRUE(Form1->CH2on->Down());
  EXPECT_EQ(LabelColor(Form1->LabelCh2), DisplayState().Ch2Color);
  Form1->SpeedButton22->Click();
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 0);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);
}

TEST_F(SpectrumViewTest, LogAxisAndBackRestoresTheLinearLevelsZoomAndMarker) {
  // Outside spectrum mode "Log" only stays down.
  Form1->SpeedButtonLog->Click();
  EXPECT_EQ(ScopeState().LogFreqAxis, 0);
  EXPECT_TRUE(Form1->SpeedButtonLog->Down());
  Form1->SpeedButtonLin->Click();

  SpectrumInput(1, 30);
  Form1->fft1->Click();
  Form1->SpeedButtonZoom4->Click();
  EXPECT_EQ(DisplayState().SpectrumZoom, 4);
  const std::vector<std::int32_t> shown(ScopeState().Ch1Samples().begin(), ScopeState().Ch1Samples().end());
  const std::vector<std::int32_t> levels(ScopeState().Ch1SpectrumLevels().begin(), ScopeState().Ch1SpectrumLevels().end());
  DisplayState().FreqMarkerBin = 200;  // bin 100

  Form1->SpeedButtonLog->Click();
  EXPECT_EQ(ScopeState().LogFreqAxis, 1);
  EXPECT_EQ(DisplayState().SpectrumZoom, 3);
  EXPECT_EQ(DisplayState().SpectrumPoints, 2560);
  EXPECT_EQ(Form1->ScrollBar2->Max(), 70);
  EXPECT_EQ(DisplayState().FreqMarkerBin, 1107);
  EXPECT_TRUE(Form11->SpeedButtonLog->Down());
  const auto bins = display::LogAxisBins();
  for (std::size_t j = 0; j < 2560; ++j) {
    ASSERT_EQ(ScopeState().Ch1Samples()[j], shown[2 * bins[j]]) << j;
    ASSERT_EQ(display::LevelOf(ScopeState().Ch1SpectrumLevels()[j]), display::LevelOf(levels[2 * bins[j]])) << j;
  }
  // Pressing "Log" again changes nothing.
  Form1->SpeedButtonLog->Click();
  EXPECT_EQ(DisplayState().SpectrumZoom, 3);

  Form1->SpeedButtonLin->Click();
  EXPECT_EQ(ScopeState().LogFreqAxis, 0);
  EXPECT_EQ(DisplayState().SpectrumZoom, 4);
  EXPECT_EQ(DisplayState().SpectrumPoints, 4096);
  EXPECT_EQ(Form1->ScrollBar2->Max(), 127);
  EXPECT_EQ(DisplayState().FreqMarkerBin, 200);
  EXPECT_EQ(std::vector<std::int32_t>(ScopeState().Ch1Samples().begin(), ScopeState().Ch1Samples().end()), shown);
  EXPECT_EQ(std::vector<std::int32_t>(ScopeState().Ch1SpectrumLevels().begin(), ScopeState().Ch1SpectrumLevels().end()), levels);

  // Zoom x1 and x8 on both axes.
  Form1->SpeedButtonZoom1->Click();
  EXPECT_EQ(DisplayState().SpectrumZoom, 16);
  EXPECT_TRUE(Form11->SpeedButtonZoom1->Down());
  Form1->SpeedButtonLog->Click();
  EXPECT_EQ(DisplayState().SpectrumZoom, 10);
  Form1->SpeedButtonZoom8->Click();
  EXPECT_EQ(DisplayState().SpectrumZoom, 2);
}

// The rightmost grid column where the shown trace puts a pixel: the picture
// with it against the picture with it erased. Erasing leaves nothing behind
// (no earlier trace left over): the same as a freshly wiped picture.
int RightmostTraceColumn(TImage* image, const display::ScopeView& view) {
  const QImage drawn = image->Picture()->Image().copy();
  Form1->poisto();
  const QImage erased = image->Picture()->Image().copy();
  ScopeState().ClearPending = 1;
  Form1->putsataanko();
  EXPECT_TRUE(image->Picture()->Image() == erased);
  Form1->piirrot();
  for (int x = view.X0 + view.GridWidth; x >= view.X0; --x)
    for (int y = view.Y0; y <= view.Y0 + 256 * view.VScale; ++y)
      if (drawn.pixel(x, y) != erased.pixel(x, y)) return x;
  return -1;
}

// Zooming in and back out lands on the same spacing as before: x1 puts 255
// pairs of pixels (16 points, or 10 on the log axis, a pair), the finer steps
// run to the right grid line; on both pictures and both axes.
TEST_F(SpectrumViewTest, EveryZoomStepDrawsItsOwnWidthInBothDirections) {
  Form1->fft1->Click();
  Form1->GrSpeedButton1->Click();  // "Big Screen"
  ASSERT_TRUE(Form10->Visible());
  // Levels well above the floor at every point, so the trace shows everywhere.
  for (std::size_t i = 0; i < ScopeState().Ch1Samples().size(); ++i) ScopeState().Ch1Samples()[i] = static_cast<std::int32_t>(60 + (i * 13) % 90);
  ScopeState().ClearPending = 1;
  Form1->putsataanko();
  Form1->piirrot();
  TGrSpeedButton* const zooms[] = {Form1->SpeedButtonZoom1, Form1->SpeedButtonZoom2, Form1->SpeedButtonZoom4,
                                   Form1->SpeedButtonZoom8, Form1->SpeedButtonZoom4, Form1->SpeedButtonZoom2,
                                   Form1->SpeedButtonZoom1};
  for (TGrSpeedButton* axis : {Form1->SpeedButtonLin, Form1->SpeedButtonLog}) {
    axis->Click();
    for (TGrSpeedButton* zoom : zooms) {
      zoom->Click();
      const std::string step = axis->Caption() + " " + zoom->Caption();
      const bool x1 = zoom == Form1->SpeedButtonZoom1;
      EXPECT_EQ(RightmostTraceColumn(Form1->Image1, Form1->MainView), Form1->MainView.X0 + (x1 ? 508 : 650)) << step;
      EXPECT_EQ(RightmostTraceColumn(Form10->Image10, Form10->BigView), Form10->BigView.X0 + (x1 ? 508 : 950)) << step;
    }
  }
}

TEST_F(SpectrumViewTest, WindowChoiceRedrawsOnlyTheSpectrum) {
  // Scope mode: the stored window changes, the picture does not.
  for (std::size_t k = 0; k < kCaptureBytes; ++k) ScopeState().ScopeSampleBlock[k] = static_cast<std::int32_t>(100 + k % 50);
  Form1->piirrot();
  const QImage before = Form1->Image1->Picture()->Image().copy();
  Form1->Hanning1->Click();
  EXPECT_EQ(Form1->Image1->Picture()->Image(), before);
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(Form1), static_cast<AnalysisControls*>(Form11)}) {
    const auto items = a->WindowItems();
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->Checked(), i == 3) << i;
  }

  // Spectrum mode: the spectrum is taken again with the new window.
  SpectrumInput(1, 10);
  Form1->fft1->Click();
  EXPECT_EQ(ScopeState().Ch1Samples()[2046], 385 - 210);  // Hanning's neighbour of the bin
  Form1->Rectangle1->Click();
  EXPECT_EQ(ScopeState().Ch1Samples()[2046], 0);  // the rectangle leaks nothing into it
  EXPECT_EQ(ScopeState().Ch1Samples()[2048], 194);
  EXPECT_TRUE(Form11->Rectangle1->Checked());
  EXPECT_FALSE(Form11->Hanning1->Checked());
}

TEST_F(SpectrumViewTest, FftOptionsAreExclusiveAndVectorAveragingWarnsWithoutTrigger) {
  const std::string note =
      "Vector Averaging mode:\r\r- Triggering must ne set ON.\r\r- Vector Averaging eliminates random and "
      "uncorrelated noise from synchronous signals.\r- The signal of interest must be both periodic and phase "
      "synchronous with the trigger.";
  Form1->Average1->Click();
  EXPECT_EQ(ScopeState().FftAverageOn, 1);
  EXPECT_TRUE(Form11->Average1->Checked());
  ScopeState().SettingsChanged = 0;
  ScopeState().Settings.TriggerOff = 64;
  Form1->VectorAverage1->Click();
  EXPECT_EQ(ScopeState().FftVectorAverageOn, 1);
  EXPECT_EQ(ScopeState().FftAverageOn, 0);
  EXPECT_FALSE(Form1->Average1->Checked());
  EXPECT_FALSE(Form11->Average1->Checked());
  EXPECT_EQ(ScopeState().SettingsChanged, 1);
  ASSERT_EQ(harness_->Dialogs().CountMessages(note), 1);
  const auto* shown = harness_->Dialogs().FindMessage(note);
  EXPECT_EQ(shown->Kind, mtInformation);
  EXPECT_EQ(shown->X, Form1->Left() + 111);
  EXPECT_EQ(shown->Y, Form1->Top() + 160);
  // Off again: no message; on with the trigger on: none either.
  Form1->VectorAverage1->Click();
  EXPECT_EQ(ScopeState().FftVectorAverageOn, 0);
  ScopeState().Settings.TriggerOff = 0;
  Form1->VectorAverage1->Click();
  EXPECT_EQ(harness_->Dialogs().CountMessages(note), 1);
  Form1->Maximum1->Click();
  EXPECT_EQ(ScopeState().FftMaximumOn, 1);
  EXPECT_EQ(ScopeState().FftVectorAverageOn, 0);
  EXPECT_FALSE(Form11->VectorAverage1->Checked());
}

TEST_F(SpectrumViewTest, ProductMovesOffTheMagnifiedStepsAndTheButtonSwitchesTheDisplay) {
  Form1->SpeedButton01us->Click();
  ASSERT_TRUE(Form1->SpeedButton01us->Down());
  Form1->Multi->Click();
  EXPECT_EQ(DisplayState().MultiplyMode, 1);
  EXPECT_EQ(ScopeState().MathOff, 0);
  EXPECT_TRUE(Form1->SpeedButton05us->Down());
  for (TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form11)}) {
    auto* p = dynamic_cast<FrontPanelControls*>(form);
    auto* a = dynamic_cast<AnalysisControls*>(form);
    EXPECT_FALSE(p->SpeedButton02us->Enabled());
    EXPECT_FALSE(p->SpeedButton01us->Enabled());
    EXPECT_TRUE(p->SpeedButton21->Visible());
    EXPECT_TRUE(p->SpeedButton21->Down());
    EXPECT_EQ(p->SpeedButton21->Caption(), "CH1*CH2");
    EXPECT_TRUE(a->Multi->Checked());
  }
  // Another function replaces it.
  Form1->CH1CH22->Click();
  EXPECT_EQ(DisplayState().MultiplyMode, 0);
  EXPECT_EQ(DisplayState().Ch1MinusCh2Mode, 1);
  EXPECT_FALSE(Form11->Multi->Checked());
  EXPECT_EQ(Form11->SpeedButton21->Caption(), "CH1-CH2");

  // The button shows the plain traces while the function stays chosen.
  Form1->SpeedButton21->Click();
  EXPECT_EQ(ScopeState().MathOff, 1);
  EXPECT_EQ(DisplayState().Ch1MinusCh2Mode, 1);
  EXPECT_FALSE(Form11->SpeedButton21->Down());
  Form1->SpeedButton21->Click();
  EXPECT_EQ(ScopeState().MathOff, 0);

  // Off: the fastest steps come back.
  Form1->CH1CH22->Click();
  EXPECT_EQ(ScopeState().MathOff, 1);
  EXPECT_FALSE(Form1->SpeedButton21->Visible());
  EXPECT_TRUE(Form1->SpeedButton01us->Enabled());
}

TEST_F(SpectrumViewTest, XYAndInvertedCh2TakeTheirPensAndChannels) {
  Form1->XYplot1->Click();
  EXPECT_EQ(DisplayState().XYPlotMode, 1);
  EXPECT_FALSE(Form1->SpeedButtonCh1->Enabled());
  EXPECT_FALSE(Form11->SpeedButtonCh2->Enabled());
  EXPECT_EQ(Form1->SpeedButton21->Caption(), "XY Plot");

  Form1->CH2on->Click();  // CH2 hidden before inverting it
  Form1->InvertCH21->Click();
  EXPECT_EQ(DisplayState().XYPlotMode, 0);
  EXPECT_EQ(ScopeState().InvertCh2Mode, 1);
  EXPECT_TRUE(Form1->SpeedButtonCh1->Enabled());
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);  // both channels switched on
  EXPECT_EQ(DisplayState().Ch2PenColor, DisplayState().Math2PenColor);
  EXPECT_EQ(LabelColor(Form1->LabelCh2), DisplayState().Math2Color);
  Form1->InvertCH21->Click();
  EXPECT_EQ(DisplayState().Ch2PenColor, DisplayState().Ch2XorColor);
  EXPECT_EQ(LabelColor(Form11->LabelCh2), DisplayState().Ch2Color);
}

TEST_F(SpectrumViewTest, SpectrumModeReleasesTheMathDisplay) {
  Form1->CH1CH21->Click();
  ASSERT_EQ(ScopeState().MathOff, 0);
  Form1->fft1->Click();
  EXPECT_EQ(ScopeState().MathOff, 1);
  EXPECT_FALSE(Form1->SpeedButton21->Down());
  EXPECT_FALSE(Form1->SpeedButton21->Enabled());
  EXPECT_FALSE(Form1->CH1CH21->Enabled());
  Form1->SpeedButton22->Click();
  EXPECT_TRUE(Form1->SpeedButton21->Enabled());
  EXPECT_TRUE(Form11->CH1CH21->Enabled());
}

// ---------------------------------------------------------------- averaging

class AveragingMenuTest : public SpectrumViewTest {
 protected:
  void SetUp() override {
    SpectrumViewTest::SetUp();
    HistoryState().HistoryStoreOn = 1;
    ScopeState().AverageRing.fill(0);
  }
  static void Receive(std::uint8_t ch1, std::uint8_t ch2) {
    const std::vector<std::uint8_t> a(4096, ch1), b(4096, ch2);
    const std::vector<std::uint8_t> raw = SimulatedDarvik48::PackCapture(a, b);
    UnpackAsDeviceCapture(std::span<const std::uint8_t, display::kCaptureBytes>(raw.data(), display::kCaptureBytes));
  }
  static void ExpectChecked(std::size_t index) {
    for (AnalysisControls* a : {static_cast<AnalysisControls*>(Form1), static_cast<AnalysisControls*>(Form11)}) {
      const auto items = a->AverageItems();
      for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->Checked(), i == index) << i;
    }
  }
};

TEST_F(AveragingMenuTest, TwoCapturesShowTheirWholeNumberMean) {
  Form1->N21->Click();
  ExpectChecked(1);
  EXPECT_EQ(ScopeState().AverageLength, 2);
  Receive(100, 7);
  Receive(51, 10);
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 75);  // (100 + 51) / 2
  EXPECT_EQ(ScopeState().Ch2Samples()[4095], 8);  // (7 + 10) / 2
  Receive(60, 10);
  EXPECT_EQ(ScopeState().Ch1Samples()[100], 55);  // the oldest left the ring
}

TEST_F(AveragingMenuTest, OffShowsCapturesAsTheyComeAndKeepsLengthFour) {
  Form1->N81->Click();
  Receive(80, 80);
  Form1->Off1->Click();
  ExpectChecked(0);
  EXPECT_EQ(ScopeState().AveragingOn, 0);
  EXPECT_EQ(ScopeState().AverageLength, 4);
  EXPECT_EQ(ScopeState().AverageCount, 0);
  Receive(33, 44);
  EXPECT_EQ(ScopeState().Ch1Samples()[10], 33);
  EXPECT_EQ(ScopeState().Ch2Samples()[10], 44);
}

TEST_F(AveragingMenuTest, ShorterLengthRestartsAtSlotZeroWithTheOlderSlotsInTheMean) {
  Form1->N1281->Click();
  for (int i = 0; i < 4; ++i) Receive(200, 200);  // slots 0..3
  Form1->N41->Click();
  ExpectChecked(2);
  EXPECT_EQ(ScopeState().AverageCount, 0);
  Receive(100, 100);  // slot 0; slots 1..3 still hold 200
  EXPECT_EQ(ScopeState().Ch1Samples()[0], (100 + 3 * 200) / 4);
  Receive(100, 100);
  Receive(100, 100);
  EXPECT_EQ(ScopeState().Ch1Samples()[0], (3 * 100 + 200) / 4);
  Receive(100, 100);
  EXPECT_EQ(ScopeState().Ch1Samples()[0], 100);
}

}  // namespace
