// More Functions, Fine Tune and the generator settings file, driven as a user
// would, with the simulated device checking what reaches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/frequency_step_dialog.h"
#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/hardware_dialog.h"
#include "generator/more_functions.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "support/program_states.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class GeneratorFilesTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    panel_ = Form1->GeneratorControls;
    more_ = BtnBottomDlg1_fgen;
    ASSERT_NE(panel_, nullptr);
    ASSERT_NE(more_, nullptr);
  }

  // Opens More Functions as the panel's fourth shape button does.
  void OpenMore() {
    panel_->GrSpeedButton14->Click();
    ASSERT_TRUE(more_->Visible());
    Device().ClearLog();
  }

  // The settings packet of the last send.
  Bytes LastSettings() const {
    Bytes last;
    for (const Bytes& w : Writes())
      if (w.size() == 7 && w[0] == 0x0E && w[1] == 0x05) last = w;
    return last;
  }
  Bytes LastBlock() const {
    Bytes last;
    for (const Bytes& w : Writes())
      if (w.size() == 512) last = w;
    return last;
  }
  // Rewrites the generator settings file and reads it again.
  void Reread(const std::string& text) {
    WriteText(ScopeState().DataFolder + "FGen48.ini", text);
    Form1_fgen->ReadGeneratorSettings();
  }

  GeneratorPanel* panel_ = nullptr;
  TBtnBottomDlg1_fgen* more_ = nullptr;
};

TEST_F(GeneratorFilesTest, ALibraryFileChosenInTheDialogRunsOnTheInstrument) {
  const std::string file = programDir_ + "ramp.lib";
  WriteText(file, "Ramp\r\n0\r\n255\r\n");
  OpenMore();
  Dialogs().AnswerFile(file);
  more_->SpeedButton4->Click();

  ASSERT_EQ(Dialogs().FileDialogs().size(), 1u);
  EXPECT_EQ(Dialogs().FileDialogs()[0].Filter, "Library File|*.LIB|All Files|*.*");
  EXPECT_EQ(Dialogs().FileDialogs()[0].InitialDir, programDir_ + "lib");
  EXPECT_TRUE(more_->SpeedButton4->Down());
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeLibrary);
  EXPECT_EQ(Form1_fgen->Caption(), "Function Generator ramp.lib");
  const std::vector<Bytes> w = Writes();
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w[0], (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x0F}));
  EXPECT_EQ(w[1], Bytes{0x04});
  EXPECT_EQ(w[4], Bytes{0x06});
  // The ramp leaves the device rising over one period.
  const Bytes& block = w[2];
  ASSERT_EQ(block.size(), 512u);
  EXPECT_EQ(block[0], 15);
  EXPECT_GE(block[511], 230);
  EXPECT_TRUE(std::is_sorted(block.begin(), block.end()));
  EXPECT_TRUE(Device().ProtocolErrors().empty());
}

TEST_F(GeneratorFilesTest, ACancelledLibraryDialogLeavesTheRunningFunction) {
  OpenMore();
  more_->SpeedButton2->Click();  // noise
  ASSERT_EQ(GeneratorState().WaveShape, generator::kShapeNoise);
  Device().ClearLog();
  Dialogs().CancelFile();
  more_->SpeedButton4->Click();

  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeNoise);
  EXPECT_FALSE(more_->SpeedButton4->Down());
  EXPECT_TRUE(more_->SpeedButton2->Down());
}

