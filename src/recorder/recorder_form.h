// The transient recorder window: a slow two-channel recorder, one sample pair
// per tick of its sample clock, 2000 samples per screen, with its own front
// panel, markers, data files and AutoSave log. Its methods are split by
// concern: recorder_form.cpp (window and life cycle), recorder_acquisition.cpp
// (sampling, start and stop), recorder_controls.cpp (front panel and menus),
// recorder_screen.cpp (picture, markers, read-outs) and recorder_files.cpp
// (data files and AutoSave).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "display/scope_view.h"
#include "platform/os/files.h"
#include "platform/ui/vcl.h"
#include "recorder/recorder_file.h"
#include "recorder/recorder_state.h"
#include "recorder/recorder_tables.h"
#include "widgets/fast_timer.h"
#include "widgets/gr_speed_button.h"

class GeneratorPanel;

namespace device {
class ScopeDevice;
}
namespace display {
struct DisplaySharedState;
}
namespace engine {
struct ScopeSharedState;
}

class TForm1_rec : public TForm {
 public:
  // The window drives `device` and keeps its record and settings in `state`
  // as long as it lives; it borrows the device from the scope, whose `scope`
  // settings it sets while recording and whose `display` colours it takes.
  TForm1_rec(TComponent* owner, device::ScopeDevice& device, recorder::RecorderSharedState& state,
             engine::ScopeSharedState& scope, display::DisplaySharedState& display);
  device::ScopeDevice& Device() const { return *device_; }
  ~TForm1_rec() override;

  // The recorder's state, which the windows of the recorder share.
  recorder::RecorderSharedState& RecorderState;
  // The scope's state and colours, handed in by the start-up.
  engine::ScopeSharedState& ScopeState;
  display::DisplaySharedState& DisplayState;
  // Each channel's half of the record.
  const std::span<std::int32_t, recorder::kChannelEntries> RecBufCh2;
  const std::span<std::int32_t, recorder::kChannelEntries> RecBufCh1;

  // Size of the recorder picture: a grid of 20 x 8 divisions of 32 pixels in its middle.
  static constexpr int kImageWidth = 672;
  static constexpr int kImageHeight = 299;

  // ---- Picture
  TImage* Image1 = nullptr;
  // Lies over Image1 while recording and takes the live trace.
  TImage* PaintBox1 = nullptr;
  TScrollBar* ScrollBar2 = nullptr;  // first sample shown, 0..2000
  int X0 = 0, Y0 = 0;                // grid origin on the picture
  int ReadoutY = 0;                  // y of the read-out line

  // ---- Front panel
  TGroupBox* Time_div = nullptr;  // "Time/Div."
  std::array<TGrSpeedButton*, 16> TimeButtons{};  // in RecorderTimeTable order
  TGroupBox* GroupBox1 = nullptr;  // "Volts/Div."
  std::array<TGrSpeedButton*, 6> Ch1RangeButtons{};  // in RecorderRangeTable order
  std::array<TGrSpeedButton*, 6> Ch2RangeButtons{};
  TGrSpeedButton* SpeedButton_ac1 = nullptr;
  TGrSpeedButton* SpeedButton_dc1 = nullptr;
  TGrSpeedButton* SpeedButton_gnd1 = nullptr;
  TGrSpeedButton* SpeedButton__ac2 = nullptr;
  TGrSpeedButton* SpeedButton_dc2 = nullptr;
  TGrSpeedButton* SpeedButton_gnd2 = nullptr;
  TGrSpeedButton* CH1on = nullptr;           // "On"
  TGrSpeedButton* CH2on = nullptr;
  TGrSpeedButton* SpeedButtonCh1 = nullptr;  // "OFF": down while the channel is hidden
  TGrSpeedButton* SpeedButtonCh2 = nullptr;
  TTrackBar* TrackBar1 = nullptr;  // positions, -128..127
  TTrackBar* TrackBar2 = nullptr;
  TLabel* LabelCh1 = nullptr;
  TLabel* LabelCh2 = nullptr;
  TGrSpeedButton* SpeedButtonRun = nullptr;
  TGrSpeedButton* SpeedButtonSingle = nullptr;
  TGrSpeedButton* SpeedButton1 = nullptr;  // "<<": previous page of a data file
  TGrSpeedButton* SpeedButton2 = nullptr;  // ">>": next page
  TPanel* Panel2 = nullptr;  // status, red while recording
  TLabel* Label3 = nullptr;
  // Instruments.
  TGrSpeedButton* SpeedButton5 = nullptr;  // "Oscilloscope"
  TGrSpeedButton* SpeedButton7 = nullptr;  // "Spectrum Analyzer"
  TGrSpeedButton* SpeedButton3 = nullptr;  // "Circuit Analyzer"
  TGrSpeedButton* SpeedButton6 = nullptr;  // "Transient Recorder"

