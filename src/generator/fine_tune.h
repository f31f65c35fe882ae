// The generator's "Fine Tune" window (amplitude and square-wave offset trims).
#pragma once

#include "platform/ui/vcl.h"

namespace generator {
struct GeneratorSharedState;
}

class TForm8 : public TForm {
 public:
  TForm8(TComponent* owner, generator::GeneratorSharedState& state);
  // The generator state this window reads and sets.
  generator::GeneratorSharedState& GeneratorState;

  TTrackBar* TrackBar1 = nullptr;  // amplitude trim 0..8 ("-5%" .. "+5%")
  TTrackBar* TrackBar2 = nullptr;  // square-wave offset trim 0..6 ("-120mV" .. "+120mV")
  TButton* Button1 = nullptr;      // "Apply" (amplitude)
  TButton* Button2 = nullptr;      // "Apply" (offset)
  TButton* Button3 = nullptr;      // "Close"

  // Each takes its slider's trim and sends the generator output again.
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
};

inline TForm8* Form8 = nullptr;
