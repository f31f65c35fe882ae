// Dragging marker lines on a view; see marker_drag.h.
#include "display/marker_drag.h"

#include <algorithm>

#include "display/graticule.h"
#include "display/marker_readouts.h"

namespace display {

namespace {

bool Vertical(int kind) { return kind == 1 || kind == 2; }

TColor PenOf(const MarkerPens& pens, bool vertical) { return vertical ? pens.Vertical : pens.Horizontal; }

std::int32_t* MarkerOf(const ScopeView& view, int kind, bool spectrum) {
  const MarkerPlaces& m = view.Markers;
  if (spectrum) return kind == 1 ? m.FreqMarker1X : kind == 3 ? m.LevelMarker1Y : m.LevelMarker2Y;
  switch (kind) {
    case 1: return m.TimeMarker1X;
    case 2: return m.TimeMarker2X;
    case 3: return m.VoltMarker1Y;
    default: return m.VoltMarker2Y;
  }
}

std::uint16_t BinAt(const ScopeView& view, int x, std::int32_t displayStart, std::uint16_t zoom) {
  return static_cast<std::uint16_t>(std::clamp(FreqMarkerBinAt(x, view.X0, displayStart, zoom), 0, 65535));
}

}  // namespace

void BeginScopeDrag(ScopeView& view, MarkerDrag& drag, int x, int y, const MarkerPens& pens) {
  const MarkerPlaces& m = view.Markers;
  drag.Active = 1;
  drag.Kind = PickMarker(x, y, ReadPlace(m.TimeMarker1X), ReadPlace(m.TimeMarker2X), ReadPlace(m.VoltMarker1Y), ReadPlace(m.VoltMarker2Y));
  const bool vertical = Vertical(drag.Kind);
  const int at = ReadPlace(MarkerOf(view, drag.Kind, false));
  (vertical ? drag.LineX : drag.LineY) = at;
  if (at < (vertical ? view.X0 : view.Y0)) return;  // not placed: the drag pulls it in
  DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), true, pens.Background);
  DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), false, pens.Background);
}

void BeginSpectrumDrag(ScopeView& view, MarkerDrag& drag, int x, int y, const MarkerPens& pens,
                       std::uint8_t& freqShown) {
  const MarkerPlaces& m = view.Markers;
  const int kind = PickSpectrumMarker(x, y, ReadPlace(m.FreqMarker1X), ReadPlace(m.LevelMarker1Y), ReadPlace(m.LevelMarker2Y));
  if (kind == 0) return;
  drag.Active = 1;
  drag.Kind = kind;
  const bool vertical = kind == 1;
  const int at = ReadPlace(MarkerOf(view, kind, true));
  (vertical ? drag.LineX : drag.LineY) = at;
  if (at < (vertical ? view.X0 : view.Y0)) return;
  // The frequency line is on the picture only while it is shown.
  if (!vertical || freqShown) DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), true, pens.Background);
  if (vertical) freqShown = 0;
  DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), false, pens.Background);
}

MarkerMove DragMarkerTo(ScopeView& view, MarkerDrag& drag, int x, int y, bool spectrum, std::int32_t displayStart,
                        std::uint16_t zoom, const MarkerPens& pens, std::uint16_t& freqBin) {
  const bool vertical = Vertical(drag.Kind);
  const TColor pen = PenOf(pens, vertical);
  if (vertical) {
    if (x == drag.LineX) return MarkerMove::None;
    if (drag.LineX >= view.X0) DrawMarkerLine(view, true, drag.LineX, pen, false, pens.Background);
    drag.LineX = std::clamp(x, view.X0, view.X0 + view.GridWidth);
    DrawMarkerLine(view, true, drag.LineX, pen, false, pens.Background);
    WritePlace(MarkerOf(view, drag.Kind, spectrum), drag.LineX);
    if (!spectrum) return MarkerMove::Time;
    freqBin = BinAt(view, drag.LineX, displayStart, zoom);
    return MarkerMove::Freq;
  }
  if (y == drag.LineY) return MarkerMove::None;
  if (drag.LineY >= view.Y0) DrawMarkerLine(view, false, drag.LineY, pen, false, pens.Background);
  drag.LineY = std::clamp(y, view.Y0, view.Y0 + 256 * view.VScale);
  DrawMarkerLine(view, false, drag.LineY, pen, false, pens.Background);
  WritePlace(MarkerOf(view, drag.Kind, spectrum), drag.LineY);
  return spectrum ? MarkerMove::Level : MarkerMove::Volt;
}

MarkerMove DropMarker(ScopeView& view, MarkerDrag& drag, bool spectrum, std::int32_t displayStart, std::uint16_t zoom,
                      const MarkerPens& pens, std::uint8_t& freqShown, std::uint16_t& freqBin) {
  drag.Active = 0;
  const bool vertical = Vertical(drag.Kind);
  const int at = vertical ? drag.LineX : drag.LineY;
  const bool placed = at >= (vertical ? view.X0 : view.Y0);
  if (placed) {
    DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), false, pens.Background);
    DrawMarkerLine(view, vertical, at, PenOf(pens, vertical), true, pens.Background);
  }
  WritePlace(MarkerOf(view, drag.Kind, spectrum), at);
  if (!spectrum) return MarkerMove::None;
  if (drag.Kind != 1) return MarkerMove::None;
  freqShown = placed ? 1 : 0;
  freqBin = BinAt(view, at, displayStart, zoom);
  return MarkerMove::Freq;
}

}  // namespace display
