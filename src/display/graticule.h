// The graticule, the trigger-level tick, the dotted marker lines and the
// texts around the grid, written once against a view so that the main
// picture and the Big Screen draw them with the same code. Ticks and marker
// lines use the not-xor pen: drawing one twice removes it again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/scope_view.h"
#include "platform/ui/image.h"
#include "platform/ui/types.h"

namespace display {

inline constexpr int kDivisionWidth = 50;   // pixels per horizontal division on every view
inline constexpr int kCentreTickStep = 10;  // sub-division ticks on the centre line

// ---- Colours of the trigger items for a source (16 CH1, 0 CH2, 1 external).
// The not-xor pen of the level and position ticks.
TColor TriggerPenColor(const ColorTable& colors, std::uint8_t source);

// The markers of a new session, just inside the corner (x0, y0) of the main
// picture's graticule.
void PlaceDefaultMarkers(const MarkerPlaces& markers, int x0, int y0);
// The plain colour of the status label while the trigger is on; an inverted
// CH2 on show is shown in the second math colour.
TColor TriggerLabelColor(const ColorTable& colors, std::uint8_t source, bool invertedCh2);
// The trigger takes CH2 from the inverted math trace.
bool InvertedCh2Source(const PictureSettings& s);
// The voltage and level markers belong to CH1 while it is shown, else to CH2.
TColor ShownChannelPen(const ColorTable& colors, bool ch1On);

// ---- Static layer (the picture must have been wiped): background, grid
// lines, centre and edge ticks and frame in the grid colours, copy mode.
// The XY layout is the 8 x 8 square of the XY figure inside the outer frame.
// The colours: background, grid lines, frame.
struct GraticuleColors {
  TColor Background, Grid, Frame;
  static GraticuleColors Of(const ColorTable& colors);
};
void DrawGraticule(ScopeView& view, bool xyLayout, const GraticuleColors& colors);
// Rows (from Y0) of the short ticks across the horizontal centre line, end
// exclusive: five pixels just round the centre on the main picture, the
// same place at the doubled scale on the Big Screen.
struct TickRows {
  int top, bottom;
};
TickRows CentreTickRows(const ScopeView& view);
// Columns of the sub-division ticks across the horizontal centre line of the
// normal layout, left to right: every 10 pixels from X0, none on the right edge.
std::vector<int> CentreTickColumns(const ScopeView& view);

// Offsets of the edge ticks inside one 64-pixel group: pairs 6 apart, the
// pairs 13 apart, the group stepping back one pixel at its end.
inline constexpr int kEdgeTickOffsets[10] = {0, 6, 13, 19, 26, 32, 39, 45, 52, 58};

// ---- Not-xor items.
// t_viiva: two 5-pixel lines at the left grid edge just under level L
// (0 = top); mirrored for an inverted CH2 source.
void DrawTriggerLevelTick(ScopeView& view, int level, bool mirrored, TColor pen);
// The marker lines leave the canvas's brush in the background colour given.
// kursorit: the two horizontal voltage-marker lines and the two vertical
// time-marker lines that are placed (at or below Y0, at or right of X0).
void DrawScopeMarkerLines(ScopeView& view, TColor voltPen, TColor timePen, TColor background);
// One marker line, dotted (at rest) or solid (while dragged): vertical at x
// from Y0 + 1 to MarkerLimitY, or horizontal at y from X0 + 1 to MarkerLimitX.
void DrawMarkerLine(ScopeView& view, bool vertical, int at, TColor pen, bool dotted, TColor background);
// fft_kursorit: the two horizontal level-marker lines that are placed.
void DrawLevelMarkerLines(ScopeView& view, TColor pen, TColor background);
// The pixel of spectrum point `bin` (zoom points per 2 pixels from
// displayStart), or -1 when it lies outside the grid.
int FreqMarkerPixel(const ScopeView& view, int bin, std::int32_t displayStart, std::uint16_t zoom);
// The dotted vertical frequency-marker line at x.
void DrawFreqMarkerLine(ScopeView& view, int x, TColor pen);

// ---- Texts. A text is printed with the canvas's brush behind it, so the
// same text printed in the background colour takes it off again.
void PrintText(ScopeView& view, const std::string& text, int x, int y, TColor color);
// The face of every text on the scope pictures: 10 pixels of the sans face,
// narrow enough that each label ends before the next field begins (the
// parameter list's values 70 pixels right of their labels, the read-outs and
// captions at their fixed places).
void UsePictureFont(TCanvas* c);
// Texts the main window keeps to itself: any text holding "dBV", "dV", "dt"
// or "f" (the marker read-outs, which the Big Screen prints from its own
// markers, and with them the digital-view notice).
bool IsMarkerReadout(const std::string& text);
// The span label of a spectrum time base (TimePerDiv in 10 ns units), or
// nullptr for a time base that has none.
const char* SpanLabel(std::int32_t timePerDiv);

// ---- Marker read-outs of a view, from its own markers into its own read-out
// texts, printed on its bottom line (the old text taken off first).
// kursoriaika: "dt" and "1/dt" of the time markers.
void ShowTimeReadout(ScopeView& view, const PictureSettings& s);
// kursorivoltit: "dV" and the marker levels of the shown channel.
void ShowVoltReadout(ScopeView& view, const PictureSettings& s);
// kursoritaajuus: "f" of the frequency marker at spectrum point `bin`.
void ShowFreqReadout(ScopeView& view, const PictureSettings& s, int bin);
// kursoridb: the level markers' "V" or "dV".
void ShowLevelReadout(ScopeView& view, const PictureSettings& s);
// The colour of the read-outs of the shown channel.
TColor ShownChannelColor(const PictureSettings& s);

// Prints one text of a view: (text, x, y, colour).
using TextPrinter = std::function<void(const std::string&, int, int, TColor)>;
// tekstit: every label and read-out of the current view, in its colour.
void PrintLabels(const ScopeView& view, const PictureSettings& s, const TextPrinter& print);
// tekstit_pois: every stored text of the current view again in the background colour.
void EraseLabels(const ScopeView& view, const PictureSettings& s, const TextPrinter& print);

// DoGrid of a window: the graticule of its view, then the window's own
// not-xor items and texts on it (trigger ticks, ground markers, marker lines,
// labels), as the main window and the Big Screen both rebuild a picture.
template <class Window>
void RebuildGridItems(Window& window, ScopeView& view, bool xyLayout, bool spectrum, bool triggerTick,
                      const GraticuleColors& colors) {
  DrawGraticule(view, xyLayout, colors);
  if (triggerTick) window.t_viiva();
  window.y_viivat();
  if (view.Image) {
    view.Image->Canvas()->Pen.Width = 1;
    view.Image->Canvas()->Font.Size = 8;
  }
  if (spectrum) {
    window.fft_viiva_on();
    window.fft_kursorit();
  } else {
    // A wipe has forgotten the tick; the graticule brings it back once.
    if (!view.LineDrawn) {
      window.viiva();
      view.LineDrawn = 1;
    }
    window.kursorit();
  }
  window.tekstit();
  if (view.Image) view.Image->Invalidate();
}

}  // namespace display
