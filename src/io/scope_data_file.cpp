#include "io/scope_data_file.h"

#include <charconv>

namespace io {

namespace {

constexpr const char* kEol = "\r\n";
constexpr std::size_t kHeaderLines = 10;
constexpr std::size_t kLineLimit = 30;  // header and rows are read as short strings

// Range pairs: the x1 label or the x10 label that names the same button.
constexpr std::array<std::array<const char*, 2>, 6> kRangePairs = {{
    {"3V", "30V "}, {"1V", "10V "}, {"0.3V", "3V "}, {"0.1V", "1V "}, {"30mV", "0.3V "}, {"10mV", "0.1V "}}};

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  std::optional<std::string_view> Next() {
    if (pos_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
  }
  std::string_view Rest() const { return text_.substr(pos_); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string_view Short(std::string_view line) { return line.substr(0, kLineLimit); }

std::optional<std::int32_t> WholeNumber(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  std::int32_t v = 0;
  auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  if (field.empty() || ec != std::errc() || p != field.data() + field.size()) return std::nullopt;
  return v;
}

std::optional<std::size_t> LastTimeCaption(std::string_view line) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < kDataTimeCaptions.size(); ++i)
    if (line.find(kDataTimeCaptions[i]) != std::string_view::npos) found = i;
  return found;
}

std::optional<std::size_t> LastRange(std::string_view line) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < kRangePairs.size(); ++i)
    if (line.find(kRangePairs[i][0]) != std::string_view::npos ||
        line.find(kRangePairs[i][1]) != std::string_view::npos)
      found = i;
  return found;
}

bool HasX10Label(std::string_view line) {
  for (const auto& pair : kRangePairs)
    if (line.find(pair[1]) != std::string_view::npos) return true;
  return false;
}

}  // namespace

std::string FormatScopeDataFile(const ScopeDataFile& d) {
  std::string out;
  out.reserve(kDataRows * 16 + 256);
  out += kEol;
  out += std::string("TIME STEP:") + kEol;
  out += "125 = " + d.TimeDivText + kEol;
  out += kEol;
  out += std::string("VOLTAGE STEP:") + kEol;
  out += "CH1:  32 = " + d.Ch1RangeText + kEol;
  out += "CH2:  32 = " + d.Ch2RangeText + kEol;
  out += "GND\t" + std::to_string(255 - d.Ch1Ground) + "\t" + std::to_string(255 - d.Ch2Ground) + kEol;
  out += std::string("N\tCH1\tCH2") + kEol;
  out += kEol;
  for (std::size_t n = 0; n < kDataRows; ++n)
    out += std::to_string(n) + "\t" + std::to_string(d.Ch1[n]) + "\t" + std::to_string(d.Ch2[n]) + kEol;
  out += FormatCommentBlock(d.Comment);
  return out;
}

DataFileReading ParseScopeDataFile(std::string_view text) {
  DataFileReading r;
  ParsedScopeData& d = r.Data;
  const auto refuse = [&r](DataFileFault fault, std::size_t line, std::string what) {
    r.Fault = fault;
    r.FaultLine = line;
    r.FaultText = std::move(what);
    return r;
  };
  const auto notANumber = [](std::string_view field) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    return "'" + std::string(field) + "' is not a valid integer value";
  };
  constexpr const char* kEndsHere = "the file ends here";
  Lines lines(text);
  std::array<std::string_view, kHeaderLines> header{};
  for (std::size_t i = 0; i < kHeaderLines; ++i) {
    const auto line = lines.Next();
    // Too short to name its steps, or to hold any row.
    if (!line) return refuse(i < 7 ? DataFileFault::NotADataFile : DataFileFault::Truncated, i + 1, kEndsHere);
    header[i] = Short(*line);
  }
  const auto time = LastTimeCaption(header[2]);
  const auto ch1 = LastRange(header[5]);
  const auto ch2 = LastRange(header[6]);
  if (!time) return refuse(DataFileFault::NotADataFile, 3, "no time/div step");
  if (!ch1) return refuse(DataFileFault::NotADataFile, 6, "no CH1 volts/div step");
  if (!ch2) return refuse(DataFileFault::NotADataFile, 7, "no CH2 volts/div step");
  d.TimeCaption = *time;
  d.Range = {*ch1, *ch2};
  d.X10 = {HasX10Label(header[5]), HasX10Label(header[6])};

  const std::string_view gnd = header[7];
  if (gnd.substr(0, gnd.find('\t')) == "GND") {
    const std::size_t a = gnd.find('\t');
    const std::size_t b = gnd.find('\t', a + 1);
    const auto g1 = WholeNumber(gnd.substr(a + 1, b == std::string_view::npos ? gnd.npos : b - a - 1));
    const auto g2 = b == std::string_view::npos ? std::nullopt : WholeNumber(gnd.substr(b + 1));
    if (!g1)
      return refuse(DataFileFault::BadNumber, 8,
                    notANumber(gnd.substr(a + 1, b == std::string_view::npos ? gnd.npos : b - a - 1)));
    if (!g2)
      return refuse(DataFileFault::BadNumber, 8,
                    notANumber(b == std::string_view::npos ? std::string_view{} : gnd.substr(b + 1)));
    d.Ch1Ground = 255 - *g1;
    d.Ch2Ground = 255 - *g2;
  }

  for (std::size_t n = 0; n < kDataRows; ++n) {
    const std::size_t at = kHeaderLines + 1 + n;
    const auto line = lines.Next();
    if (!line) return refuse(DataFileFault::Truncated, at, kEndsHere);
    const std::string_view row = Short(*line);
    const std::size_t a = row.find('\t');
    const std::size_t b = a == std::string_view::npos ? a : row.find('\t', a + 1);
    if (b == std::string_view::npos)
      return refuse(DataFileFault::BadNumber, at, notANumber({}));
    const auto v1 = WholeNumber(row.substr(a + 1, b - a - 1));
    const auto v2 = WholeNumber(row.substr(b + 1));
    if (!v1) return refuse(DataFileFault::BadNumber, at, notANumber(row.substr(a + 1, b - a - 1)));
    if (!v2) return refuse(DataFileFault::BadNumber, at, notANumber(row.substr(b + 1)));
    for (const std::int32_t v : {*v1, *v2})
      if (v < 0 || v > 255)
        return refuse(DataFileFault::SampleOutOfRange, at, std::to_string(v) + " is not a sample value 0..255");
    d.Ch1[n] = *v1;
    d.Ch2[n] = *v2;
  }

  const std::string_view rest = lines.Rest();
  d.EndsAfterRows = rest.empty();
  // The annotation counts only right after the last row.
  Lines after(rest);
  if (const auto first = after.Next(); first && *first == "COMMENT") d.Comment = ParseCommentBlock(rest);
  return r;
}

std::string NotADataFileText(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return (slash == std::string::npos ? path : path.substr(slash + 1)) + "  is not a valid Kavrino data file.";
}

std::string RefusedDataFileText(const std::string& path, const DataFileReading& reading) {
  return NotADataFileText(path) + "\nLine " + std::to_string(reading.FaultLine) + ": " + reading.FaultText + ".";
}

}  // namespace io
