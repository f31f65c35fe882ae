// The main settings file "Darvik48.ini": what the close writes, what the next
// start makes of missing, damaged and hand-edited values, the running mark,
// "Restore Default Settings && Exit" and a file that cannot be written.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "engine/big_screen.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "engine/startup.h"
#include "startup_fixture.h"
#include "bode/bode_state.h"
#include "display/display_state.h"
#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "generator/generator_state.h"
#include "support/file_watch.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

// Everything from [Calibration] on, as a first session that fell back to demo
// mode leaves it.
const std::string kDefaultTail =
    "[Calibration]\noffs_1=124\noffs_2=124\nv5_offs1=0\nv5_offs2=0\n"
    "Ch1_pos0=128\nCh1_pos1=32\nCh1_pos2=224\nCh2_pos0=128\nCh2_pos1=32\nCh2_pos2=224\n"
    "Ch1_ad0=120\nCh1_ad1=75\nCh1_ad2=164\nCh2_ad0=120\nCh2_ad1=75\nCh2_ad2=164\n"
    "[Menu]\nBrightGrid_rec=0\nBrightGrid_dso=0\nDot_Join=1\nHWdialog=1\nRMS_on=0\ndBm_on=0\nRate_on=0\n"
    "Hide_Scope=0\nNoNote=0\nSaveRecallLastSettings=0\nShowHistoryHint=1\nBodehelp=1\nPhasehelp=1\n"
    "ClearDisplay=0\n"
    "[Persistence]\nNormalPersistence=1\nPersistence_with_Intensity_Grading=0\nVariablePersistence=0\n"
    "Number_of_Acquisitions=0\nLowColor=1\nHighColor=32\nDuration=15\nDuration2=31\n"
    "[Hardware]\nDemoMode=1\n"
    "[Colors]\nDefaultColors=1\nBackground=16121855\nCh1=14417920\nCh2=220\nMath1=16711808\n"
    "Math2=16711935\nDark_Grid=12632256\nBright_Grid=8421504\nTime_Marker=4194432\n";

std::string WithoutBlankLines(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out += text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return out;
}

TEST_F(StartupTest, FirstSessionWritesEveryKeyAtClose) {
  StartAndRun();
  // The running mark is on the disk while the program runs.
  EXPECT_EQ(IniValue("Status", "Running"), "1");
  ASSERT_TRUE(Close());

  const std::string text = WithoutBlankLines(Ini());
  EXPECT_EQ(text.rfind("[Status]\nRunning=0\n[ScopeMainForm]\n", 0), 0u) << text;
  const std::size_t tail = text.find("[Calibration]");
  ASSERT_NE(tail, std::string::npos) << text;
  EXPECT_EQ(text.substr(tail), kDefaultTail);

  EXPECT_EQ(IniValue("ScopeMainForm", "Top"), std::to_string(Form1->Top()));
  EXPECT_EQ(IniValue("ScopeMainForm", "Left"), std::to_string(Form1->Left()));
  EXPECT_EQ(IniValue("ScopeMainForm", "Width"), std::to_string(Form1->Width()));
  EXPECT_EQ(IniValue("ScopeMainForm", "Height"), std::to_string(Form1->Height()));
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH1"), "1");
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH2"), "1");
  EXPECT_EQ(IniValue("ScopeMainForm", "Status"), "1");
  EXPECT_EQ(IniValue("Big_Screen", "Width"), std::to_string(Form10->Width()));
  EXPECT_EQ(IniValue("Big_Screen", "Visible"), "0");
  for (const char* section : {"EditForm", "EditForm_rec"}) {
    EXPECT_NE(IniValue(section, "Width"), "<missing>") << section;
    EXPECT_EQ(IniValue(section, "Top"), "<missing>") << section;
  }
  for (const char* section : {"Big_Screen_ctrl", "Wave_Parameters"})
    EXPECT_NE(IniValue(section, "Left"), "<missing>") << section;
}

