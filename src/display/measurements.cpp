// Waveform measurements over raw codes; see measurements.h.
#include "display/measurements.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/os/numeric.h"

namespace display {

namespace {

constexpr int kLengthBins = kSamples + 1;  // run lengths 0..4096

int Code(ChannelCodes x, int i) { return std::clamp(x[static_cast<std::size_t>(i)], 0, 255); }

double Scale(const RangeUnit& r, double probe) { return r.VoltsPerDiv * probe; }

bool IsMilli(const char* unit) { return unit[0] == 'm'; }

// Largest run length in 3..4095 that occurred, or 0.
int LongestRun(const std::vector<int>& hist) {
  for (int m = kSamples - 1; m >= 3; --m)
    if (hist[static_cast<std::size_t>(m)] > 0) return m;
  return 0;
}

// Sums of length x count and of the counts over lengths m - m/4 .. m.
void RunsNear(const std::vector<int>& hist, int m, long long* weighted, long long* count) {
  *weighted = *count = 0;
  for (int len = m - m / 4; len <= m; ++len) {
    *weighted += static_cast<long long>(len) * hist[static_cast<std::size_t>(len)];
    *count += hist[static_cast<std::size_t>(len)];
  }
}

int EdgeTime(ChannelCodes x, int lo, int hi, std::int32_t timePerDiv, bool rising) {
  int i = -1;
  for (int k = 11; k <= 4089 && i < 0; ++k) {
    const int a = Code(x, k), b = Code(x, k + 1);
    if (rising ? (a <= lo && lo < b) : (a >= hi && hi > b)) i = k;
  }
  if (i < 0) return -1;
  int j = -1;
  for (int k = 4089; k >= 6 && j < 0; --k) {
    const int a = Code(x, k), b = Code(x, k + 1);
    if (rising ? (a < hi && hi <= b) : (a > lo && lo >= b)) j = k;
  }
  if (j < i) return -1;

  std::vector<int> hist(kLengthBins, 0);
  bool counted = false;
  int run = 1, change = 0;
  for (int k = i; k <= j + 2 && k < kSamples; ++k) {
    const int a = Code(x, k - 1), b = Code(x, k);
    if (lo <= a && a < hi && lo < b && b <= hi) {
      ++run;
      change += b - a;
      continue;
    }
    if (rising ? change > 0 : change < 0) {
      ++hist[static_cast<std::size_t>(std::min(run, kSamples))];
      counted = true;
    }
    run = 1;
    change = 0;
  }
  if (!counted) return timePerDiv == 250 && hi - lo > 10 ? 1 : 0;
  int m = LongestRun(hist);
  if (m == 0) m = 2;
  long long weighted = 0, count = 0;
  RunsNear(hist, m, &weighted, &count);
  return count > 0 ? static_cast<int>(weighted / count) : 0;
}

PulseStats Width(ChannelCodes x, int a, bool positive) {
  PulseStats s;
  auto risingAt = [&](int k) { return Code(x, k) < a && a <= Code(x, k + 1); };
  int i = -1;
  for (int k = 11; k <= 3999 && i < 0; ++k)
    if (risingAt(k)) i = k;
  if (i < 0) return s;
  int j = -1;
  for (int k = 4089; k >= 101 && j < 0; --k)
    if (risingAt(k)) j = k;
  if (j < 0) return s;
  s.Span = j - i;
  if (j < i || s.Span < 10) return s;

  std::vector<int> hist(kLengthBins, 0);
  int run = 1;
  for (int k = i + 1; k <= j + 2 && k < kSamples; ++k) {
    const int p = Code(x, k - 1), q = Code(x, k);
    const bool longer = positive ? (p >= a && q > a) : (p <= a && q < a);
    if (longer) {
      ++run;
    } else {
      ++hist[static_cast<std::size_t>(std::min(run, kSamples))];
      run = 1;
    }
  }
  const int m = LongestRun(hist);
  if (m == 0) {
    s.Count = -1;
    return s;
  }
  long long weighted = 0, count = 0;
  RunsNear(hist, m, &weighted, &count);
  s.Sum = static_cast<int>(weighted);
  s.Count = static_cast<int>(count);
  return s;
}

// 20 log10 of an RMS against a reference in volts, in the range's unit.
double Decibels(double rms, const char* unit, double referenceVolts) {
  return 20 * std::log10(rms / (IsMilli(unit) ? referenceVolts * 1000 : referenceVolts));
}

std::string DecibelCell(double rms, const char* unit, double referenceVolts, const char* suffix,
                        const std::string& mark) {
  const std::string value = rms > 0 ? muunna(100, Decibels(rms, unit, referenceVolts)) : "...";
  return value + suffix + mark;
}

constexpr double kDbmReference = 0.77459;  // volts RMS of 1 mW in 600 ohms

}  // namespace

// ---------------------------------------------------------------- scales and texts

RangeUnit RangeVolts(std::uint8_t rangeCode) {
  switch (rangeCode) {
    case 1: return {3.0, "V"};
    case 27: return {1.0, "V"};
    case 11: return {0.3, "V"};
    case 29: return {0.1, "V"};
    case 13: return {30.0, "mV"};
    case 30: return {10.0, "mV"};
    default: return {1.0, "V"};
  }
}

SampleRate RateOfTimeBase(std::uint8_t timeBaseCode) {
  switch (timeBaseCode) {
    case 5: return {250, "Hz"};
    case 2: return {625, "Hz"};
    case 93: return {1250, "Hz"};
    case 64: return {2500, "Hz"};
    case 65: return {6250, "Hz"};
    case 66: return {12500, "Hz"};
    case 80: return {25000, "Hz"};
    case 81: return {62500, "Hz"};
    case 82: return {125, "kHz"};
    case 88: return {250, "kHz"};
    case 89: return {625, "kHz"};
    case 90: return {1250, "kHz"};
    case 92: return {2500, "kHz"};
    case 85: return {6250, "kHz"};
    case 94: return {12.5, "MHz"};
    case 0: return {50, "MHz"};
    default: return {25, "MHz"};
  }
}

std::string FixedText(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 18));
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("INF");
}

