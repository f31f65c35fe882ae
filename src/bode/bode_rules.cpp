#include "bode/bode_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "display/measurements.h"
#include "platform/os/numeric.h"

namespace bode {

using display::FixedText;

namespace {

struct ScaleRow {
  std::uint8_t Code;
  RangeScale Scale;
};
// Least to most sensitive.
constexpr std::array<ScaleRow, 6> kScales{{
    {1, {6.0, 15.563, false}},
    {27, {2.0, 6.0, false}},
    {11, {0.6, -4.4369, false}},
    {29, {0.2, -13.98, false}},
    {13, {60, -24.44, true}},
    {30, {20, -33.98, true}},
}};

int RowOf(std::uint8_t code) {
  for (std::size_t i = 0; i < kScales.size(); ++i)
    if (kScales[i].Code == code) return static_cast<int>(i);
  return -1;
}

constexpr std::array<Band, 6> kBands{{
    {1, 5, 6, 5, "100ms", false},
    {2, 50, 6, 4, "100ms", false},
    {3, 500, 6, 3, "5ms", false},
    {4, 5000, 1, 2, "0.5ms", false},
    {5, 50000, 1, 1, "50us", true},
    {6, 1000000, 1, 0, "5us", false},
}};

struct Refinement {
  double FromHz;
  const char* At;
  const char* To;
};
constexpr std::array<Refinement, 8> kRefinements{{
    {20, "100ms", "50ms"},
    {50, "50ms", "20ms"},
    {200, "5ms", "2ms"},
    {500, "2ms", "1ms"},
    {2000, "0.5ms", "0.2ms"},
    {5000, "0.2ms", "0.1ms"},
    {20000, "50us", "20us"},
    {50000, "20us", "10us"},
}};

int ClampRow(double y) { return numeric::Round32(std::clamp(y, -30000.0, 30000.0)); }

// Rounds m onto the grid of `step` when it lies within a hair of it, so that
// sums of steps do not drift off the plan.
double Snap(double m, double step) {
  if (!(step > 0)) return m;
  const double q = m / step;
  const double r = std::nearbyint(q);
  return std::fabs(q - r) < 1e-6 ? r * step : m;
}

std::optional<double> ParseNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

RangeScale RangeFullScale(std::uint8_t code) {
  const int row = RowOf(code);
  return kScales[row < 0 ? 1 : row].Scale;
}

std::string TraceUnit(std::uint8_t code) { return RangeFullScale(code).Millivolts ? " mVrms" : " Vrms"; }

std::optional<std::uint8_t> MoreSensitiveCode(std::uint8_t code) {
  const int row = RowOf(code);
  if (row < 0 || row + 1 >= static_cast<int>(kScales.size())) return std::nullopt;
  return kScales[row + 1].Code;
}

std::optional<std::uint8_t> LessSensitiveCode(std::uint8_t code) {
  const int row = RowOf(code);
  if (row <= 0) return std::nullopt;
  return kScales[row - 1].Code;
}

std::string FrequencyText(double hz) {
  const int decimals = hz < 10 ? 3 : hz < 100 ? 2 : hz < 10000 ? 1 : 0;
  return FixedText(hz, decimals);
}

std::string ValueText(double value) { return FixedText(value, value <= 0.001 ? 4 : 3); }
std::string DbvText(double dbv) { return FixedText(dbv, 3); }
std::string PhaseText(double degrees) { return FixedText(degrees, 1); }

double DecadeOf(double m) {
  double p = 1;
  while (p * 10 <= m * (1 + 1e-9)) p *= 10;
  return p;
}

double NextMultiplier(double m, StepMode mode, double fraction, double octaveRatio) {
  if (m == 0) return 1;
  switch (mode) {
    case StepMode::Log: {
      const double step = DecadeOf(m) * fraction;
      return Snap(m + step, step);
    }
    case StepMode::Octave:
      return m * octaveRatio;
    case StepMode::Linear:
      break;
  }
  return Snap(m + fraction, fraction);
}

double PointHz(std::int32_t rangeTop, std::int32_t ratio, double m) {
  const std::int32_t s = ratio > 0 ? rangeTop / ratio : 0;
  return s * m / 10;
}

int PointX(bool logScale, int plotWidth, int margin, double m, std::int32_t ratio) {
  const double span = logScale ? std::log10(static_cast<double>(ratio)) : static_cast<double>(ratio);
  const double at = logScale ? std::log10(m) : m;
  return margin + numeric::Round32(std::clamp(plotWidth * at / span, -30000.0, 30000.0));
}

bool SweepEnds(int x, int plotWidth, int margin, std::int32_t rangeTop, std::int32_t ratio, double m) {
  const std::int32_t s = ratio > 0 ? rangeTop / ratio : 0;
  return x >= plotWidth + margin || s * m >= 10000001;
}

const Band* BandToEnter(double sm, int current) {
  for (auto it = kBands.rbegin(); it != kBands.rend(); ++it)
    if (sm >= it->From) return current < it->Index ? &*it : nullptr;
  return nullptr;
}

std::vector<const char*> RefinedTimeDivs(double hz, std::string timeDiv) {
  std::vector<const char*> presses;
  for (const Refinement& r : kRefinements) {
    if (hz >= r.FromHz && timeDiv == r.At) {
      presses.push_back(r.To);
      timeDiv = r.To;
    }
  }
  return presses;
}

double LevelDbv(double reading, std::uint8_t code, double probeFactor, double probeDb) {
  const RangeScale scale = RangeFullScale(code);
  return 20 * std::log10(reading / (scale.FullScale * probeFactor)) + scale.FullScaleDbv + probeDb;
}

int LevelRow(int vertScale, int plotHeight, double r) {
  if (!(r > 0) || !std::isfinite(r)) return plotHeight;
  double fill;
  switch (vertScale) {
    case 10: fill = (20 * std::log10(r) + 100) * plotHeight / 100; break;
    case 5: fill = (40 * std::log10(r) + 100) * plotHeight / 100; break;
    case 1: fill = (200 * std::log10(r) + 100) * plotHeight / 100; break;
    default: fill = plotHeight * r; break;
  }
  return ClampRow(plotHeight - std::nearbyint(std::clamp(fill, -1e9, 1e9)));
}

int PhaseRow(double degrees, int plotHeight, int margin) {
  const double y = plotHeight / 2.0 - degrees / 180 * plotHeight / 2.0;
  return ClampRow(std::nearbyint(std::clamp(y, -1e9, 1e9))) + margin;
}

double InSweepUnit(double reading, bool sweepInMillivolts, std::uint8_t code) {
  const bool rangeInMillivolts = RangeFullScale(code).Millivolts;
  if (sweepInMillivolts && !rangeInMillivolts) return reading * 1000;
  if (!sweepInMillivolts && rangeInMillivolts) return reading / 1000;
  return reading;
}

bool Settled(double previous, double reading) {
  if (!(previous > 0)) return false;
  const double q = std::fabs(reading) / std::fabs(previous);
  return q > 0.95 && q < 1.05;
}

ShotVerdict AfterShot(const ShotState& s) {
  if (s.M > 1 && !s.Settled && s.Shots <= 20 && s.StepFraction != 1.0) return ShotVerdict::Again;
  if (!s.WaitOver) return ShotVerdict::Again;
  if ((s.MeanCode > 64 && s.MeanCode < 192) || s.Shots > 30) return ShotVerdict::Accept;
  return ShotVerdict::Again;
}

std::optional<std::uint8_t> AutoScaleCode(double reading, std::uint8_t code, double probeFactor) {
  const double fullScale = RangeFullScale(code).FullScale * probeFactor;
  if (reading < 0.1 * fullScale) return MoreSensitiveCode(code);
  if (reading >= 0.75 * fullScale) return LessSensitiveCode(code);
  return std::nullopt;
}

double NormalisedReading(double genAmplitudeVpp, double ch1Reading, std::uint8_t ch1Code, double ch2Reading,
                         std::uint8_t ch2Code) {
  const bool ch1Millivolts = RangeFullScale(ch1Code).Millivolts;
  const double v1 = ch1Millivolts ? ch1Reading / 1000 : ch1Reading;
  const double v2 = RangeFullScale(ch2Code).Millivolts ? ch2Reading / 1000 : ch2Reading;
  if (!std::isfinite(v1) || !std::isfinite(v2) || !(v2 > 0)) return 0;
  const double volts = genAmplitudeVpp / 2 / std::sqrt(2.0) * v1 / v2;
  if (!std::isfinite(volts)) return 0;
  return ch1Millivolts ? volts * 1000 : volts;
}

double DcReading(double a, double b) {
  const double r = std::fabs(b - a) / 2 / std::sqrt(2.0);
  return std::isfinite(r) ? r : 0;
}

std::string PointWarning(int row, int plotHeight, int meanCode, bool paused) {
  std::string text;
  if (row > plotHeight) text = "Trace is below the display area!";
  if (row < 0) text = "Trace is above the display area!";
  if (meanCode <= 50) text = "Adjust oscilloscope trace Y position upwards!";
  if (meanCode > 204) text = "Adjust oscilloscope trace Y position downwards!";
  if (paused) text = "     Click Pause to continue.";
  return text;
}

std::vector<int> GridColumns(bool logScale, int plotWidth, int margin, std::int32_t ratio) {
  std::vector<int> columns;
  if (logScale) {
    const double span = std::log10(static_cast<double>(ratio));
    for (double c = 2; c < ratio; c += DecadeOf(c))
      columns.push_back(margin + numeric::Round32(std::log10(c) * plotWidth / span));
  } else {
    for (int i = 0; i <= 10; ++i) columns.push_back(margin + i * plotWidth / 10);
  }
  return columns;
}

std::vector<int> GridRows(int plotHeight, int margin) {
  std::vector<int> rows;
  for (int i = 0; i <= 10; ++i) rows.push_back(margin + numeric::Round32(plotHeight / 10.0 * i));
  return rows;
}

std::string ScaleText(int vertScale, std::uint8_t code, double probeFactor, double probeDb) {
  const RangeScale scale = RangeFullScale(code);
  switch (vertScale) {
    case 10: return "10dB/div     Top: " + FixedText(scale.FullScaleDbv + probeDb, 0) + "dBV      ";
    case 5: return "5dB/div      Top: " + FixedText(scale.FullScaleDbv + probeDb, 0) + "dBV      ";
    case 1: return "1dB/div      Top: " + FixedText(scale.FullScaleDbv + probeDb, 0) + "dBV      ";
    default: break;
  }
  const double full = scale.FullScale * probeFactor;
  const std::string unit = scale.Millivolts ? "mVrms" : "Vrms";
  return FixedText(full / 10, 2) + unit + "/div      Top: " + FixedText(full, 2) + unit + "        ";
}

std::string RangeEndCaption(std::int32_t rangeTop) {
  switch (rangeTop) {
    case 10000: return "1kHz";
    case 100000: return "10kHz";
    case 300000: return "30kHz";
    case 1000000: return "100kHz";
    default: return "1MHz";
  }
}

RangeRow RangeRowOf(int index, bool audio) {
  switch (index) {
    case 0: return {10000, "1kHz", {nullptr, "1Hz", "10Hz", "100Hz"}};
    case 1: return {100000, "10kHz", {"1Hz", "10Hz", "100Hz", "1kHz"}};
    case 2:
      if (audio) return {300000, "30kHz", {"10Hz", "100Hz", "1kHz", "10kHz"}};
      return {1000000, "100kHz", {"10Hz", "100Hz", "1kHz", "10kHz"}};
    default: return {10000000, "1MHz", {"100Hz", "1kHz", "10kHz", "100kHz"}};
  }
}

std::int32_t RatioOnRange(int index, std::int32_t ratio, bool audio) {
  if (index == 2 && audio) return ratio % 10 == 0 ? ratio * 3 / 10 : ratio;
  if (ratio % 3 == 0) ratio = ratio / 3 * 10;
  // The 1 kHz range has no 0.1 Hz start.
  if (index == 0 && ratio == 10000) ratio = 1000;
  return ratio;
}

std::int32_t RatioOfStart(int index, bool audio30k) {
  static constexpr std::array<std::int32_t, 4> kRatios{10000, 1000, 100, 10};
  static constexpr std::array<std::int32_t, 4> kAudioRatios{3000, 300, 30, 3};
  const std::size_t i = static_cast<std::size_t>(std::clamp(index, 0, 3));
  return audio30k ? kAudioRatios[i] : kRatios[i];
}

int StartOfRatio(std::int32_t ratio) {
  for (int i = 0; i < 4; ++i)
    if (RatioOfStart(i, false) == ratio || RatioOfStart(i, true) == ratio) return i;
  return -1;
}

double StepFractionOfItem(int item) {
  static constexpr std::array<double, 9> kFractions{1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.001, 0.0001};
  return kFractions[static_cast<std::size_t>(std::clamp(item, 0, 8))];
}

double OctaveRatioOfItem(int item) {
  static constexpr std::array<int, 5> kParts{10, 20, 40, 80, 160};
  return std::pow(10.0, 1.0 / kParts[static_cast<std::size_t>(std::clamp(item, 0, 4))]);
}

std::string OctaveBoxCaption(int item) {
  static constexpr std::array<const char*, 5> kCaptions{"1/3", "1/6", "1/12", "1/24", "1/48"};
  return std::string(kCaptions[static_cast<std::size_t>(std::clamp(item, 0, 4))]) + " Octave Freq. Steps";
}

int ItemOfStepFraction(double fraction) {
  for (int i = 0; i < 9; ++i)
    if (numeric::Round(fraction * 10000) == numeric::Round(StepFractionOfItem(i) * 10000)) return i;
  return -1;
}

int ItemOfOctaveRatio(double ratio) {
  for (int i = 0; i < 5; ++i)
    if (numeric::Round(ratio * 100) == numeric::Round(OctaveRatioOfItem(i) * 100)) return i;
  return -1;
}

std::string LevelReadout(MarkerMode mode, int vertScale, const LevelMarkers& m, std::uint8_t code,
                         double probeFactor, double probeDb) {
  const int y1 = std::max(m.Y1, m.Top), y2 = std::max(m.Y2, m.Top);
  const double d = std::abs(y1 - y2);
  const double h = m.PlotHeight;
  if (mode == MarkerMode::Phase) return "ph: " + FixedText((0.5 - d / h) * 360, 1) + "deg   ";
  const bool single = m.Y2 < m.Top;
  if (vertScale == 0) {
    double full;
    std::string unit = "mVrms     ";
    switch (code) {
      case 13: full = 60; break;
      case 29: full = 200; break;
      case 30: full = 20; break;
      default:
        full = RangeFullScale(code).FullScale;
        unit = "Vrms     ";
        break;
    }
    full *= probeFactor;
    const double v = single ? full * (1 - d / h) : full * d / h;
    return (single ? "V: " : "dV: ") + FixedText(v, std::fabs(v) < 10 ? 2 : 1) + unit;
  }
  const double db = d * vertScale / (h / 10);
  if (single) return "V: " + FixedText(RangeFullScale(code).FullScaleDbv + probeDb - db, 1) + "dBV   ";
  return "dV: " + FixedText(db, 1) + "dB   ";
}

std::string FrequencyReadout(bool logScale, int x, int left, int plotWidth, std::int32_t ratio,
                             std::int32_t rangeTop) {
  const double part = static_cast<double>(x - left) / plotWidth;
  const double top = rangeTop / 10.0;
  double f = logScale ? std::pow(10.0, std::log10(static_cast<double>(ratio)) * part) * top / ratio : top * part;
  std::string unit = "Hz     ";
  if (f >= 1000) {
    f /= 1000;
    unit = "kHz     ";
  }
  const int decimals = f >= 100 ? 0 : f >= 10 ? 1 : 2;
  return "f: " + FixedText(f, decimals) + unit;
}

TableLine ParseTableLine(std::string_view line) {
  TableLine out;
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return out;
  const std::string_view first = line.substr(0, std::min<std::size_t>(tab, 10));
  if (first.substr(0, 4) == kHeaderField) {
    out.What = TableLine::Kind::Header;
    return out;
  }
  const std::optional<double> hz = ParseNumber(first);
  if (!hz) return out;
  // Fields after the frequency: value (never read), level, optional phase.
  std::vector<std::string_view> fields;
  std::string_view rest = line.substr(tab + 1);
  for (;;) {
    const std::size_t t = rest.find('\t');
    fields.push_back(rest.substr(0, t));
    if (t == std::string_view::npos) break;
    rest = rest.substr(t + 1);
  }
  if (fields.size() < 2) return out;
  const std::optional<double> dbv = ParseNumber(fields[1]);
  if (!dbv) return out;
  out.What = TableLine::Kind::Point;
  out.Hz = *hz;
  out.Dbv = *dbv;
  out.Phase = fields.size() > 2 ? ParseNumber(fields[2]).value_or(0) : 0;
  return out;
}

std::string HeaderLine(const std::string& unit) { return std::string(kHeaderField) + "\t" + unit + "\tdBV\tdeg"; }

}  // namespace bode
