// A second scope print preview; no menu shows it.
#pragma once

#include "platform/ui/forms.h"

class TPreview_1Form : public TForm {
 public:
  explicit TPreview_1Form(TComponent* owner) : TForm(owner) {
    SetCaption("Print Preview");
    SetWidth(622);
    SetHeight(549);
  }
};

inline TPreview_1Form* Preview_1Form = nullptr;
