// The Bode plotter's options as a user meets them: automatic voltage scale,
// multiple traces, the step and wait dialogs, the audio range and the hints.
#include <gtest/gtest.h>

#include <cmath>

#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/wait_time_dialog.h"
#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/generator_form.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

std::vector<std::string> Field(int index) {
  std::vector<std::string> out;
  const std::vector<std::string>& lines = Bode_plot->Memo1->Lines().Lines();
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string rest = lines[i];
    for (int k = 0; k < index; ++k) rest = rest.substr(rest.find('\t') + 1);
    out.push_back(rest.substr(0, rest.find('\t')));
  }
  return out;
}

void Sweep() { Bode_plot->SpeedButton1->Click(); }

// 100 kHz .. 1 MHz: ten points.
void ShortRange() {
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();
}

class BodeOptionsTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    BodeState().NoScope = 1;
  }
  void TearDown() override {
    BodeState().NoScope = 0;
    HeldStartupTest::TearDown();
  }
};

TEST_F(BodeOptionsTest, MultipleTracesCycleTheirColoursAndClearLastTakesTheNewest) {
  Form1->RangeCodeClick(1, 1);  // 3 V/div: the 2 V reading sits a third up the plot
  ShortRange();
  Bode_plot->MultipleTraces1->Click();
  EXPECT_TRUE(Bode_plot->SpeedButton4->Visible());
  Sweep();
  Sweep();
  EXPECT_EQ(Bode_plot->Memo1->Lines().Count(), 22);
  const int x = 15 + static_cast<int>(std::lround(std::log10(5.0) * 500));  // the 500 kHz point
  const TCanvas* c = Bode_plot->Image1->Canvas();
  EXPECT_EQ(c->Pixels(x, 15 + 180), bode::kDefaultBodeTraceColors[1]) << "the second trace, drawn last";
  Bode_plot->SpeedButton5->Click();
  EXPECT_EQ(Bode_plot->Memo1->Lines().Count(), 11);
  EXPECT_EQ(c->Pixels(x, 15 + 180), bode::kDefaultBodeTraceColors[0]);

  // A table of 100 traces: the next sweep starts the cycle again.
  TStrings& lines = Bode_plot->Memo1->Lines();
  lines.Clear();
  for (int i = 0; i < 100; ++i) {
    lines.Add(bode::HeaderLine(" Vrms"));
    lines.Add("100000\t2.000\t6.000");
  }
  Bode_plot->draw();
  EXPECT_EQ(Bode_plot->NextTraceColor, 0);
  Bode_plot->SpeedButton4->Click();
  EXPECT_EQ(lines.Count(), 0);
}

TEST_F(BodeOptionsTest, OctaveStepsFromTheFrequencyStepDialog) {
  Bode_plot->CheckBox1->Click();  // log steps off: the octave box can be ticked
  Bode_plot->CheckBox4->Click();
  EXPECT_FALSE(Bode_plot->CheckBox1->Checked());
  EXPECT_FALSE(Bode_plot->CheckBox1->Enabled());
  harness_->Dialogs().AnswerModal([](TForm&) {
    OKRightDlg_2->ComboBox1->SetItemIndex(2);
    OKRightDlg_2->ComboBox1Change(OKRightDlg_2->ComboBox1);
    return static_cast<int>(mrOk);
  });
  Bode_plot->FrequencyStep1->Click();
  EXPECT_EQ(OKRightDlg_2->ComboBox1->Items().Count(), 5);
  EXPECT_EQ(Bode_plot->CheckBox4->Caption(), "1/12 Octave Freq. Steps");
  ShortRange();
  Sweep();
  const std::vector<std::string> hz = Field(0);
  ASSERT_EQ(hz.size(), 41u);  // 40 steps of 10^(1/40) and the start
  EXPECT_EQ(hz[1], "105925");
  EXPECT_EQ(hz.back(), "1000000");

  // Back in percentage mode the list shows the percentages, preset to the current step.
  BodeState().BodeOctaveRatio = bode::OctaveRatioOfItem(4);
  Bode_plot->FrequencyStep1->Click();
  EXPECT_EQ(OKRightDlg_2->ComboBox1->Text(), "1/48 octave");
  Bode_plot->CheckBox4->Click();
  EXPECT_TRUE(Bode_plot->CheckBox1->Enabled());
  EXPECT_EQ(OKRightDlg_2->ComboBox1->Items().Count(), 9);
  EXPECT_EQ(OKRightDlg_2->ComboBox1->Text(), "100%");
}

