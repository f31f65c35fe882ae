// The recorder's data files: "Save Data", the AutoSave log written while a
// recording runs, and the reader that loads either kind page by page.
#include <algorithm>


#include "engine/front_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "platform/ini/ini_file.h"
#include "platform/os/folders.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

namespace {

constexpr const char* kRecordFileFilter = "Text file (*.txt)|*.txt|All files (*.*)|*.*";
// An AutoSave log of a long Run holds many pages; one beyond this is refused
// before it is read.
constexpr std::uintmax_t kLargestRecorderFile = 256u << 20;

}  // namespace

// ---------------------------------------------------------------- the record as a file

std::optional<recorder::CommentBlock> TForm1_rec::CurrentComment() const {
  if (!RecorderState.RecNoteShown || !Form_9rec || Form_9rec->Memo1->Lines().Count() == 0) return std::nullopt;
  recorder::CommentBlock block;
  block.Lines = Form_9rec->Memo1->Lines().Lines();
  block.X = RecorderState.RecNoteX;
  block.Y = RecorderState.RecNoteY;
  block.Transparent = RecorderState.RecNoteTransparent != 0;
  return block;
}

recorder::RecordHeader TForm1_rec::CurrentHeader() const {
  return {RecorderState.RecStartText, RecorderState.RecStopText, RecorderState.RecHeaderTimeText, RecorderState.Channel(1).HeaderText, RecorderState.Channel(2).HeaderText};
}

void TForm1_rec::N1Click(TObject*) {
  SaveDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!SaveDialog2->Execute()) return;
  // Nothing recorded since the window opened or a file was loaded.
  if (RecorderState.RecPos <= 1) return;
  const std::optional<recorder::CommentBlock> comment = CurrentComment();
  const std::string text = recorder::FormatSaveData(CurrentHeader(), RecBufCh1, RecBufCh2, RecorderState.RecLength,
                                                    comment ? &*comment : nullptr);
  if (!os::WriteWholeFile(SaveDialog2->FileName(), text)) MessageDlg(UnableToWriteMessage(SaveDialog2->FileName()), mtError, mbOK, 0);
}

// ---------------------------------------------------------------- AutoSave

void TForm1_rec::N2Click(TObject*) {
  SaveDialog3->SetInitialDir(ScopeState.DocumentsFolder);
  if (!SaveDialog3->Execute()) return;
  AutoSaveFile.Close();
  // The whole name: a shortened one would write somewhere else.
  const std::string name = SaveDialog3->FileName();
  if (!AutoSaveFile.Create(name)) {
    RecorderState.RecAutoSaveOn = 0;
    MessageDlg(UnableToWriteMessage(name), mtError, mbOK, 0);
    return;
  }
  RecorderState.AutoSaveFileName = name;
  AutoSaveFailed = false;
  AutoSaveHeaderWritten = false;
  RecorderState.RecAutoSaveOn = 1;
  TCanvas* c = Image1->Canvas();
  c->Font.Style = fsBold;
  TulostaTeksti("AUTOSAVE ON", X0 + 450, RecorderState.RecCh1Color, 3);
  c->Font.Style = 0;
  AutoSaveMarkShown = true;
}

void TForm1_rec::ReportAutoSaveFailure() {
  AutoSaveFile.Close();
  RecorderState.RecAutoSaveOn = 0;
  AutoSaveFailed = true;
  EraseAutoSaveTexts();
  // The recording goes on; only the log ends. The sample clock waits while
  // the message is up, so no tick runs inside this one.
  const bool running = FastTimer1->Enabled();
  FastTimer1->SetEnabled(false);
  MessageDlg(UnableToWriteMessage(RecorderState.AutoSaveFileName) + "\rAutoSave is switched off; the recording goes on.", mtError, mbOK, 0);
  if (running && !RecorderState.RecStopped) FastTimer1->SetEnabled(true);
}

void TForm1_rec::WriteAutoSaveHeader() {
  if (!AutoSaveFile.IsOpen()) return;
  if (!AutoSaveFile.Append(recorder::FormatAutoSaveHeader(CurrentHeader()))) {
    ReportAutoSaveFailure();
    return;
  }
  AutoSaveHeaderWritten = true;
  SavingLineShown = "SAVING DATA TO FILE: " + RecorderState.AutoSaveFileName;
  TulostaTeksti(SavingLineShown, X0, RecorderState.RecCh1Color, Image1->Height() - 20);
  // The live picture shows it too.
  PaintBox1->Picture()->Assign(*Image1->Picture());
}

