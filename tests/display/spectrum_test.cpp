// The spectrum analyser's arithmetic without any window: window values, the
// levels of known signals for every window, the zero signal, how levels are
// stored, the magnitude slots and the smoothing after a settings change, the
// peak frequency, and the log axis with its marker and zoom conversions.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>
#include <numbers>

#include "display/spectrum.h"
#include "platform/os/numeric.h"

namespace {

using namespace display;

struct Analyser {
  TwiddleTable twiddles;
  std::array<float, kFftPoints> window{};
  std::array<float, kFftPoints> work{}, staged{}, re{}, im{};
  std::array<float, kFftBins * kFftSlots> magnitudes{};
  std::array<std::int32_t, kFftPoints> display{}, levels{};
  SpectrumCounters counters;
  double factor = 1.0;
  bool vectorAverage = false;

  explicit Analyser(FftWindow w) {
    FillWindowTable(w, window);
    factor = WindowFactors(w).Amplitude;
  }
  void Run(const std::array<std::int32_t, kFftPoints>& codes) {
    const SpectrumSetup setup{&twiddles, window, factor, vectorAverage};
    RunSpectrum(codes, setup, counters, SpectrumTargets{work, staged, re, im, magnitudes, display, levels});
  }
  int Level(int bin) const { return LevelOf(levels[static_cast<std::size_t>(2 * bin)]); }
  int Shown(int bin) const { return display[static_cast<std::size_t>(2 * bin)]; }
};

// A cosine of amplitude a exactly on bin 1024 (a quarter of the sample rate):
// 128 + a, 128, 128 - a, 128, ... Its mean-removed transform at bin 1024 is
// 1024 x (a + a) = 2048 a with the rectangle.
std::array<std::int32_t, kFftPoints> QuarterRateCosine(int a) {
  std::array<std::int32_t, kFftPoints> codes{};
  const int pattern[4] = {a, 0, -a, 0};
  for (int i = 0; i < kFftPoints; ++i) codes[static_cast<std::size_t>(i)] = 128 + pattern[i % 4];
  return codes;
}

std::array<std::int32_t, kFftPoints> Constant(int code) {
  std::array<std::int32_t, kFftPoints> codes{};
  codes.fill(code);
  return codes;
}

TEST(SpectrumWindows, CoefficientsAtQuarterPoints) {
  // w at i = 0, 1024, 2048, 3072, 4095 from the window formulas
  // (cos at those points: 1, 0, -1, 0, ~1).
  struct Row {
    FftWindow w;
    double at[5];
  };
  const Row rows[] = {
      {FftWindow::Rectangle, {1, 1, 1, 1, 1}},
      // i / 2048, mirrored: w[2048] = w[2047], w[3072] = w[1023], w[4095] = w[0].
      {FftWindow::Bartlett, {0, 0.5, 2047.0 / 2048, 1023.0 / 2048, 0}},
      {FftWindow::Hamming, {0.08, 0.54, 1.0, 0.54, 0.08}},
      {FftWindow::Hanning, {0, 0.5, 1.0, 0.5, 0}},
      // 0.426 - 0.496 + 0.0768; 0.426 - 0.0768; 0.426 + 0.496 + 0.0768.
      {FftWindow::Blackman, {0.0068, 0.3492, 0.9988, 0.3492, 0.0068}},
      {FftWindow::FlatTop, {-0.0417934, 0.083024, 1.000001, 0.083024, -0.0417934}},
  };
  const int points[5] = {0, 1024, 2048, 3072, 4095};
  for (const Row& row : rows) {
    std::array<float, kFftPoints> table{};
    FillWindowTable(row.w, table);
    for (int p = 0; p < 5; ++p)
      EXPECT_NEAR(table[static_cast<std::size_t>(points[p])], row.at[p], 2e-6)
          << "window " << static_cast<int>(row.w) << " at " << points[p];
  }
}

// The transform as the butterflies are written down, one at a time: the
// program's transform (which runs several side by side) must agree with it
// to the last bit, since the levels shown depend on it.
void ButterfliesOneByOne(const TwiddleTable& twiddles, const std::array<float, kFftPoints>& staged,
                         std::array<float, kFftPoints>& re, std::array<float, kFftPoints>& im) {
  for (int i = 0; i < kFftPoints; ++i) {
    int rev = 0;
    for (int b = 0; b < 12; ++b)
      if (i & (1 << b)) rev |= 1 << (11 - b);
    re[static_cast<std::size_t>(rev)] = staged[static_cast<std::size_t>(i)];
  }
  im.fill(0.0f);
  for (int span = 1, half = 2048; span < kFftPoints; span *= 2, half /= 2)
    for (int g = 1; g <= half; ++g)
      for (int k = 1; k <= span; ++k) {
        const auto i1 = static_cast<std::size_t>((k - 1) + 2 * (g - 1) * span);
        const auto i2 = i1 + static_cast<std::size_t>(span);
        const double t = 2 * std::numbers::pi * (k - 1) * half / 4096;
        const int slot = static_cast<int>(std::nearbyint(1000 * t));
        // volatile: one rounding per operation, as written.
        volatile float c = twiddles.Cos(slot), s = twiddles.Sin(slot);
        const float a = re[i2] * c, b = im[i2] * s;
        const float tr = a + b;
        const float d = im[i2] * c, e = re[i2] * s;
        const float ti = d - e;
        re[i2] = re[i1] - tr;
        im[i2] = im[i1] - ti;
        re[i1] = re[i1] + tr;
        im[i1] = im[i1] + ti;
      }
}

TEST(SpectrumTransform, MatchesTheButterflyFormulaBitForBit) {
  TwiddleTable twiddles;
  // Table slots of a few angles: t = 0, pi/2 (slot 1571), 3 pi/4 (slot 2356).
  EXPECT_EQ(twiddles.Cos(0), 1.0f);
  EXPECT_EQ(twiddles.Sin(0), 0.0f);
  EXPECT_EQ(twiddles.Sin(1571), 1.0f);
  EXPECT_NEAR(twiddles.Cos(2356), -std::sqrt(0.5), 1e-7);
  std::array<float, kFftPoints> staged{}, re{}, im{}, wantRe{}, wantIm{};
  unsigned seed = 12345;
  for (int trial = 0; trial < 5; ++trial) {
    for (float& v : staged) {
      seed = seed * 1103515245u + 12345u;
      v = static_cast<float>(static_cast<int>((seed >> 8) % 60001) - 30000) / 117.0f;
    }
    Transform(twiddles, staged, re, im);
    ButterfliesOneByOne(twiddles, staged, wantRe, wantIm);
    for (std::size_t i = 0; i < kFftPoints; ++i) {
      ASSERT_EQ(re[i], wantRe[i]) << trial << " re " << i;
      ASSERT_EQ(im[i], wantIm[i]) << trial << " im " << i;
    }
  }
}

TEST(SpectrumLevels, QuarterRateCosineGivesTheSameLevelsForEveryWindow) {
  // Amplitude 10: bin 1024 holds 20480 x (window's coherent gain x factor),
  // about 1 for each window: L = round((log10(20480) + 2) x 64) = round(403.93)
  // = 404, D = 194. The neighbours come from the window's cosine terms
  // (factor x coefficient / 2 of 20480 per term; Bartlett worked out by
  // summing its triangle):
  //   Hanning  1023: 2 x 0.25 x 20480 = 10240          -> 384.66 -> 385
  //   Hamming  1023: 1.852 x 0.23 x 20480 = 8723.7     -> 380.20 -> 380
  //   Blackman 1023: 2.381 x 0.248 x 20480 = 12093.2   -> 389.28 -> 389
  //            1022: 2.381 x 0.0384 x 20480 = 1872.5   -> 337.43 -> 337
  //   Flat Top 1023: 3.5579098 x 0.2604486 x 20480     -> 401.81 -> 402
  //            1022: 3.5579098 x 0.09901995 x 20480    -> 374.93 -> 375
  //   Bartlett 1024: 20 x (sum of w at even i = 1023.5) = 20470 -> 404
  //            1023: 8300.2 -> 378.82 -> 379
  struct Row {
    FftWindow w;
    int l1022, l1023;  // 0: too small to show (D = 0)
  };
  const Row rows[] = {{FftWindow::Rectangle, 0, 0}, {FftWindow::Bartlett, 0, 379}, {FftWindow::Hamming, 0, 380},
                      {FftWindow::Hanning, 0, 385},  {FftWindow::Blackman, 337, 389}, {FftWindow::FlatTop, 375, 402}};
  for (const Row& row : rows) {
    Analyser a(row.w);
    a.Run(QuarterRateCosine(10));
    SCOPED_TRACE(static_cast<int>(row.w));
    EXPECT_EQ(a.Level(1024), 404);
    EXPECT_EQ(a.Shown(1024), 194);
    EXPECT_EQ(a.display[2049], 194);  // both entries of the bin
    for (int bin : {1022, 1023}) {
      const int expected = bin == 1022 ? row.l1022 : row.l1023;
      if (expected) {
        EXPECT_EQ(a.Level(bin), expected) << bin;
        EXPECT_EQ(a.Level(2048 - bin), expected) << 2048 - bin;  // the other side, by symmetry
        EXPECT_EQ(a.Shown(bin), expected - 210) << bin;
      } else {
        EXPECT_EQ(a.Shown(bin), 0) << bin;
      }
    }
    // Far from the peak nothing shows.
    for (int bin : {0, 1, 500, 1000, 1100, 2047}) EXPECT_EQ(a.Shown(bin), 0) << bin;
  }
  // A larger amplitude tops the display out at 255 while the level goes on.
  Analyser big(FftWindow::Rectangle);
  big.Run(QuarterRateCosine(100));
  EXPECT_EQ(big.Level(1024), 468);  // log10(204800) + 2 = 7.3113 -> 467.93
  EXPECT_EQ(big.Shown(1024), 255);
}

TEST(SpectrumLevels, EveryMagnitudeGetsTheLevelOfItsLogarithm) {
  // 64 levels per decade above -128: the level is round((log10(m + 0.0001) + 2) 64),
  // ties to even. Magnitudes all over the range, and the doubles right at
  // every level's edge.
  const auto byLog = [](double m) {
    return static_cast<std::int32_t>(numeric::Round((std::log10(m + 0.0001) + 2.0) * 64.0, -128));
  };
  std::vector<double> magnitudes = {0.0, -0.0, 1e-300, 5e-5, 1.0, 1e13, 1e300,
                                    std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  for (double e = -6; e < 13; e += 1.0 / 4096) magnitudes.push_back(std::pow(10.0, e));
  for (int level = -127; level < 900; ++level) {
    const double edge = std::pow(10.0, (level - 0.5) / 64.0 - 2.0) - 0.0001;
    double m = edge;
    for (int i = 0; i < 8; ++i) m = std::nextafter(m, 0.0);
    for (int i = 0; i < 16; ++i, m = std::nextafter(m, 1e300)) magnitudes.push_back(m);
  }
  int wrong = 0;
  for (double m : magnitudes) wrong += display::SpectrumLevel(m) != byLog(m);
  EXPECT_EQ(wrong, 0) << "of " << magnitudes.size();
  EXPECT_EQ(display::SpectrumLevel(0.0), -128);
}

TEST(SpectrumLevels, ACaptureGivesTheLevelsOfTheFormulaBitForBit) {
  // Each capture against the formula taken step by step: the mean of the
  // codes summed one after the other in double, the windowed values, the
  // transform, and the level of each bin's logarithm.
  const auto byLog = [](double m) {
    return static_cast<std::int32_t>(numeric::Round((std::log10(m + 0.0001) + 2.0) * 64.0, -128));
  };
  unsigned seed = 777;
  const auto noise = [&seed](int span) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<unsigned>(span));
  };
  struct Case {
    const char* name;
    FftWindow window;
    std::function<std::int32_t(int)> code;
  };
  const std::vector<Case> cases = {
      {"noise", FftWindow::Hanning, [&](int) { return noise(256); }},
      {"sine and noise", FftWindow::Blackman,
       [&](int i) { return 128 + static_cast<int>(90 * std::sin(i * 0.37)) + noise(9) - 4; }},
      {"a spike", FftWindow::Rectangle, [](int i) { return i == 1000 ? 255 : 0; }},
      {"codes at the ends of 32 bits", FftWindow::FlatTop,
       [](int i) { return i % 3 ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int32_t>::min() + i; }},
      {"large codes", FftWindow::Hamming, [&](int) { return (1 << 30) - noise(1 << 20); }},
  };
  for (const Case& c : cases) {
    std::array<std::int32_t, kFftPoints> codes{};
    for (int i = 0; i < kFftPoints; ++i) codes[static_cast<std::size_t>(i)] = c.code(i);
    Analyser a(c.window);
    a.Run(codes);

    double sum = 0.0;
    for (std::int32_t v : codes) sum += static_cast<float>(v);
    const double mean = sum * (1.0 / kFftPoints);
    std::array<float, kFftPoints> staged{}, re{}, im{};
    for (std::size_t i = 0; i < kFftPoints; ++i)
      staged[i] = static_cast<float>(a.window[i] * a.factor * (static_cast<float>(codes[i]) - mean));
    Transform(a.twiddles, staged, re, im);
    int wrong = 0;
    for (std::size_t k = 0; k < kFftBins; ++k) {
      const double r = re[k], i = im[k];
      const std::int32_t level = byLog(std::sqrt(r * r + i * i));
      wrong += a.Level(static_cast<int>(k)) != level || a.Shown(static_cast<int>(k)) != DisplayLevel(level);
    }
    EXPECT_EQ(wrong, 0) << c.name;
    EXPECT_EQ(a.staged, staged) << c.name;
  }
}