TEST_F(GeneratorFilesTest, DcAndNoiseSendTheirLevelsAndReleasingSwitchesOff) {
  struct Row {
    TGrSpeedButton* button;
    int level;  // every sample of the period; -1: a spread of samples
    std::uint8_t mode;
    bool sweepLength;  // the packet carries the standard length
  };
  const Row rows[] = {
      {more_->SpeedButton5, 234, 0, true},  // +DC
      {more_->SpeedButton6, 15, 0, true},   // -DC
      {more_->SpeedButton2, -1, 1, false},  // noise
  };
  OpenMore();
  for (const Row& row : rows) {
    Device().ClearLog();
    row.button->Click();
    const std::vector<Bytes> w = Writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(LastSettings(), (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x0F}));
    const Bytes block = LastBlock();
    const auto [lo, hi] = std::minmax_element(block.begin(), block.end());
    if (row.level >= 0) {
      EXPECT_EQ(*lo, row.level);
      EXPECT_EQ(*hi, row.level);
    } else {
      EXPECT_GT(*hi - *lo, 100);
    }
    const Bytes& frequency = w[3];
    ASSERT_EQ(frequency.size(), 22u);
    EXPECT_EQ(frequency[21], row.mode);
    EXPECT_EQ(Bytes(frequency.begin() + 17, frequency.begin() + 21),
              row.sweepLength ? (Bytes{0xA0, 0x86, 0x01, 0x00}) : Bytes(4, 0));

    Device().ClearLog();
    row.button->Click();  // released
    const std::vector<Bytes> off = Writes();
    ASSERT_EQ(off.size(), 4u);
    EXPECT_EQ(off[0], Bytes{0x04});
    EXPECT_EQ(off[1], Bytes(512, 0x80));
    EXPECT_EQ(off[2], (Bytes{0x0E, 0x05, 0x04, 0x80, 0x00, 0x13, 0x0F}));
    EXPECT_EQ(GeneratorState().GenOutputOff, 1);
  }
}

TEST_F(GeneratorFilesTest, OffsetModesDisableTheDcButtons) {
  panel_->PO1->Click();
  EXPECT_FALSE(more_->SpeedButton5->Enabled());
  EXPECT_FALSE(more_->SpeedButton6->Enabled());
  panel_->PO1->Click();
  EXPECT_TRUE(more_->SpeedButton5->Enabled());
  panel_->AO1->Click();
  EXPECT_FALSE(more_->SpeedButton6->Enabled());
}

TEST_F(GeneratorFilesTest, FineTuneTrimsReachTheSettingBytes) {
  panel_->GrSpeedButton12->Click();  // square
  Form8->TrackBar1->SetPosition(8);
  Form8->TrackBar2->SetPosition(6);
  Device().ClearLog();
  Form8->Button1->Click();
  EXPECT_EQ(GeneratorState().GainTrim, 8);
  EXPECT_EQ(LastSettings()[5], 0x27);  // 8 goes out as 7
  Device().ClearLog();
  Form8->Button2->Click();
  EXPECT_EQ(GeneratorState().OffsetTrim, 3);
  EXPECT_EQ(LastSettings()[3], 0x82);  // the square's offset byte moves
  panel_->GrSpeedButton11->Click();     // the sine's does not
  EXPECT_EQ(LastSettings()[3], 0x7F);
}

TEST_F(GeneratorFilesTest, HandEditedTrimsAndHardwareStayInTheirFields) {
  // Gain 24 unclamped would set the output-enable bit pattern; offset -9
  // would move the square by nine steps.
  Reread("[Calibration]\r\nGain=24\r\nOffset=-9\r\n");
  EXPECT_EQ(Form8->TrackBar1->Position(), 8);
  EXPECT_EQ(Form8->TrackBar2->Position(), 0);
  panel_->GrSpeedButton12->Click();
  EXPECT_EQ(LastSettings(), (Bytes{0x0E, 0x05, 0x04, 0x7C, 0x4E, 0x27, 0x08}));

  Reread("[Hardware]\nHW_Gen=0\n");
  Device().ClearLog();
  panel_->GrSpeedButton11->Click();
  EXPECT_TRUE(Writes().empty());
}

class GeneratorSettingsFileTest : public HeldStartupTest {
 protected:
  std::string IniPath() const { return Form1_fgen->GeneratorIni->FileName(); }
};

TEST_F(GeneratorSettingsFileTest, FirstCloseWritesTheWholeFileInOrder) {
  std::filesystem::remove(IniPath());
  Bode_plot->SetBounds(10, 20, 300, 200);
  Form900->SetBounds(30, 40, 310, 210);
  Wave_editor1->SetBounds(50, 60, 320, 220);
  BtnBottomDlg1_fgen->SetBounds(70, 80, 250, 230);
  Form1_fgen->Close();
  EXPECT_EQ(ReadText(IniPath()),
            "[Bode_Plotter]\nTop=20\nLeft=10\nWidth=300\nHeight=200\n\n"
            "[Wave_Sequence]\nTop=40\nLeft=30\nWidth=310\nHeight=210\n\n"
            "[Wave_Editor]\nTop=60\nLeft=50\nWidth=320\nHeight=220\n\n"
            "[More_Functions]\nTop=80\nLeft=70\n\n"
            "[MainForm]\nStatus=1\n\n"
            "[Menu]\nLPT_Speed_Slow=0\nSync Mode=0\nOctaveStep=0\n\n"
            "[Colors]\nBackground=16777215\nGrid=12632256\nText=0\nTrace=0\nBorder=4210752\nF_Marker=16711680\n"
            "V_Marker=16711680\nTrace_1=0\nTrace_2=16711680\nTrace_3=255\nTrace_4=65280\nTrace_5=16711935\n\n"
            "[Calibration]\nGain=3\nOffset=0\n");
  EXPECT_EQ(GeneratorState().WaveEditorCanClose, 1);
}

