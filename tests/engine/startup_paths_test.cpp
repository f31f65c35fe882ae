// The start-up's paths: no device, demo mode chosen in the settings file, a
// previous session still marked running, a damaged calibration record; and
// the deferred close while a capture loop runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "engine/startup.h"
#include "io/about_box.h"
#include "startup_fixture.h"
#include "generator/generator_state.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

const std::string kDemoText =
    "Software runs now in Demo Mode.\rClick 'Run' to start the demo.\r\r"
    "Choose Options|Hardware Setup menu to enter normal mode.";
const std::string kRunAnywayText =
    "Other Darvik48 software may be active.\rSimultaneous use will cause problems.\r"
    "If previous session was abnormally terminated click \"No\".\r"
    "Disconnect and reconnect the USB cable and restart the program.\rRun anyway?";
const std::string kCalibrationFailedText =
    "Previous calibration failed.\rSelect File|Calibrate && Exit and restart the program.";
const std::string kCalibrateNowText =
    "The oscilloscope will now be calibrated.\rPlease make sure that the oscilloscope inputs CH1 and CH2\r"
    "are disconnected from external circuits.";

class StartupWithDeviceTest : public StartupTest {
 protected:
  bool DevicePresent() const override { return true; }
};

TEST_F(StartupTest, NoDeviceShowsTheNoticeModallyThenTheDemoMessageAndRunsInDemoMode) {
  // The demo message must come after the no-hardware window has been dismissed.
  std::size_t messagesBeforeNotice = 99;
  Dialogs().AnswerModal([&](TForm&) {
    messagesBeforeNotice = Dialogs().Messages().size();
    return mrOk;
  });
  StartAndRun();

  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TBtnBottomDlg1");
  EXPECT_EQ(messagesBeforeNotice, 0u);
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, kDemoText);
  EXPECT_EQ(Dialogs().Messages()[0].Kind, mtInformation);
  EXPECT_EQ(Dialogs().Messages()[0].Buttons, static_cast<TMsgDlgButtons>(mbOK));

  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_TRUE(Driver().HardwareMissing());
  EXPECT_EQ(GeneratorState().GeneratorHardware, 0);
  EXPECT_EQ(GeneratorState().GeneratorActive, 1);
  // Demo mode has nothing to calibrate: the first-run request stays for a device.
  EXPECT_EQ(ScopeState().FirstRunCalibration, 1);
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");
  EXPECT_EQ(ScopeState().StartupTick, 0);
  // The labels agree with the pressed 1 V/div and 1 ms/div buttons.
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V");
  EXPECT_EQ(ScopeState().Channels[1].RangeText, "1V");
  EXPECT_EQ(ScopeState().TimeDivText, "1ms");

  // The session's demo state is what the next start finds.
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Hardware", "DemoMode"), "1");
}

TEST_F(StartupWithDeviceTest, DemoModeFromTheFileNeverTouchesTheInstrument) {
  WriteIni("[Hardware]\nDemoMode=1\n");
  StartAndRun();

  EXPECT_EQ(Device().OpenCalls(), 0);
  EXPECT_TRUE(Device().Transfers().empty()) << Device().Dump();
  EXPECT_TRUE(Dialogs().Forms().empty());
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, kDemoText);
  EXPECT_EQ(Dialogs().CountMessages(kCalibrateNowText), 0);
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");
  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V");
  EXPECT_EQ(ScopeState().TimeDivText, "1ms");
  // The hardware dialog offers the mode in force.
  EXPECT_TRUE(BtnBottomDlg->RadioButton2->Checked());
  EXPECT_FALSE(BtnBottomDlg->RadioButton1->Checked());

  ASSERT_TRUE(Close());
  EXPECT_TRUE(Device().Transfers().empty()) << Device().Dump();
}

TEST_F(StartupWithDeviceTest, RunningMarkAnsweredNoEndsTheProgramBeforeAnyDeviceAccess) {
  WriteIni("[Status]\nRunning=1\n[Menu]\nSaveRecallLastSettings=1\nHWdialog=0\n");
  const std::string lastSettings = "[CH1]\n1V=1\n";
  startup_test::WriteText(DataDir() + "settings48.ini", lastSettings);
  Dialogs().AnswerMessage(mrNo);
  StartAndRun();

  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  const auto& question = Dialogs().Messages()[0];
  EXPECT_EQ(question.Text, kRunAnywayText);
  EXPECT_EQ(question.Kind, mtInformation);
  EXPECT_EQ(question.Buttons, static_cast<TMsgDlgButtons>(mbYes | mbNo));

  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Device().OpenCalls(), 0);
  EXPECT_TRUE(Device().Transfers().empty()) << Device().Dump();
  EXPECT_TRUE(Dialogs().Forms().empty());
  // The normal close ran: the mark is cleared and the last settings are left alone.
  EXPECT_EQ(IniValue("Status", "Running"), "0");
  EXPECT_EQ(IniValue("Menu", "SaveRecallLastSettings"), "1");
  EXPECT_EQ(ScopeState().StartupReachedRecall, 0);
  EXPECT_EQ(startup_test::ReadText(DataDir() + "settings48.ini"), lastSettings);
  EXPECT_EQ(ScopeState().FftBuffer, nullptr);
}

