// The "Waveform Parameters" window on the running program: the values it
// lists for both channels, its report, the list on the scope picture, and
// the annotation that takes the report.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/add_text.h"
#include "display/annotation.h"
#include "engine/markers/markers_controller.h"
#include "engine/measurement_window.h"
#include "display/picture_fixture.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

class MeasurementWindowTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    ScopeState().Settings.Channels[0].GainCode = ScopeState().Settings.Channels[1].GainCode = 27;
    ScopeState().Channels[0].ProbeFactor = ScopeState().Channels[1].ProbeFactor = 1;
    ScopeState().Channels[0].GroundLevel = ScopeState().Channels[1].GroundLevel = 128;  // ground code 127
    ScopeState().Channels[0].FileGround = display::kNoFileGround;
    ScopeState().Settings.TimeBaseCode = 82;
    ScopeState().TimePerDiv = 100000;
    // Sines of +-2 V with a period of 100 samples (0.8 ms at 125 kS/s), CH2 a
    // quarter period later.
    FillCh1([](int i) { return 127 + static_cast<int>(std::lround(64 * std::sin(2 * M_PI * i / 100))); });
    FillCh2([](int i) { return 127 + static_cast<int>(std::lround(64 * std::sin(2 * M_PI * (i - 25) / 100))); });
    ASSERT_NE(Form_99, nullptr);
    Form1->Markers().MoreData1Click(nullptr);  // View "Waveform Parameters..."
  }
  std::string Cell(int col, int row) { return Form_99->StringGrid1->Cells(col, row); }
  std::vector<std::string> Report() {
    Form_99->CopyClick(nullptr);
    return Form_99->Memo1->Lines().Lines();
  }
};

TEST_F(MeasurementWindowTest, ListsTheChosenValuesOfBothChannels) {
  ASSERT_TRUE(Form_99->Visible());
  EXPECT_TRUE(Form1->MoreData1->Checked());
  // Nothing chosen yet: the value columns are blank.
  EXPECT_EQ(Cell(1, display::kRowPeakToPeak), "");

  Form_99->CH1on->Click();  // "Select All"
  EXPECT_EQ(Cell(1, display::kRowPeakToPeak), "4.00 V");
  EXPECT_EQ(Cell(1, display::kRowFrequency), "1.25 kHz");
  EXPECT_EQ(Cell(2, display::kRowPeakToPeak), "4.00 V");
  EXPECT_EQ(Cell(2, display::kRowPeriod), "0.800 ms");
  // CH2 lags a quarter period: +90 in column 1, -90 in column 2.
  EXPECT_EQ(Cell(1, display::kRowPhase), "90.0 deg");
  EXPECT_EQ(Cell(2, display::kRowPhase), "-90.0 deg");
  // The same signal on both channels: zero in both columns.
  FillCh2([](int i) { return 127 + static_cast<int>(std::lround(64 * std::sin(2 * M_PI * i / 100))); });
  Form_99->CH1on->Click();
  EXPECT_EQ(Cell(1, display::kRowPhase), "0.0 deg");
  EXPECT_EQ(Cell(2, display::kRowPhase), "0.0 deg");

  // Unchecking CH1 clears its column, phase included.
  Form_99->CH1M->Click();
  for (int row = 1; row <= display::kRowPhase; ++row) EXPECT_EQ(Cell(1, row), "") << row;
  EXPECT_EQ(Cell(2, display::kRowPeakToPeak), "4.00 V");

  // "Unselect All" blanks every row again.
  Form_99->CH1M->Click();
  Form_99->GrSpeedButton2->Click();
  for (int row = 1; row <= display::kRowPhase; ++row) {
    EXPECT_EQ(Cell(1, row), "") << row;
    EXPECT_EQ(Cell(2, row), "") << row;
  }
}

TEST_F(MeasurementWindowTest, ReportIsTabSeparatedInTableOrder) {
  Form_99->RowBoxes[display::kRowFrequency]->Click();
  Form_99->RowBoxes[display::kRowMax]->Click();
  EXPECT_EQ(Report(), (std::vector<std::string>{" \tCH1\tCH2", "Max:\t2.00 V\t2.00 V", "Frequency:\t1.25 kHz\t1.25 kHz"}));

  Form_99->CH1M->Click();
  EXPECT_EQ(Report(), (std::vector<std::string>{" \tCH2", "Max:\t2.00 V", "Frequency:\t1.25 kHz"}));
  Form_99->CH2M->Click();
  EXPECT_TRUE(Report().empty());  // no channel
  Form_99->CH1M->Click();
  EXPECT_EQ(Report().front(), " \tCH1");
  Form_99->Close();
  EXPECT_TRUE(Report().empty());  // hidden window
}

