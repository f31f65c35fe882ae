// A small dialog created at start-up with the others; nothing uses it yet.
#pragma once

#include "platform/ui/forms.h"

class TOKBottomDlg1 : public TForm {
 public:
  explicit TOKBottomDlg1(TComponent* owner) : TForm(owner) {}
};

inline TOKBottomDlg1* OKBottomDlg1 = nullptr;
