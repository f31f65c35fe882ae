// A second scope print preview; no menu shows it. Its "Print" prints the
// scope picture.
#pragma once

#include "io/print_preview_window.h"

class TPreview_1Form : public PrintPreviewWindow {
 public:
  explicit TPreview_1Form(TComponent* owner);
  const TBitmap* SourcePicture() const override;
};

inline TPreview_1Form* Preview_1Form = nullptr;
