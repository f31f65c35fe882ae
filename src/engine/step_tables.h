// The rows behind the front panel's time/div and volts/div buttons. Each
// button applies its row (TForm1::ApplyTimeBaseStep, TForm1::ApplyRangeStep);
// controls are found by the names given here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace engine {

struct TimeBaseStep {
  const char* Button;      // time/div button; nullptr for the span-only "6M" step
  const char* SpanButton;  // span button shown in spectrum mode; nullptr when none
  std::int32_t TimePerDiv;  // 10 ns units
  std::uint8_t Code;        // device time-base code
  std::uint16_t SampleStep;
  // The same three in spectrum mode.
  std::int32_t SpectrumTimePerDiv;
  std::uint8_t SpectrumCode;
  std::uint16_t SpectrumSampleStep;
  const char* RateText;  // sample-rate label; nullptr keeps the current one
  int PixelStep;         // pixels per plotted step
  const char* Label;     // time/div label
};

// Fastest to slowest is bottom to top; from 5 us/div down the device stays at
// 25 MS/s and the picture magnifies in software.
inline constexpr std::array<TimeBaseStep, 22> TimeBaseTable{{
    {"SpeedButton500ms", "SpeedButton120Hz", 50000000, 5, 5, 50000000, 5, 5, "250S/s", 2, "500ms"},
    {"SpeedButton200ms", "SpeedButton300Hz", 20000000, 2, 5, 20000000, 2, 5, "625S/s", 2, "200ms"},
    {"SpeedButton50us", "SpeedButton01", 10000000, 93, 5, 10000000, 93, 5, "1.25kS/s", 2, "100ms"},
    {"SpeedButton01s", "SpeedButton1", 5000000, 64, 5, 5000000, 64, 5, "2.5kS/s", 2, "50ms"},
    {"SpeedButton50ms", "SpeedButton2", 2000000, 65, 5, 2000000, 65, 5, "6.25kS/s", 2, "20ms"},
    {"SpeedButton20ms", "SpeedButton9", 1000000, 66, 5, 1000000, 66, 5, "12.5kS/s", 2, "10ms"},
    {"SpeedButton10ms", "SpeedButton10", 500000, 80, 5, 500000, 80, 5, "25kS/s", 2, "5ms"},
    {"SpeedButton5ms", "SpeedButton11", 200000, 81, 5, 200000, 81, 5, "62.5kS/s", 2, "2ms"},
    {"SpeedButton2ms", "SpeedButton12", 100000, 82, 5, 100000, 82, 5, "125kS/s", 2, "1ms"},
    {"SpeedButton1ms", "SpeedButton13", 50000, 88, 5, 50000, 88, 5, "250kS/s", 2, "0.5ms"},
    {"SpeedButton05ms", "SpeedButton14", 20000, 89, 5, 20000, 89, 5, "625kS/s", 2, "0.2ms"},
    {"SpeedButton02ms", "SpeedButton15", 10000, 90, 5, 10000, 90, 5, "1.25MS/s", 2, "0.1ms"},
    {"SpeedButton01ms", "SpeedButton16", 5000, 92, 5, 5000, 92, 5, "2.5MS/s", 2, "50us"},
    {"SpeedButton20us", "SpeedButton18", 2000, 85, 5, 2000, 85, 5, "6.25MS/s", 2, "20us"},
    {nullptr, "SpeedButton17", 1000, 94, 10, 1000, 94, 10, nullptr, 2, "10us"},
    {"SpeedButton10us", "SpeedButton19", 1000, 94, 5, 500, 32, 10, "12.5MS/s", 2, "10us"},
    {"SpeedButton5us", "SpeedButton20", 500, 32, 5, 500, 32, 10, "25MS/s", 2, "5us"},
    {"SpeedButton2us", nullptr, 500, 32, 2, 500, 32, 2, "25MS/s", 2, "2us"},
    {"SpeedButton1us", nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 2, "1us"},
    {"SpeedButton05us", nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 4, "0.5us"},
    {"SpeedButton02us", nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 10, "0.2us"},
    {"SpeedButton01us", nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 20, "0.1us"},
}};

// The row of the "1ms" button, which the device open selects.
inline constexpr std::size_t kTimeBase1ms = 8;

struct RangeStep {
  const char* Ch1Button;
  const char* Ch2Button;
  const char* CaptionX1;   // button captions with a x1 / x10 probe
  const char* CaptionX10;
  std::uint8_t Code;       // range code
  bool CalibratedTrim;     // the range trim is the channel's V5 offset, else 0
  const char* LabelX1;     // label printed on the picture
  const char* LabelX10;
  const char* BodeRadio;   // the Bode plotter's mirror of the CH1 range
};

// Least to most sensitive.
inline constexpr std::array<RangeStep, 6> RangeTable{{
    {"SpeedButton28", "SpeedButton29", "3V", "30V", 1, false, "3V", "30V ", "RadioButton13"},
    {"SpeedButton15v1", "SpeedButton15v2", "1V", "10V", 27, true, "1V", "10V ", "RadioButton14"},
    {"SpeedButton5v1", "SpeedButton5v2", "0.3V", "3V", 11, false, "0.3V", "3V ", "RadioButton15"},
    {"SpeedButton1p5v1", "SpeedButton1p5v2", "0.1V", "1V", 29, true, "0.1V", "1V ", "RadioButton16"},
    {"SpeedButton05v1", "SpeedButton05v2", "30mV", "0.3V", 13, false, "30mV", "0.3V ", "RadioButton17"},
    {"SpeedButton015v1", "SpeedButton015v2", "10mV", "0.1V", 30, true, "10mV", "0.1V ", "RadioButton18"},
}};

// The row of the "1V" buttons.
inline constexpr std::size_t kRange1V = 1;

}  // namespace engine
