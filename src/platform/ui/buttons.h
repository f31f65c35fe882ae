// Buttons: the speed button (with its down state and groups), the plain push
// button, check boxes and radio buttons.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/control.h"

class QPainter;
class QRect;
class TBitmap;

// bsUp: raised; bsDisabled; bsDown: held by the mouse (or down, ungrouped);
// bsExclusive: down in a group.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// A flat-faced button that may stay down.
//
// Down state: GroupIndex 0 buttons never stay down. SetDown(true) on a
// grouped button releases the other buttons with the same GroupIndex on the
// same parent and runs no handler; SetDown(false) is refused for the down
// button of a group that does not AllowAllUp. A group shares AllowAllUp.
//
// Click() is the user's click: ungrouped, OnClick only; grouped and up, the
// button goes down (partners released); grouped and down, it goes up when
// AllowAllUp, else stays down; then OnClick. A left press and release over
// the widget does the same.
//
// Painting is overridable: derive and replace Paint(); State() and
// MouseInControl() give the face to draw, MouseEnter()/MouseLeave() tell when
// the mouse comes and goes.
class TSpeedButton : public TControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  bool Down() const { return down_; }
  void SetDown(bool v);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int g);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  // The face picture: NumGlyphs cells side by side (up, disabled, clicked,
  // down). The button owns it; change it in place and call Invalidate(), or
  // use SetGlyph to copy one in.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap& picture);
  // A face of w x h pixels that `draw` makes when the button is first
  // painted or its glyph read (see TBitmap::DrawWhenUsed).
  void SetGlyphWhenUsed(int w, int h, std::function<void(TBitmap&)> draw);
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int n);

  TButtonState State() const;
  void Click() override;

  // Draws the whole face into rect (the widget's rectangle).
  virtual void Paint(QPainter& painter, const QRect& rect);

 protected:
  QWidget* MakeWidget() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void ApplyCaption() override { Invalidate(); }
  void ApplyFont() override;
  // Draws the caption centred in rect, greyed when disabled.
  void PaintCaption(QPainter& painter, const QRect& rect);

 private:
  // Brings the group in line with this button: partners go up when this one
  // is down, and all share AllowAllUp.
  void UpdateExclusive();

  bool down_ = false;
  bool pressed_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;
  bool flat_ = false;
  int num_glyphs_ = 1;
  std::unique_ptr<TBitmap> glyph_;
};

// A push button. Click() (the user's click) sets the form's ModalResult to
// the button's ModalResult when that is not 0, then runs OnClick.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  void Click() override;
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int r) { modal_result_ = r; }

 protected:
  QWidget* MakeWidget() override;
  void ApplyCaption() override;

 private:
  int modal_result_ = 0;
};

// A check box. Checked changed from code runs OnClick as a user click does
// (as the handlers expect); setting the same value runs nothing. Click() is
// the user's click: it toggles Checked (and so runs OnClick once).
class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  void Click() override;

 protected:
  QWidget* MakeWidget() override;
  void ApplyCaption() override;
  void ShowOwnState() override { ShowState(); }

 private:
  void ShowState();
  bool checked_ = false;
};

// A radio button; the radio buttons on one parent are exclusive. Checking one
// (from code or by the user) unchecks its siblings and runs its OnClick;
// unchecking runs nothing. Click() is the user's click: it checks the button.
class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  void Click() override;

 protected:
  QWidget* MakeWidget() override;
  void ApplyCaption() override;
  void ShowOwnState() override { ShowState(); }

 private:
  void ShowState();
  bool checked_ = false;
};