void TForm1_rec::WriteAutoSaveRow() {
  if (!AutoSaveFile.IsOpen() || !AutoSaveHeaderWritten) return;
  // Whole rows only: a row that does not fit is taken back out of the file.
  if (!AutoSaveFile.Append(recorder::FormatAutoSaveRow(RecorderState.AutoSaveRowNumber, 255 - RecBufCh1[RecorderState.RecPos], 255 - RecBufCh2[RecorderState.RecPos]))) {
    ReportAutoSaveFailure();
    return;
  }
  ++RecorderState.AutoSaveRowNumber;
}

void TForm1_rec::WriteAutoSaveTrailer() {
  // A recording that never began keeps the log armed for the next one.
  if (!AutoSaveFile.IsOpen() || !AutoSaveHeaderWritten) return;
  const std::optional<recorder::CommentBlock> comment = CurrentComment();
  const bool written = AutoSaveFile.Append(recorder::FormatAutoSaveTrailer(RecorderState.RecStopText, comment ? &*comment : nullptr));
  const bool closed = AutoSaveFile.Close();
  RecorderState.RecAutoSaveOn = 0;
  AutoSaveHeaderWritten = false;
  EraseAutoSaveTexts();
  if (!written || !closed) MessageDlg(UnableToWriteMessage(RecorderState.AutoSaveFileName), mtError, mbOK, 0);
}

void TForm1_rec::EraseAutoSaveTexts() {
  if (AutoSaveMarkShown) {
    TCanvas* c = Image1->Canvas();
    c->Font.Style = fsBold;
    TulostaTeksti("AUTOSAVE ON", X0 + 450, RecorderState.RecBackgroundColor, 3);
    c->Font.Style = 0;
    AutoSaveMarkShown = false;
  }
  if (!SavingLineShown.empty()) {
    TulostaTeksti(SavingLineShown, X0, RecorderState.RecBackgroundColor, Image1->Height() - 20);
    SavingLineShown.clear();
  }
  tekstit();
  // While recording, the live picture is the one shown: it takes the
  // picture again with the live trace drawn over it.
  if (PaintBox1->Visible()) Timer2Timer(this);
}

// ---------------------------------------------------------------- reading

void TForm1_rec::ShowLoadedPage(const recorder::ParsedPage& page, bool keepDisplayStep) {
  RecorderState.RecFileReplay = 1;
  RecorderState.RecKeepDisplayStep = keepDisplayStep ? 1 : 0;
  aloitus();
  std::copy(page.Ch1.begin(), page.Ch1.end(), RecBufCh1.begin());
  std::copy(page.Ch2.begin(), page.Ch2.end(), RecBufCh2.begin());
  for (int i = recorder::kRecordSamples; i <= recorder::kLastEntry; ++i)
    RecBufCh1[i] = RecBufCh2[i] = recorder::kNoData;
  if (!keepDisplayStep) {
    for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.Shift = 0;
    ScopeState.StartupTick &= ~8;
  }
  RecorderState.RecLength = recorder::kRecordSamples;
  lopetus();
  RecorderState.RecFileReplay = 0;
  RecorderState.RecKeepDisplayStep = 0;
}

void TForm1_rec::OpenData1Click(TObject*) {
  if (Form5_rec) Form5_rec->LoadDataFile();
  kursoriaika();
}

void TForm1_rec::SpeedButton1Click(TObject*) {
  if (Form5_rec) Form5_rec->LoadPreviousPage();
  kursoriaika();
}

void TForm1_rec::SpeedButton2Click(TObject*) {
  if (Form5_rec) Form5_rec->LoadNextPage();
  kursoriaika();
}

TForm5_rec::TForm5_rec(TComponent* owner, recorder::RecorderSharedState& state, const engine::ScopeSharedState& scope)
    : FileErrorWindow(owner, "Form5_rec", kRecordFileFilter), RecorderState(state), ScopeState(scope) {}

bool TForm5_rec::ReadFileText(const std::string& path, std::string& text) {
  os::WholeFile file = os::ReadWholeFile(path, kLargestRecorderFile);
  if (!file.Ok()) {
    MessageDlg("Unable to open " + path + ": " + file.Error + ".", mtError, mbOK, 0);
    return false;
  }
  text = std::move(file.Bytes);
  return true;
}