std::string muunna(double scale, double value) {
  int decimals;
  if (scale > 99) {
    const double m = std::fabs(value);
    decimals = m >= 100 ? 0 : m >= 10 ? 1 : m >= 1 ? 2 : 3;
  } else {
    const double perCode = scale / kCodesPerDiv;
    decimals = perCode > 0.1 ? 1 : perCode > 0.01 ? 2 : 3;
  }
  return FixedText(value, decimals);
}

std::string SamplesAsTime(double samples, SampleRate rate) {
  const std::string unit(rate.Unit);
  if (unit == "Hz") return muunna(100, samples * 1000 / rate.Rate) + " ms";
  if (unit == "kHz") return muunna(100, samples / rate.Rate) + " ms";
  return muunna(100, samples / rate.Rate) + " us";
}

ClipMarks ClipMarksOf(int max, int min) {
  const char* mark = " ??";
  ClipMarks m;
  if (min == 0 || max == 255) m.Both = mark;
  if (max == 255 || max == 0) m.Top = mark;
  if (min == 0 || min == 255) m.Bottom = mark;
  return m;
}

// ---------------------------------------------------------------- building blocks

Levels HighLow(ChannelCodes x, int max, int min) {
  Levels result{min, max};
  if (!(min < max)) return result;
  std::array<long long, 256> hist{};
  for (int i = 0; i < kSamples; ++i) ++hist[static_cast<std::size_t>(Code(x, i))];
  std::array<long long, 256> smooth{};
  for (int l = 0; l < 256; ++l)
    for (int d = -4; d <= 4; ++d)
      if (l + d >= 0 && l + d < 256) smooth[static_cast<std::size_t>(l)] += (5 - std::abs(d)) * hist[static_cast<std::size_t>(l + d)];

  const int mid = (max + min) / 2;
  const double range = max - min;
  // Scans from mid towards `end`; the level whose weighted count stands out
  // wins, ties going to the one further from mid.
  auto scan = [&](int end, int step, int fallback) {
    double best = -1, sum = 0;
    int bestLevel = fallback, n = 0;
    for (int l = mid, k = 1;; l += step, ++k) {
      const double w = 100 + static_cast<double>(numeric::Round(400.0 * k / range));
      const double v = w * static_cast<double>(smooth[static_cast<std::size_t>(std::clamp(l, 0, 255))]);
      sum += v;
      ++n;
      if (v >= best) {
        best = v;
        bestLevel = l;
      }
      if (l == end) break;
    }
    return best > 2 * (sum / n) ? bestLevel : fallback;
  };
  result.High = scan(max, 1, max);
  result.Low = scan(min, -1, min);
  return result;
}

