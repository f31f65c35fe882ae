// The wave sequence player: step lines, timing driven tick by tick, the
// warnings, Repeat, the end of a sequence, and steps arriving on a serial
// line (a pseudo-terminal stands in for the port).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <climits>
#include <memory>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/sequence_steps.h"
#include "generator/wave_sequence.h"
#include "support/key_press.h"
#include "widgets/gr_speed_button.h"
#include "support/program_states.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using generator::StepLineKind;

TEST(SequenceSteps, LinesGiveTheirSteps) {
  struct Row {
    const char* line;
    StepLineKind kind;
    int function;
    double hz, offset, vpp, time;
    const char* library;
  };
  const Row rows[] = {
      {"2\t75000\t0\t5\t2", StepLineKind::Step, 2, 75000, 0, 5, 2, ""},
      {"1\t0.001\t0\t5\t1", StepLineKind::Step, 1, 0.005, 0, 5, 1, ""},
      {"1\t100\t-9\t3,5\t0", StepLineKind::Step, 1, 100, -5, 3.5, 0, ""},
      {"3\t2e7\t1,5\t50\t1,5", StepLineKind::Step, 3, 1e6, 1.5, 10, 1.5, ""},
      {"0\t 1 0 0 \t0\t0.01\t1", StepLineKind::Step, 0, 100, 0, 0.1, 1, ""},
      {"4\t400\t0\t8\t10\tLib\\Burst01.LIB \r", StepLineKind::Step, 4, 400, 0, 8, 10, "Lib\\Burst01.LIB"},
      {"4\t400\t0\t8\t10", StepLineKind::MissingSeparator, 0, 0, 0, 0, 0, ""},
      {"1 100 0 5 1 spaces", StepLineKind::MissingSeparator, 0, 0, 0, 0, 0, ""},
      {"1\t1x0\t0\t5\t1", StepLineKind::BadNumber, 0, 0, 0, 0, 0, ""},
      {"1\t100\t0\t5\t", StepLineKind::BadNumber, 0, 0, 0, 0, 0, ""},
      {"1\t1\t0\t5", StepLineKind::NotAStep, 0, 0, 0, 0, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const generator::StepLine parsed = generator::ParseStepLine(row.line);
    ASSERT_EQ(parsed.Kind, row.kind);
    if (row.kind != StepLineKind::Step) continue;
    EXPECT_EQ(parsed.Step.Function, row.function);
    EXPECT_DOUBLE_EQ(parsed.Step.FrequencyHz, row.hz);
    EXPECT_DOUBLE_EQ(parsed.Step.OffsetV, row.offset);
    EXPECT_DOUBLE_EQ(parsed.Step.AmplitudeVpp, row.vpp);
    EXPECT_DOUBLE_EQ(parsed.Step.TimeS, row.time);
    EXPECT_EQ(parsed.Step.LibraryFile, row.library);
  }
}

TEST(SequenceSteps, RangesUnitsAndHoldTimes) {
  struct Row {
    double hz;
    std::size_t index;
    double value;
  };
  for (const Row& row : {Row{1e6, 0, 1000}, Row{50000, 0, 50}, Row{49999, 1, 49.999}, Row{5000, 1, 5},
                         Row{4999, 2, 4999}, Row{500, 2, 500}, Row{50, 3, 50}, Row{5, 4, 5}, Row{0.5, 5, 0.5},
                         Row{0.05, 6, 0.05}, Row{0.049, 7, 49}, Row{0.005, 7, 5}}) {
    const generator::StepRange r = generator::ChooseStepRange(row.hz);
    EXPECT_EQ(r.Index, row.index) << row.hz;
    EXPECT_DOUBLE_EQ(r.Frequency, row.value) << row.hz;
  }
  EXPECT_EQ(generator::StepInterval(2), 2000u);
  EXPECT_EQ(generator::StepInterval(0.0004), 1u);
  EXPECT_EQ(generator::StepInterval(-3), 1u);
  EXPECT_EQ(generator::StepInterval(1e12), static_cast<unsigned>(INT_MAX));
}

TEST(SequenceSteps, SerialCharactersBecomeWholeLines) {
  generator::SerialLineAssembler serial;
  // A burst of two lines, CR LF and bare CR ends.
  EXPECT_EQ(serial.Feed("1\t100\t0\t5\t1\r\n2\t200\t0\t5\t1\r"),
            (std::vector<std::string>{"1\t100\t0\t5\t1", "2\t200\t0\t5\t1"}));
  // One line split over three reads, with a short line before it.
  EXPECT_TRUE(serial.Feed("\nok\r\n3\t30").empty());
  EXPECT_TRUE(serial.Feed("0\t0\t").empty());
  EXPECT_EQ(serial.Feed("5\t1\n"), (std::vector<std::string>{"3\t300\t0\t5\t1"}));
  // A line longer than the buffer goes whole; the next one is kept.
  const std::string tooLong(200, '7');
  EXPECT_EQ(serial.Feed(tooLong + "\r\n1\t100\t0\t5\t9\r\n"), (std::vector<std::string>{"1\t100\t0\t5\t9"}));
  EXPECT_LE(serial.Pending().size(), generator::SerialLineAssembler::kBufferSize);
}

class WaveSequenceTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    player_ = Form900;
    panel_ = Form1->GeneratorControls;
    ASSERT_NE(player_, nullptr);
  }
  void Play(const std::string& text) {
    player_->Memo1->SetText(text);
    player_->Button1Click(nullptr);
    Device().ClearLog();
  }
  // One tick of the step timer, as it would come.
  void Step() {
    ASSERT_TRUE(player_->Timer1->Enabled());
    player_->Timer1->Tick();
  }
  Bytes LastWrite(std::size_t size, std::uint8_t first) const {
    Bytes last;
    for (const Bytes& w : Writes())
      if (w.size() == size && w[0] == first) last = w;
    return last;
  }
  static std::uint64_t FrequencyWord(const Bytes& packet) {
    std::uint64_t word = 0;
    for (int i = 5; i >= 0; --i) word = word << 8 | packet[11 + i];
    return word;
  }
  void ExpectOutputOff() {
    const std::vector<Bytes> w = Writes();
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(w[w.size() - 3], Bytes(512, 0x80));
    EXPECT_EQ(w[w.size() - 2], (Bytes{0x0E, 0x05, 0x04, 0x80, 0x00, 0x13, 0x0F}));
    EXPECT_EQ(w.back(), Bytes{0x06});
    EXPECT_EQ(GeneratorState().GenOutputOff, 1);
    EXPECT_EQ(player_->Label1->Caption(), "0");
    EXPECT_TRUE(player_->Button1->Enabled());
    EXPECT_FALSE(player_->Timer1->Enabled());
  }

  TForm900* player_ = nullptr;
  GeneratorPanel* panel_ = nullptr;
};

