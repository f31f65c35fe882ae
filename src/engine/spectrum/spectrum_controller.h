// The spectrum analyser of the main window and the analysis done on its
// traces: the transform of the shown channel, the "FFT Window" and "FFT
// Options" menus, the spectrum view (entering it, back to the oscilloscope,
// the log or linear axis, the zoom), the "Math" menu with its button and the
// "Average..." menu. Each keeps the twin panel's control of the same name in
// step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "display/capture.h"
#include "display/spectrum.h"
#include "engine/front_panel.h"
#include "engine/scope_states.h"
#include "engine/spectrum/analysis_controls.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace engine::spectrum {

// What the spectrum and math work asks of the main window: the picture
// steps, the marker lines and read-outs, and the handlers of other controls.
class SpectrumHost {
 public:
  virtual void putsataanko() = 0;
  virtual void poisto() = 0;
  virtual void piirrot() = 0;
  virtual void tekstit() = 0;
  virtual void tekstit_pois() = 0;
  virtual void TulostaTeksti(const std::string& text, int x, int y, TColor color) = 0;
  virtual void kursorit() = 0;
  virtual void fft_kursorit() = 0;
  virtual void fft_viiva_on() = 0;
  virtual void fft_viiva_off() = 0;
  virtual void y_viivat() = 0;
  virtual void kursoritaajuus() = 0;
  virtual void kursoridb() = 0;
  virtual void kursorivoltit() = 0;
  virtual void TimeBaseStepClick(std::size_t row) = 0;
  virtual void ReapplyTimeBase() = 0;
  virtual void SpeedButton05usClick(TObject* Sender) = 0;
  virtual void CH1onClick(TObject* Sender) = 0;
  virtual void CH2onClick(TObject* Sender) = 0;
  virtual void Markers1Click(TObject* Sender) = 0;
  virtual void ReleasePersist() = 0;
  virtual void SetPersistenceModeItemsEnabled(bool enabled) = 0;
  virtual void SetHistoryBarsEnabled(bool enabled) = 0;

 protected:
  ~SpectrumHost() = default;
};

// Controls of the main window outside the analysis controls that the
// spectrum view and the math menu switch. The menu items and the bit view
// button are made after the analysis controls, so they are read when used.
struct SpectrumSideControls {
  TForm& Window;  // its caption; the place of its notes
  TImage& Image1;
  TScrollBar& ScrollBar2;
  TGrSpeedButton* const& GrSpeedButton15;
  TMenuItem* const& Markers1;
  TMenuItem* const& RMSCalculation1;
  TMenuItem* const& dBmValue1;
  TMenuItem* const& MarkersFFT1;
  TMenuItem* const& MarkersFFTdBf1;
  TMenuItem* const& MarkersFFTSpectralDensity1;
};

class SpectrumController : public engine::WithScopeStates {
 public:
  SpectrumController(const engine::ScopeStates& states, SpectrumHost& host, FrontPanelControls& panel,
                     AnalysisControls& analysis, const SpectrumSideControls& side);

  // Spectrum analyser: twiddle table, transform of the shown channel into
  // its sample and level arrays, and the peak frequency (in bins) of channel
  // 1 or 2 (any other value: 2).
  void Sin_Cosf();
  void FFT();  // of the shown channel's spectrum input
  void FFT(const display::Capture& capture);
  void FFT(display::ChannelCodes input);
  double FFT_freq(int channel);
  // "FFT Window": each checks its item on both windows and takes its window.
  void Rectangle1Click(TObject* Sender);
  void Bartlett1Click(TObject* Sender);
  void Hamming1Click(TObject* Sender);
  void Hanning1Click(TObject* Sender);
  void Blackman1Click(TObject* Sender);
  void FlatTop1Click(TObject* Sender);
  // "FFT Options": at most one of the three is on.
  void Maximum1Click(TObject* Sender);
  void Average1Click(TObject* Sender);
  void VectorAverage1Click(TObject* Sender);
  // "Options" opened: the FFT menus are enabled only in spectrum mode.
  void Options1Click(TObject* Sender);

  // Spectrum view: entering it, back to the oscilloscope, axis and zoom.
  void fft1Click(TObject* Sender);
  void SpeedButton22Click(TObject* Sender);
  void SpeedButtonLogClick(TObject* Sender);
  void SpeedButtonLinClick(TObject* Sender);
  void SpeedButtonZoom1Click(TObject* Sender);
  void SpeedButtonZoom2Click(TObject* Sender);
  void SpeedButtonZoom4Click(TObject* Sender);
  void SpeedButtonZoom8Click(TObject* Sender);
  // The shown channel's spectrum from the linear to the log axis and back;
  // the frequency marker likewise.
  void LinToLog();
  void LogToLin();
  void LinKursLog();
  void LogKursLin();

  // "Math" menu and the math button.
  void CH1CH21Click(TObject* Sender);
  void CH1CH22Click(TObject* Sender);
  void MultiClick(TObject* Sender);
  void DiviClick(TObject* Sender);
  void xyplot1Click(TObject* Sender);
  void InvertCH21Click(TObject* Sender);
  void SpeedButton21Click(TObject* Sender);

  // "Average...": Off, 2 .. 128.
  void Off1Click(TObject* Sender);
  void N21Click(TObject* Sender);
  void N41Click(TObject* Sender);
  void N81Click(TObject* Sender);
  void N161Click(TObject* Sender);
  void N321Click(TObject* Sender);
  void N641Click(TObject* Sender);
  void N1281Click(TObject* Sender);

 private:
  // The channel whose spectrum shows: 1 while CH1 is on, else 2.
  int ShownChannel() const;
  void SelectFftWindow(display::FftWindow kind);
  void FftOptionClick(TMenuItem* AnalysisControls::*chosen);
  void SpectrumZoomClick(TGrSpeedButton* AnalysisControls::*button, int factor);
  void SetSpectrumScrollMax(int max);
  void ShowTimeOrSpan(bool spectrum);
  void SetHistorySliderEnabled(bool enabled);
  // The controls the spectrum view has no use for, on both windows where
  // they are: the channel read-outs, the math items, the scope markers, Autoset.
  void EnableScopeOnlyControls(bool enabled);
  // The buttons of one channel on both panels show the scope's settings.
  void ShowChannelSettings(int channel);
  void MathModeClick(int mode);
  void RebuildMathPicture();
  void SetFastestStepsEnabled(bool enabled);
  void CheckAverageItem(std::size_t index);
  void AverageLengthClick(std::size_t index, std::int32_t length);

  SpectrumHost& host_;
  FrontPanelControls& panel_;
  AnalysisControls& analysis_;
  SpectrumSideControls side_;
};

}  // namespace engine::spectrum
