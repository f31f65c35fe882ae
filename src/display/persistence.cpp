#include "display/persistence.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/os/numeric.h"

namespace display {

void ResetPersistence(PersistenceSharedState& p) {
  p.LiveTraceOn = 1;
  p.PersistenceMode = 1;
  p.VariablePersistenceMask = 15;
  p.GradedPersistenceMask = 31;
  p.HighColorCount = 32;
  p.LowColorCount = 1;
}

namespace {

// The rounded number of an edit; 0 for a text that is not one. Far beyond
// every limit the value saturates, which the limits then take in.
std::int64_t EditNumber(const std::string& text) {
  const std::optional<double> v = numeric::ParseEntryNumber(text);
  return v ? numeric::Round(*v) : 0;
}

PersistEditValue Shown(std::int64_t value) { return {value, std::to_string(value)}; }

// Components of a TColor (0x00BBGGRR) by index: 0 red, 1 green, 2 blue.
struct Rgb {
  std::array<int, 3> c;
};
Rgb Split(TColor colour) {
  return {{static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
           static_cast<int>((colour >> 16) & 0xFF)}};
}
TColor Join(const Rgb& rgb) {
  return static_cast<TColor>(rgb.c[0]) | (static_cast<TColor>(rgb.c[1]) << 8) |
         (static_cast<TColor>(rgb.c[2]) << 16);
}

constexpr int kRed = 0, kGreen = 1, kBlue = 2;

// Fills entries 0 .. top with the steps of a walk of `steps` colours
// (step(0) the first, step(steps - 1) the last), evenly picked.
template <class Step>
PersistRamp Ramp(TColor background, int top, int steps, Step&& step) {
  PersistRamp ramp;
  ramp.fill(background);
  top = std::clamp(top, 0, static_cast<int>(kPersistColorEntries) - 1);
  for (int f = 0; f <= top; ++f) {
    const int k = top == 0 ? 0 : static_cast<int>(static_cast<std::int64_t>(steps - 1) * f / top);
    ramp[static_cast<std::size_t>(f)] = step(k);
  }
  return ramp;
}

}  // namespace

PersistEditValue ReadAcquisitionLimit(const std::string& text) {
  std::int64_t v = EditNumber(text);
  if (v > kMaxAcquisitionLimit) v = kMaxAcquisitionLimit;
  if (v < 1) v = 0;
  return Shown(v);
}

PersistEditValue ReadLowColor(const std::string& text, std::int32_t high) {
  std::int64_t v = EditNumber(text);
  v = std::min<std::int64_t>(v, static_cast<std::int64_t>(high) - 1);
  v = std::max<std::int64_t>(v, 1);
  return Shown(v);
}

PersistEditValue ReadHighColor(const std::string& text, std::int32_t low) {
  std::int64_t v = EditNumber(text);
  v = std::min<std::int64_t>(v, static_cast<std::int64_t>(low) + static_cast<std::int64_t>(kPersistColorEntries) - 1);
  v = std::max<std::int64_t>(v, static_cast<std::int64_t>(low) + 1);
  v = std::max<std::int64_t>(v, 2);
  return Shown(v);
}

bool IsGradedMask(std::int64_t mask) { return mask == 0 || mask == 31 || mask == 63 || mask == 127 || mask == 255; }
bool IsVariableMask(std::int64_t mask) { return mask == 7 || mask == 15 || mask == 31; }

PersistRamp GradedRamp(int channel, TColor channelColor, TColor background, int top) {
  const Rgb start = Split(channelColor);
  const std::array<int, 3> order = channel == 0 ? std::array<int, 3>{kBlue, kRed, kGreen}
                                                : std::array<int, 3>{kRed, kGreen, kBlue};
  int steps = 1;
  for (int c : order) steps += 255 - start.c[static_cast<std::size_t>(c)];
  return Ramp(background, top, steps, [&](int k) {
    Rgb rgb = start;
    for (int c : order) {
      int& v = rgb.c[static_cast<std::size_t>(c)];
      const int rise = std::min(k, 255 - v);
      v += rise;
      k -= rise;
    }
    return Join(rgb);
  });
}

PersistRamp VariableRamp(TColor channelColor, TColor background, int top) {
  const Rgb start = Split(channelColor);
  const bool dark = background < 0x808081;
  const int steps = 1 + (dark ? *std::max_element(start.c.begin(), start.c.end())
                              : 255 - *std::min_element(start.c.begin(), start.c.end()));
  return Ramp(background, top, steps, [&](int k) {
    Rgb rgb = start;
    for (int& v : rgb.c) v = dark ? std::max(v - k, 0) : std::min(v + k, 255);
    return Join(rgb);
  });
}

}  // namespace display
