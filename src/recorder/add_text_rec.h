// The recorder's "Add Text" window: a free text placed on the recorder picture.
#pragma once

#include <string>
#include <vector>

#include "display/note_window.h"

namespace display {
struct DisplaySharedState;
}
namespace recorder {
struct RecorderSharedState;
}

class Tform_9rec : public TNoteWindow {
 public:
  // The annotation's place and flags are kept in the recorder's `state`; it
  // is written in the time marker colour of the scope's `display`.
  Tform_9rec(TComponent* owner, recorder::RecorderSharedState& state, const display::DisplaySharedState& display);
  // Writes the annotation on the recorder picture when it is shown.
  void note();
  // Takes an annotation read from a data file: shown at the next redraw.
  void TakeAnnotation(const std::vector<std::string>& lines);
  // Removes a shown annotation from the picture.
  void RemoveAnnotation();

 protected:
  void Redraw() override;

 private:
  recorder::RecorderSharedState& RecorderState;
  const display::DisplaySharedState& DisplayState;
};

inline Tform_9rec* Form_9rec = nullptr;
