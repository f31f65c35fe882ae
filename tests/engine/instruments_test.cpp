// Moving between the instruments and back, the Big Screen's shortcut keys on
// the wire, and leaving to the menu program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "device_fixture.h"
#include "engine/big_screen.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

using device_test::DeviceTest;

class ShortcutTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
  }
  void Key(unsigned short key, TShiftState shift = 0) { Form10->FormKeyDown(Form10, key, shift); }
};

TEST_F(ShortcutTest, StepKeysMoveOneStepAndNothingPastTheEnds) {
  struct Case {
    TGrSpeedButton* FrontPanelControls::*start;
    unsigned short key;
    TShiftState shift;
    TGrSpeedButton* FrontPanelControls::*expected;  // nullptr: nothing may be sent
  } cases[] = {
      {&FrontPanelControls::SpeedButton15v1, VK_DOWN, 0, &FrontPanelControls::SpeedButton5v1},
      {&FrontPanelControls::SpeedButton15v1, VK_UP, 0, &FrontPanelControls::SpeedButton28},
      {&FrontPanelControls::SpeedButton15v2, VK_DOWN, ssShift, &FrontPanelControls::SpeedButton5v2},
      {&FrontPanelControls::SpeedButton28, VK_UP, 0, nullptr},
      {&FrontPanelControls::SpeedButton015v1, VK_DOWN, 0, nullptr},
      {&FrontPanelControls::SpeedButton29, VK_UP, ssShift, nullptr},
      {&FrontPanelControls::SpeedButton015v2, VK_DOWN, ssShift, nullptr},
      {&FrontPanelControls::SpeedButton2ms, VK_LEFT, 0, &FrontPanelControls::SpeedButton5ms},
      {&FrontPanelControls::SpeedButton20us, VK_RIGHT, 0, &FrontPanelControls::SpeedButton10us},
      {&FrontPanelControls::SpeedButton500ms, VK_LEFT, 0, nullptr},
      {&FrontPanelControls::SpeedButton01us, VK_RIGHT, 0, nullptr},
  };
  for (const Case& c : cases) {
    (Form1->*c.start)->Click();
    Device().ClearLog();
    Key(c.key, c.shift);
    if (!c.expected) {
      EXPECT_TRUE(Device().Transfers().empty()) << (Form1->*c.start)->Caption() << " key " << c.key;
      EXPECT_TRUE((Form1->*c.start)->Down());
      continue;
    }
    EXPECT_TRUE((Form1->*c.expected)->Down()) << (Form1->*c.start)->Caption() << " key " << c.key;
    EXPECT_TRUE(Device().LastSettings().has_value());
  }
}

TEST_F(ShortcutTest, LetterKeysToggleTheTriggerAndTheChannels) {
  Key('T');
  EXPECT_TRUE(Device().LastSettings()->TriggerOn());
  Key('C');
  EXPECT_TRUE(Device().LastSettings()->TriggerSourceCh2());
  Key('E');
  EXPECT_TRUE(Device().LastSettings()->FallingEdge());
  Key('E');
  Key('C');
  Key('T');
  const auto last = Device().LastSettings();
  EXPECT_FALSE(last->TriggerOn());
  EXPECT_FALSE(last->TriggerSourceCh2());
  EXPECT_FALSE(last->FallingEdge());
  Key('2');
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 0);
  Key('2');
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);
}

class InstrumentTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    ScopeState().DemoMode = 1;
    ScopeState().ProgramFolder = harness_->Home().Path() + "/program/";
    std::filesystem::create_directories(ScopeState().ProgramFolder);
  }
};

TEST_F(InstrumentTest, RecorderAndBackRestoresTheScopeAndTheBigScreen) {
  Form1->SpeedButton1ms->Click();  // 0.5 ms/div
  Form1->SpeedButton7->Click();    // trigger on
  const std::uint8_t timeBase = ScopeState().Settings.TimeBaseCode;
  const std::uint8_t triggerOff = ScopeState().Settings.TriggerOff;
  Form1->GrSpeedButton1->Click();
  Form1->SetBounds(40, 50, Form1->Width(), Form1->Height());

  Form1->SpeedButton27->Click();
  EXPECT_FALSE(Form1->Visible());
  ASSERT_TRUE(Form1_rec->Visible());
  EXPECT_EQ(Form1_rec->Left(), 40);
  EXPECT_EQ(Form1_rec->Top(), 50);
  EXPECT_TRUE(Form1_rec->SpeedButton6->Down());
  EXPECT_EQ(RecorderState().InstrumentSwitch, 0);
  EXPECT_EQ(RecorderState().SavedTimeBaseCode, timeBase);
  EXPECT_EQ(Form1->RecorderDemoBuilt, 1);
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());

  // The recorder changes the device's time base; its "Oscilloscope" hands back.
  ScopeState().Settings.TimeBaseCode = 5;
  ScopeState().Settings.TriggerOff = 64;
  Form1_rec->SpeedButton5->Click();
  EXPECT_TRUE(Form1->Visible());
  EXPECT_FALSE(Form1_rec->Visible());
  EXPECT_EQ(ScopeState().Settings.TimeBaseCode, timeBase);
  EXPECT_EQ(ScopeState().Settings.TriggerOff, triggerOff);
  EXPECT_FALSE(Application->Terminated());
  // The Big Screen that was on comes back.
  EXPECT_TRUE(harness_->PumpUntil([] { return Form10->Visible(); }, 2000));
}

TEST_F(InstrumentTest, CircuitAnalyzerShowsItsHintUntilTheUserDeclinesIt) {
  BodeState().Bodehelp = 1;
  int hints = 0;
  harness_->Dialogs().AnswerModal([&hints](TForm& form) {
    EXPECT_EQ(&form, OKBottomDlg);
    ++hints;
    OKBottomDlg->CheckBox1->SetChecked(true);
    return mrOk;
  });
  Form1->SpeedButtonRun->Click();
  Form1->SpeedButton26->Click();
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());
  EXPECT_TRUE(Bode_plot->Visible());
  EXPECT_EQ(hints, 1);
  EXPECT_EQ(BodeState().Bodehelp, 0);
  Form1->SpeedButton26->Click();
  EXPECT_EQ(hints, 1);

  // The choice is kept in the settings file.
  ASSERT_TRUE(Form1->SettingsFiles().WriteMainSettings());
  EXPECT_EQ(TIniFile(Form1->ScopeIni->FileName()).ReadString("Menu", "Bodehelp", "?"), "0");
}

TEST_F(InstrumentTest, ExitToMenuStartsTheMenuProgramBesideTheProgram) {
  const std::string marker = ScopeState().ProgramFolder + "started";
  const std::string program = ScopeState().ProgramFolder + "quenlow";
  std::ofstream(program) << "#!/bin/sh\ntouch '" << marker << "'\n";
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  Form1->ExittoMenu1->Click();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(harness_->WaitForOutside([&] { return std::filesystem::exists(marker); }, 3000));
}

TEST_F(InstrumentTest, ExitToMenuWithoutAMenuProgramJustCloses) {
  Form1->ExittoMenu1->Click();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(std::filesystem::is_empty(ScopeState().ProgramFolder));
}

}  // namespace