TEST_F(StartupTest, StoredValuesComeBackAndAreWrittenAgain) {
  WriteIni(
      "[ScopeMainForm]\nTop=33\nLeft=44\nWidth=1300\nHeight=650\n"
      "[Menu]\nDot_Join=0\nRMS_on=1\nRate_on=1\nClearDisplay=1\nNoNote=1\nHWdialog=0\n"
      "[Persistence]\nVariablePersistence=1\nNormalPersistence=0\nNumber_of_Acquisitions=12\n"
      "LowColor=3\nHighColor=40\nDuration=7\nDuration2=127\n"
      "[Colors]\nBackground=0\nCh1=65535\n");
  Start();
  using namespace engine;
  using namespace bode;
  using namespace display;
  // Read at creation, before the deferred start-up.
  EXPECT_EQ(Form1->Top(), 33);
  EXPECT_EQ(Form1->Left(), 44);
  EXPECT_EQ(Form1->Width(), 1300);
  EXPECT_EQ(Form1->Height(), 650);
  EXPECT_EQ(ScopeState().DotJoin, 0);
  EXPECT_EQ(ScopeState().RmsOn, 1);
  EXPECT_EQ(ScopeState().SampleRateOn, 1);
  EXPECT_EQ(ScopeState().ClearOnRunSingle, 1);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  EXPECT_EQ(PersistenceState().VariablePersistenceChecked, 1);
  EXPECT_EQ(PersistenceState().NormalPersistenceChecked, 0);
  EXPECT_EQ(DisplayState().BackgroundColor, 0u);
  EXPECT_EQ(DisplayState().Ch1Color, 0x00FFFFu);
  // On a black background every pen is the colour inverted.
  EXPECT_EQ(DisplayState().Ch1PenColor, 0xFF0000u);
  EXPECT_EQ(DisplayState().Ch2PenColor, 0xFFFF23u);
  EXPECT_EQ(DisplayState().GridPenColor, DisplayState().DarkGridColor);

  RunStartup();
  EXPECT_EQ(OKRightDlg->Edit1->Text(), "12");
  EXPECT_EQ(ScopeState().AcquisitionLimit, 12u);
  EXPECT_EQ(PersistenceState().LowColorCount, 3);
  // The high colour waits in its edit for the next OK.
  EXPECT_EQ(OKRightDlg->Edit4->Text(), "40");
  EXPECT_EQ(PersistenceState().HighColorCount, 32);
  EXPECT_TRUE(OKRightDlg->RadioButton1->Checked());
  EXPECT_TRUE(OKRightDlg->RadioButton6->Checked());
  EXPECT_TRUE(Form1->VariablePersistence1->Checked());
  EXPECT_TRUE(Form11->VariablePersistence1->Checked());
  EXPECT_EQ(PersistenceState().VariablePersistenceMask, 7);
  EXPECT_EQ(PersistenceState().GradedPersistenceMask, 127);

  // The sampling-mode "Never" of this session is not kept; the stored one is.
  ScopeState().NoNote = 0;
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("ScopeMainForm", "Top"), "33");
  EXPECT_EQ(IniValue("Menu", "Dot_Join"), "0");
  EXPECT_EQ(IniValue("Menu", "NoNote"), "1");
  EXPECT_EQ(IniValue("Menu", "HWdialog"), "0");
  EXPECT_EQ(IniValue("Persistence", "VariablePersistence"), "1");
  EXPECT_EQ(IniValue("Persistence", "HighColor"), "40");
  EXPECT_EQ(IniValue("Persistence", "Duration"), "7");
  EXPECT_EQ(IniValue("Persistence", "Duration2"), "127");
  EXPECT_EQ(IniValue("Colors", "Background"), "0");
  EXPECT_EQ(IniValue("Colors", "Ch1"), "65535");
}

