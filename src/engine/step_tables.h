// The rows behind the front panel's time/div and volts/div buttons. Each
// button applies its row (TForm1::ApplyTimeBaseStep, TForm1::ApplyRangeStep);
// the rows name their buttons as members of FrontPanelControls, so one row
// reaches the same button on the main window and on the twin panel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/front_panel.h"

namespace engine {

using PanelButton = PanelControl<TGrSpeedButton>;

struct TimeBaseStep {
  PanelButton Button;      // time/div button; nullptr for the span-only "6M" step
  PanelButton SpanButton;  // span button shown in spectrum mode; nullptr when none
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
    {&FrontPanelControls::SpeedButton500ms, &FrontPanelControls::SpeedButton120Hz, 50000000, 5, 5, 50000000, 5, 5, "250S/s", 2, "500ms"},
    {&FrontPanelControls::SpeedButton200ms, &FrontPanelControls::SpeedButton300Hz, 20000000, 2, 5, 20000000, 2, 5, "625S/s", 2, "200ms"},
    {&FrontPanelControls::SpeedButton50us, &FrontPanelControls::SpeedButton01, 10000000, 93, 5, 10000000, 93, 5, "1.25kS/s", 2, "100ms"},
    {&FrontPanelControls::SpeedButton01s, &FrontPanelControls::SpeedButton1, 5000000, 64, 5, 5000000, 64, 5, "2.5kS/s", 2, "50ms"},
    {&FrontPanelControls::SpeedButton50ms, &FrontPanelControls::SpeedButton2, 2000000, 65, 5, 2000000, 65, 5, "6.25kS/s", 2, "20ms"},
    {&FrontPanelControls::SpeedButton20ms, &FrontPanelControls::SpeedButton9, 1000000, 66, 5, 1000000, 66, 5, "12.5kS/s", 2, "10ms"},
    {&FrontPanelControls::SpeedButton10ms, &FrontPanelControls::SpeedButton10, 500000, 80, 5, 500000, 80, 5, "25kS/s", 2, "5ms"},
    {&FrontPanelControls::SpeedButton5ms, &FrontPanelControls::SpeedButton11, 200000, 81, 5, 200000, 81, 5, "62.5kS/s", 2, "2ms"},
    {&FrontPanelControls::SpeedButton2ms, &FrontPanelControls::SpeedButton12, 100000, 82, 5, 100000, 82, 5, "125kS/s", 2, "1ms"},
    {&FrontPanelControls::SpeedButton1ms, &FrontPanelControls::SpeedButton13, 50000, 88, 5, 50000, 88, 5, "250kS/s", 2, "0.5ms"},
    {&FrontPanelControls::SpeedButton05ms, &FrontPanelControls::SpeedButton14, 20000, 89, 5, 20000, 89, 5, "625kS/s", 2, "0.2ms"},
    {&FrontPanelControls::SpeedButton02ms, &FrontPanelControls::SpeedButton15, 10000, 90, 5, 10000, 90, 5, "1.25MS/s", 2, "0.1ms"},
    {&FrontPanelControls::SpeedButton01ms, &FrontPanelControls::SpeedButton16, 5000, 92, 5, 5000, 92, 5, "2.5MS/s", 2, "50us"},
    {&FrontPanelControls::SpeedButton20us, &FrontPanelControls::SpeedButton18, 2000, 85, 5, 2000, 85, 5, "6.25MS/s", 2, "20us"},
    {nullptr, &FrontPanelControls::SpeedButton17, 1000, 94, 10, 1000, 94, 10, nullptr, 2, "10us"},
    {&FrontPanelControls::SpeedButton10us, &FrontPanelControls::SpeedButton19, 1000, 94, 5, 500, 32, 10, "12.5MS/s", 2, "10us"},
    {&FrontPanelControls::SpeedButton5us, &FrontPanelControls::SpeedButton20, 500, 32, 5, 500, 32, 10, "25MS/s", 2, "5us"},
    {&FrontPanelControls::SpeedButton2us, nullptr, 500, 32, 2, 500, 32, 2, "25MS/s", 2, "2us"},
    {&FrontPanelControls::SpeedButton1us, nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 2, "1us"},
    {&FrontPanelControls::SpeedButton05us, nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 4, "0.5us"},
    {&FrontPanelControls::SpeedButton02us, nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 10, "0.2us"},
    {&FrontPanelControls::SpeedButton01us, nullptr, 500, 32, 1, 500, 32, 1, "25MS/s", 20, "0.1us"},
}};

