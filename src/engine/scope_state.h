// State of the oscilloscope engine that several windows share. Byte flags are
// 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/scope_device.h"
#include "display/capture.h"
#include "display/channel_defaults.h"
#include "display/sample_block.h"
#include "engine/instrument_links.h"
#include "engine/settings_packet.h"
#include "platform/ui/types.h"

namespace engine {

// The device's transfer sizes, time-outs and status byte.
using device::kCommandTimeoutMs;
using device::kReplyBytes;
using device::kStatusCaptureDone;
using device::kUsbRxBufferSize;

// The seven work blocks, reserved with the main window and released at close.
inline constexpr std::size_t kWorkBlockBytes = 65536;  // 2048 bins x 8 float magnitudes fill one exactly

// Calibration pairs: screen readings and the position-DAC values that gave them.
// pos0..2 are the mid, low and high readings, ad0..2 their DAC values.
struct CalibrationPairs {
  std::int32_t pos0, pos1, pos2;
  std::int32_t ad0, ad1, ad2;
};
// The record of a first start, before any calibration or settings file.
inline constexpr CalibrationPairs kDefaultCalibrationPairs{128, 32, 224, 120, 75, 164};
// What replaces a record that gives no ground-level line, and what a
// calibration starts from.
inline constexpr CalibrationPairs kFallbackCalibrationPairs{128, 32, 224, 128, 62, 192};

// ---- The sample block every display and analysis step reads (its layout
// belongs to the display).
using display::kCaptureBytes;
using display::kChannelSamples;
using display::kSampleBlockEntries;

// ---- Waveform averaging: 128 one-byte slots per block entry (entry i, slot
// s at byte i * 128 + s).
inline constexpr std::size_t kAverageSlots = 128;

// One vertical channel's values that change while the program runs, each
// with its start-up value (its settings are in ScopeSettings).
struct ScopeChannelState {
  // Terms of the offset DAC byte, each taken modulo 256.
  std::int32_t OffsetCal = 124;   // offset calibration
  std::int32_t V5Offset = 0;      // range trim of the 10 mV, 0.1 V and 1 V ranges
  std::int32_t RangeTrim = 0;     // trim of the selected range
  std::int32_t RateTrim = 0;      // trim of the selected time base
  std::int32_t PositionDac = 0;   // position term from the position bar
  std::int32_t OffsetDac = 0;     // offset calibration + position term: input of the ground-level fit

  std::string RangeLabel;         // volts/div label without the AC mark
  std::string RangeText = "5V";   // the label now printed on the picture
  std::string ShareRangeText;     // the label of the last capture, for the data files and the export

  // Probe factor (1 or 10) and the dB it adds to spectrum levels.
  double ProbeFactor = 1.0;
  double ProbeDb = 0.0;

  // Calibration pairs (see CalibrationPairs), as at a first start.
  std::int32_t pos0 = kDefaultCalibrationPairs.pos0, pos1 = kDefaultCalibrationPairs.pos1,
               pos2 = kDefaultCalibrationPairs.pos2;
  std::int32_t ad0 = kDefaultCalibrationPairs.ad0, ad1 = kDefaultCalibrationPairs.ad1,
               ad2 = kDefaultCalibrationPairs.ad2;

  // Ground levels predicted from those pairs (128: mid-screen).
  std::int32_t MarkerLevel = 128;
  std::int32_t GroundLevel = 128;

  // Ground level of a loaded data file; kNoFileGround while no file is shown.
  std::int32_t FileGround = display::kNoFileGround;
};

// The scope engine's values that change while the program runs, each with its start-up value.
struct ScopeSharedState {
  // The scope's settings: per channel range, coupling, probe, position and
  // display; the time base; the trigger.
  ScopeSettings Settings;
  // The instrument that holds the device's front end, if any: the settings
  // the device gets, from the scope's.
  std::function<ScopeSettings(const ScopeSettings& scope)> FrontEndHolder;
  // What the scope asks of the other instruments, filled in at start-up.
  InstrumentLinks OtherInstruments;

