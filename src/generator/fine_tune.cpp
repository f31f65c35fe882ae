// "Fine Tune": the amplitude and square-wave offset trims, sent at "Apply".
#include "generator/fine_tune.h"

#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "widgets/control_maker.h"

TForm8::TForm8(TComponent* owner, generator::GeneratorSharedState& state)
    : TForm(owner), GeneratorState(state) {
  SetCaption("Fine Tune");
  SetBorderStyle(bsDialog);
  SetClientWidth(300);
  SetClientHeight(218);
  ControlMaker make(this);

  TGroupBox* amplitude = make.Group(this, "GroupBox1", "Amplitude", 8, 8, 284, 86);
  TrackBar1 = make.Bar(amplitude, "TrackBar1", trHorizontal, 8, 18, 190, 32, 0, 8, GeneratorState.GainTrim);
  make.Label(amplitude, "Label1", "-5%", 12, 56);
  make.Label(amplitude, "Label2", "+5%", 170, 56);
  Button1 = make.Add<TButton>(amplitude, "Button1", 206, 22, 68, 25, "Apply");

  TGroupBox* offset = make.Group(this, "GroupBox2", "Square Wave Offset", 8, 100, 284, 86);
  TrackBar2 = make.Bar(offset, "TrackBar2", trHorizontal, 8, 18, 190, 32, 0, 6, GeneratorState.OffsetTrim + 3);
  make.Label(offset, "Label3", "-120mV", 8, 56);
  make.Label(offset, "Label4", "+120mV", 156, 56);
  Button2 = make.Add<TButton>(offset, "Button2", 206, 22, 68, 25, "Apply");

  Button3 = make.Add<TButton>(this, "Button3", 214, 190, 78, 25, "Close");
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  Button3->OnClick = [this](TObject* s) { Button3Click(s); };
}

void TForm8::Button1Click(TObject* /*Sender*/) {
  GeneratorState.GainTrim = TrackBar1->Position();
  if (Form1_fgen) Form1_fgen->SendOutputAndWait();
}

void TForm8::Button2Click(TObject* /*Sender*/) {
  GeneratorState.OffsetTrim = TrackBar2->Position() - 3;
  if (Form1_fgen) Form1_fgen->SendOutputAndWait();
}

void TForm8::Button3Click(TObject* /*Sender*/) { Close(); }