TEST(SpectrumLevels, ZeroSignalIsLevelMinus128InTheLow16BitsOfEveryEntry) {
  Analyser a(FftWindow::Hamming);
  // Only the low 16 bits of an entry are the analyser's.
  a.display.fill(0x12340000);
  a.levels.fill(0x56780000);
  a.Run(Constant(137));  // mean removal leaves nothing
  for (std::size_t i = 0; i < kFftPoints; ++i) {
    ASSERT_EQ(a.display[i], 0x12340000) << i;
    ASSERT_EQ(static_cast<std::uint32_t>(a.levels[i]), 0x5678FF80u) << i;
    ASSERT_EQ(LevelOf(a.levels[i]), -128) << i;
  }
  for (float m : a.magnitudes) ASSERT_EQ(m, 0.0f);
}

TEST(SpectrumLevels, SlotsAreAllWrittenWhileSkippingThenInTurn) {
  Analyser a(FftWindow::Rectangle);
  a.counters.FftSkip = 2;  // as after a settings change
  a.counters.FftCounter = 0;
  a.Run(QuarterRateCosine(10));
  a.Run(QuarterRateCosine(20));
  const float* bin = &a.magnitudes[1024 * kFftSlots];
  for (int s = 0; s < kFftSlots; ++s) EXPECT_EQ(bin[s], 40960.0f) << s;
  EXPECT_EQ(a.counters.FftSkip, 0);
  // From now on one slot per transform, round robin after the two above (slots 1, 2).
  a.Run(QuarterRateCosine(30));
  a.Run(QuarterRateCosine(5));
  for (int s = 0; s < kFftSlots; ++s)
    EXPECT_EQ(bin[s], s == 3 ? 61440.0f : s == 4 ? 10240.0f : 40960.0f) << s;
  for (int i = 0; i < 4; ++i) a.Run(QuarterRateCosine(5));
  EXPECT_EQ(a.counters.FftCounter, 0);  // 3, 4, 5, 6, 7, then the first again
  EXPECT_EQ(bin[0], 10240.0f);
}

