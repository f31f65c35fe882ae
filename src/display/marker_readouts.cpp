// Marker read-outs and picking; see marker_readouts.h.
#include "display/marker_readouts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "display/measurements.h"
#include "platform/os/numeric.h"

namespace display {

namespace {

constexpr int kPixelsPerDiv = 50;

// The number at the start of a label such as "0.5ms", read with '.' as the
// decimal separator whatever the locale; 0 when there is none.
double LeadingNumber(const std::string& text) {
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
  return r.ec == std::errc() ? v : 0;
}

}  // namespace

// ---------------------------------------------------------------- picking

int PickMarker(int x, int y, int vertical1X, int vertical2X, int horizontal1Y, int horizontal2Y) {
  const long long dx1 = std::llabs(static_cast<long long>(x) - vertical1X);
  const long long dx2 = std::llabs(static_cast<long long>(x) - vertical2X);
  const long long dy1 = std::llabs(static_cast<long long>(y) - horizontal1Y);
  const long long dy2 = std::llabs(static_cast<long long>(y) - horizontal2Y);
  if (std::min(dy1, dy2) < std::min(dx1, dx2)) return dy2 < dy1 ? 4 : 3;
  return dx2 < dx1 ? 2 : 1;
}

int PickSpectrumMarker(int x, int y, int freqX, int level1Y, int level2Y) {
  const long long dx = std::llabs(static_cast<long long>(x) - freqX);
  const long long dy1 = std::llabs(static_cast<long long>(y) - level1Y);
  const long long dy2 = std::llabs(static_cast<long long>(y) - level2Y);
  if (std::min(dy1, dy2) < dx) {
    const int kind = dy2 < dy1 ? 4 : 3;
    return (kind == 4 ? level2Y : level1Y) <= 0 ? 0 : kind;
  }
  return 1;
}

int FreqMarkerBinAt(int x, int x0, int displayStart, int zoom) {
  if (x < x0) return displayStart;
  return displayStart + (zoom * (x - x0) * 8) / 16;
}

// ---------------------------------------------------------------- scope read-outs

TimeReadout TimeMarkerReadout(const std::string& timeDivText, int x1, int x2, int x0) {
  TimeReadout r;
  const std::string unit = timeDivText.size() >= 2 ? timeDivText.substr(timeDivText.size() - 2) : timeDivText;
  const double n = LeadingNumber(timeDivText.substr(0, timeDivText.size() - unit.size()));
  const int a = std::max(x1, x0), b = std::max(x2, x0);
  const int pixels = std::abs(a - b);
  const double dt = pixels * n / kPixelsPerDiv;

  const bool ms = unit == "ms";
  std::string fUnit = ms ? "kHz" : "MHz";
  std::string fText = " ... ";
  if (dt > 0) {
    double f = 1 / dt;
    if (f < 1) {
      f *= 1000;
      fUnit = ms ? "Hz" : "kHz";
    }
    if (pixels >= 2) fText = FixedText(f, 2);
  }
  r.Dt = "dt: " + FixedText(dt, 2) + unit;
  r.InvDt = "1/dt: " + fText + fUnit;
  r.Show = x1 > 10 || x2 > 10;
  return r;
}

std::string VoltMarkerReadout(std::uint8_t rangeCode, double probeFactor, int y1, int y2, int y0,
                              int groundLevel, bool mathTrace, int vScale) {
  const RangeUnit range = RangeVolts(rangeCode);
  const double v = range.VoltsPerDiv * probeFactor;
  const int s = std::max(1, vScale);
  const double pixelsPerDiv = kCodesPerDiv * s;
  const int a = std::max(y1, y0), b = std::max(y2, y0);
  const std::string dv = "dV: " + FixedText(v * std::abs(a - b) / pixelsPerDiv, 2) + range.Unit;
  if (mathTrace) return dv;
  // The ground lies s pixels per code below the top of the grid.
  auto level = [&](int y) { return FixedText(v * (static_cast<double>(s) * groundLevel - y + y0) / pixelsPerDiv, 2); };
  return dv + "  (" + level(a) + ") (" + level(b) + ")";
}

// ---------------------------------------------------------------- spectrum read-outs

std::string FreqMarkerReadout(std::int32_t timePerDiv, int bin, bool logAxis) {
  const bool mhz = timePerDiv < 30001;
  const double fullScale = timePerDiv <= 0 ? 0 : mhz ? 6250.0 / timePerDiv : 6.25e6 / timePerDiv;
  int b = bin > 4096 || bin < 0 ? 0 : bin;
  if (logAxis && b != 0) {
    const double g = std::pow(10.0, std::log10(2048.0) * (2.0 * b + 2215) / 7335);
    const std::int64_t r = numeric::Round(g);
    b = 2 * r < 4097 ? static_cast<int>(2 * r) : 0;
  }
  double f = b * fullScale / 4096;
  std::string unit = mhz ? "MHz" : "kHz";
  if (f < 1) {
    f *= 1000;
    unit = mhz ? "kHz" : "Hz";
  }
  return "f: " + FixedText(f, 2) + unit;
}

double BinWidthHz(std::int32_t captureTimePerDiv) {
  switch (captureTimePerDiv) {
    case 50000000: return 0.06103515625;
    case 20000000: return 0.152587890625;
    case 10000000: return 0.30517578125;
    case 5000000: return 0.6103515625;
    case 2000000: return 1.52587890625;
    case 1000000: return 3.0517578125;
    case 500000: return 6.103515625;
    case 200000: return 15.2587890625;
    case 100000: return 30.517578125;
    case 50000: return 61.03515625;
    case 20000: return 152.587890625;
    case 10000: return 305.17578125;
    case 5000: return 610.3515625;
    case 2000: return 1525.87890625;
    case 1000: return 3051.7578125;
    case 500: return 6103.515625;
    case 250: return 12207.03125;  // 2.5 us per division
    default: return 1.0;
  }
}

double TopLevelDbv(std::uint8_t rangeCode) {
  switch (rangeCode) {
    case 1: return 15.563;
    case 27: return 6.0;
    case 11: return -4.4369;
    case 29: return -13.98;
    case 13: return -24.44;
    case 30: return -33.98;
    default: return 6.0;
  }
}

std::string LevelMarkerReadout(const LevelSetup& setup, int y1, int y2, int y0, int vScale) {
  const int a = std::max(y1, y0), b = std::max(y2, y0);
  const double db = 10.0 * std::abs(a - b) / (kCodesPerDiv * std::max(1, vScale));
  if (y1 >= y0 && y2 >= y0) return "dV: " + FixedText(db, 2) + "dB";
  double level = TopLevelDbv(setup.RangeCode) + setup.ProbeDb - db;
  if (!setup.Density) return "V: " + FixedText(level, 2) + "dBV";
  level -= 20 * std::log10(std::sqrt(BinWidthHz(setup.CaptureTimePerDiv)));
  level -= setup.WindowDensityCorrection;
  return "V: " + FixedText(level, 2) + "dBV/sqrt(Hz)";
}

}  // namespace display
