// Controls of the spectrum analyser, the math traces and the averaging that
// both the main window and the twin panel carry: the "Spectrum Analyzer"
// button, the spectrum axis and zoom buttons, and the "Math", "FFT Window",
// "FFT Options" and "Average..." menus. Built once by the same code for both
// windows, together with the front panel's "Oscilloscope" and math buttons.
#pragma once

#include <array>

#include "engine/front_panel.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

struct AnalysisControls {
  // ---- Buttons
  TGrSpeedButton* fft1 = nullptr;              // "Spectrum Analyzer"
  TGroupBox* FftView = nullptr;                // holds the axis and zoom buttons
  TGrSpeedButton* SpeedButtonLin = nullptr;    // "Lin", down at start
  TGrSpeedButton* SpeedButtonLog = nullptr;    // "Log"
  TGrSpeedButton* SpeedButtonZoom1 = nullptr;  // "x1"
  TGrSpeedButton* SpeedButtonZoom2 = nullptr;  // "x2", down at start
  TGrSpeedButton* SpeedButtonZoom4 = nullptr;  // "x4"
  TGrSpeedButton* SpeedButtonZoom8 = nullptr;  // "x8"

  // ---- "Math" menu
  TMenuItem* Math1 = nullptr;
  TMenuItem* CH1CH21 = nullptr;     // "CH1+CH2"
  TMenuItem* CH1CH22 = nullptr;     // "CH1-CH2"
  TMenuItem* Multi = nullptr;       // "CH1 * CH2"
  TMenuItem* Divi = nullptr;        // "CH1/CH2"
  TMenuItem* XYplot1 = nullptr;     // "XY Plot"
  TMenuItem* InvertCH21 = nullptr;  // "Invert CH2"

  // ---- Options: "FFT Window", "FFT Options", "Average..."
  TMenuItem* FFTWindow1 = nullptr;
  TMenuItem* Rectangle1 = nullptr;
  TMenuItem* Bartlett1 = nullptr;
  TMenuItem* Hamming1 = nullptr;
  TMenuItem* Hanning1 = nullptr;
  TMenuItem* Blackman1 = nullptr;
  TMenuItem* FlatTop1 = nullptr;
  TMenuItem* FFTOptions1 = nullptr;
  TMenuItem* Maximum1 = nullptr;        // "&Maximum"
  TMenuItem* Average1 = nullptr;        // "RMS &Average"
  TMenuItem* VectorAverage1 = nullptr;  // "Vector Average"
  TMenuItem* Averagesamples1 = nullptr; // "Average..."
  TMenuItem* Off1 = nullptr;
  TMenuItem* N21 = nullptr;
  TMenuItem* N41 = nullptr;
  TMenuItem* N81 = nullptr;
  TMenuItem* N161 = nullptr;
  TMenuItem* N321 = nullptr;
  TMenuItem* N641 = nullptr;
  TMenuItem* N1281 = nullptr;

  // The six window items in "FFT Window" order; the eight "Average..."
  // entries ("Off", then 2 .. 128); the six math items.
  std::array<TMenuItem*, 6> WindowItems() const;
  std::array<TMenuItem*, 8> AverageItems() const;
  std::array<TMenuItem*, 6> MathItems() const;
  std::array<TGrSpeedButton*, 4> ZoomButtons() const;
};

// Height of the button row BuildAnalysisControls lays out.
constexpr int kAnalysisRowHeight = 26;

// Creates the buttons in one row from (left, top) of `parent` (the panel's
// "Oscilloscope" SpeedButton22 and math button SpeedButton21 among them) and
// the menus in `menu` ("Math" as a top-level item, the rest under
// `options`); binds no handler. Every control is owned by `owner` under the
// names above.
void BuildAnalysisControls(TForm* owner, TWinControl* parent, int left, int top, TMainMenu* menu,
                           TMenuItem* options, AnalysisControls& c, FrontPanelControls& panel);

// The window's "Options" menu ("Options1" of `owner`), made and added to
// `menu` when no other control made it first.
TMenuItem* OptionsMenu(TForm* owner, TMainMenu* menu);