  // ---- Device and acquisition flags
  std::uint8_t DemoMode = 0;          // synthetic signals instead of the device
  std::uint8_t AcquisitionIdle = 1;   // no Run or Single loop is active
  std::uint8_t RunStop = 0;           // the Run loop must end
  std::uint8_t SingleStop = 0;        // the Single loop must end
  std::uint8_t ScopeFileReplay = 0;   // a loaded data file is drawn without device traffic

  // ---- Options
  std::uint8_t RecallLastSettings = 0;     // save and recall the last settings
  std::uint8_t RestoreDefaultsOnExit = 0;  // delete the settings files after writing them at close
  std::uint8_t ProbeWarningMuted = 0;    // no x10 probe warning

  // ---- Geometry of the scope picture Image1, set when the main window is created
  std::int32_t ScreenX0 = 0;      // left edge of the graticule
  std::int32_t ScreenY0 = 0;      // top edge of the graticule
  std::int32_t TextLineY = 0;     // y of the bottom text line (read-outs)
  std::int32_t MarkerLimitX = 0;  // right end of the horizontal marker lines
  std::int32_t MarkerLimitY = 0;  // lower end of the vertical marker lines

  // ---- Folders ("/" separated)
  std::string ProgramFolder;    // the program file's folder, with a trailing "/"
  std::string DataFolder;       // settings files and the logic-file copy
  std::string DocumentsFolder;  // start folder of the file dialogs, home of "Calibration.log"

  // ---- Calibration request and the settings packet (the link, its buffers
  // and the capture state live in the device object, device/scope_device.h)
  std::uint8_t FirstRunCalibration = 1;  // calibrate at the next device open
  // The last calibration measured every step; one cut short (a lost or
  // silent device, a close request) did not, and left the previous record in force.
  bool CalibrationCompleted = false;
  std::uint8_t Calibrating = 0;  // the calibration's captures and reads run
  // Set for the whole of a calibration, its closing message included: the main
  // window's close waits until it is clear.
  std::uint8_t CalibrationRunning = 0;

  // The seven control bytes c0..c6 of the settings packet, as last built by Set500.
  std::array<std::uint8_t, 7> ScopeControlBlock{};
  std::uint8_t TimeBaseRegister = 0;

  // Vertical channels, CH1 and CH2 (their settings are in Settings).
  std::array<ScopeChannelState, 2> Channels;

  // Time base. TimePerDiv is in 10 ns units (100,000 = 1 ms/div).
  std::int32_t TimePerDiv = 100000;
  std::int32_t ShownTimePerDiv = 100000;  // TimePerDiv of the trace now shown
  std::uint16_t SampleStep = 10;          // samples per plotted step
  std::uint16_t PixelStep = 2;            // pixels per plotted step
  double Magnification = 10.0;            // samples per plotted step of the trace shown
  std::int32_t DisplayStart = 1024;       // first sample at the left grid edge, 1..4066
  std::int32_t CaptureStart = 1024;       // plotting start in the bit view, up to 4080
  std::uint8_t PlotMethod = 0;            // 0 plain, 1 and 2 interpolated
  std::string SampleRateText = "125kS/s";
  std::string TimeDivText = "1ms";

  // Modes and bookkeeping the apply operations touch.
  std::uint8_t SpectrumMode = 0;
  std::uint8_t MathOff = 1;                // no math trace
  std::uint8_t InvertCh2Mode = 0;
  std::uint8_t ClearPending = 0;           // wipe the picture at the next refresh
  std::uint8_t SettingsChanged = 0;
  std::int32_t CaptureCount = 0;           // captures since the last settings change
  std::int32_t AverageBlend = 10;
  std::uint8_t ScopeNoteShown = 0;         // annotation on the picture
  std::uint8_t ParametersOnScreen = 0;     // measurement report on the picture
  std::string DataFileName;                // a loaded data file is shown when not empty
  std::string RmsText;                     // RMS read-out now on the picture
  std::string DbmText;                     // dBm read-out now on the picture

