// The generator's hardware dialog.
#include "generator/hardware_dialog.h"

#include "generator/generator_state.h"
#include "widgets/control_maker.h"

TBtnBottomDlg_fgen::TBtnBottomDlg_fgen(TComponent* owner, generator::GeneratorSharedState& state)
    : TForm(owner), GeneratorState(state) {
  SetCaption("Function Generator");
  SetBorderStyle(bsDialog);
  SetClientWidth(260);
  SetClientHeight(124);
  ControlMaker make(this);
  Panel1 = make.Panel(this, "Panel1", 8, 8, 244, 74);
  Panel1->SetBevelOuter(bvLowered);
  make.Label(Panel1, "Label1", "LPT Port Communication Speed", 8, 6);
  RadioButton1 = make.Radio(Panel1, "RadioButton1", "Normal", 16, 26, 100);
  RadioButton2 = make.Radio(Panel1, "RadioButton2", "Slow", 16, 48, 100);
  RadioButton1->SetChecked(true);
  OKBtn = make.Add<TButton>(this, "OKBtn", 92, 90, 76, 25, "OK");
  OKBtn->SetModalResult(mrOk);
  SetDefaultButton(OKBtn);
  RadioButton1->OnClick = [this](TObject* s) { RadioButton1Click(s); };
  RadioButton2->OnClick = [this](TObject* s) { RadioButton2Click(s); };
}

void TBtnBottomDlg_fgen::RadioButton1Click(TObject* /*Sender*/) { GeneratorState.LptSpeedSlow = 0; }

void TBtnBottomDlg_fgen::RadioButton2Click(TObject* /*Sender*/) { GeneratorState.LptSpeedSlow = 1; }
