// The scope data file ("Save DSO Data...", "Open DSO Data..."): a text file
// of the last capture, its time/div and volts/div captions, the ground
// levels and the annotation. The writer makes the whole text; the reader
// takes a whole text and either accepts all of it or none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/comment_block.h"

namespace io {

inline constexpr std::size_t kDataRows = 4096;

struct ScopeDataFile {
  std::string TimeDivText;   // caption of the time/div step
  std::string Ch1RangeText;  // range labels as shown (x10 labels end in a blank, "~" when AC)
  std::string Ch2RangeText;
  std::int32_t Ch1Ground = 128;  // ground levels on the screen's 0..255 scale
  std::int32_t Ch2Ground = 128;
  std::array<std::int32_t, kDataRows> Ch1{};
  std::array<std::int32_t, kDataRows> Ch2{};
  const CommentBlock* Comment = nullptr;  // written when it has a line
};

// The file's text, CR LF line ends.
std::string FormatScopeDataFile(const ScopeDataFile& data);

// The time/div captions the reader knows, in the order it tries them.
inline constexpr std::array<const char*, 16> kDataTimeCaptions = {
    "500ms", "200ms", "100ms", "50ms", "20ms", "10ms", "5ms", "2ms",
    "1ms",   "0.5ms", "0.2ms", "0.1ms", "50us", "20us", "10us", "5us"};

struct ParsedScopeData {
  std::size_t TimeCaption = 0;          // index into kDataTimeCaptions
  std::array<std::size_t, 2> Range{};   // CH1, CH2: 0 = 3 V .. 5 = 10 mV (x1 names)
  std::array<bool, 2> X10{};            // the label is an x10 one
  std::optional<std::int32_t> Ch1Ground, Ch2Ground;  // from the "GND" line: 255 - value
  std::array<std::int32_t, kDataRows> Ch1{};
  std::array<std::int32_t, kDataRows> Ch2{};
  bool EndsAfterRows = true;            // nothing follows the last row
  ParsedComment Comment;                // the block right after the last row
};

// Why a text is no scope data file.
enum class DataFileFault { None, NotADataFile, Truncated, BadNumber, SampleOutOfRange };

struct DataFileReading {
  DataFileFault Fault = DataFileFault::None;
  std::size_t FaultLine = 0;  // the line (1-based) the fault is on
  std::string FaultText;      // what is wrong there
  ParsedScopeData Data;
};

DataFileReading ParseScopeDataFile(std::string_view text);

// "<name>  is not a valid Kavrino data file." with the name without its folder.
std::string NotADataFileText(const std::string& path);
// That, and on a line of its own (after a line feed) the line of the fault and what is wrong there.
std::string RefusedDataFileText(const std::string& path, const DataFileReading& reading);

}  // namespace io
