// Ground-level markers of the scope pictures, and the main window's y1_viiva,
// y2_viiva and y_viivat.
#include "engine/ground_levels.h"

#include "display/display_state.h"
#include "display/ground_markers.h"
#include "engine/big_screen.h"
#include "engine/calibration.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"

namespace engine {

namespace {

const char* const kCalibrationFailedText = "Communication error. Calibration failed.";

}  // namespace

GroundMarkerOutcome PlaceGroundMarker(const WithScopeStates& states, display::ScopeView& view, int channel) {
  const GroundMark mark = FindGroundMarker(states, channel);
  if (mark.Outcome != GroundMarkerOutcome::NotShown) display::DrawGroundGlyph(view, channel, mark.DrawnAt, mark.Pen);
  return mark.Outcome;
}

GroundMark FindGroundMarker(const WithScopeStates& states, int channel) {
  const bool ch1 = channel == 1;
  const ScopeChannelSettings& settings = states.ScopeState.Settings.Channel(channel);
  ScopeChannelState& state = states.ScopeState.Channel(channel);
  if (states.ScopeState.SpectrumMode || !settings.On) return {};
  // The inverted CH2 trace is mirrored about mid-screen, and so is its ground.
  const bool mirrored = !ch1 && states.ScopeState.InvertCh2Mode && !states.ScopeState.MathOff;

  GroundMarkerOutcome outcome = GroundMarkerOutcome::Placed;
  std::int32_t level = 0;
  std::int32_t drawnAt = 0;
  if (states.ScopeState.DemoMode) {
    // The demo signals sit two codes per bar step from mid-screen; only the
    // glyph of an inverted CH2 is mirrored, the level stays as the demo made it.
    level = settings.Position * 2 + 128;
    drawnAt = mirrored ? 255 - level : level;
  } else {
    const GroundLevelLine line = ChannelGroundLevelFit(states.ScopeState, channel);
    if (line.Valid) {
      level = GroundLevelAt(line, state.OffsetDac);
      if (mirrored) level = 255 - level;
      state.MarkerLevel = level;
    } else {
      outcome = GroundMarkerOutcome::NoCalibration;
    }
    drawnAt = level;
  }
  state.GroundLevel = level;
  return {outcome, drawnAt, ch1 ? states.DisplayState.Ch1PenColor : states.DisplayState.Ch2PenColor};
}

}  // namespace engine

void TForm1::y1_viiva() {
  engine::PlaceGroundMarker(*this, MainView, 1);
  if (TForm10* big = ShownBigScreen()) big->y1_viiva();
}

void TForm1::y2_viiva() {
  engine::PlaceGroundMarker(*this, MainView, 2);
  if (TForm10* big = ShownBigScreen()) big->y2_viiva();
}

void TForm1::y_viivat() {
  const engine::GroundMarkerOutcome ch1 = engine::PlaceGroundMarker(*this, MainView, 1);
  engine::PlaceGroundMarker(*this, MainView, 2);
  if (TForm10* big = ShownBigScreen()) big->y_viivat();
  if (ch1 == engine::GroundMarkerOutcome::NoCalibration) PostCalibrationNotice();
}

void TForm1::PostCalibrationNotice() {
  // The rebuild that found the record unusable runs inside a handler, often
  // in the middle of the picture cycle: the warning waits until that is
  // over, and rebuilds meanwhile do not stack more warnings behind it.
  if (CalibrationNoticePending) return;
  const bool posted = PostToMessageLoop(this, [this] {
    CalibrationNoticePending = 0;
    MessageDlgPos(engine::kCalibrationFailedText, mtWarning, mbOK, 0, Left() + 200, Top() + 200);
  });
  if (posted) CalibrationNoticePending = 1;
}
