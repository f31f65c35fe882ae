// The recorder window in demo mode: recording both channels, the data files
// it writes and reads back, the AutoSave log, paging, markers and the close.
#include <algorithm>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>

#include "recorder/recorder_file.h"
#include "recorder_fixture.h"
#include "support/program_states.h"

using namespace recorder_test;

namespace {

class RecorderWindow : public RecorderDemoTest {
 protected:
  // As the main window does when it opens the recorder: the recorder's
  // pressed range buttons run, and their labels are on the picture.
  void SetUp() override {
    RecorderDemoTest::SetUp();
    Rec().Ch1RangeButtons[1]->Click();
    Rec().Ch2RangeButtons[1]->Click();
  }
  void SingleRecord() {
    Rec().SpeedButtonSingle->Click();
    ASSERT_EQ(TickUntilStopped(), 2001);
  }
  void Open(const std::string& path) {
    Dialogs().AnswerFile(path);
    Rec().OpenData1->Click();
  }
  void Save(const std::string& path) {
    Rec().File1->Click();  // opening the menu enables "Save Data..."
    Dialogs().AnswerFile(path);
    Rec().N1->Click();
  }
  std::vector<std::int32_t> Ch1(int from, int count) {
    return {Rec().RecBufCh1.begin() + from, Rec().RecBufCh1.begin() + from + count};
  }
};

// A log of `rows` rows N = 0.. with CH1 = N % 200 and CH2 = 7.
std::string LongLog(int rows) {
  const recorder::RecordHeader h{"a\tb", "c\td", "1s", "1V", "1V"};
  std::string text = recorder::FormatAutoSaveHeader(h);
  for (int n = 0; n < rows; ++n) text += recorder::FormatAutoSaveRow(n, n % 200, 7);
  return text + recorder::FormatAutoSaveTrailer("e\tf", nullptr);
}

}  // namespace

TEST_F(RecorderWindow, DemoRecordsBothChannelsWithTheDemoPeriods) {
  SingleRecord();
  EXPECT_TRUE(Device().Transfers().empty());
  EXPECT_EQ(RecorderState().RecLength, 2000);
  // At "1s" one demo entry per sample: a period of 300 samples (3 divisions).
  for (int i = 0; i < 1700; ++i) {
    ASSERT_EQ(Rec().RecBufCh1[i], Rec().RecBufCh1[i + 300]) << i;
    ASSERT_EQ(Rec().RecBufCh2[i], Rec().RecBufCh2[i + 300]) << i;
  }
  // CH1 is the triangle: from mid-screen down by one code per two samples and back.
  EXPECT_EQ(Rec().RecBufCh1[0], 128);
  EXPECT_EQ(Rec().RecBufCh1[150], 128 - 75);
  EXPECT_NE(Ch1(0, 300), std::vector<std::int32_t>(300, 128));

  // At "2s" two entries per sample: half the period in samples.
  Rec().TimeButtons[9]->Click();
  EXPECT_EQ(Rec().FastTimer1->Interval(), 20u);
  SingleRecord();
  for (int i = 0; i < 1800; ++i) ASSERT_EQ(Rec().RecBufCh1[i], Rec().RecBufCh1[i + 150]) << i;
  EXPECT_NE(Rec().RecBufCh1[0], Rec().RecBufCh1[75]);
}

