// Where the analysis controls sit on the main window and the twin panel, and
// their bindings: the main window's run its spectrum controller's handler of
// the same name, the twin's forward to that handler of the main window's.
#include <memory>

#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/spectrum/analysis_controls.h"
#include "engine/spectrum/spectrum_controller.h"

namespace {

using engine::spectrum::SpectrumController;
// A handler of the main window's spectrum controller, as the controls run it.
using SpectrumHandler = void (SpectrumController::*)(TObject*);

// Runs the main window's spectrum handler, if there is a main window.
void ForwardToSpectrum(SpectrumHandler handler) {
  if (Form1) (Form1->Spectrum().*handler)(Form1);
}

// The main window's same-named button takes the twin's state, then its handler runs.
void CopyThenForward(TGrSpeedButton* AnalysisControls::*button, SpectrumHandler handler) {
  if (!Form1 || !Form11) return;
  (static_cast<AnalysisControls*>(Form1)->*button)->SetDown((static_cast<AnalysisControls*>(Form11)->*button)->Down());
  (Form1->Spectrum().*handler)(Form1);
}

struct ButtonBinding {
  TGrSpeedButton* AnalysisControls::*Button;
  SpectrumHandler Handler;
};

constexpr ButtonBinding kButtons[] = {
    {&AnalysisControls::fft1, &SpectrumController::fft1Click},
    {&AnalysisControls::SpeedButtonLin, &SpectrumController::SpeedButtonLinClick},
    {&AnalysisControls::SpeedButtonLog, &SpectrumController::SpeedButtonLogClick},
    {&AnalysisControls::SpeedButtonZoom1, &SpectrumController::SpeedButtonZoom1Click},
    {&AnalysisControls::SpeedButtonZoom2, &SpectrumController::SpeedButtonZoom2Click},
    {&AnalysisControls::SpeedButtonZoom4, &SpectrumController::SpeedButtonZoom4Click},
    {&AnalysisControls::SpeedButtonZoom8, &SpectrumController::SpeedButtonZoom8Click},
};

struct PanelBinding {
  TGrSpeedButton* FrontPanelControls::*Button;
  SpectrumHandler Handler;
};

constexpr PanelBinding kPanelButtons[] = {
    {&FrontPanelControls::SpeedButton22, &SpectrumController::SpeedButton22Click},
    {&FrontPanelControls::SpeedButton21, &SpectrumController::SpeedButton21Click},
};

struct ItemBinding {
  TMenuItem* AnalysisControls::*Item;
  SpectrumHandler Handler;
};

constexpr ItemBinding kItems[] = {
    {&AnalysisControls::CH1CH21, &SpectrumController::CH1CH21Click},
    {&AnalysisControls::CH1CH22, &SpectrumController::CH1CH22Click},
    {&AnalysisControls::Multi, &SpectrumController::MultiClick},
    {&AnalysisControls::Divi, &SpectrumController::DiviClick},
    {&AnalysisControls::XYplot1, &SpectrumController::xyplot1Click},
    {&AnalysisControls::InvertCH21, &SpectrumController::InvertCH21Click},
    {&AnalysisControls::Rectangle1, &SpectrumController::Rectangle1Click},
    {&AnalysisControls::Bartlett1, &SpectrumController::Bartlett1Click},
    {&AnalysisControls::Hamming1, &SpectrumController::Hamming1Click},
    {&AnalysisControls::Hanning1, &SpectrumController::Hanning1Click},
    {&AnalysisControls::Blackman1, &SpectrumController::Blackman1Click},
    {&AnalysisControls::FlatTop1, &SpectrumController::FlatTop1Click},
    {&AnalysisControls::Maximum1, &SpectrumController::Maximum1Click},
    {&AnalysisControls::Average1, &SpectrumController::Average1Click},
    {&AnalysisControls::VectorAverage1, &SpectrumController::VectorAverage1Click},
    {&AnalysisControls::Off1, &SpectrumController::Off1Click},
    {&AnalysisControls::N21, &SpectrumController::N21Click},
    {&AnalysisControls::N41, &SpectrumController::N41Click},
    {&AnalysisControls::N81, &SpectrumController::N81Click},
    {&AnalysisControls::N161, &SpectrumController::N161Click},
    {&AnalysisControls::N321, &SpectrumController::N321Click},
    {&AnalysisControls::N641, &SpectrumController::N641Click},
    {&AnalysisControls::N1281, &SpectrumController::N1281Click},
};

}  // namespace

