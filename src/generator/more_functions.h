// "More Functions": the generator shapes without a button of their own on
// the generator panel. Six toggle buttons of which at most one is down.
#pragma once

#include <array>
#include <optional>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace generator {
struct GeneratorSharedState;
}

class TBtnBottomDlg1_fgen : public TForm {
 public:
  TBtnBottomDlg1_fgen(TComponent* owner, generator::GeneratorSharedState& state);
  // The generator state this window reads and sets.
  generator::GeneratorSharedState& GeneratorState;

  TGrSpeedButton* SpeedButton1 = nullptr;  // sin(x)/x
  TGrSpeedButton* SpeedButton2 = nullptr;  // noise
  TGrSpeedButton* SpeedButton3 = nullptr;  // sweep
  TGrSpeedButton* SpeedButton4 = nullptr;  // library waveform
  TGrSpeedButton* SpeedButton5 = nullptr;  // +DC
  TGrSpeedButton* SpeedButton6 = nullptr;  // -DC
  TButton* CloseBtn = nullptr;

  std::array<TGrSpeedButton*, 6> ShapeButtons() const {
    return {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6};
  }
  // All six up, without running their handlers.
  void ReleaseAll();
  // The DC buttons are off while an offset mode is on.
  void EnableDcButtons(bool enabled);

  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void CloseBtnClick(TObject* Sender);

 private:
  enum class Function { Sinc, Noise, Sweep, Library, DcPlus, DcMinus };
  void FunctionClick(Function f);
  void Press(Function f);
  void Release(Function f);
  // The function switched on last, while its button is down.
  std::optional<Function> active_;
};

inline TBtnBottomDlg1_fgen* BtnBottomDlg1_fgen = nullptr;
