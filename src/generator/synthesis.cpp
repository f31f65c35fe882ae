#include "generator/synthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "generator/generator_state.h"
#include "platform/os/numeric.h"

namespace generator {
namespace {

constexpr double kPi = std::numbers::pi;

std::int16_t ToSample(double x) {
  const std::int64_t v = numeric::Round(x);
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

std::int32_t ToByte(std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, 255)); }

}  // namespace

BaseSamples SineTable() {
  BaseSamples t(kTableEntries, 0);
  for (int i = 0; i <= kBasePeriod; ++i)
    t[static_cast<std::size_t>(i)] = ToSample(kBaseFullScale * std::sin(2 * kPi * i / kBasePeriod));
  return t;
}

BaseSamples SquareTable(int dutyPercent) {
  BaseSamples t(kTableEntries, 0);
  // A triangle that spans the full scale once up and once down, shifted by
  // the duty: the output step keeps only its sign.
  constexpr double kStep = 4.09575;
  double x = (0.5 - dutyPercent / 100.0) * 2 * kBaseFullScale - kBaseFullScale;
  for (int i = 0; i <= kBasePeriod; ++i) {
    if (i <= kBasePeriod / 2 - 1) x += kStep;
    else x -= kStep;
    const std::int64_t v = std::clamp<std::int64_t>(numeric::Round(x), -kBaseFullScale, kBaseFullScale);
    t[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v);
  }
  return t;
}

BaseSamples DcTable(bool positive) {
  BaseSamples t(kTableEntries, 0);
  const auto level = static_cast<std::int16_t>(positive ? kBaseFullScale : -kBaseFullScale);
  std::fill(t.begin(), t.begin() + kBasePeriod + 1, level);
  return t;
}

BaseSamples SincTable() {
  BaseSamples t(kTableEntries, 0);
  // x runs -16000..-1, then 1..16001: the point x = 0 is skipped.
  for (int i = 0; i <= kBasePeriod; ++i) {
    const int c = i < kBasePeriod / 2 ? i : i + 1;
    const double x = c - kBasePeriod / 2;
    t[static_cast<std::size_t>(i)] = ToSample(-(std::sin(21 * kPi * x / kBasePeriod) * 476 * kBaseFullScale / x));
  }
  return t;
}

BaseSamples NoiseTable(std::mt19937& random) {
  BaseSamples t(kTableEntries, 0);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  const auto store = [&](std::size_t index, double deviate) {
    t[index] = ToSample(std::clamp(deviate, -3.0, 3.0) * 32765 / 3);
  };
  // Polar Box-Muller: two deviates per accepted point.
  for (std::size_t k = 0; k < kTableEntries / 2; ++k) {
    double u = 0, v = 0, s = 0;
    do {
      u = uniform(random);
      v = uniform(random);
      s = u * u + v * v;
    } while (s >= 1);
    const double m = s == 0 ? 0 : std::sqrt(-2 * std::log(s) / s);
    store(2 * k, u * m * 1.22);
    store(2 * k + 1, v * m * 1.22);
  }
  return t;
}

BaseSamples ChirpTable(double startHz, double stopHz) {
  BaseSamples t(kTableEntries, 0);
  const double d = std::min(startHz, stopHz) / 2;
  double e = startHz / d;
  const double step = (stopHz / d - e) / 65534;
  for (std::size_t i = 0; i < kTableEntries; ++i) {
    t[i] = ToSample(-(kBaseFullScale * std::sin(2 * kPi * static_cast<double>(i) * e / 32767)));
    e += step;
  }
  return t;
}

Attenuation ChooseAttenuator(double a) {
  // Each range's limit, tested in order; the last one exceeded wins. Below
  // the first limit range 1 keeps its proportional factor.
  static constexpr double kLimits[7] = {0.078125, 0.15625, 0.3125, 0.625, 1.25, 2.5, 5};
  Attenuation result{1, a / 0.15625};
  for (int i = 0; i < 7; ++i)
    if (a > kLimits[i]) result = {static_cast<std::uint8_t>(i + 1), a / (kLimits[i] * 2)};
  return result;
}