// Every time/div step: its caption on the picture, its sample clock, and a
// record taken at that step drawn with that step's samples per division.
TEST_F(RecorderWindow, EveryTimeStepShowsItsCaptionClocksItsIntervalAndDrawsItsSamplesPerDivision) {
  struct Row {
    const char* caption;
    std::uint32_t intervalMs;
    int samplesPerDiv;
  };
  const Row rows[] = {{"2000s", 20000, 100}, {"1000s", 10000, 100}, {"500s", 5000, 100}, {"200s", 2000, 100},
                      {"100s", 1000, 100},   {"50s", 500, 100},     {"20s", 200, 100},   {"10s", 100, 100},
                      {"5s", 50, 100},       {"2s", 20, 100},       {"1s", 10, 100},     {"0.5s", 10, 50},
                      {"0.2s", 10, 20},      {"0.1s", 10, 10},      {"50ms", 10, 5},     {"20ms", 10, 2}};
  ASSERT_EQ(std::size(rows), Rec().TimeButtons.size());
  const int x0 = Rec().X0, y0 = Rec().Y0;
  auto picture = [] { return Form1_rec->Image1->Picture()->Image(); };
  // The time/div caption on the picture is `text`: printed again in the
  // background colour it leaves none of the caption colour behind.
  auto captionReads = [&](const std::string& text) {
    auto count = [&] {
      const QImage p = picture();
      int n = 0;
      for (int y = 0; y < y0 - 2; ++y)
        for (int x = x0 + 151; x < x0 + 230; ++x) n += p.pixel(x, y) == ToQRgb(RecorderState().RecTimeMarkerColor);
      return n;
    };
    if (count() < 10) return false;
    Rec().TulostaTeksti(text, x0 + 151, RecorderState().RecBackgroundColor, 3);
    const bool gone = count() == 0;
    Rec().TulostaTeksti(text, x0 + 151, RecorderState().RecTimeMarkerColor, 3);
    return gone;
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(row.caption);
    // A record taken at this step: CH1 falls one code per sample from 64,
    // CH2 lies on the bottom line.
    const recorder::RecordHeader h{"a\tb", "c\td", row.caption, "1V", "1V"};
    std::string text = recorder::FormatAutoSaveHeader(h);
    for (int n = 0; n < 2000; ++n) text += recorder::FormatAutoSaveRow(n, std::max(0, 191 - n), 0);
    WriteText(DocPath("ramp.txt"), text + recorder::FormatAutoSaveTrailer("e\tf", nullptr));
    Open(DocPath("ramp.txt"));

    Rec().TimeButtons[i]->Click();
    EXPECT_TRUE(captionReads(row.caption));
    EXPECT_EQ(Rec().FastTimer1->Interval(), row.intervalMs);
    // The CH1 trace: what goes when CH1 is switched off.
    const QImage with = picture();
    Rec().SpeedButtonCh1->Click();
    const QImage without = picture();
    Rec().SpeedButtonCh1->Click();
    int onTrace = 0;
    for (int k = 1; k < 16; ++k) {
      const int x = x0 + 2 * k, y = y0 + 64 + k * row.samplesPerDiv / 16;
      onTrace += with.pixel(x, y) != without.pixel(x, y);
    }
    EXPECT_EQ(onTrace, 15) << "the first division holds " << row.samplesPerDiv << " samples";
  }

  // While a recording runs the live view shows 100 samples per division and
  // says "1s"; the step's own caption comes back with the stop.
  Rec().SpeedButtonRun->Click();
  Tick(50);
  EXPECT_TRUE(captionReads("1s"));
  // The steps are greyed and take no press until the stop.
  EXPECT_FALSE(Rec().TimeButtons[0]->Enabled());
  Rec().TimeButtons[0]->Click();
  Rec().SpeedButtonRun->Click();
  EXPECT_TRUE(captionReads("20ms"));
  EXPECT_TRUE(Rec().TimeButtons[0]->Enabled());
}

TEST_F(RecorderWindow, SaveDataWritesTheRecordAndOpenDataLoadsItBack) {
  Rec().SampleRate1->Click();
  SingleRecord();
  const std::vector<std::int32_t> ch1 = Ch1(0, 2000);
  const std::string path = DocPath("rec.txt");
  Save(path);
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 2012u);
  EXPECT_EQ(lines[0].rfind("START: \t", 0), 0u);
  EXPECT_EQ(lines[4], "100 = 1s");
  EXPECT_EQ(lines[7], "CH1:  32 = 1V");
  EXPECT_EQ(lines[12], "1\t" + std::to_string(255 - ch1[0]) + "\t" + std::to_string(255 - Rec().RecBufCh2[0]));
  EXPECT_EQ(lines[2011].substr(0, 5), "2000\t");

  // Spoil the record in memory, then load the file.
  RecorderState().RecBlock.fill(3);
  Open(path);
  EXPECT_EQ(Ch1(0, 2000), ch1);
  EXPECT_EQ(Rec().Caption(), "Transient Recorder - rec.txt");
  EXPECT_FALSE(Rec().SpeedButton1->Enabled());
  EXPECT_FALSE(Rec().SpeedButton2->Enabled());
  EXPECT_EQ(RecorderState().RecStopped, 1);
  // Nothing recorded since the load: "Save Data" is off.
  Rec().File1->Click();
  EXPECT_FALSE(Rec().N1->Enabled());
}

