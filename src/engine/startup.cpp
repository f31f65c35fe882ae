// The main window's life cycle: creation (buffers, hot key, defaults, folders,
// the main settings file, colours), the deferred start-up on the second tick
// of Timer3 (window places, device or demo mode, first calibration, settings
// recall, firmware query) and the orderly close.
#include "engine/startup.h"

#include <algorithm>

#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "engine/add_text.h"
#include "display/screen_colors.h"
#include "engine/color_menu.h"
#include "display/display_state.h"
#include "display/persistence_state.h"
#include "engine/calibration.h"
#include "engine/calibration_record.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "device/scope_device.h"
#include "platform/os/folders.h"
#include "platform/os/numeric.h"
#include "platform/os/zero_pages.h"
#include "platform/ui/vcl.h"
#include "display/history.h"
#include "display/history_state.h"
#include "display/persistence.h"
#include "display/graticule.h"
#include "widgets/control_maker.h"

#ifndef DARVIK48_DATADIR
#define DARVIK48_DATADIR ""
#endif

namespace engine {

std::string ResolveProgramFolder() {
  std::string installed = DARVIK48_DATADIR;
  if (!installed.empty() && os::DirectoryExists(installed)) {
    if (installed.back() != '/') installed += '/';
    return installed;
  }
  return os::ProgramFileFolder();
}

std::string ResolveDataFolder() {
  return os::GetSpecialFolderPath(os::kCsidlLocalAppData) + "/Brastel/Darvik48/";
}

int ProbeFactorFromFile(int value) { return value == 10 ? 10 : 1; }

}  // namespace engine

namespace {

constexpr int kTimer1Interval = 100;
constexpr int kTimer2Interval = 1000;
constexpr int kTimer3Interval = 200;
constexpr int kTimer4Interval = 100;
constexpr int kTimer5Interval = 50;
constexpr int kTimer6Interval = 1000;
constexpr int kFastTimerInterval = 10;
constexpr int kTimer91Interval = 700;

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


// The picture label of a channel's (1 or 2) range.
std::string RangeLabelOf(const engine::WithScopeStates& states, const engine::ScopeSettings& settings, int channel) {
  if (const engine::RangeStep* row = engine::RangeRowOfCode(settings.GainCode(channel)))
    return settings.X10(channel) ? row->LabelX10 : row->LabelX1;
  return channel == 1 ? states.ScopeState.Ch1RangeText : states.ScopeState.Ch2RangeText;
}

void ShowDemoModeMessage(TForm1* form) {
  MessageDlgPos(kDemoModeText, mtInformation, mbOK, 0, form->Left() + 163, form->Top() + 200);
}

}  // namespace

TForm1::HotKeyRelease::~HotKeyRelease() { UnregisterAppShortcut(kHotKeyId); }

