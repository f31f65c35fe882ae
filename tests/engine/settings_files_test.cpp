// The scope settings files: what a save writes and in which order, a save and
// a recall giving back the same panel (through a close and a new start, and
// through a ".set" file), the recall rules on hand-made files, a refused
// write at close, damaged files fed in by the thousand, and the generator as
// both windows' panels and the device show it after a recall.
#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <filesystem>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/big_screen.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_settings.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "io/generator_mailbox.h"
#include "io/remote_fixture.h"
#include "platform/ini/ini_file.h"
#include "recorder/recorder_form.h"
#include "device_fixture.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

using startup_test::ReadText;
using startup_test::StartupTest;
using startup_test::WriteText;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
    start = end + 1;
  }
  return out;
}

// The panel as the files see it, one "Section/Key=Value" per entry.
std::vector<std::string> Panel() {
  std::vector<std::string> out;
  for (const engine::SettingsEntry& e : Form1->SettingsFiles().ScopeSettingsEntries())
    out.push_back(e.Section + "/" + e.Key + "=" + e.Value);
  return out;
}

// The same without the spectrum spans: the recall passes through the
// spectrum view, whose entry picks the span of the time base.
std::vector<std::string> PanelBesideTheSpans() {
  std::vector<std::string> out;
  for (const std::string& entry : Panel())
    if (entry.rfind("FFT/", 0) != 0) out.push_back(entry);
  return out;
}

// The entries in which two panels differ, for a readable failure.
std::string Differences(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::string out;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "-", y = i < b.size() ? b[i] : "-";
    if (x != y) out += x + " | " + y + "\n";
  }
  return out;
}

class SettingsFiles : public StartupTest {
 protected:
  std::string LastSettings() const { return DataDir() + "settings48.ini"; }
  std::string SetFile(const std::string& name) const { return harness_->Home().Path() + "/" + name; }

  void SaveAs(const std::string& path) {
    Dialogs().AnswerFile(path);
    Form1->SaveSettings1->Click();
  }
  void Recall(const std::string& path) {
    Dialogs().AnswerFile(path);
    Form1->RecallSettings1->Click();
  }

  // A user's session: many controls away from their start states, each
  // changed as a click would change it.
  void ChangeThePanel() {
    Form1->Show();
    Form1->SpeedButton1p5v1->Click();  // CH1 0.1 V
    Form1->SpeedButton__ac2->Click();  // CH2 AC
    Form1->SpeedButton29->Click();     // CH2 3 V
    Form1->x102->Click();              // CH2 x10
    Form1->TrackBar1->SetPosition(17);
    Form1->TrackBar2->SetPosition(-40);
    Form1->SpeedButton5ms->Click();    // "2ms"
    Form1->SpeedButton7->Click();      // trigger on
    Form1->SpeedButton4->Click();      // from CH2
    Form1->SpeedButton6->Click();      // falling
    Form1->TrackBar3->SetPosition(200);
    Form1->ScrollBar2->SetPosition(50);
    Form1->SpeedButton005us->Click();  // linear
    Form1->N81->Click();
    Form1->RMSCalculation1->Click();
    Form1->Markers1->Click();
    Form1->Hamming1->Click();
    Form1->MarkersFFTdBf1->Click();
    Form1_rec->TimeButtons[3]->Click();
    Form1_rec->Ch1RangeButtons[4]->Click();
    Form1_rec->SpeedButton_gnd2->Click();
    Form1_rec->TrackBar2->SetPosition(33);
    Form1_rec->Markers1->Click();
    PersistenceState().VariablePersistenceMask = 31;
    OKRightDlg->Edit1->SetText("25");
    ScopeState().DbmOn = 1;
    GeneratorPanel& g = *Form1->GeneratorControls;
    g.GrSpeedButton5->Click();   // 5 kHz range
    g.GrSpeedButton12->Click();  // square
    g.TrackBar5->SetPosition(30);
    g.TrackBar6->SetPosition(100);
    Form1_fgen->set_fg(1234, 0, 3.5);
    Form1_fgen->SpeedButton4Click(Form1_fgen);  // the 5 kHz range takes it
  }
};