TEST_F(RecorderWindow, RunStoppedEarlySavesItsRowsThenEmptyRows) {
  Rec().SpeedButtonRun->Click();
  ASSERT_EQ(Tick(1201), 1201);
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(RecorderState().RecLength, 1200);
  const std::string path = DocPath("part.txt");
  Save(path);
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 2012u);
  EXPECT_NE(lines[12 + 1199], "1200\t0\t0");
  EXPECT_EQ(lines[12 + 1200], "1201\t0\t0");
  EXPECT_EQ(lines[12 + 1999], "2000\t0\t0");
}

TEST_F(RecorderWindow, AutoSaveLogsEveryTickAcrossTheWrapAndEndsWithTheStop) {
  const std::string log = DocPath("log.txt");
  Dialogs().AnswerFile(log);
  Rec().N2->Click();
  EXPECT_EQ(RecorderState().RecAutoSaveOn, 1);
  Rec().SpeedButtonRun->Click();
  ASSERT_EQ(Tick(2500), 2500);
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(RecorderState().RecAutoSaveOn, 0);

  const std::vector<std::string> lines = Lines(ReadFile(log));
  ASSERT_EQ(lines.size(), 12u + 2500u + 2u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1].rfind("START: \t", 0), 0u);
  EXPECT_EQ(lines[10], "N\tCH1\tCH2");
  for (int n = 0; n < 2500; ++n) ASSERT_EQ(lines[12 + n].substr(0, lines[12 + n].find('\t')), std::to_string(n));
  // The demo period runs on across the wrap: row 2001 holds what row 1701 held.
  EXPECT_EQ(lines[12 + 2001].substr(5), lines[12 + 1701].substr(5));
  EXPECT_EQ(lines[12 + 2500], "");
  EXPECT_EQ(lines[12 + 2501].rfind("STOP:  \t", 0), 0u);

  // The log reads back: 2000 rows a page, then the rest.
  Open(log);
  EXPECT_TRUE(Rec().SpeedButton2->Enabled());
  EXPECT_EQ(RecorderState().RecPageStart, 2000);
  Rec().SpeedButton2->Click();
  EXPECT_EQ(Rec().RecBufCh1[500], 255);
  EXPECT_NE(Rec().RecBufCh1[499], 255);
}

TEST_F(RecorderWindow, LoadingAFileLeavesAnArmedAutoSaveAlone) {
  const std::string data = DocPath("data.txt");
  WriteText(data, LongLog(100));
  const std::string log = DocPath("armed.txt");
  Dialogs().AnswerFile(log);
  Rec().N2->Click();
  Open(data);
  EXPECT_EQ(RecorderState().RecAutoSaveOn, 1);
  EXPECT_EQ(ReadFile(log), "");
  SingleRecord();
  EXPECT_EQ(Lines(ReadFile(log)).size(), 12u + 2001u + 2u);
  // And the data file was not touched.
  EXPECT_EQ(ReadFile(data), LongLog(100));
}

TEST_F(RecorderWindow, PagingALongLogShowsEachPageAndItsTime) {
  const std::string path = DocPath("long.txt");
  WriteText(path, LongLog(4500));
  Open(path);
  EXPECT_EQ(Rec().RecBufCh1[1999], 255 - 1999 % 200);
  EXPECT_FALSE(Rec().SpeedButton1->Enabled());
  EXPECT_TRUE(Rec().SpeedButton2->Enabled());

  Rec().SpeedButton2->Click();  // rows 2000..3999
  EXPECT_EQ(Rec().RecBufCh1[0], 255 - 2000 % 200);
  EXPECT_EQ(RecorderState().RecPageStart, 4000);
  EXPECT_TRUE(Rec().SpeedButton1->Enabled());
  EXPECT_TRUE(Rec().SpeedButton2->Enabled());
  // "dV && t": the parked marker counts from the start of the log: 20 s before the page.
  Rec().Markers1->Click();
  EXPECT_EQ(Rec().TimeReadoutShown, "t: 39.50s");

  Rec().SpeedButton2->Click();  // rows 4000..4499, the rest empty
  EXPECT_EQ(Rec().RecBufCh1[499], 255 - 4499 % 200);
  EXPECT_EQ(Rec().RecBufCh1[500], 255);
  EXPECT_EQ(Rec().RecBufCh2[1999], 255);
  EXPECT_FALSE(Rec().SpeedButton2->Enabled());
  EXPECT_EQ(RecorderState().RecPageStart, 6000);

  Rec().SpeedButton1->Click();  // back to rows 2000..3999
  EXPECT_EQ(Rec().RecBufCh1[0], 255 - 2000 % 200);
  EXPECT_EQ(Rec().RecBufCh1[1999], 255 - 3999 % 200);
  EXPECT_EQ(RecorderState().RecPageStart, 4000);
  EXPECT_TRUE(Rec().SpeedButton1->Enabled());
}