void TForm1::CreateStartupComponents() {
  ControlMaker make(this);
  // Made stopped, so that nothing ticks before the window is built.
  const auto timer = [&make](const char* name, int interval, bool enabled, TNotifyEvent handler) {
    TTimer* t = make.Timer(name, static_cast<unsigned>(interval), std::move(handler));
    t->SetEnabled(enabled);
    return t;
  };
  Timer1 = timer("Timer1", kTimer1Interval, true, [this](TObject* s) { Timer1Timer(s); });
  Timer2 = timer("Timer2", kTimer2Interval, true, [this](TObject* s) { Timer2Timer(s); });
  // The start-up timer is enabled at the end of FormCreate.
  Timer3 = timer("Timer3", kTimer3Interval, false, [this](TObject* s) { Timer3Timer(s); });
  Timer4 = timer("Timer4", kTimer4Interval, true, [this](TObject* s) { Timer4Timer(s); });
  Timer5 = timer("Timer5", kTimer5Interval, true, [this](TObject* s) { Timer5Timer(s); });
  Timer6 = timer("Timer6", kTimer6Interval, false, [this](TObject* s) { Timer6Timer(s); });
  Fasttimer1 = timer("Fasttimer1", kFastTimerInterval, false, [this](TObject* s) { FastTimer1Timer(s); });
  Fasttimer2 = timer("Fasttimer2", kFastTimerInterval, false, [this](TObject* s) { FastTimer2Timer(s); });
  Timer91 = timer("Timer91", kTimer91Interval, false, [this](TObject* s) { Timer91Timer(s); });

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  File1 = make.Item(MainMenu1->Items(), "File1", "&File");
  RestoreDefaultSettingsExit1 = make.Item(File1, "RestoreDefaultSettingsExit1", "Restore Default Settings && Exit",
                                          [this](TObject* s) { RestoreDefaultSettingsExit1Click(s); });
  SetMenu(MainMenu1);

  // The front panel holds the CH1 and CH2 position bars (the trigger level
  // bar is bound with the other trigger controls).
  TrackBar1->OnChange = [this](TObject* s) { TrackBar1Change(s); };
  TrackBar2->OnChange = [this](TObject* s) { TrackBar2Change(s); };

  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Name = "OpenDialog2";
  OpenDialog2->SetFilter("Setup file (*.set)|*.set|All files (*.*)|*.*");

  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };

  // The File menu's "Calibrate" items and the calibrating panel.
  CreateCalibrationControls();
  // View "Bright Grid" and Options "Colors...".
  CreateColorControls();
  // Options "Hardware Setup...".
  CreateHardwareSetupControls();
  // The bit view button "10110010".
  CreateBitViewControls();
  // View "Markers (DSO) ", "RMS Value", "Waveform Parameters..." and the picture's mouse.
  CreateMarkerControls();
  // File menu settings and data files, Options "Save/Recall Last Oscilloscope Settings".
  CreateSettingsFileControls();
}

void TForm1::ReserveWorkBlocks() {
  ReleaseWorkBlocks();
  // Most blocks serve the spectrum alone: pages nobody writes cost nothing.
  for (std::uint8_t** block : {&ScopeState.FftBuffer, &ScopeState.LogAxisTable, &ScopeState.SpectrumHistoryBlock, &ScopeState.WindowTable, &ScopeState.SpectrumPeakBlock,
                               &ScopeState.FftAverageBlock, &ScopeState.DemoSourceTable}) {
    *block = static_cast<std::uint8_t*>(os::ReserveZeroPages(engine::kWorkBlockBytes));
    if (!*block) throw std::bad_alloc();
  }
}

void TForm1::ReleaseWorkBlocks() {
  for (std::uint8_t** block : {&ScopeState.FftBuffer, &ScopeState.LogAxisTable, &ScopeState.SpectrumHistoryBlock, &ScopeState.WindowTable, &ScopeState.SpectrumPeakBlock,
                               &ScopeState.FftAverageBlock, &ScopeState.DemoSourceTable}) {
    os::ReleaseZeroPages(*block, engine::kWorkBlockBytes);
    *block = nullptr;
  }
}

// DerivePens lives with the screen colours (display/screen_colors.cpp).

