// Help requests start the chosen viewer in the help folder without touching
// the program's current folder; the about boxes; the start-up report.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "bode/bode_plot.h"
#include "engine/measurement_window.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "io/about_box.h"
#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "io/help.h"
#include "io/help_startup.h"
#include "recorder/recorder_form.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(HelpCommandLine, FillsInTheFileAndTheTopicOrLeavesTheTopicOut) {
  struct Case {
    std::string viewer;
    int topic;
    std::vector<std::string> line;
  };
  const std::string f = "/opt/d48/Info/Selm48.chm";
  const std::vector<Case> cases = {
      {"hh.exe -mapid %m %f", 113, {"hh.exe", "-mapid", "113", f}},
      {"hh.exe -mapid %m %f", 0, {"hh.exe", f}},
      {"xdg-open", 109, {"xdg-open", f}},
      {"\"/opt/my viewer/bin/view\" --page=%m", 0, {"/opt/my viewer/bin/view", f}},
      {"view --file=%f --topic=%m", 108, {"view", "--file=" + f, "--topic=108"}},
      {"   ", 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(io::HelpCommandLine(c.viewer, f, c.topic), c.line) << c.viewer;
}

class HelpRequests : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    root_ = harness_->Home().Path() + "/program";
    fs::create_directories(root_ + "/Info");
    ScopeState().ProgramFolder = root_ + "/";
    // The stub viewer writes its folder and its words to a file.
    viewer_ = root_ + "/viewer.sh";
    std::ofstream(viewer_) << "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > " << root_
                           << "/seen.tmp && mv " << root_ << "/seen.tmp " << root_ << "/seen\n";
    fs::permissions(viewer_, fs::perms::owner_all);
    Form1->ScopeIni->WriteString("Help", "Viewer", viewer_ + " -mapid %m %f");
    for (const char* file : {io::kScopeHelp, io::kGeneratorHelp, io::kRecorderHelp, io::kDriverHelp})
      std::ofstream(root_ + "/Info/" + file) << "help";
  }

  // What the viewer was started with: its folder, then its words.
  std::vector<std::string> Seen() {
    const std::string seen = root_ + "/seen";
    for (int i = 0; i < 500 && !fs::exists(seen); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::string> lines = FileLines(seen);
    fs::remove(seen);
    return lines;
  }

  std::string root_, viewer_;
};

TEST_F(HelpRequests, EachWindowsHelpOpensItsFileAndTopicInTheHelpFolder) {
  const std::string info = root_ + "/Info";
  struct Case {
    const char* item;
    std::function<void()> click;
    std::vector<std::string> words;
  };
  const std::vector<Case> cases = {
      {"Oscilloscope Help", [] { Form1->Files().Help2Click(Form1); }, {info + "/Scopa48.chm"}},
      {"Function Generor Help", [] { Form1->Files().FunctionGenerorHelp1Click(Form1); }, {info + "/Selm48.chm"}},
      {"driver help", [] { Form1->Files().InstallingNT4driver1Click(Form1); }, {info + "/loaddrv60.chm"}},
      {"Transient Recorder Help", [] { Form1_rec->Help2Click(Form1_rec); }, {info + "/REC48.chm"}},
      {"recorder's generator help", [] { Form1_rec->FunctionGeneratorHelp1->Click(); },
       {info + "/Selm48.chm"}},
      {"measurement window Help", [] { Form_99->GrSpeedButton1Click(Form_99); },
       {"-mapid", "170", info + "/Scopa48.chm"}},
      {"wave editor &Help", [] { Wave_editor1->Help1->Click(); }, {"-mapid", "108", info + "/Selm48.chm"}},
      {"Bode plotter &Help", [] { Bode_plot->Help1->Click(); }, {"-mapid", "109", info + "/Selm48.chm"}},
      {"wave sequence Help", [] { Form900->Help1->Click(); }, {"-mapid", "113", info + "/Selm48.chm"}},
      {"generator engine's Contents", [] { Form1_fgen->Contents1Click(Form1_fgen); }, {info + "/Selm48.chm"}},
  };
  const fs::path before = fs::current_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    c.click();
    EXPECT_EQ(fs::current_path(), before);
    std::vector<std::string> seen = Seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(fs::path(seen.front()), fs::path(info));
    seen.erase(seen.begin());
    EXPECT_EQ(seen, c.words);
  }
  EXPECT_TRUE(harness_->Dialogs().Messages().empty());
}

TEST_F(HelpRequests, AViewerThatCannotStartIsReported) {
  Form1->ScopeIni->WriteString("Help", "Viewer", root_ + "/missing-viewer %f");
  Form1->Files().Help2Click(Form1);
  ASSERT_EQ(harness_->Dialogs().Messages().size(), 1u);
  EXPECT_EQ(harness_->Dialogs().Messages()[0].Text, io::HelpViewerFailedText(root_ + "/missing-viewer"));
  EXPECT_NE(harness_->Dialogs().Messages()[0].Text.find("could not be started"), std::string::npos);
}

