// Containers: panels and group boxes, on which other controls are placed.
#pragma once

#include "platform/ui/control.h"

class QPainter;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A plain area with a bevel and an optional centred caption.
class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut b);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut b);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

  // Draws the bevels and the caption (the widget's paint).
  void PaintFace(QPainter& painter);

 protected:
  QWidget* MakeWidget() override;
  void ApplyCaption() override { Invalidate(); }
  void ApplyFont() override;

 private:
  TBevelCut bevel_outer_ = bvRaised;
  TBevelCut bevel_inner_ = bvNone;
  TAlignment alignment_ = taCenter;
};

// A framed area with its caption in the frame.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  QWidget* MakeWidget() override;
  void ApplyCaption() override;
};
