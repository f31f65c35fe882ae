// The Bode plotter window: sweep parameters, plot picture, markers and menus.
#pragma once

#include "platform/ui/forms.h"

class TBode_plot : public TForm {
 public:
  explicit TBode_plot(TComponent* owner) : TForm(owner) {
    SetCaption("Bode Plotter");
  }

  // Full redraw of the plot from its data table (none is drawn while the table is empty).
  void draw() {}
};

inline TBode_plot* Bode_plot = nullptr;