TEST(SpectrumSmoothing, VectorAveragingBlendsAfterThreeFreshCaptures) {
  Analyser a(FftWindow::Rectangle);
  a.vectorAverage = true;
  // A settings change: three captures taken as they are, then weights 0.5/1.1,
  // 0.5/1.21 ... down to the first not above 0.02 (0.5/1.1^34), which stays.
  a.counters = SpectrumCounters{3, 2, 0.5, 0.5, 0};
  for (int i = 0; i < 3; ++i) {
    a.Run(QuarterRateCosine(10 * (i + 1)));
    EXPECT_EQ(a.work[0], 128.0f + 10 * (i + 1)) << i;
  }
  a.Run(QuarterRateCosine(52));
  // 128 + 30 blended with 128 + 52 at 0.5/1.1: 158 + 22 x 0.4545 = 168.0
  EXPECT_NEAR(a.work[0], 158.0 + 22.0 * 0.5 / 1.1, 1e-4);
  EXPECT_NEAR(a.counters.SmoothWeight, 0.5 / 1.1, 1e-12);
  for (int i = 0; i < 40; ++i) a.Run(QuarterRateCosine(10));
  EXPECT_NEAR(a.counters.SmoothWeight, 0.5 / std::pow(1.1, 34), 1e-12);
  EXPECT_NEAR(a.counters.SmoothKeep, 1 - 0.5 / std::pow(1.1, 34), 1e-12);

  // Without vector averaging every capture stands alone.
  Analyser plain(FftWindow::Rectangle);
  plain.counters = SpectrumCounters{3, 2, 0.5, 0.5, 0};
  for (int amp : {10, 60, 20, 90, 30}) plain.Run(QuarterRateCosine(amp));
  EXPECT_EQ(plain.work[0], 158.0f);
  EXPECT_EQ(plain.counters.SmoothWeight, 0.5);
}

