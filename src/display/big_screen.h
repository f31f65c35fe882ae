// The Big Screen: the scope picture enlarged, drawn by twins of the main
// window's drawing operations.
#pragma once

#include "platform/ui/vcl.h"

class TForm10 : public TForm {
 public:
  explicit TForm10(TComponent* owner) : TForm(owner) {
    SetCaption("Oscilloscope");
  }

  // The history and horizontal position bars under Image10 (nullptr until
  // made), and the calibrating panel, made the first time a calibration runs.
  TScrollBar* ScrollBar1 = nullptr;
  TScrollBar* ScrollBar2 = nullptr;
  TPanel* CalibratingPanel = nullptr;
  TLabel* CalibratingLabel = nullptr;
  TLabel* CalibrationProgressLabel = nullptr;

  // Twins of the main window's picture cycle for Image10, run while this
  // window shows; they draw nothing while the Big Screen is hidden.
  void putsataanko() {}
  void poisto() {}
  void piirrot() {}
};

inline TForm10* Form10 = nullptr;
