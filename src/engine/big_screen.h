// The Big Screen: the scope picture enlarged on Image10 (19 x 8 divisions of
// 50 x 64 pixels), drawn by twins of the main window's drawing operations
// that run the same view code with this window's own view and markers.
#pragma once

#include "engine/scope_states.h"

#include <cstdint>
#include <string>

#include "display/marker_drag.h"
#include "display/scope_view.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TForm10 : public TForm, public engine::WithScopeStates {
 public:
  TForm10(TComponent* owner, const engine::ScopeStates& states);

  static constexpr int kImage10Width = 1000;
  static constexpr int kImage10Height = 560;

  TImage* Image10 = nullptr;
  // The horizontal position bar under Image10, and beside it the history
  // bar with the main window's history menu; "History" shows the bar again
  // after "Hide History Bar".
  TScrollBar* ScrollBar2 = nullptr;
  TScrollBar* ScrollBar1 = nullptr;
  TGrSpeedButton* History = nullptr;
  // "AUTOSET - Please wait..." over the picture while an autoset runs.
  TPanel* Panel2 = nullptr;
  // Focuses the window half a second after it was shown.
  TTimer* Timer1 = nullptr;
  // The calibrating panel, made the first time a calibration runs.
  TPanel* CalibratingPanel = nullptr;
  TLabel* CalibratingLabel = nullptr;
  TLabel* CalibrationProgressLabel = nullptr;

  // ---- Geometry and markers (pixels of Image10), set at creation.
  std::int32_t BigScreenX0 = 0;
  std::int32_t BigScreenY0 = 0;
  std::int32_t BigTextLineY = 0;
  std::int32_t BigMarkerLimitX = 0;
  std::int32_t BigMarkerLimitY = 0;
  std::int32_t BigTimeMarker1X = 0;
  std::int32_t BigTimeMarker2X = 0;
  std::int32_t BigVoltMarker1Y = 0;
  std::int32_t BigVoltMarker2Y = 0;
  std::int32_t BigFreqMarker1X = 0;
  std::int32_t BigLevelMarker1Y = 0;
  std::int32_t BigLevelMarker2Y = 0;  // -300: not placed
  std::uint16_t BigFreqMarkerBin = 0;
  std::uint8_t BigFreqMarkerShown = 0;  // the frequency-marker line is on Image10
  // The marker read-outs now on Image10.
  std::string BigTimeText;
  std::string BigInvTimeText;
  std::string BigVoltText = "0.0V";
  std::string BigLevelText;
  std::string BigFreqText;
  // Image10 as the shared drawing code sees it.
  display::ScopeView BigView;
  display::MarkerDrag Drag;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);
  void Timer1Timer(TObject* Sender);
  void ScrollBar2Change(TObject* Sender);
  void ScrollBar1Change(TObject* Sender);
  void HistoryClick(TObject* Sender);

  // ---- Twins of the main window's picture operations; the main window runs
  // each while this window shows.
  void putsataanko();
  void poisto();
  void piirrot();
  // piirrot with the settings the main picture was just drawn with.
  void DrawPicture(const display::PictureSettings& settings);
  void DoGrid();
  void viiva();
  void t_viiva();
  void kursorit();
  void fft_kursorit();
  void fft_viiva_on();
  void fft_viiva_off();
  void y_viivat();
  void y1_viiva();
  void y2_viiva();
  void kursoriaika();
  void kursorivoltit();
  void kursoridb();
  void kursoritaajuus();
  void tekstit();
  void tekstit_pois();
  void f_alue();
  void TulostaTeksti(const std::string& text, int x, int y, TColor color);
  // A text the main window printed at (x, y) of Image1, placed on Image10.
  void TulostaTekstix(const std::string& text, int x, int y, TColor color);
  void LinKursLog();
  void LogKursLin();
  // The frequency marker's bin again from its x on Image10.
  void FreqMarkerBinFromX();

  // ---- Mouse: the markers, and the annotation's place on a right click.
  void Image10MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void Image10MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Image10MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void dso_down(int x, int y);
  void dso_up();
  void fft_down(int x, int y);
  void fft_up();

  // Wipes Image10 and draws the whole picture again: what opening the window does.
  void Rebuild();

 private:
  void PlaceDefaultMarkers();
  void CreateHistoryControls();
  void MarkerMoved(display::MarkerMove move);
};

inline TForm10* Form10 = nullptr;

// The Big Screen while it shows (its twins run then), else nullptr.
inline TForm10* ShownBigScreen() { return Form10 && Form10->Visible() ? Form10 : nullptr; }

// Image10 -> Image1 x of a text: the Big Screen's wider grid moves the texts
// right of the middle further right. Exposed for the window and its tests.
int BigScreenTextX(int x, int screenX0, int bigScreenX0);