TEST_F(SettingsFiles, ASaveWritesEverySectionInOrderWithTheStartStates) {
  StartAndRun();
  // A name typed without an extension gets ".set".
  SaveAs(SetFile("first"));
  const std::string text = ReadText(SetFile("first.set"));
  ASSERT_FALSE(text.empty());

  std::vector<std::string> sections;
  for (const std::string& line : Lines(text))
    if (line.front() == '[') sections.push_back(line);
  const std::vector<std::string> expected = {
      "[Persistence]", "[Interpolation]", "[CH1]",        "[CH2]",       "[Rec_CH1]",     "[Rec_CH2]",
      "[Rec_Markers]", "[DSO_Markers]",   "[FFT_Markers]", "[Math]",       "[Average]",   "[View]",        "[Time]",
      "[Rec_Time]",    "[FFT]",           "[FFT_Lin_Log]", "[FFT_Zoom]", "[FFT_Window]",  "[FFT_Options]",
      "[Trigger]",     "[Device]",        "[Freq]",       "[Wave]",      "[Signal]"};
  EXPECT_EQ(sections, expected);

  // One channel's keys in order, and the buttons down at start.
  const std::vector<std::string> lines = Lines(text);
  const auto ch1 = std::find(lines.begin(), lines.end(), "[CH1]");
  ASSERT_NE(ch1, lines.end());
  const std::vector<std::string> ch1Keys(ch1 + 1, ch1 + 14);
  EXPECT_EQ(ch1Keys, (std::vector<std::string>{"On=1", "x1=1", "x10=0", "AC=0", "DC=1", "GND=0", "3V=0", "1V=1",
                                                "0.3V=0", "0.1V=0", "30mV=0", "10mV=0",
                                                "Position=" + std::to_string(Form1->TrackBar1->Position())}));
  TIniFile ini(SetFile("first.set"));
  EXPECT_EQ(ini.ReadString("Time", "1ms", ""), "1");
  EXPECT_EQ(ini.ReadString("Time", "0.1us", ""), "0");
  EXPECT_EQ(ini.ReadString("Trigger", "Off", ""), "1");
  EXPECT_EQ(ini.ReadString("Trigger", "Up", ""), "1");
  EXPECT_EQ(ini.ReadString("FFT", "120kHz", ""), "1");
  EXPECT_EQ(ini.ReadString("Device", "Generator", ""), "1");
  EXPECT_EQ(ini.ReadSection("Signal"),
            (std::vector<std::string>{"Offset", "Symmetry", "Amplitude_position", "Frequency", "Amplitude"}));
}

// Save, a fresh start with the start states, recall: the same panel.
TEST_F(SettingsFiles, ASavedPanelComesBackWhole) {
  struct Way {
    const char* name;
    bool generator;
    bool throughClose;
  };
  for (const Way way : {Way{"close and start", true, true}, Way{".set with generator", true, false},
                        Way{".set without generator", false, false}}) {
    SCOPED_TRACE(way.name);
    std::filesystem::remove(LastSettings());
    StartAndRun();
    ChangeThePanel();
    GeneratorState().GeneratorActive = way.generator ? 1 : 0;
    const std::vector<std::string> saved = Panel();
    const std::string set = SetFile(std::string(way.name) + ".set");
    if (way.throughClose) {
      if (!Form1->SaveRecallLastSettings1->Checked()) Form1->SaveRecallLastSettings1->Click();
      // The close's query writes the file; a closed program cannot start
      // again in this process, so the next session starts from here.
      bool canClose = false;
      Form1->FormCloseQuery(Form1, canClose);
      ASSERT_TRUE(canClose);
      ASSERT_TRUE(Form1->SettingsFiles().WriteMainSettings());
      Start();
      EXPECT_TRUE(Form1->SaveRecallLastSettings1->Checked());
      RunStartup();
    } else {
      SaveAs(set);
      EXPECT_EQ(TIniFile(set).SectionExists("Freq"), way.generator);
      Start();
      RunStartup();
      GeneratorState().GeneratorActive = way.generator ? 1 : 0;
      const std::vector<std::string> fresh = Panel();
      ASSERT_NE(fresh, saved);
      Recall(set);
    }
    GeneratorState().GeneratorActive = way.generator ? 1 : 0;
    EXPECT_EQ(Differences(Panel(), saved), "");
    // The device is left at the ranges the scope shows, not the recorder's.
    EXPECT_EQ(ScopeState().Settings.Channels[0].GainCode, 29);
    EXPECT_EQ(ScopeState().Settings.Channels[1].GainCode, 1);
    EXPECT_EQ(ScopeState().TimeDivText, "2ms");
    EXPECT_DOUBLE_EQ(ScopeState().Channels[1].ProbeFactor, 10.0);
    Form1->SaveRecallLastSettings1->SetChecked(false);
    ScopeState().RecallLastSettings = 0;
  }
}

