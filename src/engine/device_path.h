// Finds the device path for the fallback USB back end.
#pragma once

#include "platform/ui/forms.h"

class TForm_path : public TForm {
 public:
  explicit TForm_path(TComponent* owner) : TForm(owner) {}
};

inline TForm_path* Form_path = nullptr;