int RiseTime(ChannelCodes x, int lo, int hi, std::int32_t timePerDiv) { return EdgeTime(x, lo, hi, timePerDiv, true); }
int FallTime(ChannelCodes x, int lo, int hi, std::int32_t timePerDiv) { return EdgeTime(x, lo, hi, timePerDiv, false); }
PulseStats PositiveWidth(ChannelCodes x, int a) { return Width(x, a, true); }
PulseStats NegativeWidth(ChannelCodes x, int a) { return Width(x, a, false); }

// ---------------------------------------------------------------- channel pass

MeasureCells MeasureChannel(ChannelCodes x, const ChannelSetup& setup) {
  MeasureCells cells;
  const RangeUnit range = RangeVolts(setup.RangeCode);
  const double scale = Scale(range, setup.ProbeFactor);
  const SampleRate rate = RateOfTimeBase(setup.TimeBaseCode);
  const std::string unit = std::string(" ") + range.Unit;
  auto volts = [&](double codes) { return muunna(scale, codes * scale / kCodesPerDiv) + unit; };

  // Levels.
  long long total = 0;
  for (int i = 0; i < kSamples; ++i) total += Code(x, i);
  const int mean = static_cast<int>(total / kSamples);
  int max = 0, min = 255;
  for (int i = 2; i <= 4093; ++i) {
    max = std::max(max, Code(x, i));
    min = std::min(min, Code(x, i));
  }
  Levels hl{min, max};
  if (min < max) hl = HighLow(x, max, min);
  const int ground = setup.GroundCode;
  const ClipMarks mark = ClipMarksOf(max, min);

  // Levels against the ground line, each with its clipping mark.
  cells[kRowDcMean] = volts(mean - ground) + mark.Both;
  cells[kRowMax] = volts(max - ground) + mark.Top;
  cells[kRowMin] = volts(min - ground) + mark.Bottom;
  cells[kRowPeakToPeak] = volts(max - min) + mark.Both;
  cells[kRowHigh] = volts(hl.High - ground) + mark.Top;
  cells[kRowLow] = volts(hl.Low - ground) + mark.Bottom;
  cells[kRowAmplitude] = volts(hl.High - hl.Low) + mark.Both;

  // 3, 4. RMS about the mean (AC) and about ground (AC+DC).
  double ac = 0, acdc = 0;
  for (int i = 0; i < kSamples; ++i) {
    const double v = Code(x, i);
    ac += (v - mean) * (v - mean);
    acdc += (v - ground) * (v - ground);
  }
  const double acRms = std::sqrt(ac / kSamples) * scale / kCodesPerDiv;
  const double acdcRms = std::sqrt(acdc / kSamples) * scale / kCodesPerDiv;
  cells[kRowAcRms] = muunna(scale, acRms) + unit + mark.Both;
  cells[kRowAcDbv] = DecibelCell(acRms, range.Unit, 1.0, " dBV", mark.Both);
  cells[kRowAcDbm] = DecibelCell(acRms, range.Unit, kDbmReference, " dBm", mark.Both);
  cells[kRowAcDcRms] = muunna(scale, acdcRms) + unit + mark.Both;
  cells[kRowAcDcDbv] = DecibelCell(acdcRms, range.Unit, 1.0, " dBV", mark.Both);
  cells[kRowAcDcDbm] = DecibelCell(acdcRms, range.Unit, kDbmReference, " dBm", mark.Both);

  // Mean positive and negative widths in samples (-1: none).
  const int level = hl.High - hl.Low >= 6 ? (hl.High + hl.Low) / 2 : (max + min) / 2;
  const PulseStats pos = PositiveWidth(x, level);
  const PulseStats neg = NegativeWidth(x, level);
  double p = pos.Count >= 1 ? static_cast<double>(pos.Sum) / pos.Count : -1;
  double n = neg.Count >= 1 ? static_cast<double>(neg.Sum) / neg.Count : -1;
  const double sums = static_cast<double>(pos.Sum) + neg.Sum;
  if (pos.Span > 0 && sums / pos.Span < 0.9) p = n = -1;
  if (sums > 0) {
    if (p > 0) p *= pos.Span / sums;
    if (n > 0) n *= pos.Span / sums;
  }
  if (hl.High - hl.Low < 5 && max - min < 5) p = n = -1;
  const bool both = p >= 0 && n >= 0;
  const double period = p + n;

  // Duty cycle and widths.
  cells[kRowDuty] = both && period > 0 ? muunna(100, p * 100 / period) + " %" + mark.Both : "???";
  cells[kRowPosWidth] = p >= 0 ? SamplesAsTime(p, rate) + mark.Both : "???";
  cells[kRowNegWidth] = n >= 0 ? SamplesAsTime(n, rate) + mark.Both : "???";

  // Edges between 10 % and 90 % of the amplitude.
  const bool edges = hl.High - hl.Low >= 5;
  const int d = (hl.High - hl.Low) / 10;
  const int rise = edges ? RiseTime(x, hl.Low + d, hl.High - d, setup.TimePerDiv) : -1;
  const int fall = edges ? FallTime(x, hl.Low + d, hl.High - d, setup.TimePerDiv) : -1;
  cells[kRowRise] = rise >= 0 ? SamplesAsTime(rise, rate) + mark.Both : "???";
  cells[kRowFall] = fall >= 0 ? SamplesAsTime(fall, rate) + mark.Both : "???";

  // Period and frequency; pulses too short to count at the fastest time
  // bases take the frequency of the spectral peak.
  cells[kRowPeriod] = both ? SamplesAsTime(period, rate) : "???";
  const std::string freqUnit = std::string(" ") + rate.Unit;
  if ((pos.Count == -1 || neg.Count == -1) && setup.TimePerDiv == 500) {
    const double bin = setup.SpectralPeakBin ? setup.SpectralPeakBin() : std::nan("");
    cells[kRowFrequency] = std::isfinite(bin) ? muunna(100, rate.Rate * bin / kSamples) + freqUnit : "???";
  } else {
    cells[kRowFrequency] = both && period > 0 ? muunna(100, rate.Rate / period) + freqUnit : "???";
  }

  // A moved position makes the ground-referred values meaningless.
  if (setup.PositionMoved)
    for (int row : {kRowDcMean, kRowMax, kRowMin, kRowHigh, kRowLow, kRowAcDcRms, kRowAcDcDbv, kRowAcDcDbm})
      cells[static_cast<std::size_t>(row)].clear();
  return cells;
}