TEST_F(SettingsFiles, RecallFollowsItsRulesOnHandMadeFiles) {
  struct Case {
    const char* name;
    const char* text;
    std::function<void(const std::vector<std::string>& before)> check;
  };
  const Case cases[] = {
      {"no keys at all", "",
       [](const std::vector<std::string>& before) { EXPECT_EQ(Differences(PanelBesideTheSpans(), before), ""); }},
      {"names in another letter case", "[cH1]\n0.3v=1\n[TIME]\n10MS=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_TRUE(Form1->SpeedButton5v1->Down());
         EXPECT_EQ(ScopeState().TimeDivText, "10ms");
       }},
      {"two buttons of one group", "[Time]\n2ms=1\n5us=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_TRUE(Form1->SpeedButton5us->Down());
         EXPECT_FALSE(Form1->SpeedButton5ms->Down());
         EXPECT_EQ(ScopeState().TimeDivText, "5us");
       }},
      {"a bad number, then a decimal comma",
       "[Device]\nGenerator=1\n[Freq]\n50kHz=1\n[Signal]\nFrequency=abc\nAmplitude=2,5\n[Trigger]\nPosition_x=40\n",
       [this](const std::vector<std::string>&) {
         EXPECT_EQ(Dialogs().CountMessages("'abc' is not a valid floating point value"), 1);
         EXPECT_DOUBLE_EQ(GeneratorState().GenAmplitude, 2.5);
         EXPECT_TRUE(Form1->GeneratorControls->GrSpeedButton4->Down());
         EXPECT_EQ(Form1->ScrollBar2->Position(), 40);  // the recall went on to its end
       }},
      {"a frequency on a whole multiple of the range's minimum", "[Device]\nGenerator=1\n[Freq]\n5kHz=1\n[Signal]\nFrequency=1000\n",
       [this](const std::vector<std::string>&) { EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 1000.0); }},
      {"an amplitude no generator gives", "[Device]\nGenerator=1\n[Signal]\nAmplitude=-2147483648\n",
       [this](const std::vector<std::string>&) {
         EXPECT_GE(GeneratorState().GenAmplitude, 0.1);
         EXPECT_LE(GeneratorState().GenAmplitude, 10.0);
       }},
      {"the library shape is never recalled", "[Device]\nGenerator=1\n[Wave]\nSine=0\nLIB=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_FALSE(Form1->GeneratorControls->GrSpeedButton14->Down());
         EXPECT_FALSE(Form1->GeneratorControls->GrSpeedButton11->Down());
       }},
      {"generator sections of a file saved without it", "[Device]\nGenerator=0\n[Freq]\n50kHz=1\n",
       [](const std::vector<std::string>& before) { EXPECT_EQ(Differences(PanelBesideTheSpans(), before), ""); }},
      {"view keys missing and present", "[View]\nRMS_Value=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_TRUE(Form1->RMSCalculation1->Checked());
         EXPECT_EQ(ScopeState().DbmOn, 0);
         EXPECT_EQ(ScopeState().SampleRateOn, 0);
         EXPECT_EQ(ScopeState().ClearOnRunSingle, 0);
       }},
      {"view and noise-reject items come with their checks",
       "[View]\ndBm_Value=1\nSample_Rate=1\nDotJoin=0\nClearDisplay=1\n[Trigger]\nHF_Reject=1\n",
       [](const std::vector<std::string>&) {
         struct Item {
           TMenuItem* item;
           const std::uint8_t& flag;
           bool stored;
         };
         const Item items[] = {{Form1->dBmValue1, ScopeState().DbmOn, true},
                               {Form1->SampleRate1, ScopeState().SampleRateOn, true},
                               {Form1->DotJoin1, ScopeState().DotJoin, false},
                               {Form1->ClearDisplayonRunSingleClick1, ScopeState().ClearOnRunSingle, true},
                               {Form1->HFReject1, ScopeState().NoiseRejectOn, true}};
         for (const Item& i : items) {
           SCOPED_TRACE(i.item->Caption());
           EXPECT_EQ(i.item->Checked(), i.stored);
           EXPECT_EQ(i.flag, i.stored ? 1 : 0);
           // The first click turns the item and what it stands for over together.
           i.item->Click();
           EXPECT_EQ(i.item->Checked(), !i.stored);
           EXPECT_EQ(i.flag, i.stored ? 0 : 1);
         }
       }},
      {"persistence marks and masks",
       "[Persistence]\nNormalPersistence=0\nPersistence_with_Intensity_Grading=1\nVariablePersistence=1\n"
       "Duration=99\nDuration2=63\n",
       [](const std::vector<std::string>&) {
         EXPECT_EQ(PersistenceState().NormalPersistenceChecked, 0);
         EXPECT_EQ(PersistenceState().GradedPersistenceChecked, 1);
         EXPECT_EQ(PersistenceState().VariablePersistenceChecked, 0);
         EXPECT_EQ(PersistenceState().PersistenceMode, 2);
         EXPECT_EQ(PersistenceState().VariablePersistenceMask, 15);
         EXPECT_EQ(PersistenceState().GradedPersistenceMask, 63);
       }},
      {"the recorder as the stored instrument", "[Device]\nRecorder=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_TRUE(Form1_rec->Visible());
         Form1_rec->SpeedButton5Click(Form1_rec);
       }},
      {"x10 probes show no warning", "[CH1]\nx10=1\n[CH2]\nx10=1\n",
       [](const std::vector<std::string>&) {
         EXPECT_TRUE(Form1->x101->Down());
         EXPECT_FALSE(Form12->Visible());
         EXPECT_EQ(ScopeState().ProbeWarningMuted, 0);
       }},
  };
  StartAndRun();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    RunStartup();
    Dialogs().ClearRecords();
    const std::string path = SetFile("hand.set");
    WriteText(path, c.text);
    Form1->Show();
    const std::vector<std::string> before = PanelBesideTheSpans();
    const std::array<int, 4> place{Form1->Left(), Form1->Top(), Form1->Width(), Form1->Height()};
    Recall(path);
    // The visit to the recorder leaves the scope window where it was.
    EXPECT_EQ((std::array<int, 4>{Form1->Left(), Form1->Top(), Form1->Width(), Form1->Height()}), place);
    c.check(before);
  }
}

