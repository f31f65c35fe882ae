// The twin panel's instrument buttons, "Normal Screen", its close and its
// menus: each item forwards to the main window's handler, whose check marks
// come back here.
#include "engine/big_screen.h"
#include "engine/measurement_window.h"
#include "engine/calibration.h"
#include "engine/control_panel.h"
#include "engine/instruments.h"
#include "engine/main_form.h"
#include "engine/markers/markers_controller.h"
#include "engine/scope_state.h"
#include "widgets/control_maker.h"

void ForwardToMain(MainHandler handler) {
  if (Form1) (Form1->*handler)(Form1);
}

void MirrorCheck(const TMenuItem* item, TMenuItem* TForm11::*twin) {
  if (Form11 && twin && Form11->*twin && item) (Form11->*twin)->SetChecked(item->Checked());
}

void TForm11::CreateMenusAndInstruments() {
  ControlMaker make(this);
  auto forward = [&](TMenuItem* parent, const char* name, const char* caption, MainHandler handler) {
    return make.Item(parent, name, caption, [handler](TObject*) { ForwardToMain(handler); });
  };

  // Under "Normal Screen" and "Logic Analyzer", inside the panel's design size.
  const engine::InstrumentButtons buttons =
      engine::MakeInstrumentButtons(make, this, GrSpeedButton1->Left(), Digi->Top() + Digi->Height() + 8, true);
  SpeedButton25 = buttons.FunctionGenerator;
  SpeedButton26 = buttons.CircuitAnalyzer;
  SpeedButton27 = buttons.TransientRecorder;
  SpeedButton25->OnClick = [](TObject*) { ForwardToMain(&TForm1::SpeedButton25Click); };
  SpeedButton26->OnClick = [this](TObject* s) { SpeedButton26Click(s); };
  SpeedButton27->OnClick = [this](TObject* s) { SpeedButton27Click(s); };
  Autoset1->OnClick = [](TObject*) { ForwardToMain(&TForm1::Autoset1Click); };
  Autoset2->OnClick = [](TObject*) { ForwardToMain(&TForm1::Autoset2Click); };

  Calibrate1 = make.Item(File1, "Calibrate1", "Calibrate", [this](TObject* s) { Calibrate1Click(s); });
  CalibrateExit1 = make.Item(File1, "CalibrateExit1", "Calibrate && Exit", [](TObject*) {
    if (Form1) Form1->Calibration().CalibrateExit1Click(Form1);
  });
  ExittoMenu1 = make.Item(File1, "ExittoMenu1", "Exit to Menu", [this](TObject* s) { ExittoMenu1Click(s); });

  View1 = make.Item("View1", "&View");
  MainMenu1->Items()->Add(View1);
  View1->OnClick = [this](TObject* s) { View1Click(s); };
  Markers1 = forward(View1, "Markers1", "Markers (DSO) ", &TForm1::Markers1Click);
  MarkersFFT1 = forward(View1, "MarkersFFT1", "Markers (FFT)  f && V", &TForm1::MarkersFFT1Click);
  MarkersFFTdBf1 = forward(View1, "MarkersFFTdBf1", "Markers (FFT)  f && dV", &TForm1::MarkersFFTdBf1Click);
  MarkersFFTSpectralDensity1 = forward(View1, "MarkersFFTSpectralDensity1",
                                       "Markers (FFT)  f && Spectral Density  dBV/sqrt(Hz)",
                                       &TForm1::MarkersFFTSpectralDensity1Click);
  MoreData1 = make.Item(View1, "MoreData1", "Waveform Parameters...", [](TObject*) {
    if (Form1) Form1->Markers().MoreData1Click(Form1);
  });
  BrightGrid1 = forward(View1, "BrightGrid1", "Bright Grid", &TForm1::BrightGrid1Click);
  RMSCalculation1 = make.Item(View1, "RMSCalculation1", "RMS Value", [](TObject*) {
    if (Form1) Form1->Markers().RMSCalculation1Click(Form1);
  });
  dBmValue1 = forward(View1, "dBmValue1", "dBm Value", &TForm1::dBmValue1Click);
  SampleRate1 = forward(View1, "SampleRate1", "Sample Rate", &TForm1::SampleRate1Click);
  DotJoin1 = forward(View1, "DotJoin1", "Dot Join", &TForm1::DotJoin1Click);
  // The same start as the main window's items.
  for (TMenuItem* m : {MarkersFFT1, MarkersFFTdBf1, MarkersFFTSpectralDensity1}) m->SetEnabled(false);
  if (Form1) {
    const std::pair<TMenuItem*, TMenuItem*> same[] = {{Markers1, Form1->Markers1},
                                                      {BrightGrid1, Form1->BrightGrid1},
                                                      {RMSCalculation1, Form1->RMSCalculation1},
                                                      {dBmValue1, Form1->dBmValue1},
                                                      {SampleRate1, Form1->SampleRate1},
                                                      {DotJoin1, Form1->DotJoin1}};
    for (const auto& [twin, main] : same)
      if (main) twin->SetChecked(main->Checked());
  }

  TMenuItem* options = FindComponentAs<TMenuItem>("Options1");
  Hardware1 = forward(options, "Hardware1", "Hardware Setup...", &TForm1::Hardware1Click);
  Colors1 = forward(options, "Colors1", "Colors...", &TForm1::Colors1Click);
  TMenuItem* trigger = make.Item(options, "TriggerOptions1", "Trigger Options");
  HFReject1 = forward(trigger, "HFReject1", "Noise Reject", &TForm1::HFReject1Click);
}

void TForm11::LeaveBigScreen() {
  if (Form10) Form10->Hide();
  Hide();
  if (Form1) Form1->Show();
}

void TForm11::GrSpeedButton1Click(TObject*) {
  LeaveBigScreen();
  ScopeState.BigScreenOn = 0;
  // The main window's button goes up too, so that the next press or Alt+B
  // opens the Big Screen again.
  if (Form1 && Form1->GrSpeedButton1) Form1->GrSpeedButton1->SetDown(false);
}

void TForm11::ExitClick(TObject*) {
  if (Form1) Form1->Close();
}

void TForm11::FormClose(TObject*, TCloseAction& Action) {
  // The panel stays; the main window's close ends the program.
  Action = caHide;
  if (Form1) Form1->Close();
}

void TForm11::SpeedButton26Click(TObject*) {
  LeaveBigScreen();
  ForwardToMain(&TForm1::SpeedButton26Click);
}

void TForm11::SpeedButton27Click(TObject*) {
  LeaveBigScreen();
  ForwardToMain(&TForm1::SpeedButton27Click);
}

void TForm11::View1Click(TObject*) {
  SampleRate1->SetEnabled(!ScopeState.SpectrumMode);
  if (Form_99) MoreData1->SetChecked(Form_99->Visible());
}

void TForm11::Calibrate1Click(TObject*) {
  if (!Form1) return;
  if (ScopeState.DemoMode) engine::TellCalibrationNeedsDevice();
  else Form1->Calibration().RunMenuCalibration(false);
}

void TForm11::ExittoMenu1Click(TObject*) {
  engine::StartMenuProgram(ScopeState.ProgramFolder);
  Close();
}