// ---------------------------------------------------------------- phase

double CalculatePhase(ChannelCodes ch1, ChannelCodes ch2) {
  // CH2 ten times finer; the last sample holds its value.
  std::vector<std::int32_t> y(static_cast<std::size_t>(kSamples) * 10);
  for (int k = 0; k < kSamples; ++k) {
    const std::int32_t a = Code(ch2, k), b = Code(ch2, std::min(k + 1, kSamples - 1));
    for (int i = 0; i < 10; ++i) y[static_cast<std::size_t>(10 * k + i)] = 10 * a + (b - a) * i;
  }
  // CH1 about its mean under a triangular window.
  long long total = 0;
  for (int n = 0; n < kSamples; ++n) total += Code(ch1, n);
  const std::int32_t mean = static_cast<std::int32_t>(total / kSamples);
  std::array<std::int32_t, 2001> w{};
  for (int n = 0; n <= 2000; ++n) w[static_cast<std::size_t>(n)] = (Code(ch1, n) - mean) * (n <= 1000 ? n : 2000 - n);

  // Cross-correlation over lags in tenths of a sample, kept for the refinement below.
  constexpr int kLastLag = 20000;
  std::vector<std::int32_t> corr(kLastLag + 2);
  std::vector<bool> known(kLastLag + 2);
  auto c = [&](int a) {
    if (a < 0) return std::int32_t{0};
    if (!known[static_cast<std::size_t>(a)]) {
      std::int32_t v = 0;
      for (int n = 0; n < 2000; ++n) v += (w[static_cast<std::size_t>(n)] * y[static_cast<std::size_t>(a + 10 * n)]) >> 11;
      corr[static_cast<std::size_t>(a)] = v;
      known[static_cast<std::size_t>(a)] = true;
    }
    return corr[static_cast<std::size_t>(a)];
  };
  // The three sums of ten taken at lag a: the newest (c(a) counted twice,
  // then c(a-1) .. c(a-8)), the middle (c(a-144) .. c(a-153)) and the oldest
  // (c(a-289) .. c(a-298)).
  struct Sums {
    long long s0 = 0, s1 = 0, s2 = 0;
  };
  auto sums = [&](int a) {
    Sums s;
    s.s0 = 2LL * c(a);
    for (int j = 1; j <= 8; ++j) s.s0 += c(a - j);
    for (int j = 144; j <= 153; ++j) s.s1 += c(a - j);
    for (int j = 289; j <= 298; ++j) s.s2 += c(a - j);
    return s;
  };
  // An extremum lies midway between the centres of the newest sum (a - 3.6)
  // and the oldest (a - 293.5).
  constexpr double kExtremumBehind = (3.6 + 293.5) / 2;

  // Maxima and minima are found about 150 lags back; each keeps the lag
  // where the newest and oldest sums balance best.
  constexpr int kLists = 4;
  struct Extrema {
    std::array<int, kLists> at{};
    int counter = 0;
    bool open = false;
    long long best = 0;
  } maxima, minima;
  auto found = [](Extrema& own, Extrema& other, int a, long long e) {
    if ((!own.open || e < own.best) && own.counter < kLists) {
      own.at[static_cast<std::size_t>(own.counter)] = a;
      own.best = e;
    }
    own.open = true;
    if (other.open) {
      ++other.counter;
      other.open = false;
    }
  };
  for (int a = 301; a <= kLastLag && !(maxima.counter > 2 && minima.counter > 2); ++a) {
    const Sums s = sums(a);
    const long long e = std::llabs(s.s2 - s.s0);
    if (s.s0 < s.s1 && s.s2 < s.s1) found(maxima, minima, a, e);
    if (s.s1 < s.s0 && s.s1 < s.s2) found(minima, maxima, a, e);
  }

  // The best whole lag is up to one lag off the balance point: place the
  // extremum where the difference of the outer sums crosses zero.
  auto extremumLag = [&](int a) {
    if (a <= 0) return 0.0;
    auto balance = [&](int at) {
      const Sums s = sums(at);
      return static_cast<double>(s.s2 - s.s0);
    };
    const double before = balance(a - 1), here = balance(a), after = balance(std::min(a + 1, kLastLag + 1));
    double at = a;
    if (here != 0 && (before < 0) != (here < 0)) at = a - 1 + before / (before - here);
    else if (here != 0 && (after < 0) != (here < 0)) at = a + here / (here - after);
    return at - kExtremumBehind;
  };

  // 4, 5. Period and lag from the first usable pair of each list.
  auto phaseOf = [&](const Extrema& x, bool halfPeriod) {
    const double p0 = extremumLag(x.at[0]), p1 = extremumLag(x.at[1]), p2 = extremumLag(x.at[2]);
    const double t = p0 >= 200 ? p1 - p0 : p2 - p1;
    if (!(t > 0)) return 0.0;
    double l = p0 >= 200 ? p0 : p1;
    if (halfPeriod) l += t / 2;
    if (l > t) l -= std::ceil(l / t - 1) * t;  // down to (0, t]
    const double d = std::fabs(l) <= std::fabs(l - t) ? l : l - t;
    return d * 360 / t;
  };
  const double a = phaseOf(maxima, false);
  const double b = phaseOf(minima, true);
  // Mean of two slopes; one of zero gives the other, opposite signs give none.
  if (b == 0) return a;
  if (a == 0) return b;
  if ((a > 0) == (b > 0)) return (a + b) / 2;
  return a;
}

