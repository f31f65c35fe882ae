// The wave editor for library waveform files, with a two-cycle preview.
#pragma once

#include "platform/ui/forms.h"

class TWave_editor1 : public TForm {
 public:
  explicit TWave_editor1(TComponent* owner) : TForm(owner) {
    SetCaption("Wave Editor");
  }
};

inline TWave_editor1* Wave_editor1 = nullptr;
