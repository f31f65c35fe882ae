// What the calibration's files share: the targets of its steps, the
// readings of a slow read and the "Calibrating" panels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ui/vcl.h"

namespace engine::calibration {

constexpr TColor kWhite = 0xFFFFFF;
// Step 1: a capture's samples 100..199 should sum to 100 x (125..127).
constexpr int kSumFirst = 100;
constexpr int kSumCount = 100;
constexpr std::int32_t kSumHigh = 12700;
constexpr std::int32_t kSumLow = 12500;
constexpr int kMaxOffsetCaptures = 51;
constexpr int kStableCaptures = 2;
// Step 2: the 1 V/div correction aims at a reading of 128.
constexpr int kMaxCorrectionReads = 101;
constexpr int kMidReading = 128;
// Step 3: the three points of the position sweep.
constexpr int kLowReading = 32;
constexpr int kHighReadingUp = 223;
constexpr int kHighReadingDown = 224;
constexpr std::int32_t kStartOffset = 110;

// Rows of the step tables the calibration selects.
constexpr std::size_t kRange3V = 0;
constexpr std::size_t kRange03V = 2;

// ---- Measuring (calibration_measuring.cpp)

struct Readings {
  int ch1 = 0;
  int ch2 = 0;
  bool ok = false;
  // Channel 1 or 2.
  int Of(int channel) const { return channel == 1 ? ch1 : ch2; }
};

// ---- The calibrating panels of the main window and the Big Screen
// (calibration_controls.cpp)

// The panel with its heading and progress labels on `owner`.
struct CalibratingControls {
  TPanel* Panel = nullptr;
  TLabel* Heading = nullptr;
  TLabel* Progress = nullptr;
};
CalibratingControls MakeCalibratingPanel(TForm* owner, int left, int top);
void ShowCalibratingPanel(TPanel* panel, bool show);

}  // namespace engine::calibration
