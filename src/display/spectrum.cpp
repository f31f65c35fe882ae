// The spectrum analyser's arithmetic. The transform is the program's own
// radix-2 float transform, so that its levels are the ones the instrument has
// always shown; the butterflies only read their factors in a cache-friendly
// order.
#include "display/spectrum.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/os/numeric.h"

namespace display {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kStages = 12;
constexpr double kLogAxisBins = 2048.0;
constexpr double kLogAxisWidth = 14670.0;
constexpr int kLogViewStart = 4430;  // position of log point 0
constexpr int kLogViewStep = 4;
constexpr double kMarkerLogScale = 7335.0;
constexpr int kMarkerLogOffset = 2215;

// rev(i): the 12 low bits of i in reverse order.
const std::array<std::uint16_t, kFftPoints>& BitReversal() {
  static const auto table = [] {
    std::array<std::uint16_t, kFftPoints> t{};
    for (int i = 0; i < kFftPoints; ++i) {
      int r = 0;
      for (int b = 0; b < kStages; ++b)
        if (i & (1 << b)) r |= 1 << (kStages - 1 - b);
      t[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(r);
    }
    return t;
  }();
  return table;
}

int TwiddleSlot(double t) { return static_cast<int>(numeric::Round(1000.0 * t)); }

double TwiddleAngle(int k, int halfStep) { return 2.0 * kPi * k * halfStep / kFftPoints; }

}  // namespace

// ---------------------------------------------------------------- windows

FftWindowFactors WindowFactors(FftWindow window) {
  switch (window) {
    case FftWindow::Rectangle: return {1.0, 0.0};
    case FftWindow::Bartlett: return {2.0, 1.0};
    case FftWindow::Hamming: return {1.852, 1.0};
    case FftWindow::Hanning: return {2.0, 1.3};
    case FftWindow::Blackman: return {2.381, 1.75};
    case FftWindow::FlatTop: return {3.5579098, 3.65};
  }
  return {1.0, 0.0};
}

void FillWindowTable(FftWindow window, FloatSignal table) {
  constexpr double n = kFftPoints;
  for (int i = 0; i < kFftPoints; ++i) {
    const double a = 2.0 * kPi * i / n;
    double w = 1.0;
    switch (window) {
      case FftWindow::Rectangle: w = 1.0; break;
      case FftWindow::Bartlett: w = (i < kFftPoints / 2 ? i : kFftPoints - 1 - i) / 2048.0; break;
      case FftWindow::Hamming: w = 0.54 - 0.46 * std::cos(a); break;
      case FftWindow::Hanning: w = 0.5 - 0.5 * std::cos(a); break;
      case FftWindow::Blackman: w = 0.426 - 0.496 * std::cos(a) + 0.0768 * std::cos(2 * a); break;
      case FftWindow::FlatTop:
        w = 0.2810639 - 0.5208972 * std::cos(a) + 0.1980399 * std::cos(2 * a);
        break;
    }
    table[static_cast<std::size_t>(i)] = static_cast<float>(w);
  }
}

// ---------------------------------------------------------------- transform

TwiddleTable::TwiddleTable() {
  for (int span = 1, half = kFftPoints / 2; span < kFftPoints; span *= 2, half /= 2) {
    for (int k = 0; k < span; ++k) {
      const double t = TwiddleAngle(k, half);
      const int slot = TwiddleSlot(t);
      slots_[2 * static_cast<std::size_t>(slot)] = static_cast<float>(std::cos(t));
      slots_[2 * static_cast<std::size_t>(slot) + 1] = static_cast<float>(std::sin(t));
    }
  }
  for (int span = 1, half = kFftPoints / 2; span < kFftPoints; span *= 2, half /= 2) {
    for (int k = 0; k < span; ++k) {
      const int slot = TwiddleSlot(TwiddleAngle(k, half));
      stage_cos_[static_cast<std::size_t>(span - 1 + k)] = Cos(slot);
      stage_sin_[static_cast<std::size_t>(span - 1 + k)] = Sin(slot);
    }
  }
}

namespace {

// Four floats side by side: the butterflies of four values at once, each with
// exactly the operations of the one-value formula (no fused multiply-add), so
// that the levels do not depend on how many go at a time.
typedef float Quad __attribute__((vector_size(16)));
typedef int QuadIndex __attribute__((vector_size(16)));

inline Quad LoadQuad(const float* p) {
  Quad q;
  __builtin_memcpy(&q, p, sizeof q);
  return q;
}
inline void StoreQuad(float* p, Quad q) { __builtin_memcpy(p, &q, sizeof q); }

// One butterfly on several pairs: (r1, m1) and (r2, m2) with the factors (c, s).
template <class V>
[[gnu::always_inline]] inline void Butterfly(V& r1, V& m1, V& r2, V& m2, const V& c, const V& s) {
  const V tr = r2 * c + m2 * s;
  const V ti = m2 * c - r2 * s;
  r2 = r1 - tr;
  m2 = m1 - ti;
  r1 = r1 + tr;
  m1 = m1 + ti;
}

// Spans from 8 on, eight butterflies at a time; where the processor has the
// wide registers they take one instruction each.
typedef float Oct __attribute__((vector_size(32)));

// Loads by reference: a wide vector returned by value would change the
// calling convention between the clones.
template <class V>
[[gnu::always_inline]] inline void Load(V& v, const float* p) {
  __builtin_memcpy(&v, p, sizeof v);
}
template <class V>
[[gnu::always_inline]] inline void Store(float* p, const V& v) {
  __builtin_memcpy(p, &v, sizeof v);
}

// Spans from 8 on, eight butterflies at a time; where the processor has the
// wide registers they take one instruction each. Two neighbouring stages go
// in one pass over the values (each value meets the same butterflies in the
// same order), so the arrays are walked half as often.
[[gnu::target_clones("avx2", "default")]] void LongSpanStages(const TwiddleTable& twiddles, float* r, float* m) {
  int span = 8;
  for (; span * 2 < kFftPoints; span *= 4) {
    const float* c1 = twiddles.StageCos(span);
    const float* s1 = twiddles.StageSin(span);
    const float* c2 = twiddles.StageCos(2 * span);
    const float* s2 = twiddles.StageSin(2 * span);
    for (int block = 0; block < kFftPoints; block += 4 * span) {
      float* r0 = r + block;
      float* m0 = m + block;
      for (int k = 0; k < span; k += 8) {
        Oct ra, ma, rb, mb, rc, mc, rd, md, ck, sk;
        Load(ra, r0 + k), Load(ma, m0 + k);
        Load(rb, r0 + span + k), Load(mb, m0 + span + k);
        Load(rc, r0 + 2 * span + k), Load(mc, m0 + 2 * span + k);
        Load(rd, r0 + 3 * span + k), Load(md, m0 + 3 * span + k);
        Load(ck, c1 + k), Load(sk, s1 + k);
        Butterfly(ra, ma, rb, mb, ck, sk);
        Butterfly(rc, mc, rd, md, ck, sk);
        Load(ck, c2 + k), Load(sk, s2 + k);
        Butterfly(ra, ma, rc, mc, ck, sk);
        Load(ck, c2 + span + k), Load(sk, s2 + span + k);
        Butterfly(rb, mb, rd, md, ck, sk);
        Store(r0 + k, ra), Store(m0 + k, ma);
        Store(r0 + span + k, rb), Store(m0 + span + k, mb);
        Store(r0 + 2 * span + k, rc), Store(m0 + 2 * span + k, mc);
        Store(r0 + 3 * span + k, rd), Store(m0 + 3 * span + k, md);
      }
    }
  }
  // An odd stage count leaves the last span alone.
  for (; span < kFftPoints; span *= 2) {
    const float* c = twiddles.StageCos(span);
    const float* s = twiddles.StageSin(span);
    for (int block = 0; block < kFftPoints; block += 2 * span) {
      float* r1 = r + block;
      float* m1 = m + block;
      for (int k = 0; k < span; k += 8) {
        Oct a, b, x, y, ck, sk;
        Load(a, r1 + k), Load(b, m1 + k);
        Load(x, r1 + span + k), Load(y, m1 + span + k);
        Load(ck, c + k), Load(sk, s + k);
        Butterfly(a, b, x, y, ck, sk);
        Store(r1 + k, a), Store(m1 + k, b);
        Store(r1 + span + k, x), Store(m1 + span + k, y);
      }
    }
  }
}

// Spans 1 and 2: the two halves of each butterfly lie within eight
// neighbouring values, taken apart and put back together.
template <int Span>
void ShortSpanStage(const TwiddleTable& twiddles, float* r, float* m) {
  static_assert(Span == 1 || Span == 2);
  constexpr QuadIndex kFirst = Span == 1 ? QuadIndex{0, 2, 4, 6} : QuadIndex{0, 1, 4, 5};
  constexpr QuadIndex kSecond = Span == 1 ? QuadIndex{1, 3, 5, 7} : QuadIndex{2, 3, 6, 7};
  constexpr QuadIndex kBack = Span == 1 ? QuadIndex{0, 4, 1, 5} : QuadIndex{0, 1, 4, 5};
  constexpr QuadIndex kBack2 = Span == 1 ? QuadIndex{2, 6, 3, 7} : QuadIndex{2, 3, 6, 7};
  const float* cs = twiddles.StageCos(Span);
  const float* sn = twiddles.StageSin(Span);
  // Lanes take k = 0, 1, 0, 1 (span 2) or k = 0 throughout (span 1).
  const Quad c = Quad{cs[0], cs[Span - 1], cs[0], cs[Span - 1]};
  const Quad s = Quad{sn[0], sn[Span - 1], sn[0], sn[Span - 1]};
  for (int i = 0; i < kFftPoints; i += 8) {
    const Quad ra = LoadQuad(r + i), rb = LoadQuad(r + i + 4);
    const Quad ma = LoadQuad(m + i), mb = LoadQuad(m + i + 4);
    Quad r1 = __builtin_shuffle(ra, rb, kFirst), r2 = __builtin_shuffle(ra, rb, kSecond);
    Quad m1 = __builtin_shuffle(ma, mb, kFirst), m2 = __builtin_shuffle(ma, mb, kSecond);
    Butterfly(r1, m1, r2, m2, c, s);
    StoreQuad(r + i, __builtin_shuffle(r1, r2, kBack));
    StoreQuad(r + i + 4, __builtin_shuffle(r1, r2, kBack2));
    StoreQuad(m + i, __builtin_shuffle(m1, m2, kBack));
    StoreQuad(m + i + 4, __builtin_shuffle(m1, m2, kBack2));
  }
}

}  // namespace

void Transform(const TwiddleTable& twiddles, ConstFloatSignal staged, FloatSignal re, FloatSignal im) {
  const auto& rev = BitReversal();
  for (int i = 0; i < kFftPoints; ++i) re[rev[static_cast<std::size_t>(i)]] = staged[static_cast<std::size_t>(i)];
  std::fill(im.begin(), im.end(), 0.0f);
  float* const r = re.data();
  float* const m = im.data();
  ShortSpanStage<1>(twiddles, r, m);
  ShortSpanStage<2>(twiddles, r, m);
  const float* c = twiddles.StageCos(4);
  const float* s = twiddles.StageSin(4);
  const Quad c4 = LoadQuad(c), s4 = LoadQuad(s);
  for (int i = 0; i < kFftPoints; i += 8) {
    Quad a = LoadQuad(r + i), b = LoadQuad(m + i), x = LoadQuad(r + i + 4), y = LoadQuad(m + i + 4);
    Butterfly(a, b, x, y, c4, s4);
    StoreQuad(r + i, a);
    StoreQuad(m + i, b);
    StoreQuad(r + i + 4, x);
    StoreQuad(m + i + 4, y);
  }
  LongSpanStages(twiddles, r, m);
}

namespace {

// The level of a magnitude, straight from its logarithm.
std::int32_t LevelByLogarithm(double shifted) {
  return static_cast<std::int32_t>(numeric::Round((std::log10(shifted) + 2.0) * 64.0, -128));
}

// The same levels without a logarithm per bin. The doubles from 2^kFirstOctave
// to 2^kEndOctave are cut into cells of 1/32 octave (the exponent and the
// five leading mantissa bits); a cell spans 0.6 levels, so at most one level
// boundary lies in it. Each cell keeps the level at its start and the first
// double of the next level, both found with the logarithm itself, so the
// table gives exactly the levels the logarithm gives.
class LevelTable {
 public:
  LevelTable() {
    for (int c = 0; c < kCells; ++c) {
      const double start = CellStart(c), end = CellStart(c + 1);
      Cell& cell = cells_[static_cast<std::size_t>(c)];
      cell.below = LevelByLogarithm(start);
      cell.boundary = std::numeric_limits<double>::infinity();
      const double last = std::nextafter(end, 0.0);
      if (LevelByLogarithm(last) == cell.below) continue;
      // The first double of the next level: bisect over the doubles between.
      double lo = start, hi = last;  // level(lo) == below, level(hi) > below
      while (std::nextafter(lo, hi) < hi) {
        const double mid = std::bit_cast<double>((std::bit_cast<std::uint64_t>(lo) + std::bit_cast<std::uint64_t>(hi)) / 2);
        (LevelByLogarithm(mid) == cell.below ? lo : hi) = mid;
      }
      cell.boundary = hi;
      cell.above = LevelByLogarithm(hi);
    }
  }