void TForm5_rec::LoadDataFile() {
  engine::ScopeWindow* scopeWindow = engine::TheScopeWindow();
  if (!Form1_rec || !scopeWindow) return;
  OpenDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!OpenDialog2->Execute()) return;
  const std::string path = OpenDialog2->FileName();
  std::string file;
  if (!ReadFileText(path, file)) return;
  const recorder::WholeRows rows = recorder::WithoutCutRow(file);
  const std::string_view text = rows.Text;

  // The whole first page is read before anything changes.
  const recorder::ParsedComment comment = recorder::ParseCommentBlock(text);
  const recorder::ParsedHeader header = recorder::ParseRecordHeader(text);
  if (!header.Valid()) {
    ShowError(recorder::RefusedRecorderFileText(path, header));
    return;
  }
  const recorder::ParsedPage page = recorder::ParseForwardPage(text, 13);
  if (!page.Ok()) {
    MessageDlg(recorder::BadFieldMessage(path, page.BadLine, *page.BadField), mtError, mbOK, 0);
    return;
  }

  // The annotation.
  if (Form_9rec) {
    if (comment.Count > 0) {
      if (comment.Transparent) Form_9rec->CheckBox1->SetChecked(*comment.Transparent);
      RecorderState.RecNoteX = static_cast<std::int16_t>(comment.X.value_or(ScopeState.ScreenX0));
      RecorderState.RecNoteY = static_cast<std::int16_t>(comment.Y.value_or(ScopeState.ScreenY0));
      Form_9rec->TakeAnnotation(comment.Lines);
    } else if (RecorderState.RecNoteShown) {
      Form_9rec->RemoveAnnotation();
    }
  }
  // The probes of the main window.
  FrontPanelControls& panel = scopeWindow->Panel();
  auto press = [scopeWindow](TSpeedButton* b, int channel, bool x10) {
    b->SetDown(true);
    scopeWindow->FrontPanel().ProbeClick(channel, x10);
  };
  header.Ch1X10 ? press(panel.x101, 1, true) : press(panel.x11, 1, false);
  header.Ch2X10 ? press(panel.x102, 2, true) : press(panel.x12, 2, false);
  // The recorder's steps, then the page.
  RecorderState.RecFileName = path;
  Form1_rec->TimeStepClick(*header.TimeStep);
  Form1_rec->RangeStepClick(1, *header.Ch1Range);
  Form1_rec->RangeStepClick(2, *header.Ch2Range);
  Form1_rec->ShowLoadedPage(page, false);
  Form1_rec->SpeedButton1->SetEnabled(false);
  Form1_rec->SpeedButton2->SetEnabled(false);
  RecorderState.RecMorePages = 0;
  if (!page.EndOfData && page.NextRow) {
    RecorderState.RecPageStart = *page.NextRow;
    RecorderState.RecMorePages = 1;
    Form1_rec->SpeedButton2->SetEnabled(true);
  } else {
    // A file of one page shows its own time from its first row.
    RecorderState.RecPageStart = 2000;
  }
  if (rows.CutLine) MessageDlg(recorder::CutRowMessage(path, rows.CutLine), mtWarning, mbOK, 0);
}

void TForm5_rec::LoadNextPage() {
  if (!Form1_rec) return;
  std::string file;
  if (!ReadFileText(RecorderState.RecFileName, file)) return;
  const std::string_view text = recorder::WithoutCutRow(file).Text;
  const recorder::ParsedPage page = recorder::ParseForwardPage(text, 13 + static_cast<std::size_t>(std::max(RecorderState.RecPageStart, 0)));
  if (!page.Ok()) {
    MessageDlg(recorder::BadFieldMessage(RecorderState.RecFileName, page.BadLine, *page.BadField), mtError, mbOK, 0);
    return;
  }
  Form1_rec->ShowLoadedPage(page, true);
  Form1_rec->SpeedButton1->SetEnabled(true);
  Form1_rec->SpeedButton2->SetEnabled(false);
  if (!page.EndOfData && page.NextRow) {
    RecorderState.RecPageStart = *page.NextRow;
    RecorderState.RecMorePages = 1;
    Form1_rec->SpeedButton2->SetEnabled(true);
  } else {
    RecorderState.RecPageStart += 2000;
  }
}

void TForm5_rec::LoadPreviousPage() {
  if (!Form1_rec) return;
  std::string file;
  if (!ReadFileText(RecorderState.RecFileName, file)) return;
  const std::string_view text = recorder::WithoutCutRow(file).Text;
  // 12 header lines and the rows before the page before the one shown.
  const std::int64_t skip = std::max<std::int64_t>(static_cast<std::int64_t>(RecorderState.RecPageStart) - 3988, 12);
  const recorder::ParsedPage page = recorder::ParseBackwardPage(text, static_cast<std::size_t>(skip) + 1);
  if (!page.Ok()) {
    MessageDlg(recorder::BadFieldMessage(RecorderState.RecFileName, page.BadLine, *page.BadField), mtError, mbOK, 0);
    return;
  }
  Form1_rec->ShowLoadedPage(page, true);
  Form1_rec->SpeedButton1->SetEnabled(false);
  Form1_rec->SpeedButton2->SetEnabled(false);
  if (page.NextRow) {
    RecorderState.RecPageStart = *page.NextRow;
    RecorderState.RecMorePages = 1;
    Form1_rec->SpeedButton1->SetEnabled(RecorderState.RecPageStart > 3999);
    Form1_rec->SpeedButton2->SetEnabled(true);
  }
}
