// The Bode plotter window: sweep parameters, plot picture, markers and menus.
#pragma once

#include <array>

#include "platform/ui/vcl.h"

class TBode_plot : public TForm {
 public:
  explicit TBode_plot(TComponent* owner) : TForm(owner) {
    SetCaption("Bode Plotter");
  }

  // The CH1 volts/div mirror, least to most sensitive (nullptr until made).
  TRadioButton* RadioButton13 = nullptr;
  TRadioButton* RadioButton14 = nullptr;
  TRadioButton* RadioButton15 = nullptr;
  TRadioButton* RadioButton16 = nullptr;
  TRadioButton* RadioButton17 = nullptr;
  TRadioButton* RadioButton18 = nullptr;
  std::array<TRadioButton*, 6> RangeRadios() const {
    return {RadioButton13, RadioButton14, RadioButton15, RadioButton16, RadioButton17, RadioButton18};
  }

  // Full redraw of the plot from its data table (none is drawn while the table is empty).
  void draw() {}
};

inline TBode_plot* Bode_plot = nullptr;
