#include "recorder/recorder_file.h"

#include <algorithm>
#include <charconv>

#include "recorder/recorder_tables.h"

namespace recorder {

namespace {

constexpr const char* kEol = "\r\n";

// Lines of a text one after the other, without their CR LF (or LF) ends. A
// last line without an end still counts; an end at the very end of the text
// starts no further line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::optional<std::string_view> Next() {
    if (AtEnd()) return std::nullopt;
    const std::size_t end = text_.find('\n', pos_);
    std::string_view line = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return line;
  }
  // Skips count lines; false when the text ended first.
  bool Skip(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
      if (!Next()) return false;
    return true;
  }
  std::size_t Number() const { return number_; }  // 1-based number of the last line read

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t number_ = 0;
};

bool StartsWithDigit1to9(std::string_view s) { return !s.empty() && s[0] >= '1' && s[0] <= '9'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A whole integer field (blanks around it allowed), or nothing.
std::optional<std::int64_t> WholeInteger(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::int32_t Code(std::int32_t entry) { return 255 - std::clamp(entry, 0, 255); }

// Lines 3..12, shared by both kinds of file.
void AppendSteps(std::string& out, const RecordHeader& h) {
  out += kEol;
  out += std::string("TIME STEP:") + kEol;
  out += std::string(SamplesPerDivText(h.TimeCaption)) + " = " + h.TimeCaption + kEol;
  out += kEol;
  out += std::string("VOLTAGE STEP:") + kEol;
  out += "CH1:  32 = " + h.Ch1Label + kEol;
  out += "CH2:  32 = " + h.Ch2Label + kEol;
  out += kEol;
  out += std::string("N\tCH1\tCH2") + kEol;
  out += kEol;
}

std::optional<std::size_t> RangeInLine(std::string_view line) {
  // Pairs of (x1 label, x10 label) per range row; the last that matches wins.
  static constexpr std::array<std::pair<const char*, const char*>, 6> kPairs{{
      {"3V", "30V "}, {"1V", "10V "}, {"0.3V", "3V "}, {"0.1V", "1V "}, {"30mV", "0.3V "}, {"10mV", "0.1V "}}};
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < kPairs.size(); ++i)
    if (line.find(kPairs[i].first) != std::string_view::npos || line.find(kPairs[i].second) != std::string_view::npos)
      found = i;
  return found;
}

bool HasX10Label(std::string_view line) {
  for (const char* label : {"30V ", "10V ", "3V ", "1V ", "0.3V ", "0.1V "})
    if (line.find(label) != std::string_view::npos) return true;
  return false;
}

// One data row "n TAB ch1 TAB ch2" into two entries; false for a field that
// is not a number (its text in bad).
bool ParseRow(std::string_view line, std::int32_t& ch1, std::int32_t& ch2, std::string& bad) {
  const std::size_t tab1 = line.find('\t');
  std::string_view rest = tab1 == std::string_view::npos ? line : line.substr(tab1 + 1);
  const std::size_t tab2 = rest.find('\t');
  const std::string_view f1 = tab2 == std::string_view::npos ? rest : rest.substr(0, tab2);
  const std::string_view f2 = tab2 == std::string_view::npos ? std::string_view{} : rest.substr(tab2 + 1);
  const auto v1 = WholeInteger(f1);
  if (!v1) {
    bad = std::string(Trim(f1));
    return false;
  }
  const auto v2 = WholeInteger(f2);
  if (!v2) {
    bad = std::string(Trim(f2));
    return false;
  }
  ch1 = 255 - static_cast<std::int32_t>(std::clamp<std::int64_t>(*v1, 0, 255));
  ch2 = 255 - static_cast<std::int32_t>(std::clamp<std::int64_t>(*v2, 0, 255));
  return true;
}

// The row after a page: a data row (a TAB, a line after it, first character
// 1..9) gives its N.
void ReadNextRow(LineCursor& lines, ParsedPage& page) {
  const auto line = lines.Next();
  if (!line || line->find('\t') == std::string_view::npos || lines.AtEnd() || !StartsWithDigit1to9(*line)) return;
  const auto n = WholeInteger(line->substr(0, line->find('\t')));
  if (!n) {
    page.BadField = std::string(line->substr(0, line->find('\t')));
    page.BadLine = lines.Number();
    return;
  }
  page.NextRow = static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 0, 0x7FFFFFFF));
}

}  // namespace

std::string FormatSaveData(const RecordHeader& header, std::span<const std::int32_t> ch1Entries,
                           std::span<const std::int32_t> ch2Entries, int validRows, const CommentBlock* comment) {
  std::string out;
  out.reserve(2000 * 14 + 256);
  out += "START: \t" + header.StartText + kEol;
  out += "STOP : \t" + header.StopText + kEol;
  AppendSteps(out, header);
  const int valid = std::clamp(validRows, 0, static_cast<int>(std::min(ch1Entries.size(), ch2Entries.size())));
  for (int i = 0; i < 2000; ++i) {
    out += std::to_string(i + 1);
    if (i < valid)
      out += "\t" + std::to_string(Code(ch1Entries[i])) + "\t" + std::to_string(Code(ch2Entries[i]));
    else
      out += "\t0\t0";
    out += kEol;
  }
  out += FormatCommentBlock(comment);
  return out;
}

