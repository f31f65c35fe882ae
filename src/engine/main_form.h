// The main oscilloscope window: the scope picture Image1 and, beside it, the
// front panel. Its methods are spread over engine/ (start-up, device,
// acquisition, controls), display/ (drawing, analysis) and io/ (files, export).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "display/scope_view.h"
#include "engine/step_tables.h"
#include "platform/ini/ini_file.h"
#include "platform/ui/vcl.h"
#include "platform/usb/mpusb_api.h"
#include "widgets/gr_speed_button.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);

  // Size of the scope picture; the graticule of 650 x 256 pixels sits in its middle.
  static constexpr int kImage1Width = 700;
  static constexpr int kImage1Height = 298;

  TImage* Image1;
  TSpeedButton* SpeedButtonRun;     // continuous captures while down
  TSpeedButton* SpeedButtonSingle;  // one capture per press

  void FormCreate(TObject* Sender);

  // ---- Device link and commands
  using MpusbHandle = MpusbApi::MpusbHandle;
  // The logic configuration stream: FF FF FF, the bit-reversed data, 00 00.
  static constexpr std::size_t kUploadBytes = 54912;

  // Transfers; both return at once while the link is closed. A transfer that
  // finds the device gone closes the link and says so once.
  void MPUSBWrite(MpusbHandle handle, const std::uint8_t* buf, std::uint32_t len,
                  std::uint32_t* sent, std::uint32_t timeout);
  void MPUSBRead(MpusbHandle handle, std::uint8_t* buf, std::uint32_t len, std::uint32_t* got,
                 std::uint32_t timeout);
  // One command byte on the OUT endpoint (10 ms).
  void SendDeviceCommand(std::uint8_t command);
  int OpenDeviceH();  // primary back end: 0, or -1 when a pipe does not open
  int OpenDeviceW();  // fallback back end: 0, or -1
  // Open the device if needed, then 1 V/div on both channels and 1 ms/div;
  // test1 also calibrates when asked to, test2 first forgets an earlier failure.
  void test0();
  void test1();
  void test2();
  void CheckInvalidHandle();
  // Command 20, then the back end is released; nothing happens when closed.
  void ReleaseDevice();

  // Logic upload and firmware query. SendFPGAdata returns 0 when the stream
  // went out, -1 when the logic file could not be used (nothing is sent then).
  int SendFPGAdata();
  void QueryFirmwareVersion();
  std::array<std::uint8_t, kUploadBytes> UploadBuffer{};

  // Command set and settings packet.
  void Reset_500(std::uint8_t state, std::uint8_t armed);
  void Set500();
  void asetus_1();
  void Set_DACs();
  void asetus(const std::string& label, int kind);
  void AsetaAika(int pixelStep, const std::string& label);

  // The buttons the start-up presses and the horizontal position bar.
  TPanel* LoadingPanel;             // "Loading, please wait..." while the device opens
  TGrSpeedButton* SpeedButton15v1;  // CH1 "1V"
  TGrSpeedButton* SpeedButton15v2;  // CH2 "1V"
  TGrSpeedButton* SpeedButton2ms;   // "1ms"
  TScrollBar* ScrollBar2;           // horizontal position, 32 = centre
  void SpeedButton15v1Click(TObject* Sender);
  void SpeedButton15v2Click(TObject* Sender);
  void SpeedButton2msClick(TObject* Sender);
  void ms500off();
  // Applies one row of the time-base table, or one volts/div row to a channel
  // (1 or 2), as the front-panel buttons of that row do.
  void ApplyTimeBaseStep(const engine::TimeBaseStep& step);
  void ApplyRangeStep(int channel, const engine::RangeStep& step);
  // The sample-rate text the next AsetaAika prints.
  std::string NextSampleRateText = "125kS/s";

  // Display steps of the apply operations; the display work fills them.
  void putsataanko();  // wipe and rebuild the picture when a wipe is pending
  void poisto();       // erase the traces
  void piirrot();      // draw the traces
  void TulostaTeksti(const std::string& /*text*/, int /*x*/, int /*y*/, TColor /*color*/) {}  // screen text
  void f_alue() {}       // spectrum span label
  void kursoriaika() {}     // time-marker read-out
  void kursorivoltit() {}   // voltage-marker read-out
  void kursoritaajuus() {}  // frequency-marker read-out
  void kursoridb() {}       // level-marker read-out
  // Demo display periods from the current ranges, positions and time base.
  void tee_demo();

 private:
  // Builds the controls above; run by the constructor before FormCreate.
  void CreateDeviceControls();
  // The open shared by test0/test1/test2; true when the link is open after it.
  bool OpenLink();
  // Releases the back end without a word to the device.
  void ReleaseBackEnd();
  void ShowLoadingPanel(bool show);
  // Closes the link after the device was found gone and tells the user.
  void DeviceLost();
  // Reads the logic file into UploadBuffer; false when it cannot be used.
  bool LoadLogicFile(std::string* failedPath);
  // Sticky trigger bits of c6: they change only on recognised values.
  std::uint8_t TriggerCh2Bit = 0;
  std::uint8_t TriggerOnBit = 0;
  std::uint8_t FallingEdgeBit = 0;

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
  // Position bars of CH1 and CH2 (-128..127) and the trigger level bar (0..255).
  TTrackBar* TrackBar1;
  TTrackBar* TrackBar2;
  TTrackBar* TrackBar3;
  TOpenDialog* OpenDialog2;  // settings recall; the start-up presets it from the command line

  // "Darvik48.ini" in DataFolder, open from creation until the close has written it.
  TIniFile* ScopeIni = nullptr;

  // Builds the timers, menu and bars above and hooks the close events; the
  // constructor runs it before FormCreate.
  void CreateStartupComponents();
  void Timer3Timer(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void Timer6Timer(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void RestoreDefaultSettingsExit1Click(TObject* Sender);
  // The application-wide hot key arrived.
  void WMHotKey(int id);

  // Main settings file: what the creation reads, what the start-up reads,
  // and the complete write at close (false when a write was refused; the
  // failure has then been reported once).
  void ReadCreationSettings();
  void CheckCalibrationRecord();
  void MarkRunning();
  void ReadStartupSettings();
  void ReadWindowSizes();
  bool WriteMainSettings();
  std::uint8_t NoNoteAtStart = 0;  // NoNote as the file held it at start; the close writes it back
  // Work blocks.
  void ReserveWorkBlocks();
  void ReleaseWorkBlocks();
  // The not-xor pens from the colours; the grid pen follows "Bright Grid".
  void DerivePens();

  // Steps that other work fills; the start-up and close call them in place.
  void SpeedButtonRunClick(TObject* Sender);            // Run button: acquisition cycle
  void FastTimer1Timer(TObject* Sender);                // Run tick: acquisition cycle
  void FastTimer2Timer(TObject* Sender);                // Single tick: acquisition cycle
  void Timer2Timer(TObject* Sender);                    // trigger wait count: acquisition cycle
  void Timer4Timer(TObject* Sender);                    // demo pacing: acquisition cycle
  void Timer5Timer(TObject* /*Sender*/) {}               // generator mailbox poll: remote control
  void Timer91Timer(TObject* /*Sender*/) {}              // sweep progress bar: generator panel
  void DoGrid() {}                                       // graticule: display
  void Hamming1Click(TObject* /*Sender*/) {}             // FFT window: spectrum analyser
  void Sin_Cosf() {}                                     // FFT twiddle table: spectrum analyser
  void x101Click(TObject* /*Sender*/) {}                 // CH1 x10 probe: vertical controls
  void x102Click(TObject* /*Sender*/) {}                 // CH2 x10 probe: vertical controls
  void TrackBar1Change(TObject* /*Sender*/) {}           // CH1 position: vertical controls
  void TrackBar2Change(TObject* /*Sender*/) {}           // CH2 position: vertical controls
  void TrackBar3Change(TObject* /*Sender*/) {}           // trigger level: trigger controls
  void NormalPersistence1Click(TObject* /*Sender*/) {}   // persistence modes: persistence
  void PersistencewithIntensityGrading1Click(TObject* /*Sender*/) {}
  void VariablePersistence1Click(TObject* /*Sender*/) {}
  void GrSpeedButton1Click(TObject* /*Sender*/) {}       // "Big Screen": instrument switching
  void tee_demo_taulut();                               // demo source tables: demo source
  void SaveSettings() {}                                 // "settings48.ini" writer: settings files
  void RecallSettings() {}                               // recall "settings48.ini": settings recall
  void RecallSettings2() {}                              // recall the command-line file: settings recall

 private:
  // Unregisters the hot key when the window goes without a normal close.
  struct HotKeyRelease {
    ~HotKeyRelease();
  } hot_key_release_;

 public:
  // ======== Acquisition cycle and demo source (acquisition work) ========
  TLabel* Label3 = nullptr;  // status: "Trigger off", "Running", "Stopped" ...
  void SpeedButtonSingleClick(TObject* Sender);
  // Blocking single capture for calibration, Bode sweep, autoset and the
  // data-file reader: returns when the capture is drawn, or when the loop was
  // stopped, the link closed or the program is ending.
  void SingleClick();
  // The recorder's start capture: reads one capture into UsbRxBuffer without
  // unpacking. True when all of it arrived; false when the link closed, the
  // program is ending or RecorderCaptureLimitMs passed without a capture.
  bool SingleClick0();
  // The slowest capture (4096 samples at 250 S/s) and 2 s more.
  int RecorderCaptureLimitMs = 16384 + 2000;
  // Demo source: step and trigger search, and one synthetic capture.
  void triggaa_demo();
  void luedemo();
  // Shows a status text on this window and on the twin panel.
  void SetStatusText(const std::string& text);

  // Steps of the capture path that other work fills.
  void rms_out() {}          // RMS and dBm read-outs: measurements
  void measure() {}          // CH1 waveform parameters: measurements
  void FFT() {}              // transform of the shown channel: spectrum analyser
  void LinToLog() {}         // log frequency axis: spectrum display options
  void SaveShareData() {}    // sample export to shared memory: remote control
  void ExtendedCalibrationStep() {}  // one step of the extended wait: calibration

 private:
  enum class CaptureMode { Run, Single };
  // Makes the controls of this work; run by the constructor before FormCreate.
  void CreateAcquisitionControls();
  // Erase, unpack (or synthesise), read-outs, spectrum, export, draw.
  void PostCaptureSteps(CaptureMode mode);
  // One device step of a capture loop: a status poll while armed, then the
  // capture read once it is ready. True when a whole capture arrived.
  bool DeviceCaptureStep(std::uint32_t pollBytes, std::uint32_t blockTimeoutMs);
  // Reads the 8 blocks of a capture; true only when all 8192 bytes arrived.
  bool ReadCaptureBlocks(std::uint32_t timeoutMs);
  void LeaveFileDisplay();
  void RedrawWithoutPositionOffset();
  void ShowNewestHistory();
  void SetRunDown(bool down);
  void SetSingleDown(bool down);
  void SetSingleEnabled(bool enabled);
  void SetHistoryBarsEnabled(bool enabled);
  bool PersistDown() const;
  bool LinkLost() const;
  void EndRunLoop();

 public:
  // ======== Picture cycle and trace drawing (display work) ========
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
};

inline TForm1* Form1 = nullptr;
