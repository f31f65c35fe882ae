// The recorder window's pictures, clipboard, printing and the generator's
// help. Its picture has no acquisition loop to stop: these items are
// disabled while a recording runs.
#include "engine/help_request.h"
#include "engine/scope_state.h"
#include "io/menu_insert.h"
#include "io/picture_file.h"
#include "recorder/print_preview_rec.h"
#include "recorder/recorder_form.h"
#include "widgets/control_maker.h"

void TForm1_rec::BuildPictureMenus() {
  ControlMaker make(this);
  io::MenuInserter insert(make, File1, 0);
  Open1 = insert("Open1", "&Open Image...", [this](TObject* s) { OpenClick(s); });
  Save1 = insert("Save1", "&Save Image...", [this](TObject* s) { SaveClick(s); });
  insert("N5", "-");
  Print1 = insert("Print1", "&Print...", [this](TObject* s) { Print1Click(s); });
  PrintSetup1 = insert("PrintSetup1", "P&rint Setup...", [this](TObject* s) { PrintSetup1Click(s); });
  insert("N6", "-");

  TMenuItem* root = MainMenu1->Items();
  Edit2 = io::MenuInserter(make, root, root->IndexOf(File1) + 1)("Edit2", "&Edit",
                                                                 [this](TObject* s) { Edit2Click(s); });
  Copy1 = make.Item(Edit2, "Copy1", "&Copy", [this](TObject* s) { Copy1Click(s); });
  Paste1 = make.Item(Edit2, "Paste1", "&Paste", [this](TObject* s) { Paste1Click(s); });

  FunctionGeneratorHelp1 = io::MenuInserter(make, Help1, Help1->IndexOf(Help2) + 1)(
      "FunctionGeneratorHelp1", "Function Generator Help", [this](TObject* s) { FunctionGeneratorHelp1Click(s); });

  io::MakePictureDialogs(*this);
}

void TForm1_rec::SaveClick(TObject* /*Sender*/) {
  io::SavePictureWithDialog(*SaveDialog1, *Image1->Picture(), ScopeState.DocumentsFolder);
}

void TForm1_rec::OpenClick(TObject* /*Sender*/) {
  const std::optional<io::PictureChoice> choice =
      io::ChoosePictureToOpen(*OpenPictureDialog1, ScopeState.DocumentsFolder);
  if (!choice || !io::DrawPictureFile(*Image1->Picture(), *choice)) return;
  Image1->Invalidate();
  RecClearPending = 1;
}

void TForm1_rec::Copy1Click(TObject* /*Sender*/) { io::CopyPictureToClipboard(*Image1->Picture()); }

void TForm1_rec::Paste1Click(TObject* /*Sender*/) {
  if (io::PastePicture(*Image1->Picture())) Image1->Invalidate();
  RecClearPending = 1;
}

void TForm1_rec::Edit2Click(TObject* /*Sender*/) { Paste1->SetEnabled(io::ClipboardHoldsPicture()); }

void TForm1_rec::Print1Click(TObject* /*Sender*/) {
  if (!PreviewForm_rec || !PreviewForm_rec->HasPicture()) return;
  PreviewForm_rec->SetupPage();
  PreviewForm_rec->DrawPreview();
  PreviewForm_rec->ShowModal();
}

void TForm1_rec::PrintSetup1Click(TObject* /*Sender*/) { PrinterSetupDialog1->Execute(); }

void TForm1_rec::FunctionGeneratorHelp1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp); }
