#include "io/text_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/spectrum.h"
#include "platform/os/numeric.h"

namespace io {
namespace {

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::vector<std::string> SpectrumTableLines(const SpectrumTableInput& in) {
  std::vector<std::string> lines;
  // From 0.2 ms/div down the frequencies read in MHz; s is half the sample
  // rate in the header's unit.
  const bool megahertz = in.TimePerDiv <= 30000;
  lines.push_back(megahertz ? "N\tf/[MHz]\tV/[dBV]" : "N\tf/[kHz]\tV/[dBV]");
  if (in.Levels.empty()) return lines;
  const double scale = (megahertz ? 6250.0 : 6.25e6) / in.TimePerDiv;
  const std::int32_t zoom = std::max(in.Zoom, 1);
  const auto size = static_cast<std::int32_t>(in.Levels.size());
  int index = 0;
  for (std::int32_t d = in.DisplayStart; d < zoom * 325 + in.DisplayStart && d < in.Points - zoom; d += zoom) {
    if (d < 0) continue;
    const double h =
        in.LogAxis ? 2.0 * static_cast<double>(numeric::Round(std::pow(2048.0, (2.0 * d + 2215.0) / 7335.0))) : d;
    const double f = h * scale / 4096.0;
    std::int32_t v = display::LevelOf(in.Levels[static_cast<std::size_t>(std::min(d, size - 1))]);
    for (std::int32_t k = d + 1; k <= d + zoom && k < size; ++k)
      v = std::max<std::int32_t>(v, display::LevelOf(in.Levels[static_cast<std::size_t>(k)]));
    const double level = (v - 210) / 3.1875 - 80.0 + in.LevelOffsetDb;
    lines.push_back(std::to_string(index++) + "\t" + Format("%.4f", f) + "\t" + Format("%3.1f", level));
  }
  return lines;
}

std::string WaveformLibraryText(std::span<const std::int32_t> samples) {
  std::string text = "\r\n";
  text.reserve(samples.size() * 5 + 2);
  for (std::int32_t code : samples) text += std::to_string(code) + "\r\n";
  return text;
}

}  // namespace io