TEST_F(WaveSequenceTest, AKnownSequencePlaysItsPacketsAndHoldTimes) {
  Play("2\t75000\t0\t5\t2\r\n1\t1000\t2.5\t4\t0\r\n");
  Step();
  EXPECT_TRUE(panel_->GrSpeedButton3->Down());  // "500k"
  EXPECT_TRUE(panel_->GrSpeedButton12->Down());
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 75);
  EXPECT_EQ(player_->Timer1->Interval(), 2000u);
  EXPECT_TRUE(player_->Timer1->Enabled());
  EXPECT_EQ(player_->Label5->Caption(), "2");
  player_->FastTimer1->Tick();
  EXPECT_EQ(player_->Label5->Caption(), "1");
  // 75 kHz on the square's 12.5 MHz clock.
  EXPECT_EQ(FrequencyWord(LastWrite(22, 0x0E)), 105553116266u);
  EXPECT_EQ(LastWrite(7, 0x0E)[3], 0x7F);
  EXPECT_TRUE(Form1->SpeedButtonRun->Enabled());

  Device().ClearLog();
  Step();
  EXPECT_TRUE(panel_->GrSpeedButton5->Down());  // "5k"
  EXPECT_TRUE(panel_->GrSpeedButton11->Down());
  EXPECT_EQ(LastWrite(7, 0x0E)[3], 0xBF);       // +2.5 V
  EXPECT_EQ(FrequencyWord(LastWrite(22, 0x0E)), 2814749767u);
  // Time 0 waits for "Next Step".
  EXPECT_TRUE(player_->Button4->Visible());
  EXPECT_FALSE(player_->Timer1->Enabled());

  Device().ClearLog();
  player_->Button4->Click();
  Step();  // no line left: the end
  ExpectOutputOff();
  EXPECT_FALSE(panel_->GrSpeedButton11->Down());
}

