// The wave editor: a text of library waveform lines, its preview of two
// cycles, and the file commands. It sends nothing to the device.
#include "generator/wave_editor.h"

#include <algorithm>
#include <filesystem>

#include "engine/help_request.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/library_wave.h"
#include "generator/preview.h"
#include "platform/os/folders.h"
#include "widgets/control_maker.h"

namespace {

constexpr const char* kEditorCaption = "Wave Editor";
constexpr const char* kSaveChangesText = "Save changes to file?";
constexpr int kPreviewW = 160;
constexpr int kPreviewH = 128;

}  // namespace

TWave_editor1::TWave_editor1(TComponent* owner, generator::GeneratorSharedState& state, const engine::ScopeSharedState& scope)
    : TForm(owner), GeneratorState(state), ScopeState(scope) {
  SetCaption(kEditorCaption);
  SetClientWidth(420);
  SetClientHeight(330);
  ControlMaker make(this);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  TMenuItem* root = MainMenu1->Items();
  TMenuItem* file = make.Item(root, "File1", "&File");
  make.Item(file, "New1", "&New", [this](TObject* s) { New1Click(s); });
  make.Item(file, "Open1", "&Open", [this](TObject* s) { Open1Click(s); });
  make.Item(file, "Save1", "&Save", [this](TObject* s) { Save1Click(s); });
  make.Item(file, "SaveAs1", "Save &As...", [this](TObject* s) { SaveAs1Click(s); });
  make.Item(file, "SaveAsBitmap1", "Save As Bitmap...", [this](TObject* s) { SaveAsBitmap1Click(s); });
  make.Item(file, "N1", "-");
  make.Item(file, "Exit1", "E&xit", [this](TObject*) { Close(); });
  Edit1 = make.Item(root, "Edit1", "&Edit", [this](TObject* s) { Edit1Click(s); });
  Undo1 = make.Item(Edit1, "Undo1", "&Undo", [this](TObject*) { Memo1->Undo(); });
  make.Item(Edit1, "N2", "-");
  make.Item(Edit1, "Cut1", "Cu&t", [this](TObject*) { Memo1->CutToClipboard(); })->SetShortCut("Ctrl+X");
  make.Item(Edit1, "Copy1", "&Copy", [this](TObject*) { Memo1->CopyToClipboard(); })->SetShortCut("Ctrl+C");
  Paste1 = make.Item(Edit1, "Paste1", "&Paste", [this](TObject*) { Memo1->PasteFromClipboard(); });
  Paste1->SetShortCut("Ctrl+V");
  make.Item(Edit1, "SelectAll1", "Select &All", [this](TObject*) { Memo1->SelectAll(); })->SetShortCut("Ctrl+A");
  Help1 = make.Item(root, "Help1", "&Help", [this](TObject* s) { Help1Click(s); });
  SetMenu(MainMenu1);

  Memo1 = make.Memo(this, "Memo1", 8, 8, 200, 290);
  Memo1->SetScrollBars(ssVertical);
  Memo1->SetWordWrap(false);
  make.Label(this, "Label1", "Data points max. 512", 8, 304);

  Label5 = make.Label(this, "Label5", "Two cycles of the wave ", 240, 8);
  Label5->SetVisible(false);
  make.Label(this, "Label2", "+1", 220, 28);
  make.Label(this, "Label3", "0", 224, 28 + kPreviewH / 2 - 8);
  make.Label(this, "Label4", "-1", 222, 28 + kPreviewH - 16);
  Image1 = make.Image(this, "Image1", 240, 28, kPreviewW, kPreviewH);

  Button1 = make.Add<TButton>(this, "Button1", 240, 176, 78, 25, "Open...");
  Button2 = make.Add<TButton>(this, "Button2", 324, 176, 78, 25, "Preview");
  Button3 = make.Add<TButton>(this, "Button3", 240, 208, 78, 25, "Save");
  Button4 = make.Add<TButton>(this, "Button4", 324, 208, 78, 25, "Save As...");
  Button5 = make.Add<TButton>(this, "Button5", 324, 272, 78, 25, "Close");
  Button1->OnClick = [this](TObject* s) { Open1Click(s); };
  Button2->OnClick = [this](TObject* s) { PreviewClick(s); };
  Button3->OnClick = [this](TObject* s) { Save1Click(s); };
  Button4->OnClick = [this](TObject* s) { SaveAs1Click(s); };
  Button5->OnClick = [this](TObject*) { Close(); };

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Name = "OpenDialog1";
  OpenDialog1->SetFilter("Library File (*.lib)|*.LIB|All Files (*.*)|*.*");
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Name = "SaveDialog1";
  SaveDialog1->SetFilter("Library File (*.lib)|*.lib|All files (*.*)|*.*");
  SaveDialog1->SetDefaultExt("lib");
  SaveDialog1->SetOptions(ofOverwritePrompt);
  SaveDialog2 = new TSaveDialog(this);
  SaveDialog2->Name = "SaveDialog2";
  SaveDialog2->SetFilter("Bitmap (*.bmp)|*.bmp|All files (*.*)|*.*");
  SaveDialog2->SetDefaultExt("bmp");
  SaveDialog2->SetOptions(ofOverwritePrompt);

  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  curve_0();
}

