// The main window's creation: its timers and first menu, the work blocks, the
// defaults, folders, the main settings file and colours; the Big Screen hot
// key. The deferred start-up is in startup_deferred.cpp, the close in
// startup_close.cpp.
#include "engine/startup.h"

#include <algorithm>
#include <new>
#include <string>

#include "display/screen_colors.h"
#include "engine/color_menu.h"
#include "display/display_state.h"
#include "display/persistence_state.h"
#include "engine/calibration.h"
#include "engine/calibration_record.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
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

// The picture label of a channel's (1 or 2) range.
std::string RangeLabelOf(const engine::WithScopeStates& states, const engine::ScopeSettings& settings, int channel) {
  if (const engine::RangeStep* row = engine::RangeRowOfCode(settings.GainCode(channel)))
    return settings.X10(channel) ? row->LabelX10 : row->LabelX1;
  return states.ScopeState.Channel(channel).RangeText;
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
  Timer2 = timer("Timer2", kTimer2Interval, true, [this](TObject* s) { Acquisition().Timer2Timer(s); });
  // The start-up timer is enabled at the end of FormCreate.
  Timer3 = timer("Timer3", kTimer3Interval, false, [this](TObject* s) { Timer3Timer(s); });
  Timer4 = timer("Timer4", kTimer4Interval, true, [this](TObject* s) { Acquisition().Timer4Timer(s); });
  Timer5 = timer("Timer5", kTimer5Interval, true, [this](TObject* s) { Timer5Timer(s); });
  Timer6 = timer("Timer6", kTimer6Interval, false, [this](TObject* s) { Acquisition().Timer6Timer(s); });
  Fasttimer1 = timer("Fasttimer1", kFastTimerInterval, false, [this](TObject* s) { Acquisition().FastTimer1Timer(s); });
  Fasttimer2 = timer("Fasttimer2", kFastTimerInterval, false, [this](TObject* s) { Acquisition().FastTimer2Timer(s); });
  Timer91 = timer("Timer91", kTimer91Interval, false, [this](TObject* s) { Timer91Timer(s); });

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  File1 = make.Item(MainMenu1->Items(), "File1", "&File");
  RestoreDefaultSettingsExit1 = make.Item(File1, "RestoreDefaultSettingsExit1", "Restore Default Settings && Exit",
                                          [this](TObject* s) { RestoreDefaultSettingsExit1Click(s); });
  SetMenu(MainMenu1);

  // The front panel holds the CH1 and CH2 position bars (the trigger level
  // bar is bound with the other trigger controls).
  TrackBar1->OnChange = [this](TObject* s) { FrontPanel().TrackBar1Change(s); };
  TrackBar2->OnChange = [this](TObject* s) { FrontPanel().TrackBar2Change(s); };

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
  for (std::size_t i = 0; i < ScopeState.Channels.size(); ++i) {
    engine::ScopeChannelSettings& settings = ScopeState.Settings.Channels[i];
    settings.GainCode = display::kDefaultRangeCode;
    settings.Ac = 0;
    settings.InputOn = 1;
    settings.OffsetDacByte = 127;
    settings.On = 1;
    settings.X10 = 0;
    engine::ScopeChannelState& channel = ScopeState.Channels[i];
    channel.OffsetCal = 124;
    channel.RangeTrim = 0;
    channel.RateTrim = 0;
    channel.PositionDac = 0;
    channel.ProbeFactor = 1.0;
    channel.ProbeDb = 0.0;
    channel.GroundLevel = 128;
    channel.MarkerLevel = 128;
  }
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
  ScopeState.DisplayStart = ScopeState.CaptureStart = 1024;
  ScopeState.SampleStep = 10;
  ScopeState.PixelStep = 2;
  ScopeState.Magnification = 10.0;
  ScopeState.DemoMode = ScopeState.Settings.DigitalMode = ScopeState.SpectrumMode = ScopeState.NoiseRejectOn = 0;
  ScopeState.AcquisitionIdle = 1;
  ScopeState.AverageBlend = 10;
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
  for (engine::ScopeChannelState& channel : ScopeState.Channels) channel.FileGround = display::kNoFileGround;
  ScopeState.SampleRateText = "125kS/s";
  ScopeState.TimeDivText = "1ms";
  // The range labels name the channels' ranges, so the picture agrees with
  // the panel while the start-up's dialogs are up.
  for (int ch = 1; ch <= 2; ++ch)
    ScopeState.Channel(ch).RangeText = ScopeState.Channel(ch).RangeLabel = RangeLabelOf(*this, ScopeState.Settings, ch);
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
  SettingsFiles().ReadCreationSettings();

  // Pens.
  DerivePens();

  // A record that cannot place the ground levels is replaced; one out of
  // range counts as no calibration at all.
  engine::DropCalibrationRecordOutOfRange(ScopeState);
  SettingsFiles().CheckCalibrationRecord();
  // The ground markers read the offset DAC in force; until a
  // position bar moves that is the calibrated offset (position term 0).
  for (engine::ScopeChannelState& channel : ScopeState.Channels) channel.OffsetDac = channel.OffsetCal + channel.PositionDac;

  // The running-instance mark.
  SettingsFiles().MarkRunning();

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
  if (ScopeState.FpuPresent) Spectrum().Sin_Cosf();

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

void TForm1::WMHotKey(int id) {
  if (id != kHotKeyId || !GrSpeedButton1) return;
  GrSpeedButton1->SetDown(!GrSpeedButton1->Down());
  GrSpeedButton1Click(this);
}