TEST_F(HelpRequests, MissingHelpFilesAreReportedWithTheFolderLookedIn) {
  const std::string info = root_ + "/Info";
  const std::string viewerFails = "The help viewer \"" + root_ + "/missing-viewer\" could not be started.";
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string viewer;
    std::string message;  // the start of the one message shown
  };
  const std::vector<Case> cases = {
      {"file missing, viewer there", [&] { fs::remove(info + "/Scopa48.chm"); }, viewer_ + " %f",
       "The help files are not installed.\rThe program looked for \"Scopa48.chm\" in the folder \"" + info + "\"."},
      {"file missing, viewer missing too", [] {}, root_ + "/missing-viewer %f",
       "The help files are not installed.\rThe program looked for \"Scopa48.chm\" in the folder \"" + info + "\"."},
      {"no Info folder", [&] { fs::remove_all(info); }, "",
       "The help files are not installed.\rThe program looked for \"Scopa48.chm\" in the folder \"" + info + "\"."},
      {"file there, viewer missing", [&] {
         fs::create_directories(info);
         std::ofstream(info + "/Scopa48.chm") << "help";
       },
       root_ + "/missing-viewer %f", viewerFails},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    Form1->ScopeIni->WriteString("Help", "Viewer", c.viewer);
    harness_->Dialogs().ClearRecords();
    Form1->Files().Help2Click(Form1);
    ASSERT_EQ(harness_->Dialogs().Messages().size(), 1u);
    EXPECT_EQ(harness_->Dialogs().Messages()[0].Text.substr(0, c.message.size()), c.message);
    EXPECT_EQ(harness_->Dialogs().Messages()[0].Kind, mtWarning);
  }
  // No viewer was started for a file that is not there.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(root_ + "/seen"));
}

class AboutBoxes : public HeldStartupTest {};

TEST_F(AboutBoxes, ShowNameVersionAndNoFirmwareInDemoMode) {
  ScopeState().DemoMode = 1;
  Form1->Acquisition().QueryFirmwareVersion();
  struct Case {
    AboutWindow* box;
    std::string caption, title, version;
  };
  const std::vector<Case> cases = {
      {AboutBox, "Oscilloscope", "Oscilloscope", "Version 1.12"},
      {AboutBox_rec, "Transient Recorder", "Transient Recorder", "Version 1.12"},
      {AboutBox_fgen, "Function generator", "Function Generator", "Version  1.12"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.box->Caption(), c.caption);
    EXPECT_EQ(c.box->ProductName->Caption(), c.title);
    EXPECT_EQ(c.box->Version->Caption(), c.version);
    EXPECT_EQ(c.box->Model->Caption(), "Darvik48");
  }
  EXPECT_EQ(AboutBox->Label2->Caption(), " ");
  EXPECT_EQ(AboutBox->Label6->Caption(), io::kMakerHost);

  harness_->Dialogs().AnswerModal([](TForm&) {
    AboutBox->GrSpeedButton1->Click();
    return mrNone;
  });
  Form1->Files().About2Click(Form1);
  ASSERT_EQ(harness_->Dialogs().Forms().size(), 1u);
  EXPECT_EQ(harness_->Dialogs().Forms()[0].Result, mrOk);
}

class StartupReport : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("d48-report-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    program_ = (folder_ / "darvik48").string();
    report_ = (folder_ / "HHDebug.txt").string();
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
  std::string program_, report_;
};

TEST_F(StartupReport, TheDebugSwitchWritesTheReportAndEveryStartDeletesAnOldOne) {
  std::ofstream(report_) << "old report\n";
  EXPECT_EQ(io::RunHelpStartupChecks(program_, {"settings.set"}), "");
  EXPECT_FALSE(fs::exists(report_));

  EXPECT_EQ(io::RunHelpStartupChecks(program_, {"a.set", "-DEBUG"}), report_);
  const std::vector<std::string> lines = FileLines(report_);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "Filename:             \t" + report_);
  EXPECT_EQ(lines[7], std::string(79, '-'));
  EXPECT_EQ(lines[8], "EXE Path =          \t" + program_);
  EXPECT_EQ(lines[9], "Cmdline Param(s) =  \ta.set | -DEBUG");
  EXPECT_EQ(lines[11], "_ModuleName =       \tdarvik48");
  EXPECT_EQ(lines[12], "_ModuleDir =        \t" + folder_.string());
  EXPECT_EQ(lines[21], std::string(79, '='));
  EXPECT_EQ(lines[14].rfind("_hhInstalled =      \t", 0), 0u);

  // "debug.debug" beside the program switches it on too; the report starts afresh.
  std::ofstream((folder_ / "debug.debug").string()) << "";
  io::RunHelpStartupChecks(program_, {});
  EXPECT_EQ(FileLines(report_).size(), 22u);
  for (const char* p : {"/debug", "-Debug", "/DEBUG"}) EXPECT_TRUE(io::IsDebugSwitch(p)) << p;
  for (const char* p : {"debug", "--debug", "/debug2"}) EXPECT_FALSE(io::IsDebugSwitch(p)) << p;
  EXPECT_EQ(io::ReportLine("plain text", "NOW"), "plain text   NOW");
}

}  // namespace
