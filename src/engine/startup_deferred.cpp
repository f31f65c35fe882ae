// The deferred start-up on Timer3's second tick: window places, device or demo mode, first calibration, settings recall.
#include "engine/startup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/add_text.h"
#include "engine/color_menu.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "device/scope_device.h"
#include "platform/os/folders.h"
#include "platform/ui/vcl.h"

namespace {

const char* const kDemoModeText =
    "Software runs now in Demo Mode.\rClick 'Run' to start the demo.\r\r"
    "Choose Options|Hardware Setup menu to enter normal mode.";
const char* const kRunAnywayText =
    "Other Darvik48 software may be active.\rSimultaneous use will cause problems.\r"
    "If previous session was abnormally terminated click \"No\".\r"
    "Disconnect and reconnect the USB cable and restart the program.\rRun anyway?";
const char* const kPreviousCalibrationFailedText =
    "Previous calibration failed.\rSelect File|Calibrate && Exit and restart the program.";
const char* const kCalibrateNowText =
    "The oscilloscope will now be calibrated.\rPlease make sure that the oscilloscope inputs CH1 and CH2\r"
    "are disconnected from external circuits.";

// The parameters the program was started with, without the program's name
// and without the help units' debug switch, which names no settings file.
std::vector<std::string> ProgramParameters() {
  std::vector<std::string> params;
  if (!QCoreApplication::instance()) return params;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i].compare(QStringLiteral("/debug"), Qt::CaseInsensitive) == 0 ||
        args[i].compare(QStringLiteral("-debug"), Qt::CaseInsensitive) == 0)
      continue;
    params.push_back(args[i].toStdString());
  }
  return params;
}

void ShowDemoModeMessage(TForm1* form) {
  MessageDlgPos(kDemoModeText, mtInformation, mbOK, 0, form->Left() + 163, form->Top() + 200);
}

}  // namespace

