// The scope window's pictures, clipboard, printing, text exports, help and
// about: the work behind its File, Edit and Help menu items.
#include "engine/files/files_controller.h"

#include <span>
#include <string>

#include "display/display_state.h"
#include "display/marker_readouts.h"
#include "engine/big_screen.h"
#include "engine/help_request.h"
#include "engine/print_preview.h"
#include "engine/scope_state.h"
#include "io/about_box.h"
#include "io/picture_file.h"
#include "io/text_export.h"
#include "platform/ini/ini_file.h"
#include "platform/os/folders.h"
#include "platform/os/process.h"

namespace engine::files {

FilesController::FilesController(const engine::ScopeStates& states, FilesHost& host, FileMenuControls& menu,
                                 FrontPanelControls& panel, AnalysisControls& analysis,
                                 TGrSpeedButton* const& bitView, TImage& image)
    : engine::WithScopeStates(states),
      host_(host),
      menu_(menu),
      panel_(panel),
      analysis_(analysis),
      bit_view_(bitView),
      image_(image) {}

// ---------------------------------------------------------------- pictures and clipboard

void FilesController::SaveClick(TObject* /*Sender*/) {
  io::SavePictureWithDialog(*menu_.SaveDialog1, *image_.Picture(), ScopeState.DocumentsFolder);
}

void FilesController::OpenPictureOnto(TImage& image) {
  const std::optional<io::PictureChoice> choice =
      io::ChoosePictureToOpen(*menu_.OpenPictureDialog1, ScopeState.DocumentsFolder);
  if (!choice) return;
  host_.StopAndSettle();
  if (!io::DrawPictureFile(*image.Picture(), *choice)) return;
  image.Invalidate();
  // The picture stays until the next refresh wipes it.
  ScopeState.ClearPending = 1;
  ScopeState.RunStop = ScopeState.SingleStop = 1;
}

void FilesController::PastePictureOnto(TImage& image) {
  host_.StopAndSettle();
  if (io::PastePicture(*image.Picture())) image.Invalidate();
  ScopeState.ClearPending = 1;
  ScopeState.RunStop = ScopeState.SingleStop = 1;
}

void FilesController::OpenClick(TObject* /*Sender*/) { OpenPictureOnto(image_); }

void FilesController::Copy1Click(TObject* /*Sender*/) { io::CopyPictureToClipboard(*image_.Picture()); }

void FilesController::Paste1Click(TObject* /*Sender*/) { PastePictureOnto(image_); }

void FilesController::Edit2Click(TObject* /*Sender*/) { menu_.Paste1->SetEnabled(io::ClipboardHoldsPicture()); }

// ---------------------------------------------------------------- printing

const TBitmap* FilesController::ScopePrintPicture() const {
  if (Form10 && Form10->Visible() && Form10->Image10) return Form10->Image10->Picture();
  return image_.Picture();
}

void FilesController::Print1Click(TObject* /*Sender*/) {
  if (!PreviewForm || !PreviewForm->HasPicture()) return;
  PreviewForm->SetupPage();
  PreviewForm->DrawPreview();
  PreviewForm->ShowModal();
}

void FilesController::PrintSetup1Click(TObject* /*Sender*/) { menu_.PrinterSetupDialog1->Execute(); }

// ---------------------------------------------------------------- spectrum table and waveform export

void FilesController::BitBtn1Click(TObject* /*Sender*/) {
  menu_.Memo1->Lines().Clear();
  if (!ScopeState.SpectrumMode) return;
  const bool ch1 = ScopeState.Settings.Channels[0].On != 0;
  io::SpectrumTableInput input;
  input.Levels = ch1 ? std::span<const std::int32_t>(ScopeState.Ch1SpectrumLevels())
                     : std::span<const std::int32_t>(ScopeState.SpectrumLevels.data(), display::kChannelSamples);
  input.TimePerDiv = ScopeState.TimePerDiv;
  input.LevelOffsetDb = display::TopLevelDbv(ch1 ? ScopeState.Settings.Channels[0].GainCode : ScopeState.Settings.Channels[1].GainCode) + (ch1 ? ScopeState.Channels[0].ProbeDb : ScopeState.Channels[1].ProbeDb);
  input.DisplayStart = ScopeState.DisplayStart;
  input.Zoom = DisplayState.SpectrumZoom;
  input.Points = DisplayState.SpectrumPoints;
  input.LogAxis = ScopeState.LogFreqAxis != 0;
  for (const std::string& line : io::SpectrumTableLines(input)) menu_.Memo1->Lines().Add(line);
}

void FilesController::SaveDataAs1Click(TObject* /*Sender*/) {
  BitBtn1Click(nullptr);
  menu_.SaveDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!menu_.SaveDialog2->Execute()) return;
  std::string text;
  for (const std::string& line : menu_.Memo1->Lines().Lines()) text += line + "\r\n";
  const std::string& path = menu_.SaveDialog2->FileName();
  if (!os::WriteWholeFile(path, text)) MessageDlg(UnableToWriteMessage(path), mtError, mbOK, 0);
}

void FilesController::ExportWaveform(int channel) {
  // The library folder beside the program when there is one.
  const std::string lib = ScopeState.ProgramFolder + "lib";
  menu_.SaveDialog5->SetInitialDir(os::DirectoryExists(lib) ? lib : ScopeState.DocumentsFolder);
  if (!menu_.SaveDialog5->Execute()) return;
  const std::string text =
      io::WaveformLibraryText(channel == 1 ? std::span<const std::int32_t>(ScopeState.Ch1Samples())
                                           : std::span<const std::int32_t>(ScopeState.Ch2Samples()));
  const std::string& path = menu_.SaveDialog5->FileName();
  if (!os::WriteWholeFile(path, text)) MessageDlg(UnableToWriteMessage(path), mtError, mbOK, 0);
}

void FilesController::ExportWaveformCH11Click(TObject* /*Sender*/) { ExportWaveform(1); }
void FilesController::ExportWaveformofCh21Click(TObject* /*Sender*/) { ExportWaveform(2); }

void FilesController::File1Click(TObject* /*Sender*/) {
  menu_.SaveDataAs1->SetEnabled(ScopeState.SpectrumMode != 0);
  if (menu_.SaveDSOData1) menu_.SaveDSOData1->SetEnabled(ScopeState.SpectrumMode == 0 && ScopeState.TraceValid != 0);
}

// ---------------------------------------------------------------- help and about

void FilesController::Help2Click(TObject* /*Sender*/) { engine::ShowHelp(io::kScopeHelp); }
void FilesController::FunctionGenerorHelp1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp); }
void FilesController::InstallingNT4driver1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kDriverHelp); }

void FilesController::About2Click(TObject* /*Sender*/) {
  if (AboutBox) AboutBox->ShowModal();
}

void FilesController::CheckForUpdates1Click(TObject* /*Sender*/) { os::OpenWebLink(io::kMakerHomePage); }
void FilesController::SupportForum1Click(TObject* /*Sender*/) { os::OpenWebLink(io::kSupportForumPage); }

}  // namespace engine::files
