// A window created at start-up with the others; nothing uses it yet.
#pragma once

#include "platform/ui/forms.h"

class TForm9 : public TForm {
 public:
  explicit TForm9(TComponent* owner) : TForm(owner) {}
};

inline TForm9* Form9 = nullptr;