void TForm1::Timer3Timer(TObject* /*Sender*/) {
  ++ScopeState.StartupTick;
  if (ScopeState.StartupTick < 2) return;

  // Never again; folders.
  Timer3->SetEnabled(false);
  ScopeState.ProgramFolder = engine::ResolveProgramFolder();
  ScopeState.DocumentsFolder = os::GetSpecialFolderPath(os::kCsidlPersonal) + "/";
  const std::string candidate = ScopeState.DocumentsFolder + "My Darvik48/";

  // Graticule and FFT window; the twin panel's labels in the channel colours.
  DoGrid();
  Spectrum().Hamming1Click(this);
  if (Form11) engine::ColourChannelLabels(*Form11, DisplayState);

  // Probe factors, Big Screen, persistence options, twin panel.
  SettingsFiles().ReadStartupSettings();

  // The labels of the picture.
  TulostaTeksti(ScopeState.TimeDivText, ScopeState.ScreenX0 + 592, 3, DisplayState.TimeMarkerColor);
  if (ScopeState.SampleRateOn) TulostaTeksti(ScopeState.SampleRateText, ScopeState.ScreenX0 + 492, 3, DisplayState.TimeMarkerColor);
  TulostaTeksti(ScopeState.Channels[0].RangeText, ScopeState.ScreenX0 + 10, 3, DisplayState.Ch1Color);
  TulostaTeksti(ScopeState.Channels[1].RangeText, ScopeState.ScreenX0 + 70, 3, DisplayState.Ch2Color);

  // Without floating point there is no spectrum analyser.
  if (!ScopeState.FpuPresent) {
    TCanvas* canvas = Image1->Canvas();
    canvas->Font.Size = 12;
    TulostaTeksti("No math coprocessor:", ScopeState.ScreenX0 + 10, ScopeState.ScreenY0 + 70, clWhite);
    TulostaTeksti("No spectrum analyzer functions.", ScopeState.ScreenX0 + 10, ScopeState.ScreenY0 + 100, clWhite);
    canvas->Font.Size = 8;
    ScopeState.ClearPending = 1;
    for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
      if (a) {
        a->FFTWindow1->SetEnabled(false);
        a->FFTOptions1->SetEnabled(false);
        a->fft1->SetEnabled(false);
      }
  }

  // Sizes and places of the text and measurement windows.
  SettingsFiles().ReadWindowSizes();

  // Settings files that are there but cannot be used: said once, then left
  // alone.
  if (ScopeIni) engine::TellIfUnusable(ScopeState, *ScopeIni);
  if (ScopeState.OtherInstruments.TellIfGeneratorSettingsUnusable) ScopeState.OtherInstruments.TellIfGeneratorSettingsUnusable();
  if (Application->Terminated()) return;  // closed while a message was up

  // An unusable calibration record was replaced at creation: say so.
  if (ScopeState.CalibrationInvalid) MessageDlgPos(kPreviousCalibrationFailedText, mtWarning, mbOK, 0, Left() + 200, Top() + 200);
  if (Application->Terminated()) return;  // closed while the warning was up

  // The "Add Text" windows at the main window's top right corner.
  TForm* recorderEditor = ScopeState.OtherInstruments.RecorderTextEditor ? ScopeState.OtherInstruments.RecorderTextEditor() : nullptr;
  for (TForm* editor : {static_cast<TForm*>(Form_9), recorderEditor}) {
    if (!editor) continue;
    editor->SetBounds(Left() + Width() - editor->Width(), Top(), editor->Width(), editor->Height());
  }

  // The recorder takes the screen colours.
  if (ScopeState.OtherInstruments.RecorderStartColors) ScopeState.OtherInstruments.RecorderStartColors();

  // The hardware dialog shows the mode in force.
  if (BtnBottomDlg) (ScopeState.DemoMode ? BtnBottomDlg->RadioButton2 : BtnBottomDlg->RadioButton1)->SetChecked(true);

  // On the first run the documents get a folder of their own.
  if (ScopeState.FirstRunCalibration) {
    std::error_code ec;
    std::filesystem::create_directory(candidate, ec);
  }
  if (os::DirectoryExists(candidate)) ScopeState.DocumentsFolder = candidate;

  // Device or demo mode.
  // The device level follows the mode read at creation (the
  // link is not open yet, so nothing goes out).
  RefreshDeviceTriggerLevel();
  // A demo session starts at 1 V/div and 1 ms/div like a device session, so
  // the range and time labels agree with the pressed buttons (nothing is sent
  // in demo mode); remote commands are taken from here on.
  const auto demoReady = [this] {
    Acquisition().tee_demo_taulut();
    FrontPanel().SpeedButton15v1Click(this);
    FrontPanel().SpeedButton15v2Click(this);
    FrontPanel().SpeedButton2msClick(this);
    ScopeState.StartupModeReady = 1;
  };
  if (ScopeState.DemoMode) {
    demoReady();
    ShowDemoModeMessage(this);
  } else {
    if (ScopeState.PreviousRunMark && MessageDlg(kRunAnywayText, mtInformation, mbYes | mbNo) != mrYes) {
      // Ends the program; nothing of the device is touched.
      Close();
      return;
    }
    Acquisition().test0();
    ScopeState.StartupModeReady = !device_.HardwareMissing();
    if (device_.HardwareMissing()) {
      if (BtnBottomDlg1) BtnBottomDlg1->ShowModal();
      ShowDemoModeMessage(this);
      ScopeState.DemoMode = 1;
      // The fallback to demo mode turns the device level round.
      RefreshDeviceTriggerLevel();
      demoReady();
    }
  }
  if (Application->Terminated()) return;  // closed while a notice was up

  // First run with a device: calibrate.
  if (ScopeState.FirstRunCalibration && !ScopeState.DemoMode) {
    MessageDlgPos(kCalibrateNowText, mtInformation, mbOK, 0, Left() + 155, Top() + 200);
    if (Application->Terminated()) return;
    Calibration().calibrate();
    FrontPanel().TrackBar1Change(this);
    FrontPanel().TrackBar2Change(this);
    // A calibration cut short (the device went away) is
    // asked for again at the next start.
    if (ScopeState.CalibrationCompleted) ScopeState.FirstRunCalibration = 0;
    // Asked to close while calibrating: the close follows, nothing more starts.
    if (ScopeState.CloseRequested) return;
    FrontPanel().SpeedButton15v1Click(this);
    FrontPanel().SpeedButton15v2Click(this);
    FrontPanel().SpeedButton2msClick(this);
  }

  // Bring each ground mark toward mid-screen, one bar step per round: a
  // higher position moves the trace, and so its ground level, down.
  // The marker levels come from the calibration and do not
  // follow the bars in demo mode, so there the rounds would only push the
  // demo traces off centre.
  for (int round = 0; round < 5 && !ScopeState.DemoMode; ++round) {
    if (ScopeState.Channels[0].MarkerLevel < 128) TrackBar1->SetPosition(TrackBar1->Position() + 1);
    else if (ScopeState.Channels[0].MarkerLevel > 128) TrackBar1->SetPosition(TrackBar1->Position() - 1);
  }
  for (int round = 0; round < 5 && !ScopeState.DemoMode; ++round) {
    if (ScopeState.Channels[1].MarkerLevel < 128) TrackBar2->SetPosition(TrackBar2->Position() + 1);
    else if (ScopeState.Channels[1].MarkerLevel > 128) TrackBar2->SetPosition(TrackBar2->Position() - 1);
  }

  // Settings recall: a file named on the command line wins (offered in
  // the open dialog), else the last settings when asked for.
  ScopeState.StartupReachedRecall = 1;
  const std::vector<std::string> params = ProgramParameters();
  if (!params.empty()) {
    OpenDialog2->SetFileName(params.front());
    SettingsFiles().RecallSettings2();
  } else if (ScopeState.RecallLastSettings) {
    SettingsFiles().RecallSettings();
  }

  // Fresh picture, generator output off, generator hardware.
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
  if (ScopeState.OtherInstruments.GeneratorOutputOff) ScopeState.OtherInstruments.GeneratorOutputOff();
  if (!ScopeState.ProgramFolder.empty() && ::chdir(ScopeState.ProgramFolder.c_str()) != 0) {
    // The current folder only matters to relative names; stay where we are.
  }
  if (ScopeState.OtherInstruments.SetGeneratorHardware) ScopeState.OtherInstruments.SetGeneratorHardware(!ScopeState.DemoMode);
  if (ScopeState.OtherInstruments.ActivateGenerator) ScopeState.OtherInstruments.ActivateGenerator();

  // The firmware version for the about box.
  Acquisition().QueryFirmwareVersion();

  // From now on StartupTick counts for the capture loops.
  ScopeState.StartupTick = 0;
}
