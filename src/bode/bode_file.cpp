#include "bode/bode_file.h"

#include <charconv>

namespace bode {

namespace {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(pos, end - pos));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    pos = end + 1;
  }
  return lines;
}

// An integer as the run-time conversion reads it: blanks around it, an
// optional sign, digits only.
std::optional<int> ParseInteger(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

std::string NotAnIntegerMessage(const std::string& field) { return "'" + field + "' is not a valid integer value"; }

std::string FormatDataFile(const std::vector<std::string>& table, const Annotation* note) {
  std::string text;
  for (const std::string& line : table) text += line + "\r\n";
  if (note && !note->Lines.empty()) {
    text += "\r\nCOMMENT\r\n";
    text += std::to_string(note->Lines.size()) + "\r\n";
    text += std::to_string(note->X) + "\r\n" + std::to_string(note->Y) + "\r\n";
    text += note->Transparent ? "1\r\n" : "0\r\n";
    for (const std::string& line : note->Lines) text += line + "\r\n";
  }
  return text;
}

ParsedDataFile ParseDataFile(std::string_view text) {
  ParsedDataFile out;
  std::vector<std::string> lines = SplitLines(text);
  if (lines.empty()) {
    out.Error = "the file holds no data";
    out.ErrorLine = 1;
    return out;
  }
  std::size_t at = 0;
  while (at < lines.size() && lines[at].compare(0, 7, "COMMENT") != 0) ++at;
  if (at == lines.size()) {
    out.Table = std::move(lines);
    return out;
  }
  auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
  Annotation note;
  int count = 0;
  for (std::size_t k = 1; k <= 3; ++k) {
    const std::optional<int> v = ParseInteger(line(at + k));
    if (!v) {
      out.Error = NotAnIntegerMessage(line(at + k));
      out.ErrorLine = at + k + 1;
      return out;
    }
    (k == 1 ? count : k == 2 ? note.X : note.Y) = *v;
  }
  note.Transparent = line(at + 4) == "1";
  for (std::size_t i = at + 5; count > 0 && i < lines.size(); ++i, --count) note.Lines.push_back(lines[i]);
  std::size_t keep = at;
  if (keep > 0 && lines[keep - 1].empty()) --keep;
  lines.resize(keep);
  out.Table = std::move(lines);
  out.Note = std::move(note);
  return out;
}

}  // namespace bode