TEST_F(WaveSequenceTest, TheFocusedNextStepTakesReturnEnterAndSpace) {
  player_->Show();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    SCOPED_TRACE(KeyName(key));
    Play("1\t1000\t0\t4\t0\r\n3\t200\t0\t5\t1\r\n");
    Step();
    ASSERT_TRUE(player_->Button4->Visible());
    ASSERT_FALSE(player_->Timer1->Enabled());
    player_->Button4->SetFocus();
    PressKey(player_->Button4->Widget(), key);
    Step();
    // The second step: triangle at 200 Hz, shown and sent.
    EXPECT_EQ(player_->Label1->Caption(), "3");
    EXPECT_TRUE(panel_->GrSpeedButton13->Down());
    EXPECT_FALSE(LastWrite(22, 0x0E).empty());
    player_->Button3Click(nullptr);
    Step();
  }
}

// On the program clock each step holds its time to the millisecond: the
// first comes one rest interval after Run, the next 2 s later, the end 3 s
// after that.
TEST_F(WaveSequenceTest, StepsComeAtTheirHoldTimes) {
  Play("2\t75000\t0\t5\t2\r\n1\t1000\t2.5\t4\t3\r\n");
  constexpr std::uint64_t kNone = 0, k75kHz = 105553116266u, k1kHz = 2814749767u;
  const struct {
    int at;  // ms after Run
    std::uint64_t word;
    bool off;
  } rows[] = {{49, kNone, false},    {50, k75kHz, false},  {2049, k75kHz, false},
              {2050, k1kHz, false},  {5049, k1kHz, false}, {5050, k1kHz, true}};
  const program_clock::TimePoint start = program_clock::Now();
  GeneratorState().GenOutputOff = 0;
  for (const auto& row : rows) {
    harness_->Pump(static_cast<int>(row.at - program_clock::MillisecondsSince(start)));
    SCOPED_TRACE(row.at);
    const Bytes last = LastWrite(22, 0x0E);
    EXPECT_EQ(last.empty() ? kNone : FrequencyWord(last), row.word);
    EXPECT_EQ(GeneratorState().GenOutputOff, row.off ? 1 : 0);
  }
}

