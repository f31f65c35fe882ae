// State of the function generator that other windows read or set: the
// panel's settings, the synthesis tables and the setting bytes last composed.
// Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class GeneratorPanel;

namespace generator {

inline std::uint8_t GeneratorActive = 0;
inline std::uint8_t GenOutputOff = 0;
inline std::int32_t GeneratorHardware = 8016;  // 0: no generator packet is sent
inline std::uint8_t WaveEditorCanClose = 1;    // the wave editor allowed its close
inline std::uint8_t SweepRunning = 1;          // sweep bit of setting byte b3

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

// ---- Panel state
inline std::int32_t WaveShape = kShapeNone;
inline double GenFrequency = 500;  // in the unit of the current range
inline std::int32_t RangeCode = 5;  // 1..8, 8 the top range
inline std::int32_t RangeDecimals = 2;
inline double RangeMin = 50;
inline double RangeMax = 500;
inline std::int32_t RangeBits = 1;
inline std::string FreqUnitText = " Hz       ";
inline double GenAmplitude = 5;     // Vpp
inline std::uint8_t OffsetDac = 127;  // 127 = 0 V; V = (v - 127) * 5/127
inline std::int32_t DutyCycle = 50;   // square duty, %
inline std::int32_t LastDutyCycle = 0;  // duty of the square table now in BaseTable
inline std::uint8_t PeakOffsetMode = 0;
inline std::uint8_t AutoOffsetMode = 0;
inline double SweepStartHz = 1000;
inline double SweepStopHz = 10000;
inline double SweepTime = 10;        // s
inline std::uint8_t SweepLog = 0;    // the "Log" radio button is checked
inline std::uint8_t FilterChoice = 7;
inline std::uint8_t OffsetOnlyChange = 0;  // only the offset changed since the last apply
inline std::uint8_t FreqReadoutVisible = 1;
inline std::string LibraryFileName;  // the library waveform of shape 7
// The library file a sequence step or another program names; found in the
// library folders without regard to case (library_wave.h).
inline std::string SequenceLibFile;
inline std::uint8_t NoiseSweepFlag = 0;       // noise or sweep chosen in More Functions
inline std::int32_t ShapeBeforeSweep = kShapeNone;  // the shape a sweep sweeps
inline std::uint8_t LptSpeedSlow = 0;         // the hardware dialog's "Slow"

// ---- Engine state
inline std::uint8_t SendBusy = 0;  // a send sequence is pending; callers pump until 0
inline std::uint8_t AttenuatorRange = 1;      // 1..7
inline std::uint8_t PrevAttenuatorRange = 1;  // before the last computation
inline double AmplitudeScale = 0.86;
inline std::uint8_t SineInBaseTable = 0;
inline std::int32_t OffsetTrim = 0;  // fine tune, added to the square's offset byte
inline std::int32_t GainTrim = 3;    // fine tune 0..8 (8 is sent as 7)
inline std::uint8_t SyncMode = 0;
inline std::int32_t OutputEnableCode = 1;  // 1 output off, 2 on (0 at the generator's close)
// b0..b3 as last composed: offset byte, range byte, gain/enable byte, sweep/filter byte.
inline std::array<std::uint8_t, 4> GeneratorSettingBytes{128, 0, 0x13, 15};

// ---- Tables (zero-filled, so every byte that leaves is deterministic)
inline std::vector<std::int16_t> BaseTable(kTableEntries, 0);
inline std::vector<std::int16_t> EditorTable(kTableEntries, 0);
inline std::vector<std::int32_t> OutputTable(kTableEntries, 0);
inline std::vector<std::int32_t> EditorPreviewTable(kTableEntries, 0);

// ---- The generator panels now built (the scope window's, the recorder's);
// read-outs and previews go to every one of them.
inline std::vector<GeneratorPanel*> Panels;

}  // namespace generator
