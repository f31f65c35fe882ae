// The scope settings files: "settings48.ini" and the ".set" files written (at
// close and from the File menu) and recalled through the table of keys that
// both use (settings_key_table.cpp); the recall puts each stored value into
// its control and runs that control's own handler.
#include "engine/settings_files/settings_files_controller.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/scope_settings.h"
#include "engine/scope_state.h"
#include "engine/settings_files/settings_keys.h"
#include "engine/startup.h"
#include "platform/ini/ini_file.h"
#include "platform/os/files.h"
#include "platform/ui/vcl.h"

namespace {

using engine::SettingsList;
using engine::SettingsSnapshot;

const char* const kLastSettingsName = "settings48.ini";

}  // namespace

namespace engine::settings_files {

SettingsFilesController::SettingsFilesController(const engine::ScopeStates& states, SettingsFilesHost& host,
                                                 SettingsFileControls& menu, FrontPanelControls& panel,
                                                 AnalysisControls& analysis, const OtherControls& other,
                                                 TForm& window, TForm1& keysWindow)
    : engine::WithScopeStates(states),
      host_(host),
      menu_(menu),
      panel_(panel),
      analysis_(analysis),
      other_(other),
      window_(window),
      keys_window_(keysWindow) {}

// ================================================================ the writer

std::vector<engine::SettingsEntry> SettingsFilesController::ScopeSettingsEntries() const {
  SettingsList l;
  for (const engine::SettingsFileKey& key : host_.SettingsFileKeys()) key.Write(keys_window_, l, key);
  return l.Entries();
}

bool SettingsFilesController::SaveSettingsTo(const std::string& path) {
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries())) return true;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
  return false;
}

void SettingsFilesController::SaveSettings() {
  // A close that is retried writes again; a refusal is told once per close.
  const std::string path = ScopeState.DataFolder + kLastSettingsName;
  // The user knows the file is left as it is.
  if (engine::UnusableAndTold(ScopeState, path)) return;
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries()) || SettingsRefusalShown) return;
  SettingsRefusalShown = 1;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
}

void SettingsFilesController::SaveSettings1Click(TObject*) {
  menu_.SaveDialog3->SetInitialDir(ScopeState.DataFolder);
  menu_.SaveDialog3->SetFileName("*.set");
  if (!menu_.SaveDialog3->Execute()) return;
  SaveSettingsTo(menu_.SaveDialog3->FileName());
}

void SettingsFilesController::SaveRecallLastSettings1Click(TObject*) {
  menu_.SaveRecallLastSettings1->SetChecked(!menu_.SaveRecallLastSettings1->Checked());
  MirrorCheck(menu_.SaveRecallLastSettings1, &TForm11::SaveRecallLastSettings1);
  ScopeState.RecallLastSettings = menu_.SaveRecallLastSettings1->Checked() ? 1 : 0;
}

// ================================================================ recall

void SettingsFilesController::RecallSettings() {
  // A file that cannot be used is read as one without keys, and said so.
  const std::string path = ScopeState.DataFolder + kLastSettingsName;
  std::string problem;
  const SettingsSnapshot settings = SettingsSnapshot::FromFile(path, &problem);
  engine::TellIfUnusable(ScopeState, path, problem);
  ApplySettings(settings);
}

// A settings file the user chose: its settings, or nothing when it cannot be
// read or holds none, which the user is told; the panel then stays as it is.
static std::optional<SettingsSnapshot> ChosenSettingsFile(const std::string& path) {
  // A settings file is a few kilobytes.
  constexpr std::uintmax_t kLargestSettingsFile = 1u << 20;
  const os::WholeFile file = os::ReadWholeFile(path, kLargestSettingsFile);
  std::string why = file.Error;
  std::optional<SettingsSnapshot> settings;
  if (file.Ok()) {
    settings = SettingsSnapshot::FromFile(path, &why);
    if (why.empty() && settings->Empty()) why = "It holds no settings";
  }
  if (why.empty()) return settings;
  MessageDlg("Unable to recall settings from " + path + ": " + why + ".", mtError, mbOK, 0);
  return std::nullopt;
}

void SettingsFilesController::RecallSettings2() {
  other_.OpenDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!other_.OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(other_.OpenDialog2->FileName())) ApplySettings(*settings);
}

