// Where the analysis controls sit on the main window and the twin panel, and
// the handlers bound to them: the main window's, which hand the work to its
// spectrum controller, and the twin's forwards to them.
#include <memory>

#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/spectrum/analysis_controls.h"
#include "engine/spectrum/spectrum_controller.h"

namespace {

// The main window's same-named button takes the twin's state, then its handler runs.
void CopyThenForward(TGrSpeedButton* AnalysisControls::*button, MainHandler handler) {
  if (!Form1 || !Form11) return;
  (static_cast<AnalysisControls*>(Form1)->*button)->SetDown((static_cast<AnalysisControls*>(Form11)->*button)->Down());
  (Form1->*handler)(Form1);
}

struct ButtonBinding {
  TGrSpeedButton* AnalysisControls::*Button;
  MainHandler Handler;
};

constexpr ButtonBinding kButtons[] = {
    {&AnalysisControls::fft1, &TForm1::fft1Click},
    {&AnalysisControls::SpeedButtonLin, &TForm1::SpeedButtonLinClick},
    {&AnalysisControls::SpeedButtonLog, &TForm1::SpeedButtonLogClick},
    {&AnalysisControls::SpeedButtonZoom1, &TForm1::SpeedButtonZoom1Click},
    {&AnalysisControls::SpeedButtonZoom2, &TForm1::SpeedButtonZoom2Click},
    {&AnalysisControls::SpeedButtonZoom4, &TForm1::SpeedButtonZoom4Click},
    {&AnalysisControls::SpeedButtonZoom8, &TForm1::SpeedButtonZoom8Click},
};

struct PanelBinding {
  TGrSpeedButton* FrontPanelControls::*Button;
  MainHandler Handler;
};

constexpr PanelBinding kPanelButtons[] = {
    {&FrontPanelControls::SpeedButton22, &TForm1::SpeedButton22Click},
    {&FrontPanelControls::SpeedButton21, &TForm1::SpeedButton21Click},
};

struct ItemBinding {
  TMenuItem* AnalysisControls::*Item;
  MainHandler Handler;
};

constexpr ItemBinding kItems[] = {
    {&AnalysisControls::CH1CH21, &TForm1::CH1CH21Click},
    {&AnalysisControls::CH1CH22, &TForm1::CH1CH22Click},
    {&AnalysisControls::Multi, &TForm1::MultiClick},
    {&AnalysisControls::Divi, &TForm1::DiviClick},
    {&AnalysisControls::XYplot1, &TForm1::xyplot1Click},
    {&AnalysisControls::InvertCH21, &TForm1::InvertCH21Click},
    {&AnalysisControls::Rectangle1, &TForm1::Rectangle1Click},
    {&AnalysisControls::Bartlett1, &TForm1::Bartlett1Click},
    {&AnalysisControls::Hamming1, &TForm1::Hamming1Click},
    {&AnalysisControls::Hanning1, &TForm1::Hanning1Click},
    {&AnalysisControls::Blackman1, &TForm1::Blackman1Click},
    {&AnalysisControls::FlatTop1, &TForm1::FlatTop1Click},
    {&AnalysisControls::Maximum1, &TForm1::Maximum1Click},
    {&AnalysisControls::Average1, &TForm1::Average1Click},
    {&AnalysisControls::VectorAverage1, &TForm1::VectorAverage1Click},
    {&AnalysisControls::Off1, &TForm1::Off1Click},
    {&AnalysisControls::N21, &TForm1::N21Click},
    {&AnalysisControls::N41, &TForm1::N41Click},
    {&AnalysisControls::N81, &TForm1::N81Click},
    {&AnalysisControls::N161, &TForm1::N161Click},
    {&AnalysisControls::N321, &TForm1::N321Click},
    {&AnalysisControls::N641, &TForm1::N641Click},
    {&AnalysisControls::N1281, &TForm1::N1281Click},
};

TMenuItem* OptionsMenu(TForm* owner, TMainMenu* menu, TMenuItem* existing) {
  if (existing) return existing;
  auto* options = new TMenuItem(owner);
  options->Name = "Options1";
  options->SetCaption("&Options");
  menu->Items()->Add(options);
  return options;
}

}  // namespace

void TForm1::CreateAnalysisControls() {
  Options1 = OptionsMenu(this, MainMenu1, Options1);
  BuildAnalysisControls(this, this, Image1->Left(), ScrollBar2->Top() + ScrollBar2->Height() + 4, MainMenu1, Options1,
                        *this, *this);
  for (const ButtonBinding& b : kButtons) {
    const MainHandler handler = b.Handler;
    (this->*b.Button)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
  }
  for (const PanelBinding& b : kPanelButtons) {
    const MainHandler handler = b.Handler;
    (this->*b.Button)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
  }
  for (const ItemBinding& i : kItems) {
    const MainHandler handler = i.Handler;
    (this->*i.Item)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
  }
  Options1->OnClick = [this](TObject* s) { Options1Click(s); };
  spectrum_ = std::make_unique<engine::spectrum::SpectrumController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this, *this,
      engine::spectrum::SpectrumSideControls{*this, *Image1, *ScrollBar2, GrSpeedButton15, Markers1, RMSCalculation1,
                                             dBmValue1, MarkersFFT1, MarkersFFTdBf1, MarkersFFTSpectralDensity1});
}