TEST_F(StartupTest, BrightPresetGivesTheNotXorPensOfItsColours) {
  StartAndRun();
  EXPECT_EQ(DisplayState().Ch1PenColor, 0xD60000u);
  EXPECT_EQ(DisplayState().Ch1XorColor, 0xD60000u);
  EXPECT_EQ(DisplayState().TimeMarkerPenColor, (~(0x400080u ^ 0xF5FFFFu)) & 0xFFFFFFu);
}

TEST_F(StartupTest, MissingFileGivesEveryDefault) {
  Start();
  using namespace engine;
  using namespace bode;
  using namespace display;
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 1);
  EXPECT_EQ(ScopeState().DotJoin, 1);
  EXPECT_EQ(ScopeState().HideScope, 0);
  EXPECT_EQ(ScopeState().RecallLastSettings, 0);
  EXPECT_EQ(ScopeState().HistoryHintOn, 1);
  EXPECT_EQ(BodeState().Bodehelp, 1);
  EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 124);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 164);
  EXPECT_EQ(DisplayState().BackgroundColor, 0xF5FFFFu);
  EXPECT_EQ(DisplayState().TimeMarkerColor, 0x400080u);
  EXPECT_EQ(ScopeState().PreviousRunMark, 0);
  EXPECT_EQ(ScopeState().CalibrationInvalid, 0);
  // The creation marks the file at once.
  EXPECT_EQ(IniValue("Status", "Running"), "1");
}

TEST_F(StartupTest, DamagedValuesFallBackToTheirDefaults) {
  WriteIni(
      "\xEF\xBB\xBF[Calibration]\noffs_1=12x\nCh1_ad0=\nCh2_pos1=0x20\n"
      "[Menu\nDot_Join=maybe\nHWdialog=0x0\nRMS_on=2\n"
      "garbage line without equals\n=no key\n"
      "[Colors]\nCh1=blue\nCh2=-1\nBackground=99999999999\n"
      "[ScopeMainForm]\nWidth=0\nHeight=-40\nTop=abc\n"
      "[Hardware]\nDemoMode=\n"
      "[Status]\nRunning");
  const int designTop = 20;
  Start();
  using namespace engine;
  using namespace bode;
  using namespace display;
  EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 124);
  EXPECT_EQ(ScopeState().Channels[0].ad0, 120);
  EXPECT_EQ(ScopeState().Channels[1].pos1, 32);  // "0x20" is hexadecimal 32
  EXPECT_EQ(ScopeState().DotJoin, 1);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  // A Boolean is "1" or "0": any other number is no state.
  EXPECT_EQ(ScopeState().RmsOn, 0);
  EXPECT_EQ(DisplayState().Ch1Color, 0xDC0000u);
  // Colours are 24 bits; a damaged value keeps only those.
  EXPECT_EQ(DisplayState().Ch2Color, 0xFFFFFFu);
  EXPECT_EQ(DisplayState().BackgroundColor, 0xF5FFFFu);
  // A window of no size is not taken over.
  EXPECT_EQ(Form1->Top(), designTop);
  EXPECT_GT(Form1->Width(), 0);
  EXPECT_GT(Form1->Height(), 0);
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_EQ(ScopeState().PreviousRunMark, 0);
}

TEST_F(StartupTest, HideScopeWrittenWithCapitalSReadsBack) {
  WriteIni("[Menu]\nHide_Scope=1\n[Big_Screen]\nVisible=1\n");
  Start();
  EXPECT_EQ(ScopeState().HideScope, 1);
  RunStartup();
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Menu", "hide_scope"), "1");
  // One key, kept in the spelling the file had.
  const std::string text = Ini();
  EXPECT_NE(text.find("Hide_Scope=1"), std::string::npos);
  EXPECT_EQ(text.find("Hide_scope"), std::string::npos);
}

