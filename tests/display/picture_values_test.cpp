// Pictures drawn from the values they are given alone: the traces in the
// pens of the colour table passed in, the persistence counts in the stores
// of the view that drew them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "display/persistence_drawing.h"
#include "display/scope_view.h"
#include "platform/ui/vcl.h"

namespace {

constexpr TColor kBackground = 0x202020;

display::ColorTable Colors() {
  display::ColorTable c;
  c.BackgroundColor = kBackground;
  c.Ch1Color = 0x0000F0;
  c.Ch2Color = 0x00F000;
  c.Math1Color = 0xF00000;
  c.Ch1PenColor = display::NotXorPen(c.Ch1Color, kBackground);
  c.Ch2PenColor = display::NotXorPen(c.Ch2Color, kBackground);
  c.Math1PenColor = display::NotXorPen(c.Math1Color, kBackground);
  c.BrightGridPenColor = 0x808080;
  return c;
}

int PixelsOf(TImage* image, TColor colour) {
  int n = 0;
  for (int y = 0; y < image->Height(); ++y)
    for (int x = 0; x < image->Width(); ++x) n += image->Canvas()->Pixels(x, y) == colour;
  return n;
}

TEST(PictureFromValues, TracesTakeThePensOfTheColourTableGiven) {
  struct Row {
    const char* name;
    std::uint8_t ch1On, ch2On, sum;
    TColor shown;  // a line across the grid in this colour
    TColor absent;
  };
  const display::ColorTable colors = Colors();
  const Row rows[] = {
      {"CH1", 1, 0, 0, colors.Ch1Color, colors.Ch2Color},
      {"CH2", 0, 1, 0, colors.Ch2Color, colors.Math1Color},
      // The math trace takes the math pen in the CH2 pen's place.
      {"CH1+CH2", 0, 0, 1, colors.Math1Color, colors.Ch2Color},
  };
  std::array<std::int32_t, display::kSampleBlockEntries> samples{};
  samples.fill(100);
  for (const Row& r : rows) {
    TForm form(nullptr);
    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetBounds(0, 0, 700, 298);
    display::ScopeView view = display::MainScopeView(image, 25, 20, 280, 675, 276, {}, {});
    display::PictureSettings s;
    s.Samples = display::SampleBlockView(samples);
    s.AcquisitionIdle = 0;
    s.Magnification = 4.0;  // one point per pixel, the window inside the record
    s.Channels[0].On = r.ch1On;
    s.Channels[1].On = r.ch2On;
    s.MathOff = r.sum ? 0 : 1;
    s.Ch1PlusCh2Mode = r.sum;
    s.TriggerSource = r.ch2On ? 0 : 16;
    s.Colors = colors;
    display::WipePicture(view, kBackground);
    display::DrawTraces(view, s);
    EXPECT_GE(PixelsOf(image, r.shown), view.GridWidth) << r.name;
    EXPECT_EQ(PixelsOf(image, r.absent), 0) << r.name;
    EXPECT_EQ(image->Canvas()->Pixels(5, 5), kBackground) << r.name;
  }
}

TEST(PictureFromValues, PersistenceCountsBelongToTheViewNotToItsImage) {
  TForm form(nullptr);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(0, 0, 1000, 560);
  std::vector<TPoint> line;
  for (int x = 30; x < 70; ++x) line.push_back({x, 100});
  const display::PictureSettings s;
  {
    display::ScopeView first = display::BigScopeView(image, {});
    display::PersistenceStoresOf(first).AddGraded(first, s, 0, line.data(), static_cast<int>(line.size()));
    ASSERT_EQ(display::PersistenceStoresOf(first).Hits(0, 40, 100), 1);
    // A copy of the view draws on the same picture and counts with it.
    display::ScopeView copy = first;
    EXPECT_EQ(display::PersistenceStoresOf(copy).Hits(0, 40, 100), 1);
  }
  // A picture made anew on the same image starts without counts.
  display::ScopeView next = display::BigScopeView(image, {});
  EXPECT_EQ(display::PersistenceStoresOf(next).Hits(0, 40, 100), 0);
}

}  // namespace
