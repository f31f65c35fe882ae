// The Bode plotter's data file as text: the table saved line by line, with the
// plot's annotation as a trailer when there is one; and its reader, which
// parses the whole file before anything is taken over. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bode {

struct Annotation {
  std::vector<std::string> Lines;
  int X = 0;
  int Y = 0;
  bool Transparent = false;
};

// The file's text, lines ended by CR LF: the table, then (with an annotation
// of at least one line) an empty line, "COMMENT", the line count, x, y, "1" or
// "0" for transparent text and the lines.
std::string FormatDataFile(const std::vector<std::string>& table, const Annotation* note);

struct ParsedDataFile {
  std::vector<std::string> Table;
  std::optional<Annotation> Note;  // the trailer, when the file has one
  std::string Error;               // why the file was refused ("" when accepted)
  std::size_t ErrorLine = 0;       // the line (1-based) the refusal is about
  bool Ok() const { return Error.empty(); }
};
// Reads a data file: the first line starting with "COMMENT" begins the
// trailer; the line before it is dropped when it is empty. A count or position
// that is not an integer refuses the file, and so does a file without a line;
// a trailer with fewer lines than its count gives the lines present.
ParsedDataFile ParseDataFile(std::string_view text);

// The conversion error of a field that should hold an integer.
std::string NotAnIntegerMessage(const std::string& field);

}  // namespace bode
