// The free-text annotation that travels with the data files of the scope and
// the recorder: a "COMMENT" line, the line count, the place, the
// transparency and the lines. Pure functions: a value in, text out; text in,
// the parsed annotation out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace io {

struct CommentBlock {
  std::vector<std::string> Lines;
  int X = 0;
  int Y = 0;
  bool Transparent = false;
};

// The annotation trailer, CR LF line ends (nothing when it has no line).
std::string FormatCommentBlock(const CommentBlock* comment);

// The annotation of a file: the first line equal to "COMMENT" and what
// follows it. Numbers count only when their first character is 1..9; a
// missing count is 0 (the annotation is then removed), a missing x or y is
// left out (the caller puts its screen origin there), a missing transparency
// leaves the current choice. Lines are read as at most 50 characters.
struct ParsedComment {
  bool Found = false;
  int Count = 0;
  std::optional<int> X, Y;
  std::optional<bool> Transparent;
  std::vector<std::string> Lines;
};
ParsedComment ParseCommentBlock(std::string_view text);

}  // namespace io
