// The wave sequence's step lines and the serial line assembly: pure
// functions that the player window calls.
//
// A step line holds TAB-separated fields: function (1 sine, 2 square,
// 3 triangle, 4 library, 0 keep the waveform), frequency in Hz, offset in V,
// amplitude in Vpp, time in seconds (0: wait for "Next Step"), and for a
// library step the library file's name.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace generator {

enum class StepLineKind {
  NotAStep,          // 8 characters or fewer
  MissingSeparator,  // a field lacks its TAB
  BadNumber,         // one of the first five fields is not a number
  Step,
};

struct SequenceStep {
  int Function = 0;
  double FrequencyHz = 0;  // clamped to 0.005 .. 1e6
  double OffsetV = 0;      // clamped to -5 .. 5
  double AmplitudeVpp = 0; // clamped to 0.1 .. 10
  double TimeS = 0;
  std::string LibraryFile;
};

struct StepLine {
  StepLineKind Kind = StepLineKind::NotAStep;
  // The first five fields as the window shows them (as far as they were found).
  std::array<std::string, 5> Fields;
  SequenceStep Step;
};

StepLine ParseStepLine(std::string_view line);

// The frequency range (FrequencyRanges index, top range first) a frequency
// in Hz plays on, and the frequency in that range's unit.
struct StepRange {
  std::size_t Index = 0;
  double Frequency = 0;
};
StepRange ChooseStepRange(double hz);

// A hold time as a timer interval: the milliseconds kept between 1 and the
// largest interval the timer takes.
unsigned StepInterval(double seconds);

// Characters from a serial line become step lines: every complete line (CR,
// LF or both end it) comes out whole and without its line end; lines too
// short to be a step are dropped one by one; a line longer than the buffer
// is dropped whole when its end arrives.
class SerialLineAssembler {
 public:
  static constexpr std::size_t kBufferSize = 80;
  std::vector<std::string> Feed(std::string_view incoming);
  const std::string& Pending() const { return buffer_; }
  void Clear() {
    buffer_.clear();
    overflow_ = false;
  }

 private:
  std::string buffer_;
  bool overflow_ = false;
};

}  // namespace generator
