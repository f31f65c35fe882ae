// The recorder's data files as text: what "Save Data" and the AutoSave log
// write, and what the reader makes of good, truncated and malformed files.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "recorder/recorder_file.h"
#include "recorder/recorder_tables.h"

using namespace recorder;

namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

RecordHeader Header() { return {"09.12.2026\t10:11:12", "09.12.2026\t10:14:32", "0.5s", "30V ", "10mV~"}; }

// Entries of a record: 255 minus code, codes i % 256 on CH1 and 255 - i % 256 on CH2.
struct Record {
  std::array<std::int32_t, 4096> ch1{}, ch2{};
  Record() {
    for (int i = 0; i < 4096; ++i) {
      ch1[i] = 255 - i % 256;
      ch2[i] = i % 256;
    }
  }
};

std::string Row(int n, int a, int b) { return std::to_string(n) + "\t" + std::to_string(a) + "\t" + std::to_string(b); }

// A log of `rows` rows N = 0.. with CH1 = N % 200, CH2 = 7, as AutoSave writes it.
std::string Log(int rows) {
  std::string text = FormatAutoSaveHeader(Header());
  for (int n = 0; n < rows; ++n) text += FormatAutoSaveRow(n, n % 200, 7);
  return text + FormatAutoSaveTrailer("09.12.2026\t11:00:00", nullptr);
}

}  // namespace

TEST(RecorderSaveData, PartlyFilledRecordWritesItsRowsThenZeroRowsThenTheComment) {
  Record r;
  CommentBlock note{{"first line", "second"}, 40, 60, true};
  const std::vector<std::string> lines = SplitCrLf(FormatSaveData(Header(), r.ch1, r.ch2, 1200, &note));
  ASSERT_EQ(lines.size(), 12u + 2000u + 7u);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 12);
  EXPECT_EQ(head, (std::vector<std::string>{"START: \t09.12.2026\t10:11:12", "STOP : \t09.12.2026\t10:14:32", "",
                                            "TIME STEP:", "50 = 0.5s", "", "VOLTAGE STEP:", "CH1:  32 = 30V ",
                                            "CH2:  32 = 10mV~", "", "N\tCH1\tCH2", ""}));
  EXPECT_EQ(lines[12], Row(1, 0, 255));
  EXPECT_EQ(lines[12 + 300], Row(301, 300 % 256, 255 - 300 % 256));
  EXPECT_EQ(lines[12 + 1199], Row(1200, 1199 % 256, 255 - 1199 % 256));
  EXPECT_EQ(lines[12 + 1200], Row(1201, 0, 0));
  EXPECT_EQ(lines[12 + 1999], Row(2000, 0, 0));
  const std::vector<std::string> tail(lines.end() - 7, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"COMMENT", "2", "40", "60", "1", "first line", "second"}));
}

TEST(RecorderSaveData, SamplesPerDivisionFollowTheCaption) {
  Record r;
  for (const auto& [caption, k] : std::vector<std::pair<std::string, std::string>>{
           {"2000s", "100"}, {"1s", "100"}, {"0.5s", "50"}, {"0.2s", "20"}, {"0.1s", "10"}, {"50ms", "5"},
           {"20ms", "2"}}) {
    RecordHeader h = Header();
    h.TimeCaption = caption;
    EXPECT_EQ(SplitCrLf(FormatSaveData(h, r.ch1, r.ch2, 2000, nullptr))[4], k + " = " + caption);
  }
  // No comment, or one without lines: the file ends with row 2000.
  CommentBlock empty;
  EXPECT_EQ(SplitCrLf(FormatSaveData(Header(), r.ch1, r.ch2, 2000, &empty)).back(), Row(2000, 1999 % 256, 255 - 1999 % 256));
}

TEST(RecorderAutoSave, HeaderRowsAndTrailerFormTheLog) {
  CommentBlock note{{"x"}, 1, 2, false};
  const std::string text = FormatAutoSaveHeader(Header()) + FormatAutoSaveRow(0, 12, 200) +
                           FormatAutoSaveRow(2001, 0, 255) + FormatAutoSaveTrailer("d\tt", &note);
  const std::vector<std::string> lines = SplitCrLf(text);
  const std::vector<std::string> expected{"",          "START: \t09.12.2026\t10:11:12",
                                          "",          "TIME STEP:",
                                          "50 = 0.5s", "",
                                          "VOLTAGE STEP:", "CH1:  32 = 30V ",
                                          "CH2:  32 = 10mV~", "",
                                          "N\tCH1\tCH2", "",
                                          "0\t12\t200", "2001\t0\t255",
                                          "",          "STOP:  \td\tt",
                                          "COMMENT",   "1",
                                          "1",         "2",
                                          "0",         "x"};
  EXPECT_EQ(lines, expected);
}

