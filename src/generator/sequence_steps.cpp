#include "generator/sequence_steps.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/os/numeric.h"

namespace generator {

namespace {

constexpr std::size_t kShortestStep = 9;
constexpr std::size_t kFieldChars = 20;
constexpr int kCommasReplaced = 5;
constexpr int kBlanksRemoved = 5;

std::string CleanField(std::string_view raw) {
  std::string field(raw.substr(0, kFieldChars));
  for (int k = 0; k < kBlanksRemoved; ++k) {
    const std::size_t blank = field.find(' ');
    if (blank == std::string::npos) break;
    field.erase(blank, 1);
  }
  return field;
}

std::optional<double> ToReal(const std::string& s) {
  double v = 0;
  const char* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, v);
  if (s.empty() || ec != std::errc() || ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string_view TrimName(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

StepLine ParseStepLine(std::string_view line) {
  StepLine out;
  if (line.size() < kShortestStep) return out;
  std::string text(line);
  int commas = 0;
  for (char& c : text)
    if (c == ',' && commas < kCommasReplaced) {
      c = '.';
      ++commas;
    }

  std::size_t pos = 0;
  bool sixth = false;  // a TAB follows the fifth field
  std::string_view rest;
  for (std::size_t k = 0; k < 5; ++k) {
    const std::size_t tab = text.find('\t', pos);
    if (tab == std::string::npos) {
      if (k < 4) {
        out.Fields[k] = CleanField(std::string_view(text).substr(pos));
        out.Kind = StepLineKind::MissingSeparator;
        return out;
      }
      out.Fields[k] = CleanField(std::string_view(text).substr(pos));
      break;
    }
    out.Fields[k] = CleanField(std::string_view(text).substr(pos, tab - pos));
    pos = tab + 1;
    if (k == 4) {
      sixth = true;
      rest = std::string_view(text).substr(pos);
    }
  }
  const bool library = out.Fields[0].find('4') != std::string::npos;
  if (library && !sixth) {
    out.Kind = StepLineKind::MissingSeparator;
    return out;
  }

  std::array<double, 5> v{};
  for (std::size_t k = 0; k < 5; ++k) {
    const std::optional<double> number = ToReal(out.Fields[k]);
    if (!number) {
      out.Kind = StepLineKind::BadNumber;
      return out;
    }
    v[k] = *number;
  }
  out.Kind = StepLineKind::Step;
  out.Step.Function = numeric::Round32(v[0]);
  out.Step.FrequencyHz = std::clamp(v[1], 0.005, 1e6);
  out.Step.OffsetV = std::clamp(v[2], -5.0, 5.0);
  out.Step.AmplitudeVpp = std::clamp(v[3], 0.1, 10.0);
  out.Step.TimeS = v[4];
  if (library) out.Step.LibraryFile = std::string(TrimName(rest));
  return out;
}

StepRange ChooseStepRange(double hz) {
  struct Limit {
    double from;
    double scale;  // Hz to the range's unit
  };
  // "500k", "50k", "5k", "500Hz", "50Hz", "5Hz", "0.5Hz", then "0.05Hz" (mHz).
  constexpr Limit kLimits[] = {{50000, 1e-3}, {5000, 1e-3}, {500, 1}, {50, 1}, {5, 1}, {0.5, 1}, {0.05, 1}};
  for (std::size_t i = 0; i < std::size(kLimits); ++i)
    if (hz >= kLimits[i].from) return {i, hz * kLimits[i].scale};
  return {std::size(kLimits), hz * 1000};
}

unsigned StepInterval(double seconds) {
  const double ms = seconds * 1000;
  constexpr double kLargest = std::numeric_limits<int>::max();
  if (!(ms >= 1)) return 1;  // also NaN
  if (ms >= kLargest) return static_cast<unsigned>(kLargest);
  return static_cast<unsigned>(numeric::Round(ms, 1));
}

std::vector<std::string> SerialLineAssembler::Feed(std::string_view incoming) {
  std::vector<std::string> lines;
  for (char c : incoming) {
    if (c == '\r' || c == '\n') {
      if (!overflow_ && buffer_.size() >= kShortestStep) lines.push_back(buffer_);
      buffer_.clear();
      overflow_ = false;
    } else if (buffer_.size() < kBufferSize) {
      buffer_ += c;
    } else {
      overflow_ = true;
    }
  }
  return lines;
}

}  // namespace generator
