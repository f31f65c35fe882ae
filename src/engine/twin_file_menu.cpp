// The twin panel's File, Edit and Help items: the Big Screen's picture saved,
// opened, copied and pasted through the main window's picture code and
// dialogs; data files, settings files, printing and help through the main
// window's files and settings files.
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/menu_insert.h"
#include "io/picture_file.h"
#include "widgets/control_maker.h"

namespace {

TImage* BigPicture() { return Form10 ? Form10->Image10 : nullptr; }

}  // namespace

void TForm11::CreateFileEditHelpMenus() {
  ControlMaker make(this);
  using engine::files::FilesController;
  using engine::settings_files::SettingsFilesController;
  using FilesHandler = void (FilesController::*)(TObject*);
  using SettingsHandler = void (SettingsFilesController::*)(TObject*);
  auto files = [](FilesHandler handler) -> TNotifyEvent {
    return [handler](TObject*) {
      if (Form1) (Form1->Files().*handler)(Form1);
    };
  };
  auto settings = [](SettingsHandler handler) -> TNotifyEvent {
    return [handler](TObject*) {
      if (Form1) (Form1->SettingsFiles().*handler)(Form1);
    };
  };

  // Ahead of "Exit" and the calibration items.
  io::MenuInserter insert(make, File1, 0);
  Open1 = insert("Open1", "&Open Image...", [this](TObject* s) { OpenClick(s); });
  Save1 = insert("Save1", "&Save Image...", [this](TObject* s) { SaveClick(s); });
  insert("N21", "-");
  OpenData1 = insert("OpenData1", "Open DSO Data...", files(&FilesController::OpenData1Click));
  SaveDSOData1 = insert("SaveDSOData1", "Save DSO D&ata...", files(&FilesController::SaveDSOData1Click));
  SaveDataAs1 = insert("SaveDataAs1", "Save FFT &Data...", files(&FilesController::SaveDataAs1Click));
  insert("N22", "-");
  SaveSettings1 =
      insert("SaveSettings1", "Save Oscilloscope Settings...", settings(&SettingsFilesController::SaveSettings1Click));
  RecallSettings1 = insert("RecallSettings1", "Recall Oscilloscope Settings...",
                           settings(&SettingsFilesController::RecallSettings1Click));
  SaveRecallLastSettings1 = insert("SaveRecallLastSettings1", "Save/Recall Last Settings",
                                   settings(&SettingsFilesController::SaveRecallLastSettings1Click));
  insert("N23", "-");
  Print1 = insert("Print1", "&Print...", files(&FilesController::Print1Click));
  PrintSetup1 = insert("PrintSetup1", "P&rint Setup...", files(&FilesController::PrintSetup1Click));
  insert("N24", "-");
  File1->OnClick = [this](TObject* s) { File1Click(s); };
  SaveRecallLastSettings1->SetChecked(ScopeState.RecallLastSettings != 0);

  TMenuItem* root = MainMenu1->Items();
  Edit2 = io::MenuInserter(make, root, root->IndexOf(File1) + 1)("Edit2", "&Edit",
                                                                 [this](TObject* s) { Edit2Click(s); });
  Copy1 = make.Item(Edit2, "Copy1", "&Copy", [this](TObject* s) { Copy1Click(s); });
  Paste1 = make.Item(Edit2, "Paste1", "&Paste", [this](TObject* s) { Paste1Click(s); });

  Help1 = make.Item(root, "Help1", "&Help");
  Help2 = make.Item(Help1, "Help2", "&Contents", files(&FilesController::Help2Click));
  InstallingNT4driver1 = make.Item(Help1, "InstallingNT4driver1", "&Installing LPT Port Driver for Function Generator",
                                   files(&FilesController::InstallingNT4driver1Click));
  make.Item(Help1, "N25", "-");
  About2 = make.Item(Help1, "About2", "&About...", files(&FilesController::About2Click));
}

// ---------------------------------------------------------------- the Big Screen's picture

void TForm11::SaveClick(TObject*) {
  if (Form1 && BigPicture()) io::SavePictureWithDialog(*Form1->SaveDialog1, *BigPicture()->Picture(),
                                                      ScopeState.DocumentsFolder);
}

void TForm11::OpenClick(TObject*) {
  if (Form1 && BigPicture()) Form1->Files().OpenPictureOnto(*BigPicture());
}

void TForm11::Copy1Click(TObject*) {
  if (BigPicture()) io::CopyPictureToClipboard(*BigPicture()->Picture());
}

void TForm11::Paste1Click(TObject*) {
  if (Form1 && BigPicture()) Form1->Files().PastePictureOnto(*BigPicture());
}

// ---------------------------------------------------------------- menus opened

void TForm11::File1Click(TObject*) {
  const bool spectrum = ScopeState.SpectrumMode != 0;
  SaveDataAs1->SetEnabled(spectrum);
  SaveDSOData1->SetEnabled(!spectrum && ScopeState.TraceValid != 0);
}

void TForm11::Edit2Click(TObject*) { Paste1->SetEnabled(io::ClipboardHoldsPicture()); }