TEST_F(RecorderWindow, AFileThatIsNotARecorderFileIsRefusedWhole) {
  SingleRecord();
  const std::vector<std::int32_t> before = Ch1(0, 2000);
  const std::string caption = Rec().Caption();
  std::string text = LongLog(10);
  text.replace(text.find("100 = 1s"), 8, "100 = 7s");
  text += "COMMENT\r\n1\r\n50\r\n60\r\n0\r\nnote\r\n";
  const std::string path = DocPath("seven.txt");
  WriteText(path, text);
  Open(path);
  ASSERT_FALSE(Dialogs().Forms().empty());
  EXPECT_EQ(Dialogs().Forms().back().Caption, "File Error");
  EXPECT_EQ(Form5_rec->Label1->Caption(), "seven.txt  is not a valid Tolmeda data file.\nLine 5: no time/div step.");
  EXPECT_EQ(Ch1(0, 2000), before);
  EXPECT_EQ(Rec().Caption(), caption);
  EXPECT_EQ(RecorderState().RecNoteShown, 0);  // its annotation was not taken either
  EXPECT_EQ(ScopeState().Settings.Channels[0].X10, 0);
}

TEST_F(RecorderWindow, ABadFieldShowsItsMessageAndLeavesTheWindowUsable) {
  SingleRecord();
  const std::vector<std::int32_t> before = Ch1(0, 2000);
  std::string text = LongLog(10);
  text.replace(text.find("5\t5\t7"), 5, "5\t5x\t7");
  const std::string path = DocPath("bad.txt");
  WriteText(path, text);
  Open(path);
  EXPECT_EQ(Dialogs().CountMessages(path + ", line 18: '5x' is not a valid integer value"), 1);
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_NE(Status(), "Recording");
  EXPECT_TRUE(Rec().OpenData1->Enabled());
  EXPECT_TRUE(Rec().SpeedButtonRun->Enabled());
  EXPECT_EQ(Ch1(0, 2000), before);
}

TEST_F(RecorderWindow, AnnotationTravelsWithTheFile) {
  SingleRecord();
  Form_9rec->Memo1->Lines().Add("Pump test");
  Form_9rec->Memo1->Lines().Add("run 7");
  RecorderState().RecNoteX = 100;
  RecorderState().RecNoteY = 80;
  Form_9rec->Button1->Click();
  const std::string path = DocPath("note.txt");
  Save(path);
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 2012u + 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2012, lines.end()),
            (std::vector<std::string>{"COMMENT", "2", "100", "80", "0", "Pump test", "run 7"}));
  Form_9rec->Button2->Click();
  Form_9rec->Memo1->Clear();
  Open(path);
  EXPECT_EQ(RecorderState().RecNoteShown, 1);
  EXPECT_EQ(Form_9rec->Memo1->Lines().Count(), 2);
  EXPECT_EQ(RecorderState().RecNoteX, 100);
}

