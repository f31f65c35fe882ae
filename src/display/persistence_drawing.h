// Persistence drawing on any scope picture (the main picture and the Big
// Screen each keep their own stores): the colour-graded mode counts how
// often each pixel was hit by the last traces and colours it by that count;
// the variable mode keeps the last traces and repaints them in fading
// colours, oldest first. The trace drawing calls them with the point list of
// the trace just plotted (DrawCh1LineImage1 / DrawCh2LineImage1 and
// DrawCh1HistoryLineImage1 / DrawCh2HistoryLineImage1 of both pictures).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "display/picture_settings.h"
#include "platform/ui/canvas.h"

class TImage;

namespace display {

struct ScopeView;

inline constexpr int kPersistRingSlots = 256;
inline constexpr int kPersistRingPoints = 1000;

// The stores of one picture, per channel (0 CH1, 1 CH2): the hit count of
// every pixel (PersistHitCounts, [x][y]), the point lists of the last traces
// (PersistTraceRing) and the slot the next trace fills (PersistRingIndex).
// Sized once for the picture; nothing is allocated per trace.
class PersistenceStores {
 public:
  PersistenceStores(int columns, int rows);
  PersistenceStores(const PersistenceStores&) = delete;
  PersistenceStores& operator=(const PersistenceStores&) = delete;

  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  // 0 for a pixel outside the stores.
  std::int32_t Hits(int channel, int x, int y) const;
  std::int32_t RingIndex(int channel) const { return ch_[Index(channel)].RingIndex; }
  // Every count and trace gone, the ring positions back at 0.
  void Clear();

  // The drawing steps, on the picture's pixels.
  void AddGraded(const ScopeView& view, const PictureSettings& s, int channel, const TPoint* points, int count);
  void AddVariable(const ScopeView& view, const PictureSettings& s, int channel, const TPoint* points, int count);

 private:
  struct Channel {
    std::int32_t* Hits = nullptr;  // columns x rows, [x][y], in block_
    std::vector<TPoint> Ring;  // kPersistRingSlots x kPersistRingPoints
    std::array<std::int32_t, kPersistRingSlots> Counts{};
    std::int32_t RingIndex = 0;
  };
  static std::size_t Index(int channel) { return channel == 1 ? 1 : 0; }
  // Walks the used points of a list (5 .. count - 5), joined or as dots,
  // each pixel of the stores once however often the list passes it, in the
  // order passed, as runs of rows of one column: f(x, fromY, toY).
  template <class F>
  void Walk(const TPoint* points, int count, bool joined, F&& f);
  // Copies the list into the slot PersistRingIndex, which then advances in the ring of mask + 1.
  void Store(Channel& c, const TPoint* points, int count, std::int32_t mask);

  int columns_, rows_;
  std::size_t pixels_;
  std::array<Channel, 2> ch_;
  // The counts of both channels and then the marks below, in one block of
  // memory in large pages: a walk scatters over the picture, and with small
  // pages nearly every column it passes needs an address translation of its own.
  struct FreeBlock {
    std::size_t bytes;
    void operator()(void* p) const;
  };
  std::unique_ptr<void, FreeBlock> block_;
  // The walk that last passed each pixel, one byte each so that the marks
  // stay in the processor's caches (they are cleared when the count wraps).
  std::uint8_t* visited_ = nullptr;
  std::uint8_t walk_ = 0;
};

// The stores of one picture; its view (and the view's copies) hold it.
class PersistencePicture {
 public:
  std::unique_ptr<PersistenceStores> Stores;  // none until first drawn into
};

// The stores of the view's picture, made the first time they are asked for
// and made anew when the picture's size has changed.
PersistenceStores& PersistenceStoresOf(ScopeView& view);
// Clears the stores of the view's picture ("Persist" pressed in modes 2 and 3).
void ClearPersistenceStores(ScopeView& view);

// The grid test of a restored pixel: on the graticule of the view's layout
// (division lines, and the centre-line ticks), and so the grid colour there,
// the background elsewhere; in the XY display always the background.
bool OnPersistGraticule(const ScopeView& view, int x, int y);
TColor RestoredPixelColor(const ScopeView& view, const PictureSettings& s, int x, int y);

// The legend of the two ramps: up to 201 blocks of 2 x 4 pixels, 3 apart,
// from X0 + xOffset; CH1's 3 to 6 pixels above the grid, CH2's 13 to 16
// pixels under the bottom text line.
void DrawPersistenceLegend(ScopeView& view, int xOffset, const PersistenceLook& look);

}  // namespace display