  // ---- Start-up, shutdown and settings file
  // The three folders above all end in "/": a file is the folder + its name.
  // Start-up and close.
  std::uint8_t PreviousRunMark = 0;     // [Status] Running as found at start: another instance, or a crash
  std::uint8_t RunningMark = 0;         // this instance has marked the settings file as running
  std::uint8_t CalibrationInvalid = 0;  // the stored calibration record was unusable
  std::uint8_t FpuPresent = 0;          // floating point with masked exceptions is available
  std::uint8_t ClosingDone = 0;         // the device has been stopped and released at close
  // Settings files found in a state they cannot be used in, each of which
  // the user has been told about once; the program leaves them alone.
  std::vector<std::string> UnusableSettingsFilesTold;
  std::uint8_t CloseRequested = 0;      // a refused close waits for Timer1; device waits end at it
  std::int32_t StartupTick = 0;         // start-up timer ticks; later bit 4 marks a capture taken

  // The start-up reached the settings recall: only then may the close save the
  // last settings, so an aborted start never overwrites them.
  std::uint8_t StartupReachedRecall = 0;

  // The start-up has made device or demo mode ready. Remote commands wait for
  // it: before, there is nothing to capture from, and the start-up's own steps
  // release Run and Single.
  std::uint8_t StartupModeReady = 0;

  // The seven work blocks of kWorkBlockBytes, reserved with the main window
  // and released at close.
  std::uint8_t* FftBuffer = nullptr;
  std::uint8_t* LogAxisTable = nullptr;
  std::uint8_t* SpectrumHistoryBlock = nullptr;
  std::uint8_t* WindowTable = nullptr;
  std::uint8_t* SpectrumPeakBlock = nullptr;
  std::uint8_t* FftAverageBlock = nullptr;
  // The demo source's shapes and display periods (device/demo_source.h).
  std::uint8_t* DemoSourceTable = nullptr;

  // Options of the main settings file ([Menu], [Hardware]).
  std::uint8_t DotJoin = 1;           // join samples with lines
  std::uint8_t HideScope = 0;         // keep the scope window hidden
  std::uint8_t RmsOn = 0;
  std::uint8_t DbmOn = 0;
  std::uint8_t SampleRateOn = 0;      // sample-rate label on the picture
  std::uint8_t NoNote = 0;            // "Never" for the sampling-mode notice
  std::uint8_t HistoryHintOn = 1;     // hint of the history bars
  std::uint8_t ClearOnRunSingle = 0;  // "Clear Display on Run/Single Click"
  std::uint8_t ExtendCalTime = 0;     // long wait before the first calibration
  std::uint8_t BigScreenOn = 0;       // the Big Screen window is in use

  std::uint8_t NoiseRejectOn = 0;

  // ---- The sample block every display and analysis step reads (layout above).
  std::array<std::int32_t, kSampleBlockEntries> ScopeSampleBlock{};

  // Entries 0..8191 of the block as the last unpacking left them; the bit view
  // expands from here, since it overwrites the block.
  std::array<std::int32_t, kCaptureBytes> SampleCopy{};

  // The newest capture, made once by the unpacking or the demo source and
  // handed to the capture's readers; valid until the next capture is made.
  display::Capture NewestCapture;

  // Raw codes in spectrum mode, laid out as the sample block (CH2, CH1, spare).
  std::array<std::int32_t, kSampleBlockEntries> SpectrumInputBlock{};

  // Spectrum levels per channel, CH2 first (low 16 bits of each entry used).
  std::array<std::int32_t, kSampleBlockEntries> SpectrumLevels{};