// The file named on the command line is offered in the open dialog and
// applied only when the user confirms it.
TEST_F(SettingsFiles, TheCommandLineFileIsAppliedOnlyWhenConfirmed) {
  StartAndRun();
  const std::string path = SetFile("named.set");
  WriteText(path, "[Time]\n10us=1\n");
  const std::vector<std::string> before = Panel();
  for (const bool confirm : {false, true}) {
    Dialogs().ClearRecords();
    Form1->OpenDialog2->SetFileName(path);
    confirm ? Dialogs().AnswerFile(path) : Dialogs().CancelFile();
    Form1->SettingsFiles().RecallSettings2();
    ASSERT_EQ(Dialogs().FileDialogs().size(), 1u);
    EXPECT_EQ(Dialogs().FileDialogs()[0].FileName, path);
    EXPECT_EQ(Dialogs().FileDialogs()[0].InitialDir, ScopeState().DocumentsFolder);
    EXPECT_EQ(Form1->SpeedButton10us->Down(), confirm);
    if (!confirm) {
      EXPECT_EQ(Differences(Panel(), before), "");
    }
  }
}

TEST_F(SettingsFiles, SavingOverAFileKeepsWhatTheSaveDoesNotWrite) {
  StartAndRun();
  const std::string path = SetFile("older.set");
  WriteText(path, "[Own]\nnote=kept\n[Freq]\n5kHz=1\n[CH1]\nOn=0\nExtra=7\n");
  GeneratorState().GeneratorActive = 0;
  SaveAs(path);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Own", "note", ""), "kept");
  EXPECT_EQ(ini.ReadString("Freq", "5kHz", ""), "1");
  EXPECT_EQ(ini.ReadString("CH1", "On", ""), "1");
  EXPECT_EQ(ini.ReadString("CH1", "Extra", ""), "7");
  EXPECT_EQ(ini.ReadString("Device", "Generator", ""), "0");
}

