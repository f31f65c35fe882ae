// The Bode plotter window: sweep parameters, plot picture, markers and menus.
// Its methods are split by concern: bode_plot.cpp (window, controls, menus),
// bode_draw.cpp (grid, texts, redraw from the table, markers), bode_sweep.cpp
// (the sweep), bode_files.cpp (data files, pictures, clipboard) and
// bode_dialogs.cpp (option dialogs, colours, annotation).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "bode/bode_rules.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace bode {
struct BodeSharedState;
}
namespace device {
class ScopeDevice;
}
namespace display {
struct DisplaySharedState;
}
namespace engine {
struct ScopeSharedState;
}

class TBode_plot : public TForm {
 public:
  // The window drives `device` and keeps its settings in `state` as long as it
  // lives; a sweep sets the `scope`'s settings and reads its `display` levels.
  TBode_plot(TComponent* owner, device::ScopeDevice& device, bode::BodeSharedState& state,
             engine::ScopeSharedState& scope, display::DisplaySharedState& display);
  device::ScopeDevice& Device() const { return *device_; }
  bode::BodeSharedState& BodeState;
  engine::ScopeSharedState& ScopeState;
  display::DisplaySharedState& DisplayState;

  static constexpr int kImageWidth = 530;
  static constexpr int kImageHeight = 300;

  // ---- Opening and leaving the plotter (the instrument switch calls these).
  // Shows the window (restored when minimised), the Add Text window placed at
  // its top right corner.
  void ShowPlotter();
  // Ends a running sweep and hides the window.
  void LeavePlotter();

  // ---- Controls
  TGrSpeedButton* SpeedButton1 = nullptr;  // "Start"
  TGrSpeedButton* SpeedButton2 = nullptr;  // "Stop"
  TGrSpeedButton* SpeedButton3 = nullptr;  // "Pause"
  TGrSpeedButton* SpeedButton4 = nullptr;  // "Clear All"
  TGrSpeedButton* SpeedButton5 = nullptr;  // "Clear Last"
  TLabel* Label1 = nullptr;  // running text
  TLabel* Label3 = nullptr;  // unit of the trace
  TLabel* Label5 = nullptr;  // warnings
  TGroupBox* GroupBox1 = nullptr;  // "Vertical Scale"
  TGroupBox* GroupBox2 = nullptr;  // "Frequency Range"
  TGroupBox* GroupBox3 = nullptr;  // "Frequency Start"
  TGroupBox* GroupBox4 = nullptr;  // "V Range"
  std::array<TRadioButton*, 4> ScaleRadios{};  // RadioButton1..4: "Volts", "10dB/div", "5dB/div", "1dB/div"
  std::array<TRadioButton*, 4> RangeTopRadios{};  // RadioButton5..8
  std::array<TRadioButton*, 4> StartRadios{};  // RadioButton9..12
  // The CH1 volts/div mirror, least to most sensitive.
  TRadioButton* RadioButton13 = nullptr;
  TRadioButton* RadioButton14 = nullptr;
  TRadioButton* RadioButton15 = nullptr;
  TRadioButton* RadioButton16 = nullptr;
  TRadioButton* RadioButton17 = nullptr;
  TRadioButton* RadioButton18 = nullptr;
  std::array<TRadioButton*, 6> RangeRadios() const {
    return {RadioButton13, RadioButton14, RadioButton15, RadioButton16, RadioButton17, RadioButton18};
  }
  TCheckBox* CheckBox1 = nullptr;  // "Log. Freq. Steps"
  TCheckBox* CheckBox2 = nullptr;  // "Log. Freq. Scale"
  TCheckBox* CheckBox3 = nullptr;  // "Start from DC"
  TCheckBox* CheckBox4 = nullptr;  // "1/3 Octave Freq. Steps"
  TImage* Image1 = nullptr;  // the plot picture
  TImage* Image2 = nullptr;  // border strips: bottom, top, right, left
  TImage* Image3 = nullptr;
  TImage* Image4 = nullptr;
  TImage* Image5 = nullptr;
  TMemo* Memo1 = nullptr;  // the data table
  TTimer* Timer2 = nullptr;  // the per-point wait

  // ---- Menus
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* OpenImage1 = nullptr;
  TMenuItem* OpenData1 = nullptr;
  TMenuItem* SaveImage1 = nullptr;
  TMenuItem* SaveData1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* CopyData1 = nullptr;
  TMenuItem* Options1 = nullptr;
  TMenuItem* AutomaticVoltageScale1 = nullptr;
  TMenuItem* Normalize1 = nullptr;
  TMenuItem* MultipleTraces1 = nullptr;
  TMenuItem* AllowAveraging1 = nullptr;
  TMenuItem* FrequencyStep1 = nullptr;
  TMenuItem* WaitTime1 = nullptr;
  TMenuItem* Colors1 = nullptr;
  TMenuItem* ColorsofTraces1 = nullptr;
  TMenuItem* View1 = nullptr;
  TMenuItem* MarkersfV1 = nullptr;
  TMenuItem* MarkersfdV1 = nullptr;
  TMenuItem* PhasePlot1 = nullptr;
  TMenuItem* Markersfph1 = nullptr;
  TMenuItem* AudioRange1 = nullptr;
  TMenuItem* Help1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;  // data
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SavePictureDialog1 = nullptr;
  TOpenDialog* OpenPictureDialog1 = nullptr;