TEST(SpectrumFrequency, PeakBinOfSinesAndOfSignalsWithoutPeak) {
  TwiddleTable twiddles;
  // On a bin: both neighbours equal, the bin itself.
  EXPECT_EQ(PeakFrequencyBin(QuarterRateCosine(50), twiddles), 1024.0);
  // Between bins: within half a bin of the strongest one.
  for (double f : {100.3, 257.7, 700.2}) {
    std::array<std::int32_t, kFftPoints> codes{};
    for (int i = 0; i < kFftPoints; ++i)
      codes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(128 + 100 * std::sin(2 * std::numbers::pi * f * i / kFftPoints)));
    const double got = PeakFrequencyBin(codes, twiddles);
    EXPECT_NEAR(got, f, 0.5) << f;
  }
  // Nothing above level 0 (a constant, or all energy at half the sample
  // rate, past the last bin): frequency 0, nothing read before the levels.
  EXPECT_EQ(PeakFrequencyBin(Constant(200), twiddles), 0.0);
  std::array<std::int32_t, kFftPoints> nyquist{};
  for (int i = 0; i < kFftPoints; ++i) nyquist[static_cast<std::size_t>(i)] = i % 2 ? 118 : 138;
  EXPECT_EQ(PeakFrequencyBin(nyquist, twiddles), 0.0);
}

