// State of the transient recorder that its windows and the engine share.
// Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "display/screen_colors.h"
#include "platform/ui/types.h"
#include "recorder/recorder_settings.h"

namespace display {
struct DisplaySharedState;
}

namespace recorder {

// ---- The record. Each entry holds 255 minus the 8-bit sample code, that is
// its pixel offset from the top grid line; 255 means no data. CH2 first, then
// CH1, then one spare entry.
inline constexpr std::size_t kChannelEntries = 4096;
inline constexpr std::size_t kBlockEntries = 2 * kChannelEntries + 1;
inline constexpr int kRecordSamples = 2000;  // samples of one record (one screen)
inline constexpr int kWrapPos = 2001;        // RecPos at which Run wraps and Single ends
inline constexpr int kLastEntry = 2002;      // last entry a stop clears
inline constexpr std::int32_t kNoData = 255;
// Set in engine::StartupTick when the user stopped a live record.
inline constexpr std::int32_t kUserStoppedBit = 8;

// What the recorder keeps of one channel besides its settings.
struct RecorderChannel {
  std::int32_t Shift = 0;         // record shift by the position bar after a user stop
  std::int32_t OffsetSum = 0;     // offset calibration + position term: places the zero-level marker
  std::uint8_t On = 1;            // trace shown
  std::int32_t ZeroLevel = 127;   // zero level, pixel offset from Y0
  std::string Label = "1V";       // label without the AC mark, as the coupling buttons re-apply it
  std::string Text = "5V";        // label now printed on the picture
  std::string HeaderText = "1V";  // Text as captured at the start, for the file headers
  // Trims of the recorder's range and time base, from the calibration (0
  // after every calibration).
  std::int32_t RangeTrim = 0;
  std::int32_t RateTrim = 0;
};

// The transient recorder's values that change while the program runs, each with its start-up value.
struct RecorderSharedState {
  // The recorder's ranges, couplings, probes and time step.
  RecorderSettings Settings;

  // ---- The record (layout above).
  std::array<std::int32_t, kBlockEntries> RecBlock{};
  std::uint16_t RecPos = 0;         // index of the next sample, 0..2001
  std::int32_t RecLength = 2000;    // valid samples drawn when the record is redrawn

  // ---- Run state
  std::uint8_t RecStopped = 1;          // no recording runs
  std::uint8_t RecSingleMode = 0;       // the recording ends by itself after one record
  std::uint8_t RecAutoSaveOn = 0;       // the AutoSave log is armed or open and takes one row per tick
  std::uint8_t RecFileReplay = 0;       // a data-file page is loaded: start and stop skip the device
  std::uint8_t RecKeepDisplayStep = 0;  // paging a file: the stop keeps the display step
  std::uint8_t RecNoData = 0;           // the device stopped answering during this recording
  std::int32_t AutoSaveRowNumber = 0;   // N of the next AutoSave row; counts on across wraps

  // ---- Texts captured at each start for the file headers
  std::string RecHeaderTimeText = "1s";  // the channels' are their HeaderText
  std::string RecStartText;  // date TAB time
  std::string RecStopText;

  // ---- Time base and display window on the record
  std::int32_t TimeUnitValue = 500;     // time/div of the sample clock / 2 ms (500 at 1 s/div and faster)
  std::int32_t RecordedTimeUnit = 500;  // TimeUnitValue at which the record was taken
  double ZoomStep = 6.25;               // samples per 2-pixel column at the selected step
  double RecDisplayStep = 6.25;         // samples per 2-pixel column as drawn
  std::int32_t RecScrollOffset = 0;     // first sample shown, 0..2000
  std::string RecRateText = "100S/s";   // sample-rate caption
  std::string RecTimeDivText = "1s";    // time/div caption on the screen

  // ---- Channels, CH1 first (index 0)
  std::array<RecorderChannel, 2> Channels{};
  // Channel 1 or 2's.
  RecorderChannel& Channel(int channel) { return Channels[static_cast<std::size_t>(channel - 1)]; }
  const RecorderChannel& Channel(int channel) const { return Channels[static_cast<std::size_t>(channel - 1)]; }

  // ---- Markers (pixels of the recorder picture); a marker left of X0 or
  // above Y0 is parked and not drawn on the grid.
  std::uint8_t RecMarkersOn = 0;
  std::int32_t RecTimeMarker1X = 0;
  std::int32_t RecTimeMarker2X = 0;
  std::int32_t RecVoltMarker1Y = 0;
  std::int32_t RecVoltMarker2Y = 0;

  // ---- View
  std::uint8_t RecSampleRateShown = 0;  // "Sample Rate"

  // ---- Annotation ("Add Text")
  std::uint8_t RecNoteShown = 0;
  std::int16_t RecNoteX = 0;
  std::int16_t RecNoteY = 0;
  std::uint8_t RecNoteTransparent = 0;

  // ---- Data files
  std::string RecFileName;       // the data file being paged
  std::string AutoSaveFileName;  // the armed AutoSave log (a file of its own)
  std::int32_t RecPageStart = 2000;  // N of the row after the page shown
  std::uint8_t RecMorePages = 0;

  // ---- Demo source
  std::int32_t DemoIndex = 0;  // byte offset into the display arrays, 0..599
  std::int32_t DemoStep = 1;   // entries advanced per sample

  // ---- Colours: the recorder's copy of the scope's eight screen colours,
  // taken at start-up and whenever the scope's colours change.
  TColor RecBackgroundColor = display::kBrightScreenColors.Background;
  TColor RecCh1Color = display::kBrightScreenColors.Ch1;
  TColor RecCh2Color = display::kBrightScreenColors.Ch2;
  TColor RecMath1Color = display::kBrightScreenColors.Math1;
  TColor RecMath2Color = display::kBrightScreenColors.Math2;
  TColor RecDarkGridColor = display::kBrightScreenColors.DarkGrid;
  TColor RecBrightGridColor = display::kBrightScreenColors.BrightGrid;
  TColor RecTimeMarkerColor = display::kBrightScreenColors.TimeMarker;
  std::uint8_t RecBrightGrid = 0;  // "Bright Grid"
  TColor ChannelColor(int channel) const { return channel == 1 ? RecCh1Color : RecCh2Color; }

  // ---- Hand-over to the other instruments
  std::uint8_t InstrumentSwitch = 0;  // the recorder closes to hand over: the program goes on

  // The scope's time base and trigger as the main window saved them when the
  // recorder opened; the hand-back puts them back.
  std::uint8_t SavedTimeBaseCode = 88;
  std::uint8_t SavedTriggerOff = 64;
};

// Copies the scope's colour table (`scope`) into the recorder's own copy.
void CopyScreenColorsFromScope(RecorderSharedState& state, const display::DisplaySharedState& scope);

}  // namespace recorder