TEST(RecorderFileReader, HeaderStepsAreTheLastNamedOnTheirLines) {
  struct Case {
    const char* line5;
    const char* line8;
    std::optional<std::string> time;
    std::optional<std::string> ch1;
    bool x10;
  };
  const Case cases[] = {
      {"50 = 0.5s", "CH1:  32 = 1V", "0.5s", "1V", false},       // "0.5s" also holds "5s"
      {"100 = 2000s", "CH1:  32 = 0.3V ", "2000s", "30mV", true},  // x10 "0.3V " is 30 mV
      {"100 = 1s", "CH1:  32 = 0.1V~", "1s", "0.1V", false},
      {"5 = 50ms", "CH1:  32 = 10V ", "50ms", "1V", true},
      {"2 = 20ms", "CH1:  32 = 10mV", "20ms", "10mV", false},
      {"100 = 7s", "CH1:  32 = 3V", std::nullopt, "3V", false},   // no such step
      {"100 = 1s", "CH1:  32 = 5V", "1s", std::nullopt, false},    // no such range
  };
  for (const Case& c : cases) {
    const std::string text = std::string("\r\n\r\n\r\nTIME STEP:\r\n") + c.line5 + "\r\n\r\nVOLTAGE STEP:\r\n" +
                             c.line8 + "\r\nCH2:  32 = 1V\r\n";
    const ParsedHeader h = ParseRecordHeader(text);
    SCOPED_TRACE(c.line5 + std::string(" / ") + c.line8);
    EXPECT_EQ(h.TimeStep ? std::optional<std::string>(RecorderTimeTable[*h.TimeStep].Caption) : std::nullopt, c.time);
    EXPECT_EQ(h.Ch1Range ? std::optional<std::string>(RecorderRangeTable[*h.Ch1Range].Caption) : std::nullopt, c.ch1);
    EXPECT_EQ(h.Ch1X10, c.x10);
    EXPECT_EQ(h.Valid(), c.time && c.ch1);
  }
  // Too short to hold the steps.
  EXPECT_FALSE(ParseRecordHeader("").Valid());
  EXPECT_FALSE(ParseRecordHeader("START: \tx\r\nSTOP : \ty\r\n\r\nTIME STEP:\r\n100 = 1s\r\n").Valid());
}

TEST(RecorderFileReader, SaveDataReadsBackAsOnePage) {
  Record r;
  const std::string text = FormatSaveData(Header(), r.ch1, r.ch2, 2000, nullptr);
  const ParsedHeader h = ParseRecordHeader(text);
  ASSERT_TRUE(h.Valid());
  EXPECT_EQ(RecorderTimeTable[*h.TimeStep].Caption, std::string("0.5s"));
  EXPECT_EQ(RecorderRangeTable[*h.Ch1Range].Caption, std::string("3V"));
  EXPECT_TRUE(h.Ch1X10);
  EXPECT_EQ(RecorderRangeTable[*h.Ch2Range].Caption, std::string("10mV"));
  EXPECT_FALSE(h.Ch2X10);
  const ParsedPage page = ParseForwardPage(text, 13);
  ASSERT_TRUE(page.Ok());
  EXPECT_FALSE(page.NextRow);
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(page.Ch1[i], r.ch1[i]) << i;
    ASSERT_EQ(page.Ch2[i], r.ch2[i]) << i;
  }
}

TEST(RecorderFileReader, TruncatedAndMalformedRowsNeverBecomeOtherSamples) {
  const std::string head = FormatAutoSaveHeader(Header());
  // The file ends after three rows (the last without its line end): the rest is empty, not the last row again.
  {
    const ParsedPage p = ParseForwardPage(head + "0\t10\t20\r\n1\t11\t21\r\n2\t12\t22", 13);
    ASSERT_TRUE(p.Ok());
    EXPECT_TRUE(p.EndOfData);
    EXPECT_EQ(p.Ch1[2], 255 - 12);
    EXPECT_EQ(p.Ch2[2], 255 - 22);
    EXPECT_EQ(p.Ch1[3], 255);
    EXPECT_EQ(p.Ch2[1999], 255);
  }
  // Codes outside 0..255 are held at the ends; blanks around a field are allowed.
  {
    const ParsedPage p = ParseForwardPage(head + "0\t300\t-5\r\n1\t 7 \t8\r\n", 13);
    ASSERT_TRUE(p.Ok());
    EXPECT_EQ(p.Ch1[0], 0);
    EXPECT_EQ(p.Ch2[0], 255);
    EXPECT_EQ(p.Ch1[1], 255 - 7);
  }
  // A short line or one with "COM" ends the data for the rest of the page.
  {
    const ParsedPage p = ParseForwardPage(head + "0\t1\t2\r\nCOMMENT\r\n1\t3\t4\r\n", 13);
    EXPECT_TRUE(p.Ok());
    EXPECT_EQ(p.Ch1[0], 254);
    EXPECT_EQ(p.Ch1[1], 255);
    EXPECT_EQ(p.Ch1[2], 255);
  }
  // A field that is not a number is refused with its line.
  for (const std::string bad : {"0\tx12\t4", "0\t12\t", "0\t1.5\t3", "no tab here"}) {
    const ParsedPage p = ParseForwardPage(head + "0\t1\t2\r\n" + bad + "\r\n", 13);
    EXPECT_FALSE(p.Ok()) << bad;
    EXPECT_EQ(p.BadLine, 14u) << bad;
  }
  EXPECT_EQ(BadFieldMessage("/d/run.txt", 14, "x12"), "/d/run.txt, line 14: 'x12' is not a valid integer value");
  // Nothing at all after the header, or an empty text.
  EXPECT_TRUE(ParseForwardPage(head, 13).EndOfData);
  EXPECT_TRUE(ParseForwardPage("", 13).EndOfData);
  // Lines far longer than any row do not upset the reader.
  EXPECT_FALSE(ParseForwardPage(head + std::string(100000, '7') + "\r\n", 13).Ok());
}

