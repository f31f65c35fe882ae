// The generator panel on the recorder window: the same generator as the
// scope window's panel, reached through the recorder's own controls and menus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "recorder/recorder_form.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class RecorderGeneratorTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    scope_ = Form1->GeneratorControls;
    rec_ = Form1_rec->GeneratorControls;
    ASSERT_NE(rec_, nullptr);
    ASSERT_NE(rec_, scope_);
  }
  static std::vector<std::string> Captions(TMenuItem* menu) {
    std::vector<std::string> out;
    for (int i = 0; i < menu->Count(); ++i) out.push_back(menu->Items(i)->Caption());
    return out;
  }

  GeneratorPanel* scope_ = nullptr;
  GeneratorPanel* rec_ = nullptr;
};

TEST_F(RecorderGeneratorTest, ItsRangeAndShapeButtonsSendTheScopePanelsPacketsAndPressBothPanels) {
  rec_->GrSpeedButton5->Click();  // "5k"
  EXPECT_TRUE(scope_->GrSpeedButton5->Down());
  EXPECT_FALSE(scope_->GrSpeedButton6->Down());
  Device().ClearLog();
  rec_->GrSpeedButton12->Click();  // square
  EXPECT_TRUE(scope_->GrSpeedButton12->Down());
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeSquare);
  EXPECT_TRUE(rec_->TrackBar5->Visible());
  const std::vector<Bytes> fromRecorder = Writes();
  ASSERT_EQ(fromRecorder.size(), 5u);  // settings, wave command, wave block, frequency, apply
  EXPECT_EQ(fromRecorder[4], Bytes{0x06});
  EXPECT_TRUE(Device().ProtocolErrors().empty());
  // Off, then the same square from the scope window's twin: the same bytes.
  scope_->GrSpeedButton12->Click();
  EXPECT_FALSE(rec_->GrSpeedButton12->Down());
  Device().ClearLog();
  scope_->GrSpeedButton12->Click();
  EXPECT_TRUE(rec_->GrSpeedButton12->Down());
  EXPECT_EQ(Writes(), fromRecorder);
  // The sine lifts the top range to "1M" on both windows.
  rec_->GrSpeedButton11->Click();
  EXPECT_EQ(scope_->GrSpeedButton3->Caption(), "1M");
  EXPECT_EQ(rec_->GrSpeedButton3->Caption(), "1M");
  EXPECT_FALSE(scope_->GrSpeedButton12->Down());
}

TEST_F(RecorderGeneratorTest, ItsAmplitudeSliderMovesTheScopeSliderAndAppliesOnce) {
  rec_->GrSpeedButton11->Click();
  Device().ClearLog();
  rec_->TrackBar7->SetPosition(20);
  EXPECT_EQ(scope_->TrackBar7->Position(), 20);
  ASSERT_TRUE(harness_->PumpUntil([] { return !Form1_fgen->Timer8->Enabled(); }, 3000));
  harness_->Pump(100);
  int applies = 0;
  for (const Bytes& b : Writes()) applies += b == Bytes{0x06};
  EXPECT_EQ(applies, 1);
}

TEST_F(RecorderGeneratorTest, AutoOffsetOnTheRecorderSwitchesTheOutputOffOnBothWindows) {
  rec_->GrSpeedButton11->Click();
  scope_->TrackBar6->SetPosition(40);
  rec_->AO1->Click();
  EXPECT_TRUE(rec_->AO1->Checked());
  EXPECT_TRUE(scope_->AO1->Checked());
  EXPECT_EQ(GeneratorState().AutoOffsetMode, 1);
  EXPECT_EQ(GeneratorState().GenOutputOff, 1);
  for (GeneratorPanel* p : {scope_, rec_}) {
    for (TGrSpeedButton* b : p->ShapeButtons()) EXPECT_FALSE(b->Down());
    EXPECT_FALSE(p->TrackBar6->Enabled());
    EXPECT_FALSE(p->Edit6->Enabled());
    EXPECT_EQ(p->TrackBar6->Position(), 128);
  }
  // Peak Offset takes over: Auto Offset goes off, the offset controls come back.
  rec_->PO1->Click();
  EXPECT_FALSE(rec_->AO1->Checked());
  EXPECT_FALSE(scope_->AO1->Checked());
  EXPECT_TRUE(scope_->PO1->Checked());
  EXPECT_TRUE(scope_->TrackBar6->Enabled());
}

TEST_F(RecorderGeneratorTest, TheRecorderMenusCarryTheGeneratorItemsButNoBodePlotter) {
  const std::vector<std::string> tools = Captions(Form1_rec->Tools1);
  EXPECT_EQ(tools, (std::vector<std::string>{"Wave Editor", "Wave Sequence"}));
  const std::vector<std::string> options = Captions(Form1_rec->Options1);
  EXPECT_EQ(options, (std::vector<std::string>{"&Colors...", "Fine Tune...",
                                               "Peak Offset (Negative peak at offset voltage && max 5Vpp)",
                                               "Auto Offset (Negative peak at 0V)"}));
  const std::vector<std::string> help = Captions(Form1_rec->Help1);
  EXPECT_EQ(help, (std::vector<std::string>{"Transient Recorder Help", "Function Generator Help", "&About..."}));
  EXPECT_EQ(Form1_rec->MainMenu1->Items()->IndexOf(Form1_rec->Tools1) + 1,
            Form1_rec->MainMenu1->Items()->IndexOf(Form1_rec->Help1));
  EXPECT_EQ(rec_->GrSpeedButton2, nullptr);  // Probe Test is the scope window's
  // Every control of the panel lies inside the window.
  EXPECT_LE(rec_->ModeBox->Left() + rec_->ModeBox->Width(), Form1_rec->Width());
  EXPECT_LE(rec_->ModeBox->Top() + rec_->ModeBox->Height(), Form1_rec->Height());
}

}  // namespace
