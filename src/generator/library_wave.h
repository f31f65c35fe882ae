// Library waveform files (".lib"): one period of an arbitrary wave as text,
// one value per line, with repeat, span and jump marks. The reader turns the
// text into base-table entries by linear interpolation; the finder locates a
// file named by a sequence step or another program in the library folders.
//
// Format, line by line: a line holding no digit is skipped. The first data
// line decides the number mode for the whole text: with "," or "." all values
// are reals in -1..+1, else integers 0..255. "v (n)" repeats v as n points;
// "(n)" alone, n > 1, stretches the next segment over n point widths; "(0)"
// alone makes the next point a step instead of a ramp. Other arrangements of
// parentheses drop the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace generator {

// The warning after a library file that held damaged lines.
inline constexpr const char* kDataErrorText = "Error found in data file";

// The most points a text may expand to: every point takes at least one of
// the 32000 entries of a period.
inline constexpr int kLibraryMaxPoints = 32001;
// A file larger than this is not a waveform and is not read.
inline constexpr std::size_t kLibraryMaxFileBytes = 4u << 20;

struct LibraryWave {
  // The table entries the text gives, from entry 0 (32000 for a whole
  // period); empty with fewer than two points.
  std::vector<std::int16_t> Entries;
  int Points = 0;  // after expanding repeats and spans
  // A value or count did not convert, or the text went beyond the format's
  // limits; what did convert is still in Entries.
  bool Error = false;
};

LibraryWave ParseLibraryWave(std::string_view text);

// Copies the entries over the start of the table (never past its end);
// false, and the table untouched, when there are none.
bool ApplyLibraryWave(const LibraryWave& wave, std::span<std::int16_t> table);

// Reads a library file. Nothing, and the reason in *why, when it cannot be
// read or is larger than kLibraryMaxFileBytes.
std::optional<LibraryWave> ReadLibraryWaveFile(const std::string& path, std::string* why = nullptr);

// Finds a library file by a name that may come from another system: "\" is a
// folder separator like "/", and every part of the name matches without
// regard to letter case. The name is looked for in each folder in turn and
// may not climb out of it (".."); a name from the root ("/etc/...") is not a
// library name and finds nothing. Returns the path of an existing regular file.
std::optional<std::string> FindLibraryFile(std::string_view name, std::span<const std::string> folders);

}  // namespace generator
