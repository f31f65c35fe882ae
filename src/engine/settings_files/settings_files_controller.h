// The scope settings files ("settings48.ini" and the ".set" files) and the
// main settings file "Darvik48.ini" of the scope window: their writing and
// their recall into the controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/spectrum/analysis_controls.h"
#include "engine/front_panel.h"
#include "engine/scope_settings.h"
#include "engine/scope_states.h"
#include "platform/ui/vcl.h"

class TForm1;
class TGrSpeedButton;
class TIniFile;

namespace engine {
struct SettingsFileKey;
}

namespace engine::settings_files {

// File "Save Oscilloscope Settings...", "Recall Oscilloscope Settings..."
// and Options "Save/Recall Last Oscilloscope Settings", with the dialog of
// the ".set" files. nullptr until the window has built them.
struct SettingsFileControls {
  TMenuItem* SaveSettings1 = nullptr;
  TMenuItem* RecallSettings1 = nullptr;
  TMenuItem* SaveRecallLastSettings1 = nullptr;
  TSaveDialog* SaveDialog3 = nullptr;  // ".set" files
};

// Controls of other parts of the window that the settings read and set;
// some are made after the settings' own.
struct OtherControls {
  TIniFile* const& ScopeIni;          // "Darvik48.ini" while it is open
  TOpenDialog* const& OpenDialog2;    // settings recall
  TMenuItem* const& BrightGrid1;
  TScrollBar* const& ScrollBar1;      // history bar
  TMenuItem* const& ShowHint1;        // its hint item
  TGrSpeedButton* const& GrSpeedButton1;  // "Big Screen"
};

// What the settings need of the scope window: the table of the settings
// files' keys and the handlers the recall goes through.
class SettingsFilesHost {
 public:
  virtual const std::vector<engine::SettingsFileKey>& SettingsFileKeys() const = 0;
  virtual void SpeedButton22Click(TObject* Sender) = 0;
  virtual void SpeedButton27Click(TObject* Sender) = 0;
  virtual void fft1Click(TObject* Sender) = 0;
  virtual void x101Click(TObject* Sender) = 0;
  virtual void x102Click(TObject* Sender) = 0;
  virtual void NormalPersistence1Click(TObject* Sender) = 0;
  virtual void PersistencewithIntensityGrading1Click(TObject* Sender) = 0;
  virtual void VariablePersistence1Click(TObject* Sender) = 0;
  virtual void GrSpeedButton1Click(TObject* Sender) = 0;

 protected:
  ~SettingsFilesHost() = default;
};

class SettingsFilesController : public engine::WithScopeStates {
 public:
  // `window` is the scope window as a form (its place, size and state);
  // `keysWindow` the same window as the settings files' keys take it.
  SettingsFilesController(const engine::ScopeStates& states, SettingsFilesHost& host, SettingsFileControls& menu,
                          FrontPanelControls& panel, AnalysisControls& analysis, const OtherControls& other,
                          TForm& window, TForm1& keysWindow);

  // ---- Scope settings files
  // The whole panel, in file order, as the settings files store it.
  std::vector<engine::SettingsEntry> ScopeSettingsEntries() const;
  // Writes "settings48.ini" (close) or the chosen ".set" file; a refused
  // write is reported, at close only once per close.
  void SaveSettings();
  void SaveSettings1Click(TObject* Sender);
  bool SaveSettingsTo(const std::string& path);
  // Recall of "settings48.ini", of the file named on the command line (after
  // the user confirms it in the open dialog) and of a file chosen from the menu.
  void RecallSettings();
  void RecallSettings2();
  void RecallSettings1Click(TObject* Sender);
  void SaveRecallLastSettings1Click(TObject* Sender);
  // Puts a settings file read whole into the controls through their handlers.
  void ApplySettings(const engine::SettingsSnapshot& file);

  // ---- Main settings file: what the creation reads, what the start-up
  // reads, and the complete write at close (false when a write was refused;
  // the failure has then been reported once).
  void ReadCreationSettings();
  void CheckCalibrationRecord();
  void MarkRunning();
  void ReadStartupSettings();
  void ReadWindowSizes();
  bool WriteMainSettings();

 private:
  SettingsFilesHost& host_;
  SettingsFileControls& menu_;
  FrontPanelControls& panel_;
  AnalysisControls& analysis_;
  OtherControls other_;
  TForm& window_;
  TForm1& keys_window_;
  std::uint8_t SettingsRefusalShown = 0;
  std::uint8_t NoNoteAtStart = 0;  // NoNote as the file held it at start; the close writes it back
};

}  // namespace engine::settings_files
