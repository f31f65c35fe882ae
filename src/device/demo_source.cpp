// The demo signal source: the shapes, the display periods, the trigger
// search and the synthetic captures.
#include "device/demo_source.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/os/numeric.h"

namespace {

using display::kCaptureBytes;
using display::kChannelSamples;

constexpr int kPeriod = 300;             // entries per display period and per source shape
constexpr int kPeriodBytes = 2 * kPeriod;
constexpr int kCh1Period = 0;
constexpr int kCh2Period = 300;
constexpr int kDemo1Ch2Source = 600;
constexpr int kDemo1Ch1Source = 900;
constexpr int kDemo2Ch2Source = 1200;
constexpr int kDemo2Ch1Source = 1500;
constexpr int kDemoTableEntries = 1800;
constexpr std::int32_t kDemo1FromTimePerDiv = 2000;  // 20 us/div
constexpr int kTriggerSearchEntries = 299;

// The table holds signed 16-bit entries.
std::int16_t Entry(const std::uint8_t* table, int index) {
  std::int16_t value = 0;
  if (table && index >= 0 && index < kDemoTableEntries) std::memcpy(&value, table + 2 * index, sizeof value);
  return value;
}

void SetEntry(std::uint8_t* table, int index, std::int64_t value) {
  if (!table || index < 0 || index >= kDemoTableEntries) return;
  const auto v = static_cast<std::int16_t>(value);
  std::memcpy(table + 2 * index, &v, sizeof v);
}

// Full-scale entries per screen unit of each range; any other code scales as 1 V/div.
int Divisor(std::uint8_t gainCode) {
  switch (gainCode) {
    case 1: return 200;   // 3 V
    case 27: return 100;  // 1 V
    case 11: return 50;   // 0.3 V
    case 29: return 20;   // 0.1 V
    case 13: return 10;   // 30 mV
    case 30: return 5;    // 10 mV
    default: return 100;
  }
}

// One display period: the source scaled to the range and moved by the position.
void BuildPeriod(std::uint8_t* table, int target, int source, int position, std::uint8_t gainCode) {
  const int base = 128 - 2 * position;
  const int divisor = Divisor(gainCode);
  for (int i = 0; i < kPeriod; ++i) {
    int v = Entry(table, source + i) / divisor + base;  // division truncates toward zero
    if (v < 1) v = 0;
    if (v > 255) v = 255;
    SetEntry(table, target + i, v);
  }
}

// Fills out[at..end) with the outputs from `from` on, which repeat with the
// period at - from: copies that double in length, none overlapping.
void RepeatTail(std::int32_t* out, std::size_t from, std::size_t at, std::size_t end) {
  while (at < end) {
    const std::size_t n = std::min(at - from, end - at);
    std::memcpy(out + at, out + from, n * sizeof *out);
    at += n;
  }
}

}  // namespace

namespace device {

// The noise: the 32-bit Mersenne twister (MT19937), of which only the lowest
// bit of each word is used. The spectrum takes thousands per capture, so the
// words are made and their bits added a block at a time.
class DemoSource::Twister {
 public:
  Twister() { Seed(5489u); }

  void Seed(std::uint32_t seed) {
    x_[0] = seed;
    for (std::uint32_t i = 1; i < kN; ++i) x_[i] = 1812433253u * (x_[i - 1] ^ (x_[i - 1] >> 30)) + i;
    next_ = kN;
  }

  int Bit() {
    if (next_ >= kN) Twist();
    return static_cast<int>(LowBit(x_[next_++]));
  }

  // Adds the next n bits to out[0..n).
  void AddBits(std::int32_t* out, std::size_t n) {
    while (n > 0) {
      if (next_ >= kN) Twist();
      const std::size_t k = std::min<std::size_t>(n, kN - next_);
      const std::uint32_t* w = x_.data() + next_;
      std::size_t i = 0;
#if defined(__SSE2__)
      const __m128i one = _mm_set1_epi32(1);
      for (; i + 4 <= k; i += 4) {
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
        __m128i t = _mm_xor_si128(y, _mm_srli_epi32(y, 3));
        t = _mm_xor_si128(t, _mm_xor_si128(_mm_srli_epi32(y, 14), _mm_srli_epi32(y, 18)));
        t = _mm_xor_si128(t, _mm_xor_si128(_mm_srli_epi32(y, 22), _mm_srli_epi32(y, 29)));
        auto* o = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(o, _mm_add_epi32(_mm_loadu_si128(o), _mm_and_si128(t, one)));
      }
#endif
      for (; i < k; ++i) out[i] += static_cast<std::int32_t>(LowBit(w[i]));
      next_ += k;
      out += k;
      n -= k;
    }
  }

 private:
  static constexpr std::uint32_t kN = 624, kM = 397, kA = 0x9908B0DFu;

  // Bit 0 of the tempered word: the tempering's shifts and masks leave it
  // the parity of these six bits of the raw word.
  static std::uint32_t LowBit(std::uint32_t y) {
    return (y ^ (y >> 3) ^ (y >> 14) ^ (y >> 18) ^ (y >> 22) ^ (y >> 29)) & 1u;
  }

