// Dragging a marker line with the mouse on any scope picture: the line goes
// solid while it moves and dotted where it is dropped. Written against a
// view, so the main picture and the Big Screen share it; each window keeps
// its own drag state and prints its own read-outs.
#pragma once

#include <cstdint>

#include "display/scope_view.h"
#include "platform/ui/types.h"

namespace display {

struct MarkerDrag {
  std::uint8_t Active = 0;
  std::int32_t Kind = 0;  // 1 / 2 first / second vertical line, 3 / 4 first / second horizontal line
  std::int32_t LineX = 0;
  std::int32_t LineY = 0;
};

// Which marker a drag step or a drop moved: the window prints that read-out.
enum class MarkerMove { None, Time, Volt, Freq, Level };

// The pens of the lines: the horizontal ones in the shown channel's pen, the
// vertical ones in the time-marker pen; the canvas's brush is left in the
// background colour.
struct MarkerPens {
  TColor Horizontal = 0;
  TColor Vertical = 0;
  TColor Background = 0;
};

// dso_down: picks the scope marker nearest to (x, y) and turns its line solid.
void BeginScopeDrag(ScopeView& view, MarkerDrag& drag, int x, int y, const MarkerPens& pens);
// fft_down: the same for the frequency marker and the two level markers;
// freqShown says whether the frequency line is on the picture (it is taken
// off while it moves).
void BeginSpectrumDrag(ScopeView& view, MarkerDrag& drag, int x, int y, const MarkerPens& pens,
                       std::uint8_t& freqShown);
// The pointer moved: the solid line follows it inside the grid and the
// marker takes the new place (the frequency marker its bin too).
// A spectrum's bins are counted from displayStart, zoom bins to a pair of pixels.
MarkerMove DragMarkerTo(ScopeView& view, MarkerDrag& drag, int x, int y, bool spectrum, std::int32_t displayStart,
                        std::uint16_t zoom, const MarkerPens& pens, std::uint16_t& freqBin);
// dso_up / fft_up: the line goes dotted at its last place, which the marker keeps.
MarkerMove DropMarker(ScopeView& view, MarkerDrag& drag, bool spectrum, std::int32_t displayStart, std::uint16_t zoom,
                      const MarkerPens& pens, std::uint8_t& freqShown, std::uint16_t& freqBin);

// Prints the read-out of the marker a drag step or a drop moved, with the
// window's own read-out methods.
template <class Window>
void ShowMovedReadout(Window& window, MarkerMove move) {
  switch (move) {
    case MarkerMove::Time: window.kursoriaika(); break;
    case MarkerMove::Volt: window.kursorivoltit(); break;
    case MarkerMove::Freq: window.kursoritaajuus(); break;
    case MarkerMove::Level: window.kursoridb(); break;
    case MarkerMove::None: break;
  }
}

}  // namespace display