void TForm1::FormCreate(TObject* /*Sender*/) {
  // One life cycle of the window: nothing of a previous one carries over.
  ScopeState.ClosingDone = 0;
  ScopeState.RestoreDefaultsOnExit = 0;
  ScopeState.StartupReachedRecall = 0;
  ScopeState.StartupModeReady = 0;
  ScopeState.CalibrationInvalid = 0;
  ScopeState.PreviousRunMark = 0;
  ScopeState.RunningMark = 0;
  device_.ResetLinkFlags();

  // Work blocks.
  ReserveWorkBlocks();

  // Persistence defaults.
  display::ResetPersistence(PersistenceState);

  // The Big Screen hot key, for every window of the program.
  if (!RegisterAppShortcut(kHotKeyId, "Alt+B", [this] { WMHotKey(kHotKeyId); }))
    ShowMessage("Unable to assign \"ALT+B\" as hotkey.");

  // Engine defaults; the start-up presses 1 V/div and 1 ms/div later.
  ScopeState.Settings.Ch1GainCode = ScopeState.Settings.Ch2GainCode = 27;
  ScopeState.Settings.TimeBaseCode = 88;
  ScopeState.TimePerDiv = ScopeState.ShownTimePerDiv = 100000;
  ScopeState.Settings.TriggerSource = 16;
  ScopeState.Settings.TriggerSlope = 32;
  ScopeState.Settings.TriggerOff = 64;
  ScopeState.Settings.DeviceTriggerLevel = 128;
  ScopeState.Settings.TriggerLevel = static_cast<std::uint8_t>(TrackBar3->Position());
  // Off, so no level tick on the picture and none wanted.
  ScopeState.Settings.TriggerWanted = 0;
  DisplayState.TriggerOn = 0;
  ScopeState.Settings.Ch1Ac = ScopeState.Settings.Ch2Ac = 0;
  ScopeState.Settings.Ch1InputOn = ScopeState.Settings.Ch2InputOn = 1;
  ScopeState.Settings.Ch1OffsetDacByte = ScopeState.Settings.Ch2OffsetDacByte = 127;
  ScopeState.Ch1OffsetCal = ScopeState.Ch2OffsetCal = 124;
  ScopeState.Ch1RangeTrim = ScopeState.Ch2RangeTrim = 0;
  ScopeState.Ch1RateTrim = ScopeState.Ch2RateTrim = 0;
  ScopeState.Ch1PositionDac = ScopeState.Ch2PositionDac = 0;
  ScopeState.DisplayStart = ScopeState.CaptureStart = 1024;
  ScopeState.SampleStep = 10;
  ScopeState.PixelStep = 2;
  ScopeState.Magnification = 10.0;
  ScopeState.DemoMode = ScopeState.Settings.DigitalMode = ScopeState.SpectrumMode = ScopeState.NoiseRejectOn = 0;
  ScopeState.Settings.Ch1On = ScopeState.Settings.Ch2On = 1;
  ScopeState.AcquisitionIdle = 1;
  ScopeState.Ch1ProbeFactor = ScopeState.Ch2ProbeFactor = 1.0;
  ScopeState.Settings.Ch1X10 = ScopeState.Settings.Ch2X10 = 0;
  ScopeState.Ch1ProbeDb = ScopeState.Ch2ProbeDb = 0.0;
  ScopeState.AverageBlend = 10;
  ScopeState.Ch1GroundLevel = ScopeState.Ch2GroundLevel = 128;
  ScopeState.Ch1MarkerLevel = ScopeState.Ch2MarkerLevel = 128;
  if (ScopeState.OtherInstruments.GeneratorStartValues) ScopeState.OtherInstruments.GeneratorStartValues();
  ScopeState.DotJoin = 1;
  ScopeState.AveragingOn = 0;
  ScopeState.AverageLength = 2;
  ScopeState.AverageCount = 0;
  // Only slots that are not zero are written: a ring nobody has used yet
  // stays memory the system has not had to give.
  for (std::size_t entry = 0; entry < engine::kSampleBlockEntries; ++entry)
    for (std::size_t slot = 0; slot < 4; ++slot)
      if (std::uint8_t& v = ScopeState.AverageRing[entry * engine::kAverageSlots + slot]; v != 0) v = 0;
  display::ResetHistory(HistoryState);
  ScopeState.FileCh1Ground = ScopeState.FileCh2Ground = 10000;
  ScopeState.SampleRateText = "125kS/s";
  ScopeState.TimeDivText = "1ms";
  // The range labels name the channels' ranges, so the picture agrees with
  // the panel while the start-up's dialogs are up.
  ScopeState.Ch1RangeText = ScopeState.Ch1RangeLabel = RangeLabelOf(*this, ScopeState.Settings, 1);
  ScopeState.Ch2RangeText = ScopeState.Ch2RangeLabel = RangeLabelOf(*this, ScopeState.Settings, 2);
  ScopeState.StartupTick = 0;

  // Calibration record defaults.
  engine::SetCalibrationPairs(ScopeState, engine::kDefaultCalibrationPairs);

  // Screen colours: the bright preset.
  display::UseDefaultScreenColors(DisplayState);

  // Screen geometry from the picture's size: the 650 x 256 graticule centred.
  ScopeState.ScreenX0 = Image1->Width() / 2 - 325;
  ScopeState.ScreenY0 = Image1->Height() / 2 - 129;
  ScopeState.TextLineY = Image1->Height() - 20;
  ScopeState.MarkerLimitX = Image1->Width() - ScopeState.ScreenX0;
  ScopeState.MarkerLimitY = Image1->Height() - ScopeState.ScreenY0 - 2;
  display::PlaceDefaultMarkers(display::MarkerPlacesOf(DisplayState), ScopeState.ScreenX0, ScopeState.ScreenY0);

  // The close, trigger-wait and demo timers start when they are needed.
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  Timer4->SetEnabled(false);

  // Folders.
  ScopeState.DataFolder = engine::ResolveDataFolder();
  os::ForceDirectories(ScopeState.DataFolder);
  ScopeState.ProgramFolder = engine::ResolveProgramFolder();

  // The main settings file. A new session tells again of files it cannot use.
  ScopeState.UnusableSettingsFilesTold.clear();
  delete ScopeIni;
  ScopeIni = new TIniFile(ScopeState.DataFolder + "Darvik48.ini");
  ReadCreationSettings();

  // Pens.
  DerivePens();

  // A record that cannot place the ground levels is replaced; one out of
  // range counts as no calibration at all.
  engine::DropCalibrationRecordOutOfRange(ScopeState);
  CheckCalibrationRecord();
  // The ground markers read the offset DAC in force; until a
  // position bar moves that is the calibrated offset (position term 0).
  ScopeState.Ch1OffsetDac = ScopeState.Ch1OffsetCal + ScopeState.Ch1PositionDac;
  ScopeState.Ch2OffsetDac = ScopeState.Ch2OffsetCal + ScopeState.Ch2PositionDac;

  // The running-instance mark.
  MarkRunning();

  // The trigger level bar shows the level; the channel labels take the
  // stored colours.
  TrackBar3->SetPosition(ScopeState.Settings.TriggerLevel);
  engine::ColourChannelLabels(*this, DisplayState);
  ApplyViewMenuChecks();

  // An empty sample block, and the picture as the drawing code sees it
  // (geometry and markers of step 7, the plotters' interpolation kernels).
  ScopeState.ScopeSampleBlock.fill(0);
  MainView = display::MainScopeView(Image1, ScopeState.ScreenX0, ScopeState.ScreenY0, ScopeState.TextLineY, ScopeState.MarkerLimitX, ScopeState.MarkerLimitY,
                                    display::MarkerPlacesOf(DisplayState), display::ReadoutPlacesOf(DisplayState));

  // Floating point never traps here: exceptions masked, round to nearest.
  numeric::SetupFloatingPoint();
  ScopeState.FpuPresent = 1;
  if (ScopeState.FpuPresent) Sin_Cosf();

  // The empty picture in the background colour until the graticule is drawn.
  TCanvas* canvas = Image1->Canvas();
  canvas->Brush.Color = DisplayState.BackgroundColor;
  canvas->Brush.Style = bsSolid;
  canvas->FillRect(Rect(0, 0, Image1->Width(), Image1->Height()));
  Image1->Invalidate();

  // The rest waits for the second tick of the start-up timer, when every
  // window exists.
  ScopeState.StartupTick = 0;
  Timer3->SetEnabled(true);
}

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
  Hamming1Click(this);
  if (Form11) engine::ColourChannelLabels(*Form11, DisplayState);

  // Probe factors, Big Screen, persistence options, twin panel.
  ReadStartupSettings();

  // The labels of the picture.
  TulostaTeksti(ScopeState.TimeDivText, ScopeState.ScreenX0 + 592, 3, DisplayState.TimeMarkerColor);
  if (ScopeState.SampleRateOn) TulostaTeksti(ScopeState.SampleRateText, ScopeState.ScreenX0 + 492, 3, DisplayState.TimeMarkerColor);
  TulostaTeksti(ScopeState.Ch1RangeText, ScopeState.ScreenX0 + 10, 3, DisplayState.Ch1Color);
  TulostaTeksti(ScopeState.Ch2RangeText, ScopeState.ScreenX0 + 70, 3, DisplayState.Ch2Color);

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
  ReadWindowSizes();

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
    tee_demo_taulut();
    SpeedButton15v1Click(this);
    SpeedButton15v2Click(this);
    SpeedButton2msClick(this);
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
    test0();
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
    calibrate();
    TrackBar1Change(this);
    TrackBar2Change(this);
    // A calibration cut short (the device went away) is
    // asked for again at the next start.
    if (ScopeState.CalibrationCompleted) ScopeState.FirstRunCalibration = 0;
    // Asked to close while calibrating: the close follows, nothing more starts.
    if (ScopeState.CloseRequested) return;
    SpeedButton15v1Click(this);
    SpeedButton15v2Click(this);
    SpeedButton2msClick(this);
  }

  // Bring each ground mark toward mid-screen, one bar step per round: a
  // higher position moves the trace, and so its ground level, down.
  // The marker levels come from the calibration and do not
  // follow the bars in demo mode, so there the rounds would only push the
  // demo traces off centre.
  for (int round = 0; round < 5 && !ScopeState.DemoMode; ++round) {
    if (ScopeState.Ch1MarkerLevel < 128) TrackBar1->SetPosition(TrackBar1->Position() + 1);
    else if (ScopeState.Ch1MarkerLevel > 128) TrackBar1->SetPosition(TrackBar1->Position() - 1);
  }
  for (int round = 0; round < 5 && !ScopeState.DemoMode; ++round) {
    if (ScopeState.Ch2MarkerLevel < 128) TrackBar2->SetPosition(TrackBar2->Position() + 1);
    else if (ScopeState.Ch2MarkerLevel > 128) TrackBar2->SetPosition(TrackBar2->Position() - 1);
  }

  // Settings recall: a file named on the command line wins (offered in
  // the open dialog), else the last settings when asked for.
  ScopeState.StartupReachedRecall = 1;
  const std::vector<std::string> params = ProgramParameters();
  if (!params.empty()) {
    OpenDialog2->SetFileName(params.front());
    RecallSettings2();
  } else if (ScopeState.RecallLastSettings) {
    RecallSettings();
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
  QueryFirmwareVersion();

  // From now on StartupTick counts for the capture loops.
  ScopeState.StartupTick = 0;
}