  static std::uint32_t Mix(std::uint32_t far, std::uint32_t a, std::uint32_t b) {
    const std::uint32_t y = (a & 0x80000000u) | (b & 0x7FFFFFFFu);
    return far ^ (y >> 1) ^ ((b & 1u) ? kA : 0u);
  }

  // The next kN words. Word k takes words k + 1 and k + kM (wrapping) as they
  // were, or as already renewed past the end: four at a time they never
  // reach a word of the same four.
  void Twist() {
    std::uint32_t k = 0;
#if defined(__SSE2__)
    const auto four = [this](std::uint32_t at, std::uint32_t far) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&x_[at]));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&x_[at + 1]));
      const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&x_[far]));
      const __m128i y = _mm_or_si128(_mm_and_si128(a, _mm_set1_epi32(static_cast<int>(0x80000000u))),
                                     _mm_and_si128(b, _mm_set1_epi32(0x7FFFFFFF)));
      const __m128i odd = _mm_sub_epi32(_mm_setzero_si128(), _mm_and_si128(b, _mm_set1_epi32(1)));
      const __m128i mag = _mm_and_si128(odd, _mm_set1_epi32(static_cast<int>(kA)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(&x_[at]), _mm_xor_si128(_mm_xor_si128(f, _mm_srli_epi32(y, 1)), mag));
    };
    for (; k + 4 <= kN - kM; k += 4) four(k, k + kM);
#endif
    for (; k < kN - kM; ++k) x_[k] = Mix(x_[k + kM], x_[k], x_[k + 1]);
#if defined(__SSE2__)
    for (; k + 4 <= kN - 1; k += 4) four(k, k + kM - kN);
#endif
    for (; k < kN - 1; ++k) x_[k] = Mix(x_[k + kM - kN], x_[k], x_[k + 1]);
    x_[kN - 1] = Mix(x_[kM - 1], x_[kN - 1], x_[0]);
    next_ = 0;
  }

  std::array<std::uint32_t, kN> x_{};
  std::uint32_t next_ = kN;
};

DemoSource::DemoSource() : random_(std::make_unique<Twister>()) {}

DemoSource::~DemoSource() = default;

void DemoSource::MakeShapes(std::uint8_t* table, std::uint32_t seed) {
  random_->Seed(seed);
  const double pi = std::numbers::pi;
  for (int i = 0; i < kPeriod; ++i) {
    const double x = 2 * pi * i / kPeriod;
    // A square wave from its first five odd harmonics.
    SetEntry(table, kDemo1Ch2Source + i,
             numeric::Round(5000 * (std::sin(x) + std::sin(3 * x) / 3 + std::sin(5 * x) / 5 +
                                    std::sin(7 * x) / 7 + std::sin(9 * x) / 9)));
    // A sine 20 degrees ahead, lifted.
    SetEntry(table, kDemo1Ch1Source + i, numeric::Round(3000 * std::sin(x + 0.3490658503988659) + 2000));
    SetEntry(table, kDemo2Ch2Source + i, numeric::Round(1000 * std::sin(8 * pi * i / kPeriod) +
                                                 3000 * std::sin(10 * pi * i / kPeriod) +
                                                 1000 * std::sin(12 * pi * i / kPeriod)));
    SetEntry(table, kDemo2Ch1Source + i, numeric::Round(3000 * std::sin(10 * pi * i / kPeriod) + 3000));
  }
}

bool DemoSource::BuildPeriods(std::uint8_t* table, const DemoSettings& s) const {
  const bool demo1 = s.TimePerDiv >= kDemo1FromTimePerDiv;
  BuildPeriod(table, kCh1Period, demo1 ? kDemo1Ch1Source : kDemo2Ch1Source, s.Channels[0].Position, s.Channels[0].GainCode);
  BuildPeriod(table, kCh2Period, demo1 ? kDemo1Ch2Source : kDemo2Ch2Source, s.Channels[1].Position, s.Channels[1].GainCode);
  return demo1;
}

// Group step (bytes) and repeat (outputs per group) of the time base; any
// other time base keeps the last ones.
void DemoSource::ChooseStepAndRepeat(std::int32_t timePerDiv) {
  const std::int64_t a = numeric::Trunc(timePerDiv * 0.004 + 0.5);
  if (a == 0 || a == 1) {
    DemoGroupStep = 4;
    DemoRepeat = 1;
    return;
  }
  if (a == 2) {
    DemoGroupStep = 8;
    DemoRepeat = 1;
    return;
  }
  if (a == 4) {
    DemoGroupStep = 16;
    DemoRepeat = 1;
    return;
  }
  if (timePerDiv <= 1000) return;
  struct Row {
    std::int64_t c;
    std::int32_t step;
    std::int32_t repeat;
  };
  static constexpr Row kRows[] = {{1, 2, 50},    {2, 2, 20},    {4, 2, 10},    {8, 2, 5},
                                  {20, 2, 2},    {40, 2, 1},    {80, 4, 1},    {200, 10, 1},
                                  {400, 20, 1},  {800, 40, 1},  {2000, 100, 1}, {4000, 200, 1},
                                  {8000, 400, 1}, {20000, 500, 1}};
  const std::int64_t c = numeric::Trunc(timePerDiv / 2500.0 + 0.5);
  for (const Row& row : kRows) {
    if (row.c != c) continue;
    DemoGroupStep = row.step;
    DemoRepeat = row.repeat;
    return;
  }
}

