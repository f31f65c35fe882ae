// ControlMaker: builds the controls of a window with the program's look.
// Every window and panel uses it, so buttons of one size and symbol share one
// strip and a control comes out named, parented and placed in one call.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

// A symbol drawn into one cell of a button strip, (x0, 0) its top-left corner.
using SymbolPainter = void (*)(TCanvas& canvas, int x0, int w, int h);

// The strip of a skinned button with a symbol in each of its four cells: black,
// grey on the disabled cell, one pixel lower right on the pressed one.
std::unique_ptr<TBitmap> MakeSymbolStrip(int w, int h, SymbolPainter symbol);

class ControlMaker {
 public:
  static constexpr int kButtonHeight = 21;

  explicit ControlMaker(TForm* owner) : owner_(owner) {}

  TGrSpeedButton* Button(TWinControl* parent, const std::string& name, const std::string& caption, int group,
                         int l, int t, int w, int h = kButtonHeight, SymbolPainter symbol = nullptr);
  TGroupBox* Group(TWinControl* parent, const std::string& name, const std::string& caption, int l, int t, int w,
                   int h);
  TLabel* Label(TWinControl* parent, const std::string& name, const std::string& caption, int l, int t);
  TTrackBar* Bar(TWinControl* parent, const std::string& name, TTrackBarOrientation o, int l, int t, int w, int h,
                 int min, int max, int position);
  TImage* Image(TWinControl* parent, const std::string& name, int l, int t, int w, int h);
  TEdit* Edit(TWinControl* parent, const std::string& name, const std::string& text, int l, int t, int w);
  TPanel* Panel(TWinControl* parent, const std::string& name, int l, int t, int w, int h);
  TRadioButton* Radio(TWinControl* parent, const std::string& name, const std::string& caption, int l, int t,
                      int w, TNotifyEvent handler = nullptr);
  TCheckBox* Check(TWinControl* parent, const std::string& name, const std::string& caption, int l, int t, int w,
                   TNotifyEvent handler = nullptr);
  TMemo* Memo(TWinControl* parent, const std::string& name, int l, int t, int w, int h);
  // A drop-down list to pick from (no typing).
  TComboBox* List(TWinControl* parent, const std::string& name, int l, int t, int w, TNotifyEvent onChange = nullptr);
  // A menu item left for the caller to place.
  TMenuItem* Item(const std::string& name, const std::string& caption);
  // A menu item added under `parent`; "-" makes a separator.
  TMenuItem* Item(TMenuItem* parent, const std::string& name, const std::string& caption,
                  TNotifyEvent handler = nullptr);
  // A stopped timer; the window starts it when its time comes.
  TTimer* Timer(const std::string& name, unsigned interval, TNotifyEvent handler);
  // A push button, or another control without a maker of its own: named,
  // parented, placed, and captioned when it takes a caption.
  template <class T>
  T* Add(TWinControl* parent, const std::string& name, int l, int t, int w, int h,
         const std::string& caption = std::string()) {
    auto* c = new T(owner_);
    c->Name = name;
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    if constexpr (requires { c->SetCaption(caption); }) c->SetCaption(caption);
    return c;
  }

 private:
  TForm* owner_;
};
