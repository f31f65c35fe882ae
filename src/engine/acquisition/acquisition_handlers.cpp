// The acquisition's building and binding, and the acquisition's methods the
// other instruments and windows call on the main window, each handing on to
// the acquisition controller.
#include "engine/acquisition/acquisition_controller.h"
#include "engine/main_form.h"

void TForm1::CreateAcquisitionControls() {
  acquisition_ = std::make_unique<engine::acquisition::AcquisitionController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, device_,
      static_cast<FrontPanelControls&>(*this),
      engine::acquisition::AcquisitionControls{*this, *Fasttimer1, *Fasttimer2, *Timer2, *Timer4, *Timer6,
                                               Timer6Fired, *LoadingPanel, MarkersFFTSpectralDensity1});
  engine::acquisition::AcquisitionController* acquisition = acquisition_.get();
  SpeedButtonRun->OnClick = [acquisition](TObject* s) { acquisition->SpeedButtonRunClick(s); };
  SpeedButtonSingle->OnClick = [acquisition](TObject* s) { acquisition->SpeedButtonSingleClick(s); };
}

engine::acquisition::AcquisitionController* engine::acquisition::MainAcquisition() {
  return Form1 ? &Form1->Acquisition() : nullptr;
}

// Called by the other instruments and windows.
void TForm1::SpeedButtonRunClick(TObject* s) { Acquisition().SpeedButtonRunClick(s); }
void TForm1::SingleClick() { Acquisition().SingleClick(); }
bool TForm1::SingleClick0() { return Acquisition().SingleClick0(); }
void TForm1::SetStatusText(const std::string& text) { Acquisition().SetStatusText(text); }
void TForm1::WaitOneTimer6Tick() { Acquisition().WaitOneTimer6Tick(); }
void TForm1::StopAndSettle() { Acquisition().StopAndSettle(); }
