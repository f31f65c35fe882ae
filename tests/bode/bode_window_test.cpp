// The Bode plotter window in the whole program: sweeps and their tables,
// stopping, the wire while bands change, files, pictures and colours.
#include <gtest/gtest.h>


#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bode/add_text_bode.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/color_dialog.h"
#include "bode/trace_colors_dialog.h"
#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "engine/settings_packet.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "io/png_file.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

using Column = std::vector<std::string>;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The table's lines below the header, split into fields.
std::vector<std::vector<std::string>> Points() {
  std::vector<std::vector<std::string>> rows;
  const std::vector<std::string>& lines = Bode_plot->Memo1->Lines().Lines();
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields;
    std::stringstream s(lines[i]);
    for (std::string f; std::getline(s, f, '\t');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

Column Frequencies() {
  Column out;
  for (const auto& row : Points()) out.push_back(row.at(0));
  return out;
}

void Sweep() { Bode_plot->SpeedButton1->Click(); }

class BodeWindowTest : public HeldStartupTest {
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

TEST_F(BodeWindowTest, SweepTablesFollowTheFrequencyPlans) {
  // Defaults: 10 Hz .. 10 kHz in steps of a whole decade's start.
  Sweep();
  EXPECT_EQ(Frequencies(), (Column{"10.00",  "20.00",  "30.00",  "40.00",  "50.00",  "60.00",  "70.00",
                                   "80.00",  "90.00",  "100.0",  "200.0",  "300.0",  "400.0",  "500.0",
                                   "600.0",  "700.0",  "800.0",  "900.0",  "1000.0", "2000.0", "3000.0",
                                   "4000.0", "5000.0", "6000.0", "7000.0", "8000.0", "9000.0", "10000"}));
  EXPECT_EQ(Bode_plot->Memo1->Lines()[0], "  Hz\t Vrms\tdBV\tdeg");
  EXPECT_EQ(Bode_plot->Memo1->Lines()[1], "10.00\t2.000\t6.000");
  EXPECT_EQ(BodeState().BodeSweepRunning, 0);

  // 100 kHz .. 1 MHz: ends with the point at 1 MHz.
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();
  Sweep();
  EXPECT_EQ(Frequencies(), (Column{"100000", "200000", "300000", "400000", "500000", "600000", "700000", "800000",
                                   "900000", "1000000"}));

  // Linear from DC, 100 Hz .. 1 kHz, with the phase column.
  Bode_plot->RangeTopRadios[0]->Click();
  Bode_plot->StartRadios[3]->Click();
  Bode_plot->CheckBox2->Click();  // linear scale
  Bode_plot->CheckBox1->Click();  // linear steps
  Bode_plot->CheckBox3->Click();  // from DC
  Bode_plot->PhasePlot1->Click();
  Sweep();
  EXPECT_EQ(Frequencies(), (Column{"  0", "100.0", "200.0", "300.0", "400.0", "500.0", "600.0", "700.0", "800.0",
                                   "900.0", "1000.0"}));
  EXPECT_EQ(Points().front(), (Column{"  0", "2.000", "6.000", "0.0"}));
}

TEST_F(BodeWindowTest, LogScaleIgnoresTheDcStartAndTheGridShowsOnThePicture) {
  Bode_plot->CheckBox2->Click();
  Bode_plot->CheckBox3->Click();
  Bode_plot->CheckBox2->Click();  // back to the log scale: the DC box is disabled
  EXPECT_FALSE(Bode_plot->CheckBox3->Enabled());
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();
  Sweep();
  EXPECT_EQ(Frequencies().front(), "100000");

  const TCanvas* c = Bode_plot->Image1->Canvas();
  EXPECT_EQ(c->Pixels(166, 43), bode::kDefaultBodeGrid) << "grid line of 2 x start";
  EXPECT_EQ(c->Pixels(15, 100), bode::kDefaultBodeBorder);
  EXPECT_EQ(c->Pixels(522, 100), bode::kDefaultBodeBackground);
  EXPECT_EQ(Bode_plot->Caption(), "Bode Plotter");
}

TEST_F(BodeWindowTest, DataFilesKeepTableAndAnnotation) {
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();
  Sweep();
  const std::vector<std::string> table = Bode_plot->Memo1->Lines().Lines();
  form_9bode->Memo1->Lines().Add("low-pass, 1 kHz");
  form_9bode->Button1->Click();
  const std::string path = harness_->Home().Path() + "/sweep.txt";
  ASSERT_TRUE(Bode_plot->SaveDataFile(path));
  const std::string bytes = ReadBytes(path);
  EXPECT_NE(bytes.find("1000000\t2.000\t6.000\r\n\r\nCOMMENT\r\n1\r\n20\r\n20\r\n0\r\nlow-pass, 1 kHz\r\n"),
            std::string::npos);
  EXPECT_EQ(Bode_plot->Caption(), "Bode Plotter - sweep.txt");

  Bode_plot->SpeedButton4->Click();
  form_9bode->Button2->Click();
  form_9bode->Memo1->Clear();
  ASSERT_TRUE(Bode_plot->LoadDataFile(path));
  EXPECT_EQ(Bode_plot->Memo1->Lines().Lines(), table);
  EXPECT_EQ(form_9bode->Memo1->Lines().Lines(), std::vector<std::string>{"low-pass, 1 kHz"});
  EXPECT_EQ(BodeState().BodeNoteShown, 1);

  // A trailer with a count that is no number leaves everything as it was.
  const std::string broken = harness_->Home().Path() + "/broken.txt";
  std::ofstream(broken, std::ios::binary) << "  Hz\t Vrms\tdBV\tdeg\r\n10\t1\t0\r\n\r\nCOMMENT\r\nmany\r\n";
  EXPECT_FALSE(Bode_plot->LoadDataFile(broken));
  EXPECT_EQ(harness_->Dialogs().CountMessages(broken + ", line 5: 'many' is not a valid integer value"), 1);
  EXPECT_EQ(Bode_plot->Memo1->Lines().Lines(), table);

  // Saved without annotation: no trailer; reading it switches the annotation off.
  form_9bode->Button2->Click();
  ASSERT_TRUE(Bode_plot->SaveDataFile(path));
  const std::string plain = ReadBytes(path);
  EXPECT_EQ(plain.substr(plain.size() - 21), "1000000\t2.000\t6.000\r\n");
  form_9bode->Button1->Click();
  ASSERT_TRUE(Bode_plot->LoadDataFile(path));
  EXPECT_EQ(BodeState().BodeNoteShown, 0);
}

TEST_F(BodeWindowTest, PicturesArePngOrBmpByTheirExtension) {
  Sweep();
  const QImage shown = Bode_plot->Image1->Picture()->Image().copy();
  const std::string png = harness_->Home().Path() + "/plot.png";
  const std::string bmp = harness_->Home().Path() + "/plot.BMP";
  ASSERT_TRUE(Bode_plot->SaveImageFile(png));
  ASSERT_TRUE(Bode_plot->SaveImageFile(bmp));
  EXPECT_EQ(ReadBytes(png).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(ReadBytes(bmp).substr(0, 2), "BM");
  const std::optional<QImage> back = io::LoadPngFile(png);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, shown);

  Bode_plot->ScaleRadios[1]->Click();  // redrawn in dB
  ASSERT_NE(Bode_plot->Image1->Picture()->Image(), shown);
  ASSERT_TRUE(Bode_plot->LoadImageFile(png));
  EXPECT_EQ(Bode_plot->Image1->Picture()->Image(), shown);
  EXPECT_EQ(Bode_plot->Caption(), "Bode Plotter - plot.png");
  std::ofstream(png, std::ios::binary | std::ios::trunc) << "\x89PNG\r\n\x1a\nbroken";
  EXPECT_FALSE(Bode_plot->LoadImageFile(png));
  EXPECT_EQ(Bode_plot->Image1->Picture()->Image(), shown);
}

TEST_F(BodeWindowTest, ColourDialogsDefaultsPensAndCancel) {
  ScriptedDialogs& dialogs = harness_->Dialogs();
  // A black background chosen, then Cancel: the colour stays, the pens do not follow.
  dialogs.AnswerColor(0x000000);
  dialogs.AnswerModal([](TForm& form) {
    form.FindComponentAs<TGrSpeedButton>("Button5")->Click();  // "Background"
    return static_cast<int>(mrCancel);
  });
  Bode_plot->Colors1->Click();
  EXPECT_EQ(BodeState().BodeBackgroundColor, 0x000000u);
  EXPECT_EQ(BodeState().BodeLevelMarkerPen, 0xFF0000u);
  EXPECT_EQ(Bode_plot->Image1->Canvas()->Pixels(100, 100), 0x000000u);

  // OK: the pens are (NOT background XOR marker colour).
  dialogs.AnswerModal(mrOk);
  Bode_plot->Colors1->Click();
  EXPECT_EQ(BodeState().BodeLevelMarkerPen, 0x00FFFFu);
  EXPECT_EQ(BodeState().BodeFreqMarkerPen, 0x00FFFFu);
  // The sample: the level-marker pen drawn not-xor over the black background shows the marker colour.
  EXPECT_EQ(BtnBottomDlg_2->Image1->Canvas()->Pixels(5, 34), 0xFF0000u);

  // "Default Colors".
  dialogs.AnswerModal(TBtnBottomDlg_2::kDefaults);
  Bode_plot->Colors1->Click();
  EXPECT_EQ(BodeState().BodeBackgroundColor, bode::kDefaultBodeBackground);
  EXPECT_EQ(BodeState().BodeLevelMarkerPen, 0xFF0000u);

  // Colours of multiple traces: Cancel discards, OK takes them.
  dialogs.AnswerColor(0x123456);
  dialogs.AnswerModal([](TForm& form) {
    form.FindComponentAs<TGrSpeedButton>("Button3")->Click();
    return static_cast<int>(mrCancel);
  });
  Bode_plot->ColorsofTraces1->Click();
  EXPECT_EQ(BodeState().BodeTraceColors[2], 0x0000FFu);
  dialogs.AnswerColor(0x123456);
  dialogs.AnswerModal([](TForm& form) {
    form.FindComponentAs<TGrSpeedButton>("Button3")->Click();
    return static_cast<int>(mrOk);
  });
  Bode_plot->ColorsofTraces1->Click();
  EXPECT_EQ(BodeState().BodeTraceColors[2], 0x123456u);
  EXPECT_EQ(BtnBottomDlg_21->Image1->Canvas()->Pixels(3, 58), 0x123456u);
}

// In the plot colour dialog each button stands beside the sample it changes:
// the sample line, or for "Background" the picture itself, takes the chosen
// colour at the button's height.
TEST_F(BodeWindowTest, EachColourButtonStandsBesideItsSample) {
  ScriptedDialogs& dialogs = harness_->Dialogs();
  constexpr TColor kChosen = 0x3366CC;
  for (const std::string caption :
       {"Trace", "Volt. Markers", "Freq. Marker", "Grid", "Grid Border", "Text", "Background"}) {
    SCOPED_TRACE(caption);
    dialogs.AnswerModal(TBtnBottomDlg_2::kDefaults);
    Bode_plot->Colors1->Click();
    TGrSpeedButton* button = nullptr;
    std::vector<int> rows;  // the window rows where the sample shows the chosen colour
    dialogs.AnswerColor(kChosen);
    dialogs.AnswerModal([&](TForm& form) {
      for (int i = 1; i <= 7; ++i)
        if (auto* b = form.FindComponentAs<TGrSpeedButton>("Button" + std::to_string(i)); b && b->Caption() == caption)
          button = b;
      if (!button) return static_cast<int>(mrCancel);
      button->Click();
      const TImage* sample = BtnBottomDlg_2->Image1;
      for (int y = 0; y < sample->Height(); ++y)
        if (sample->Canvas()->Pixels(sample->Width() / 2, y) == kChosen) rows.push_back(sample->Top() + y);
      return static_cast<int>(mrCancel);
    });
    Bode_plot->Colors1->Click();
    ASSERT_NE(button, nullptr);
    const auto beside = [button](int row) { return row >= button->Top() && row < button->Top() + button->Height(); };
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), beside)) << "nothing changes beside the button";
    if (caption != "Background") {
      EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), beside));
    }
  }
  dialogs.AnswerModal(TBtnBottomDlg_2::kDefaults);
  Bode_plot->Colors1->Click();
}