void TForm1::Timer6Timer(TObject* /*Sender*/) {
  Timer6->SetEnabled(false);
  Timer6Fired = 1;
}

void TForm1::WMHotKey(int id) {
  if (id != kHotKeyId || !GrSpeedButton1) return;
  GrSpeedButton1->SetDown(!GrSpeedButton1->Down());
  GrSpeedButton1Click(this);
}

// ---------------------------------------------------------------- close

namespace {
// Marks the close handlers as running for as long as one of them runs.
struct CloseUnderWayMark {
  bool& mark;
  explicit CloseUnderWayMark(bool& m) : mark(m) { mark = true; }
  ~CloseUnderWayMark() { mark = false; }
  CloseUnderWayMark(const CloseUnderWayMark&) = delete;
  CloseUnderWayMark& operator=(const CloseUnderWayMark&) = delete;
};
}  // namespace

void TForm1::CloseFromSignal() {
  if (Application->Terminated()) return;
  // The user's own close is asking about unsaved text: the answer is the
  // user's, and no second question opens.
  if (close_question_open_) return;
  SetUnattended(true);
  // A close waiting for the acquisition, or already writing, goes on (now
  // asking nothing); a second one would do it all twice.
  if (close_under_way_ || ScopeState.CloseRequested) return;
  Close();
}