TEST_F(RecorderWindow, MarkersStopAtTheGridEdgesAndReadOutTheirDistance) {
  Rec().MarkersVdt1->Click();
  EXPECT_EQ(RecorderState().RecMarkersOn, 1);
  EXPECT_EQ(Rec().TimeReadoutShown, "dt: 19.00s");
  const int x0 = Rec().X0, y0 = Rec().Y0;
  // Voltage marker 2 (nearest to the pointer) dragged far below the grid.
  Rec().Image1MouseDown(nullptr, mbLeft, 0, x0 + 300, y0 + 238);
  Rec().Image1MouseMove(nullptr, 0, x0 + 300, y0 + 900);
  Rec().Image1MouseUp(nullptr, mbLeft, 0, x0 + 300, y0 + 900);
  EXPECT_EQ(RecorderState().RecVoltMarker2Y, y0 + 256);
  // 1 V/div, markers 240 pixels apart.
  EXPECT_EQ(Rec().VoltReadoutShown.substr(0, 9), "dV: 7.50V");
  // Time marker 2 dragged far right.
  Rec().Image1MouseDown(nullptr, mbLeft, 0, x0 + 620, y0 + 128);
  Rec().Image1MouseMove(nullptr, 0, x0 + 2000, y0 + 128);
  Rec().Image1MouseUp(nullptr, mbLeft, 0, x0 + 2000, y0 + 128);
  EXPECT_EQ(RecorderState().RecTimeMarker2X, x0 + 640);
  EXPECT_EQ(Rec().TimeReadoutShown, "dt: 19.50s");
  // The marker lines come off again when the markers are switched off: the
  // picture is the plain grid and record.
  const QImage withMarkers = Rec().Image1->Picture()->Image().copy();
  Rec().MarkersVdt1->Click();
  EXPECT_NE(Rec().Image1->Picture()->Image(), withMarkers);
}

TEST_F(RecorderWindow, PositionBarShiftsARecordOnlyAfterTheUserStoppedIt) {
  SingleRecord();  // ends by itself
  Rec().TrackBar1->SetPosition(10);
  EXPECT_EQ(RecorderState().Channel(1).Shift, 0);
  EXPECT_EQ(Form1->TrackBar1->Position(), 10);  // mirrored to the scope
  Form1->TrackBar2->SetPosition(-7);  // and the scope's bar to the recorder
  EXPECT_EQ(Rec().TrackBar2->Position(), -7);
  Rec().SpeedButtonRun->Click();
  Tick(50);
  Rec().SpeedButtonRun->Click();
  Rec().TrackBar1->SetPosition(4);
  EXPECT_EQ(RecorderState().Channel(1).Shift, 6);
}

TEST_F(RecorderWindow, ClosingWhileRecordingStopsTheRecordingFirst) {
  RecorderState().InstrumentSwitch = 1;  // hand over: the program goes on
  Rec().Show();
  Rec().SpeedButtonRun->Click();
  Tick(20);
  Rec().Close();
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_EQ(RecorderState().RecLength, 19);
  EXPECT_FALSE(Rec().Visible());
  EXPECT_TRUE(Form1->Visible());
}

TEST_F(RecorderWindow, ChannelsGoOffAndComeBackLeavingThePictureAsItWas) {
  SingleRecord();
  Rec().MarkersVdt1->Click();
  const QImage before = Rec().Image1->Picture()->Image().copy();
  Rec().CH1on->Click();
  EXPECT_EQ(RecorderState().Channel(1).On, 0);
  EXPECT_TRUE(Rec().SpeedButtonCh1->Down());
  EXPECT_EQ(Rec().LabelCh1->Font().Color, 0x808080u);
  EXPECT_NE(Rec().Image1->Picture()->Image(), before);
  // The voltage read-out follows CH2 now: 3 V/div, markers 224 pixels apart.
  Rec().Ch2RangeButtons[0]->Click();
  EXPECT_EQ(Rec().VoltReadoutShown.substr(0, 10), "dV: 21.00V");
  Rec().Ch2RangeButtons[1]->Click();
  // Back on through its "OFF" button.
  Rec().SpeedButtonCh1->Click();
  EXPECT_EQ(RecorderState().Channel(1).On, 1);
  EXPECT_TRUE(Rec().CH1on->Down());
  EXPECT_EQ(Rec().Image1->Picture()->Image(), before);
}