TEST_F(StartupTest, Ch2ProbeFollowsCh1WhenItHasNoKey) {
  WriteIni("[ScopeMainForm]\nProbe_CH1=10\n");
  StartAndRun();
  EXPECT_EQ(ScopeState().Channels[0].ProbeFactor, 10.0);
  EXPECT_EQ(ScopeState().Channels[1].ProbeFactor, 10.0);
  EXPECT_EQ(ScopeState().Channels[0].ProbeDb, 20.0);
  EXPECT_EQ(ScopeState().Channels[1].ProbeDb, 20.0);
  // Restoring the probes is no reason to warn about them, and leaves the
  // warning as the user had it.
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 0);
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH1"), "10");
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH2"), "10");
}

TEST_F(StartupTest, ProbeFactorsOtherThanOneOrTenAreTakenAsOne) {
  WriteIni("[ScopeMainForm]\nProbe_CH1=7\n");
  StartAndRun();
  EXPECT_EQ(ScopeState().Channels[0].ProbeFactor, 1.0);
  EXPECT_EQ(ScopeState().Channels[1].ProbeFactor, 1.0);
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH1"), "1");
  EXPECT_EQ(IniValue("ScopeMainForm", "Probe_CH2"), "1");

  EXPECT_EQ(engine::ProbeFactorFromFile(10), 10);
  for (int bad : {0, 1, -10, 100, 9, 11}) EXPECT_EQ(engine::ProbeFactorFromFile(bad), 1) << bad;
}

TEST_F(StartupTest, Ch2ProbeOfItsOwnIsKept) {
  WriteIni("[ScopeMainForm]\nProbe_CH1=10\nProbe_CH2=1\n");
  StartAndRun();
  EXPECT_EQ(ScopeState().Channels[0].ProbeFactor, 10.0);
  EXPECT_EQ(ScopeState().Channels[1].ProbeFactor, 1.0);
}

TEST_F(StartupTest, MaximisedCloseKeepsThePreviousPlaces) {
  WriteIni("[ScopeMainForm]\nTop=33\nLeft=44\nWidth=1300\nHeight=650\n[EditForm]\nWidth=333\nHeight=222\n");
  StartAndRun();
  // The maximised window spans the screen.
  Form1->SetBounds(0, 0, 1280, 1000);
  Form1->SetWindowState(wsMaximized);
  harness_->Pump(50);
  ASSERT_EQ(Form1->WindowState(), wsMaximized);
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("ScopeMainForm", "Top"), "33");
  EXPECT_EQ(IniValue("ScopeMainForm", "Left"), "44");
  EXPECT_EQ(IniValue("ScopeMainForm", "Width"), "1300");
  EXPECT_EQ(IniValue("ScopeMainForm", "Height"), "650");
  EXPECT_EQ(IniValue("EditForm", "Width"), "333");
  EXPECT_EQ(IniValue("EditForm", "Height"), "222");
  EXPECT_EQ(IniValue("Status", "Running"), "0");
}

TEST_F(StartupTest, RestoreDefaultSettingsAndExitLeavesNoSettingsFile) {
  WriteIni("[Menu]\nDot_Join=0\n");
  startup_test::WriteText(DataDir() + "FGen48.ini", "[Hardware]\nHW_Gen=0\n");
  startup_test::WriteText(DataDir() + "settings48.ini", "[CH1]\n1V=1\n");
  StartAndRun();
  ASSERT_EQ(Form1->RestoreDefaultSettingsExit1->Caption(), "Restore Default Settings && Exit");
  Form1->RestoreDefaultSettingsExit1->Click();
  harness_->Pump(20);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(std::filesystem::exists(IniPath()));
  EXPECT_FALSE(std::filesystem::exists(DataDir() + "FGen48.ini"));
  // The last panel settings are the user's, not defaults.
  EXPECT_TRUE(std::filesystem::exists(DataDir() + "settings48.ini"));
}

