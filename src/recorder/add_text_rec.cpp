#include "recorder/add_text_rec.h"

#include "display/display_state.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

Tform_9rec::Tform_9rec(TComponent* owner, recorder::RecorderSharedState& state, const display::DisplaySharedState& display)
    : TNoteWindow(owner, "Form_9rec", state.RecNoteShown, state.RecNoteTransparent), RecorderState(state), DisplayState(display) {}

void Tform_9rec::Redraw() {
  if (!Form1_rec) return;
  Form1_rec->RecClearPending = 1;
  Form1_rec->putsataanko();
  Form1_rec->piirrot();
}

void Tform_9rec::TakeAnnotation(const std::vector<std::string>& lines) {
  TNoteWindow::TakeAnnotation(lines);
  if (Form1_rec) Form1_rec->RecClearPending = 1;
}

void Tform_9rec::RemoveAnnotation() {
  TNoteWindow::RemoveAnnotation();
  Redraw();
}

void Tform_9rec::note() {
  if (!RecorderState.RecNoteShown || !Form1_rec) return;
  WriteLines(Form1_rec->Image1->Canvas(), RecorderState.RecNoteX, RecorderState.RecNoteY, DisplayState.TimeMarkerColor,
             RecorderState.RecBackgroundColor);
  Form1_rec->Image1->Invalidate();
}
