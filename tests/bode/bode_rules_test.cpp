// The Bode plotter's rules: rows, levels, steps, bands, grid, texts, read-outs
// and the data file, as a user reads them off the plot and the table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bode/bode_file.h"
#include "bode/bode_rules.h"

using namespace bode;

namespace {

constexpr int kH = 270;  // plot height of the 530 x 300 picture with its 15-pixel border
constexpr int kW = 500;
constexpr int kMargin = 15;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(BodeRules, LevelRowsFollowTheScaleAndKeepUnreadableReadingsOnTheBottomEdge) {
  struct Case {
    int scale;
    double r;
    int row;
  } cases[] = {
      {0, 1, 0},      {0, 0.5, 135},  {10, 1, 0},        {10, 0.1, 54},  {5, 0.1, 108}, {1, 0.1, 540},
      {0, 0, kH},     {10, 0, kH},    {0, -1, kH},       {0, kNaN, kH},  {5, kInf, kH}, {0, 1e6, -30000},
      {1, 1e-300, 30000},
  };
  for (const Case& c : cases) EXPECT_EQ(LevelRow(c.scale, kH, c.r), c.row) << c.scale << " " << c.r;
  EXPECT_EQ(PhaseRow(0, kH, kMargin), 150);
  EXPECT_EQ(PhaseRow(90, kH, kMargin), 83);
  EXPECT_EQ(PhaseRow(-180, kH, kMargin), 285);
}

TEST(BodeRules, LevelsInDbvCountTheRangeAndTheProbe) {
  struct Case {
    double reading;
    std::uint8_t code;
    double probe, probeDb;
    const char* text;
  } cases[] = {
      {2.0, 27, 1, 0, "6.000"},   {1.0, 27, 1, 0, "-0.021"},  {60, 13, 1, 0, "-24.440"},
      {6.0, 1, 1, 0, "15.563"},   {2.0, 27, 10, 20, "6.000"}, {0.2, 29, 1, 0, "-13.980"},
  };
  for (const Case& c : cases) EXPECT_EQ(DbvText(LevelDbv(c.reading, c.code, c.probe, c.probeDb)), c.text);
}

TEST(BodeRules, TextsOfAPoint) {
  EXPECT_EQ(FrequencyText(5.5), "5.500");
  EXPECT_EQ(FrequencyText(55), "55.00");
  EXPECT_EQ(FrequencyText(555), "555.0");
  EXPECT_EQ(FrequencyText(9999.94), "9999.9");
  EXPECT_EQ(FrequencyText(12345), "12345");
  EXPECT_EQ(ValueText(0.001), "0.0010");
  EXPECT_EQ(ValueText(0.0123), "0.012");
  EXPECT_EQ(ValueText(2), "2.000");
  EXPECT_EQ(HeaderLine(" mVrms"), "  Hz\t mVrms\tdBV\tdeg");
}

TEST(BodeRules, LogStepsReachEachDecadeExactly) {
  double m = 1;
  for (int i = 0; i < 90; ++i) m = NextMultiplier(m, StepMode::Log, 0.1, 0);
  EXPECT_EQ(m, 10.0);
  EXPECT_EQ(NextMultiplier(m, StepMode::Log, 0.1, 0), 11.0);
  for (int i = 0; i < 90; ++i) m = NextMultiplier(m, StepMode::Log, 0.1, 0);
  EXPECT_EQ(m, 100.0);
  EXPECT_EQ(DecadeOf(9.999999999999998), 10.0);
  EXPECT_EQ(DecadeOf(99), 10.0);
  EXPECT_EQ(NextMultiplier(0, StepMode::Linear, 0.5, 0), 1.0);
  EXPECT_EQ(NextMultiplier(3, StepMode::Linear, 0.5, 0), 3.5);
  double octave = 1;
  for (int i = 0; i < 10; ++i) octave = NextMultiplier(octave, StepMode::Octave, 0, OctaveRatioOfItem(0));
  EXPECT_NEAR(octave, 10.0, 1e-9);
}

TEST(BodeRules, BandsAreEnteredUpwardOnceAndTheTimeBaseIsRefinedInsideThem) {
  struct Case {
    double sm;
    int current;
    int band;  // 0: none
  } cases[] = {{4, 0, 0},       {5, 0, 1},      {50, 1, 2},       {49, 1, 0},
               {100000, 0, 5},  {60000, 5, 0},  {1000000, 5, 6},  {2000000, 6, 0}};
  for (const Case& c : cases) {
    const Band* band = BandToEnter(c.sm, c.current);
    EXPECT_EQ(band ? band->Index : 0, c.band) << c.sm;
  }
  using V = std::vector<std::string>;
  auto presses = [](double hz, const char* at) {
    V out;
    for (const char* p : RefinedTimeDivs(hz, at)) out.emplace_back(p);
    return out;
  };
  EXPECT_EQ(presses(60, "100ms"), (V{"50ms", "20ms"}));
  EXPECT_EQ(presses(30, "100ms"), (V{"50ms"}));
  EXPECT_EQ(presses(600, "2ms"), (V{"1ms"}));
  EXPECT_EQ(presses(60000, "50us"), (V{"20us", "10us"}));
  EXPECT_EQ(presses(200000, "5us"), V{});
}

TEST(BodeRules, TheShotLoopSettlesWaitsAndChecksTheLevel) {
  EXPECT_TRUE(Settled(1.0, 1.04));
  EXPECT_FALSE(Settled(1.0, 1.05));
  EXPECT_FALSE(Settled(0, 1.0));
  // m, settled, shots, fraction, wait over, mean code
  EXPECT_EQ(AfterShot({2, false, 3, 0.1, true, 128}), ShotVerdict::Again);
  EXPECT_EQ(AfterShot({2, false, 21, 0.1, true, 128}), ShotVerdict::Accept);
  EXPECT_EQ(AfterShot({2, false, 3, 1.0, true, 128}), ShotVerdict::Accept);
  EXPECT_EQ(AfterShot({1, false, 1, 0.1, true, 128}), ShotVerdict::Accept);
  EXPECT_EQ(AfterShot({2, true, 1, 0.1, false, 128}), ShotVerdict::Again);
  EXPECT_EQ(AfterShot({2, true, 5, 0.1, true, 40}), ShotVerdict::Again);
  EXPECT_EQ(AfterShot({2, true, 31, 0.1, true, 40}), ShotVerdict::Accept);
}

TEST(BodeRules, AutomaticScaleStepsOneRangeAndStopsAtTheEnds) {
  EXPECT_EQ(AutoScaleCode(0.1, 27, 1), std::optional<std::uint8_t>(11));
  EXPECT_EQ(AutoScaleCode(1.6, 27, 1), std::optional<std::uint8_t>(1));
  EXPECT_EQ(AutoScaleCode(1.0, 27, 1), std::nullopt);
  EXPECT_EQ(AutoScaleCode(0.5, 30, 1), std::nullopt);  // 10 mV: nothing more sensitive
  EXPECT_EQ(AutoScaleCode(5.0, 1, 1), std::nullopt);   // 3 V: nothing less sensitive
  EXPECT_EQ(AutoScaleCode(15, 27, 10), std::optional<std::uint8_t>(1));
  EXPECT_EQ(AutoScaleCode(kNaN, 27, 1), std::nullopt);
}

TEST(BodeRules, NormalisationWorksInVoltsWhateverTheUnitsAndNeverYieldsInfinity) {
  // 2 Vpp from the generator: 0.7071 Vrms at the input.
  EXPECT_NEAR(NormalisedReading(2, 0.5, 27, 50, 13), 7.0711, 1e-4);  // CH1 in V, CH2 in mV
  EXPECT_NEAR(NormalisedReading(2, 500, 13, 1.0, 27), 353.55, 1e-2);  // result in CH1's mV
  EXPECT_EQ(NormalisedReading(2, 0.5, 27, 0, 27), 0);
  EXPECT_EQ(NormalisedReading(2, kNaN, 27, 1, 27), 0);
  EXPECT_EQ(NormalisedReading(2, 0.5, 27, kInf, 27), 0);
  EXPECT_NEAR(DcReading(-1, 1), 0.7071, 1e-4);
  EXPECT_EQ(DcReading(kNaN, 1), 0);
  EXPECT_EQ(InSweepUnit(0.5, true, 27), 500);
  EXPECT_EQ(InSweepUnit(500, false, 13), 0.5);
  EXPECT_EQ(InSweepUnit(500, true, 30), 500);
}

TEST(BodeRules, WarningsUnderThePlotLaterOnesWinning) {
  EXPECT_EQ(PointWarning(100, kH, 128, false), "");
  EXPECT_EQ(PointWarning(300, kH, 128, false), "Trace is below the display area!");
  EXPECT_EQ(PointWarning(-5, kH, 128, false), "Trace is above the display area!");
  EXPECT_EQ(PointWarning(-5, kH, 50, false), "Adjust oscilloscope trace Y position upwards!");
  EXPECT_EQ(PointWarning(100, kH, 205, false), "Adjust oscilloscope trace Y position downwards!");
  EXPECT_EQ(PointWarning(100, kH, 205, true), "     Click Pause to continue.");
}

TEST(BodeRules, GridLinesAndAxisTexts) {
  const std::vector<int> log = GridColumns(true, kW, kMargin, 1000);
  ASSERT_EQ(log.size(), 26u);  // 2..9, 10..90, 100..900
  EXPECT_EQ(log.front(), 65);
  EXPECT_EQ(log[8], 182);   // 10
  EXPECT_EQ(log[17], 348);  // 100
  EXPECT_EQ(log.back(), 507);
  EXPECT_EQ(GridColumns(false, kW, kMargin, 1000), (std::vector<int>{15, 65, 115, 165, 215, 265, 315, 365, 415,
                                                                   465, 515}));
  EXPECT_EQ(GridRows(kH, kMargin), (std::vector<int>{15, 42, 69, 96, 123, 150, 177, 204, 231, 258, 285}));
  EXPECT_EQ(ScaleText(0, 27, 1, 0), "0.20Vrms/div      Top: 2.00Vrms        ");
  EXPECT_EQ(ScaleText(0, 30, 1, 0), "2.00mVrms/div      Top: 20.00mVrms        ");
  EXPECT_EQ(ScaleText(10, 27, 1, 0), "10dB/div     Top: 6dBV      ");
  EXPECT_EQ(ScaleText(1, 1, 10, 20), "1dB/div      Top: 36dBV      ");
  EXPECT_EQ(RangeEndCaption(300000), "30kHz");
}

TEST(BodeRules, RangeChangesKeepTheStartWhereTheNewRangeHasIt) {
  EXPECT_EQ(RatioOnRange(2, 300, false), 1000);  // 30 kHz back to 100 kHz
  EXPECT_EQ(RatioOnRange(2, 1000, true), 300);   // 100 kHz to 30 kHz
  EXPECT_EQ(RatioOnRange(0, 10000, false), 1000);  // 1 kHz has no 0.1 Hz start
  EXPECT_EQ(RatioOnRange(3, 30, false), 100);
  EXPECT_EQ(RatioOnRange(1, 100, false), 100);
  EXPECT_EQ(RatioOfStart(0, true), 3000);
  EXPECT_EQ(StartOfRatio(30), 2);
}

TEST(BodeRules, MarkerReadouts) {
  struct Case {
    MarkerMode mode;
    int scale;
    int y1, y2;
    std::uint8_t code;
    const char* text;
  } cases[] = {
      {MarkerMode::Level, 0, 150, -300, 27, "V: 1.00Vrms     "},
      {MarkerMode::LevelDifference, 0, 15, 285, 13, "dV: 60.0mVrms     "},
      {MarkerMode::Level, 0, 15, -300, 29, "V: 200.0mVrms     "},
      {MarkerMode::Level, 10, 42, -300, 27, "V: -4.0dBV   "},
      {MarkerMode::LevelDifference, 10, 15, 69, 27, "dV: 20.0dB   "},
      {MarkerMode::Phase, 0, 15, -300, 27, "ph: 180.0deg   "},
      {MarkerMode::Phase, 10, 150, -300, 27, "ph: 0.0deg   "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LevelReadout(c.mode, c.scale, {c.y1, c.y2, kMargin, kH}, c.code, 1, 0), c.text);
  EXPECT_EQ(FrequencyReadout(true, 15, 15, kW, 1000, 100000), "f: 10.0Hz     ");
  EXPECT_EQ(FrequencyReadout(true, 265, 15, kW, 1000, 100000), "f: 316Hz     ");
  EXPECT_EQ(FrequencyReadout(true, 515, 15, kW, 1000, 100000), "f: 10.0kHz     ");
  EXPECT_EQ(FrequencyReadout(false, 265, 15, kW, 1000, 100000), "f: 5.00kHz     ");
}

TEST(BodeRules, TableLinesAsTheRedrawReadsThem) {
  const TableLine point = ParseTableLine("100.0\t1.000\t-2.5\t45.0");
  EXPECT_EQ(point.What, TableLine::Kind::Point);
  EXPECT_EQ(point.Hz, 100.0);
  EXPECT_EQ(point.Dbv, -2.5);
  EXPECT_EQ(point.Phase, 45.0);
  const TableLine dc = ParseTableLine("  0\tjunk\t6.000");
  EXPECT_EQ(dc.What, TableLine::Kind::Point);
  EXPECT_EQ(dc.Hz, 0);
  EXPECT_EQ(dc.Phase, 0);
  EXPECT_EQ(ParseTableLine("  Hz\t Vrms\tdBV\tdeg").What, TableLine::Kind::Header);
  for (const char* end : {"no tab", "abc\t1\t2", "100\t1", "100\t1\t-8o", "100\t1\tnan", ""})
    EXPECT_EQ(ParseTableLine(end).What, TableLine::Kind::End) << end;
}

TEST(BodeDataFile, WrittenAndReadBackWithAndWithoutAnnotation) {
  const std::vector<std::string> table{"  Hz\t Vrms\tdBV\tdeg", "10.00\t2.000\t6.000", "20.00\t1.000\t0.000"};
  const std::string plain = FormatDataFile(table, nullptr);
  EXPECT_EQ(plain, "  Hz\t Vrms\tdBV\tdeg\r\n10.00\t2.000\t6.000\r\n20.00\t1.000\t0.000\r\n");
  const ParsedDataFile readPlain = ParseDataFile(plain);
  EXPECT_TRUE(readPlain.Ok());
  EXPECT_EQ(readPlain.Table, table);
  EXPECT_FALSE(readPlain.Note);

  const Annotation note{{"Filter A", "", "gain 2"}, 40, 60, true};
  const std::string annotated = FormatDataFile(table, &note);
  EXPECT_EQ(annotated.substr(plain.size()), "\r\nCOMMENT\r\n3\r\n40\r\n60\r\n1\r\nFilter A\r\n\r\ngain 2\r\n");
  const ParsedDataFile read = ParseDataFile(annotated);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(read.Table, table);
  ASSERT_TRUE(read.Note);
  EXPECT_EQ(read.Note->Lines, note.Lines);
  EXPECT_EQ(read.Note->X, 40);
  EXPECT_EQ(read.Note->Y, 60);
  EXPECT_TRUE(read.Note->Transparent);
  const Annotation empty{{}, 1, 2, false};
  EXPECT_EQ(FormatDataFile(table, &empty), plain);
}

TEST(BodeDataFile, ShortOrBrokenTrailers) {
  const ParsedDataFile shortTrailer = ParseDataFile("10.00\t2\t6\r\n\r\nCOMMENT\r\n3\r\n10\r\n20\r\n0\r\nonly one\r\n");
  ASSERT_TRUE(shortTrailer.Ok());
  EXPECT_EQ(shortTrailer.Table, std::vector<std::string>{"10.00\t2\t6"});
  EXPECT_EQ(shortTrailer.Note->Lines, std::vector<std::string>{"only one"});
  EXPECT_FALSE(shortTrailer.Note->Transparent);

  const ParsedDataFile cutOff = ParseDataFile("10.00\t2\t6\nCOMMENT\n2\n");
  EXPECT_EQ(cutOff.Error, "'' is not a valid integer value");
  const ParsedDataFile badCount = ParseDataFile("10.00\t2\t6\r\nCOMMENT\r\nx\r\n1\r\n2\r\n0\r\n");
  EXPECT_FALSE(badCount.Ok());
  EXPECT_EQ(badCount.Error, "'x' is not a valid integer value");
  EXPECT_TRUE(badCount.Table.empty());
  // A data line just before the trailer is kept.
  const ParsedDataFile noGap = ParseDataFile("10.00\t2\t6\r\nCOMMENT\r\n0\r\n1\r\n2\r\n0\r\n");
  EXPECT_EQ(noGap.Table, std::vector<std::string>{"10.00\t2\t6"});
}

}  // namespace
