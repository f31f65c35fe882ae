// The scope data file: the text a save writes, the steps and annotation a
// load recognises, files that are refused whole, and the window's save and
// load through the File menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "engine/add_text.h"
#include "display/display_state.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "engine/startup_fixture.h"
#include "io/scope_data_file.h"
#include "io/scope_file_error.h"
#include "support/program_states.h"

namespace {

using io::DataFileFault;

io::ScopeDataFile Sample(const io::CommentBlock* comment) {
  io::ScopeDataFile d;
  d.TimeDivText = "2ms";
  d.Ch1RangeText = "10V ";
  d.Ch2RangeText = "0.3V~";
  d.Ch1Ground = 100;
  d.Ch2Ground = 200;
  for (std::size_t n = 0; n < io::kDataRows; ++n) {
    d.Ch1[n] = static_cast<std::int32_t>(n % 256);
    d.Ch2[n] = static_cast<std::int32_t>((n * 7) % 256);
  }
  d.Comment = comment;
  return d;
}

TEST(ScopeDataFile, TheTextHasItsHeaderRowsAndAnnotation) {
  const io::CommentBlock note{{"first", "second"}, 120, 45, true};
  const std::string text = io::FormatScopeDataFile(Sample(&note));
  EXPECT_EQ(text.rfind("\r\nTIME STEP:\r\n125 = 2ms\r\n\r\nVOLTAGE STEP:\r\nCH1:  32 = 10V \r\n"
                       "CH2:  32 = 0.3V~\r\nGND\t155\t55\r\nN\tCH1\tCH2\r\n\r\n0\t0\t0\r\n1\t1\t7\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("\r\n4095\t255\t249\r\nCOMMENT\r\n2\r\n120\r\n45\r\n1\r\nfirst\r\nsecond\r\n"),
            std::string::npos);
  // No annotation line, no block.
  const io::CommentBlock empty{};
  EXPECT_EQ(io::FormatScopeDataFile(Sample(&empty)).find("COMMENT"), std::string::npos);

  const io::DataFileReading back = io::ParseScopeDataFile(text);
  ASSERT_EQ(back.Fault, DataFileFault::None);
  EXPECT_EQ(io::kDataTimeCaptions[back.Data.TimeCaption], std::string("2ms"));
  EXPECT_EQ(back.Data.Range, (std::array<std::size_t, 2>{1, 2}));  // 1 V and 0.3 V buttons
  EXPECT_EQ(back.Data.X10, (std::array<bool, 2>{true, false}));
  EXPECT_EQ(back.Data.Ch1Ground, 100);
  EXPECT_EQ(back.Data.Ch2Ground, 200);
  EXPECT_EQ(back.Data.Ch1, Sample(nullptr).Ch1);
  EXPECT_EQ(back.Data.Ch2, Sample(nullptr).Ch2);
  EXPECT_FALSE(back.Data.EndsAfterRows);
  EXPECT_EQ(back.Data.Comment.Lines, note.Lines);
  EXPECT_EQ(back.Data.Comment.X, 120);
  EXPECT_EQ(back.Data.Comment.Transparent, true);
}

TEST(ScopeDataFile, StepsAreTheLastCaptionTheLineHolds) {
  struct Case {
    const char* time;
    const char* ch1;
    const char* ch2;
    const char* expectTime;
    std::size_t ch1Range, ch2Range;
    bool ch1X10, ch2X10;
  };
  const Case cases[] = {
      {"2ms", "1V", "3V", "2ms", 1, 0, false, false},
      {"0.5ms", "0.3V", "30mV~", "0.5ms", 2, 4, false, false},
      {"20ms", "30V ", "0.1V ", "20ms", 0, 5, true, true},
      {"0.2ms", "3V ", "10mV", "0.2ms", 2, 5, true, false},
      {"5us", "0.1V~", "1V ", "5us", 3, 3, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    io::ScopeDataFile d = Sample(nullptr);
    d.TimeDivText = c.time;
    d.Ch1RangeText = c.ch1;
    d.Ch2RangeText = c.ch2;
    const io::DataFileReading r = io::ParseScopeDataFile(io::FormatScopeDataFile(d));
    ASSERT_EQ(r.Fault, DataFileFault::None);
    EXPECT_EQ(io::kDataTimeCaptions[r.Data.TimeCaption], std::string(c.expectTime));
    EXPECT_EQ(r.Data.Range, (std::array<std::size_t, 2>{c.ch1Range, c.ch2Range}));
    EXPECT_EQ(r.Data.X10, (std::array<bool, 2>{c.ch1X10, c.ch2X10}));
  }
}

TEST(ScopeDataFile, DamagedFilesAreRefusedWhole) {
  const std::string good = io::FormatScopeDataFile(Sample(nullptr));
  auto replaceRow = [&](int n, const std::string& row) {
    const std::string from = "\r\n" + std::to_string(n) + "\t";
    const std::size_t at = good.find(from) + 2;
    return good.substr(0, at) + row + good.substr(good.find("\r\n", at));
  };
  struct Case {
    const char* name;
    std::string text;
    DataFileFault fault;
    const char* shown;  // the second line of the refusal
  };
  const Case cases[] = {
      {"empty", "", DataFileFault::NotADataFile, "Line 1: the file ends here."},
      {"another kind of text", "hello\r\nworld\r\n", DataFileFault::NotADataFile, "Line 3: the file ends here."},
      {"unknown time step", [&] { std::string t = good; t.replace(t.find("= 2ms"), 5, "= 7ks"); return t; }(),
       DataFileFault::NotADataFile, "Line 3: no time/div step."},
      {"unknown CH2 step", [&] { std::string t = good; t.replace(t.find("= 0.3V~"), 7, "= 5V"); return t; }(),
       DataFileFault::NotADataFile, "Line 7: no CH2 volts/div step."},
      {"cut in the rows", good.substr(0, good.find("\r\n2000\t")), DataFileFault::Truncated,
       "Line 2011: the file ends here."},
      {"header only", good.substr(0, good.find("\r\n0\t")), DataFileFault::Truncated, "Line 10: the file ends here."},
      {"a word for a sample", replaceRow(17, "17\tabc\t5"), DataFileFault::BadNumber,
       "Line 28: 'abc' is not a valid integer value."},
      {"a row without its CH2", replaceRow(4095, "4095\t3"), DataFileFault::BadNumber,
       "Line 4106: '' is not a valid integer value."},
      {"a sample above 255", replaceRow(300, "300\t256\t0"), DataFileFault::SampleOutOfRange,
       "Line 311: 256 is not a sample value 0..255."},
      {"a negative sample", replaceRow(9, "9\t1\t-1"), DataFileFault::SampleOutOfRange,
       "Line 20: -1 is not a sample value 0..255."},
  };
  for (const Case& c : cases) {
    const io::DataFileReading r = io::ParseScopeDataFile(c.text);
    EXPECT_EQ(r.Fault, c.fault) << c.name;
    EXPECT_EQ(io::RefusedDataFileText("/home/u/run.txt", r),
              std::string("run.txt  is not a valid Kavrino data file.\n") + c.shown)
        << c.name;
  }
}

TEST(ScopeDataFile, ThousandsOfMutatedFilesParseOrAreRefused) {
  const io::CommentBlock note{{"a"}, 1, 1, false};
  const std::string good = io::FormatScopeDataFile(Sample(&note));
  std::mt19937 random(4096);
  const std::string alphabet = "0123456789\t\r\n-+ CGNDOMmVus.~";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int accepted = 0, runs = 0;
  for (; runs < 3000 && std::chrono::steady_clock::now() < deadline; ++runs) {
    std::string text = good;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = random() % text.size();
      switch (random() % 4) {
        case 0: text[at] = alphabet[random() % alphabet.size()]; break;
        case 1: text.erase(at, 1 + random() % 60); break;
        case 2: text.insert(at, std::string(1 + random() % 9, alphabet[random() % alphabet.size()])); break;
        default: text.resize(at); break;
      }
    }
    const io::DataFileReading r = io::ParseScopeDataFile(text);
    if (r.Fault != DataFileFault::None) continue;
    ++accepted;
    for (std::size_t n = 0; n < io::kDataRows; ++n) {
      ASSERT_TRUE(r.Data.Ch1[n] >= 0 && r.Data.Ch1[n] <= 255);
      ASSERT_TRUE(r.Data.Ch2[n] >= 0 && r.Data.Ch2[n] <= 255);
    }
    ASSERT_LT(r.Data.TimeCaption, io::kDataTimeCaptions.size());
  }
  EXPECT_GT(runs, 500);
  EXPECT_GT(accepted, 0);
  EXPECT_LT(accepted, runs);
}

// ---------------------------------------------------------------- the window

class DataFileWindow : public startup_test::StartupTest {
 protected:
  std::string File(const std::string& name) const { return harness_->Home().Path() + "/" + name; }
  void TakeSingle() {
    Form1->SpeedButtonSingle->Click();
    ASSERT_TRUE(harness_->PumpUntil([] { return ScopeState().AcquisitionIdle != 0; }, 5000));
  }
  void Save(const std::string& path) {
    Dialogs().AnswerFile(path);
    Form1->SaveDSOData1->Click();
  }
  void Open(const std::string& path) {
    Dialogs().AnswerFile(path);
    Form1->OpenData1->Click();
  }
};

TEST_F(DataFileWindow, ASavedCaptureLoadsBackWithItsStepsAndAnnotation) {
  StartAndRun();
  Form1->SpeedButton5ms->Click();     // "2ms"
  Form1->SpeedButton1p5v1->Click();   // CH1 0.1 V
  Form1->x102->Click();               // CH2 x10
  Form1->SpeedButton29->Click();      // CH2 "30V "
  TakeSingle();
  Form_9->Memo1->Lines().Add("bench 4");
  DisplayState().ScopeNoteX = 140;
  DisplayState().ScopeNoteY = 60;
  Form_9->Button1Click(Form_9);
  std::array<std::int32_t, 4096> savedCh1{};
  std::copy(ScopeState().Ch1Samples().begin(), ScopeState().Ch1Samples().end(), savedCh1.begin());
  const std::string path = File("capture.txt");
  Save(path);
  const std::string text = startup_test::ReadText(path);
  EXPECT_NE(text.find("125 = 2ms\r\n"), std::string::npos);
  EXPECT_NE(text.find("CH2:  32 = 30V \r\n"), std::string::npos);
  EXPECT_NE(text.find("COMMENT\r\n1\r\n140\r\n60\r\n0\r\nbench 4\r\n"), std::string::npos);

  // Another session's panel, then the file.
  Start();
  RunStartup();
  EXPECT_TRUE(Form1->SpeedButton2ms->Down());
  Open(path);
  EXPECT_TRUE(Form1->SpeedButton5ms->Down());
  EXPECT_TRUE(Form1->SpeedButton1p5v1->Down());
  EXPECT_TRUE(Form1->x102->Down());
  EXPECT_TRUE(Form1->SpeedButton29->Down());
  EXPECT_EQ(ScopeState().DataFileName, path);
  EXPECT_EQ(ScopeState().ScopeNoteShown, 1);
  ASSERT_EQ(Form_9->Memo1->Lines().Count(), 1);
  EXPECT_EQ(Form_9->Memo1->Lines()[0], "bench 4");
  EXPECT_EQ(DisplayState().ScopeNoteX, 140);
  const io::DataFileReading r = io::ParseScopeDataFile(text);
  ASSERT_EQ(r.Fault, DataFileFault::None);
  EXPECT_EQ(r.Data.Ch1, savedCh1);
  for (std::size_t n = 0; n < 4096; ++n) ASSERT_EQ(ScopeState().Ch1Samples()[n], savedCh1[n]) << n;
}

TEST_F(DataFileWindow, ARefusedFileLeavesSamplesStepsAndProbesAsTheyWere) {
  StartAndRun();
  TakeSingle();
  io::ScopeDataFile d;
  d.TimeDivText = "5us";
  d.Ch1RangeText = "30V ";
  d.Ch2RangeText = "10V ";
  d.Ch1.fill(3);
  d.Ch2.fill(4);
  const std::string good = io::FormatScopeDataFile(d);
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, good.find("\r\n2000\t")), "Line 2011: the file ends here."},
      {good.substr(0, good.find("\r\n5\t")) + "\r\n5\t3\t999\r\n", "Line 16: 999 is not a sample value 0..255."},
      {"CH1: 3V\r\n", "Line 2: the file ends here."}};
  for (const auto& [text, line] : cases) {
    const auto before = ScopeState().ScopeSampleBlock;
    const std::string path = File("bad.txt");
    startup_test::WriteText(path, text);
    Dialogs().ClearRecords();
    Open(path);
    ASSERT_EQ(Dialogs().Forms().size(), 1u);
    EXPECT_EQ(Dialogs().Forms()[0].Caption, "File Error");
    EXPECT_EQ(Form5->Label1->Caption(), "bad.txt  is not a valid Kavrino data file.\n" + line);
    EXPECT_EQ(ScopeState().ScopeSampleBlock, before);
    EXPECT_TRUE(Form1->SpeedButton2ms->Down());
    EXPECT_TRUE(Form1->x11->Down());
    EXPECT_TRUE(ScopeState().DataFileName.empty());
  }
  // A file that cannot be read says why.
  Dialogs().ClearRecords();
  Open(File("missing.txt"));
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, "Unable to open " + File("missing.txt") + ": No such file or directory.");
}

}  // namespace

// The fast steps lie beside a time-base row without a button.
TEST_F(DataFileWindow, EachTimeStepOfAFileComesBack) {
  StartAndRun();
  for (TGrSpeedButton* step : {Form1->SpeedButton10us, Form1->SpeedButton5us, Form1->SpeedButton20us}) {
    step->Click();
    TakeSingle();
    const std::string caption = ScopeState().TimeDivText;
    SCOPED_TRACE(caption);
    const std::string path = File("step.txt");
    Save(path);
    Form1->SpeedButton2ms->Click();  // "1ms"
    Open(path);
    EXPECT_TRUE(step->Down());
    EXPECT_EQ(ScopeState().TimeDivText, caption);
  }
}
