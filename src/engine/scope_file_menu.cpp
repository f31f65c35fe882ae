// The main window's pictures, clipboard, printing, text exports, help and
// about: its File, Edit and Help menu items and their handlers.
#include <filesystem>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/marker_readouts.h"
#include "engine/help_request.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/about_box.h"
#include "io/menu_insert.h"
#include "io/picture_file.h"
#include "engine/print_preview.h"
#include "io/text_export.h"
#include "platform/ini/ini_file.h"
#include "platform/os/folders.h"
#include "platform/os/process.h"
#include "widgets/control_maker.h"

namespace {


}  // namespace

void TForm1::CreateFileExportControls() {
  ControlMaker make(this);
  // Pictures, exports and printing open the File menu; "Exit" closes it.
  io::MenuInserter insert(make, File1, 0);
  Open1 = insert("Open1", "Open Image...", [this](TObject* s) { OpenClick(s); });
  Save1 = insert("Save1", "Save Image...", [this](TObject* s) { SaveClick(s); });
  insert("N21", "-");
  SaveDataAs1 = insert("SaveDataAs1", "Save FFT Data...", [this](TObject* s) { SaveDataAs1Click(s); });
  ExportWaveformCH11 =
      insert("ExportWaveformCH11", "Export Waveform 1", [this](TObject* s) { ExportWaveformCH11Click(s); });
  ExportWaveformofCh21 =
      insert("ExportWaveformofCh21", "Export Waveform 2", [this](TObject* s) { ExportWaveformofCh21Click(s); });
  insert("N22", "-");
  Print1 = insert("Print1", "Print...", [this](TObject* s) { Print1Click(s); });
  PrintSetup1 = insert("PrintSetup1", "Print Setup...", [this](TObject* s) { PrintSetup1Click(s); });
  insert("N23", "-");
  make.Item(File1, "N24", "-");
  Exit1 = make.Item(File1, "Exit1", "Exit", [this](TObject* s) { ExitClick(s); });
  File1->OnClick = [this](TObject* s) { File1Click(s); };

  TMenuItem* root = MainMenu1->Items();
  Edit2 = io::MenuInserter(make, root, root->IndexOf(File1) + 1)("Edit2", "Edit",
                                                                 [this](TObject* s) { Edit2Click(s); });
  Copy1 = make.Item(Edit2, "Copy1", "Copy", [this](TObject* s) { Copy1Click(s); });
  Paste1 = make.Item(Edit2, "Paste1", "Paste", [this](TObject* s) { Paste1Click(s); });

  Help1 = make.Item(root, "Help1", "Help");
  Help2 = make.Item(Help1, "Help2", "Oscilloscope Help", [this](TObject* s) { Help2Click(s); });
  FunctionGenerorHelp1 = make.Item(Help1, "FunctionGenerorHelp1", "Function Generor Help",
                                   [this](TObject* s) { FunctionGenerorHelp1Click(s); });
  make.Item(Help1, "N25", "-");
  About2 = make.Item(Help1, "About2", "About...", [this](TObject* s) { About2Click(s); });
  make.Item(Help1, "N26", "-");
  CheckForUpdates1 = make.Item(Help1, "CheckForUpdates1", "For updates check: " + io::kMakerHost,
                               [this](TObject* s) { CheckForUpdates1Click(s); });
  SupportForum1 = make.Item(Help1, "SupportForum1", "For support consult: " + io::kSupportHost,
                            [this](TObject* s) { SupportForum1Click(s); });

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
}

// ---------------------------------------------------------------- pictures and clipboard

void TForm1::SaveClick(TObject* /*Sender*/) {
  io::SavePictureWithDialog(*SaveDialog1, *Image1->Picture(), ScopeState.DocumentsFolder);
}

void TForm1::OpenPictureOnto(TImage& image) {
  const std::optional<io::PictureChoice> choice =
      io::ChoosePictureToOpen(*OpenPictureDialog1, ScopeState.DocumentsFolder);
  if (!choice) return;
  StopAndSettle();
  if (!io::DrawPictureFile(*image.Picture(), *choice)) return;
  image.Invalidate();
  // The picture stays until the next refresh wipes it.
  ScopeState.ClearPending = 1;
  ScopeState.RunStop = ScopeState.SingleStop = 1;
}

void TForm1::PastePictureOnto(TImage& image) {
  StopAndSettle();
  if (io::PastePicture(*image.Picture())) image.Invalidate();
  ScopeState.ClearPending = 1;
  ScopeState.RunStop = ScopeState.SingleStop = 1;
}

void TForm1::OpenClick(TObject* /*Sender*/) { OpenPictureOnto(*Image1); }