TEST(SpectrumLogAxis, PointsShowTheFirstBinBeyondTheirPlace) {
  const auto bins = LogAxisBins();
  // Point j reads place 4430 + 4j; bin k sits at round(log10(k + 1) x 4430.24).
  // Place 4430: bin 9 sits at 4430 (not beyond), bin 10 at 4614.
  // Place 6990 (j = 640): bin 36 at 6948, bin 37 at 6999.
  // Place 14666 (last point): bin 2044 at 14668.
  const int expected[][2] = {{0, 10}, {1, 10}, {640, 37}, {1000, 79}, {2559, 2044}};
  for (const auto& [j, bin] : expected) EXPECT_EQ(bins[static_cast<std::size_t>(j)], bin) << j;
  for (std::size_t j = 1; j < bins.size(); ++j) ASSERT_LE(bins[j - 1], bins[j]) << j;
}

TEST(SpectrumLogAxis, LinearToLogAndBackRestoresEveryLevel) {
  std::array<std::int32_t, kFftPoints> entries{};
  for (int k = 0; k < kFftBins; ++k) {
    const std::int32_t level = (k * 37) % 600 - 128;  // negatives too
    entries[static_cast<std::size_t>(2 * k)] = entries[static_cast<std::size_t>(2 * k + 1)] = level & 0xFFFF;
  }
  const auto original = entries;
  std::array<std::int16_t, kFftBins> kept{};
  KeepBinValues(entries, kept);
  WriteLogView(kept, entries);
  const auto bins = LogAxisBins();
  for (std::size_t j = 0; j < kLogAxisPoints; ++j)
    ASSERT_EQ(LevelOf(entries[j]), LevelOf(original[2 * bins[j]])) << j;
  WriteLinearView(kept, entries);
  EXPECT_EQ(entries, original);
}

TEST(SpectrumLogAxis, FrequencyMarkerConvertsBothWays) {
  // Scale 7335 / log10(2048) = 2215.12; a linear marker m is bin m / 2.
  struct Row {
    std::uint16_t lin, log, backToLin;
  };
  const Row rows[] = {
      {0, 0, 0},           // not placed stays not placed
      {2, 0, 2},           // bin 1: log10(1) = 0, raised to 2215 -> point 0
      {20, 0, 20},         // bin 10: 2215.1 -> 2215 -> point 0
      {22, 46, 22},        // bin 11: 2306.8 -> 2307 -> (2307 - 2215) / 2 = 46
      {200, 1107, 200},    // bin 100: 4430.2 -> 4430 -> 1107; back 10^1.99944 = 99.9 -> 100
      {4096, 2560, 4096},  // bin 2048: 7335 -> 2560
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MarkerLinToLog(r.lin), r.log) << r.lin;
    if (r.log) {
      EXPECT_EQ(MarkerLogToLin(r.log), r.backToLin) << r.log;
    }
  }
  EXPECT_EQ(MarkerLogToLin(0), 0);
  EXPECT_EQ(MarkerLogToLin(65535), 0xFFFE);  // far beyond the axis: held, not wrapped
}

TEST(SpectrumZoom, ButtonsAndAxisSwitchesAgree) {
  const int factors[] = {1, 2, 4, 8};
  const std::uint16_t lin[] = {16, 8, 4, 2};
  const std::uint16_t log[] = {10, 5, 3, 2};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ZoomOfButton(factors[i], false), lin[i]);
    EXPECT_EQ(ZoomOfButton(factors[i], true), log[i]);
    EXPECT_EQ(ZoomLinToLog(lin[i]), log[i]);
    EXPECT_EQ(ZoomLogToLin(log[i]), lin[i]);
  }
}

}  // namespace
