#include "generator/library_wave.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "generator/generator_state.h"
#include "platform/os/files.h"
#include "platform/os/numeric.h"

namespace generator {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool HasDigit(std::string_view s) { return std::any_of(s.begin(), s.end(), IsDigit); }

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::optional<std::int64_t> ToInteger(std::string_view s) {
  std::int64_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

std::optional<double> ToReal(std::string_view s) {
  double v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The characters of a real value: digits, the first decimal mark (a comma
// reads as a point), the first exponent mark, one minus before the decimal
// mark and one after the exponent mark.
std::string RealCharacters(std::string_view line) {
  std::string out;
  bool point = false, exponent = false, leadingMinus = false, exponentMinus = false;
  for (char c : line) {
    if (IsDigit(c)) {
      out += c;
    } else if ((c == '.' || c == ',') && !point && !exponent) {
      point = true;
      out += '.';
    } else if ((c == 'e' || c == 'E') && !exponent) {
      exponent = true;
      out += 'e';
    } else if (c == '-') {
      if (exponent && !exponentMinus) {
        exponentMinus = true;
        out += '-';
      } else if (!exponent && !point && !leadingMinus) {
        leadingMinus = true;
        out += '-';
      }
    }
  }
  return out;
}

// A value line as a table level, or nothing when it does not convert.
std::optional<int> ConvertValue(std::string_view line, bool real) {
  if (real) {
    const std::optional<double> v = ToReal(RealCharacters(line));
    if (!v) return std::nullopt;
    return static_cast<int>(numeric::Round(std::clamp(*v, -1.0, 1.0) * kBaseFullScale));
  }
  std::string kept;
  for (char c : line)
    if (IsDigit(c) || c == '-') kept += c;
  const std::optional<std::int64_t> v = ToInteger(kept);
  if (!v) return std::nullopt;
  const std::int64_t code = std::clamp<std::int64_t>(*v, 0, 255);
  return static_cast<int>(code * 65532 / 255 - kBaseFullScale);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// One item of the expanded text: a value line, a span step ("N") or a jump
// ("Z").
struct Item {
  enum Kind { Value, Span, Jump } kind;
  std::string text;
};

struct Expansion {
  std::vector<Item> items;
  int points = 0;
  bool real = false;
  bool error = false;
};

Expansion Expand(std::string_view text) {
  Expansion x;
  bool modeChosen = false;
  // Adds n points of one kind; false once the cap is reached.
  const auto add = [&x](Item::Kind kind, std::string_view s, std::int64_t n) {
    const std::int64_t room = kLibraryMaxPoints - x.points;
    const bool capped = n > room;
    if (capped) {
      n = room;
      x.error = true;
    }
    for (std::int64_t k = 0; k < n; ++k) x.items.push_back({kind, std::string(s)});
    x.points += static_cast<int>(n);
    return !capped;
  };
  for (std::string_view line : SplitLines(text)) {
    if (!HasDigit(line)) continue;
    if (!modeChosen) {
      modeChosen = true;
      x.real = line.find_first_of(",.") != std::string_view::npos;
    }
    const std::size_t open = line.find('('), close = line.find(')');
    if (open == std::string_view::npos && close == std::string_view::npos) {
      if (!add(Item::Value, line, 1)) break;
      continue;
    }
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open + 1) continue;
    const std::optional<std::int64_t> n = ToInteger(Trim(line.substr(open + 1, close - open - 1)));
    if (!n) {
      x.error = true;
      continue;
    }
    if (HasDigit(line.substr(0, open))) {
      std::string rest(line.substr(0, open));
      rest += line.substr(close + 1);
      if (*n > 0 && !add(Item::Value, rest, *n)) break;
    } else if (*n == 0 && x.points > 1) {
      x.items.push_back({Item::Jump, {}});
    } else if (*n > 1 && x.points > 0) {
      if (!add(Item::Span, {}, *n - 1)) break;
    }
  }
  return x;
}

}  // namespace

LibraryWave ParseLibraryWave(std::string_view text) {
  const Expansion x = Expand(text);
  LibraryWave wave;
  wave.Points = x.points;
  wave.Error = x.error;
  if (x.points < 2) return wave;

  const double pointsPer = static_cast<double>(kBasePeriod) / (x.points - 1);
  std::vector<std::int16_t>& out = wave.Entries;
  out.reserve(kBasePeriod);
  int d = 1, span = 1;
  bool jump = false;
  int prev = 0;
  for (const Item& item : x.items) {
    if (item.kind == Item::Span) {
      ++d;
      ++span;
      continue;
    }
    if (item.kind == Item::Jump) {
      jump = true;
      continue;
    }
    std::optional<int> value = ConvertValue(item.text, x.real);
    if (!value) {
      // The point keeps its place and holds the level before it.
      wave.Error = true;
      value = prev;
    }
    const int h = *value;
    if (d > 1) {
      if (jump) prev = h;
      const double slope = static_cast<double>(h - prev) / pointsPer / span;
      const std::int64_t end = numeric::Round((d - 1) * pointsPer);
      double y = prev;
      std::int64_t t = 1;
      do {
        if (out.size() >= kTableEntries) break;
        out.push_back(static_cast<std::int16_t>(y));
        y = static_cast<double>(
            std::clamp<std::int64_t>(numeric::Round(static_cast<double>(t) * slope + prev), -kBaseFullScale,
                                     kBaseFullScale));
        ++t;
      } while (static_cast<std::int64_t>(out.size()) < end);
    }
    prev = h;
    ++d;
    span = 1;
    jump = false;
  }
  return wave;
}

bool ApplyLibraryWave(const LibraryWave& wave, std::span<std::int16_t> table) {
  if (wave.Entries.empty()) return false;
  const std::size_t n = std::min(wave.Entries.size(), table.size());
  std::copy_n(wave.Entries.begin(), n, table.begin());
  return true;
}

std::optional<LibraryWave> ReadLibraryWaveFile(const std::string& path, std::string* why) {
  const os::WholeFile file = os::ReadWholeFile(path, kLibraryMaxFileBytes);
  if (!file.Ok()) {
    if (why) *why = file.Error;
    return std::nullopt;
  }
  return ParseLibraryWave(file.Bytes);
}

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The entry of `folder` called `part`: the exact spelling when it exists,
// else the first (in name order) that matches without regard to case.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder, const std::string& part) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path exact = folder / part;
  if (fs::exists(exact, ec)) return exact;
  std::optional<std::string> best;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (SameIgnoringCase(name, part) && (!best || name < *best)) best = name;
  }
  if (!best) return std::nullopt;
  return folder / *best;
}

}  // namespace

std::optional<std::string> FindLibraryFile(std::string_view name, std::span<const std::string> folders) {
  namespace fs = std::filesystem;
  std::string unified(name);
  std::replace(unified.begin(), unified.end(), '\\', '/');
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= unified.size();) {
    const std::size_t slash = std::min(unified.find('/', start), unified.size());
    const std::string part = unified.substr(start, slash - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") parts.push_back(part);
    start = slash + 1;
  }
  if (parts.empty()) return std::nullopt;

  // Library names live in the library folders; a name from the root
  // could have another program read any file of the system.
  if (!unified.empty() && unified.front() == '/') return std::nullopt;
  for (const std::string& root : folders) {
    if (root.empty()) continue;
    std::optional<fs::path> at = fs::path(root);
    for (const std::string& part : parts) {
      at = FindEntry(*at, part);
      if (!at) break;
    }
    std::error_code ec;
    if (at && fs::is_regular_file(*at, ec)) return at->string();
  }
  return std::nullopt;
}

}  // namespace generator