TEST_F(WaveSequenceTest, BadLinesWarnWithTheirLineNumber) {
  struct Row {
    const char* text;
    const char* warning;
  };
  const Row rows[] = {
      {"1\t100\t0\t5\t1\r\n1 100 0 5 1 spaces", "Missing data or missing separator (Tab) on the line 2 of the input data."},
      {"1\t100\t0\t5\t1\r\n1\t1x0\t0\t5\t1", "Error on line 2 of the input data."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    Dialogs().ClearRecords();
    Play(row.text);
    Step();
    Device().ClearLog();
    Step();
    EXPECT_EQ(Dialogs().CountMessages(row.warning), 1);
    ExpectOutputOff();
  }
}

TEST_F(WaveSequenceTest, RepeatStartsAgainButNeverLoopsOnABadList) {
  player_->CheckBox1->SetChecked(true);
  EXPECT_EQ(player_->SequenceRepeat, 1);
  Play("1\t100\t0\t5\t1\r\n3\t200\t0\t5\t1\r\n\r\n");
  Step();
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeSine);
  Step();
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeTriangle);
  Step();  // the empty line: round again
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeSine);
  EXPECT_EQ(player_->SequenceLine, 1);

  // Nothing playable: one round of warnings, then the end.
  Dialogs().ClearRecords();
  Play("1 100 0 5 1 spaces\r\n");
  Step();
  EXPECT_EQ(Dialogs().Messages().size(), 2u);
  ExpectOutputOff();
  // A bad number ends the sequence even with Repeat.
  Play("1\t100\t0\t5\t1\r\n1\tx\t0\t5\t1\r\n");
  Step();
  Step();
  ExpectOutputOff();
}

TEST_F(WaveSequenceTest, ExitStopsAtTheNextTick) {
  Play("1\t100\t0\t5\t60\r\n");
  Step();
  player_->Button3->Click();
  EXPECT_EQ(player_->Timer1->Interval(), 50u);
  Device().ClearLog();
  Step();
  ExpectOutputOff();
}

TEST_F(WaveSequenceTest, ACancelledSaveKeepsTheTextAndTheFileSource) {
  player_->Memo1->SetText("1\t100\t0\t5\t1");
  player_->Memo1->SetModified(true);
  Dialogs().AnswerMessage(mrYes);
  Dialogs().CancelFile();
  player_->RadioButton2->SetChecked(true);
  EXPECT_TRUE(player_->RadioButton1->Checked());
  EXPECT_EQ(player_->Memo1->Text(), "1\t100\t0\t5\t1");
  EXPECT_FALSE(player_->ComPort1->Connected());
}

// "Run" and "Open..." look disabled while a sequence runs (the strip's
// disabled face and a grey caption) and enabled again when it has ended;
// "Exit" stays enabled throughout.
TEST_F(WaveSequenceTest, RunAndOpenAreDrawnDisabledWhileASequenceRuns) {
  struct Case {
    const char* state;
    std::function<void()> enter;
    bool runAndOpenEnabled;
  };
  const std::vector<Case> cases = {
      {"idle", [] {}, true},
      {"running", [this] { Play("1\t100\t0\t5\t10\r\n"); }, false},
      {"holding a step", [this] { Step(); }, false},
      {"after Exit", [this] { player_->Button3->Click(); Step(); }, true},
  };
  const std::unique_ptr<TBitmap> strip = MakeButtonStrip(140, 26, kButtonBaseColor);
  const auto greyCaption = [](const QImage& face) {
    for (int y = 0; y < face.height(); ++y)
      for (int x = 0; x < face.width(); ++x)
        if (FromQRgb(face.pixel(x, y)) == clGrayText) return true;
    return false;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    c.enter();
    const std::pair<const char*, TControl*> buttons[] = {
        {"Run", player_->Button1}, {"Open...", player_->Button2}, {"Exit", player_->Button3}};
    for (const auto& [caption, button] : buttons) {
      SCOPED_TRACE(caption);
      const bool enabled = std::string(caption) == "Exit" || c.runAndOpenEnabled;
      const QImage face = button->Widget()->grab().toImage();
      ASSERT_EQ(face.size(), QSize(140, 26));
      // Left of the caption, the face shows its cell of the strip.
      const int cell = enabled ? 0 : 1;
      EXPECT_EQ(face.pixel(10, 13) & 0xFFFFFF, strip->Image().pixel(cell * 140 + 10, 13) & 0xFFFFFF);
      EXPECT_EQ(greyCaption(face), !enabled);
    }
  }
}