void TForm1::Copy1Click(TObject* /*Sender*/) { io::CopyPictureToClipboard(*Image1->Picture()); }

void TForm1::Paste1Click(TObject* /*Sender*/) { PastePictureOnto(*Image1); }

void TForm1::Edit2Click(TObject* /*Sender*/) { Paste1->SetEnabled(io::ClipboardHoldsPicture()); }

void TForm1::ExitClick(TObject* /*Sender*/) { Close(); }

// ---------------------------------------------------------------- printing

const TBitmap* TForm1::ScopePrintPicture() const {
  if (Form10 && Form10->Visible() && Form10->Image10) return Form10->Image10->Picture();
  return Image1->Picture();
}

void TForm1::Print1Click(TObject* /*Sender*/) {
  if (!PreviewForm || !PreviewForm->HasPicture()) return;
  PreviewForm->SetupPage();
  PreviewForm->DrawPreview();
  PreviewForm->ShowModal();
}

void TForm1::PrintSetup1Click(TObject* /*Sender*/) { PrinterSetupDialog1->Execute(); }

// ---------------------------------------------------------------- spectrum table and waveform export

void TForm1::BitBtn1Click(TObject* /*Sender*/) {
  Memo1->Lines().Clear();
  if (!ScopeState.SpectrumMode) return;
  const bool ch1 = ScopeState.Settings.Ch1On != 0;
  io::SpectrumTableInput input;
  input.Levels = ch1 ? std::span<const std::int32_t>(ScopeState.Ch1SpectrumLevels())
                     : std::span<const std::int32_t>(ScopeState.SpectrumLevels.data(), display::kChannelSamples);
  input.TimePerDiv = ScopeState.TimePerDiv;
  input.LevelOffsetDb = display::TopLevelDbv(ch1 ? ScopeState.Settings.Ch1GainCode : ScopeState.Settings.Ch2GainCode) + (ch1 ? ScopeState.Ch1ProbeDb : ScopeState.Ch2ProbeDb);
  input.DisplayStart = ScopeState.DisplayStart;
  input.Zoom = DisplayState.SpectrumZoom;
  input.Points = DisplayState.SpectrumPoints;
  input.LogAxis = ScopeState.LogFreqAxis != 0;
  for (const std::string& line : io::SpectrumTableLines(input)) Memo1->Lines().Add(line);
}

void TForm1::SaveDataAs1Click(TObject* /*Sender*/) {
  BitBtn1Click(this);
  SaveDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!SaveDialog2->Execute()) return;
  std::string text;
  for (const std::string& line : Memo1->Lines().Lines()) text += line + "\r\n";
  const std::string& path = SaveDialog2->FileName();
  if (!os::WriteWholeFile(path, text)) MessageDlg(UnableToWriteMessage(path), mtError, mbOK, 0);
}

void TForm1::ExportWaveform(int channel) {
  // The library folder beside the program when there is one.
  const std::string lib = ScopeState.ProgramFolder + "lib";
  SaveDialog5->SetInitialDir(os::DirectoryExists(lib) ? lib : ScopeState.DocumentsFolder);
  if (!SaveDialog5->Execute()) return;
  const std::string text =
      io::WaveformLibraryText(channel == 1 ? std::span<const std::int32_t>(ScopeState.Ch1Samples())
                                           : std::span<const std::int32_t>(ScopeState.Ch2Samples()));
  const std::string& path = SaveDialog5->FileName();
  if (!os::WriteWholeFile(path, text)) MessageDlg(UnableToWriteMessage(path), mtError, mbOK, 0);
}

void TForm1::ExportWaveformCH11Click(TObject* /*Sender*/) { ExportWaveform(1); }
void TForm1::ExportWaveformofCh21Click(TObject* /*Sender*/) { ExportWaveform(2); }

void TForm1::File1Click(TObject* /*Sender*/) {
  SaveDataAs1->SetEnabled(ScopeState.SpectrumMode != 0);
  if (SaveDSOData1) SaveDSOData1->SetEnabled(ScopeState.SpectrumMode == 0 && ScopeState.TraceValid != 0);
}

// ---------------------------------------------------------------- help and about

void TForm1::Help2Click(TObject* /*Sender*/) { engine::ShowHelp(io::kScopeHelp); }
void TForm1::FunctionGenerorHelp1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp); }
void TForm1::InstallingNT4driver1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kDriverHelp); }

void TForm1::About2Click(TObject* /*Sender*/) {
  if (AboutBox) AboutBox->ShowModal();
}

void TForm1::CheckForUpdates1Click(TObject* /*Sender*/) { os::OpenWebLink(io::kMakerHomePage); }
void TForm1::SupportForum1Click(TObject* /*Sender*/) { os::OpenWebLink(io::kSupportForumPage); }