  [[gnu::always_inline]] std::int32_t Level(double shifted) const {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(shifted);
    // Sign and exponent together: negatives, NaN and infinities fall outside.
    const std::int64_t octave = static_cast<std::int64_t>(bits >> 52) - 1023;
    if (octave < kFirstOctave || octave >= kEndOctave) return LevelByLogarithm(shifted);
    const auto c = static_cast<std::size_t>(((octave - kFirstOctave) << kCellBits) |
                                            static_cast<std::int64_t>((bits >> (52 - kCellBits)) & ((1 << kCellBits) - 1)));
    const Cell& cell = cells_[c];
    // Right at a boundary the logarithm decides, whatever its last bit does.
    if (std::fabs(shifted - cell.boundary) < cell.boundary * 0x1p-40) return LevelByLogarithm(shifted);
    return shifted < cell.boundary ? cell.below : cell.above;
  }

 private:
  static constexpr int kCellBits = 5;
  static constexpr int kFirstOctave = -14;  // 2^-14 is below the 0.0001 every magnitude is raised by
  static constexpr int kEndOctave = 40;
  static constexpr int kCells = (kEndOctave - kFirstOctave) << kCellBits;
  static double CellStart(int c) {
    return std::ldexp(1.0 + (c & ((1 << kCellBits) - 1)) / double(1 << kCellBits), kFirstOctave + (c >> kCellBits));
  }
  struct Cell {
    double boundary;
    std::int32_t below, above;
  };
  std::array<Cell, kCells> cells_{};
};

const LevelTable& SpectrumLevelTable() {
  static const LevelTable table;
  return table;
}

}  // namespace

std::int32_t SpectrumLevel(double magnitude) { return SpectrumLevelTable().Level(magnitude + 0.0001); }

// ---------------------------------------------------------------- one capture

void PrepareSpectrumInput(ChannelCodes codes, const SpectrumSetup& setup, SpectrumCounters& counters,
                          FloatSignal work, FloatSignal staged) {
  if (!setup.VectorAverage) counters.WindowSkip = 1;
  if (counters.WindowSkip == 0 && counters.SmoothWeight > 0.02) {
    counters.SmoothWeight = counters.SmoothWeight / 1.1;
    counters.SmoothKeep = 1.0 - counters.SmoothWeight;
  }
  double sum = 0.0;
  if (counters.WindowSkip != 0) {
    // Whole numbers all: their sum is exact in any order, so it is taken
    // without waiting on each addition.
    std::int64_t whole = 0;
    for (std::size_t i = 0; i < kFftPoints; ++i) {
      work[i] = static_cast<float>(codes[i]);
      whole += static_cast<std::int64_t>(work[i]);
    }
    sum = static_cast<double>(whole);
  } else {
    const double weight = counters.SmoothWeight, keep = counters.SmoothKeep;
    for (std::size_t i = 0; i < kFftPoints; ++i) {
      work[i] = static_cast<float>(weight * codes[i] + keep * work[i]);
      sum += work[i];
    }
  }
  const double mean = sum * (1.0 / kFftPoints);
  const double factor = setup.AmplitudeFactor;
  for (std::size_t i = 0; i < kFftPoints; ++i)
    staged[i] = static_cast<float>(setup.Window[i] * factor * (work[i] - mean));
  counters.WindowSkip = std::max(0, counters.WindowSkip - 1);
}

void RunSpectrum(ChannelCodes codes, const SpectrumSetup& setup, SpectrumCounters& counters,
                 const SpectrumTargets& out) {
  PrepareSpectrumInput(codes, setup, counters, out.Work, out.Staged);
  counters.FftCounter = (std::clamp(counters.FftCounter, 0, kFftSlots - 1) + 1) % kFftSlots;
  Transform(*setup.Twiddles, out.Staged, out.Re, out.Im);
  const bool everySlot = counters.FftSkip != 0;
  const auto slot = static_cast<std::size_t>(counters.FftCounter);
  const LevelTable& levels = SpectrumLevelTable();
  for (std::size_t k = 0; k < kFftBins; ++k) {
    const double re = out.Re[k], im = out.Im[k];
    const double m = std::sqrt(re * re + im * im);
    float* binSlots = out.Magnitudes.data() + k * kFftSlots;
    if (everySlot)
      std::fill(binSlots, binSlots + kFftSlots, static_cast<float>(m));
    else
      binSlots[slot] = static_cast<float>(m);
    const std::int32_t level = levels.Level(m + 0.0001);
    const std::int32_t shown = DisplayLevel(level);
    WriteLow16(out.Display[2 * k], shown);
    WriteLow16(out.Display[2 * k + 1], shown);
    WriteLow16(out.Levels[2 * k], level);
    WriteLow16(out.Levels[2 * k + 1], level);
  }
  counters.FftSkip = std::max(0, counters.FftSkip - 1);
}

double PeakFrequencyBin(ChannelCodes codes, const TwiddleTable& twiddles) {
  std::array<float, kFftPoints> staged{}, re{}, im{};
  double sum = 0.0;
  for (std::int32_t c : codes) sum += c;
  const double mean = sum * (1.0 / kFftPoints);
  for (std::size_t i = 0; i < kFftPoints; ++i) staged[i] = static_cast<float>(codes[i] - mean);
  Transform(twiddles, staged, re, im);
  std::array<std::int32_t, kFftBins> levels{};
  for (std::size_t k = 0; k < kFftBins; ++k) {
    const double r = re[k], i = im[k];
    levels[k] = std::max(0, SpectrumLevel(std::sqrt(r * r + i * i)));
  }
  std::size_t p = 0;
  for (std::size_t k = 1; k <= kFftBins - 2; ++k)
    if (levels[k] > levels[p]) p = k;
  // A peak at bin 0 has no lower neighbour: it is the frequency 0.
  if (levels[p] <= 0 || p == 0) return 0.0;
  const double below = levels[p - 1], at = levels[p], above = levels[p + 1];
  double f = static_cast<double>(p);
  if (below < above)
    f = p + 0.5 * (above - below) / (at - below);
  else if (above < below)
    f = p - 0.5 * (below - above) / (at - above);
  return std::clamp(f, p - 0.5, p + 0.5);
}

// ---------------------------------------------------------------- log axis

std::span<const std::uint16_t, kLogAxisPoints> LogAxisBins() {
  static const auto table = [] {
    // Position p (even) holds the first bin k whose place round(log10(k + 1) S)
    // lies beyond p; point j reads position 4430 + 4 j.
    const double scale = kLogAxisWidth / std::log10(kLogAxisBins);
    const int positions = kLogViewStart + kLogViewStep * kLogAxisPoints;
    std::vector<std::uint16_t> byPosition(static_cast<std::size_t>(positions), 0);
    int next = 0;
    for (int k = 0; k < kFftBins && next < positions; ++k) {
      const auto place = numeric::Round(std::log10(k + 1.0) * scale);
      for (; next < place && next < positions; next += 2) byPosition[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(k);
    }
    std::array<std::uint16_t, kLogAxisPoints> bins{};
    for (int j = 0; j < kLogAxisPoints; ++j)
      bins[static_cast<std::size_t>(j)] = byPosition[static_cast<std::size_t>(kLogViewStart + kLogViewStep * j)];
    return bins;
  }();
  return table;
}

void KeepBinValues(std::span<const std::int32_t, kFftPoints> entries, std::span<std::int16_t, kFftBins> kept) {
  for (std::size_t k = 0; k < kFftBins; ++k) kept[k] = LevelOf(entries[2 * k]);
}

void WriteLogView(std::span<const std::int16_t, kFftBins> kept, ChannelEntries entries) {
  const auto bins = LogAxisBins();
  for (std::size_t j = 0; j < kLogAxisPoints; ++j) WriteLow16(entries[j], kept[bins[j]]);
}

void WriteLinearView(std::span<const std::int16_t, kFftBins> kept, ChannelEntries entries) {
  for (std::size_t k = 0; k < kFftBins; ++k) {
    WriteLow16(entries[2 * k], kept[k]);
    WriteLow16(entries[2 * k + 1], kept[k]);
  }
}

std::uint16_t MarkerLinToLog(std::uint16_t marker) {
  if (marker == 0) return 0;
  const int bin = marker / 2;
  std::int64_t m = kMarkerLogOffset;
  if (bin != 0) m = numeric::Round(std::log10(static_cast<double>(bin)) * kMarkerLogScale / std::log10(kLogAxisBins));
  m = std::max<std::int64_t>(m, kMarkerLogOffset);
  return static_cast<std::uint16_t>(std::min<std::int64_t>((m - kMarkerLogOffset) / 2, 0xFFFF));
}

std::uint16_t MarkerLogToLin(std::uint16_t marker) {
  if (marker == 0) return 0;
  const double bin =
      std::pow(10.0, std::log10(kLogAxisBins) * (2.0 * marker + kMarkerLogOffset) / kMarkerLogScale);
  // Far beyond the last bin the marker stays at the largest place it can hold.
  return static_cast<std::uint16_t>(2 * numeric::Round(std::min(bin, 32767.0)));
}

std::uint16_t ZoomOfButton(int factor, bool logAxis) {
  switch (factor) {
    case 1: return logAxis ? 10 : 16;
    case 2: return logAxis ? 5 : 8;
    case 4: return logAxis ? 3 : 4;
    default: return 2;
  }
}

std::uint16_t ZoomLinToLog(std::uint16_t zoom) {
  switch (zoom) {
    case 4: return 3;
    case 8: return 5;
    case 16: return 10;
    default: return zoom;
  }
}

std::uint16_t ZoomLogToLin(std::uint16_t zoom) {
  switch (zoom) {
    case 3: return 4;
    case 5: return 8;
    case 10: return 16;
    default: return zoom;
  }
}

}  // namespace display
