// The recorder's data files as text: the "Save Data" file, the AutoSave log
// (header, rows, trailer) and the reader of both, page by page. Pure
// functions: values in, text out; text in, parsed values out. Nothing here
// touches a window or the recorder's state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/comment_block.h"

namespace recorder {

// The texts a recording captured at its start (and its stop).
struct RecordHeader {
  std::string StartText;  // date TAB time
  std::string StopText;
  std::string TimeCaption;  // time/div caption
  std::string Ch1Label;     // as shown: x10 labels with their blank, "~" when AC
  std::string Ch2Label;
};

// The free-text annotation that travels with a file.
using io::CommentBlock;

// ---- Writers. Lines end in CR LF, fields are separated by one TAB. Record
// entries hold 255 minus the sample code.

// A whole "Save Data" file: the header, 2000 rows n = 1..2000 (the codes of
// the first validRows samples, then "0" "0"), and the comment block when
// there is one with at least one line.
std::string FormatSaveData(const RecordHeader& header, std::span<const std::int32_t> ch1Entries,
                           std::span<const std::int32_t> ch2Entries, int validRows, const CommentBlock* comment);
// The AutoSave log: its first 12 lines, one row per sample, and the end.
std::string FormatAutoSaveHeader(const RecordHeader& header);
std::string FormatAutoSaveRow(std::int32_t n, std::int32_t ch1Code, std::int32_t ch2Code);
std::string FormatAutoSaveTrailer(const std::string& stopText, const CommentBlock* comment);

// The annotation trailer alone; the scope's data file carries the same one.
using io::FormatCommentBlock;

// ---- Reader.

// The annotation of a file.
using io::ParsedComment;
using io::ParseCommentBlock;

// The steps lines 5, 8 and 9 name: rows of RecorderTimeTable and
// RecorderRangeTable, and whether a channel's label is an x10 one. A step that
// is not recognised stays empty: the file is then not a recorder file.
struct ParsedHeader {
  std::optional<std::size_t> TimeStep;
  std::optional<std::size_t> Ch1Range;
  std::optional<std::size_t> Ch2Range;
  bool Ch1X10 = false;
  bool Ch2X10 = false;
  bool Valid() const { return TimeStep && Ch1Range && Ch2Range; }
};
ParsedHeader ParseRecordHeader(std::string_view text);

// One page of 2000 samples as record entries (255 minus the code, 255 for no
// data) and where the file goes on.
struct ParsedPage {
  std::array<std::int32_t, 2000> Ch1{};
  std::array<std::int32_t, 2000> Ch2{};
  bool EndOfData = false;  // the data ended inside the page
  // N of the data row that follows the page, when there is one.
  std::optional<std::int32_t> NextRow;
  // A field that is not a number: its text and its line (1-based).
  std::optional<std::string> BadField;
  std::size_t BadLine = 0;
  bool Ok() const { return !BadField; }
};
// The page whose first row is line firstLine (1-based; 13 for the first page,
// 13 + N for the page starting at row N). A line shorter than 3 characters or
// holding "COM" ends the data: it and the rest of the page are empty, as are
// rows past the end of the file. Codes outside 0..255 are clamped.
ParsedPage ParseForwardPage(std::string_view text, std::size_t firstLine);
// The page before: as above, but a line shorter than 4 characters or without
// a TAB makes only its own sample empty.
ParsedPage ParseBackwardPage(std::string_view text, std::size_t firstLine);

// A log whose writing stopped part-way through a row (a full disk, a crash)
// ends in a row without its line end. Text is the file without that row;
// CutLine is its line (1-based), 0 when the file ends in whole rows.
struct WholeRows {
  std::string_view Text;
  std::size_t CutLine = 0;
};
WholeRows WithoutCutRow(std::string_view text);

// "<file>, line <n>: '<field>' is not a valid integer value".
std::string BadFieldMessage(const std::string& path, std::size_t line, const std::string& field);
// What the user is told when a file's last row was cut off.
std::string CutRowMessage(const std::string& path, std::size_t line);

// The line shown when a file is not a recorder file.
std::string NotARecorderFileText(const std::string& path);
// That, and on a line of its own (after a line feed) the header line whose
// step was not recognised.
std::string RefusedRecorderFileText(const std::string& path, const ParsedHeader& header);

}  // namespace recorder
