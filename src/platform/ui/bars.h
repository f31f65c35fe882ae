// Track bars, scroll bars and progress bars.
//
// Track and scroll bars run OnChange whenever Position really changes, from
// code or from the user, and never when it stays the same. Position is kept
// within Min..Max; changing Min or Max moves Position into the new range
// (and runs OnChange when it moved). Setting Min above Max raises Max with it
// (and Max below Min lowers Min), so the two can be set in either order.
#pragma once

#include "platform/ui/control.h"

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };

// Shared range logic of the two sliders.
class TRangeControl : public TWinControl {
 public:
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);
  void SetParams(int position, int min, int max);

  TNotifyEvent OnChange;

 protected:
  TRangeControl(TComponent* owner, int max);
  // Shows range and position on the widget.
  virtual void ShowRange() = 0;
  // The user moved the widget to v.
  void UserMoved(int v);

  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
};

// A slider. A vertical track bar has Min at the top, as the window code expects.
class TTrackBar : public TRangeControl {
 public:
  explicit TTrackBar(TComponent* owner);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation o);
  int Frequency() const { return frequency_; }
  void SetFrequency(int f);
  TTickStyle TickStyle() const { return tick_style_; }
  void SetTickStyle(TTickStyle s);
  TTickMark TickMarks() const { return tick_marks_; }
  void SetTickMarks(TTickMark m);
  int LineSize() const { return line_size_; }
  void SetLineSize(int v);
  int PageSize() const { return page_size_; }
  void SetPageSize(int v);

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;
  void ShowRange() override;

 private:
  void ShowTicks();
  TTrackBarOrientation orientation_ = trHorizontal;
  int frequency_ = 1;
  TTickStyle tick_style_ = tsAuto;
  TTickMark tick_marks_ = tmBottomRight;
  int line_size_ = 1;
  int page_size_ = 2;
};

class TScrollBar : public TRangeControl {
 public:
  explicit TScrollBar(TComponent* owner);
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind k);
  int SmallChange() const { return small_change_; }
  void SetSmallChange(int v);
  int LargeChange() const { return large_change_; }
  void SetLargeChange(int v);

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override { ShowRange(); }
  void ShowRange() override;

 private:
  TScrollBarKind kind_ = sbHorizontal;
  int small_change_ = 1;
  int large_change_ = 1;
};

// Progress display only: no events. Position is kept within Min..Max.
class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { step_ = v; }
  // Advances Position by Step, starting again at Min once past Max.
  void StepIt();
  // Advances Position by delta, kept within Min..Max.
  void StepBy(int delta);

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override { ShowRange(); }

 private:
  void ShowRange();
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 10;
};
