#include "generator/packets.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "generator/generator_state.h"
#include "platform/os/numeric.h"

namespace generator {
namespace {

constexpr double kTwoPow44 = 17592186044416.0;
constexpr std::uint64_t kLow48Bits = (std::uint64_t{1} << 48) - 1;

// The whole-number part of a non-negative double as an unsigned integer:
// NaN and negative values give 0, values beyond 64 bits saturate.
std::uint64_t WholeUnsigned(double x) {
  if (!(x > 0)) return 0;
  if (x >= 18446744073709551615.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(x);
}

void PutLittleEndian(FrequencyPacketBytes& p, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) p[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

double FrequencyHz(std::int32_t rangeCode, double frequency) {
  if (rangeCode == 1) return frequency / 1000;
  if (rangeCode >= 7) return frequency * 1000;
  return frequency;
}

}  // namespace

WaveBlockBytes WaveBlock(std::span<const std::int32_t> outputTable) {
  WaveBlockBytes block{};
  for (std::size_t k = 0; k < block.size(); ++k) {
    const std::size_t index = 16 * k;
    block[k] = index < outputTable.size() ? static_cast<std::uint8_t>(outputTable[index] & 0xFF) : 0;
  }
  return block;
}

WaveBlockBytes SilentWaveBlock() {
  WaveBlockBytes block{};
  block.fill(0x80);
  return block;
}

SettingBytes ComposeSettingBytes(const SettingInput& in) {
  SettingBytes b{};
  const int gain = std::clamp(in.GainTrim, 0, 7);
  if (in.OutputOff) {
    b[0] = 128;
    b[1] = 0;
  } else {
    b[0] = in.Shape == kShapeSquare ? static_cast<std::uint8_t>(std::clamp(in.OffsetTrim + in.OffsetDac, 0, 255))
                                    : in.OffsetDac;
    b[1] = static_cast<std::uint8_t>(in.RangeBits * 8 + in.AttenuatorRange + 64);
  }
  const bool noSync = in.Shape == kShapeSine || in.Shape == kShapeTriangle;
  b[2] = static_cast<std::uint8_t>(in.OutputEnableCode * 16 + gain + (noSync ? 0 : in.SyncMode * 8));
  b[3] = static_cast<std::uint8_t>(in.SweepRunning * 8 + (in.OutputOff ? 7 : in.FilterChoice));
  return b;
}

SettingsPacketBytes SettingsPacket(const SettingBytes& b) { return {0x0E, 0x05, 0x04, b[0], b[1], b[2], b[3]}; }

std::uint8_t ChooseFilter(const FilterInput& in) {
  std::uint8_t filter = in.Current;
  const double f = in.Frequency;
  switch (in.Shape) {
    case kShapeSine:
    case kShapeTriangle:
      filter = 7;
      if (in.RangeCode == 8) {
        if (f > 50) filter = 6;
        if (f > 150) filter = 5;
        if (f > 300) filter = 3;
        if (f > 400) filter = 2;
        if (f > 500) filter = 1;
      }
      break;
    case kShapeSinc:
      filter = in.RangeCode == 8 ? 1 : in.RangeCode == 7 ? 6 : 7;
      break;
    case kShapeSquare:
      filter = 0;
      break;
    case kShapeLibrary:
      filter = in.RangeCode == 8 ? 0 : 7;
      break;
    case kShapeDc:
      filter = 7;
      break;
    default:
      break;
  }
  if (in.BodeSweepRunning) filter = 1;
  return filter;
}

std::uint8_t SweepFilter(double startHz, double stopHz) {
  const double f = std::max(startHz, stopHz);
  std::uint8_t filter = 7;
  if (f >= 50000) filter = 6;
  if (f >= 150000) filter = 5;
  if (f >= 300000) filter = 4;
  if (f >= 500000) filter = 2;
  if (f >= 700000) filter = 1;
  return filter;
}

FrequencyFields ComputeFrequencyFields(const FrequencyInput& in) {
  FrequencyFields out;
  const bool sweep = in.Shape == kShapeSweep;
  const bool halfClock = in.FilterChoice > 5;
  const double clock = halfClock ? 6.25e6 : 12.5e6;
  const double hz = sweep ? in.SweepStartHz : FrequencyHz(in.RangeCode, in.Frequency);
  out.FrequencyWord = WholeUnsigned(kTwoPow44 / clock * hz) & kLow48Bits;

  if (sweep) {
    double m = 1048576.0;  // 2^20
    if (in.Log) m = in.SweepStopHz > in.SweepStartHz ? 32768.0 : 4194304.0;
    double increment = kTwoPow44 / clock * (in.SweepStopHz - in.SweepStartHz) * m / (in.SweepTime * 10000);
    if (halfClock) increment *= 2;
    increment = std::fabs(increment);
    if (increment < 1) increment = 1;
    out.SweepIncrement = WholeUnsigned(increment);

    const double ticks = halfClock ? in.SweepTime * 10000 / 2 : in.SweepTime * 10000;
    std::int64_t length = numeric::Round(ticks);
    if (in.Log) length /= 8;
    out.SweepLength = static_cast<std::uint32_t>(std::clamp<std::int64_t>(length, 0, 0xFFFFFFFF));
  } else {
    out.SweepLength = in.Shape == kShapeNoise ? 0 : 100000;
  }

  if (in.Shape == kShapeNoise) {
    out.Mode = 1;
  } else {
    out.Mode = static_cast<std::uint8_t>((in.Log ? 2 : 0) | (in.SweepStopHz < in.SweepStartHz ? 4 : 0));
  }
  return out;
}

FrequencyPacketBytes FrequencyPacket(const FrequencyFields& f) {
  FrequencyPacketBytes p{};
  p[0] = 0x0E;
  p[1] = 0x02;
  p[2] = 0x13;
  PutLittleEndian(p, 3, f.SweepIncrement, 8);
  PutLittleEndian(p, 11, f.FrequencyWord, 6);
  PutLittleEndian(p, 17, f.SweepLength, 4);
  p[21] = f.Mode;
  return p;
}

}  // namespace generator