void TForm1::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  // A close asked for while this one's question is open (the window
  // manager's close box, a signal) asks nothing more.
  if (close_under_way_) {
    CanClose = false;
    return;
  }
  const CloseUnderWayMark underWay(close_under_way_);
  // A calibration is never cut off: it stops at the request, puts the
  // previous record back when it was not finished, and Timer1 then closes.
  if (ScopeState.CalibrationRunning) {
    ScopeState.CloseRequested = 1;
    ScopeState.SingleStop = 1;
    CanClose = false;
    Timer1->SetEnabled(true);
    return;
  }
  // Unsaved wave-editor text is asked about before anything stops, so that
  // a cancelled close leaves the program as it was.
  if (ScopeState.OtherInstruments.GeneratorMayClose) {
    close_question_open_ = true;
    const bool editorMayClose = ScopeState.OtherInstruments.GeneratorMayClose();
    close_question_open_ = false;
    if (!editorMayClose) {
      CanClose = false;
      return;
    }
  }
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  if (ScopeState.OtherInstruments.StopBodeSweep) ScopeState.OtherInstruments.StopBodeSweep();
  Fasttimer1->SetEnabled(false);
  if (SpeedButtonRun->Down()) {
    SpeedButtonRun->SetDown(false);
    SpeedButtonRunClick(this);
  }
  // Before the start-up reached its recall the panel does not hold the
  // user's settings: saving then would overwrite the last ones.
  if (ScopeState.RecallLastSettings && ScopeState.StartupReachedRecall) SaveSettings();
  if (!ScopeState.AcquisitionIdle || engine::BodeSweepRunning(ScopeState.OtherInstruments)) {
    ScopeState.CloseRequested = 1;
    CanClose = false;
    Timer1->SetEnabled(true);
    return;
  }
  CanClose = true;
}

