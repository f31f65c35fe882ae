// What the calibration's files share: the targets of its steps, the
// measuring, the "Calibrating" panels and the front-panel settings it makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/step_tables.h"
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

Readings Read();
bool CentreOffset(int channel);
bool CorrectOneVoltFamily();
bool SweepPosition(int channel, int upTarget, int downTarget, int readsPerStep, int& reading);

// ---- The calibrating panels of the main window and the Big Screen
// (calibration_controls.cpp)

void SetCalibratingLabelColor(TColor color);
void ShowProgress(const std::string& text);
void ShowCalibratingPanel(TPanel* panel, bool show);

// ---- The front panel as the calibration sets it (calibration_front_panel.cpp)

void SetButtonDown(engine::PanelButton member, bool down);
void SelectRange(int channel, std::size_t row);
void SelectTimeBase(std::size_t row);
void TriggerOffButton();
void TriggerSourceButton(int channel);
void RisingEdgeButton();
void StopAcquisition();
void PlainScopeDisplay();
void BothChannelsShown();

}  // namespace engine::calibration
