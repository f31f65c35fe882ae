// State of the function generator that other windows read or set: the
// panel's settings, the synthesis tables and the setting bytes last composed.
// Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "generator/plotter_link.h"
#include "io/generator_mailbox.h"

class GeneratorPanel;

namespace generator {

// ---- Shape codes (WaveShape)
inline constexpr std::int32_t kShapeNone = 0;
inline constexpr std::int32_t kShapeSine = 1;
inline constexpr std::int32_t kShapeSquare = 2;
inline constexpr std::int32_t kShapeTriangle = 3;
inline constexpr std::int32_t kShapeSinc = 4;
inline constexpr std::int32_t kShapeNoise = 5;
inline constexpr std::int32_t kShapeSweep = 6;
inline constexpr std::int32_t kShapeLibrary = 7;
inline constexpr std::int32_t kShapePoints = 8;
inline constexpr std::int32_t kShapeDc = 9;

// ---- Table sizes
inline constexpr std::size_t kTableEntries = 32768;
inline constexpr int kBasePeriod = 32000;      // base entries of one period
inline constexpr int kBaseFullScale = 32766;
inline constexpr std::int32_t kPeriodPoints = 8192;  // output entries of one period
inline constexpr std::size_t kWaveBlockBytes = 512;

// The function generator's values that change while the program runs, each with its start-up value.
struct GeneratorSharedState {
  // What the generator asks of the Bode plotter, filled in at start-up.
  PlotterLink Plotter;
  // What the remote-control mailbox poll keeps between ticks.
  io::GeneratorMailboxMemory GeneratorMailbox;
  std::uint8_t GeneratorActive = 0;
  std::uint8_t GenOutputOff = 0;
  std::int32_t GeneratorHardware = 8016;  // 0: no generator packet is sent
  std::uint8_t WaveEditorCanClose = 1;    // the wave editor allowed its close
  std::uint8_t SweepRunning = 1;          // sweep bit of setting byte b3

  // ---- Panel state
  std::int32_t WaveShape = kShapeNone;
  double GenFrequency = 500;  // in the unit of the current range
  std::int32_t RangeCode = 5;  // 1..8, 8 the top range
  std::int32_t RangeDecimals = 2;
  double RangeMin = 50;
  double RangeMax = 500;
  std::int32_t RangeBits = 1;
  std::string FreqUnitText = " Hz       ";
  double GenAmplitude = 5;     // Vpp
  std::uint8_t OffsetDac = 127;  // 127 = 0 V; V = (v - 127) * 5/127
  std::int32_t DutyCycle = 50;   // square duty, %
  std::int32_t LastDutyCycle = 0;  // duty of the square table now in BaseTable
  std::uint8_t PeakOffsetMode = 0;
  std::uint8_t AutoOffsetMode = 0;
  double SweepStartHz = 1000;
  double SweepStopHz = 10000;
  double SweepTime = 10;        // s
  std::uint8_t SweepLog = 0;    // the "Log" radio button is checked
  std::uint8_t FilterChoice = 7;
  std::uint8_t OffsetOnlyChange = 0;  // only the offset changed since the last apply
  std::uint8_t FreqReadoutVisible = 1;
  std::string LibraryFileName;  // the library waveform of shape 7

  // The library file a sequence step or another program names; found in the
  // library folders without regard to case (library_wave.h).
  std::string SequenceLibFile;
  std::uint8_t NoiseSweepFlag = 0;       // noise or sweep chosen in More Functions
  std::int32_t ShapeBeforeSweep = kShapeNone;  // the shape a sweep sweeps
  std::uint8_t LptSpeedSlow = 0;         // the hardware dialog's "Slow"

  // ---- Engine state
  std::uint8_t SendBusy = 0;  // a send sequence is pending; callers pump until 0
  std::uint8_t AttenuatorRange = 1;      // 1..7
  std::uint8_t PrevAttenuatorRange = 1;  // before the last computation
  double AmplitudeScale = 0.86;
  std::uint8_t SineInBaseTable = 0;
  std::int32_t OffsetTrim = 0;  // fine tune, added to the square's offset byte
  std::int32_t GainTrim = 3;    // fine tune 0..8 (8 is sent as 7)
  std::uint8_t SyncMode = 0;
  std::int32_t OutputEnableCode = 1;  // 1 output off, 2 on (0 at the generator's close)

  // b0..b3 as last composed: offset byte, range byte, gain/enable byte, sweep/filter byte.
  std::array<std::uint8_t, 4> GeneratorSettingBytes{128, 0, 0x13, 15};

  // ---- Tables (zero-filled, so every byte that leaves is deterministic)
  std::vector<std::int16_t> BaseTable = std::vector<std::int16_t>(kTableEntries, 0);
  std::vector<std::int16_t> EditorTable = std::vector<std::int16_t>(kTableEntries, 0);
  std::vector<std::int32_t> OutputTable = std::vector<std::int32_t>(kTableEntries, 0);
  std::vector<std::int32_t> EditorPreviewTable = std::vector<std::int32_t>(kTableEntries, 0);

  // ---- The generator panels now built (the scope window's, the recorder's);
  // read-outs and previews go to every one of them.
  std::vector<GeneratorPanel*> Panels;
};

}  // namespace generator