void TForm11::CreateAnalysisControls() {
  TMenuItem* options = OptionsMenu(this, MainMenu1, FindComponentAs<TMenuItem>("Options1"));
  BuildAnalysisControls(this, this, 8, kFrontPanelHeight + 14, MainMenu1, options, *this, *this);
  for (const ButtonBinding& b : kButtons) {
    TGrSpeedButton* AnalysisControls::*button = b.Button;
    const MainHandler handler = b.Handler;
    (this->*button)->OnClick = [button, handler](TObject*) { CopyThenForward(button, handler); };
  }
  for (const PanelBinding& b : kPanelButtons) {
    TGrSpeedButton* FrontPanelControls::*button = b.Button;
    const MainHandler handler = b.Handler;
    (this->*button)->OnClick = [button, handler](TObject*) {
      if (!Form1 || !Form11) return;
      (Form1->*button)->SetDown((Form11->*button)->Down());
      (Form1->*handler)(Form1);
    };
  }
  for (const ItemBinding& i : kItems) {
    const MainHandler handler = i.Handler;
    (this->*i.Item)->OnClick = [handler](TObject*) { ForwardToMain(handler); };
  }
  options->OnClick = [](TObject*) { ForwardToMain(&TForm1::Options1Click); };
}

// ---------------------------------------------------------------- the main window's work, in its spectrum controller

void TForm1::Sin_Cosf() { Spectrum().Sin_Cosf(); }
void TForm1::FFT() { Spectrum().FFT(); }
void TForm1::FFT(const display::Capture& capture) { Spectrum().FFT(capture); }
void TForm1::LinToLog() { Spectrum().LinToLog(); }

void TForm1::Rectangle1Click(TObject* s) { Spectrum().Rectangle1Click(s); }
void TForm1::Bartlett1Click(TObject* s) { Spectrum().Bartlett1Click(s); }
void TForm1::Hamming1Click(TObject* s) { Spectrum().Hamming1Click(s); }
void TForm1::Hanning1Click(TObject* s) { Spectrum().Hanning1Click(s); }
void TForm1::Blackman1Click(TObject* s) { Spectrum().Blackman1Click(s); }
void TForm1::FlatTop1Click(TObject* s) { Spectrum().FlatTop1Click(s); }
void TForm1::Maximum1Click(TObject* s) { Spectrum().Maximum1Click(s); }
void TForm1::Average1Click(TObject* s) { Spectrum().Average1Click(s); }
void TForm1::VectorAverage1Click(TObject* s) { Spectrum().VectorAverage1Click(s); }
void TForm1::Options1Click(TObject* s) { Spectrum().Options1Click(s); }
void TForm1::fft1Click(TObject* s) { Spectrum().fft1Click(s); }
void TForm1::SpeedButton22Click(TObject* s) { Spectrum().SpeedButton22Click(s); }
void TForm1::SpeedButtonLogClick(TObject* s) { Spectrum().SpeedButtonLogClick(s); }
void TForm1::SpeedButtonLinClick(TObject* s) { Spectrum().SpeedButtonLinClick(s); }
void TForm1::SpeedButtonZoom1Click(TObject* s) { Spectrum().SpeedButtonZoom1Click(s); }
void TForm1::SpeedButtonZoom2Click(TObject* s) { Spectrum().SpeedButtonZoom2Click(s); }
void TForm1::SpeedButtonZoom4Click(TObject* s) { Spectrum().SpeedButtonZoom4Click(s); }
void TForm1::SpeedButtonZoom8Click(TObject* s) { Spectrum().SpeedButtonZoom8Click(s); }
void TForm1::CH1CH21Click(TObject* s) { Spectrum().CH1CH21Click(s); }
void TForm1::CH1CH22Click(TObject* s) { Spectrum().CH1CH22Click(s); }
void TForm1::MultiClick(TObject* s) { Spectrum().MultiClick(s); }
void TForm1::DiviClick(TObject* s) { Spectrum().DiviClick(s); }
void TForm1::xyplot1Click(TObject* s) { Spectrum().xyplot1Click(s); }
void TForm1::InvertCH21Click(TObject* s) { Spectrum().InvertCH21Click(s); }
void TForm1::SpeedButton21Click(TObject* s) { Spectrum().SpeedButton21Click(s); }
void TForm1::Off1Click(TObject* s) { Spectrum().Off1Click(s); }
void TForm1::N21Click(TObject* s) { Spectrum().N21Click(s); }
void TForm1::N41Click(TObject* s) { Spectrum().N41Click(s); }
void TForm1::N81Click(TObject* s) { Spectrum().N81Click(s); }
void TForm1::N161Click(TObject* s) { Spectrum().N161Click(s); }
void TForm1::N321Click(TObject* s) { Spectrum().N321Click(s); }
void TForm1::N641Click(TObject* s) { Spectrum().N641Click(s); }
void TForm1::N1281Click(TObject* s) { Spectrum().N1281Click(s); }