TEST_F(RecorderWindow, AFullDiskEndsTheLogOnceAndTheRecordingGoesOn) {
  // A log whose disk is full from the first byte on.
  const std::string log = DocPath("full.txt");
  std::filesystem::create_symlink("/dev/full", log);
  Dialogs().AnswerFile(log);
  Rec().N2->Click();
  ASSERT_EQ(RecorderState().RecAutoSaveOn, 1);
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(Tick(50), 50);
  EXPECT_EQ(RecorderState().RecStopped, 0);
  EXPECT_EQ(RecorderState().RecAutoSaveOn, 0);
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(RecorderState().RecLength, 49);
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text,
            "Unable to write to " + log + "\rAutoSave is switched off; the recording goes on.");
  // "Save Data" into a folder that is not there says so and leaves nothing behind.
  Save(DocPath("no-such-folder/rec.txt"));
  EXPECT_EQ(Dialogs().CountMessages("Unable to write to " + DocPath("no-such-folder/rec.txt")), 1);
  EXPECT_FALSE(std::filesystem::exists(DocPath("no-such-folder")));
}

TEST_F(RecorderWindow, ADiskFullInsideARowLeavesWholeRowsAndTakesTheNoticeAway) {
  const std::string log = DocPath("filling.txt");
  Dialogs().AnswerFile(log);
  Rec().N2->Click();
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(Tick(20), 20);
  // "SAVING DATA TO FILE: ..." under the grid of the picture shown while recording.
  const auto notice = [&] {
    const QImage& shown = Rec().PaintBox1->Picture()->Image();
    int pixels = 0;
    for (int y = shown.height() - 20; y < shown.height() - 6; ++y)
      for (int x = Rec().X0; x < Rec().X0 + 200; ++x) pixels += shown.pixel(x, y) != shown.pixel(0, 0);
    return pixels;
  };
  ASSERT_GT(notice(), 50);

  // The disk fills one byte into the next row.
  const auto whole = std::filesystem::file_size(log);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  ::getrlimit(RLIMIT_FSIZE, &before);
  rlimit full = before;
  full.rlim_cur = whole + 1;
  ::setrlimit(RLIMIT_FSIZE, &full);
  Tick(5);
  ::setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(RecorderState().RecAutoSaveOn, 0);
  EXPECT_EQ(RecorderState().RecStopped, 0);  // the recording goes on
  EXPECT_EQ(Dialogs().CountMessages("Unable to write to " + log + "\rAutoSave is switched off; the recording goes on."), 1);
  EXPECT_EQ(notice(), 0);
  Rec().SpeedButtonRun->Click();

  // The log ends in its last whole row and opens without a word.
  EXPECT_EQ(std::filesystem::file_size(log), whole);
  Dialogs().ClearRecords();
  Open(log);
  EXPECT_TRUE(Dialogs().Messages().empty());
  EXPECT_TRUE(Dialogs().Forms().empty());
}

TEST_F(RecorderWindow, ALogWhoseLastRowWasCutOpensWithItsWholeRows) {
  const std::string rows = LongLog(2500).substr(0, LongLog(2500).find("\r\n\r\nSTOP:") + 2);
  struct Case {
    const char* name;
    std::string text;
    std::size_t cutLine;  // 0: nothing was cut
    int lastRow;          // N of the last row shown on the second page
  };
  const Case cases[] = {
      {"cut inside a row", rows + "2500\t10", 13 + 2500, 2499},
      {"cut inside the first field", rows + "25", 13 + 2500, 2499},
      {"cut between CR and LF", rows + "2500\t100\t7\r", 0, 2500},
      {"ending in whole rows", rows, 0, 2499},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = DocPath("cut.txt");
    WriteText(path, c.text);
    Dialogs().ClearRecords();
    Open(path);
    EXPECT_EQ(Rec().RecBufCh1[1999], 255 - 1999 % 200);
    ASSERT_EQ(Dialogs().Messages().size(), c.cutLine ? 1u : 0u);
    if (c.cutLine) {
      EXPECT_EQ(Dialogs().Messages()[0].Text, "The last row of " + path + " (line " + std::to_string(c.cutLine) +
                                                  ") was cut off when the file was written; the rows before it are shown.");
    }
    Rec().SpeedButton2->Click();  // the rows from 2000 on
    EXPECT_EQ(Dialogs().Messages().size(), c.cutLine ? 1u : 0u);
    const int last = c.lastRow - 2000;
    EXPECT_EQ(Rec().RecBufCh1[last], 255 - c.lastRow % 200);
    EXPECT_EQ(Rec().RecBufCh1[last + 1], 255);
  }
}