TEST_F(StartupTest, RunningMarkAnsweredYesGoesOnWithTheInstrumentOpen) {
  WriteIni("[Status]\nRunning=1\n");
  Dialogs().AnswerMessage(mrYes);
  StartAndRun();

  EXPECT_EQ(Dialogs().CountMessages(kRunAnywayText), 1);
  EXPECT_FALSE(Application->Terminated());
  // It went on to look for the device, found none and fell back to demo mode.
  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TBtnBottomDlg1");
  EXPECT_EQ(Dialogs().CountMessages(kDemoText), 1);
  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_EQ(ScopeState().StartupReachedRecall, 1);
  EXPECT_EQ(IniValue("Status", "Running"), "1");
}

TEST_F(StartupTest, EqualDacValuesInvalidateBothChannelsAndWarnOnce) {
  WriteIni(
      "[Calibration]\noffs_1=130\nCh1_pos0=120\nCh1_ad0=100\nCh1_ad1=75\nCh1_ad2=75\n"
      "Ch2_pos1=40\nCh2_ad0=110\nCh2_ad1=70\nCh2_ad2=170\n");
  StartAndRun();

  using namespace engine;
  EXPECT_EQ(ScopeState().CalibrationInvalid, 1);
  EXPECT_EQ(ScopeState().Channels[0].pos0, 128);
  EXPECT_EQ(ScopeState().Channels[1].pos0, 128);
  EXPECT_EQ(ScopeState().Channels[0].ad0, 128);
  EXPECT_EQ(ScopeState().Channels[1].ad0, 128);
  EXPECT_EQ(ScopeState().Channels[0].pos1, 32);
  EXPECT_EQ(ScopeState().Channels[1].pos1, 32);
  EXPECT_EQ(ScopeState().Channels[0].pos2, 224);
  EXPECT_EQ(ScopeState().Channels[1].pos2, 224);
  EXPECT_EQ(ScopeState().Channels[0].ad1, 62);
  EXPECT_EQ(ScopeState().Channels[1].ad1, 62);
  EXPECT_EQ(ScopeState().Channels[0].ad2, 192);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 192);
  // The offsets are not part of the fallback.
  EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 130);

  EXPECT_EQ(Dialogs().CountMessages(kCalibrationFailedText), 1);
  const auto* warning = Dialogs().FindMessage(kCalibrationFailedText);
  ASSERT_NE(warning, nullptr);
  EXPECT_EQ(warning->Kind, mtWarning);
  EXPECT_EQ(warning->Buttons, static_cast<TMsgDlgButtons>(mbOK));

  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Calibration", "Ch1_ad1"), "62");
  EXPECT_EQ(IniValue("Calibration", "Ch2_ad2"), "192");
}

TEST_F(StartupTest, ThreeDifferentDacValuesPerChannelAreKept) {
  WriteIni("[Calibration]\nCh1_ad0=100\nCh1_ad1=60\nCh1_ad2=180\nCh2_pos2=230\n");
  StartAndRun();
  EXPECT_EQ(ScopeState().CalibrationInvalid, 0);
  EXPECT_EQ(ScopeState().Channels[0].ad1, 60);
  EXPECT_EQ(ScopeState().Channels[1].ad1, 75);
  EXPECT_EQ(ScopeState().Channels[1].pos2, 230);
  EXPECT_EQ(Dialogs().CountMessages(kCalibrationFailedText), 0);
}

TEST_F(StartupTest, FoldersFollowTheUsersHome) {
  const std::string home = harness_->Home().Path();
  std::filesystem::create_directories(home + "/Documents/My Darvik48");
  StartAndRun();
  EXPECT_EQ(ScopeState().DataFolder, home + "/.local/share/Brastel/Darvik48/");
  EXPECT_TRUE(std::filesystem::is_directory(ScopeState().DataFolder));
  EXPECT_EQ(ScopeState().DocumentsFolder, home + "/Documents/My Darvik48/");
  EXPECT_EQ(ScopeState().ProgramFolder, engine::ResolveProgramFolder());
  EXPECT_EQ(ScopeState().ProgramFolder.back(), '/');
  // No command-line parameter: nothing is offered for recall.
  EXPECT_EQ(Form1->OpenDialog2->FileName(), "");
}

TEST_F(StartupTest, CloseWaitsForTheCaptureLoopToEnd) {
  StartAndRun();
  ScopeState().AcquisitionIdle = 0;
  EXPECT_FALSE(Close());
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_EQ(ScopeState().RunStop, 1);
  EXPECT_EQ(ScopeState().SingleStop, 1);
  EXPECT_EQ(ScopeState().ClosingDone, 0);
  harness_->Pump(250);
  EXPECT_FALSE(Application->Terminated());

  ScopeState().AcquisitionIdle = 1;
  EXPECT_TRUE(harness_->PumpUntil([] { return Application->Terminated(); }, 2000));
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_EQ(ScopeState().ClosingDone, 1);
  EXPECT_EQ(IniValue("Status", "Running"), "0");
}

TEST_F(StartupTest, HotKeyTakenElsewhereIsReportedAndTheProgramGoesOn) {
  FreeAllWindows();
  ASSERT_TRUE(RegisterAppShortcut(7, "Alt+B", [] {}));
  StartAndRun();
  UnregisterAppShortcut(7);
  EXPECT_EQ(Dialogs().CountMessages("Unable to assign \"ALT+B\" as hotkey."), 1);
  EXPECT_EQ(ScopeState().DemoMode, 1);
}

}  // namespace
