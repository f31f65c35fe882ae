// The main oscilloscope window: the scope picture Image1 and, beside it, the
// front panel. The work behind most handlers is done by the controllers the
// window owns, one folder each under engine/ (front_panel/, acquisition/,
// spectrum/, persistence/, markers/, files/, settings_files/, calibration/);
// the window keeps the picture cycle, start-up and close and view options.
// The pure drawing and analysis is in display/, the file formats in io/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/scope_device.h"
#include "engine/spectrum/spectrum_controller.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/files/files_controller.h"
#include "engine/settings_files/settings_files_controller.h"
#include "engine/persistence_controls.h"
#include "display/capture.h"
#include "display/marker_drag.h"
#include "display/scope_view.h"
#include "display/spectrum.h"
#include "engine/front_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/markers/markers_host.h"
#include "engine/persistence/persistence_host.h"
#include "engine/scope_settings.h"
#include "engine/scope_window.h"
#include "engine/scope_states.h"
#include "engine/settings_packet.h"
#include "engine/step_tables.h"
#include "platform/ini/ini_file.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class GeneratorPanel;
namespace engine {
struct SettingsFileKey;
}
namespace engine::markers {
class MarkersController;
}
namespace engine::persistence {
class PersistenceController;
}

// The front panel (channels, trigger, time base, Run/Single) comes from
// FrontPanelControls, shared with the twin panel TForm11.
class TForm1 : public TForm,
               public engine::WithScopeStates,
               public FrontPanelControls,
               public AnalysisControls,
               public PersistenceControls,
               public engine::front_panel::FrontPanelHost,
               public engine::spectrum::SpectrumHost,
               public engine::persistence::HistoryControls,
               public engine::persistence::PersistenceHost,
               public engine::markers::MarkerControls,
               public engine::markers::MarkersHost,
               public engine::acquisition::AcquisitionHost,
               public engine::calibration::CalibrationControls,
               public engine::calibration::CalibrationHost,
               public engine::files::FileMenuControls,
               public engine::files::FilesHost,
               public engine::settings_files::SettingsFileControls,
               public engine::settings_files::SettingsFilesHost,
               public engine::ScopeWindow {
 public:
  // The window drives `device` and works on `states` as long as it lives.
  TForm1(TComponent* owner, device::ScopeDevice& device, const engine::ScopeStates& states);
  // Frees ScopeIni when the window goes without its close handler.
  ~TForm1() override;

  // Size of the scope picture; the graticule of 650 x 256 pixels sits in its middle.
  static constexpr int kImage1Width = 700;
  static constexpr int kImage1Height = 298;

  TImage* Image1;

  void FormCreate(TObject* Sender);

  // ---- Device link
  // The device this window drives.
  device::ScopeDevice& Device() const { return device_; }

  // Controls of the display modes, made with their modes (nullptr until
  // then): the bit view button "10110010" and the spectral-density marker
  // read-out. Averaging, math and the spectrum analyser are AnalysisControls,
  // the history bar HistoryControls.
  TGrSpeedButton* GrSpeedButton15 = nullptr;
  TMenuItem* MarkersFFTSpectralDensity1 = nullptr;

  TPanel* LoadingPanel;    // "Loading, please wait..." while the device opens
  TScrollBar* ScrollBar2;  // horizontal position, 32 = centre

  // Picture steps of the apply operations (main_picture.cpp). The marker read-outs
  // print nothing while no marker read-out is shown.
  void putsataanko();  // wipe and rebuild the picture when a wipe is pending
  void poisto();       // erase the traces
  void piirrot();      // draw the traces
  void TulostaTeksti(const std::string& text, int x, int y, TColor color);  // one screen text
  void f_alue();            // spectrum span label
  void kursoriaika();       // time-marker read-out (dt, 1/dt)
  void kursorivoltit();     // voltage-marker read-out (dV and levels)
  void kursoritaajuus();    // frequency-marker read-out
  void kursoridb();         // level-marker read-out

 private:
  // Builds the controls above; run by the constructor before FormCreate.
  void CreateDeviceControls();

 public:
  // ---- Start-up, shutdown and settings file
  static constexpr int kHotKeyId = 99;  // Alt+B: Big Screen on and off

  // Main-window timers (ms): Timer1 100 deferred close, Timer2 1000 trigger
  // wait, Timer3 200 deferred start-up, Timer4 100 demo pacing, Timer5 50
  // generator mailbox, Timer6 1000 one-shot wait, Fasttimer1/2 10 Run and
  // Single ticks, Timer91 700 generator sweep bar.
  TTimer* Timer1;
  TTimer* Timer2;
  TTimer* Timer3;
  TTimer* Timer4;
  TTimer* Timer5;
  TTimer* Timer6;
  TTimer* Fasttimer1;
  TTimer* Fasttimer2;
  TTimer* Timer91;
  std::uint8_t Timer6Fired = 0;  // set by the one-shot Timer6's tick

  TMainMenu* MainMenu1;
  TMenuItem* File1;
  TMenuItem* RestoreDefaultSettingsExit1;  // "Restore Default Settings && Exit"
  TOpenDialog* OpenDialog2;  // settings recall; the start-up presets it from the command line

  // "Darvik48.ini" in DataFolder, open from creation until the close has
  // written it; owned by the window.
  TIniFile* ScopeIni = nullptr;

  // Builds the timers, menu and bars above and hooks the close events; the
  // constructor runs it before FormCreate.
  void CreateStartupComponents();
  void Timer3Timer(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // A close asked for by a signal (SIGTERM, SIGINT, SIGHUP): nobody is there
  // to answer, so it asks nothing, says on standard error what it could not
  // save, and ends. A close already under way is not started twice: it goes
  // on asking nothing, unless it is asking the user about unsaved text.
  void CloseFromSignal();
  void RestoreDefaultSettingsExit1Click(TObject* Sender);
  // The application-wide hot key arrived.
  void WMHotKey(int id);

  // Work blocks.
  void ReserveWorkBlocks();
  void ReleaseWorkBlocks();
  // The not-xor pens from the colours; the grid pen follows "Bright Grid".
  void DerivePens();

  // Handlers the start-up and close call in place. Those with an empty body
  // do nothing yet: no window control leads to them.
  void Timer5Timer(TObject* Sender);                    // generator mailbox poll (engine/instruments.cpp)
  void Timer91Timer(TObject* Sender);                   // generator sweep progress bar (engine/instruments.cpp)
  void DoGrid();                                        // graticule, markers and texts

 private:
  // Unregisters the hot key when the window goes without a normal close.
  struct HotKeyRelease {
    ~HotKeyRelease();
  } hot_key_release_;
  // The close handlers are running (a question of theirs may be open).
  bool close_under_way_ = false;
  // The close asks about the wave editor's unsaved text.
  bool close_question_open_ = false;

 public:
  // ======== Acquisition cycle and demo source ========
  // The Run and Single loops, the blocking captures, the steps after a
  // capture, the demo source and the device open.
  engine::acquisition::AcquisitionController& Acquisition() override { return *acquisition_; }

  // Steps of the capture path; those with an empty body have nothing to
  // compute while their read-out or export is not shown.
  // Without a capture they read what the scope holds now.
  void rms_out();            // RMS and dBm read-outs of the shown channel
  void measure();            // waveform parameters of CH1, the phase, then CH2
  void rms_out(const display::Capture& capture);
  void measure(const display::Capture& capture);
  // The picture of a capture: its traces, or the spectrum or bit view made of it.
  void DrawCapture(const display::Capture& capture);
  void ExtendedCalibrationStep();  // one step of the extended wait before the first calibration

  // Called by the other instruments and windows.
  void SpeedButtonRunClick(TObject* Sender);
  void SingleClick();
  bool SingleClick0();
  void SetStatusText(const std::string& text);
  void WaitOneTimer6Tick();
  void StopAndSettle();

 private:
  std::unique_ptr<engine::acquisition::AcquisitionController> acquisition_;
  // Makes the acquisition controller and binds Run and Single; run by the
  // constructor before FormCreate.
  void CreateAcquisitionControls();
  // piirrot's steps with the settings given: main picture, Big Screen, notes.
  void DrawPicture(display::PictureSettings settings);
  void RedrawWithoutPositionOffset();
  void ShowNewestHistory();
  void SetHistoryBarsEnabled(bool enabled);
  // History bars off while the capture loop runs; the next capture is stored.
  void StartHistoryRecording();

 public:
  // ======== Picture cycle and trace drawing ========
  // Image1 as the shared drawing code sees it; set up at window creation.
  display::ScopeView MainView;
  // Plots and draws trace 1 (CH1), 2 (CH2) or 3 (math, with the math pen in
  // Ch2PenColor) with the current time base and interpolation.
  void piirra(int trace);
  // Plain, spectrum, math and XY plot of block indexes first .. end.
  void piirto(int first, int end);
  // Sine and linear interpolation at the two finest time bases (step 2 or 1).
  void piirto30(int first, int end, int step);
  void piirto10(int first, int end, int step);
  // Draws the first count points of display::PlotPoints.
  void Kayran_Piirto(int count);
  // Trigger-position tick (not-xor: drawing it twice removes it).
  void viiva();

 public:
  // ======== Automatic calibration ========
  // File "Calibrate", "Calibrate && Exit" and the "Calibrating" panel are
  // CalibrationControls; the work is Calibration().
  engine::calibration::CalibrationController& Calibration() { return *calibration_; }
  // Builds the menu items and the panel; run while the window is built.
  void CreateCalibrationControls();
  // Called by the other instruments and windows (the acquisition's host).
  void calibrate();

 private:
  std::unique_ptr<engine::calibration::CalibrationController> calibration_;

 public:
  // ======== Front panel: time base and vertical channels ========
  // The work behind the front panel's handlers.
  engine::front_panel::FrontPanelController& FrontPanel() override { return *front_panel_; }
  // The panel's place beside the picture; BuildFrontPanel fills it.
  TPanel* FrontPanelArea = nullptr;
  // Builds the front panel and binds the time-base, channel and Run/Single
  // handlers (BindTriggerHandlers binds the trigger group); run while the window is built.
  void CreateFrontPanel();

  // Ground-level markers (engine/ground_levels.cpp).
  void y1_viiva();  // CH1 ground-level marker (engine/ground_levels.cpp)
  void y2_viiva();  // CH2 ground-level marker

  // Called by the other instruments and windows.
  void Set500();
  void Set_DACs();
  void RangeCodeClick(int channel, std::uint8_t code);
  void SpeedButton5v1Click(TObject* Sender);
  void SpeedButton5v2Click(TObject* Sender);
  void SpeedButton_ac1Click(TObject* Sender);
  void SpeedButton_dc1Click(TObject* Sender);
  void SpeedButton_gnd1Click(TObject* Sender);
  void SpeedButton__ac2Click(TObject* Sender);
  void SpeedButton_dc2Click(TObject* Sender);
  void SpeedButton_gnd2Click(TObject* Sender);
  void x11Click(TObject* Sender);
  void x101Click(TObject* Sender);
  void x12Click(TObject* Sender);
  void x102Click(TObject* Sender);
  void CH1onClick(TObject* Sender);
  void CH2onClick(TObject* Sender);
  void ch1_dso();
  void TimeBaseStepClick(std::size_t row);
  void ReapplyTimeBase();
  void SpeedButton02msClick(TObject* Sender);
  void SpeedButton05usClick(TObject* Sender);
  void ScrollBar2Change(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  void RefreshDeviceTriggerLevel();

 private:
  std::unique_ptr<engine::front_panel::FrontPanelController> front_panel_;

 public:
  // ======== Trigger controls, graticule, marker lines and screen texts ========
  // Binds the trigger group's handlers (FrontPanel()); run while the window is built.
  void BindTriggerHandlers();

  // Picture items drawn with the not-xor pen (drawing one twice removes it).
  void t_viiva();       // trigger-level tick in the trigger source's pen
  void kursorit();      // scope marker lines (scope view with markers on)
  void fft_kursorit();  // level-marker lines (spectrum view with markers on)
  void fft_viiva_on();  // frequency-marker line, when not shown
  void fft_viiva_off(); // takes the frequency-marker line off
  // Every label and read-out of the current view; the same in the background colour.
  void tekstit();
  void tekstit_pois();
  // The volts/div label of channel 1 or 2 (with "~" when AC coupled), the
  // time/div and sample-rate labels, and the RMS and dBm read-outs taken off
  // while they are switched off.
  void ShowRangeLabel(int channel, const std::string& label);
  void ShowTimeBaseLabels(const std::string& label, const std::string& rateText);
  void ClearHiddenReadouts();

 public:
  // ======== Ground-level markers and screen colours ========
  // Both ground markers, as every rebuild of the picture draws them. A CH1
  // record that gives no line draws level 0 and raises "Calibration
  // failed", posted so that it shows once the rebuild is over.
  void y_viivat();
  std::uint8_t CalibrationNoticePending = 0;  // that notice is posted and not shown yet

  // View "Bright Grid" and Options "Colors..." on the main menu.
  TMenuItem* View1 = nullptr;
  TMenuItem* BrightGrid1 = nullptr;
  TMenuItem* Options1 = nullptr;
  TMenuItem* Colors1 = nullptr;
  // Builds the menu items above; run while the window is built.
  void CreateColorControls();
  // The colour dialog: OK takes the colours with new pens, a preset loads
  // it, Cancel leaves every colour as it was.
  void Colors1Click(TObject* Sender);
  void BrightGrid1Click(TObject* Sender);

 private:
  void PostCalibrationNotice();
  // New colours in force: pens, the CH1/CH2 label colours, the picture rebuilt.
  void ApplyScreenColors();

 public:
  // ======== Options "Hardware Setup...": the device or demo mode ========
  TMenuItem* Hardware1 = nullptr;  // "Hardware Setup..."
  // Demo mode was chosen here: the recorder rebuilds its positions and
  // picture the next time it opens.
  std::uint8_t RecorderDemoChangePending = 0;
  // Builds the menu item under Options; run while the window is built.
  void CreateHardwareSetupControls();
  // Stops the acquisition, asks for the hardware and switches to it: demo
  // mode, or the device (back to demo mode when it does not answer).
  void Hardware1Click(TObject* Sender);
  // Clears the picture's capture when the source changes between the
  // device and the demo.
  void ForgetCaptureOfOldSource();

  // ======== Bit view ========
  // Builds GrSpeedButton15 ("10110010": down shows both inputs as logic
  // levels, eight per captured byte) under the front panel; run while the
  // window is built.
  void CreateBitViewControls();
  void GrSpeedButton15Click(TObject* Sender);

  // ======== Markers, waveform measurements and annotation ========
  // View "Markers (DSO) ", "RMS Value" and "Waveform Parameters..."
  // (MarkerControls) and the picture's mouse, bound to the markers
  // controller; run while the window is built.
  void CreateMarkerControls();
  engine::markers::MarkersController& Markers() override { return *markers_; }
  // "Markers (DSO) ", as the spectrum view switches it.
  void Markers1Click(TObject* Sender);
  // Called by the other instruments and windows.
  double calculate_phase();  // the phase of CH2 against CH1 in degrees

 private:
  std::unique_ptr<engine::markers::MarkersController> markers_;

 public:
  // ======== Generator panel (engine/instruments.cpp) ========
  // The generator's controls under the picture and the front panel, and the
  // "Tools" menu that holds its tool items. The window owns the panel.
  GeneratorPanel* GeneratorControls = nullptr;
  TMenuItem* Tools1 = nullptr;
  void CreateGeneratorControls();

  // ---- The window as the instruments and the other windows see it (engine::ScopeWindow).
  TForm& Window() override { return *this; }
  engine::WithScopeStates& States() override { return *this; }
  FrontPanelControls& Panel() override { return *this; }
  AnalysisControls& Analysis() override { return *this; }
  engine::markers::MarkerControls& MarkerItems() override { return *this; }
  engine::persistence::HistoryControls& HistoryBar() override { return *this; }
  TImage* Picture() override { return Image1; }
  TScrollBar* PositionBar() override { return ScrollBar2; }
  TGrSpeedButton* BitViewButton() override { return GrSpeedButton15; }
  TGrSpeedButton* BigScreenButton() override { return GrSpeedButton1; }
  TGrSpeedButton* RecorderButton() override { return SpeedButton27; }
  TTimer* MailboxTimer() override { return Timer5; }
  TTimer* SweepBarTimer() override { return Timer91; }
  TTimer* BigScreenTimer() override { return Timer7; }
  GeneratorPanel* Generator() const override { return GeneratorControls; }
  TIniFile* Ini() override { return ScopeIni; }
  std::uint8_t& RecorderDemoChange() override { return RecorderDemoChangePending; }
  std::uint8_t& RecorderDemoReady() override { return RecorderDemoBuilt; }
  display::ScopeView& View() override { return MainView; }

 public:
  // ======== Shared memory (main_form.cpp): one word of the sample export and of the
  // generator mailbox; a word outside its block reads 0 and takes no write.
  std::int32_t GetShareData(int index);
  void SetShareData(int index, std::int32_t value);
  std::int32_t GetShareData1(int index);
  void SetShareData1(int index, std::int32_t value) override;

 public:
  // ======== Spectrum analyser, spectrum view, math traces and averaging ========
  // Builds the AnalysisControls under the picture, binds them to the
  // spectrum controller and makes it; run while the window is built.
  void CreateAnalysisControls();
  engine::spectrum::SpectrumController& Spectrum() override { return *spectrum_; }

  // What the other controllers ask of the spectrum: the transform of the
  // shown channel (of its spectrum input, or of a capture), the shown
  // spectrum onto the log axis, entering the spectrum view, back to the
  // oscilloscope and the math button.
  void FFT();
  void FFT(const display::Capture& capture);
  void LinToLog();
  void fft1Click(TObject* Sender);
  void SpeedButton21Click(TObject* Sender);
  void SpeedButton22Click(TObject* Sender);
  // Called by the other instruments and windows.
  void Off1Click(TObject* Sender);

 private:
  std::unique_ptr<engine::spectrum::SpectrumController> spectrum_;

 public:
  // ======== Scope settings files and the scope data file ========
  // The items and their dialog are SettingsFileControls ("Save DSO Data..."
  // and "Open DSO Data..." are FileMenuControls); the work is SettingsFiles().
  engine::settings_files::SettingsFilesController& SettingsFiles() override { return *settings_files_; }
  // Builds the items with the data files' and the dialog; run while the window is built.
  void CreateSettingsFileControls();
  // The keys of the settings files in file order, each with how the writer
  // takes its value and how the recall puts it back (SettingsFilesHost).
  const std::vector<engine::SettingsFileKey>& SettingsFileKeys() const;

 private:
  std::unique_ptr<engine::settings_files::SettingsFilesController> settings_files_;

 public:
  // ======== Persistence and the history view ========
  // "Persist", the persistence menu items and the history bar (HistoryControls),
  // bound to the persistence controller; run while the window is built.
  void CreatePersistenceControls();
  engine::persistence::PersistenceController& Persistence() override { return *persistence_; }

  // What the other controllers ask of persistence: the modes 1 "Infinite
  // Persistence", 2 "Color Graded Persistence", 3 "Variable Persistence";
  // "Persist" released (its handler run) when it is down; the graded and
  // variable mode items on both windows (a math trace has no use for them).
  void NormalPersistence1Click(TObject* Sender);
  void PersistencewithIntensityGrading1Click(TObject* Sender);
  void VariablePersistence1Click(TObject* Sender);
  void ReleasePersist();
  void SetPersistenceModeItemsEnabled(bool enabled);
  // Called by the other instruments and windows.
  void RestartPersist();

 private:
  std::unique_ptr<engine::persistence::PersistenceController> persistence_;

 public:
  // ======== Instruments, Big Screen, view options and shortcuts ========
  // The instrument buttons beside "Oscilloscope" and "Spectrum Analyzer",
  // and the "Big Screen" button (down while the Big Screen shows).
  TGrSpeedButton* SpeedButton25 = nullptr;   // "Function Generator"
  TGrSpeedButton* SpeedButton26 = nullptr;   // "Circuit Analyzer"
  TGrSpeedButton* SpeedButton27 = nullptr;   // "Transient Recorder"
  TGrSpeedButton* GrSpeedButton1 = nullptr;  // "Big Screen"
  // One shot: opens the Big Screen again once the recorder has handed back.
  TTimer* Timer7 = nullptr;
  TMenuItem* ExittoMenu1 = nullptr;                    // "Exit to Menu"
  TMenuItem* MarkersFFT1 = nullptr;                    // "Markers (FFT)  f && V"
  TMenuItem* MarkersFFTdBf1 = nullptr;                 // "Markers (FFT)  f && dV"
  TMenuItem* dBmValue1 = nullptr;                      // "dBm Value"
  TMenuItem* SampleRate1 = nullptr;                    // "Sample Rate"
  TMenuItem* DotJoin1 = nullptr;                       // "Dot Join"
  TMenuItem* ClearDisplayonRunSingleClick1 = nullptr;  // "Clear Display on Run/Single Click"
  TMenuItem* TriggerOptions1 = nullptr;                // "Trigger Options"
  TMenuItem* HFReject1 = nullptr;                      // "Noise Reject"
  // Builds the controls above; run while the window is built.
  void CreateInstrumentControls();
  // The View and Options items take the options the settings file gave.
  void ApplyViewMenuChecks();
  // The recorder's demo tables are built the first time it opens in demo mode.
  std::uint8_t RecorderDemoBuilt = 0;

  void SpeedButton25Click(TObject* Sender);
  void SpeedButton26Click(TObject* Sender);
  void SpeedButton27Click(TObject* Sender);
  void GrSpeedButton1Click(TObject* Sender);
  void Timer7Timer(TObject* Sender);
  void ExittoMenu1Click(TObject* Sender);
  void MarkersFFT1Click(TObject* Sender);
  void MarkersFFTdBf1Click(TObject* Sender);
  void MarkersFFTSpectralDensity1Click(TObject* Sender);
  void dBmValue1Click(TObject* Sender);
  void SampleRate1Click(TObject* Sender);
  void DotJoin1Click(TObject* Sender);
  void View1Click(TObject* Sender);
  void HFReject1Click(TObject* Sender);
  void ClearDisplayonRunSingleClick1Click(TObject* Sender);
  void Averagesamples1Click(TObject* /*Sender*/) {}  // no control calls it
  // A key of the Big Screen window.
  void Form10KeyDown(unsigned short Key, TShiftState Shift);

  // ======== Autoset ========
  TPanel* Panel1 = nullptr;  // "AUTOSET - Please wait..." over the picture
  void Autoset1Click(TObject* Sender);
  void Autoset2Click(TObject* Sender);

 private:
  void CreateViewOptionControls();
  void CreateAutosetControls();
  void AutosetChannel(int channel);
  void SpectrumMarkersClick(TMenuItem* chosen, bool density, bool secondAtBottom);

 public:
  // ======== Pictures, printing, text export, the scope data file, help and about ========
  // The items and dialogs are FileMenuControls; the work is Files().
  engine::files::FilesController& Files() override { return *files_; }
  // Builds the items and dialogs; run while the window is built.
  void CreateFileExportControls();

  // File "Exit" closes the window.
  void ExitClick(TObject* Sender);

 private:
  std::unique_ptr<engine::files::FilesController> files_;

  device::ScopeDevice& device_;
};

inline TForm1* Form1 = nullptr;
