// The generator's hardware dialog: the "LPT Port Communication Speed" choice,
// kept in the generator settings file.
#pragma once

#include "platform/ui/vcl.h"

namespace generator {
struct GeneratorSharedState;
}

class TBtnBottomDlg_fgen : public TForm {
 public:
  TBtnBottomDlg_fgen(TComponent* owner, generator::GeneratorSharedState& state);
  // The generator state this window reads and sets.
  generator::GeneratorSharedState& GeneratorState;

  TPanel* Panel1 = nullptr;              // "LPT Port Communication Speed"
  TRadioButton* RadioButton1 = nullptr;  // "Normal"
  TRadioButton* RadioButton2 = nullptr;  // "Slow"
  TButton* OKBtn = nullptr;

  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
};

inline TBtnBottomDlg_fgen* BtnBottomDlg_fgen = nullptr;