TEST_F(BodeOptionsTest, WaitTimeZeroEndsAWaitAtOnce) {
  harness_->Dialogs().AnswerModal([](TForm&) {
    OKRightDlg_1->ComboBox1->SetItemIndex(4);
    OKRightDlg_1->ComboBox1Change(OKRightDlg_1->ComboBox1);
    return static_cast<int>(mrOk);
  });
  Bode_plot->WaitTime1->Click();
  EXPECT_EQ(BodeState().BodeWaitSeconds, 10);
  EXPECT_EQ(Bode_plot->Timer2->Interval(), 10000u);
  Bode_plot->Timer2->SetEnabled(true);
  BodeState().BodeWaitOver = 0;
  harness_->Dialogs().AnswerModal([](TForm&) {
    EXPECT_EQ(OKRightDlg_1->ComboBox1->Text(), "10s");
    OKRightDlg_1->ComboBox1->SetItemIndex(0);
    OKRightDlg_1->ComboBox1Change(OKRightDlg_1->ComboBox1);
    return static_cast<int>(mrOk);
  });
  Bode_plot->WaitTime1->Click();
  EXPECT_EQ(BodeState().BodeWaitOver, 1);
  EXPECT_FALSE(Bode_plot->Timer2->Enabled());
}

TEST_F(BodeOptionsTest, AudioRangeRenamesTheRangeAndKeepsTheStart) {
  Bode_plot->RangeTopRadios[2]->Click();
  Bode_plot->AudioRange1->Click();
  EXPECT_EQ(Bode_plot->RangeTopRadios[2]->Caption(), "30kHz");
  EXPECT_EQ(BodeState().BodeRangeTop, 300000);
  EXPECT_EQ(BodeState().BodeSpanRatio, 300);  // still from 100 Hz
  EXPECT_EQ(Bode_plot->StartRadios[1]->Caption(), "100Hz");
  EXPECT_TRUE(Bode_plot->StartRadios[1]->Checked());
  Bode_plot->AudioRange1->Click();
  EXPECT_EQ(Bode_plot->RangeTopRadios[2]->Caption(), "100kHz");
  EXPECT_EQ(BodeState().BodeSpanRatio, 1000);
  EXPECT_EQ(BodeState().BodeRangeTop, 1000000);
}

TEST_F(BodeOptionsTest, HintsAndNotes) {
  BodeState().Phasehelp = 1;
  harness_->Dialogs().AnswerModal([](TForm& form) {
    static_cast<TOKBottomDlg1&>(form).CheckBox1->Click();
    return static_cast<int>(mrOk);
  });
  Bode_plot->PhasePlot1->Click();
  ASSERT_EQ(harness_->Dialogs().Forms().size(), 1u);
  EXPECT_EQ(harness_->Dialogs().Forms()[0].Caption, "Phase Plot");
  EXPECT_EQ(BodeState().Phasehelp, 0);
  EXPECT_TRUE(Bode_plot->Markersfph1->Enabled());
  Bode_plot->Markersfph1->Click();
  EXPECT_EQ(Bode_plot->Markers, bode::MarkerMode::Phase);
  Bode_plot->PhasePlot1->Click();  // off: the phase markers go with it
  EXPECT_EQ(Bode_plot->Markers, bode::MarkerMode::Off);
  Bode_plot->PhasePlot1->Click();
  EXPECT_EQ(harness_->Dialogs().Forms().size(), 1u) << "not shown again";

  Bode_plot->AllowAveraging1->Click();
  ASSERT_EQ(harness_->Dialogs().Messages().size(), 1u);
  EXPECT_EQ(harness_->Dialogs().Messages()[0].Caption, "Average Info:");
  EXPECT_EQ(harness_->Dialogs().Messages()[0].Text.substr(0, 58),
            "You may now use the averaging option of the oscilloscope.\r");
}

class BodeAutoScaleTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    Form1_fgen->Timer7->SetInterval(1);
  }
};

TEST_F(BodeAutoScaleTest, ASmallSignalIsFollowedDownToTenMillivoltsAndTheRangeComesBack) {
  // A sine of 5 codes: about 0.11 V on the 1 V range, about 1.1 mV on the 10 mV range.
  Device().SetSignal([](int i) { return static_cast<std::uint8_t>(128 + 5 * std::sin(i / 10.0)); },
                     [](int) { return std::uint8_t{128}; });
  harness_->Dialogs().AnswerModal(mrOk);
  Bode_plot->AutomaticVoltageScale1->Click();
  ShortRange();
  Sweep();
  EXPECT_EQ(Bode_plot->Memo1->Lines()[0], "  Hz\t Vrms\tdBV\tdeg");
  for (const std::string& value : Field(1)) EXPECT_EQ(value, "0.001");
  bool reached10mV = false;
  for (const SimScopeSettings& s : Device().SettingsHistory()) reached10mV |= s.GainBits(1) == 0x22;
  EXPECT_TRUE(reached10mV);
  EXPECT_EQ(ScopeState().Settings.Channels[0].GainCode, 27) << "the sweep ends on the range it started with";
  EXPECT_TRUE(Bode_plot->RadioButton14->Checked());
  EXPECT_EQ(BodeState().BodeAutoScaleActive, 0);
}

}  // namespace
