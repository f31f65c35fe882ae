// Rules of the generator panel: range rescaling and the end snap, slider
// mappings, entries (comma, limits), sweep sanitising and read-out texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "generator/panel_rules.h"

namespace {

using namespace generator;

const FrequencyRange& Range(const char* caption) {
  for (const FrequencyRange& r : FrequencyRanges)
    if (std::string(r.Caption) == caption) return r;
  throw std::invalid_argument(caption);
}

TEST(GeneratorPanelRules, RangeChangeScalesByDecadesAndSnapsToTheEnds) {
  struct Row {
    const char* what;
    double frequency;
    const char* to;
    double max;  // the top range's maximum for the shape
    int slider;
    double expected;
  } rows[] = {
      {"50 Hz (slider at 0) to 5k", 50, "5k", 5000, 0, 500},
      {"20 kHz on 50k to 5k", 20, "5k", 5000, 30, 2000},
      {"1234 Hz on 5k to 50Hz", 1234, "50Hz", 50, 15, 12.34},
      {"500 Hz, slider at 90, to 5k", 500, "5k", 5000, 90, 5000},
      {"off the grid: no snap", 520, "5k", 5000, 90, 520},
      {"0.05Hz range from 5 Hz", 5, "0.05Hz", 50, 90, 50},
      {"sine on the top range from 4000 Hz", 4000, "500k", 1000, 90, 1000},
      {"top range keeps exactly 500", 500, "500k", 500, 90, 500},
      {"nonsense frequency starts at the minimum", std::nan(""), "5Hz", 5, 40, 0.5},
  };
  for (const Row& r : rows) {
    const FrequencyRange& range = Range(r.to);
    const bool top = range.Code == 8;
    EXPECT_NEAR(RescaleToRange(r.frequency, range.Min, r.max, top, r.slider), r.expected, 1e-9) << r.what;
  }
}

TEST(GeneratorPanelRules, SlidersMapFrequencyAndAmplitude) {
  struct Row {
    int position;
    double min, max;
    bool fine;
    double frequency;
  } rows[] = {{0, 50, 500, false, 50},      {10, 50, 500, false, 100},  {89, 50, 500, false, 495},
              {90, 50, 500, false, 500},    {1, 50, 1000, true, 60},    {90, 50, 1000, true, 1000},
              {89, 500, 5000, false, 4950}, {30, 5, 50, false, 20}};
  for (const Row& r : rows) EXPECT_DOUBLE_EQ(SliderFrequency(r.position, r.min, r.max, r.fine), r.frequency);
  EXPECT_EQ(FrequencySliderPosition(2000, 500, 5000), 30);
  EXPECT_EQ(FrequencySliderPosition(500, 50, 500), 90);
  EXPECT_EQ(FrequencySliderPosition(1234, 500, 5000), 15);
  EXPECT_DOUBLE_EQ(SliderAmplitude(0), 10);
  EXPECT_DOUBLE_EQ(SliderAmplitude(99), 0.1);
  EXPECT_EQ(AmplitudeSliderPosition(5), 50);
  EXPECT_EQ(AmplitudeSliderPosition(0.1), 99);
}

TEST(GeneratorPanelRules, EntriesTakeACommaAndKeepTheirLimits) {
  struct Parse {
    const char* text;
    bool valid;
    double value;
  } parses[] = {{"2,5", true, 2.5},  {" 12 ", true, 12}, {"-1.5", true, -1.5}, {"1e3", true, 1000},
                {"", false, 0},      {"abc", false, 0},  {"1,2,3", false, 0},  {"inf", false, 0},
                {"nan", false, 0},   {"5V", false, 0},   {"0x10", false, 0}};
  for (const Parse& p : parses) {
    const std::optional<double> v = ParseEntryNumber(p.text);
    EXPECT_EQ(v.has_value(), p.valid) << p.text;
    if (v && p.valid) {
      EXPECT_DOUBLE_EQ(*v, p.value) << p.text;
    }
  }

  struct Offset {
    double volts;
    int dac;
  } offsets[] = {{2.5, 191}, {0, 127}, {-5, 0}, {5, 254}, {9, 254}, {-9, 0}};
  for (const Offset& o : offsets) EXPECT_EQ(OffsetDacFromVolts(o.volts), o.dac) << o.volts;

  struct Amplitude {
    double value;
    bool dc, peak;
    double vpp;
  } amplitudes[] = {{0.05, false, true, 0.1}, {12, false, false, 10}, {0.01, false, false, 0.1},
                    {3.3, false, false, 3.3}, {0.1, true, false, 0.4}, {7, true, false, 10},
                    {2, false, true, 4}};
  for (const Amplitude& a : amplitudes)
    EXPECT_DOUBLE_EQ(AmplitudeFromEntry(a.value, a.dc, a.peak), a.vpp) << a.value << " " << a.dc << a.peak;
  EXPECT_NEAR(AmplitudeFromVrms(1), 2 * std::sqrt(2.0), 1e-12);
  EXPECT_DOUBLE_EQ(AmplitudeFromVrms(10), 10);
  EXPECT_DOUBLE_EQ(AmplitudeFromVrms(0), 0.1);
}

TEST(GeneratorPanelRules, SweepEntriesAreSanitised) {
  struct Row {
    const char *start, *stop, *time;
    double startHz, stopHz, timeS;
    bool raised;
  } rows[] = {
      {"1000", "10000", "10", 1000, 10000, 10, false},
      {"0", "0", "x", 1, 1, 1, false},
      {"abc", "2e6", "0", 1, 1e6, 0.001, false},
      {"1e-9", "-3", "300000", 1e-4, 1e-4, 200000, false},
      {"5000", "100", "2,5", 5000, 5000, 2.5, true},
  };
  for (const Row& r : rows) {
    const SweepSettings s = SanitizeSweep(r.start, r.stop, r.time);
    EXPECT_DOUBLE_EQ(s.StartHz, r.startHz) << r.start;
    EXPECT_DOUBLE_EQ(s.StopHz, r.stopHz) << r.stop;
    EXPECT_DOUBLE_EQ(s.TimeS, r.timeS) << r.time;
    EXPECT_EQ(s.StopRaised, r.raised) << r.start << " " << r.stop;
  }
  EXPECT_EQ(EntryText(1e6), "1000000");
  EXPECT_EQ(EntryText(1e-4), "0.0001");
  EXPECT_EQ(EntryText(2.5), "2.5");
}

TEST(GeneratorPanelRules, ReadoutTexts) {
  EXPECT_EQ(FrequencyReadoutText(1000, 1, " Hz       "), "1000.0 Hz       ");
  EXPECT_EQ(FrequencyReadoutText(12.34, 3, " Hz       "), "12.340 Hz       ");
  EXPECT_EQ(FrequencyReadoutText(5, 3, " mHz    "), "5.000 mHz    ");
  EXPECT_EQ(OffsetReadoutText(127, false, 5), "0.00  ");
  EXPECT_EQ(OffsetReadoutText(191, false, 5), "2.52  ");
  EXPECT_EQ(OffsetReadoutText(0, false, 5), "-5.00  ");
  EXPECT_EQ(OffsetReadoutText(255, false, 5), "5.00  ");  // shown at most 5.00
  EXPECT_EQ(OffsetReadoutText(127, true, 3), "1.50  ");
  EXPECT_EQ(AmplitudeReadoutText(5, false, false), "5.00");
  EXPECT_EQ(AmplitudeReadoutText(5, true, false), "2.50");
  EXPECT_EQ(AmplitudeReadoutText(0.2, false, true), "0.20");  // DC: at least 0.4 Vpp, shown as peak
  EXPECT_EQ(VrmsReadoutText(5, false), "1.77");
  EXPECT_EQ(VrmsReadoutText(5, true), "0.88");
}

}  // namespace