void SettingsFilesController::RecallSettings1Click(TObject*) {
  other_.OpenDialog2->SetInitialDir(ScopeState.DataFolder);
  if (!other_.OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(other_.OpenDialog2->FileName())) ApplySettings(*settings);
}

void SettingsFilesController::ApplySettings(const SettingsSnapshot& f) {
  const engine::InstrumentLinks& others = ScopeState.OtherInstruments;
  const bool hasRecorder = others.RecorderExists && others.RecorderExists();
  engine::RecallState state;
  auto recall = [&](engine::RecallStep step) {
    for (const engine::SettingsFileKey& key : host_.SettingsFileKeys())
      if (key.Step == step && key.Recall) key.Recall(keys_window_, f, key, state);
  };

  // Back to the scope.
  if (others.RecorderShown && others.RecorderShown()) others.RecorderToScope();
  else if (window_.Visible()) host_.SpeedButton22Click(nullptr);

  recall(engine::RecallStep::kPersistenceMode);
  recall(engine::RecallStep::kPersistenceText);
  if (OKRightDlg) OKRightDlg->OKBtnClick(OKRightDlg);
  recall(engine::RecallStep::kPersistenceDuration);
  if (OKRightDlg) {
    OKRightDlg->CheckVariableDuration(PersistenceState.VariablePersistenceMask);
    OKRightDlg->CheckGradedDuration(PersistenceState.GradedPersistenceMask);
  }

  for (engine::RecallStep step :
       {engine::RecallStep::kInterpolation, engine::RecallStep::kChannels, engine::RecallStep::kTime,
        engine::RecallStep::kTrigger, engine::RecallStep::kAverage, engine::RecallStep::kNoiseReject,
        engine::RecallStep::kDsoMarkers, engine::RecallStep::kMath, engine::RecallStep::kView})
    recall(step);

  // The recorder takes its settings shown, as the device then has them; it
  // hands the device back to the scope's settings when it leaves. The scope
  // window keeps its place and size through the visit.
  const int left = window_.Left(), top = window_.Top(), width = window_.Width(), height = window_.Height();
  if (hasRecorder) {
    host_.SpeedButton27Click(nullptr);
    for (engine::RecallStep step : {engine::RecallStep::kRecorderChannels, engine::RecallStep::kRecorderTime,
                                    engine::RecallStep::kRecorderMarkers})
      recall(step);
  }

  // The spectrum settings go in with the spectrum view on.
  if (hasRecorder) {
    others.RecorderToSpectrum();
    window_.SetBounds(left, top, width, height);
  } else if (analysis_.fft1 && !ScopeState.SpectrumMode) {
    host_.fft1Click(nullptr);
  }
  for (engine::RecallStep step : {engine::RecallStep::kSpectrum, engine::RecallStep::kFftMarkers, engine::RecallStep::kDotJoin, engine::RecallStep::kInstrument})
    recall(step);
  ScopeState.ClearPending = 1;

  for (engine::RecallStep step :
       {engine::RecallStep::kGeneratorOn, engine::RecallStep::kGeneratorRange, engine::RecallStep::kGeneratorWave,
        engine::RecallStep::kGeneratorLevels, engine::RecallStep::kGeneratorSymmetry,
        engine::RecallStep::kGeneratorOffset, engine::RecallStep::kGeneratorAmplitudePosition,
        engine::RecallStep::kMathButton, engine::RecallStep::kPositionX})
    recall(step);

  bool mathChecked = false;
  for (TMenuItem* item : analysis_.MathItems()) mathChecked = mathChecked || (item && item->Checked());
  if (mathChecked && panel_.SpeedButton21 && panel_.SpeedButton21->Down()) engine::keys::RunClick(panel_.SpeedButton21);

  DisplayState.GridPenColor = other_.BrightGrid1 && other_.BrightGrid1->Checked() ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;

  if (Form10 && Form10->Visible()) {
    Form10->Show();
    ScopeState.ClearPending = 1;
    Form10->putsataanko();
    ScopeState.ClearPending = 0;
    Form10->piirrot();
    ScopeState.BigScreenOn = 1;
  }
}

}  // namespace engine::settings_files
