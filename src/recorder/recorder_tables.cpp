#include "recorder/recorder_tables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/os/numeric.h"

namespace recorder {

std::optional<std::size_t> TimeStepByCaption(const std::string& caption) {
  for (std::size_t i = 0; i < RecorderTimeTable.size(); ++i)
    if (caption == RecorderTimeTable[i].Caption) return i;
  return std::nullopt;
}

const char* SamplesPerDivText(const std::string& caption) {
  if (caption == "0.5s") return "50";
  if (caption == "0.2s") return "20";
  if (caption == "0.1s") return "10";
  if (caption == "50ms") return "5";
  if (caption == "20ms") return "2";
  return "100";
}

std::int32_t DemoStepFor(std::int32_t timeUnitValue) {
  const std::int64_t k = numeric::Trunc(timeUnitValue / 500.0 + 0.5);
  switch (k) {
    case 5: return 4;
    case 50: return 40;
    case 500: return 400;
    case 5000: return 4000;
    default: return static_cast<std::int32_t>(std::clamp<std::int64_t>(k, 1, 20000));
  }
}

std::optional<std::size_t> RangeStepByCode(std::uint8_t code) {
  for (std::size_t i = 0; i < RecorderRangeTable.size(); ++i)
    if (RecorderRangeTable[i].Code == code) return i;
  return std::nullopt;
}

DemoSources BuildDemoSources() {
  DemoSources s;
  const double pi = std::numbers::pi;
  auto entry = [](double v) { return static_cast<std::int16_t>(numeric::Round(v)); };
  std::int32_t triangle = 0;
  for (int i = 0; i < kDemoPeriod; ++i) {
    const double w = 2 * pi * i / kDemoPeriod;
    s.ThreeSines[i] = entry(3000 * std::sin(w) + 1500 * std::sin(2 * w + pi / 2) + 1000 * std::sin(3 * w + pi));
    s.Triangle[i] = static_cast<std::int16_t>(triangle);
    triangle += 3000 * std::sin(w) >= 0 ? -50 : 50;
    s.HighSines[i] = entry(1000 * std::sin(4 * w) + 3000 * std::sin(5 * w) + 1000 * std::sin(6 * w));
    s.SquareLike[i] = entry(3000 * std::sin(w) + 1000 * std::sin(3 * w) + 600 * std::sin(5 * w) +
                            (3000.0 / 7) * std::sin(7 * w));
  }
  return s;
}

namespace {

int DemoDivisor(std::uint8_t code) {
  switch (code) {
    case 1: return 200;
    case 27: return 100;
    case 11: return 50;
    case 29: return 20;
    case 13: return 10;
    case 30: return 5;
    case 14: return 2;
    default: return 1;
  }
}

}  // namespace

DemoDisplay BuildDemoDisplay(const DemoSources& sources, std::uint8_t ch1Code, std::uint8_t ch2Code,
                             int ch1Position, int ch2Position) {
  DemoDisplay d;
  const int d1 = DemoDivisor(ch1Code), d2 = DemoDivisor(ch2Code);
  for (int i = 0; i < kDemoPeriod; ++i) {
    d.Ch1[i] = static_cast<std::uint8_t>(std::clamp(sources.Triangle[i] / d1 + 2 * ch1Position + 128, 0, 255));
    d.Ch2[i] = static_cast<std::uint8_t>(std::clamp(sources.ThreeSines[i] / d2 + 2 * ch2Position + 128, 0, 255));
  }
  return d;
}

}  // namespace recorder
