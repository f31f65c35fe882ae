// TImage: shows a picture (a TBitmap) that the program draws on.
//
// The picture takes the control's size when the control is created and
// whenever SetBounds resizes it (its top-left part is kept, new pixels are
// white). Drawing on Canvas() changes only the picture: call Repaint() or
// Invalidate() to show it (cheap: the widget paints the parts of the picture
// drawing changed since, when the event loop runs). Mouse events and clicks come in picture
// coordinates.
#pragma once

#include <memory>

#include "platform/ui/canvas.h"
#include "platform/ui/control.h"

class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TBitmap* Picture() const { return picture_.get(); }
  TCanvas* Canvas() const { return picture_->Canvas(); }
  // Show the picture scaled to the control instead of at its own size.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  void Invalidate() override;
  // Gives the picture's pixels back while no one can see it (TBitmap::Pack):
  // true when it did.
  bool PackIfUnseen();

 protected:
  QWidget* MakeWidget() override;
  void Resized() override;
  QPoint ToClient(QPoint widgetPos) const override;

 private:
  std::unique_ptr<TBitmap> picture_;
  bool stretch_ = false;
};