TEST_F(BodeWindowTest, MarkersReadOutUnderThePlotAndFollowTheMouse) {
  Bode_plot->MarkersfV1->Click();
  EXPECT_EQ(Bode_plot->LevelReadoutText, "V: 1.90Vrms     ");  // 13 pixels below the top of 2 V
  EXPECT_EQ(Bode_plot->FreqReadoutText, "f: 12.0Hz     ");
  const TCanvas* c = Bode_plot->Image1->Canvas();
  EXPECT_EQ(c->Pixels(16, 28), 0xFF0000u) << "dotted level marker";
  // Drag the level marker to the middle of the plot.
  Bode_plot->Image1MouseDown(nullptr, mbLeft, 0, 200, 30);
  Bode_plot->Image1MouseMove(nullptr, 0, 200, 150);
  Bode_plot->Image1MouseUp(nullptr, mbLeft, 0, 200, 150);
  EXPECT_EQ(Bode_plot->LevelMarker1Y, 150);
  EXPECT_EQ(Bode_plot->LevelReadoutText, "V: 1.00Vrms     ");
  EXPECT_EQ(c->Pixels(16, 28), bode::kDefaultBodeBackground) << "the old line is gone";
  // Off again: the lines and texts go, the picture is the plain grid.
  Bode_plot->MarkersfV1->Click();
  EXPECT_EQ(c->Pixels(16, 150), bode::kDefaultBodeGrid);
}

