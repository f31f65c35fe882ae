// The main settings file "Darvik48.ini" (the window's ScopeIni): what the
// window's creation and the deferred start-up read from it, the complete
// write at close and the running-instance mark.
#include "engine/settings_files/settings_files_controller.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "engine/measurement_window.h"
#include "engine/persistence_options.h"
#include "display/screen_colors.h"
#include "engine/calibration.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/scope_state.h"
#include "engine/startup.h"
#include "platform/ini/ini_file.h"
#include "platform/os/numeric.h"
#include "platform/ui/vcl.h"
#include "display/display_state.h"
#include "display/persistence.h"
#include "display/persistence_state.h"

namespace {

// Collects the outcome of many writes so that a refused file is reported
// once, not once per key.
class IniWriter {
 public:
  explicit IniWriter(TIniFile& ini) : ini_(ini) {}
  void Integer(const char* section, const char* key, int value) { Note(ini_.WriteInteger(section, key, value)); }
  void Bool(const char* section, const char* key, bool value) { Note(ini_.WriteBool(section, key, value)); }
  void String(const char* section, const char* key, const std::string& value) {
    Note(ini_.WriteString(section, key, value));
  }
  void Colour(const char* section, const char* key, TColor value) {
    Note(ini_.WriteInteger(section, key, static_cast<int>(value)));
  }
  void Place(const char* section, const TForm* form) {
    if (!form) return;
    Integer(section, "Top", form->Top());
    Integer(section, "Left", form->Left());
    Size(section, form);
  }
  // A size below the window's minimum is never stored.
  void Size(const char* section, const TForm* form) {
    if (!form) return;
    Integer(section, "Width", std::max(form->Width(), form->MinimumWidth()));
    Integer(section, "Height", std::max(form->Height(), form->MinimumHeight()));
  }
  bool Ok() const { return ok_; }

