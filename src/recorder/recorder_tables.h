// The rows behind the recorder's time/div and volts/div buttons, and its demo
// signal source.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace recorder {

struct RecorderTimeStep {
  const char* Button;    // the button's name
  const char* Caption;   // time/div caption
  const char* RateText;  // sample-rate caption
  std::uint32_t IntervalMs;     // sample interval
  double ZoomStep;              // samples per 2-pixel column
  std::int32_t TimeUnitValue;   // time per division / 2 ms (500 for the 10 ms steps)
};

// Slowest first.
inline constexpr std::array<RecorderTimeStep, 16> RecorderTimeTable{{
    {"SpeedButton01s", "2000s", "1S/20s", 20000, 6.25, 1000000},
    {"SpeedButton50ms", "1000s", "1S/10s", 10000, 6.25, 500000},
    {"SpeedButton20ms", "500s", "1S/5s", 5000, 6.25, 250000},
    {"SpeedButton10ms", "200s", "1S/2s", 2000, 6.25, 100000},
    {"SpeedButton5ms", "100s", "1S/s", 1000, 6.25, 50000},
    {"SpeedButton2ms", "50s", "2S/s", 500, 6.25, 25000},
    {"SpeedButton1ms", "20s", "5S/s", 200, 6.25, 10000},
    {"SpeedButton05ms", "10s", "10S/s", 100, 6.25, 5000},
    {"SpeedButton02ms", "5s", "20S/s", 50, 6.25, 2500},
    {"SpeedButton01ms", "2s", "50S/s", 20, 6.25, 1000},
    {"SpeedButton50us", "1s", "100S/s", 10, 6.25, 500},
    {"SpeedButton20us", "0.5s", "100S/s", 10, 3.125, 500},
    {"SpeedButton10us", "0.2s", "100S/s", 10, 1.25, 500},
    {"SpeedButton5us", "0.1s", "100S/s", 10, 0.625, 500},
    {"SpeedButton2us", "50ms", "100S/s", 10, 0.3125, 500},
    {"SpeedButton8", "20ms", "100S/s", 10, 0.125, 500},
}};
inline constexpr std::size_t kStep1s = 10;  // the "1s" row, where the window starts

// The row whose caption is `caption`, if any.
std::optional<std::size_t> TimeStepByCaption(const std::string& caption);

// Samples per division of a time/div caption as the data files name it: "50"
// for "0.5s", "20" for "0.2s", "10" for "0.1s", "5" for "50ms", "2" for
// "20ms", "100" for every other caption.
const char* SamplesPerDivText(const std::string& caption);

// Demo entries advanced per sample at a time unit (the slower the step, the
// more of the demo period one sample skips).
std::int32_t DemoStepFor(std::int32_t timeUnitValue);

struct RecorderRangeStep {
  const char* Ch1Button;
  const char* Ch2Button;
  const char* Caption;   // button caption
  std::uint8_t Code;     // range code
  enum class Trim { None, V5Offset, RecRangeTrim } TrimFrom;
  const char* LabelX1;   // label on the picture
  const char* LabelX10;  // with the x10 probe (ends in a blank)
  double VoltsPerDiv;    // with a x1 probe, in Unit
  const char* Unit;
};

// Least to most sensitive.
inline constexpr std::array<RecorderRangeStep, 6> RecorderRangeTable{{
    {"SpeedButton9", "SpeedButton10", "3V", 1, RecorderRangeStep::Trim::None, "3V", "30V ", 3, "V"},
    {"SpeedButton15v1", "SpeedButton15v2", "1V", 27, RecorderRangeStep::Trim::V5Offset, "1V", "10V ", 1, "V"},
    {"SpeedButton5v1", "SpeedButton5v2", "0.3V", 11, RecorderRangeStep::Trim::RecRangeTrim, "0.3V", "3V ", 0.3,
     "V"},
    {"SpeedButton1p5v1", "SpeedButton1p5v2", "0.1V", 29, RecorderRangeStep::Trim::None, "0.1V", "1V ", 0.1, "V"},
    {"SpeedButton05v1", "SpeedButton05v2", "30mV", 13, RecorderRangeStep::Trim::V5Offset, "30mV", "0.3V ", 30,
     "mV"},
    {"SpeedButton015v1", "SpeedButton015v2", "10mV", 30, RecorderRangeStep::Trim::RecRangeTrim, "10mV", "0.1V ",
     10, "mV"},
}};
inline constexpr std::size_t kRange1V = 1;

// The row of a range code, if any.
std::optional<std::size_t> RangeStepByCode(std::uint8_t code);

// ---- Demo source: four 300-entry source shapes, and the two display
// periods built from two of them with the selected ranges and positions.
inline constexpr int kDemoPeriod = 300;

struct DemoSources {
  std::array<std::int16_t, kDemoPeriod> ThreeSines{};    // source 1: shown on CH2
  std::array<std::int16_t, kDemoPeriod> Triangle{};      // source 2: shown on CH1
  std::array<std::int16_t, kDemoPeriod> HighSines{};     // source 3
  std::array<std::int16_t, kDemoPeriod> SquareLike{};    // source 4
};
DemoSources BuildDemoSources();

// Display codes 0..255 of one period: source / divisor(range) + 2 x position + 128.
struct DemoDisplay {
  std::array<std::uint8_t, kDemoPeriod> Ch1{};
  std::array<std::uint8_t, kDemoPeriod> Ch2{};
};
DemoDisplay BuildDemoDisplay(const DemoSources& sources, std::uint8_t ch1Code, std::uint8_t ch2Code,
                             int ch1Position, int ch2Position);

}  // namespace recorder
