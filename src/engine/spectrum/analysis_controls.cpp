#include "engine/spectrum/analysis_controls.h"

#include "widgets/control_maker.h"

namespace {

constexpr int kWideW = 118;
constexpr int kMathW = 80;
constexpr int kAxisW = 34;

}  // namespace

std::array<TMenuItem*, 6> AnalysisControls::WindowItems() const {
  return {Rectangle1, Bartlett1, Hamming1, Hanning1, Blackman1, FlatTop1};
}

std::array<TMenuItem*, 8> AnalysisControls::AverageItems() const {
  return {Off1, N21, N41, N81, N161, N321, N641, N1281};
}

std::array<TMenuItem*, 6> AnalysisControls::MathItems() const {
  return {CH1CH21, CH1CH22, Multi, Divi, XYplot1, InvertCH21};
}

std::array<TGrSpeedButton*, 4> AnalysisControls::ZoomButtons() const {
  return {SpeedButtonZoom1, SpeedButtonZoom2, SpeedButtonZoom4, SpeedButtonZoom8};
}

TMenuItem* OptionsMenu(TForm* owner, TMainMenu* menu) {
  if (auto* options = owner->FindComponentAs<TMenuItem>("Options1")) return options;
  auto* options = new TMenuItem(owner);
  options->Name = "Options1";
  options->SetCaption("&Options");
  menu->Items()->Add(options);
  return options;
}

void BuildAnalysisControls(TForm* owner, TWinControl* parent, int left, int top, TMainMenu* menu,
                           TMenuItem* options, AnalysisControls& c, FrontPanelControls& panel) {
  ControlMaker make(owner);
  // Instruments: one of the two is down.
  int x = left;
  panel.SpeedButton22 = make.Button(parent, "SpeedButton22", "Oscilloscope", 40, x, top + 2, kWideW);
  x += kWideW + 4;
  c.fft1 = make.Button(parent, "fft1", "Spectrum Analyzer", 40, x, top + 2, kWideW);
  x += kWideW + 10;
  panel.SpeedButton22->SetDown(true);

  // The math button: caption names the function; hidden while none is chosen.
  panel.SpeedButton21 = make.Button(parent, "SpeedButton21", "CH1+CH2", 41, x, top + 2, kMathW);
  panel.SpeedButton21->SetAllowAllUp(true);
  panel.SpeedButton21->SetVisible(false);
  x += kMathW + 10;

  // Axis and zoom of the spectrum view.
  c.FftView = new TGroupBox(owner);
  c.FftView->Name = "FftView";
  c.FftView->SetParent(parent);
  c.FftView->SetCaption("");
  c.FftView->SetBounds(x, top, 6 * (kAxisW + 3) + 14, kAnalysisRowHeight);
  int bx = 4;
  c.SpeedButtonLin = make.Button(c.FftView, "SpeedButtonLin", "Lin", 42, bx, 2, kAxisW);
  bx += kAxisW + 3;
  c.SpeedButtonLog = make.Button(c.FftView, "SpeedButtonLog", "Log", 42, bx, 2, kAxisW);
  bx += kAxisW + 9;
  c.SpeedButtonLin->SetDown(true);
  const char* zoomNames[4] = {"SpeedButtonZoom1", "SpeedButtonZoom2", "SpeedButtonZoom4", "SpeedButtonZoom8"};
  const char* zoomCaptions[4] = {"x1", "x2", "x4", "x8"};
  TGrSpeedButton** zoomSlots[4] = {&c.SpeedButtonZoom1, &c.SpeedButtonZoom2, &c.SpeedButtonZoom4,
                                   &c.SpeedButtonZoom8};
  for (int i = 0; i < 4; ++i) {
    *zoomSlots[i] = make.Button(c.FftView, zoomNames[i], zoomCaptions[i], 43, bx, 2, kAxisW);
    bx += kAxisW + 3;
  }
  c.SpeedButtonZoom2->SetDown(true);

  c.Math1 = new TMenuItem(owner);
  c.Math1->Name = "Math1";
  c.Math1->SetCaption("&Math");
  menu->Items()->Add(c.Math1);
  c.CH1CH21 = make.Item(c.Math1, "CH1CH21", "CH1+CH2");
  c.CH1CH22 = make.Item(c.Math1, "CH1CH22", "CH1-CH2");
  c.Multi = make.Item(c.Math1, "Multi", "CH1 * CH2");
  c.Divi = make.Item(c.Math1, "Divi", "CH1/CH2");
  make.Item(c.Math1, "N1", "-");
  c.XYplot1 = make.Item(c.Math1, "XYplot1", "XY Plot");
  c.InvertCH21 = make.Item(c.Math1, "InvertCH21", "Invert CH2");

  c.FFTWindow1 = make.Item(options, "FFTWindow1", "FFT &Window");
  c.Rectangle1 = make.Item(c.FFTWindow1, "Rectangle1", "&Rectangle");
  c.Bartlett1 = make.Item(c.FFTWindow1, "Bartlett1", "B&artlett");
  c.Hamming1 = make.Item(c.FFTWindow1, "Hamming1", "Ha&mming");
  c.Hanning1 = make.Item(c.FFTWindow1, "Hanning1", "&Hanning");
  c.Blackman1 = make.Item(c.FFTWindow1, "Blackman1", "&Blackman");
  c.FlatTop1 = make.Item(c.FFTWindow1, "FlatTop1", "&Flat Top");
  c.FFTOptions1 = make.Item(options, "FFTOptions1", "FFT &Options");
  c.Maximum1 = make.Item(c.FFTOptions1, "Maximum1", "&Maximum");
  c.Average1 = make.Item(c.FFTOptions1, "Average1", "RMS &Average");
  c.VectorAverage1 = make.Item(c.FFTOptions1, "VectorAverage1", "Vector Average");
  // Outside spectrum mode the two FFT menus wait disabled.
  c.FFTWindow1->SetEnabled(false);
  c.FFTOptions1->SetEnabled(false);

  c.Averagesamples1 = make.Item(options, "Averagesamples1", "Average...");
  const char* averageNames[8] = {"Off1", "N21", "N41", "N81", "N161", "N321", "N641", "N1281"};
  const char* averageCaptions[8] = {"Off", "2", "4", "8", "16", "32", "64", "128"};
  TMenuItem** averageSlots[8] = {&c.Off1, &c.N21, &c.N41, &c.N81, &c.N161, &c.N321, &c.N641, &c.N1281};
  for (int i = 0; i < 8; ++i)
    *averageSlots[i] = make.Item(c.Averagesamples1, averageNames[i], averageCaptions[i]);
  c.Off1->SetChecked(true);
}