TEST(RecorderFileReader, LongLogPagesForwardAndBack) {
  const std::string text = Log(4500);
  ParsedPage p = ParseForwardPage(text, 13);
  ASSERT_TRUE(p.Ok());
  EXPECT_EQ(p.NextRow, 2000);
  EXPECT_EQ(p.Ch1[1999], 255 - 1999 % 200);
  p = ParseForwardPage(text, 13 + 2000);
  EXPECT_EQ(p.Ch1[0], 255 - 2000 % 200);
  EXPECT_EQ(p.NextRow, 4000);
  p = ParseForwardPage(text, 13 + 4000);
  EXPECT_TRUE(p.EndOfData);
  EXPECT_EQ(p.Ch1[499], 255 - 4499 % 200);
  EXPECT_EQ(p.Ch1[500], 255);  // the empty line before "STOP:"
  EXPECT_EQ(p.Ch2[1999], 255);
  EXPECT_FALSE(p.NextRow);
  // Back from the third page (page start 6000): rows 2000..3999, then row 4000 follows.
  p = ParseBackwardPage(text, 6000 - 3988 + 1);
  ASSERT_TRUE(p.Ok());
  EXPECT_EQ(p.Ch1[0], 255 - 2000 % 200);
  EXPECT_EQ(p.NextRow, 4000);
  // Backwards, a line without a TAB empties only its own sample.
  p = ParseBackwardPage("h\r\n0\t1\t2\r\nx\r\n2\t5\t6\r\n", 2);
  EXPECT_EQ(p.Ch1[0], 254);
  EXPECT_EQ(p.Ch1[1], 255);
  EXPECT_EQ(p.Ch1[2], 250);
}

TEST(RecorderFileReader, CommentBlockTakesItsNumbersOnlyFromDigitsOneToNine) {
  const std::string rows = "1\t2\t3\r\n";
  ParsedComment c = ParseCommentBlock(rows + "COMMENT\r\n2\r\n30\r\n40\r\n1\r\nhello\r\nworld\r\n");
  EXPECT_TRUE(c.Found);
  EXPECT_EQ(c.Count, 2);
  EXPECT_EQ(c.X, 30);
  EXPECT_EQ(c.Y, 40);
  EXPECT_EQ(c.Transparent, true);
  EXPECT_EQ(c.Lines, (std::vector<std::string>{"hello", "world"}));
  // "0" for x and y and transparency: left to the caller; a truncated block keeps what there is.
  c = ParseCommentBlock("COMMENT\r\n3\r\n0\r\n-4\r\n0\r\nonly one");
  EXPECT_EQ(c.Count, 3);
  EXPECT_FALSE(c.X);
  EXPECT_FALSE(c.Y);
  EXPECT_FALSE(c.Transparent);
  EXPECT_EQ(c.Lines, std::vector<std::string>{"only one"});
  // No count: no annotation; no block at all: none found.
  EXPECT_EQ(ParseCommentBlock("COMMENT\r\nx\r\n").Count, 0);
  EXPECT_FALSE(ParseCommentBlock(rows).Found);
  // Lines are read as short strings of 50 characters.
  c = ParseCommentBlock("COMMENT\r\n1\r\n1\r\n1\r\n0\r\n" + std::string(80, 'a') + "\r\n");
  EXPECT_EQ(c.Lines, std::vector<std::string>{std::string(50, 'a')});
  EXPECT_EQ(NotARecorderFileText("/home/u/Documents/run7.txt"), "run7.txt  is not a valid Tolmeda data file.");
}