TEST_F(StartupTest, CloseReplacesTheSettingsFileOnce) {
  StartAndRun();
  FileReplaceCounter replaced(DataDir(), "Darvik48.ini");
  ASSERT_TRUE(Close());
  EXPECT_EQ(replaced.Count(), 1);
  EXPECT_EQ(IniValue("Status", "Running"), "0");
  EXPECT_EQ(IniValue("Colors", "Time_Marker"), "4194432");
}

// A settings file that is there but cannot be used is named, with why, in
// one message at the start; the program runs on its defaults, and its close
// leaves the thing in the file's place as it was. A link to a good file is
// read and written through.
TEST_F(StartupTest, SettingsFilesThatCannotBeUsedAreToldOfOnceAndLeftAlone) {
  // What each file holds when it can be read, and what its close writes.
  struct File {
    const char* name;
    const char* text;
    const char* written;
  };
  const File files[] = {{"Darvik48.ini", "[Menu]\nRMS_on=1\n", "Running=0"},
                        {"FGen48.ini", "[Menu]\nSync Mode=1\n", "[MainForm]"},
                        {"settings48.ini", "[View]\nRMS_Value=1\n", "[Trigger]"}};
  for (const File& file : files)
    for (const FileStandIn::Kind kind : FileStandIn::kAll) {
      SCOPED_TRACE(std::string(file.name) + ", " + FileStandIn::Name(kind));
      // A new session after the last one's close.
      FreeAllWindows();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      ResetProgramState();
      std::filesystem::remove_all(DataDir());
      std::filesystem::create_directories(DataDir());
      // The last settings are read at the start only with their option on.
      if (std::string(file.name) != "Darvik48.ini")
        WriteIni("[Menu]\nSaveRecallLastSettings=1\nHWdialog=0\n[Hardware]\nDemoMode=1\n");
      const std::string path = DataDir() + file.name;
      const FileStandIn standIn(kind, path, file.text);
      ASSERT_TRUE(standIn.Made());
      Dialogs().ClearRecords();
      const auto start = std::chrono::steady_clock::now();
      StartAndRun();
      // Nothing is waited on (a named pipe is opened for writing only after
      // ten seconds).
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
      const auto naming = [&] {
        int n = 0;
        for (const auto& m : Dialogs().Messages()) n += m.Text.find(path) != std::string::npos;
        return n;
      };
      const std::string reason = FileStandIn::Reason(kind);
      if (reason.empty()) {
        EXPECT_EQ(naming(), 0);
        // What the file held was taken.
        EXPECT_TRUE(ScopeState().RmsOn || GeneratorState().SyncMode);
      } else {
        EXPECT_EQ(Dialogs().CountMessages("The settings file " + path + " cannot be used: " + reason +
                                          ".\rThe program goes on with its defaults and leaves the file as it is."),
                  1);
        EXPECT_EQ(naming(), 1);
        EXPECT_FALSE(ScopeState().RmsOn || GeneratorState().SyncMode);
      }
      ASSERT_TRUE(Close());
      EXPECT_EQ(naming(), reason.empty() ? 0 : 1);
      EXPECT_TRUE(standIn.Unchanged());
      if (reason.empty()) {
        EXPECT_NE(startup_test::ReadText(standIn.Target()).find(file.written), std::string::npos);
      }
    }
}

TEST_F(StartupTest, RefusedWriteAtCloseIsReportedOnceAndTheCloseFinishes) {
  StartAndRun();
  Dialogs().ClearRecords();
  // Something else took the file's name: no write can succeed now.
  std::filesystem::remove(IniPath());
  std::filesystem::create_directory(IniPath());

  EXPECT_TRUE(Close());
  const std::string message = "Unable to write to " + IniPath();
  EXPECT_EQ(Dialogs().CountMessages(message), 1);
  EXPECT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(ScopeState().ClosingDone, 1);
  EXPECT_EQ(ScopeState().FftBuffer, nullptr);
  EXPECT_EQ(Form1->ScopeIni, nullptr);
}

}  // namespace