// ---------------------------------------------------------------- with the simulated device

class BodeDeviceTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    // The generator's settle wait after each change, shortened for the tests.
    Form1_fgen->Timer7->SetInterval(1);
  }
};

TEST_F(BodeDeviceTest, BandsSwitchGeneratorRangeAndTimeBaseOnTheWire) {
  BodeState().NoScope = 1;
  Bode_plot->StartRadios[0]->Click();  // 1 Hz .. 10 kHz
  Sweep();
  BodeState().NoScope = 0;
  std::vector<std::uint8_t> registers;
  for (const SimScopeSettings& s : Device().SettingsHistory())
    if (registers.empty() || registers.back() != s.TimeBaseRegister()) registers.push_back(s.TimeBaseRegister());
  // The register each time/div button sends, as the device sees it.
  auto reg = [this](const char* label) {
    for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i)
      if (engine::TimeBaseTable[i].Button && std::string(engine::TimeBaseTable[i].Label) == label) {
        Form1->TimeBaseStepClick(i);
        return Device().LastSettings()->TimeBaseRegister();
      }
    return std::uint8_t{0};
  };
  EXPECT_EQ(registers, (std::vector<std::uint8_t>{reg("100ms"), reg("50ms"), reg("5ms"), reg("2ms"),
                                                  reg("0.5ms"), reg("0.2ms"), reg("50us")}));
  EXPECT_EQ(GeneratorState().RangeCode, 7) << "the 50k range for 5 kHz and up";
  EXPECT_EQ(GeneratorState().FilterChoice, 7) << "back to the panel's filter after the sweep";
  EXPECT_TRUE(Form1->SpeedButton4->Down()) << "trigger source Ch2 shown";
  EXPECT_EQ(Frequencies().size(), 37u);
}

