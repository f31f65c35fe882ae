// The scope settings files: "settings48.ini" and the ".set" files written (at
// close and from the File menu) and recalled through the table of keys that
// both use (settings_key_table.cpp); the recall puts each stored value into
// its control and runs that control's own handler.
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
#include "engine/main_form.h"
#include "engine/scope_settings.h"
#include "engine/settings_keys.h"
#include "engine/scope_state.h"
#include "engine/startup.h"
#include "platform/os/files.h"
#include "platform/ui/vcl.h"
#include "widgets/control_maker.h"

namespace {

using engine::SettingsList;
using engine::SettingsSnapshot;

const char* const kSettingsFilter = "Setup file (*.set)|*.set|All files (*.*)|*.*";
const char* const kLastSettingsName = "settings48.ini";

}  // namespace

// ================================================================ the writer

std::vector<engine::SettingsEntry> TForm1::ScopeSettingsEntries() const {
  SettingsList l;
  for (const engine::SettingsFileKey& key : SettingsFileKeys()) key.Write(*this, l, key);
  return l.Entries();
}

bool TForm1::SaveSettingsTo(const std::string& path) {
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries())) return true;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
  return false;
}

void TForm1::SaveSettings() {
  // A close that is retried writes again; a refusal is told once per close.
  const std::string path = ScopeState.DataFolder + kLastSettingsName;
  // The user knows the file is left as it is.
  if (engine::UnusableAndTold(ScopeState, path)) return;
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries()) || SettingsRefusalShown) return;
  SettingsRefusalShown = 1;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
}

void TForm1::SaveSettings1Click(TObject*) {
  SaveDialog3->SetInitialDir(ScopeState.DataFolder);
  SaveDialog3->SetFileName("*.set");
  if (!SaveDialog3->Execute()) return;
  SaveSettingsTo(SaveDialog3->FileName());
}

void TForm1::SaveRecallLastSettings1Click(TObject*) {
  SaveRecallLastSettings1->SetChecked(!SaveRecallLastSettings1->Checked());
  MirrorCheck(SaveRecallLastSettings1, &TForm11::SaveRecallLastSettings1);
  ScopeState.RecallLastSettings = SaveRecallLastSettings1->Checked() ? 1 : 0;
}

// ================================================================ recall

void TForm1::RecallSettings() {
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

void TForm1::RecallSettings2() {
  OpenDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(OpenDialog2->FileName())) ApplySettings(*settings);
}

void TForm1::RecallSettings1Click(TObject*) {
  OpenDialog2->SetInitialDir(ScopeState.DataFolder);
  if (!OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(OpenDialog2->FileName())) ApplySettings(*settings);
}

void TForm1::ApplySettings(const SettingsSnapshot& f) {
  const engine::InstrumentLinks& others = ScopeState.OtherInstruments;
  const bool hasRecorder = others.RecorderExists && others.RecorderExists();
  engine::RecallState state;
  auto recall = [&](engine::RecallStep step) {
    for (const engine::SettingsFileKey& key : SettingsFileKeys())
      if (key.Step == step && key.Recall) key.Recall(*this, f, key, state);
  };

  // Back to the scope.
  if (others.RecorderShown && others.RecorderShown()) others.RecorderToScope();
  else if (Visible()) SpeedButton22Click(this);

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
  const int left = Left(), top = Top(), width = Width(), height = Height();
  if (hasRecorder) {
    SpeedButton27Click(this);
    for (engine::RecallStep step : {engine::RecallStep::kRecorderChannels, engine::RecallStep::kRecorderTime,
                                    engine::RecallStep::kRecorderMarkers})
      recall(step);
  }

  // The spectrum settings go in with the spectrum view on.
  if (hasRecorder) {
    others.RecorderToSpectrum();
    SetBounds(left, top, width, height);
  } else if (fft1 && !ScopeState.SpectrumMode) {
    fft1Click(this);
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
  for (TMenuItem* item : MathItems()) mathChecked = mathChecked || (item && item->Checked());
  if (mathChecked && SpeedButton21 && SpeedButton21->Down()) engine::keys::RunClick(SpeedButton21);

  DisplayState.GridPenColor = BrightGrid1 && BrightGrid1->Checked() ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;

  if (Form10 && Form10->Visible()) {
    Form10->Show();
    ScopeState.ClearPending = 1;
    Form10->putsataanko();
    ScopeState.ClearPending = 0;
    Form10->piirrot();
    ScopeState.BigScreenOn = 1;
  }
}

// ================================================================ menus

void TForm1::CreateSettingsFileControls() {
  ControlMaker make(this);
  // Above "Calibrate": the data files, then the settings files.
  const int at = File1->IndexOf(Calibrate1);
  int next = at < 0 ? File1->Count() : at;
  auto place = [&](const char* name, const char* caption, TNotifyEvent handler) {
    TMenuItem* item = make.Item(name, caption);
    item->OnClick = std::move(handler);
    File1->Insert(next++, item);
    return item;
  };
  OpenData1 = place("OpenData1", "Open DSO Data...", [this](TObject* s) { OpenData1Click(s); });
  SaveDSOData1 = place("SaveDSOData1", "Save DSO Data...", [this](TObject* s) { SaveDSOData1Click(s); });
  place("N3", "-", nullptr);
  SaveSettings1 = place("SaveSettings1", "Save Oscilloscope Settings...", [this](TObject* s) { SaveSettings1Click(s); });
  RecallSettings1 =
      place("RecallSettings1", "Recall Oscilloscope Settings...", [this](TObject* s) { RecallSettings1Click(s); });
  place("N4", "-", nullptr);

  SaveRecallLastSettings1 = make.Item(Options1, "SaveRecallLastSettings1", "Save/Recall Last Oscilloscope Settings",
                                      [this](TObject* s) { SaveRecallLastSettings1Click(s); });

  SaveDialog3 = new TSaveDialog(this);
  SaveDialog3->Name = "SaveDialog3";
  SaveDialog3->SetFilter(kSettingsFilter);
  SaveDialog3->SetDefaultExt("set");
}
