#include "io/comment_block.h"

#include <algorithm>
#include <charconv>

namespace io {

namespace {

constexpr std::size_t kCommentLineLength = 50;  // the annotation is read as short strings

// Only a line whose first character is 1..9 holds a number of the annotation.
bool StartsCommentNumber(std::string_view s) { return !s.empty() && s[0] >= '1' && s[0] <= '9'; }

// The integer such a line starts with.
std::optional<int> CommentNumber(std::string_view s) {
  if (!StartsCommentNumber(s)) return std::nullopt;
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc()) return std::nullopt;
  return static_cast<int>(std::clamp<long long>(v, -32768, 32767));
}

}  // namespace

std::string FormatCommentBlock(const CommentBlock* comment) {
  std::string out;
  if (!comment || comment->Lines.empty()) return out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("COMMENT");
  line(std::to_string(comment->Lines.size()));
  line(std::to_string(comment->X));
  line(std::to_string(comment->Y));
  line(comment->Transparent ? "1" : "0");
  for (const std::string& text : comment->Lines) line(text);
  return out;
}

ParsedComment ParseCommentBlock(std::string_view text) {
  ParsedComment c;
  // The next line without its CR LF (or LF) end, cut to the annotation's
  // length; a last line without an end still counts.
  std::size_t pos = 0;
  const auto shortLine = [&]() -> std::optional<std::string_view> {
    if (pos >= text.size()) return std::nullopt;
    const std::size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line.substr(0, kCommentLineLength);
  };
  for (auto line = shortLine(); line; line = shortLine()) {
    if (*line != "COMMENT") continue;
    c.Found = true;
    break;
  }
  if (!c.Found) return c;
  const auto count = shortLine();
  if (!count) return c;
  c.Count = std::max(CommentNumber(*count).value_or(0), 0);
  if (c.Count == 0) return c;
  if (const auto x = shortLine()) c.X = CommentNumber(*x);
  if (const auto y = shortLine()) c.Y = CommentNumber(*y);
  if (const auto t = shortLine(); t && StartsCommentNumber(*t)) c.Transparent = CommentNumber(*t) == 1;
  for (int i = 0; i < c.Count; ++i) {
    const auto line = shortLine();
    if (!line) break;
    c.Lines.emplace_back(*line);
  }
  return c;
}

}  // namespace io
