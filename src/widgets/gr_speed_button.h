// TGrSpeedButton: the program's skinned push button. A speed button whose
// face is drawn from a strip of picture cells, one per visual state
// (0 up, 1 disabled, 2 down, 3 mouse over), with one colour of the strip
// standing for the button face, and which lights up under the mouse.
//
// The strips are drawn in code (MakeButtonStrip), never loaded from files.
#pragma once

#include <memory>

#include <QImage>

#include "platform/ui/buttons.h"
#include "platform/ui/canvas.h"

// Size of one cell of the default strip (the strip holds four side by side).
constexpr int kButtonCellWidth = 105;
constexpr int kButtonCellHeight = 21;
// Face colour of the default strip: a light blue-grey.
constexpr TColor kButtonBaseColor = 0xDCD4CC;

// Draws a four-cell state strip (up, disabled, down, mouse over), each cell
// cellWidth x cellHeight, with faces shaded from `base`. The cell corners are
// painted in `transparent` so that the window's face colour shows through
// them; no other pixel takes that colour.
std::unique_ptr<TBitmap> MakeButtonStrip(int cellWidth, int cellHeight, TColor base,
                                         TColor transparent = clRed);

class TGrSpeedButton : public TSpeedButton {
 public:
  // Takes the default strip (four cells of 105 x 21) and its size.
  explicit TGrSpeedButton(TComponent* owner);
  ~TGrSpeedButton() override;

  TColor TransparentColor() const { return transparent_color_; }
  void SetTransparentColor(TColor c);

  // The mouse is over the enabled, visible button.
  bool Hover() const { return hover_; }
  // The strip cell the face shows now: disabled 1; down (or held down) 2;
  // under the mouse 3; else 0. A cell the strip does not have becomes 0.
  int StateIndex() const;

  // The face: the state's cell with the transparent colour replaced by the
  // face colour, stretched over rect; then the caption.
  void Paint(QPainter& painter, const QRect& rect) override;

 protected:
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseLeave() override;

 private:
  void SetHover(bool v);
  // The state's cell with the transparent colour replaced, in work_.
  void ComposeCell(int index);

  TColor transparent_color_ = clRed;
  // What work_ was composed from: the strip's picture, the cell, the colour.
  struct WorkKey {
    qint64 strip = 0;
    int index = -1;
    TColor transparent = 0;
    bool operator==(const WorkKey&) const = default;
  };
  QImage work_;
  WorkKey work_key_;
  bool hover_ = false;
};
