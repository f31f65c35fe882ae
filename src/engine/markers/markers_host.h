// What the main window gives its markers and measurements: their View items,
// and the picture cycle and screen texts they redraw with.
#pragma once

#include <string>

#include "platform/ui/vcl.h"

namespace engine::markers {

// View "Markers (DSO) ", "RMS Value" and "Waveform Parameters..."; nullptr until built.
struct MarkerControls {
  TMenuItem* Markers1 = nullptr;
  TMenuItem* RMSCalculation1 = nullptr;
  TMenuItem* MoreData1 = nullptr;
};

class MarkersHost {
 public:
  virtual void putsataanko() = 0;
  virtual void piirrot() = 0;
  virtual void TulostaTeksti(const std::string& text, int x, int y, TColor color) = 0;

 protected:
  ~MarkersHost() = default;
};

}  // namespace engine::markers