TEST_F(SettingsFiles, ARefusedWriteAtCloseIsToldOnceAndTheCloseFinishes) {
  StartAndRun();
  Form1->SaveRecallLastSettings1->Click();
  // A folder in the file's place: nothing can be written there.
  std::filesystem::create_directories(LastSettings());
  ASSERT_TRUE(Close());
  EXPECT_EQ(Dialogs().CountMessages("Unable to write to " + LastSettings()), 1);
  EXPECT_TRUE(std::filesystem::is_directory(LastSettings()));
}

TEST_F(SettingsFiles, DamagedSettingsFilesNeverCrashTheRecall) {
  StartAndRun();
  SaveAs(SetFile("good.set"));
  const std::string good = ReadText(SetFile("good.set"));
  std::mt19937 random(20261209);
  const std::string alphabet = "[]=\n\r01-x.,;aZ 9\t\"";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int runs = 0;
  for (; runs < 400 && std::chrono::steady_clock::now() < deadline; ++runs) {
    std::string text = good;
    const int edits = 1 + static_cast<int>(random() % 12);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = random() % text.size();
      switch (random() % 4) {
        case 0: text[at] = alphabet[random() % alphabet.size()]; break;
        case 1: text.erase(at, 1 + random() % 40); break;
        case 2: text.insert(at, std::string(1 + random() % 6, alphabet[random() % alphabet.size()])); break;
        default: text.resize(at); break;
      }
    }
    const std::string path = SetFile("damaged.set");
    WriteText(path, text);
    Recall(path);
    // Whatever went in, the panel is one the writer can store again.
    ASSERT_TRUE(engine::WriteSettingsFile(SetFile("again.set"), Form1->SettingsFiles().ScopeSettingsEntries()));
  }
  EXPECT_GT(runs, 20);
}

