// Marker read-out texts at known marker places and settings, and which
// marker a press picks. Grid origin x0 = 25, y0 = 20 as on the main picture.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "display/marker_readouts.h"

namespace {

constexpr int kX0 = 25;
constexpr int kY0 = 20;

TEST(MarkerReadouts, TimeMarkersGiveDtAndItsInverse) {
  struct Case {
    const char* timeDiv;
    int x1, x2;
    const char *dt, *inv;
    bool show;
  } cases[] = {
      // The start places, 618 pixels apart: 12.36 divisions of 1 ms; 1/12.36 ms
      // = 0.0809 kHz, below 1 so in Hz.
      {"1ms", kX0 + 16, kX0 + 634, "dt: 12.36ms", "1/dt: 80.91Hz", true},
      // One division of 0.5 ms: 2 kHz.
      {"0.5ms", 75, 125, "dt: 0.50ms", "1/dt: 2.00kHz", true},
      // 50 us: 0.02 MHz becomes 20 kHz.
      {"50us", 125, 75, "dt: 50.00us", "1/dt: 20.00kHz", true},
      // Markers one pixel apart: no inverse.
      {"1ms", 100, 101, "dt: 0.02ms", "1/dt:  ... kHz", true},
      // A marker left of the grid counts as x0: 100 pixels of 0.2 ms.
      {"0.2ms", -600, 125, "dt: 0.40ms", "1/dt: 2.50kHz", true},
      // Neither marker beyond pixel 10: stored but not printed.
      {"1ms", 5, 8, "dt: 0.00ms", "1/dt:  ... kHz", false},
  };
  for (const Case& k : cases) {
    const display::TimeReadout r = display::TimeMarkerReadout(k.timeDiv, k.x1, k.x2, kX0);
    EXPECT_EQ(r.Dt, k.dt) << k.timeDiv << " " << k.x1;
    EXPECT_EQ(r.InvDt, k.inv) << k.timeDiv << " " << k.x1;
    EXPECT_EQ(r.Show, k.show) << k.timeDiv << " " << k.x1;
  }
}

// Switches the C library to a German locale (decimal comma), compiling it
// into a temporary folder when the system has none; false when impossible.
bool UseDecimalCommaLocale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
  const std::string dir = ::testing::TempDir() + "locales";
  const std::string cmd = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return false;
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(MarkerReadouts, TimeDivNumberIsReadTheSameInEveryLocale) {
  // A locale with a decimal comma must not turn "0.5ms" into 0 or 5, nor
  // print "0,50".
  if (!UseDecimalCommaLocale() || std::localeconv()->decimal_point[0] != ',')
    GTEST_SKIP() << "no decimal-comma locale available";
  const display::TimeReadout r = display::TimeMarkerReadout("0.5ms", 75, 125, kX0);
  const std::string f = display::FreqMarkerReadout(500, 1000, false);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(r.Dt, "dt: 0.50ms");
  EXPECT_EQ(r.InvDt, "1/dt: 2.00kHz");
  EXPECT_EQ(f, "f: 3.05MHz");
}

TEST(MarkerReadouts, VoltageMarkersGiveDvAndTheirLevels) {
  struct Case {
    unsigned char range;
    double probe;
    int y1, y2;
    bool math;
    const char* text;
  } cases[] = {
      // 1 V/div, the start places 224 pixels apart (7 divisions); ground at
      // 128 from the top: levels (128 - 16) / 32 = 3.5 and (128 - 240) / 32.
      {27, 1, kY0 + 16, kY0 + 240, false, "dV: 7.00V  (3.50) (-3.50)"},
      // 10 mV with the x10 probe: 100 mV per division, in mV.
      {30, 10, kY0 + 16, kY0 + 48, false, "dV: 100.00mV  (350.00) (250.00)"},
      // With a math trace only the difference; 3 V/div, half a division.
      {1, 1, kY0 + 16, kY0 + 32, true, "dV: 1.50V"},
      // A marker above the grid counts as its top line.
      {27, 1, 0, kY0 + 64, false, "dV: 2.00V  (4.00) (2.00)"},
  };
  for (const Case& k : cases)
    EXPECT_EQ(display::VoltMarkerReadout(k.range, k.probe, k.y1, k.y2, kY0, 128, k.math), k.text);
}

TEST(MarkerReadouts, FrequencyMarkerOnBothAxes) {
  struct Case {
    int timePerDiv, bin;
    bool log;
    const char* text;
  } cases[] = {
      // 1 ms/div: full scale 6.25e6 / 100000 = 62.5 kHz over 4096 points.
      {100000, 2048, false, "f: 31.25kHz"},
      {100000, 10, false, "f: 152.59Hz"},  // 0.1526 kHz shown in Hz
      // 5 us/div: 6250 / 500 = 12.5 MHz full scale.
      {500, 1000, false, "f: 3.05MHz"},
      {500, 100, false, "f: 305.18kHz"},
      // Past the spectrum: 0.
      {100000, 5000, false, "f: 0.00Hz"},
      // Log axis: point 100 is 2 x round(2048^(2415/7335)) = 2 x round(12.31) = 24,
      // 24 x 62.5 / 4096 kHz = 366.21 Hz.
      {100000, 100, true, "f: 366.21Hz"},
  };
  for (const Case& k : cases) EXPECT_EQ(display::FreqMarkerReadout(k.timePerDiv, k.bin, k.log), k.text) << k.bin;
}

TEST(MarkerReadouts, LevelMarkersInDbDbvAndDensity) {
  display::LevelSetup s;
  s.RangeCode = 27;  // top of screen 6 dBV
  // One placed marker half a division down: 6 - 10 x 16 / 32 = 1 dBV.
  EXPECT_EQ(display::LevelMarkerReadout(s, kY0 + 16, -300, kY0), "V: 1.00dBV");
  EXPECT_EQ(display::LevelMarkerReadout(s, -300, kY0 + 16, kY0), "V: 1.00dBV");
  // Two placed markers two divisions apart: 20 dB.
  EXPECT_EQ(display::LevelMarkerReadout(s, kY0 + 16, kY0 + 80, kY0), "dV: 20.00dB");
  // Spectral density, 3 V/div with the x10 probe (+20 dB), at 1 ms/div (bins
  // of 30.5176 Hz): 15.563 + 20 - 20 - 10 log10(30.5176) = 0.7175.
  s.RangeCode = 1;
  s.ProbeDb = 20;
  s.Density = true;
  s.CaptureTimePerDiv = 100000;
  EXPECT_EQ(display::LevelMarkerReadout(s, kY0 + 64, -300, kY0), "V: 0.72dBV/sqrt(Hz)");
  s.WindowDensityCorrection = 1.5;
  EXPECT_EQ(display::LevelMarkerReadout(s, kY0 + 64, -300, kY0), "V: -0.78dBV/sqrt(Hz)");
}

TEST(MarkerReadouts, PressPicksTheNearestLine) {
  struct Case {
    int x, y;
    int kind;
  } cases[] = {
      {100, 150, 1},  // 50 from time marker 1 and from both voltage markers: vertical
      {150, 300, 1},  // exactly between the time markers, 100 from voltage marker 2: the first
      {60, 110, 1},   // 10 from time marker 1 and 10 from voltage marker 1: vertical
      {170, 190, 4},  // 10 above voltage marker 2
      {170, 111, 3},  // 11 below voltage marker 1, 80 from time marker 2
      {210, 150, 2},  // 40 from time marker 2, 50 from both voltage markers
  };
  for (const Case& k : cases) EXPECT_EQ(display::PickMarker(k.x, k.y, 50, 250, 100, 200), k.kind) << k.x << "," << k.y;

  // Spectrum: one vertical line; a chosen level marker at pixel 0 or above ends the pick.
  EXPECT_EQ(display::PickSpectrumMarker(300, 40, 41, 36, 260), 3);
  EXPECT_EQ(display::PickSpectrumMarker(45, 40, 41, 36, 260), 1);
  EXPECT_EQ(display::PickSpectrumMarker(300, 5, 41, 0, 260), 0);
  // The frequency marker's point: zoom 8 is 8 points per 2 pixels.
  EXPECT_EQ(display::FreqMarkerBinAt(kX0 + 100, kX0, 0, 8), 400);
  EXPECT_EQ(display::FreqMarkerBinAt(kX0 + 3, kX0, 100, 1), 101);
  EXPECT_EQ(display::FreqMarkerBinAt(kX0 - 5, kX0, 100, 8), 100);
}

}  // namespace