 private:
  void Note(bool written) { ok_ = ok_ && written; }
  TIniFile& ini_;
  bool ok_ = true;
};

// The same report as any other refused settings write.
void ReportWriteFailure(const TIniFile& ini) {
  Application->MessageBox(ini.WriteFailureMessage(), Application->Title(), MB_OK | MB_ICONERROR);
}

// A window place; the window keeps what it has for a missing key. A stored
// size of zero or less would make the window vanish, so such a place is not
// taken. What is taken is fitted to the screen: a place from another screen,
// or a damaged one, must neither hide the window nor make it larger than
// the screen.
void ReadPlace(TIniFile& ini, const char* section, TForm* form) {
  if (!form) return;
  const int top = ini.ReadInteger(section, "Top", form->Top());
  const int left = ini.ReadInteger(section, "Left", form->Left());
  const int width = ini.ReadInteger(section, "Width", form->Width());
  const int height = ini.ReadInteger(section, "Height", form->Height());
  if (width > 0 && height > 0) form->PlaceOnScreen(left, top, width, height);
}

void ReadSize(TIniFile& ini, const char* section, TForm* form) {
  if (!form) return;
  const int width = ini.ReadInteger(section, "Width", form->Width());
  const int height = ini.ReadInteger(section, "Height", form->Height());
  if (width > 0 && height > 0) form->PlaceOnScreen(form->Left(), form->Top(), width, height);
}

std::uint8_t ReadFlag(TIniFile& ini, const char* section, const char* key, bool def) {
  return ReadFlagKey(ini, section, key, def) ? 1 : 0;
}

bool TwoEqual(std::int32_t a, std::int32_t b, std::int32_t c) { return a == b || a == c || b == c; }

TForm* RecorderTextEditor(const engine::InstrumentLinks& links) {
  const auto& editor = links.RecorderTextEditor;
  return editor ? editor() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- unusable files

namespace engine {

namespace {

bool Told(const ScopeSharedState& scope, const std::string& path) {
  const std::vector<std::string>& told = scope.UnusableSettingsFilesTold;
  return std::find(told.begin(), told.end(), path) != told.end();
}

}  // namespace

void TellIfUnusable(ScopeSharedState& scope, const std::string& path, const std::string& problem) {
  if (problem.empty() || Told(scope, path)) return;
  scope.UnusableSettingsFilesTold.push_back(path);
  MessageDlg("The settings file " + path + " cannot be used: " + problem +
                 ".\rThe program goes on with its defaults and leaves the file as it is.",
             mtWarning, mbOK, 0);
}

void TellIfUnusable(ScopeSharedState& scope, TIniFile& ini) { TellIfUnusable(scope, ini.FileName(), ini.Problem()); }

bool UnusableAndTold(const ScopeSharedState& scope, TIniFile& ini) { return Told(scope, ini.FileName()) && !ini.Problem().empty(); }

bool UnusableAndTold(const ScopeSharedState& scope, const std::string& path) {
  if (!Told(scope, path)) return false;
  TIniFile ini(path);
  return !ini.Problem().empty();
}

}  // namespace engine

namespace engine::settings_files {

void SettingsFilesController::ReadCreationSettings() {
  if (!other_.ScopeIni) return;
  TIniFile& ini = *other_.ScopeIni;

  ScopeState.Channels[0].OffsetCal = ini.ReadInteger("Calibration", "offs_1", 124);
  ScopeState.Channels[1].OffsetCal = ini.ReadInteger("Calibration", "offs_2", 124);
  ScopeState.Channels[0].V5Offset = ini.ReadInteger("Calibration", "v5_offs1", 0);
  ScopeState.Channels[1].V5Offset = ini.ReadInteger("Calibration", "v5_offs2", 0);
  for (const engine::CalibrationPairKey& k : engine::CalibrationPairKeys(ScopeState))
    *k.Value = ini.ReadInteger("Calibration", k.Key, k.Default);

  ReadPlace(ini, "ScopeMainForm", &window_);

  const engine::InstrumentLinks& others = ScopeState.OtherInstruments;
  if (others.RecorderBrightGrid) *others.RecorderBrightGrid = ReadFlag(ini, "Menu", "BrightGrid_rec", false);
  DisplayState.ScopeBrightGrid = ReadFlag(ini, "Menu", "BrightGrid_dso", false);
  ScopeState.DotJoin = ReadFlag(ini, "Menu", "Dot_Join", true);
  ScopeState.FirstRunCalibration = ReadFlag(ini, "Menu", "HWdialog", true);
  ScopeState.HideScope = ReadFlag(ini, "Menu", "Hide_scope", false);
  if (others.BodeNoScope) *others.BodeNoScope = ReadFlag(ini, "Menu", "No_scope", false);
  ScopeState.RmsOn = ReadFlag(ini, "Menu", "RMS_on", false);
  ScopeState.DbmOn = ReadFlag(ini, "Menu", "dBm_on", false);
  ScopeState.SampleRateOn = ReadFlag(ini, "Menu", "Rate_on", false);
  ScopeState.NoNote = ReadFlag(ini, "Menu", "NoNote", false);
  ScopeState.RecallLastSettings = ReadFlag(ini, "Menu", "SaveRecallLastSettings", false);
  for (TMenuItem* item : {menu_.SaveRecallLastSettings1, Form11 ? Form11->SaveRecallLastSettings1 : nullptr})
    if (item) item->SetChecked(ScopeState.RecallLastSettings != 0);
  ScopeState.HistoryHintOn = ReadFlag(ini, "Menu", "ShowHistoryHint", true);
  if (others.Bodehelp) *others.Bodehelp = ReadFlag(ini, "Menu", "Bodehelp", true);
  if (others.Phasehelp) *others.Phasehelp = ReadFlag(ini, "Menu", "Phasehelp", true);
  ScopeState.ClearOnRunSingle = ReadFlag(ini, "Menu", "ClearDisplay", false);

  PersistenceState.NormalPersistenceChecked = ReadFlag(ini, "Persistence", "NormalPersistence", true);
  PersistenceState.GradedPersistenceChecked = ReadFlag(ini, "Persistence", "Persistence_with_Intensity_Grading", false);
  PersistenceState.VariablePersistenceChecked = ReadFlag(ini, "Persistence", "VariablePersistence", false);

  ScopeState.DemoMode = ReadFlag(ini, "Hardware", "DemoMode", false);
  ScopeState.ExtendCalTime = ReadFlag(ini, "Hardware", "ExtendCalTime", false);

  const display::ScreenColorSet& preset = display::kBrightScreenColors;
  DisplayState.BackgroundColor = ReadColourEntry(ini, "Background", preset.Background);
  DisplayState.Ch1Color = ReadColourEntry(ini, "Ch1", preset.Ch1);
  DisplayState.Ch2Color = ReadColourEntry(ini, "Ch2", preset.Ch2);
  DisplayState.Math1Color = ReadColourEntry(ini, "Math1", preset.Math1);
  DisplayState.Math2Color = ReadColourEntry(ini, "Math2", preset.Math2);
  DisplayState.DarkGridColor = ReadColourEntry(ini, "Dark_Grid", preset.DarkGrid);
  DisplayState.BrightGridColor = ReadColourEntry(ini, "Bright_Grid", preset.BrightGrid);
  DisplayState.TimeMarkerColor = ReadColourEntry(ini, "Time_Marker", preset.TimeMarker);
}

void SettingsFilesController::CheckCalibrationRecord() {
  // Two equal DAC values of one channel give no line through the pairs.
  if (!TwoEqual(ScopeState.Channels[0].ad0, ScopeState.Channels[0].ad1, ScopeState.Channels[0].ad2) && !TwoEqual(ScopeState.Channels[1].ad0, ScopeState.Channels[1].ad1, ScopeState.Channels[1].ad2)) return;
  ScopeState.CalibrationInvalid = 1;
  engine::SetCalibrationPairs(ScopeState, engine::kFallbackCalibrationPairs);
}

void SettingsFilesController::MarkRunning() {
  if (!other_.ScopeIni) return;
  ScopeState.PreviousRunMark = ReadFlag(*other_.ScopeIni, "Status", "Running", false);
  NoNoteAtStart = ScopeState.NoNote;
  ScopeState.RunningMark = 1;
  // A file that cannot be used is told of, with its reason, at the start-up.
  if (!other_.ScopeIni->WriteBool("Status", "Running", true) && other_.ScopeIni->Problem().empty()) ReportWriteFailure(*other_.ScopeIni);
}

void SettingsFilesController::ReadStartupSettings() {
  if (!other_.ScopeIni) return;
  TIniFile& ini = *other_.ScopeIni;

  // Probe factors; CH2 follows CH1 when it has no key of its own.
  const int ch1 =
      engine::ProbeFactorFromFile(ini.ReadInteger("ScopeMainForm", "Probe_CH1", numeric::Round32(ScopeState.Channels[0].ProbeFactor)));
  const int ch2 = engine::ProbeFactorFromFile(ini.ReadInteger("ScopeMainForm", "Probe_CH2", ch1));
  ScopeState.Channels[0].ProbeFactor = ch1;
  ScopeState.Channels[1].ProbeFactor = ch2;
  ScopeState.Channels[0].ProbeDb = ch1 == 10 ? 20.0 : 0.0;
  ScopeState.Channels[1].ProbeDb = ch2 == 10 ? 20.0 : 0.0;
  // Restoring the user's own probes is no reason for the probe warning.
  const std::uint8_t savedNotice = ScopeState.ProbeWarningMuted;
  if (ch1 == 10 || ch2 == 10) ScopeState.ProbeWarningMuted = 1;
  if (ch1 == 10) host_.x101Click(nullptr);
  if (ch2 == 10) host_.x102Click(nullptr);
  ScopeState.ProbeWarningMuted = savedNotice;

  ReadPlace(ini, "Big_Screen", Form10);
  // The history bars' hint as the file had it.
  for (TScrollBar* bar : {other_.ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetShowHint(ScopeState.HistoryHintOn != 0);
  if (other_.ShowHint1) other_.ShowHint1->SetChecked(ScopeState.HistoryHintOn != 0);

  // Persistence options: the acquisitions and the low colour are taken over
  // by OK, the high colour only at the next OK. A duration no button offers
  // keeps the current one.
  if (OKRightDlg) {
    OKRightDlg->Edit1->SetText(ini.ReadString("Persistence", "Number_of_Acquisitions", OKRightDlg->Edit1->Text()));
    OKRightDlg->Edit2->SetText(ini.ReadString("Persistence", "LowColor", "1"));
    OKRightDlg->OKBtnClick(OKRightDlg);
    OKRightDlg->Edit4->SetText(ini.ReadString("Persistence", "HighColor", "32"));
  }
  const int duration = ini.ReadInteger("Persistence", "Duration", 15);
  if (display::IsVariableMask(duration)) PersistenceState.VariablePersistenceMask = duration;
  const int duration2 = ini.ReadInteger("Persistence", "Duration2", 31);
  if (display::IsGradedMask(duration2)) PersistenceState.GradedPersistenceMask = duration2;
  if (OKRightDlg) {
    OKRightDlg->CheckVariableDuration(PersistenceState.VariablePersistenceMask);
    OKRightDlg->CheckGradedDuration(PersistenceState.GradedPersistenceMask);
  }
  if (PersistenceState.NormalPersistenceChecked) host_.NormalPersistence1Click(nullptr);
  if (PersistenceState.GradedPersistenceChecked) host_.PersistencewithIntensityGrading1Click(nullptr);
  if (PersistenceState.VariablePersistenceChecked) host_.VariablePersistence1Click(nullptr);

  ReadPlace(ini, "Big_Screen_ctrl", Form11);
  const bool bigScreen = ReadFlagKey(ini, "Big_Screen", "Visible", Form10 && Form10->Visible());
  if (bigScreen && !ScopeState.HideScope && other_.GrSpeedButton1) {
    other_.GrSpeedButton1->SetDown(true);
    host_.GrSpeedButton1Click(nullptr);
  }
}

void SettingsFilesController::ReadWindowSizes() {
  if (!other_.ScopeIni) return;
  ReadSize(*other_.ScopeIni, "EditForm", Form_9);
  ReadSize(*other_.ScopeIni, "EditForm_rec", RecorderTextEditor(ScopeState.OtherInstruments));
  ReadPlace(*other_.ScopeIni, "Wave_Parameters", Form_99);
}

bool SettingsFilesController::WriteMainSettings() {
  if (!other_.ScopeIni) return true;
  // The user knows the file is left as it is.
  if (engine::UnusableAndTold(ScopeState, *other_.ScopeIni)) return true;
  // Every key in memory first, then the file replaced once.
  IniWriteBatch batch(*other_.ScopeIni);
  IniWriter w(*other_.ScopeIni);

  // Places of a maximised or minimised window are not the user's places.
  if (window_.WindowState() == wsNormal) {
    w.Place("ScopeMainForm", &window_);
    w.Size("EditForm", Form_9);
    w.Size("EditForm_rec", RecorderTextEditor(ScopeState.OtherInstruments));
  }
  w.Place("Big_Screen", Form10);
  w.Place("Big_Screen_ctrl", Form11);
  w.Bool("Big_Screen", "Visible", ScopeState.BigScreenOn != 0);
  w.Place("Wave_Parameters", Form_99);

  ScopeState.RunningMark = 0;
  ScopeState.NoNote = NoNoteAtStart;

  w.Integer("Calibration", "offs_1", ScopeState.Channels[0].OffsetCal);
  w.Integer("Calibration", "offs_2", ScopeState.Channels[1].OffsetCal);
  w.Integer("Calibration", "v5_offs1", ScopeState.Channels[0].V5Offset);
  w.Integer("Calibration", "v5_offs2", ScopeState.Channels[1].V5Offset);
  for (const engine::CalibrationPairKey& k : engine::CalibrationPairKeys(ScopeState))
    w.Integer("Calibration", k.Key, *k.Value);

  const engine::InstrumentLinks& others = ScopeState.OtherInstruments;
  if (others.RecorderBrightGrid) w.Bool("Menu", "BrightGrid_rec", *others.RecorderBrightGrid);
  w.Bool("Menu", "BrightGrid_dso", DisplayState.ScopeBrightGrid);
  w.Bool("Menu", "Dot_Join", ScopeState.DotJoin);
  w.Bool("Menu", "HWdialog", ScopeState.FirstRunCalibration);
  w.Bool("Menu", "RMS_on", ScopeState.RmsOn);
  w.Bool("Menu", "dBm_on", ScopeState.DbmOn);
  w.Bool("Menu", "Rate_on", ScopeState.SampleRateOn);
  w.Bool("Menu", "Hide_Scope", ScopeState.HideScope);
  w.Bool("Status", "Running", ScopeState.RunningMark);
  w.Bool("Menu", "NoNote", ScopeState.NoNote);
  w.Bool("Menu", "SaveRecallLastSettings", ScopeState.RecallLastSettings);
  w.Bool("Menu", "ShowHistoryHint", ScopeState.HistoryHintOn);
  if (others.Bodehelp) w.Bool("Menu", "Bodehelp", *others.Bodehelp);
  if (others.Phasehelp) w.Bool("Menu", "Phasehelp", *others.Phasehelp);
  w.Bool("Menu", "ClearDisplay", ScopeState.ClearOnRunSingle);

  w.Bool("Persistence", "NormalPersistence", PersistenceState.NormalPersistenceChecked);
  w.Bool("Persistence", "Persistence_with_Intensity_Grading", PersistenceState.GradedPersistenceChecked);
  w.Bool("Persistence", "VariablePersistence", PersistenceState.VariablePersistenceChecked);
  if (OKRightDlg) {
    w.String("Persistence", "Number_of_Acquisitions", OKRightDlg->Edit1->Text());
    w.String("Persistence", "LowColor", OKRightDlg->Edit2->Text());
    w.String("Persistence", "HighColor", OKRightDlg->Edit4->Text());
  }
  w.Integer("Persistence", "Duration", PersistenceState.VariablePersistenceMask);
  w.Integer("Persistence", "Duration2", PersistenceState.GradedPersistenceMask);

  w.Integer("ScopeMainForm", "Probe_CH1", numeric::Round32(ScopeState.Channels[0].ProbeFactor, 1));
  w.Integer("ScopeMainForm", "Probe_CH2", numeric::Round32(ScopeState.Channels[1].ProbeFactor, 1));
  w.Integer("ScopeMainForm", "Status", 1);

  w.Bool("Hardware", "DemoMode", ScopeState.DemoMode);

  w.Bool("Colors", "DefaultColors", DisplayState.DefaultColors);
  w.Colour("Colors", "Background", DisplayState.BackgroundColor);
  w.Colour("Colors", "Ch1", DisplayState.Ch1Color);
  w.Colour("Colors", "Ch2", DisplayState.Ch2Color);
  w.Colour("Colors", "Math1", DisplayState.Math1Color);
  w.Colour("Colors", "Math2", DisplayState.Math2Color);
  w.Colour("Colors", "Dark_Grid", DisplayState.DarkGridColor);
  w.Colour("Colors", "Bright_Grid", DisplayState.BrightGridColor);
  w.Colour("Colors", "Time_Marker", DisplayState.TimeMarkerColor);

  const bool written = batch.Commit() && w.Ok();
  if (!written) ReportWriteFailure(*other_.ScopeIni);
  return written;
}

}  // namespace engine::settings_files