// Every value of all three settings files at the integer minimum, as a
// damaged or hostile file may hold them: no flag is a button's state, so
// none counts, and no window or instrument opens. The same files as
// written give the panel to compare with; only the recall itself is left on.
TEST_F(SettingsFiles, ValuesOutOfTheirRangeCommandNothing) {
  StartAndRun();
  ASSERT_TRUE(engine::WriteSettingsFile(LastSettings(), Form1->SettingsFiles().ScopeSettingsEntries()));
  ASSERT_TRUE(Form1->SettingsFiles().WriteMainSettings());
  ASSERT_TRUE(Form1_fgen->WriteGeneratorSettings());
  const std::vector<std::string> paths = {IniPath(), DataDir() + "FGen48.ini", LastSettings()};
  std::vector<std::string> written;
  for (const std::string& path : paths) written.push_back(ReadText(path));
  // The buttons and checks of the panel, by key, after a start on the files.
  const auto flagsAfterAStart = [&] {
    TIniFile(IniPath()).WriteBool("Menu", "SaveRecallLastSettings", true);
    Start();
    RunStartup();
    std::map<std::string, std::string> flags;
    for (const std::string& entry : PanelBesideTheSpans()) {
      const std::size_t eq = entry.find('=');
      flags[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    return flags;
  };
  const std::map<std::string, std::string> asWritten = flagsAfterAStart();

  for (std::size_t i = 0; i < paths.size(); ++i) {
    WriteText(paths[i], written[i]);
    TIniFile ini(paths[i]);
    const std::vector<TIniFile::Value> values = ini.ReadAllValues();
    ASSERT_GT(values.size(), 20u) << paths[i];
    IniWriteBatch batch(ini);
    for (const TIniFile::Value& v : values) ini.WriteInteger(v.Section, v.Key, INT32_MIN);
    ASSERT_TRUE(batch.Commit());
  }
  const std::map<std::string, std::string> atTheMinimum = flagsAfterAStart();
  using namespace engine;
  EXPECT_FALSE(Form1_rec->Visible());
  EXPECT_EQ(ScopeState().SpectrumMode, 0);
  EXPECT_EQ(ScopeState().HideScope, 0);
  EXPECT_FALSE(Form10->Visible());
  EXPECT_EQ(ScopeState().PreviousRunMark, 0);
  EXPECT_EQ(GeneratorState().SyncMode, 0);
  std::string differences;
  for (const auto& [key, value] : asWritten)
    if ((value == "0" || value == "1") && atTheMinimum.at(key) != value)
      differences += key + ": " + value + " | " + atTheMinimum.at(key) + "\n";
  EXPECT_EQ(differences, "");
}

// A last-settings file with 300,000 sections more (8 MB) is recalled at the
// start in a moment, as its size allows, and what it holds is applied.
TEST_F(SettingsFiles, ALastSettingsFileOfManySectionsIsRecalledAtOnce) {
  WriteIni("[Menu]\nSaveRecallLastSettings=1\nHWdialog=0\n[Hardware]\nDemoMode=1\n");
  std::string text = "[Time]\r\n10us=1\r\n[CH1]\r\n0.3V=1\r\n";
  for (int i = 0; i < 300000; ++i) text += "[Section" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  text += "[Trigger]\r\nPosition_x=40\r\n";
  ASSERT_GT(text.size(), 7u << 20);
  WriteText(LastSettings(), text);
  const auto start = std::chrono::steady_clock::now();
  Start();
  ASSERT_TRUE(harness_->PumpUntil([] { return !Form1->Timer3->Enabled(); }, 120000));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Well under a second on an idle machine; the margin is for sanitizer
  // builds on a busy one (the time once grew with the square of the count:
  // hours for this file).
  EXPECT_LT(elapsed, std::chrono::seconds(30))
      << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms";
  EXPECT_TRUE(Form1->SpeedButton10us->Down());
  EXPECT_EQ(ScopeState().TimeDivText, "10us");
  EXPECT_TRUE(Form1->SpeedButton5v1->Down());
  EXPECT_EQ(Form1->ScrollBar2->Position(), 40);
}

// With the device on the bus: whichever way a file is recalled, the last
// settings packet carries the ranges and couplings the scope's panel shows,
// not those of the recorder, whose settings go in on the way.
class SettingsFilesOnTheWire : public SettingsFiles {
 protected:
  bool DevicePresent() const override { return true; }
};

TEST_F(SettingsFilesOnTheWire, TheLastPacketOfEveryRecallCarriesTheScopesRanges) {
  // CH1 0.3 V AC, CH2 3 V DC; the recorder keeps 1 V DC on both.
  const std::string panel =
      "[CH1]\nAC=1\nDC=0\n1V=0\n0.3V=1\n[CH2]\nDC=1\n3V=1\n1V=0\n"
      "[Rec_CH1]\nDC=1\n1V=1\n[Rec_CH2]\nDC=1\n1V=1\n";
  device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  enum class Way { AtStart, CommandLine, FileMenu };
  for (const Way way : {Way::AtStart, Way::CommandLine, Way::FileMenu}) {
    SCOPED_TRACE(static_cast<int>(way));
    WriteIni(std::string("[Menu]\nHWdialog=0\nSaveRecallLastSettings=") + (way == Way::AtStart ? "1" : "0") + "\n");
    WriteText(LastSettings(), way == Way::AtStart ? panel : "");
    const std::string set = SetFile("panel.set");
    WriteText(set, panel);
    StartAndRun();
    ASSERT_TRUE(Driver().IsOpen());
    if (way == Way::CommandLine) {
      Form1->OpenDialog2->SetFileName(set);
      Dialogs().AnswerFile(set);
      Form1->SettingsFiles().RecallSettings2();
    } else if (way == Way::FileMenu) {
      Recall(set);
    }
    ASSERT_TRUE(Device().LastSettings().has_value());
    const SimScopeSettings last = *Device().LastSettings();
    EXPECT_EQ(last.ControlByte(1), 0x04) << Device().Dump();  // 0.3 V, AC
    EXPECT_EQ(last.ControlByte(2), 0x09) << Device().Dump();  // 3 V, DC
    // A Run sends the same ranges again.
    Device().ClearLog();
    Form1->SpeedButtonRun->Click();
    ASSERT_TRUE(harness_->PumpUntil([this] { return !Device().SettingsHistory().empty(); }, 2000));
    Form1->SpeedButtonRun->Click();
    EXPECT_EQ(Device().SettingsHistory().back().ControlByte(1), 0x04);
    EXPECT_EQ(Device().SettingsHistory().back().ControlByte(2), 0x09);
  }
}

// The generator's offset comes back from a file as it was saved: the same
// read-out and the same settings packet, at the start state's 0 V too.
TEST_F(SettingsFilesOnTheWire, TheGeneratorOffsetComesBackAsSaved) {
  device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  WriteIni("[Menu]\nHWdialog=0\n");
  struct Session {
    QImage readout;
    std::vector<std::uint8_t> packet;
  };
  // The offset as the user sees it and as the device last got it.
  auto session = [this] {
    EXPECT_TRUE(harness_->PumpUntil([] { return !Form1_fgen->Timer8->Enabled(); }, 3000));
    Session s{Form1->GeneratorControls->Image7->Picture()->Image(), {}};
    for (const SimPacket& p : Device().Packets())
      if (p.type == 5) s.packet = p.bytes;
    return s;
  };
  const std::string set = SetFile("offset.set");
  for (const int volts : {0, 2}) {
    SCOPED_TRACE(volts);
    StartAndRun();
    GeneratorPanel& g = *Form1->GeneratorControls;
    g.GrSpeedButton11->Click();  // sine: the output is on
    if (volts != 0) {
      Form1_fgen->set_fg(GeneratorState().GenFrequency, volts, GeneratorState().GenAmplitude);
      for (GeneratorPanel* p : {Form1->GeneratorControls, Form1_rec->GeneratorControls})
        p->TrackBar6->SetPosition(255 - GeneratorState().OffsetDac);
    }
    Device().ClearLog();
    Form1_fgen->Timer8Timer(Form1_fgen);
    const Session saved = session();
    ASSERT_FALSE(saved.packet.empty());
    SaveAs(set);

    StartAndRun();
    Device().ClearLog();
    Recall(set);
    const Session recalled = session();
    EXPECT_EQ(recalled.packet, saved.packet);
    EXPECT_TRUE(recalled.readout == saved.readout);
  }
}


// However the amplitude was last set, and however the file comes back, both
// windows' generator panels show the saved range and amplitude, the device
// plays that amplitude, and the next click on the recorder's panel keeps it.
TEST_F(SettingsFilesOnTheWire, BothGeneratorPanelsAndTheInstrumentShowTheSavedGeneratorAfterEveryRecall) {
  device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  SharedBlockNames names;
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  auto enter = [](TEdit* edit, const std::string& text) {
    edit->SetText(text);
    unsigned short key = VK_RETURN;
    edit->OnKeyDown(edit, key, TShiftState{});
  };
  struct Way {
    const char* name;
    std::function<void(GeneratorPanel&)> set;
  };
  const Way ways[] = {
      {"typed 3 Vpp, then 2.1 Vpp at 40 Hz through the mailbox",
       [&](GeneratorPanel& g) {
         g.GrSpeedButton11->Click();
         enter(g.Edit7, "3");
         GeneratorState().GeneratorMailbox = {};  // this program has applied no request yet
         io::SharedWords& box = *io::GeneratorMailboxBlock;
         box.Set(io::kGenWave, 1);
         box.Set(io::kGenFrequency, 40000);
         box.Set(io::kGenAmplitude, 2100);
         box.Set(io::kGenOffset, 0);
         box.Set(io::kGenAlive, 0);
         ASSERT_TRUE(harness_->PumpUntil([&] { return box.Get(io::kGenAlive) == io::kGenAliveValue; }, 2000));
         ASSERT_DOUBLE_EQ(GeneratorState().GenAmplitude, 2.1);
       }},
      {"the slider on the 50 Hz range",
       [](GeneratorPanel& g) {
         g.GrSpeedButton7->Click();
         g.GrSpeedButton11->Click();
         g.TrackBar7->SetPosition(70);
       }},
      {"typed 2.15 Vpp on the 5 kHz range",
       [&](GeneratorPanel& g) {
         g.GrSpeedButton5->Click();
         g.GrSpeedButton11->Click();
         enter(g.Edit7, "2.15");
       }},
  };
  // What the user sees of a panel, and what the device plays.
  struct Generator {
    std::vector<QImage> readouts;  // frequency, amplitude, VRMS
    std::vector<bool> downs;       // range and shape buttons
    std::vector<std::uint8_t> waveBlock, settings;
  };
  auto panelOf = [](const GeneratorPanel& g) {
    Generator out;
    for (TImage* image : {g.Image5, g.Image8, g.Image2}) out.readouts.push_back(image->Picture()->Image());
    for (TGrSpeedButton* b : g.RangeButtons()) out.downs.push_back(b->Down());
    for (TGrSpeedButton* b : g.ShapeButtons()) out.downs.push_back(b->Down());
    return out;
  };
  auto now = [&] {
    EXPECT_TRUE(harness_->PumpUntil([] { return !Form1_fgen->Timer8->Enabled(); }, 3000));
    Generator out = panelOf(*Form1->GeneratorControls);
    if (!Device().WaveBlocks().empty()) out.waveBlock = Device().WaveBlocks().back();
    for (const SimPacket& p : Device().Packets())
      if (p.type == 5) out.settings = p.bytes;
    return out;
  };
  auto expectSame = [](const Generator& got, const Generator& want, bool device) {
    for (std::size_t i = 0; i < want.readouts.size(); ++i) EXPECT_TRUE(got.readouts[i] == want.readouts[i]) << "read-out " << i;
    EXPECT_EQ(got.downs, want.downs);
    if (!device) return;
    EXPECT_EQ(got.waveBlock, want.waveBlock);
    EXPECT_EQ(got.settings, want.settings);
  };

  enum class Path { AtStart, CommandLine, FileMenu };
  const std::string set = SetFile("generator.set");
  for (const Way& way : ways) {
    for (const Path path : {Path::AtStart, Path::CommandLine, Path::FileMenu}) {
      SCOPED_TRACE(std::string(way.name) + ", recalled " +
                   (path == Path::AtStart ? "at start" : path == Path::CommandLine ? "from the command line" : "from the menu"));
      WriteIni("[Menu]\nHWdialog=0\n");
      std::filesystem::remove(LastSettings());
      StartAndRun();
      way.set(*Form1->GeneratorControls);
      Form1_fgen->Timer8Timer(Form1_fgen);
      const Generator saved = now();
      ASSERT_FALSE(saved.waveBlock.empty());
      SaveAs(set);

      if (path == Path::AtStart) {
        std::filesystem::copy_file(set, LastSettings());
        WriteIni("[Menu]\nHWdialog=0\nSaveRecallLastSettings=1\n");
      }
      StartAndRun();
      if (path == Path::CommandLine) {
        Device().ClearLog();
        Form1->OpenDialog2->SetFileName(set);
        Dialogs().AnswerFile(set);
        Form1->SettingsFiles().RecallSettings2();
      } else if (path == Path::FileMenu) {
        Device().ClearLog();
        Recall(set);
      }
      expectSame(now(), saved, true);

      // The recorder's panel, once its window is open, shows the same; its
      // range button, clicked again, changes nothing.
      Form1->SpeedButton27->Click();
      ASSERT_TRUE(Form1_rec->Visible());
      expectSame(panelOf(*Form1_rec->GeneratorControls), saved, false);
      for (TGrSpeedButton* b : Form1_rec->GeneratorControls->RangeButtons())
        if (b->Down()) {
          b->Click();
          break;
        }
      expectSame(now(), saved, true);
      Form1_rec->SpeedButton5Click(Form1_rec);
    }
  }
}

}  // namespace
