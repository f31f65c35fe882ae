// The main window's acquisition handlers and the acquisition's methods other
// windows call, each handing on to the acquisition controller.
#include "engine/acquisition/acquisition_controller.h"
#include "engine/main_form.h"

void TForm1::CreateAcquisitionControls() {
  acquisition_ = std::make_unique<engine::acquisition::AcquisitionController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, device_,
      static_cast<FrontPanelControls&>(*this),
      engine::acquisition::AcquisitionControls{*this, *Fasttimer1, *Fasttimer2, *Timer2, *Timer4, *Timer6,
                                               Timer6Fired, *LoadingPanel, MarkersFFTSpectralDensity1});
  SpeedButtonRun->OnClick = [this](TObject* s) { SpeedButtonRunClick(s); };
  SpeedButtonSingle->OnClick = [this](TObject* s) { SpeedButtonSingleClick(s); };
}

// Run, Single and the ticks of their loops.
void TForm1::SpeedButtonRunClick(TObject* s) { Acquisition().SpeedButtonRunClick(s); }
void TForm1::FastTimer1Timer(TObject* s) { Acquisition().FastTimer1Timer(s); }
void TForm1::SpeedButtonSingleClick(TObject* s) { Acquisition().SpeedButtonSingleClick(s); }
void TForm1::FastTimer2Timer(TObject* s) { Acquisition().FastTimer2Timer(s); }
void TForm1::Timer2Timer(TObject* s) { Acquisition().Timer2Timer(s); }
void TForm1::Timer4Timer(TObject* s) { Acquisition().Timer4Timer(s); }
void TForm1::Timer6Timer(TObject* s) { Acquisition().Timer6Timer(s); }

// Captures, stops and the status text other windows and concerns ask for.
void TForm1::SingleClick() { Acquisition().SingleClick(); }
bool TForm1::SingleClick0() { return Acquisition().SingleClick0(); }
void TForm1::SetStatusText(const std::string& text) { Acquisition().SetStatusText(text); }
void TForm1::ReleaseRunAndSingle() { Acquisition().ReleaseRunAndSingle(); }
void TForm1::StopRunAndSingleLoops() { Acquisition().StopRunAndSingleLoops(); }
void TForm1::WaitOneTimer6Tick() { Acquisition().WaitOneTimer6Tick(); }
void TForm1::StopAndSettle() { Acquisition().StopAndSettle(); }
void TForm1::Power_on_off() { Acquisition().Power_on_off(); }
bool TForm1::PersistDown() const { return acquisition_->PersistDown(); }
bool TForm1::LinkLost() const { return acquisition_->LinkLost(); }

// Demo source.
void TForm1::tee_demo_taulut() { Acquisition().tee_demo_taulut(); }
void TForm1::tee_demo() { Acquisition().tee_demo(); }

// Device link.
void TForm1::test0() { Acquisition().test0(); }
void TForm1::test1() { Acquisition().test1(); }
void TForm1::test2() { Acquisition().test2(); }
void TForm1::QueryFirmwareVersion() { Acquisition().QueryFirmwareVersion(); }