  // ---- Menus
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* OpenData1 = nullptr;       // "Open Da&ta..."
  TMenuItem* N1 = nullptr;              // "Save &Data..."
  TMenuItem* N2 = nullptr;              // "&AutoSave Data..."
  TMenuItem* SaveSettings1 = nullptr;   // "Save Settings..."
  TMenuItem* RecallSettings1 = nullptr; // "Recall Settings..."
  TMenuItem* ExittoMenu1 = nullptr;     // "Exit to Menu"
  TMenuItem* Exit1 = nullptr;           // "E&xit"
  TMenuItem* View1 = nullptr;           // "&View"
  TMenuItem* Markers1 = nullptr;        // "&Markers  dV && t"
  TMenuItem* MarkersVdt1 = nullptr;     // "M&arkers  dV && dt"
  TMenuItem* BrightGrid1 = nullptr;     // "Bright &Grid"
  TMenuItem* SampleRate1 = nullptr;     // "Sample &Rate"
  TMenuItem* Options1 = nullptr;        // "&Options"
  TMenuItem* Colors1 = nullptr;         // "&Colors..."
  TMenuItem* Help1 = nullptr;           // "&Help"
  TMenuItem* Help2 = nullptr;           // "Transient Recorder Help"
  TMenuItem* About2 = nullptr;          // "&About..."
  TSaveDialog* SaveDialog2 = nullptr;   // "Save Data"
  TSaveDialog* SaveDialog3 = nullptr;   // "AutoSave Data"

  // ---- Timers: the sample clock, the deferred close, the live repaint.
  TFastTimer* FastTimer1 = nullptr;
  TTimer* Timer1 = nullptr;
  TTimer* Timer2 = nullptr;

  // ---- The generator's controls under the recorder's panel, a second
  // instance of the scope window's generator panel driving the same engine
  // (recorder/recorder_generator.cpp), and the "Tools" menu of its tools.
  GeneratorPanel* GeneratorControls = nullptr;
  TMenuItem* Tools1 = nullptr;
  void CreateGeneratorControls();

  // ======== Acquisition and run control
  // One sample pair from the device into index RecPos; true when the whole
  // 64-byte reply arrived (nothing is stored otherwise).
  bool LueData();
  void LueDemo();
  void FastTimer1Timer(TObject* Sender);
  void aloitus();
  void lopetus();
  void SpeedButtonRunClick(TObject* Sender);
  void SpeedButtonSingleClick(TObject* Sender);
  void paintbox_1();
  void paintbox_0();
  void Timer2Timer(TObject* Sender);
  void FormPaint(TObject* Sender);
  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Timer1Timer(TObject* Sender);
  void tee_demo_taulut();
  void tee_demo();

