// The generator's tables: base-table builders at known points, the
// attenuator choice, the shape step's mapping and clamps, peak and auto
// offset, polarity and phase, and the wave editor's preview mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "generator/generator_state.h"
#include "generator/synthesis.h"

namespace {

using namespace generator;

TEST(GeneratorSynthesis, BaseTablesHoldTheirShapeAtKnownPoints) {
  const BaseSamples sine = SineTable();
  const BaseSamples square50 = SquareTable(50);
  const BaseSamples square10 = SquareTable(10);
  const BaseSamples dcp = DcTable(true);
  const BaseSamples dcn = DcTable(false);
  const BaseSamples sinc = SincTable();
  struct Row {
    const char* table;
    const BaseSamples* samples;
    int index;
    int value;
  } rows[] = {
      {"sine", &sine, 0, 0},          {"sine", &sine, 8000, 32766},      {"sine", &sine, 24000, -32766},
      {"sine", &sine, 32000, 0},      {"sine", &sine, 32001, 0},         {"sine", &sine, 32767, 0},
      // The triangle under the square: full scale up in the first half, down in the second.
      {"square 50", &square50, 0, -32762}, {"square 50", &square50, 7999, 0},  {"square 50", &square50, 15999, 32766},
      {"square 50", &square50, 16000, 32762}, {"square 50", &square50, 24000, -4},
      // A 10 % duty shifts it up and clips it at full scale.
      {"square 10", &square10, 0, -6549}, {"square 10", &square10, 1599, 0}, {"square 10", &square10, 12000, 32766},
      {"+dc", &dcp, 0, 32766},        {"+dc", &dcp, 32000, 32766},       {"+dc", &dcp, 32001, 0},
      {"-dc", &dcn, 16000, -32766},
      // x = 0 is skipped: the centre entries sit on either side of the peak.
      {"sinc", &sinc, 15999, -32155}, {"sinc", &sinc, 16000, -32155},    {"sinc", &sinc, 0, -975},
  };
  for (const Row& r : rows) {
    ASSERT_EQ(r.samples->size(), kTableEntries);
    EXPECT_EQ((*r.samples)[static_cast<std::size_t>(r.index)], r.value) << r.table << " at " << r.index;
  }
}

TEST(GeneratorSynthesis, NoiseAndChirpStayWithinFullScale) {
  std::mt19937 random(7);
  const BaseSamples noise = NoiseTable(random);
  const BaseSamples chirp = ChirpTable(1000, 10000);
  for (const BaseSamples* t : {&noise, &chirp}) {
    ASSERT_EQ(t->size(), kTableEntries);
    EXPECT_LE(*std::max_element(t->begin(), t->end()), 32766);
    EXPECT_GE(*std::min_element(t->begin(), t->end()), -32766);
  }
  // Noise fills every entry, clipped at three deviations of 32765/3.
  const auto zeros = std::count(noise.begin(), noise.end(), 0);
  EXPECT_LT(zeros, 100);
  // The chirp starts at zero and its first lobe is negative.
  EXPECT_EQ(chirp[0], 0);
  EXPECT_LT(chirp[100], 0);
}

TEST(GeneratorSynthesis, AttenuatorRangeFollowsTheAmplitude) {
  struct Row {
    double vpp;
    int range;
    double k;
  } rows[] = {
      {0.05, 1, 0.32},  // below every limit: range 1 keeps its proportional factor
      {0.078125, 1, 0.5}, {0.1, 1, 0.64}, {0.15625, 1, 1.0}, {0.2, 2, 0.64}, {2, 5, 0.8},
      {5, 6, 1.0},  // exactly at a limit stays below it
      {5.01, 7, 0.501}, {10, 7, 1.0}, {20, 7, 2.0},
  };
  for (const Row& r : rows) {
    const Attenuation a = ChooseAttenuator(r.vpp);
    EXPECT_EQ(a.Range, r.range) << r.vpp;
    EXPECT_NEAR(a.K, r.k, 1e-12) << r.vpp;
  }
}

TEST(GeneratorSynthesis, ShapeStepMapsEachShapeAndClampsToAByte) {
  struct Row {
    const char* what;
    std::int32_t shape;
    std::int32_t range;
    double frequency;
    int pass;
    double u;  // base value / 258
    double k;
    int expected;
  } rows[] = {
      {"sine, ties to even", kShapeSine, 5, 500, 1, 127, 1.0, 252},
      {"sine", kShapeSine, 5, 500, 1, 100, 1.0, 226},
      {"sine above 10 Vpp clamps high", kShapeSine, 5, 500, 1, 127, 2.0, 255},
      {"sine above 10 Vpp clamps low", kShapeSine, 5, 500, 1, -127, 2.0, 0},
      {"square high", kShapeSquare, 5, 500, 1, 10, 0.86, 243},
      {"square low", kShapeSquare, 5, 500, 1, -10, 0.86, 16},
      {"square above 10 Vpp", kShapeSquare, 5, 500, 1, 10, 1.0, 255},
      {"top-range square inside the 50 kHz edge", kShapeSquare, 8, 50, 1, 2, 1.0, 229},
      {"top-range square outside the 50 kHz edge", kShapeSquare, 8, 50, 1, 3, 1.0, 254},
      {"top-range square inside the 500 kHz edge", kShapeSquare, 8, 500, 1, 20, 1.0, 229},
      {"library", kShapeLibrary, 5, 500, 1, -127, 0.86, 240},
      {"library above 10 Vpp", kShapeLibrary, 5, 500, 1, -127, 2.0, 255},
      {"dc", kShapeDc, 5, 500, 1, -127, 0.86, 21},
      {"noise", kShapeNoise, 5, 500, 1, 50, 0.86, 172},
      {"sweep, second pass", kShapeSweep, 5, 500, 2, 100, 0.86, 216},
  };
  for (const Row& r : rows) {
    const std::vector<std::int16_t> base(kTableEntries, static_cast<std::int16_t>(r.u * 258));
    std::vector<std::int32_t> out(kTableEntries, -1);
    ShapeOutput(base, {r.shape, r.k, r.range, r.frequency, r.pass}, out);
    EXPECT_EQ(out[0], r.expected) << r.what;
    EXPECT_EQ(out[20000], r.expected) << r.what;
  }
  // Shape 0 leaves the table as it was.
  std::vector<std::int32_t> out(kTableEntries, 77);
  ShapeOutput(SineTable(), {kShapeNone, 1.0, 5, 500, 1}, out);
  EXPECT_EQ(std::count(out.begin(), out.end(), 77), static_cast<long>(kTableEntries));
}

TEST(GeneratorSynthesis, SinePlaysOneBasePeriodPerEightThousandEntriesAndTriangleRamps) {
  std::vector<std::int32_t> sine(kTableEntries);
  ShapeOutput(SineTable(), {kShapeSine, 0.86, 6, 1000, 1}, sine);
  // Peak at a quarter of 8192, trough at three quarters, four periods.
  for (int period = 0; period < 4; ++period) {
    EXPECT_EQ(sine[static_cast<std::size_t>(period * 8192 + 2048)], 235) << period;
    EXPECT_EQ(sine[static_cast<std::size_t>(period * 8192 + 6144)], 16) << period;
  }
  std::vector<std::int32_t> triangle(kTableEntries);
  ShapeOutput(SineTable(), {kShapeTriangle, 0.86, 5, 500, 1}, triangle);
  const auto [lo, hi] = std::minmax_element(triangle.begin(), triangle.end());
  EXPECT_LE(*lo, 25);
  EXPECT_GE(*hi, 235);
  EXPECT_LT(triangle[1000], triangle[3000]);  // rising in the first half period
  EXPECT_GT(triangle[5000], triangle[7000]);  // falling in the second
}

TEST(GeneratorSynthesis, PeakAndAutoOffsetMoveTheLevels) {
  struct PeakRow {
    int m;
    double k;
    bool sine;
    int expected;
  } peaks[] = {{255, 1.0, false, 128}, {255, 1.0, true, 127}, {0, 0.5, false, 32}, {0, 0.5, true, 223},
               {0, -4.0, false, 255}};
  for (const PeakRow& r : peaks) {
    std::vector<std::int32_t> out(4, r.m);
    ApplyPeakOffset(out, r.k, r.sine);
    EXPECT_EQ(out[2], r.expected) << r.m << " " << r.k << " " << r.sine;
  }
  EXPECT_EQ(AutoOffsetDac(7, 0.86), 255);
  EXPECT_EQ(AutoOffsetDac(6, 0.86), 191);
  EXPECT_EQ(AutoOffsetDac(1, 0.43), 128);
  EXPECT_EQ(AutoOffsetDac(7, 1.72), 255);  // clamped, never wrapped
}

TEST(GeneratorSynthesis, PolarityInvertsAllButTheSineAndSquareAndTriangleAreRotated) {
  struct Row {
    std::int32_t shape;
    std::size_t markerAt;
    int marker;
    int rest;
  } rows[] = {{kShapeSine, 0, 10, 100},      {kShapeSquare, 10239, 245, 155}, {kShapeTriangle, 10239, 245, 155},
              {kShapeSinc, 0, 245, 155},     {kShapeDc, 0, 245, 155}};
  for (const Row& r : rows) {
    std::vector<std::int32_t> out(kTableEntries, 100);
    out[0] = 10;
    ApplyPolarityAndPhase(out, r.shape);
    EXPECT_EQ(out[r.markerAt], r.marker) << r.shape;
    EXPECT_EQ(out[(r.markerAt + 1) % kTableEntries], r.rest) << r.shape;
    EXPECT_EQ(std::count(out.begin(), out.end(), r.rest), static_cast<long>(kTableEntries) - 1) << r.shape;
  }
}

TEST(GeneratorSynthesis, EditorPreviewCentresOn127AndRepeatsThePeriod) {
  std::vector<std::int16_t> editor(kTableEntries, 0);
  editor[0] = 2580;       // 10 codes up the scale -> 117.5 -> 118
  editor[1] = -25800;     // 100 codes down -> 227.5 -> 228
  editor[31999] = 258;    // 126.5 -> 126
  editor[32000] = 9999;   // beyond the period: never read
  const OutputSamples preview = EditorPreview(editor);
  ASSERT_EQ(preview.size(), kTableEntries);
  EXPECT_EQ(preview[0], 118);
  EXPECT_EQ(preview[1], 228);
  EXPECT_EQ(preview[2], 128);  // 127.5 ties to even
  EXPECT_EQ(preview[31999], 126);
  EXPECT_EQ(preview[32000], 118);  // the period starts again
  EXPECT_EQ(preview[32001], 228);
}

}  // namespace