// The player's file dialogs open in the documents folder; without one, in the
// user's home folder (never the program's own folder, where a save would
// write into the installation).
TEST_F(WaveSequenceTest, FileDialogsOpenInTheDocumentsFolderElseTheHomeFolder) {
  const std::string home = harness_->Home().Path() + "/";
  const std::string docs = home + "Documents/";
  struct Case {
    const char* name;
    bool documentsExist;
    TFileDialog* dialog;
    std::function<void()> open;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Open... without Documents", false, player_->OpenDialog1, [this] { player_->Button2Click(nullptr); }, home},
      {"Save As... without Documents", false, player_->SaveDialog1, [this] { player_->Saveas1Click(nullptr); }, home},
      {"Open... with Documents", true, player_->OpenDialog1, [this] { player_->Button2Click(nullptr); }, docs},
      {"Save As... with Documents", true, player_->SaveDialog1, [this] { player_->Saveas1Click(nullptr); }, docs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(docs);
    if (c.documentsExist) std::filesystem::create_directories(docs);
    ScopeState().DocumentsFolder = docs;
    c.dialog->SetInitialDir("");
    Dialogs().ClearRecords();
    Dialogs().CancelFile();
    c.open();
    ASSERT_EQ(Dialogs().FileDialogs().size(), 1u);
    EXPECT_EQ(Dialogs().FileDialogs()[0].StartFolder, c.expected);
  }
}

class WaveSequenceSerialTest : public WaveSequenceTest {
 protected:
  void SetUp() override {
    WaveSequenceTest::SetUp();
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    generator::SetComPortDevicePath(COM1, name);
  }
  void TearDown() override {
    player_->RadioButton1->SetChecked(true);
    generator::SetComPortDevicePath(COM1, "/dev/ttyS0");
    close(slave_);
    close(master_);
    WaveSequenceTest::TearDown();
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  int master_ = -1, slave_ = -1;
};

TEST_F(WaveSequenceSerialTest, LinesFromThePortArriveWholeAndPlay) {
  player_->Memo1->SetModified(false);
  player_->RadioButton2->SetChecked(true);
  ASSERT_TRUE(player_->ComPort1->Connected());
  EXPECT_EQ(player_->Caption(), "Wave Sequence - Input Port: COM1,9600,8,N,1");
  EXPECT_EQ(player_->Button2->Caption(), "COM Setup..");
  EXPECT_FALSE(player_->CheckBox1->Enabled());
  // "Run" on the empty queue ends at once and waits for lines.
  Step();
  EXPECT_FALSE(player_->Timer1->Enabled());
  EXPECT_FALSE(player_->Button1->Enabled());

  Device().ClearLog();
  Send("2\t75000\t0\t5\t");
  Send("2\r\n1\t1000\t0\t4\t1\r\n");
  // The first line plays on the step timer's next tick.
  ASSERT_TRUE(harness_->PumpUntil(
      [&] { return player_->Memo1->Lines().Count() == 2 && panel_->GrSpeedButton12->Down(); }, 2000));
  EXPECT_EQ(player_->Memo1->Lines()[0], "2\t75000\t0\t5\t2");
  EXPECT_EQ(player_->Memo1->Lines()[1], "1\t1000\t0\t4\t1");
  EXPECT_EQ(FrequencyWord(LastWrite(22, 0x0E)), 105553116266u);
  EXPECT_EQ(player_->Timer1->Interval(), 2000u);
  Step();
  EXPECT_TRUE(panel_->GrSpeedButton11->Down());
  Device().ClearLog();
  Step();  // the queue ran dry: output off, the queue starts over
  EXPECT_EQ(player_->Memo1->Lines().Count(), 0);
  EXPECT_EQ(player_->SequenceLine, 0);
  EXPECT_EQ(GeneratorState().GenOutputOff, 1);

  // A line arriving while the player waits plays at once.
  Send("3\t500\t0\t5\t1\r");
  EXPECT_TRUE(harness_->PumpUntil([&] { return panel_->GrSpeedButton13->Down(); }, 2000));
}

}  // namespace