// The row of the "1ms" button, which the device open selects.
inline constexpr std::size_t kTimeBase1ms = 8;
// The row of a time/div button.
constexpr std::size_t RowOfTimeButton(PanelButton button) {
  for (std::size_t i = 0; i < TimeBaseTable.size(); ++i)
    if (TimeBaseTable[i].Button == button) return i;
  return TimeBaseTable.size();
}
// Rows of the magnified steps, which some readers single out.
inline constexpr std::size_t kTimeBase2us = RowOfTimeButton(&FrontPanelControls::SpeedButton2us);
inline constexpr std::size_t kTimeBase1us = RowOfTimeButton(&FrontPanelControls::SpeedButton1us);
inline constexpr std::size_t kTimeBase05us = RowOfTimeButton(&FrontPanelControls::SpeedButton05us);
inline constexpr std::size_t kTimeBase02us = RowOfTimeButton(&FrontPanelControls::SpeedButton02us);
inline constexpr std::size_t kTimeBase01us = RowOfTimeButton(&FrontPanelControls::SpeedButton01us);
static_assert(kTimeBase01us < TimeBaseTable.size() && kTimeBase2us < kTimeBase01us);

// The time/div and span buttons of a row; nullptr past the table or where
// the row has none.
constexpr PanelButton TimeBaseButton(std::size_t row) {
  return row < TimeBaseTable.size() ? TimeBaseTable[row].Button : nullptr;
}
constexpr PanelButton SpanButton(std::size_t row) {
  return row < TimeBaseTable.size() ? TimeBaseTable[row].SpanButton : nullptr;
}

struct RangeStep {
  PanelButton Ch1Button;
  PanelButton Ch2Button;
  const char* CaptionX1;   // button captions with a x1 / x10 probe
  const char* CaptionX10;
  std::uint8_t Code;       // range code
  bool CalibratedTrim;     // the range trim is the channel's V5 offset, else 0
  const char* LabelX1;     // label printed on the picture
  const char* LabelX10;
};

// Least to most sensitive.
inline constexpr std::array<RangeStep, 6> RangeTable{{
    {&FrontPanelControls::SpeedButton28, &FrontPanelControls::SpeedButton29, "3V", "30V", 1, false, "3V", "30V "},
    {&FrontPanelControls::SpeedButton15v1, &FrontPanelControls::SpeedButton15v2, "1V", "10V", 27, true, "1V", "10V "},
    {&FrontPanelControls::SpeedButton5v1, &FrontPanelControls::SpeedButton5v2, "0.3V", "3V", 11, false, "0.3V", "3V "},
    {&FrontPanelControls::SpeedButton1p5v1, &FrontPanelControls::SpeedButton1p5v2, "0.1V", "1V", 29, true, "0.1V", "1V "},
    {&FrontPanelControls::SpeedButton05v1, &FrontPanelControls::SpeedButton05v2, "30mV", "0.3V", 13, false, "30mV", "0.3V "},
    {&FrontPanelControls::SpeedButton015v1, &FrontPanelControls::SpeedButton015v2, "10mV", "0.1V", 30, true, "10mV", "0.1V "},
}};

// The row of the "1V" buttons.
inline constexpr std::size_t kRange1V = 1;

// The row of a range code; nullptr for a code no button has.
constexpr const RangeStep* RangeRowOfCode(std::uint8_t code) {
  for (const RangeStep& row : RangeTable)
    if (row.Code == code) return &row;
  return nullptr;
}

}  // namespace engine
