// The recorder's print preview.
#pragma once

#include "platform/ui/forms.h"

class TPreviewForm_rec : public TForm {
 public:
  explicit TPreviewForm_rec(TComponent* owner) : TForm(owner) {
    SetCaption("Print Preview");
    SetWidth(524);
    SetHeight(547);
  }
};

inline TPreviewForm_rec* PreviewForm_rec = nullptr;
