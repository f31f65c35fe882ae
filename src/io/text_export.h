// The oscilloscope's two small text exports: the spectrum now shown as a
// table (index, frequency, level in dBV) and one channel's capture as a
// one-column waveform library file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace io {

// What the spectrum table needs of the analyser's state.
struct SpectrumTableInput {
  // The shown channel's level entries (low 16 bits, signed).
  std::span<const std::int32_t> Levels;
  std::int32_t TimePerDiv = 100000;  // 10 ns units
  double LevelOffsetDb = 6.0;        // the range's dB at the top of the screen plus the probe's
  std::int32_t DisplayStart = 1;
  std::int32_t Zoom = 1;
  std::int32_t Points = 4096;
  bool LogAxis = false;
};

// The table's lines without line ends: the header, then one line per point
// on the screen.
std::vector<std::string> SpectrumTableLines(const SpectrumTableInput& input);

// The library file of 4096 sample codes: an empty line, then one code per
// line, CR LF line ends.
std::string WaveformLibraryText(std::span<const std::int32_t> samples);

}  // namespace io