TEST_F(BodeDeviceTest, StopAndCloseEndTheSweepWhileACaptureIsAwaited) {
  Device().SetBusyPolls(1 << 30);  // no capture ever completes
  for (bool close : {false, true}) {
    program_clock::Alarm end([close] {
      if (close) Bode_plot->Close();
      else Bode_plot->SpeedButton2->Click();
    });
    end.Start(std::chrono::milliseconds(300), false);
    const auto started = program_clock::Now();
    Sweep();
    EXPECT_LT(program_clock::Now() - started, std::chrono::seconds(3));
    EXPECT_EQ(BodeState().BodeSweepRunning, 0);
    EXPECT_EQ(Bode_plot->Memo1->Lines().Count(), 1) << "no line for the stopped point";
    EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  }
}

// However a sweep ends, the scope's status box no longer claims a capture runs.
TEST_F(BodeDeviceTest, EveryEndOfASweepLeavesTheScopeStatusStopped) {
  enum class Ending { Finished, Stop, WindowClosed, DeviceLost };
  struct Case {
    Ending ending;
    const char* name;
    int tableLines;  // header and points
  };
  const std::vector<Case> cases = {{Ending::Finished, "finished", 11},
                                   {Ending::Stop, "Stop", 1},
                                   {Ending::WindowClosed, "window closed", 1},
                                   {Ending::DeviceLost, "device lost", 1}};
  Device().SetSignal([](int i) { return static_cast<std::uint8_t>(128 + 60 * std::sin(i / 10.0)); },
                     [](int) { return std::uint8_t{128}; });
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();  // ten points
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Unless the sweep runs to its end, no capture completes.
    Device().SetBusyPolls(c.ending == Ending::Finished ? 0 : 1 << 30);
    program_clock::Alarm end([ending = c.ending, this] {
      if (ending == Ending::Stop) Bode_plot->SpeedButton2->Click();
      else if (ending == Ending::WindowClosed) Bode_plot->Close();
      else Device().Unplug();
    });
    if (c.ending != Ending::Finished) end.Start(std::chrono::milliseconds(300), false);
    const auto started = program_clock::Now();
    Sweep();
    EXPECT_LT(program_clock::Now() - started, std::chrono::seconds(5));
    EXPECT_EQ(Form1->Label3->Caption(), "Stopped");
    EXPECT_EQ(Bode_plot->Memo1->Lines().Count(), c.tableLines);
    EXPECT_EQ(BodeState().BodeSweepRunning, 0);
  }
}