  // ---- Acquisition loops
  std::int32_t SinglePhase = 5;          // 0 start, 1 waiting, 5 finished or stopped
  std::uint8_t TriggerWaitTicks = 0;     // seconds Run has waited for a trigger
  std::uint8_t TracesShown = 1;          // 0 while Run/Single start has cleared the traces
  std::uint32_t AcquisitionLimit = 0;     // persistence "Number of acquisitions" (up to 4,000,000,000); 0 = no limit
  std::uint32_t AcquisitionCountdown = 0; // captures left before Run stops itself
  std::uint8_t CaptureUnpacked = 0;      // the unpacker ran since the last drawing
  std::uint8_t TraceValid = 0;           // a live trace is available for saving
  std::int32_t CaptureTimePerDiv = 0;    // TimePerDiv of the last spectrum
  std::int32_t ExtendCalSteps = 0;       // steps of the extended wait before the first calibration
  std::uint8_t AutosetRunning = 0;       // an autoset runs

  // Label of the last capture, kept for the data files and the export.
  std::string ShareTimeDivText = "1ms";

  // ---- Waveform averaging (ring layout above).
  // The large arrays here and below have no initializer of their own: the
  // program's start-up makes the state value-initialized, all zeros.
  std::array<std::uint8_t, kSampleBlockEntries * kAverageSlots> AverageRing;
  std::int32_t AverageLength = 2;
  std::int32_t AverageCount = 0;
  std::uint8_t AveragingOn = 0;
  std::uint8_t AverageRunning = 0;

  // ---- Noise Reject: the capture under test and three pages of accepted ones.
  std::array<std::int32_t, kSampleBlockEntries> NoiseRejectStage;
  std::array<std::array<std::int32_t, kSampleBlockEntries>, 3> NoiseRejectPages;
  std::int32_t NoiseRejectWritePage = 0;
  std::int32_t NoiseRejectReadPage = 0;
  std::int32_t NoiseRejectSlope = 0;

  // ---- Spectrum options and the FFT smoothing state the unpacker restarts.
  std::uint8_t FftAverageOn = 0;
  std::uint8_t FftMaximumOn = 0;
  std::uint8_t FftVectorAverageOn = 0;
  std::uint8_t LogFreqAxis = 0;
  std::int32_t WindowSkip = 3;
  std::int32_t FftSkip = 3;
  double SmoothWeight = 0.05;
  double SmoothKeep = 0.95;

  // One vertical channel's values (channel 1 or 2).
  ScopeChannelState& Channel(int channel) { return Channels[static_cast<std::size_t>(channel - 1)]; }
  const ScopeChannelState& Channel(int channel) const { return Channels[static_cast<std::size_t>(channel - 1)]; }

  // Each channel's half of the blocks: CH2 first, CH1 second.
  using ChannelSpan = std::span<std::int32_t, kChannelSamples>;
  ChannelSpan Ch2Samples() { return ChannelSpan{ScopeSampleBlock.data(), kChannelSamples}; }
  ChannelSpan Ch1Samples() { return ChannelSpan{ScopeSampleBlock.data() + kChannelSamples, kChannelSamples}; }
  ChannelSpan Ch2Spectrum() { return ChannelSpan{SpectrumInputBlock.data(), kChannelSamples}; }
  ChannelSpan Ch1SpectrumInput() { return ChannelSpan{SpectrumInputBlock.data() + kChannelSamples, kChannelSamples}; }
  ChannelSpan Ch1SpectrumLevels() { return ChannelSpan{SpectrumLevels.data() + kChannelSamples, kChannelSamples}; }
};

// The settings as the device has them: the scope's, with what the instrument
// holding the front end lays over them.
inline ScopeSettings DeviceFrontEnd(const ScopeSharedState& state, const ScopeSettings& scope) {
  return state.FrontEndHolder ? state.FrontEndHolder(scope) : scope;
}

}  // namespace engine