  // ---- Sweep (bode_sweep.cpp)
  void SpeedButton1Click(TObject* Sender);  // "Start": the whole sweep
  void SpeedButton2Click(TObject* Sender);  // "Stop"
  void SpeedButton3Click(TObject* Sender);  // "Pause"
  void Timer2Timer(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);

  // ---- Controls (bode_plot.cpp)
  void ScaleClick(int index);
  void RangeTopClick(int index);
  void StartClick(int index);
  void VoltRangeClick(int index);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void CheckBox4Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);  // "Clear All"
  void SpeedButton5Click(TObject* Sender);  // "Clear Last"
  void FormPaint(TObject* Sender);
  void AutomaticVoltageScale1Click(TObject* Sender);
  void Normalize1Click(TObject* Sender);
  void MultipleTraces1Click(TObject* Sender);
  void AllowAveraging1Click(TObject* Sender);
  void PhasePlot1Click(TObject* Sender);
  void AudioRange1Click(TObject* Sender);
  void MarkersfV1Click(TObject* Sender);
  void MarkersfdV1Click(TObject* Sender);
  void Markersfph1Click(TObject* Sender);
  void Help1Click(TObject* Sender);

  // ---- Picture (bode_draw.cpp)
  void curve_0();   // background, grid, border, caption (markers outside a redraw)
  void tekstit();   // axis texts
  // curve_0 and tekstit (and, redrawn, the border again as draw() ends),
  // their drawing put off until the picture is used.
  void DrawEmptyPlotWhenShown(bool redrawn = false);
  // draw() of a table without points on a window never shown nor read yet:
  // the same picture, drawn when it is first used. False when it does not apply.
  bool DrawEmptyTableWhenShown();
  // Full redraw of the plot from its data table.
  void draw();
  // The pen of one trace: the last magnitude and phase points drawn.
  struct TracePen {
    TPoint Magnitude{}, Phase{};
    bool First = true;
  };
  // Joins the trace to the next point: a solid line for the magnitude, with
  // the phase plot a dotted one for the phase; the first point only moves the pen.
  void PlotPoint(TracePen& pen, TPoint magnitude, TPoint phase);
  void kursorit();  // marker lines (not-xor: twice takes them off)
  void kursoridb(); // marker read-outs
  void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Image1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // New colours in force: marker pens recomputed.
  void DerivePens();
  // The border strips laid over the picture's border (a copy of it), and back.
  void CoverBorder();
  void UncoverBorder();
  int PlotWidth() const { return kImageWidth - 2 * Margin(); }
  int PlotHeight() const { return kImageHeight - 2 * Margin(); }
  int Margin() const;

  bode::MarkerMode Markers = bode::MarkerMode::Off;
  int FreqMarkerX = 0;
  int LevelMarker1Y = 0;
  int LevelMarker2Y = 0;
  std::string LevelReadoutText;  // read-outs now on the picture
  std::string FreqReadoutText;
  int NextTraceColor = 0;  // entry of BodeTraceColors the next sweep uses
  std::string LoadedFileName;  // named in the caption
  std::string DataFileName;    // the last data file saved or opened
  // A picture was laid over the plot: the markers are no longer on it.
  void HidePictureMarkers() { markers_drawn_ = false; }

  // ---- Files, pictures and clipboard (bode_files.cpp)
  void SaveData1Click(TObject* Sender);
  void OpenData1Click(TObject* Sender);
  void SaveImage1Click(TObject* Sender);
  void OpenImage1Click(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  void CopyData1Click(TObject* Sender);
  void Edit1Click(TObject* Sender);
  // The table and annotation written to `path`; false (and said) when it could not be.
  bool SaveDataFile(const std::string& path);
  // The file read and taken over; false (and said) when it was refused.
  bool LoadDataFile(const std::string& path);
  bool SaveImageFile(const std::string& path);
  bool LoadImageFile(const std::string& path);

  // ---- Option dialogs and colours (bode_dialogs.cpp)
  void WaitTime1Click(TObject* Sender);
  void FrequencyStep1Click(TObject* Sender);
  void Colors1Click(TObject* Sender);
  void ColorsofTraces1Click(TObject* Sender);
  // The step list of the Frequency Step dialog for the current step mode.
  void FillStepList();

  // Enables or disables the controls a sweep holds fixed.
  void SetSweepControlsEnabled(bool enabled);
  // Sets a control without running the window's handlers.
  template <class F>
  void Quietly(F&& f) {
    ++quiet_;
    f();
    --quiet_;
  }
  bool Quiet() const { return quiet_ > 0; }

 private:
  void BuildControls();
  void BuildMenus();
  void ApplyStartCaptions();
  // Erases the marker lines and read-outs now on the picture.
  void EraseMarkers();
  void DrawMarkers();
  void SelectMarkers(bode::MarkerMode mode);
  void WriteReadout(const std::string& text, int x, TColor color);

  // The strip's place on the picture (Image2..Image5).
  TRect StripRect(const TImage* strip) const;
  // One marker line, not-xor: 1 frequency, 2 and 3 the level markers.
  void MarkerLine(int which, TPenStyle style);

  int quiet_ = 0;
  bool markers_drawn_ = false;  // the marker lines and read-outs are on the picture
  int drag_ = 0;  // 0 none, 1 frequency marker, 2 / 3 level marker 1 / 2
  bool redrawing_ = false;

 private:
  device::ScopeDevice* device_;
};

inline TBode_plot* Bode_plot = nullptr;