void ShapeOutput(std::span<const std::int16_t> base, const ShapeStep& step, std::span<std::int32_t> out) {
  const std::int32_t shape = step.Shape;
  if (shape == kShapeNone) return;
  const double k = step.K;
  const bool straight = step.Pass == 1 && (shape == kShapeNoise || shape == kShapeSweep ||
                                           shape == kShapePoints || shape == kShapeDc);
  const double r = static_cast<double>(kBasePeriod) / kPeriodPoints;
  constexpr double kTriangleClip = 512.0 / kPeriodPoints;
  double acc = 128 - 127 * k;
  double s = 0;
  const auto last = static_cast<std::int64_t>(base.size()) - 1;

  for (std::size_t j = 0; j < out.size(); ++j) {
    const std::int64_t index = std::clamp<std::int64_t>(numeric::Round(s), 0, last);
    const double u = base[static_cast<std::size_t>(index)] / 258.0;
    std::int64_t value = 0;
    if (straight) {
      value = numeric::Round(u * k + (shape == kShapeDc ? 130 : 129) + 0.5);
    } else {
      switch (shape) {
        case kShapeSine:
        case kShapeSinc:
          value = numeric::Round(u * k + 125 + 0.5);
          break;
        case kShapeSquare:
          if (step.RangeCode == 8) {
            // Edges of finite slope that shorten as the frequency rises.
            const double f = step.Frequency;
            double v = 0;
            if (u > f / 20) v = 127;
            else if (u < -f / 20) v = -127;
            else v = u * 127 * 20 / f;
            value = numeric::Round(v * k + 127);
          } else {
            value = u > 0 ? numeric::Round(132 * k + 129 + 0.5) : numeric::Round(127 - 130 * k + 0.5);
          }
          break;
        case kShapeTriangle: {
          const double w = k * std::clamp(u, -kTriangleClip, kTriangleClip);
          acc += w;
          value = numeric::Round(acc + 2);
          if (numeric::Round(acc) > 255) {
            value = 255;
            acc -= w;
          }
          if (numeric::Round(acc) < 0) value = 0;
          break;
        }
        case kShapeLibrary:
          value = numeric::Round(130 - u * k + 0.5);
          break;
        default:  // the sweep's second pass plays the sine at the sweep's level
          value = numeric::Round(u * k + 129 + 0.5);
          break;
      }
    }
    out[j] = ToByte(value);
    if (straight) {
      s += 1;
    } else {
      s += r;
      if (numeric::Round(s) >= kBasePeriod) s -= kBasePeriod;
    }
  }
}

void ApplyPeakOffset(std::span<std::int32_t> out, double k, bool sine) {
  const std::int64_t shift = numeric::Round((1 - k) * 63);
  for (std::int32_t& m : out) {
    const std::int32_t t = ToByte((m + 255) / 2 + shift - 127);
    m = sine ? 255 - t : t;
  }
}

std::uint8_t AutoOffsetDac(std::uint8_t attenuatorRange, double k) {
  const double g = 1.0 / (128 >> std::min<int>(attenuatorRange, 7));
  return static_cast<std::uint8_t>(ToByte(numeric::Round(g * k * 128 / 0.86 + 127)));
}

void ApplyPolarityAndPhase(std::span<std::int32_t> out, std::int32_t shape) {
  if (shape != kShapeSine)
    for (std::int32_t& v : out) v = ToByte(255 - static_cast<std::int64_t>(v));
  if (shape == kShapeSquare || shape == kShapeTriangle) {
    // Square and triangle are shifted in phase by 10239 entries.
    const std::vector<std::int32_t> old(out.begin(), out.end());
    const std::size_t n = old.size();
    for (std::size_t j = 0; j < n; ++j) out[(j + 10239) % n] = old[j];
  }
}

OutputSamples EditorPreview(std::span<const std::int16_t> editor) {
  OutputSamples out(kTableEntries, 0);
  double x = 0;
  const auto last = static_cast<std::int64_t>(editor.size()) - 1;
  for (std::size_t j = 0; j < kTableEntries; ++j) {
    const std::int64_t index = std::clamp<std::int64_t>(numeric::Round(x), 0, last);
    out[j] = static_cast<std::int32_t>(numeric::Round(127 - editor[static_cast<std::size_t>(index)] / 258.0 + 0.5));
    x += 1;
    if (numeric::Round(x) > kBasePeriod - 1) x -= kBasePeriod;
  }
  return out;
}

}  // namespace generator
