// The building of the scope window's File, Edit and Help items for pictures,
// printing, text export, help and about, and of their dialogs; the items are
// bound to the files' work. "Exit" closes the window.
#include <memory>

#include "engine/files/files_controller.h"
#include "engine/main_form.h"
#include "io/about_box.h"
#include "io/menu_insert.h"
#include "io/scope_file_error.h"
#include "widgets/control_maker.h"

void TForm1::CreateFileExportControls() {
  ControlMaker make(this);
  // Pictures, exports and printing open the File menu; "Exit" closes it.
  io::MenuInserter insert(make, File1, 0);
  Open1 = insert("Open1", "Open Image...", [this](TObject* s) { Files().OpenClick(s); });
  Save1 = insert("Save1", "Save Image...", [this](TObject* s) { Files().SaveClick(s); });
  insert("N21", "-");
  SaveDataAs1 = insert("SaveDataAs1", "Save FFT Data...", [this](TObject* s) { Files().SaveDataAs1Click(s); });
  ExportWaveformCH11 =
      insert("ExportWaveformCH11", "Export Waveform 1", [this](TObject* s) { Files().ExportWaveformCH11Click(s); });
  ExportWaveformofCh21 =
      insert("ExportWaveformofCh21", "Export Waveform 2", [this](TObject* s) { Files().ExportWaveformofCh21Click(s); });
  insert("N22", "-");
  Print1 = insert("Print1", "Print...", [this](TObject* s) { Files().Print1Click(s); });
  PrintSetup1 = insert("PrintSetup1", "Print Setup...", [this](TObject* s) { Files().PrintSetup1Click(s); });
  insert("N23", "-");
  make.Item(File1, "N24", "-");
  Exit1 = make.Item(File1, "Exit1", "Exit", [this](TObject* s) { ExitClick(s); });
  File1->OnClick = [this](TObject* s) { Files().File1Click(s); };

  TMenuItem* root = MainMenu1->Items();
  Edit2 = io::MenuInserter(make, root, root->IndexOf(File1) + 1)("Edit2", "Edit",
                                                                 [this](TObject* s) { Files().Edit2Click(s); });
  Copy1 = make.Item(Edit2, "Copy1", "Copy", [this](TObject* s) { Files().Copy1Click(s); });
  Paste1 = make.Item(Edit2, "Paste1", "Paste", [this](TObject* s) { Files().Paste1Click(s); });

  Help1 = make.Item(root, "Help1", "Help");
  Help2 = make.Item(Help1, "Help2", "Oscilloscope Help", [this](TObject* s) { Files().Help2Click(s); });
  FunctionGenerorHelp1 = make.Item(Help1, "FunctionGenerorHelp1", "Function Generor Help",
                                   [this](TObject* s) { Files().FunctionGenerorHelp1Click(s); });
  make.Item(Help1, "N25", "-");
  About2 = make.Item(Help1, "About2", "About...", [this](TObject* s) { Files().About2Click(s); });
  make.Item(Help1, "N26", "-");
  CheckForUpdates1 = make.Item(Help1, "CheckForUpdates1", "For updates check: " + io::kMakerHost,
                               [this](TObject* s) { Files().CheckForUpdates1Click(s); });
  SupportForum1 = make.Item(Help1, "SupportForum1", "For support consult: " + io::kSupportHost,
                            [this](TObject* s) { Files().SupportForum1Click(s); });

  io::MakePictureDialogs(*this);
  SaveDialog2 = new TSaveDialog(this);
  SaveDialog2->Name = "SaveDialog2";
  SaveDialog2->SetFilter("Text file (*.txt)|*.txt|All files (*.*)|*.*");
  SaveDialog2->SetDefaultExt("txt");
  SaveDialog2->SetOptions(ofOverwritePrompt);
  SaveDialog5 = new TSaveDialog(this);
  SaveDialog5->Name = "SaveDialog5";
  SaveDialog5->SetFilter("Library file (*.lib)|*.lib|All files (*.*)|*.*");
  SaveDialog5->SetDefaultExt("lib");
  SaveDialog5->SetOptions(ofOverwritePrompt);
  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  files_ = std::make_unique<engine::files::FilesController>(engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState},
                                                            *this, *this, *this, *this, GrSpeedButton15, *Image1);
}

void TForm1::ExitClick(TObject* /*Sender*/) { Close(); }

// The scope data file's reader window: its dialog and error box, the work the
// scope window's.
TForm5::TForm5(TComponent* owner) : FileErrorWindow(owner, "Form5", "Text file (*.txt)|*.txt") {}

void TForm5::LoadScopeDataFile() {
  if (Form1) Form1->Files().LoadScopeDataFile(*this);
}
