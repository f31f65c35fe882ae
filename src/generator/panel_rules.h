// The rules behind the generator panel's controls: the frequency ranges and
// their rescaling, the slider mappings, the entries' parsing and limits and
// the read-out texts. Pure functions; the engine window applies them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/os/numeric.h"

namespace generator {

struct FrequencyRange {
  const char* Button;    // the range button on the panel
  const char* Caption;   // its caption ("1M" replaces "500k" while the sine is chosen)
  std::int32_t Code;     // RangeCode
  std::int32_t Decimals;
  std::int32_t Bits;     // RangeBits of setting byte b1
  double Min;
  double Max;            // the top range: 1000 for the sine, else 500
  const char* Unit;      // FreqUnitText
};

// The eight ranges in button order, the top range first.
inline constexpr std::array<FrequencyRange, 8> FrequencyRanges{{
    {"GrSpeedButton3", "500k", 8, 2, 0, 50, 500, " kHz       "},
    {"GrSpeedButton4", "50k", 7, 3, 7, 5, 50, " kHz       "},
    {"GrSpeedButton5", "5k", 6, 1, 6, 500, 5000, " Hz       "},
    {"GrSpeedButton6", "500Hz", 5, 2, 1, 50, 500, " Hz       "},
    {"GrSpeedButton7", "50Hz", 4, 3, 2, 5, 50, " Hz       "},
    {"GrSpeedButton8", "5Hz", 3, 4, 3, 0.5, 5, " Hz       "},
    {"GrSpeedButton9", "0.5Hz", 2, 5, 4, 0.05, 0.5, " Hz       "},
    {"GrSpeedButton10", "0.05Hz", 1, 3, 5, 5, 50, " mHz    "},
}};
inline constexpr std::size_t kTopRange = 0;
inline constexpr std::size_t kRange5k = 2;
inline constexpr std::size_t kRange500Hz = 3;
// The top range's maximum for the sine and for the other shapes.
inline constexpr double kTopRangeSineMax = 1000;
inline constexpr int kFrequencySliderMax = 90;

// The frequency after a change to a range (min..max): scaled by powers of
// ten into the range, then snapped to an end when it sits on the range's
// grid and the slider is at that end.
double RescaleToRange(double frequency, double min, double max, bool topRange, int sliderPosition);
// The frequency slider's position for a frequency.
int FrequencySliderPosition(double frequency, double min, double max);
// The frequency of a slider position; fineSteps halves the step (the sine
// on the top range).
double SliderFrequency(int position, double min, double max, bool fineSteps);

// Numbers as the entries take them (platform/os/numeric.h).
using numeric::ParseEntryNumber;

// The offset DAC byte of a typed offset (volts, clamped to -5..+5).
std::uint8_t OffsetDacFromVolts(double volts);
// GenAmplitude (Vpp) from the amplitude entry: Vpp clamped to 0.1..10, or
// with DC or peak offset a peak value raised to 0.05 (0.2 for DC), limited
// to 5 and doubled.
double AmplitudeFromEntry(double value, bool dc, bool peakOffset);
// GenAmplitude from the VRMS entry, clamped to 0.1..10 Vpp.
double AmplitudeFromVrms(double vrms);
// The amplitude slider's position (0 = 10 Vpp) and its amplitude.
int AmplitudeSliderPosition(double amplitudeVpp);
double SliderAmplitude(int position);

// The three sweep entries after sanitising, and whether the stop frequency
// had to be raised to the start.
struct SweepSettings {
  double StartHz = 1;
  double StopHz = 1;
  double TimeS = 1;
  bool StopRaised = false;
};
SweepSettings SanitizeSweep(const std::string& start, const std::string& stop, const std::string& time);

// A number as the program writes it back into an entry (up to 15 significant
// digits, no trailing zeros).
std::string EntryText(double value);
// Fixed-point text: at least `width` characters, `decimals` decimals.
std::string FixedText(double value, int width, int decimals);

// Read-out texts.
std::string FrequencyReadoutText(double frequency, int decimals, const std::string& unit);
std::string OffsetReadoutText(std::uint8_t offsetDac, bool autoOffset, double amplitudeVpp);
std::string AmplitudeReadoutText(double amplitudeVpp, bool peakOffset, bool dc);
std::string VrmsReadoutText(double amplitudeVpp, bool peakOffset);

}  // namespace generator