void TWave_editor1::SetFileName(const std::string& path) {
  file_name_ = path;
  SetCaption(path.empty() ? std::string(kEditorCaption)
                          : std::string(kEditorCaption) + " " + std::filesystem::path(path).filename().string());
}

// ---------------------------------------------------------------- preview

void TWave_editor1::PreviewClick(TObject* /*Sender*/) {
  std::fill_n(GeneratorState.EditorTable.begin(), 32767, std::int16_t{127});
  const generator::LibraryWave wave = generator::ParseLibraryWave(Memo1->Text());
  generator::ApplyLibraryWave(wave, GeneratorState.EditorTable);
  if (wave.Error) MessageDlg(generator::kDataErrorText, mtWarning, mbOK, 0);
  if (Form1_fgen) Form1_fgen->laske_1();
  else curve_1();
  Label5->SetVisible(true);
}

void TWave_editor1::curve_1() {
  generator::DrawEditorPreview(*Image1->Canvas(), Image1->Width(), Image1->Height(), GeneratorState.EditorPreviewTable);
  Image1->Invalidate();
}

void TWave_editor1::curve_0() {
  // The editor is seldom opened: its empty picture is drawn when first seen.
  const int w = Image1->Width(), h = Image1->Height();
  Image1->Picture()->DrawWhenUsed([w, h](TBitmap& b) { generator::DrawEditorPreview(*b.Canvas(), w, h, {}); }, true);
  Image1->Invalidate();
}

// ---------------------------------------------------------------- files

void TWave_editor1::Open1Click(TObject* /*Sender*/) {
  if (OpenDialog1->InitialDir().empty()) OpenDialog1->SetInitialDir(ScopeState.ProgramFolder + "lib");
  if (!OpenDialog1->Execute()) return;
  const std::string path = OpenDialog1->FileName();
  TStrings lines;
  std::string why;
  if (!lines.LoadFromFile(path, generator::kLibraryMaxFileBytes, &why)) {
    MessageDlg("Cannot open file " + path + ": " + why + ".", mtError, mbOK, 0);
    return;
  }
  Memo1->Lines().Assign(lines);
  Memo1->SetModified(false);
  SetFileName(path);
  PreviewClick(this);
}

bool TWave_editor1::SaveTo(const std::string& path) {
  if (!os::WriteWholeFile(path, Memo1->Lines().Text())) {
    MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
    return false;
  }
  SetFileName(path);
  Memo1->SetModified(false);
  return true;
}

bool TWave_editor1::Save1Click(TObject* Sender) {
  if (file_name_.empty()) return SaveAs1Click(Sender);
  return SaveTo(file_name_);
}

bool TWave_editor1::SaveAs1Click(TObject* /*Sender*/) {
  if (SaveDialog1->InitialDir().empty()) SaveDialog1->SetInitialDir(ScopeState.DocumentsFolder);
  SaveDialog1->SetFileName(file_name_.empty() ? "*.lib" : file_name_);
  if (!SaveDialog1->Execute()) return false;
  return SaveTo(SaveDialog1->FileName());
}

void TWave_editor1::SaveAsBitmap1Click(TObject* /*Sender*/) {
  if (SaveDialog2->InitialDir().empty()) SaveDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!SaveDialog2->Execute()) return;
  if (!Image1->Picture()->SaveToFile(SaveDialog2->FileName()))
    MessageDlg("Unable to write to " + SaveDialog2->FileName(), mtError, mbOK, 0);
}

bool TWave_editor1::MayDiscard(bool throughDialog) {
  if (!Memo1->Modified()) return true;
  switch (MessageDlg(kSaveChangesText, mtConfirmation, mbYesNoCancel, 0)) {
    case mrYes: return throughDialog ? SaveAs1Click(this) : Save1Click(this);
    case mrNo: return true;
    default: return false;
  }
}

void TWave_editor1::New1Click(TObject* /*Sender*/) {
  if (!MayDiscard(true)) return;
  Memo1->Clear();
  Memo1->SetModified(false);
  SetFileName("");
  Label5->SetVisible(false);
  curve_0();
}

void TWave_editor1::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  if (Unattended() && Memo1->Modified()) {
    // Nobody can be asked (the program is ending on a signal): the text
    // goes, and standard error says so.
    ReportOnStandardError(file_name_.empty() ? "Wave Editor: the edited wave was not saved"
                                             : "Wave Editor: the changes to " + file_name_ + " were not saved");
    Memo1->SetModified(false);
  }
  CanClose = MayDiscard(false);
  if (CanClose) Memo1->SetModified(false);
  GeneratorState.WaveEditorCanClose = CanClose ? 1 : 0;
}

// ---------------------------------------------------------------- menus

void TWave_editor1::Edit1Click(TObject* /*Sender*/) {
  Undo1->SetEnabled(Memo1->CanUndo());
  Paste1->SetEnabled(Memo1->CanPaste());
}

void TWave_editor1::Help1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp, io::kWaveEditorTopic); }
