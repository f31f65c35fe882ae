// The acquisition: the Run and Single loops on their ticks, the blocking
// captures other instruments ask for, the steps every capture goes through
// once it has arrived, the demo source as the scope drives it, and the open
// of the device link with its loading panel.
#pragma once

#include <cstdint>
#include <string>

#include "device/scope_device.h"
#include "display/capture.h"
#include "engine/front_panel.h"
#include "engine/scope_states.h"
#include "platform/ui/vcl.h"

namespace engine::front_panel {
class FrontPanelController;
}

namespace engine::acquisition {

// Where the Run loop stands; the numbers are those the loop has always used.
enum class RunPhase : std::int32_t { Start = 0, AfterCapture = 1, Waiting = 2, Stopped = 5 };

// What the acquisition asks of the main window: the picture cycle, the
// front panel, the read-outs and the spectrum of a new capture.
class AcquisitionHost {
 public:
  virtual engine::front_panel::FrontPanelController& FrontPanel() = 0;
  virtual void putsataanko() = 0;
  virtual void poisto() = 0;
  virtual void TulostaTeksti(const std::string& text, int x, int y, TColor color) = 0;
  virtual void kursoridb() = 0;
  virtual void DrawCapture(const display::Capture& capture) = 0;
  virtual void RedrawWithoutPositionOffset() = 0;
  virtual void StartHistoryRecording() = 0;
  virtual void ShowNewestHistory() = 0;
  virtual void rms_out(const display::Capture& capture) = 0;
  virtual void measure(const display::Capture& capture) = 0;
  virtual void ExtendedCalibrationStep() = 0;
  virtual void FFT(const display::Capture& capture) = 0;
  virtual void LinToLog() = 0;
  virtual void calibrate() = 0;

 protected:
  ~AcquisitionHost() = default;
};

// The main window's controls the acquisition works: its caption, the
// timers of the loops, the loading panel and the spectral-density item.
struct AcquisitionControls {
  TForm& Window;
  TTimer& Fasttimer1;  // Run tick
  TTimer& Fasttimer2;  // Single tick
  TTimer& Timer2;      // trigger wait count
  TTimer& Timer4;      // demo pacing
  TTimer& Timer6;      // one-shot wait
  std::uint8_t& Timer6Fired;
  TPanel& LoadingPanel;
  TMenuItem* const& MarkersFFTSpectralDensity1;  // made with the spectrum's menus
};

class AcquisitionController : public engine::WithScopeStates {
 public:
  AcquisitionController(const engine::ScopeStates& states, AcquisitionHost& host, device::ScopeDevice& device,
                        FrontPanelControls& panel, const AcquisitionControls& controls);

  // Run and Single buttons and the ticks of their loops.
  void SpeedButtonRunClick(TObject* Sender);
  void FastTimer1Timer(TObject* Sender);
  void SpeedButtonSingleClick(TObject* Sender);
  void FastTimer2Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  void Timer4Timer(TObject* Sender);
  // The one-shot wait's tick.
  void Timer6Timer(TObject* Sender);

  // Blocking single capture for calibration, Bode sweep, autoset and the
  // data-file reader: returns when the capture is drawn, or when the loop was
  // stopped, the link closed or the program is ending.
  void SingleClick();
  // The recorder's start capture: the device reads one capture, which is not
  // unpacked. True when all of it arrived; false when the link closed, the
  // program is ending or RecorderCaptureLimitMs passed without a capture.
  bool SingleClick0();
  // The slowest capture (4096 samples at 250 S/s) and 2 s more.
  int RecorderCaptureLimitMs = 16384 + 2000;

  // Shows a status text on the main window and on the twin panel.
  void SetStatusText(const std::string& text);
  // Run and Single up on both windows through their handlers, both stop
  // flags set, their timers stopped.
  void ReleaseRunAndSingle();
  // The same without the handlers.
  void StopRunAndSingleLoops();
  // Lets messages run until the one-shot Timer6 has ticked once, so that a
  // running acquisition loop can finish.
  void WaitOneTimer6Tick();
  // When Run or Single is down: both released and one Timer6 tick let pass,
  // so that no capture lands after the caller goes on.
  void StopAndSettle();
  // Run and Single up, both stop flags set (the close stops the acquisition so).
  void Power_on_off();
  bool PersistDown() const;
  bool LinkLost() const;

  // Sample export to shared memory of a capture as shown.
  void SaveShareData(const display::Capture& capture);

  // Demo source: the tables a demo starts with, the display periods from the
  // current ranges, positions and time base, step and trigger search, and one
  // synthetic capture.
  void tee_demo_taulut();
  void tee_demo();
  void triggaa_demo();
  void luedemo();

  // Open the device if needed, then 1 V/div on both channels and 1 ms/div;
  // test1 also calibrates when asked to, test2 first forgets an earlier failure.
  void test0();
  void test1();
  void test2();
  // The firmware version query at the end of the start-up (About box).
  void QueryFirmwareVersion();

 private:
  enum class CaptureMode { Run, Single };
  // The steps a single capture starts with.
  void ApplySettingsForSingle();
  // Erase, unpack (or synthesise), read-outs, spectrum, export, draw.
  void PostCaptureSteps(CaptureMode mode);
  void LeaveFileDisplay();
  void SetRunDown(bool down);
  void SetSingleDown(bool down);
  void SetSingleEnabled(bool enabled);
  // True (and the user told how to go on) when Run or Single is pressed
  // while the device link is lost.
  bool RefusedWithoutDevice();
  static constexpr const char* kNoDeviceToCaptureText =
      "The Darvik48 is not connected.\rConnect it and choose Options|Hardware Setup..., or choose demo mode there.";
  void EndRunLoop();
  // The open shared by test0/test1/test2; true when the link is open after it.
  bool OpenLink();
  // Where the device's logic file is read from.
  device::LogicFolders LogicFolders() const;
  void ShowLoadingPanel(bool show);

  AcquisitionHost& host_;
  device::ScopeDevice& device_;
  FrontPanelControls& panel_;
  AcquisitionControls controls_;

  RunPhase Phase = RunPhase::Stopped;
  std::uint8_t CaptureReady = 0;      // 16 when this tick read a complete capture
  std::uint8_t RunningShown = 0;      // the status already reads "Running"
  std::uint16_t MeasureCounter = 0;   // Run captures since the last read-out update
  std::uint8_t DemoPaceTicks = 0;     // pacing ticks since a demo capture was asked for
};

// The main window's acquisition; nullptr while there is no main window.
AcquisitionController* MainAcquisition();

}  // namespace engine::acquisition
