// The building of the settings files' menu items, bound to the settings
// files' work, and "Restore Default Settings && Exit".
#include <memory>
#include <utility>

#include "engine/main_form.h"
#include "engine/settings_files/settings_files_controller.h"
#include "widgets/control_maker.h"

namespace {

const char* const kSettingsFilter = "Setup file (*.set)|*.set|All files (*.*)|*.*";

}  // namespace

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
  OpenData1 = place("OpenData1", "Open DSO Data...", [this](TObject* s) { Files().OpenData1Click(s); });
  SaveDSOData1 = place("SaveDSOData1", "Save DSO Data...", [this](TObject* s) { Files().SaveDSOData1Click(s); });
  place("N3", "-", nullptr);
  SaveSettings1 = place("SaveSettings1", "Save Oscilloscope Settings...", [this](TObject* s) { SettingsFiles().SaveSettings1Click(s); });
  RecallSettings1 =
      place("RecallSettings1", "Recall Oscilloscope Settings...", [this](TObject* s) { SettingsFiles().RecallSettings1Click(s); });
  place("N4", "-", nullptr);

  SaveRecallLastSettings1 = make.Item(Options1, "SaveRecallLastSettings1", "Save/Recall Last Oscilloscope Settings",
                                      [this](TObject* s) { SettingsFiles().SaveRecallLastSettings1Click(s); });

  SaveDialog3 = new TSaveDialog(this);
  SaveDialog3->Name = "SaveDialog3";
  SaveDialog3->SetFilter(kSettingsFilter);
  SaveDialog3->SetDefaultExt("set");

  const engine::settings_files::OtherControls other{ScopeIni, OpenDialog2, BrightGrid1, ScrollBar1, ShowHint1,
                                                    GrSpeedButton1};
  settings_files_ = std::make_unique<engine::settings_files::SettingsFilesController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this, *this, *this, other,
      *this, *this);
}

void TForm1::RestoreDefaultSettingsExit1Click(TObject* /*Sender*/) {
  ScopeState.RestoreDefaultsOnExit = 1;
  Close();
}
