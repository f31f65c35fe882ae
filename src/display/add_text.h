// The scope's "Add Text" window (annotation on the scope picture).
#pragma once

#include "platform/ui/forms.h"

class TForm_9 : public TForm {
 public:
  explicit TForm_9(TComponent* owner) : TForm(owner) {
    SetCaption("Add Text");
  }

  // Draw the annotation and the on-screen parameter list onto the picture;
  // nothing is drawn while neither has been placed.
  void note() {}
  void note_1() {}
};

inline TForm_9* Form_9 = nullptr;
