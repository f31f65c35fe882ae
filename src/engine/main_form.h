// The main oscilloscope window: the scope picture Image1 and, beside it, the
// front panel. Its methods are spread over engine/ (start-up, device,
// acquisition, controls), display/ (drawing, analysis) and io/ (files, export).
#pragma once

#include "platform/ui/vcl.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);

  // Size of the scope picture; the graticule of 650 x 256 pixels sits in its middle.
  static constexpr int kImage1Width = 700;
  static constexpr int kImage1Height = 298;

  TImage* Image1;
  TSpeedButton* SpeedButtonRun;     // continuous captures while down
  TSpeedButton* SpeedButtonSingle;  // one capture per press

  void FormCreate(TObject* Sender);
};

inline TForm1* Form1 = nullptr;
