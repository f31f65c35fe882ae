// The recorder's print preview.
#pragma once

#include "io/print_preview_window.h"

class TPreviewForm_rec : public PrintPreviewWindow {
 public:
  explicit TPreviewForm_rec(TComponent* owner);
  const TBitmap* SourcePicture() const override;
};

inline TPreviewForm_rec* PreviewForm_rec = nullptr;
