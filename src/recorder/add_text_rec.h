// The recorder's "Add Text" window: a free text placed on the recorder picture.
#pragma once

#include <string>
#include <vector>

#include "display/note_window.h"

class Tform_9rec : public TNoteWindow {
 public:
  explicit Tform_9rec(TComponent* owner);
  // Writes the annotation on the recorder picture when it is shown.
  void note();
  // Takes an annotation read from a data file: shown at the next redraw.
  void TakeAnnotation(const std::vector<std::string>& lines);
  // Removes a shown annotation from the picture.
  void RemoveAnnotation();

 protected:
  void Redraw() override;
};

inline Tform_9rec* Form_9rec = nullptr;
