// Ground-level markers on any view, and the main window's y1_viiva, y2_viiva
// and y_viivat.
#include "display/ground_markers.h"


#include "display/big_screen.h"
#include "engine/calibration.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"
#include "display/display_state.h"

namespace display {

namespace {

const char* const kCommunicationErrorText = "Communication error. Calibration failed.";

bool InvertedCh2Shown() { return engine::ScopeState.InvertCh2Mode && !engine::ScopeState.MathOff; }

}  // namespace

void DrawGroundGlyph(ScopeView& view, int channel, int level, TColor pen) {
  if (!view.Image) return;
  const int x0 = view.X0;
  const int l = view.Y0 + view.VScale * level;
  TCanvas* c = view.Image->Canvas();
  const TPen saved = c->Pen;
  c->Pen.Color = pen;
  c->Pen.Mode = pmNotXor;
  c->Pen.Style = psSolid;
  c->Pen.Width = 1;
  if (channel == 1) {
    const TPoint one[] = {{x0 - 9, l - 2}, {x0 - 8, l - 3}, {x0 - 8, l + 4}};
    c->Polyline(one, 3);
  } else {
    const TPoint two[] = {{x0 - 6, l - 2}, {x0 - 5, l - 3}, {x0 - 4, l - 3}, {x0 - 3, l - 2},
                          {x0 - 3, l},     {x0 - 6, l + 3}, {x0 - 2, l + 3}};
    c->Polyline(two, 7);
  }
  c->Pen = saved;
  view.Image->Invalidate();
}

GroundMarkerOutcome PlaceGroundMarker(ScopeView& view, int channel) {
  using namespace engine;
  using namespace display;
  const bool ch1 = channel == 1;
  if (ScopeState.SpectrumMode || !(ch1 ? ScopeState.Ch1On : ScopeState.Ch2On)) return GroundMarkerOutcome::NotShown;
  // The inverted CH2 trace is mirrored about mid-screen, and so is its ground.
  const bool mirrored = !ch1 && InvertedCh2Shown();

  GroundMarkerOutcome outcome = GroundMarkerOutcome::Placed;
  std::int32_t level = 0;
  std::int32_t drawnAt = 0;
  if (ScopeState.DemoMode) {
    // The demo signals sit two codes per bar step from mid-screen; only the
    // glyph of an inverted CH2 is mirrored, the level stays as the demo made it.
    level = (ch1 ? ScopeState.Ch1Position : ScopeState.Ch2Position) * 2 + 128;
    drawnAt = mirrored ? 255 - level : level;
  } else {
    const GroundLevelLine line = ChannelGroundLevelFit(channel);
    if (line.Valid) {
      level = GroundLevelAt(line, ch1 ? ScopeState.Ch1OffsetDac : ScopeState.Ch2OffsetDac);
      if (mirrored) level = 255 - level;
      (ch1 ? ScopeState.Ch1MarkerLevel : ScopeState.Ch2MarkerLevel) = level;
    } else {
      outcome = GroundMarkerOutcome::NoCalibration;
    }
    drawnAt = level;
  }
  (ch1 ? ScopeState.Ch1GroundLevel : ScopeState.Ch2GroundLevel) = level;
  DrawGroundGlyph(view, channel, drawnAt, ch1 ? DisplayState.Ch1PenColor : DisplayState.Ch2PenColor);
  return outcome;
}

}  // namespace display

// ---------------------------------------------------------------- the main window

void TForm1::y1_viiva() {
  display::PlaceGroundMarker(MainView, 1);
  if (TForm10* big = ShownBigScreen()) big->y1_viiva();
}

void TForm1::y2_viiva() {
  display::PlaceGroundMarker(MainView, 2);
  if (TForm10* big = ShownBigScreen()) big->y2_viiva();
}

void TForm1::y_viivat() {
  const display::GroundMarkerOutcome ch1 = display::PlaceGroundMarker(MainView, 1);
  display::PlaceGroundMarker(MainView, 2);
  if (TForm10* big = ShownBigScreen()) big->y_viivat();
  if (ch1 == display::GroundMarkerOutcome::NoCalibration) PostCalibrationNotice();
}

void TForm1::PostCalibrationNotice() {
  // The rebuild that found the record unusable runs inside a handler, often
  // in the middle of the picture cycle: the warning waits until that is
  // over, and rebuilds meanwhile do not stack more warnings behind it.
  if (CalibrationNoticePending) return;
  const bool posted = PostToMessageLoop(this, [this] {
    CalibrationNoticePending = 0;
    MessageDlgPos(display::kCommunicationErrorText, mtWarning, mbOK, 0, Left() + 200, Top() + 200);
  });
  if (posted) CalibrationNoticePending = 1;
}