std::string FormatAutoSaveHeader(const RecordHeader& header) {
  std::string out = kEol;
  out += "START: \t" + header.StartText + kEol;
  AppendSteps(out, header);
  return out;
}

std::string FormatAutoSaveRow(std::int32_t n, std::int32_t ch1Code, std::int32_t ch2Code) {
  return std::to_string(n) + "\t" + std::to_string(ch1Code) + "\t" + std::to_string(ch2Code) + kEol;
}

std::string FormatAutoSaveTrailer(const std::string& stopText, const CommentBlock* comment) {
  std::string out = kEol;
  out += "STOP:  \t" + stopText + kEol;
  out += FormatCommentBlock(comment);
  return out;
}

ParsedHeader ParseRecordHeader(std::string_view text) {
  ParsedHeader h;
  LineCursor lines(text);
  for (auto line = lines.Next(); line && lines.Number() <= 9; line = lines.Next()) {
    switch (lines.Number()) {
      case 5:
        for (std::size_t i = 0; i < RecorderTimeTable.size(); ++i)
          if (line->find(RecorderTimeTable[i].Caption) != std::string_view::npos) h.TimeStep = i;
        break;
      case 8:
        h.Ch1Range = RangeInLine(*line);
        h.Ch1X10 = HasX10Label(*line);
        break;
      case 9:
        h.Ch2Range = RangeInLine(*line);
        h.Ch2X10 = HasX10Label(*line);
        break;
      default:
        break;
    }
  }
  return h;
}

ParsedPage ParseForwardPage(std::string_view text, std::size_t firstLine) {
  ParsedPage page;
  page.Ch1.fill(255);
  page.Ch2.fill(255);
  LineCursor lines(text);
  if (!lines.Skip(firstLine - 1)) {
    page.EndOfData = true;
    return page;
  }
  for (int i = 0; i < 2000; ++i) {
    const auto line = lines.Next();
    if (!line || line->size() < 3 || line->find("COM") != std::string_view::npos) {
      page.EndOfData = true;
      return page;
    }
    std::string bad;
    if (!ParseRow(*line, page.Ch1[i], page.Ch2[i], bad)) {
      page.BadField = bad;
      page.BadLine = lines.Number();
      return page;
    }
  }
  ReadNextRow(lines, page);
  return page;
}

ParsedPage ParseBackwardPage(std::string_view text, std::size_t firstLine) {
  ParsedPage page;
  page.Ch1.fill(255);
  page.Ch2.fill(255);
  LineCursor lines(text);
  if (!lines.Skip(firstLine - 1)) {
    page.EndOfData = true;
    return page;
  }
  for (int i = 0; i < 2000; ++i) {
    const auto line = lines.Next();
    if (!line) {
      page.EndOfData = true;
      return page;
    }
    if (line->size() < 4 || line->find('\t') == std::string_view::npos) continue;
    std::string bad;
    if (!ParseRow(*line, page.Ch1[i], page.Ch2[i], bad)) {
      page.BadField = bad;
      page.BadLine = lines.Number();
      return page;
    }
  }
  ReadNextRow(lines, page);
  return page;
}

WholeRows WithoutCutRow(std::string_view text) {
  WholeRows rows{text, 0};
  // A row that lost only its LF still holds all its fields.
  if (text.empty() || text.back() == '\n' || text.back() == '\r') return rows;
  const std::size_t lastEnd = text.rfind('\n');
  const std::size_t start = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
  if (text[start] < '0' || text[start] > '9') return rows;
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + start, '\n'));
  // Header lines are no rows, and an annotation may end without a line end.
  if (line < 13 || ParseCommentBlock(text.substr(0, start)).Found) return rows;
  rows.Text = text.substr(0, start);
  rows.CutLine = line;
  return rows;
}

std::string BadFieldMessage(const std::string& path, std::size_t line, const std::string& field) {
  return path + ", line " + std::to_string(line) + ": '" + field + "' is not a valid integer value";
}

std::string CutRowMessage(const std::string& path, std::size_t line) {
  return "The last row of " + path + " (line " + std::to_string(line) +
         ") was cut off when the file was written; the rows before it are shown.";
}

std::string NotARecorderFileText(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return (slash == std::string::npos ? path : path.substr(slash + 1)) + "  is not a valid Tolmeda data file.";
}

std::string RefusedRecorderFileText(const std::string& path, const ParsedHeader& header) {
  const char* what = !header.TimeStep ? "Line 5: no time/div step."
                     : !header.Ch1Range ? "Line 8: no CH1 volts/div step."
                                        : "Line 9: no CH2 volts/div step.";
  return NotARecorderFileText(path) + "\n" + what;
}

}  // namespace recorder
