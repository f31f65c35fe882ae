// The small picture of the generator's output on the generator panel: grid,
// centre line and the wave as the output table and the panel state give it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/ui/canvas.h"

namespace generator {

struct PreviewInput {
  std::int32_t Shape = 0;
  bool OutputOff = true;
  std::uint8_t AttenuatorRange = 1;
  std::uint8_t OffsetDac = 127;
  std::int32_t DutyCycle = 50;
  bool PeakOffset = false;
};

inline constexpr TColor kPreviewGridColor = 0x808080;
inline constexpr TColor kPreviewWaveColor = 0xFF0000;  // blue

// Draws the whole picture (w x h pixels) on `canvas` from the output table.
void DrawPreview(TCanvas& canvas, int w, int h, const PreviewInput& in, std::span<const std::int32_t> table);
// The same in two steps: the wave's points (none while the output is off),
// then the whole picture with the wave through them.
std::vector<TPoint> PreviewWave(int w, int h, const PreviewInput& in, std::span<const std::int32_t> table);
void DrawPreviewWave(TCanvas& canvas, int w, int h, const std::vector<TPoint>& wave);

// The wave editor's picture: the same grid and centre line in a black frame
// and, unless the table is empty, two periods of the editor preview table
// (entries around 127) as a blue line.
void DrawEditorPreview(TCanvas& canvas, int w, int h, std::span<const std::int32_t> table);

}  // namespace generator
