// The generator settings file "FGen48.ini": read as the engine window is
// created, written as it closes, and the close of the generator's windows;
// the engine's own menu commands.
#include <algorithm>
#include <array>
#include <cstdint>

#include <unistd.h>

#include "engine/help_request.h"
#include "engine/instrument_links.h"
#include "engine/scope_state.h"
#include "engine/scope_window.h"
#include "engine/startup.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/hardware_dialog.h"
#include "generator/more_functions.h"
#include "generator/plotter_link.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"

namespace {

constexpr int kLastStepItem = 8;

// A window place; a missing key keeps what the window has, and a size of
// zero or less is not taken.
void ReadPlace(TIniFile& ini, const char* section, TForm* form, bool withSize) {
  if (!form) return;
  const int top = ini.ReadInteger(section, "Top", form->Top());
  const int left = ini.ReadInteger(section, "Left", form->Left());
  const int width = withSize ? ini.ReadInteger(section, "Width", form->Width()) : form->Width();
  const int height = withSize ? ini.ReadInteger(section, "Height", form->Height()) : form->Height();
  if (width > 0 && height > 0) form->PlaceOnScreen(left, top, width, height);
}

TForm* PlotterWindow(const generator::PlotterLink& plotter) { return plotter.Window ? plotter.Window() : nullptr; }

}  // namespace

void TForm1_fgen::ReadGeneratorSettings() {
  GeneratorIni = std::make_unique<TIniFile>(ScopeState.DataFolder + "FGen48.ini");
  TIniFile& ini = *GeneratorIni;

  if (ini.ReadInteger("MainForm", "Status", 0) != 0) {
    ReadPlace(ini, "Bode_Plotter", PlotterWindow(GeneratorState.Plotter), true);
    ReadPlace(ini, "Wave_Sequence", Form900, true);
    ReadPlace(ini, "Wave_Editor", Wave_editor1, true);
    ReadPlace(ini, "More_Functions", BtnBottomDlg1_fgen, false);
  }
  GeneratorState.GeneratorHardware = ini.ReadInteger("Hardware", "HW_Gen", 8016);
  GeneratorState.LptSpeedSlow = ReadFlagKey(ini, "Menu", "LPT_Speed_Slow", false) ? 1 : 0;
  GeneratorState.SyncMode = ReadFlagKey(ini, "Menu", "Sync Mode", false) ? 1 : 0;
  const int listedStep = GeneratorState.Plotter.ListedOctaveStep ? GeneratorState.Plotter.ListedOctaveStep() : 0;
  const int octaveStep = std::clamp(ini.ReadInteger("Menu", "OctaveStep", listedStep), 0, kLastStepItem);

  if (GeneratorState.Plotter.ReadColours) GeneratorState.Plotter.ReadColours(ini);

  // A hand-edited trim must stay a trim: out of range it would reach the
  // output-enable and sync bits of the setting byte.
  GeneratorState.OffsetTrim = std::clamp(ini.ReadInteger("Calibration", "Offset", 0), -3, 3);
  GeneratorState.GainTrim = std::clamp(ini.ReadInteger("Calibration", "Gain", 3), 0, 8);

  if (Form8) {
    Form8->TrackBar1->SetPosition(GeneratorState.GainTrim);
    Form8->TrackBar2->SetPosition(GeneratorState.OffsetTrim + 3);
  }
  if (BtnBottomDlg_fgen) (GeneratorState.LptSpeedSlow ? BtnBottomDlg_fgen->RadioButton2 : BtnBottomDlg_fgen->RadioButton1)->SetChecked(true);

  if (GeneratorState.Plotter.SettingsRead) GeneratorState.Plotter.SettingsRead(octaveStep);
}

bool TForm1_fgen::WriteGeneratorSettings() {
  if (!GeneratorIni) return true;
  TIniFile& ini = *GeneratorIni;
  // The user knows the file is left as it is.
  if (engine::UnusableAndTold(ScopeState, ini)) return true;
  IniWriteBatch batch(ini);
  bool ok = true;
  const auto integer = [&](const char* section, const char* key, int value) {
    ok = ini.WriteInteger(section, key, value) && ok;
  };
  const auto place = [&](const char* section, const TForm* form, bool withSize) {
    if (!form) return;
    integer(section, "Top", form->Top());
    integer(section, "Left", form->Left());
    if (!withSize) return;
    integer(section, "Width", form->Width());
    integer(section, "Height", form->Height());
  };

  if (WindowState() == wsNormal) {
    place("Bode_Plotter", PlotterWindow(GeneratorState.Plotter), true);
    place("Wave_Sequence", Form900, true);
    place("Wave_Editor", Wave_editor1, true);
    place("More_Functions", BtnBottomDlg1_fgen, false);
  }
  integer("MainForm", "Status", 1);
  ok = ini.WriteBool("Menu", "LPT_Speed_Slow", GeneratorState.LptSpeedSlow != 0) && ok;
  ok = ini.WriteBool("Menu", "Sync Mode", GeneratorState.SyncMode != 0) && ok;
  integer("Menu", "OctaveStep", GeneratorState.Plotter.OctaveStepInUse ? GeneratorState.Plotter.OctaveStepInUse() : 0);
  if (GeneratorState.Plotter.Colours)
    for (const auto& [key, colour] : GeneratorState.Plotter.Colours()) integer("Colors", key, static_cast<int>(colour));
  integer("Calibration", "Gain", GeneratorState.GainTrim);
  integer("Calibration", "Offset", GeneratorState.OffsetTrim);

  const bool written = batch.Commit() && ok;
  if (!written) Application->MessageBox(ini.WriteFailureMessage(), Application->Title(), MB_OK | MB_ICONERROR);
  return written;
}

bool TForm1_fgen::WaveEditorMayClose() {
  if (!Wave_editor1 || Wave_editor1->CloseQuery()) return true;
  Wave_editor1->Show();
  return false;
}

void TForm1_fgen::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
  // The output and the settings file stay as they are when the editor keeps
  // its text.
  if (!WaveEditorMayClose()) {
    Action = caNone;
    return;
  }
  GeneratorState.OutputEnableCode = 0;
  Disable();
  if (!ScopeState.ProgramFolder.empty() && ::chdir(ScopeState.ProgramFolder.c_str()) != 0) {
    // Only relative names depend on the current folder.
  }
  WriteGeneratorSettings();

  GeneratorState.WaveEditorCanClose = 1;
  if (BtnBottomDlg1_fgen) BtnBottomDlg1_fgen->Close();
  if (Wave_editor1) Wave_editor1->Close();
  if (GeneratorState.Plotter.Close) GeneratorState.Plotter.Close();
  const auto& recorderShown = ScopeState.OtherInstruments.RecorderShown;
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (scope && !ScopeState.HideScope && !(recorderShown && recorderShown()) && !scope->Window().Visible())
    scope->Window().Show();
  if (!GeneratorState.WaveEditorCanClose) {
    // The editor keeps unsaved text: it stays, and so does the generator.
    Action = caNone;
    if (Wave_editor1) Wave_editor1->Show();
    return;
  }
  Action = caHide;
}

void TForm1_fgen::HardwareSetup1Click(TObject* /*Sender*/) {
  if (!BtnBottomDlg_fgen) return;
  (GeneratorState.LptSpeedSlow ? BtnBottomDlg_fgen->RadioButton2 : BtnBottomDlg_fgen->RadioButton1)->SetChecked(true);
  BtnBottomDlg_fgen->ShowModal();
}

void TForm1_fgen::Contents1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp); }
