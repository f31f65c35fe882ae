// The scope's print preview (scope or Big Screen picture, measurement table).
#pragma once

#include "platform/ui/forms.h"

class TPreviewForm : public TForm {
 public:
  explicit TPreviewForm(TComponent* owner) : TForm(owner) {
    SetCaption("Print Preview");
    SetWidth(620);
    SetHeight(552);
  }
};

inline TPreviewForm* PreviewForm = nullptr;