  // ======== Controls
  void AsetaAika(const std::string& caption);
  // The handler of RecorderTimeTable row `row` (each time/div button's).
  void TimeStepClick(std::size_t row);
  void SpeedButton01sClick(TObject* Sender);
  void peedButton50msClick(TObject* Sender);
  void SpeedButton20msClick(TObject* Sender);
  void SpeedButton10msClick(TObject* Sender);
  void SpeedButton5msClick(TObject* Sender);
  void SpeedButton2msClick(TObject* Sender);
  void SpeedButton1msClick(TObject* Sender);
  void SpeedButton05msClick(TObject* Sender);
  void SpeedButton02msClick(TObject* Sender);
  void SpeedButton01msClick(TObject* Sender);
  void SpeedButton50usClick(TObject* Sender);
  void SpeedButton20usClick(TObject* Sender);
  void SpeedButton10usClick(TObject* Sender);
  void SpeedButton5usClick(TObject* Sender);
  void SpeedButton2usClick(TObject* Sender);
  void SpeedButton1usClick(TObject* Sender);  // "20ms"
  // Volts/div of channel 1 or 2, RecorderRangeTable row `row`.
  void RangeStepClick(int channel, std::size_t row);
  void SpeedButton9Click(TObject* Sender);
  void SpeedButton15v1Click(TObject* Sender);
  void SpeedButton5v1Click(TObject* Sender);
  void SpeedButton1p5v1Click(TObject* Sender);
  void SpeedButton05v1Click(TObject* Sender);
  void SpeedButton015v1Click(TObject* Sender);
  void SpeedButton10Click(TObject* Sender);
  void SpeedButton15v2Click(TObject* Sender);
  void SpeedButton5v2Click(TObject* Sender);
  void SpeedButton1p5v2Click(TObject* Sender);
  void SpeedButton05v2Click(TObject* Sender);
  void SpeedButton015v2Click(TObject* Sender);
  // Applies a label to channel 1 or 2 (0: none) and sends the settings.
  void asetus(const std::string& label, int channel);
  void SpeedButton_ac1Click(TObject* Sender);
  void SpeedButton_dc1Click(TObject* Sender);
  void SpeedButton_gnd1Click(TObject* Sender);
  void SpeedButton__ac2Click(TObject* Sender);
  void SpeedButton_dc2Click(TObject* Sender);
  void SpeedButton_gnd2Click(TObject* Sender);
  void TrackBar1Change(TObject* Sender);
  void TrackBar2Change(TObject* Sender);
  void SpeedButtonCh1Click(TObject* Sender);
  void SpeedButtonCh2Click(TObject* Sender);
  void ch1_dso();
  void ch2_dso();
  void CH1onClick(TObject* Sender);
  void CH2onClick(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);  // "Oscilloscope"
  void SpeedButton7Click(TObject* Sender);  // "Spectrum Analyzer"
  void SpeedButton3Click(TObject* Sender);  // "Circuit Analyzer"
  void SpeedButton6Click(TObject* Sender);  // "Transient Recorder"
  void ExittoMenu1Click(TObject* Sender);
  void ExitClick(TObject* Sender);
  void Help2Click(TObject* Sender);
  void About2Click(TObject* Sender);
  void Colors1Click(TObject* Sender);
  void SaveSettings1Click(TObject* Sender);
  void RecallSettings1Click(TObject* Sender);
  void File1Click(TObject* Sender);
  // The volts/div captions of channel 1 or 2 for a x1 or x10 probe.
  void ShowProbeCaptions(int channel, bool x10);