TEST_F(MeasurementWindowTest, ShowOnScreenPrintsTheListUntilTheWindowCloses) {
  Form_99->RowBoxes[display::kRowPeakToPeak]->Click();
  const QImage plain = Picture();
  Form_99->CheckBox22->Click();  // "Show on Screen"
  EXPECT_TRUE(ScopeState().ParametersOnScreen);
  const QImage listed = Picture();
  // The list sits from x = 470, y = 22: something is printed there now.
  int changed = 0;
  for (int y = 22; y < 22 + 2 * display::kNoteLinePitch; ++y)
    for (int x = 470; x < 690; ++x) changed += plain.pixel(x, y) != listed.pixel(x, y);
  EXPECT_GT(changed, 50);

  Form_99->Close();
  EXPECT_FALSE(ScopeState().ParametersOnScreen);
  EXPECT_FALSE(Form_99->CheckBox22->Checked());
  EXPECT_EQ(DifferentPixels(plain, Picture()), 0);
}

TEST_F(MeasurementWindowTest, AnnotationTakesTheReport) {
  Form_99->RowBoxes[display::kRowMax]->Click();
  ASSERT_TRUE(Form_9->Parameters->Enabled());
  Form_9->Parameters->Click();  // "Get Waveform Parameters"
  EXPECT_EQ(Form_9->Memo1->Lines().Lines(), (std::vector<std::string>{" \tCH1\tCH2", "Max:\t2.00 V\t2.00 V"}));
  EXPECT_TRUE(ScopeState().ScopeNoteShown);
  EXPECT_TRUE(Form_9->Button2->Enabled());
  EXPECT_TRUE(Form_9->HintLabel->Visible());
  Form_9->Button2->Click();  // "Remove"
  EXPECT_FALSE(ScopeState().ScopeNoteShown);
  EXPECT_FALSE(Form_9->Button2->Enabled());
}

TEST(AnnotationLayout, TabbedLinesLandInTheirColumns) {
  using display::PlacedText;
  const std::vector<std::string> lines = {"Probe A", "Max:\t2.00 V\t1.00 V", "Min:\t-2.00 V"};
  auto places = [](const std::vector<PlacedText>& t) {
    std::vector<std::string> out;
    for (const PlacedText& p : t) out.push_back(p.Text + "@" + std::to_string(p.X) + "," + std::to_string(p.Y));
    return out;
  };
  // Both channels: fields at x, x + 80, x + 140; lines 13 pixels apart. A
  // line with one TAB has an empty second field and its rest at x + 140.
  EXPECT_EQ(places(display::AnnotationLayout(lines, 100, 50, true)),
            (std::vector<std::string>{"Probe A@100,50", "Max:@100,63", "2.00 V@180,63", "1.00 V@240,63",
                                      "Min:@100,76", "-2.00 V@240,76"}));
  // One channel: the rest at x + 80.
  EXPECT_EQ(places(display::AnnotationLayout({"Min:\t-2.00 V"}, 100, 50, false)),
            (std::vector<std::string>{"Min:@100,50", "-2.00 V@180,50"}));
  // The list on the picture: label at 470, values at +70 and +130 in the
  // channel colours; lines without a TAB left out.
  const auto list = display::ParameterListLayout({" \tCH1\tCH2", "no tab", "Max:\t2.00 V\t1.00 V"}, 470, true, true);
  EXPECT_EQ(places(list), (std::vector<std::string>{" @470,22", "CH1@540,22", "CH2@600,22", "Max:@470,35",
                                                    "2.00 V@540,35", "1.00 V@600,35"}));
  EXPECT_EQ(list[4].Colour, display::NoteColour::Ch1);
  EXPECT_EQ(list[5].Colour, display::NoteColour::Ch2);
  const auto ch2only = display::ParameterListLayout({"Max:\t1.00 V"}, 470, false, true);
  ASSERT_EQ(ch2only.size(), 2u);
  EXPECT_EQ(ch2only[1].Colour, display::NoteColour::Ch2);
  EXPECT_EQ(ch2only[1].X, 540);
}

}  // namespace
