#include "generator/panel_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/os/numeric.h"

namespace generator {
namespace {

bool NearWhole(double x, double tolerance) { return std::fabs(x - std::round(x)) <= tolerance; }

std::string Printf(const char* format, int width, int decimals, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, width, decimals, value);
  return buf;
}

}  // namespace

double RescaleToRange(double frequency, double min, double max, bool topRange, int sliderPosition) {
  double f = frequency;
  if (!std::isfinite(f) || f <= 0) f = min;
  // Powers of ten only: the digits the user chose survive a range change.
  for (int i = 0; i < 40 && f < min; ++i) f *= 10;
  for (int i = 0; i < 40 && f > max; ++i) f /= 10;
  const double tolerance = topRange ? 2e-6 : 1e-6;
  const bool onGrid = NearWhole(f / min, tolerance) && !(topRange && f == 500);
  if (onGrid) {
    if (sliderPosition == kFrequencySliderMax) f = max;
    else if (sliderPosition == 0) f = min;
  }
  return f;
}

int FrequencySliderPosition(double frequency, double min, double max) {
  return numeric::Round32((frequency - min) * 100 / max);
}

double SliderFrequency(int position, double min, double max, bool fineSteps) {
  if (position >= kFrequencySliderMax) return max;
  const double d = fineSteps ? 5 : 10;
  return std::clamp(min + position * min / d, min, max);
}

std::uint8_t OffsetDacFromVolts(double volts) {
  const double v = std::clamp(volts, -5.0, 5.0);
  return static_cast<std::uint8_t>(std::clamp(numeric::Round32(v * 127 / 5) + 127, 0, 255));
}

double AmplitudeFromEntry(double value, bool dc, bool peakOffset) {
  if (!dc && !peakOffset) return std::clamp(value, 0.1, 10.0);
  const double peak = std::min(std::max(value, dc ? 0.2 : 0.05), 5.0);
  return 2 * peak;
}

double AmplitudeFromVrms(double vrms) { return std::clamp(vrms * 2 * std::sqrt(2.0), 0.1, 10.0); }

int AmplitudeSliderPosition(double amplitudeVpp) { return numeric::Round32((10 - amplitudeVpp) * 10); }

double SliderAmplitude(int position) { return (100 - position) / 10.0; }

SweepSettings SanitizeSweep(const std::string& start, const std::string& stop, const std::string& time) {
  const auto frequency = [](const std::string& text) {
    const std::optional<double> v = ParseEntryNumber(text);
    if (!v || *v == 0) return 1.0;
    return std::clamp(*v, 1e-4, 1e6);
  };
  SweepSettings s;
  s.StartHz = frequency(start);
  s.StopHz = frequency(stop);
  const std::optional<double> t = ParseEntryNumber(time);
  s.TimeS = t ? std::clamp(*t, 0.001, 200000.0) : 1.0;
  if (s.StartHz > s.StopHz) {
    s.StopHz = s.StartHz;
    s.StopRaised = true;
  }
  return s;
}

std::string EntryText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

std::string FixedText(double value, int width, int decimals) { return Printf("%*.*f", width, decimals, value); }

std::string FrequencyReadoutText(double frequency, int decimals, const std::string& unit) {
  return FixedText(frequency, 4, decimals) + unit;
}

std::string OffsetReadoutText(std::uint8_t offsetDac, bool autoOffset, double amplitudeVpp) {
  double volts = autoOffset ? amplitudeVpp / 2 : (offsetDac * 5 - 635) / 127.0;
  volts = std::min(volts, 5.0);
  return FixedText(volts, 2, 2) + "  ";
}

std::string AmplitudeReadoutText(double amplitudeVpp, bool peakOffset, bool dc) {
  if (dc) return FixedText(std::max(amplitudeVpp, 0.4) / 2, 0, 2);
  return FixedText(peakOffset ? amplitudeVpp / 2 : amplitudeVpp, 0, 2);
}

std::string VrmsReadoutText(double amplitudeVpp, bool peakOffset) {
  double v = amplitudeVpp / 2 / std::sqrt(2.0);
  if (peakOffset) v /= 2;
  return FixedText(v, 0, 2);
}

}  // namespace generator