void TForm1::CreateAnalysisControls() {
  Options1 = OptionsMenu(this, MainMenu1);
  BuildAnalysisControls(this, this, Image1->Left(), ScrollBar2->Top() + ScrollBar2->Height() + 4, MainMenu1, Options1,
                        *this, *this);
  for (const ButtonBinding& b : kButtons) {
    const SpectrumHandler handler = b.Handler;
    (this->*b.Button)->OnClick = [this, handler](TObject* s) { (Spectrum().*handler)(s); };
  }
  for (const PanelBinding& b : kPanelButtons) {
    const SpectrumHandler handler = b.Handler;
    (this->*b.Button)->OnClick = [this, handler](TObject* s) { (Spectrum().*handler)(s); };
  }
  for (const ItemBinding& i : kItems) {
    const SpectrumHandler handler = i.Handler;
    (this->*i.Item)->OnClick = [this, handler](TObject* s) { (Spectrum().*handler)(s); };
  }
  Options1->OnClick = [this](TObject* s) { Spectrum().Options1Click(s); };
  spectrum_ = std::make_unique<engine::spectrum::SpectrumController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this, *this,
      engine::spectrum::SpectrumSideControls{*this, *Image1, *ScrollBar2, GrSpeedButton15, Markers1, RMSCalculation1,
                                             dBmValue1, MarkersFFT1, MarkersFFTdBf1, MarkersFFTSpectralDensity1});
}

void TForm11::CreateAnalysisControls() {
  TMenuItem* options = OptionsMenu(this, MainMenu1);
  BuildAnalysisControls(this, this, 8, kFrontPanelHeight + 14, MainMenu1, options, *this, *this);
  for (const ButtonBinding& b : kButtons) {
    TGrSpeedButton* AnalysisControls::*button = b.Button;
    const SpectrumHandler handler = b.Handler;
    (this->*button)->OnClick = [button, handler](TObject*) { CopyThenForward(button, handler); };
  }
  for (const PanelBinding& b : kPanelButtons) {
    TGrSpeedButton* FrontPanelControls::*button = b.Button;
    const SpectrumHandler handler = b.Handler;
    (this->*button)->OnClick = [button, handler](TObject*) {
      if (!Form1 || !Form11) return;
      (Form1->*button)->SetDown((Form11->*button)->Down());
      (Form1->Spectrum().*handler)(Form1);
    };
  }
  for (const ItemBinding& i : kItems) {
    const SpectrumHandler handler = i.Handler;
    (this->*i.Item)->OnClick = [handler](TObject*) { ForwardToSpectrum(handler); };
  }
  options->OnClick = [](TObject*) { ForwardToSpectrum(&SpectrumController::Options1Click); };
}

// ---------------------------------------------------------------- the main window's work, in its spectrum controller

void TForm1::FFT() { Spectrum().FFT(); }
void TForm1::FFT(const display::Capture& capture) { Spectrum().FFT(capture); }
void TForm1::LinToLog() { Spectrum().LinToLog(); }
void TForm1::fft1Click(TObject* s) { Spectrum().fft1Click(s); }
void TForm1::SpeedButton21Click(TObject* s) { Spectrum().SpeedButton21Click(s); }
void TForm1::SpeedButton22Click(TObject* s) { Spectrum().SpeedButton22Click(s); }
void TForm1::Off1Click(TObject* s) { Spectrum().Off1Click(s); }