  // ======== Screen
  std::uint8_t RecClearPending = 0;  // wipe the recorder picture at the next refresh
  void putsataanko();
  void poisto();
  void piirrot();
  void piirra(int channel);
  // Draws a trace's points as one polyline with the canvas pen.
  void Kayran_Piirto(const std::vector<TPoint>& points);
  void DoGrid();
  void TulostaTeksti(const std::string& text, int x, TColor color, int y);
  void tekstit();
  void kursorit();
  void kursoriaika();
  void kursorivoltit();
  void y_viivat();
  void y1_viiva();
  void y2_viiva();
  // Channel 1 or 2's zero-level mark, placed anew.
  void ZeroLine(int channel);
  void ScrollBar2Change(TObject* Sender);
  void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Image1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void dso_down(int x, int y);
  void dso_up();
  void Markers1Click(TObject* Sender);
  void MarkersVdt1Click(TObject* Sender);
  void BrightGrid1Click(TObject* Sender);
  void SampleRate1Click(TObject* Sender);
  // The colours changed (run by the main window's colour handler).
  void Colors2Click(TObject* Sender);
  // Texts now on the picture.
  std::string TimeReadoutShown;
  std::string VoltReadoutShown = "0.0V";

  // ======== Data files and AutoSave
  void N1Click(TObject* Sender);  // "Save Data..."
  void N2Click(TObject* Sender);  // "AutoSave Data..."
  void OpenData1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);  // "<<"
  void SpeedButton2Click(TObject* Sender);  // ">>"
  // AutoSave hooks of the start, the tick and the stop.
  void WriteAutoSaveHeader();
  void WriteAutoSaveRow();
  void WriteAutoSaveTrailer();
  // The annotation as the files carry it, or nothing when none is shown.
  std::optional<recorder::CommentBlock> CurrentComment() const;
  // The header texts of the record now in memory.
  recorder::RecordHeader CurrentHeader() const;
  // A loaded page takes the record's place: start (file page), samples, stop.
  void ShowLoadedPage(const recorder::ParsedPage& page, bool keepDisplayStep);

  // ======== Pictures, clipboard, printing and the generator's help
  // File "&Open Image...", "&Save Image...", "&Print...", "P&rint Setup...";
  // the "&Edit" menu; Help "Function Generator Help". nullptr until built.
  TMenuItem* Open1 = nullptr;
  TMenuItem* Save1 = nullptr;
  TMenuItem* Print1 = nullptr;
  TMenuItem* PrintSetup1 = nullptr;
  TMenuItem* Edit2 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* FunctionGeneratorHelp1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;
  TOpenPictureDialog* OpenPictureDialog1 = nullptr;
  TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;
  void SaveClick(TObject* Sender);
  void OpenClick(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  void Edit2Click(TObject* Sender);
  void Print1Click(TObject* Sender);
  void PrintSetup1Click(TObject* Sender);
  void FunctionGeneratorHelp1Click(TObject* Sender);

 private:
  void BuildControls();
  // Where the window keeps channel 1 or 2's controls and half of the record.
  struct ChannelControls {
    TLabel*& Label;
    std::array<TGrSpeedButton*, 6>& Ranges;
    std::array<TGrSpeedButton**, 3> Coupling;  // AC, DC, GND
    TGrSpeedButton*& On;
    TGrSpeedButton*& Off;  // "OFF"
    TTrackBar*& Bar;
    std::span<std::int32_t, recorder::kChannelEntries> Record;
  };
  ChannelControls Controls(int channel);
  // What the window keeps of each channel's picture, CH1 first.
  struct ChannelTrace {
    std::uint8_t Drawn = 0;    // a trace is on the picture now
    TColor Pen = 0;            // the not-xor pen of the channel's colour
    int PreviousPosition = 0;  // position as last applied
    std::vector<TPoint> LivePoints;
    int LiveY = 0;  // y of the live trace's last point
  };
  std::array<ChannelTrace, 2> Traces;
  ChannelTrace& Trace(int channel) { return Traces[static_cast<std::size_t>(channel - 1)]; }
  const ChannelTrace& Trace(int channel) const { return Traces[static_cast<std::size_t>(channel - 1)]; }
  void BuildMenus();
  // The picture, printing and help items of the menus.
  void BuildPictureMenus();
  void LockForRecording(bool recording, TSpeedButton* pressed);
  void CouplingClick(int channel, int kind);
  void PositionChange(int channel);
  void ChannelShow(int channel);
  void ChannelOn(int channel);
  // The channel follows its "OFF" button; "On" and the zero-level marks follow.
  void ChannelFromOffButton(int channel);
  void HandBack(bool spectrum);
  void DrawZeroGlyph(int channel, int level);
  void DrawMarkerLine(int id, int pos, bool dotted);
  // The grid picture as DoGrid draws it, in values: drawn at once, or (at
  // the window's creation) when the picture is first shown or read.
  struct ZeroMark {
    int Channel, Level;
    TColor Pen;
  };
  struct MarkerLine {
    bool Across;  // a voltage marker: a row from From to To; else a column
    int At;
    TColor Pen;
    int From, To;
  };
  struct Label {
    std::string Text;
    int X, Y;
    TColor Color;
  };
  struct GridLook {
    int Width = 0, Height = 0, X0 = 0, Y0 = 0;
    TColor Background = 0, GridPen = 0, Frame = 0;
    std::vector<ZeroMark> ZeroMarks;
    std::vector<MarkerLine> Markers;
    std::vector<Label> Texts;
  };
  // Takes the look of the picture now; the zero levels are found on the way.
  GridLook TakeGridLook();
  static void DrawGrid(TCanvas& canvas, const GridLook& look);
  static void StrokeMarkerLine(TCanvas& canvas, const MarkerLine& line, bool dotted);
  static void PrintLabel(TCanvas& canvas, const Label& label, TColor background);
  MarkerLine MarkerLineAt(int id, int pos) const;
  std::vector<Label> LabelTexts() const;
  bool ZeroMarkShown(int channel) const;
  // The channel whose pen, zero level and range the voltage markers take: CH1 while it is shown.
  int VoltMarkerChannel() const { return RecorderState.Channel(1).On ? 1 : 2; }
  // Where channel 1 or 2's volts/div label stands on the picture.
  int ChannelTextX(int channel) const { return X0 + 10 + 60 * (channel - 1); }
  // The channel's zero level (pixels from Y0) for its mark, kept in the recorder's state.
  int PlaceZeroLevel(int channel);
  void MarkersClick(TMenuItem* item, TMenuItem* other, int marker1X);
  // The not-xor pens of the recorder's colours and its grid pen.
  void DerivePens();
  TColor RecTimeMarkerPen = 0, RecGridPen = 0;
  void StopOnNoData();
  bool deviceAtStart_ = false;  // the device link was open when this recording started
  // Run and Single of the scope (and its twin panel) go up: no scope loop runs beside a recording.
  void ReleaseScopeRunAndSingle();
  // Status polls of one tick before the device counts as silent.
  static constexpr int kPollLimit = 1000;
  void ReportAutoSaveFailure();
  // Takes "AUTOSAVE ON" and "SAVING DATA TO FILE: ..." off the picture.
  void EraseAutoSaveTexts();

  // ---- Live drawing
  int RecLastColumn = 0;
  int LiveX = 0;  // x of the live traces' last points
  // ---- Demo source
  recorder::DemoSources DemoTable{};
  recorder::DemoDisplay DemoArrays{};
  // ---- Marker dragging
  bool Dragging = false;
  int DragId = 0;  // 1, 2 time markers; 3, 4 voltage markers
  int DragPos = 0;
  // The rate caption the time/div step being applied brings.
  std::string PendingRateText = "100S/s";
  // The recorder picture as the shared drawing code sees it (ground glyphs).
  display::ScopeView RecView;
  // ---- AutoSave log, open from the start of a recording to its stop
  os::RecordFile AutoSaveFile;
  bool AutoSaveFailed = false;
  bool AutoSaveHeaderWritten = false;
  // AutoSave texts drawn on the picture, to erase them.
  std::string SavingLineShown;
  bool AutoSaveMarkShown = false;

 private:
  device::ScopeDevice* device_;
};

inline TForm1_rec* Form1_rec = nullptr;