void TForm1::Timer1Timer(TObject* /*Sender*/) {
  if (!ScopeState.AcquisitionIdle || ScopeState.CalibrationRunning) return;
  Timer1->SetEnabled(false);
  ScopeState.CloseRequested = 0;
  Close();
}

void TForm1::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
  const CloseUnderWayMark underWay(close_under_way_);

  // The generator writes its own settings as its window closes; the wave
  // editor may refuse (it is then in sight again), and then nothing closes.
  if (ScopeState.OtherInstruments.CloseGenerator && !ScopeState.OtherInstruments.CloseGenerator()) {
    Action = caNone;
    return;
  }

  // Stop the acquisition and power the device down, once.
  if (!ScopeState.ClosingDone) {
    ScopeState.ClosingDone = 1;
    if (!ScopeState.DemoMode) Power_on_off();
    device_.ReleaseDevice();
  }

  // The main settings file. A refused write has been reported; the close
  // goes on, since the device is already down.
  WriteMainSettings();
  delete ScopeIni;
  ScopeIni = nullptr;

  // Back to the built-in defaults at the next start.
  if (ScopeState.RestoreDefaultsOnExit) {
    os::DeleteFile(ScopeState.DataFolder + "Darvik48.ini");
    os::DeleteFile(ScopeState.DataFolder + "FGen48.ini");
  }

  // The window goes; its work blocks and the hot key with it.
  Action = caFree;
  ReleaseWorkBlocks();
  UnregisterAppShortcut(kHotKeyId);
}
