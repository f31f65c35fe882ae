#include "recorder/print_preview_rec.h"

#include "recorder/recorder_form.h"

TPreviewForm_rec::TPreviewForm_rec(TComponent* owner)
    : PrintPreviewWindow(owner, Design{524, 547, 472, 10, 354, 64, 5, false, "Transient Recorder"}) {}

const TBitmap* TPreviewForm_rec::SourcePicture() const {
  return Form1_rec && Form1_rec->Image1 ? Form1_rec->Image1->Picture() : nullptr;
}