TEST_F(BodeDeviceTest, TheSettleWaitAfterAGeneratorChangeLeavesTheProcessorFree) {
  // A sweep waits for the generator's output to settle after every change;
  // the wait keeps its length, and the program sleeps through it.
  constexpr int kSettleMs = 300;
  Form1_fgen->Timer7->SetInterval(kSettleMs);
  BodeState().BodeSweepRunning = 1;
  const std::size_t writesBefore = Device().WrittenBytes().size();
  timespec cpu0{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
  const auto started = program_clock::Now();
  Form1_fgen->timer77();
  const auto wall = program_clock::Now() - started;
  timespec cpu1{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
  BodeState().BodeSweepRunning = 0;
  const double cpuMs = (cpu1.tv_sec - cpu0.tv_sec) * 1e3 + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e6;
  EXPECT_GT(Device().WrittenBytes().size(), writesBefore) << "the generator was sent its setting";
  EXPECT_GE(wall, std::chrono::milliseconds(kSettleMs));
  EXPECT_LT(cpuMs, 0.25 * kSettleMs) << "the settle wait spins";
}

TEST_F(BodeDeviceTest, FlatInputsGiveTheZeroLevelNeverInfinity) {
  Device().SetSignal([](int) { return std::uint8_t{128}; }, [](int) { return std::uint8_t{128}; });
  Bode_plot->RangeTopRadios[3]->Click();
  Bode_plot->StartRadios[3]->Click();
  Sweep();
  ASSERT_EQ(Points().size(), 10u);
  for (const auto& row : Points()) EXPECT_EQ(row, (Column{row[0], "0.0000", "-80"}));

  // Normalised by a flat CH2 the ratio would be infinite: it reads as zero too.
  Device().SetSignal([](int i) { return static_cast<std::uint8_t>(128 + 60 * std::sin(i / 10.0)); },
                     [](int) { return std::uint8_t{128}; });
  Bode_plot->Normalize1->Click();
  Sweep();
  ASSERT_EQ(Points().size(), 10u);
  for (const auto& row : Points()) EXPECT_EQ(row, (Column{row[0], "0.0000", "-80"}));
}

}  // namespace