void DemoSource::Trigger(const std::uint8_t* table, const DemoSettings& s) {
  ChooseStepAndRepeat(s.TimePerDiv);
  if (s.TriggerOff != 0) {
    DemoStart = DemoPhase >= kPeriodBytes ? 0 : DemoPhase;
    DemoTriggered = 1;
    return;
  }

  int level = s.DeviceTriggerLevel;
  if (level != 0 && level != 255) level += random_->Bit();
  const int period = s.TriggerSource == 16 ? kCh1Period : kCh2Period;
  const bool rising = s.TriggerSlope == 32;
  // First a sample on the near side of the level, then the first one past it.
  int i = 0;
  while (i < kTriggerSearchEntries && !(rising ? Entry(table, period + i) < level : Entry(table, period + i) > level)) ++i;
  while (i < kTriggerSearchEntries && !(rising ? Entry(table, period + i) > level : Entry(table, period + i) < level)) ++i;
  DemoTriggered = 0;
  if (i < kTriggerSearchEntries) {
    // Back up 1024 outputs so that the trigger point lands at the left edge
    // of the screen.
    const std::int32_t step = std::max(DemoGroupStep, 1);
    std::int32_t start = 2 * i + 2;
    for (int g = 0; g < 1024 / std::max(DemoRepeat, 1); ++g) {
      start -= step;
      while (start < 0) start += kPeriodBytes;
    }
    DemoStart = start;
    DemoTriggered = 1;
  }
  // An external trigger never comes in the demo.
  if (s.TriggerSource == 1) DemoTriggered = 0;
}

display::Capture DemoSource::NextCapture(const std::uint8_t* table,
                                         std::span<const std::int32_t, display::kSampleBlockEntries> held, bool noise,
                                         const display::CaptureSettings& settings) {
  DemoPhase += 20;
  if (DemoPhase >= kPeriodBytes) DemoPhase = 0;

  display::Capture capture;
  capture.Settings = settings;
  capture.Time = std::chrono::system_clock::now();
  std::int32_t* out = capture.Samples.data();
  const std::int32_t repeat = std::max(DemoRepeat, 1);
  const std::int32_t step = std::max(DemoGroupStep, 1);
  std::int32_t p = DemoStart;
  std::size_t o = 0;
  // p stays within the period, so every entry read lies in the table: its
  // low bytes are read straight from it (no table reads as 0).
  constexpr int kLowByte = std::endian::native == std::endian::little ? 0 : 1;
  static const std::uint8_t kNoTable[2 * kDemoTableEntries] = {};
  const std::uint8_t* entries = table ? table : kNoTable;
  const std::uint8_t* ch2Low = entries + 2 * kCh2Period + kLowByte;
  const std::uint8_t* ch1Low = entries + 2 * kCh1Period + kLowByte;
  const std::int32_t groups = static_cast<std::int32_t>(kChannelSamples) / repeat;
  const std::size_t outputs = static_cast<std::size_t>(groups) * static_cast<std::size_t>(repeat);
  // What comes out depends on p alone, and p comes back to 0 within a
  // period: from its second return on, the outputs repeat those since the
  // first, and are copied from there.
  std::size_t firstAtZero = outputs;
  for (std::int32_t g = 0; g < groups; ++g) {
    if (p > kPeriodBytes - 1 || p < 0) p = 0;
    if (p == 0) {
      if (firstAtZero == outputs) {
        firstAtZero = o;
      } else {
        RepeatTail(out, firstAtZero, o, outputs);
        RepeatTail(out + kChannelSamples, firstAtZero, o, outputs);
        break;
      }
    }
    const unsigned entry = static_cast<unsigned>(p) & ~1u;  // 2 * (p / 2)
    const std::int32_t ch2 = ch2Low[entry];
    const std::int32_t ch1 = ch1Low[entry];
    if (repeat == 1) {
      out[o] = ch2;
      out[kChannelSamples + o] = ch1;
      ++o;
    } else {
      for (std::int32_t r = 0; r < repeat; ++r, ++o) {
        out[o] = ch2;
        out[kChannelSamples + o] = ch1;
      }
    }
    p += step;
  }
  // A repeat ends the loop with the rest of the outputs already copied.
  o = outputs;
  // Outputs the groups do not reach keep what the scope holds there.
  for (; o < kChannelSamples; ++o) {
    out[o] = held[o];
    out[kChannelSamples + o] = held[kChannelSamples + o];
  }

  // A little noise keeps the spectrum alive; the spare entry is no sample.
  if (noise) random_->AddBits(out, kCaptureBytes);
  return capture;
}

}  // namespace device
