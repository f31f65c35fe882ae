// The waveform preview's pixels: grid only with the output off, the trace's
// height by attenuator range, its place by the offset, the square's duty.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "generator/generator_state.h"
#include "generator/preview.h"
#include "generator/synthesis.h"

namespace {

using namespace generator;

constexpr int kW = 200, kH = 128;

struct Extent {
  int top = kH, bottom = -1, count = 0;
};

Extent BlueExtent(const TBitmap& bitmap, int fromX = 0, int toX = kW) {
  Extent e;
  const QImage& image = bitmap.Image();
  for (int y = 0; y < image.height(); ++y)
    for (int x = fromX; x < toX; ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == 0x0000FF) {
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
        ++e.count;
      }
  return e;
}

Extent Draw(const PreviewInput& in, const std::vector<std::int32_t>& table, TBitmap& bitmap) {
  DrawPreview(*bitmap.Canvas(), kW, kH, in, table);
  return BlueExtent(bitmap);
}

std::vector<std::int32_t> SineOutput() {
  std::vector<std::int32_t> out(kTableEntries);
  ShapeOutput(SineTable(), {kShapeSine, 0.86, 7, 5, 1}, out);
  return out;
}

TEST(GeneratorPreview, OutputOffShowsOnlyGridFrameAndCentreLine) {
  TBitmap bitmap(kW, kH);
  const Extent e = Draw({kShapeSine, true, 7, 127, 50, false}, SineOutput(), bitmap);
  EXPECT_EQ(e.count, 0);
  const QImage& image = bitmap.Image();
  EXPECT_EQ(image.pixel(5, 16) & 0xFFFFFF, 0x808080u);   // grid line
  EXPECT_EQ(image.pixel(20, 5) & 0xFFFFFF, 0x808080u);   // grid column
  EXPECT_EQ(image.pixel(5, 64) & 0xFFFFFF, 0x000000u);   // centre line
  EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);    // white between
  EXPECT_EQ(image.pixel(kW - 1, 5) & 0xFFFFFF, 0x808080u);  // frame
}

TEST(GeneratorPreview, HeightFollowsTheRangeAndPlaceTheOffset) {
  const std::vector<std::int32_t> sine = SineOutput();
  struct Row {
    const char* what;
    std::uint8_t range;
    std::uint8_t offset;
    int top, bottom;  // expected extent of the trace, within 2 pixels
  } rows[] = {
      {"10 Vpp range, 0 V", 7, 127, 32, 96},
      {"10 Vpp range, +5 V", 7, 254, 0, 64},
      {"smallest range is 64 times flatter", 1, 127, 63, 65},
  };
  for (const Row& r : rows) {
    TBitmap bitmap(kW, kH);
    const Extent e = Draw({kShapeSine, false, r.range, r.offset, 50, false}, sine, bitmap);
    EXPECT_NEAR(e.top, r.top, 2) << r.what;
    EXPECT_NEAR(e.bottom, r.bottom, 2) << r.what;
  }
}

TEST(GeneratorPreview, SquareIsHighForItsDuty) {
  std::vector<std::int32_t> square(kTableEntries);
  ShapeOutput(SquareTable(25), {kShapeSquare, 0.86, 7, 5, 1}, square);
  TBitmap bitmap(kW, kH);
  Draw({kShapeSquare, false, 7, 127, 25, false}, square, bitmap);
  // High over the first quarter of each period (x 1..25 of 100), low after.
  const Extent high = BlueExtent(bitmap, 5, 20);
  const Extent low = BlueExtent(bitmap, 40, 90);
  EXPECT_LT(high.bottom, 40);
  EXPECT_GT(low.top, 88);
}

}  // namespace