std::string PhaseText(double degrees) {
  // No "-0.0": a phase that rounds to zero reads as zero from either side.
  if (std::fabs(degrees) < 0.05) degrees = 0;
  return FixedText(degrees, 1) + " deg";
}

// ---------------------------------------------------------------- RMS read-out

RmsReadout MeasureRms(ChannelCodes x, std::uint8_t rangeCode, double probeFactor) {
  RmsReadout r;
  const RangeUnit range = RangeVolts(rangeCode);
  const double scale = Scale(range, probeFactor);
  long long total = 0;
  for (int i = 0; i < kSamples; ++i) total += Code(x, i);
  r.MeanCode = static_cast<std::int32_t>(total / kSamples);
  double squares = 0;
  for (int i = 0; i < kSamples; ++i) {
    const double v = Code(x, i) - r.MeanCode;
    squares += v * v;
  }
  r.RmsVolts = std::sqrt(squares / kSamples) * scale / kCodesPerDiv;
  r.MeanVolts = r.MeanCode * scale / kCodesPerDiv;
  r.RmsValue = FixedText(r.RmsVolts, 2).substr(0, 10);
  r.DbmValue = r.RmsVolts > 0 ? FixedText(Decibels(r.RmsVolts, range.Unit, kDbmReference), 1).substr(0, 10) : "...";
  for (int i = 10; i <= 4009; ++i) {
    const int v = Code(x, i);
    if (v == 0 || v == 255) {
      r.RmsValue = r.DbmValue = "...";
      break;
    }
  }
  return r;
}

}  // namespace display