TEST_F(GeneratorSettingsFileTest, ReaderFollowsTheStatusGateAndTheStoredOptions) {
  const int editorLeft = Wave_editor1->Left();
  struct Row {
    const char* name;
    const char* text;
    bool placed;
    int gain;
    std::uint8_t slow, sync;
    int stepItem;  // the Bode "Frequency Step" list's item; > 0: octave steps
    const char* octaveCaption;
  };
  const Row rows[] = {
      {"status 0", "[MainForm]\nStatus=0\n[Wave_Editor]\nTop=40\nLeft=50\nWidth=430\nHeight=340\n[Calibration]\nGain=5\n",
       false, 5, 0, 0, 0, "1/3 Octave Freq. Steps"},
      {"status 1, options", "[MainForm]\nStatus=1\n[Wave_Editor]\nTop=40\nLeft=50\nWidth=430\nHeight=340\n"
       "[Menu]\nLPT_Speed_Slow=1\nSync Mode=1\nOctaveStep=2\n", true, 3, 1, 1, 2, "1/12 Octave Freq. Steps"},
      // A Boolean is "1" or "0": other numbers are no state and count as missing.
      {"octave item beyond the list", "[Menu]\nOctaveStep=40\nSync Mode=yes\nLPT_Speed_Slow=7\n", false, 3, 0, 0, 4,
       "1/48 Octave Freq. Steps"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Log steps, as the Bode window starts.
    Bode_plot->CheckBox4->SetChecked(false);
    Bode_plot->CheckBox4->SetCaption("1/3 Octave Freq. Steps");
    Bode_plot->CheckBox1->SetChecked(true);
    Wave_editor1->SetBounds(editorLeft, 10, 420, 330);
    WriteText(IniPath(), row.text);
    Form1_fgen->ReadGeneratorSettings();
    EXPECT_EQ(Wave_editor1->Left() == 50, row.placed);
    EXPECT_EQ(GeneratorState().GainTrim, row.gain);
    EXPECT_EQ(GeneratorState().LptSpeedSlow, row.slow);
    EXPECT_EQ(BtnBottomDlg_fgen->RadioButton2->Checked(), row.slow == 1);
    EXPECT_EQ(GeneratorState().SyncMode, row.sync);
    EXPECT_EQ(OKRightDlg_2->ComboBox1->ItemIndex(), row.stepItem);
    EXPECT_EQ(Bode_plot->CheckBox4->Checked(), row.stepItem > 0);
    EXPECT_EQ(Bode_plot->CheckBox1->Checked(), row.stepItem == 0);
    EXPECT_EQ(Bode_plot->CheckBox4->Caption(), row.octaveCaption);
    EXPECT_EQ(BodeState().BodeOctaveSteps, row.stepItem > 0 ? 1 : 0);
  }
  // The octave step goes back into the file at the close.
  Form1_fgen->Close();
  EXPECT_EQ(TIniFile(IniPath()).ReadInteger("Menu", "OctaveStep", -1), 4);
}

TEST_F(GeneratorSettingsFileTest, BodeMarkerPensFollowTheStoredColours) {
  WriteText(IniPath(), "[Colors]\nBackground=0\nV_Marker=255\nF_Marker=65280\nTrace_3=0x00ABCDEF\n");
  Form1_fgen->ReadGeneratorSettings();
  EXPECT_EQ(BodeState().BodeLevelMarkerPen, 0xFFFF00u);
  EXPECT_EQ(BodeState().BodeFreqMarkerPen, 0xFF00FFu);
  EXPECT_EQ(BodeState().BodeTraceColors[2], 0xABCDEFu);
}

}  // namespace
