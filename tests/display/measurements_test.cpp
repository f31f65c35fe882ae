// Waveform measurements over known signals: the texts a user reads in the
// measurement window, the on-screen RMS values and the phase.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "display/measurements.h"

namespace {

using display::MeasureCells;
using Record = std::array<std::int32_t, display::kSamples>;

Record Make(const std::function<int(int)>& code) {
  Record r{};
  for (int i = 0; i < display::kSamples; ++i) r[static_cast<std::size_t>(i)] = code(i);
  return r;
}

display::ChannelCodes View(const Record& r) { return display::ChannelCodes(r.data(), display::kSamples); }

// 127 + round(100 sin) over 16 whole periods of 256 samples: mean 127, max
// 227, min 27, and an RMS about the mean of 70.6929 codes.
Record Sine(int amplitude = 100, int period = 256, int delay = 0, int centre = 127) {
  return Make([=](int i) {
    const double v = centre + std::nearbyint(amplitude * std::sin(2 * M_PI * (i - delay) / period));
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
  });
}

// Half periods of 50 samples at 191 and 63.
Record Square() {
  return Make([](int i) { return i % 100 < 50 ? 191 : 63; });
}

display::ChannelSetup SetupFor(std::uint8_t range, double probe, int ground) {
  display::ChannelSetup s;
  s.RangeCode = range;
  s.ProbeFactor = probe;
  s.GroundCode = ground;
  s.TimeBaseCode = 82;  // 1 ms/div: 125 kS/s
  s.TimePerDiv = 100000;
  return s;
}

TEST(Measurements, SquareWaveGivesLevelsWidthsPeriodAndFrequency) {
  // 1 V/div, 1/32 V per code (2 decimals). Levels 191 and 63 about ground
  // 127: +-64 codes = +-2 V; the RMS is 64 codes = 2 V, 20 log10(2) = 6.02 dBV,
  // 20 log10(2 / 0.77459) = 8.24 dBm. Half periods of 50 samples at 125 kS/s
  // are 0.4 ms; the period 0.8 ms and 1.25 kHz.
  const Record x = Square();
  const MeasureCells c = display::MeasureChannel(View(x), SetupFor(27, 1, 127));
  const std::pair<int, const char*> expected[] = {
      {display::kRowDcMean, "0.00 V"},     {display::kRowMax, "2.00 V"},        {display::kRowMin, "-2.00 V"},
      {display::kRowPeakToPeak, "4.00 V"}, {display::kRowHigh, "2.00 V"},       {display::kRowLow, "-2.00 V"},
      {display::kRowAmplitude, "4.00 V"},  {display::kRowAcRms, "2.00 V"},      {display::kRowAcDbv, "6.02 dBV"},
      {display::kRowAcDbm, "8.24 dBm"},    {display::kRowAcDcRms, "2.00 V"},    {display::kRowDuty, "50.0 %"},
      {display::kRowPosWidth, "0.400 ms"}, {display::kRowNegWidth, "0.400 ms"}, {display::kRowPeriod, "0.800 ms"},
      {display::kRowFrequency, "1.25 kHz"},
  };
  for (const auto& [row, text] : expected) EXPECT_EQ(c[static_cast<std::size_t>(row)], text) << "row " << row;
}

TEST(Measurements, SineFollowsTheDecimalsOfItsRange) {
  // Ground at 128: mean -1 code, max +99, min -101, RMS 70.6929 codes.
  struct Case {
    std::uint8_t range;
    double probe;
    const char *mean, *max, *min, *rms, *dbv, *dbm;
  } cases[] = {
      // 1 V/div: 1/32 V per code, 2 decimals. 70.69 / 32 = 2.209 V.
      {27, 1, "-0.03 V", "3.09 V", "-3.16 V", "2.21 V", "6.88 dBV", "9.10 dBm"},
      // 10 mV/div: 0.3125 mV per code, 1 decimal; 22.09 mV = -33.1 dBV.
      {30, 1, "-0.3 mV", "30.9 mV", "-31.6 mV", "22.1 mV", "-33.1 dBV", "-30.9 dBm"},
      // 0.3 V/div: 0.009 V per code, 3 decimals; 0.663 V.
      {11, 1, "-0.009 V", "0.928 V", "-0.947 V", "0.663 V", "-3.57 dBV", "-1.35 dBm"},
      // 0.3 V/div with the x10 probe is 3 V/div: 2 decimals.
      {11, 10, "-0.09 V", "9.28 V", "-9.47 V", "6.63 V", "16.4 dBV", "18.6 dBm"},
  };
  const Record x = Sine();
  for (const Case& k : cases) {
    const MeasureCells c = display::MeasureChannel(View(x), SetupFor(k.range, k.probe, 128));
    SCOPED_TRACE(static_cast<int>(k.range));
    EXPECT_EQ(c[display::kRowDcMean], k.mean);
    EXPECT_EQ(c[display::kRowMax], k.max);
    EXPECT_EQ(c[display::kRowMin], k.min);
    EXPECT_EQ(c[display::kRowAcRms], k.rms);
    EXPECT_EQ(c[display::kRowAcDbv], k.dbv);
    EXPECT_EQ(c[display::kRowAcDbm], k.dbm);
  }
}

TEST(Measurements, ClippedEndsCarryTheirMarks) {
  // Touching 255 only: the top and both-ends values are marked, the bottom
  // ones are not. Touching both rails marks the bottom ones too.
  const Record top = Sine(100, 256, 0, 160);  // 60 .. 255
  MeasureCells c = display::MeasureChannel(View(top), SetupFor(27, 1, 127));
  for (int row : {display::kRowDcMean, display::kRowMax, display::kRowPeakToPeak, display::kRowHigh,
                  display::kRowAmplitude, display::kRowAcRms, display::kRowAcDbv, display::kRowAcDcDbm})
    EXPECT_TRUE(c[static_cast<std::size_t>(row)].ends_with(" ??")) << row << ": " << c[static_cast<std::size_t>(row)];
  for (int row : {display::kRowMin, display::kRowLow, display::kRowPeriod, display::kRowFrequency})
    EXPECT_FALSE(c[static_cast<std::size_t>(row)].ends_with(" ??")) << row << ": " << c[static_cast<std::size_t>(row)];

  const Record both = Sine(200);
  c = display::MeasureChannel(View(both), SetupFor(27, 1, 127));
  EXPECT_EQ(c[display::kRowMin], "-3.97 V ??");
  EXPECT_EQ(c[display::kRowMax], "4.00 V ??");
}

TEST(Measurements, UnmeasurableValuesShowQuestionMarks) {
  // A flat trace: every level is the one code, no edges, no period.
  const Record flat = Make([](int) { return 140; });
  MeasureCells c = display::MeasureChannel(View(flat), SetupFor(27, 1, 127));
  EXPECT_EQ(c[display::kRowHigh], "0.41 V");
  EXPECT_EQ(c[display::kRowAmplitude], "0.00 V");
  EXPECT_EQ(c[display::kRowAcDbv], "... dBV");
  for (int row : {display::kRowDuty, display::kRowPosWidth, display::kRowNegWidth, display::kRowRise,
                  display::kRowFall, display::kRowPeriod, display::kRowFrequency})
    EXPECT_EQ(c[static_cast<std::size_t>(row)], "???") << row;

  // Two-sample half periods are too short to count: at 5 us/div the spectral
  // peak gives the frequency (bin 1024 of 4096 at 25 MS/s = 6.25 MHz), at
  // other time bases, or with no spectrum, there is none.
  const Record fast = Make([](int i) { return i % 4 < 2 ? 200 : 50; });
  display::ChannelSetup s = SetupFor(27, 1, 127);
  s.TimeBaseCode = 32;
  s.TimePerDiv = 500;
  s.SpectralPeakBin = [] { return 1024.0; };
  EXPECT_EQ(display::MeasureChannel(View(fast), s)[display::kRowFrequency], "6.25 MHz");
  s.SpectralPeakBin = nullptr;
  EXPECT_EQ(display::MeasureChannel(View(fast), s)[display::kRowFrequency], "???");
  s.TimePerDiv = 1000;
  s.SpectralPeakBin = [] { return 1024.0; };
  EXPECT_EQ(display::MeasureChannel(View(fast), s)[display::kRowFrequency], "???");

  // A moved position blanks what depends on the ground reference.
  s = SetupFor(27, 1, 127);
  s.PositionMoved = true;
  c = display::MeasureChannel(View(Square()), s);
  for (int row : {display::kRowDcMean, display::kRowMax, display::kRowMin, display::kRowHigh, display::kRowLow,
                  display::kRowAcDcRms, display::kRowAcDcDbv, display::kRowAcDcDbm})
    EXPECT_EQ(c[static_cast<std::size_t>(row)], "") << row;
  EXPECT_EQ(c[display::kRowPeakToPeak], "4.00 V");
}

TEST(Measurements, EdgesAreTimedBetweenTheirThresholds) {
  // Trapezoid of period 100: 40 samples at 63, a 10-step ramp to 191 (75, 88,
  // 101, ... 178 between), 40 at 191, a ramp down (179, 166, ... 76).
  // Thresholds 75 and 179: the rising ramp has 8 pairs inside from 75 on, a
  // run of 9; falling, the pair from 179 is not inside (179 is not below 179),
  // so 7 pairs, a run of 8.
  const Record x = Make([](int i) {
    const int p = i % 100;
    if (p < 40) return 63;
    if (p < 50) return 63 + 128 * (p - 40) / 10;
    if (p < 90) return 191;
    return 191 - 128 * (p - 90) / 10;
  });
  EXPECT_EQ(display::RiseTime(View(x), 75, 179, 100000), 9);
  EXPECT_EQ(display::FallTime(View(x), 75, 179, 100000), 8);
  // A perfect square has no sample inside: 0, but 1 at 2.5 us/div.
  EXPECT_EQ(display::RiseTime(View(Square()), 75, 179, 100000), 0);
  EXPECT_EQ(display::RiseTime(View(Square()), 75, 179, 250), 1);
  // No crossing at all.
  EXPECT_EQ(display::RiseTime(View(Make([](int) { return 100; })), 75, 179, 100000), -1);
}

TEST(Measurements, PhaseOfCh2AgainstCh1) {
  // The texts of the phase cell: CH2 late is positive, early negative; the
  // same signal is zero whichever way it rounds.
  struct Case {
    int period, delay;
    const char* text;
  } cases[] = {{200, 0, "0.0 deg"},     {200, 50, "90.0 deg"},   {200, -50, "-90.0 deg"},
               {200, 25, "45.0 deg"},   {100, 0, "0.0 deg"},     {100, 25, "90.0 deg"},
               {100, -25, "-90.0 deg"}, {40, 10, "90.0 deg"},    {400, -100, "-90.0 deg"}};
  for (const Case& k : cases) {
    const Record ch1 = Sine(100, k.period), ch2 = Sine(100, k.period, k.delay);
    EXPECT_EQ(display::PhaseText(display::CalculatePhase(View(ch1), View(ch2))), k.text) << k.period << " " << k.delay;
  }
  // One period over the whole record: no period to measure, 0 at once.
  const Record slow = Sine(100, 4096);
  EXPECT_EQ(display::CalculatePhase(View(slow), View(slow)), 0.0);
  EXPECT_EQ(display::PhaseText(-90.04), "-90.0 deg");
  EXPECT_EQ(display::PhaseText(-0.04), "0.0 deg");
}

TEST(Measurements, RmsReadoutOfTheShownChannel) {
  const Record x = Sine();
  display::RmsReadout r = display::MeasureRms(View(x), 27, 1);
  EXPECT_EQ(r.RmsValue, "2.21");
  EXPECT_EQ(r.DbmValue, "9.1");
  EXPECT_EQ(r.MeanCode, 127);
  EXPECT_DOUBLE_EQ(r.MeanVolts, 127.0 / 32);
  EXPECT_NEAR(r.RmsVolts, 2.2092, 1e-4);

  r = display::MeasureRms(View(x), 30, 10);  // 10 mV/div x10: 221 mV
  EXPECT_EQ(r.RmsValue, "220.92");
  EXPECT_EQ(r.DbmValue, "-10.9");

  // A clipped trace and a flat one.
  r = display::MeasureRms(View(Sine(200)), 27, 1);
  EXPECT_EQ(r.RmsValue, "...");
  EXPECT_EQ(r.DbmValue, "...");
  r = display::MeasureRms(View(Make([](int) { return 90; })), 27, 1);
  EXPECT_EQ(r.RmsValue, "0.00");
  EXPECT_EQ(r.DbmValue, "...");
}

TEST(Measurements, NumbersTakeTheDecimalsOfTheirScale) {
  struct Case {
    double scale, value;
    const char* text;
  } cases[] = {
      {100, 123.4, "123"}, {100, -12.34, "-12.3"}, {100, 1.234, "1.23"}, {100, 0.1234, "0.123"},
      {10, 12.34, "12.3"},   // 10 mV/div: 0.31 mV per code
      {3, 1.234, "1.23"},    // 3 V/div: 0.094 V per code
      {0.3, 0.1234, "0.123"},
      {300, 12.34, "12.3"},  // 30 mV/div x10 takes the magnitude rule
  };
  for (const Case& k : cases) EXPECT_EQ(display::muunna(k.scale, k.value), k.text) << k.scale << " " << k.value;
  EXPECT_EQ(display::SamplesAsTime(125, {250, "Hz"}), "500 ms");
  EXPECT_EQ(display::SamplesAsTime(25, {12.5, "MHz"}), "2.00 us");
}

}  // namespace
