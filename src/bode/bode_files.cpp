// The Bode plotter's data files, pictures and clipboard commands.

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "bode/add_text_bode.h"
#include "bode/bode_file.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "engine/scope_state.h"
#include "io/picture_file.h"
#include "io/png_file.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"

namespace {

constexpr const char* kDataFilter = "Text file (*.txt)|*.txt|All files (*.*)|*.*";
// A sweep table is some kilobytes; a file beyond this is refused unread.
constexpr std::uintmax_t kLargestBodeFile = 16u << 20;

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext == ".png";
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

// ---------------------------------------------------------------- data files

void TBode_plot::SaveData1Click(TObject*) {
  SaveDialog1->SetFilter(kDataFilter);
  SaveDialog1->SetDefaultExt("txt");
  SaveDialog1->SetInitialDir(DataFileName.empty() ? ScopeState.DocumentsFolder : FolderOf(DataFileName));
  SaveDialog1->SetFileName(DataFileName);
  SaveDialog1->SetOptions(ofOverwritePrompt | ofHideReadOnly);
  if (SaveDialog1->Execute()) SaveDataFile(SaveDialog1->FileName());
}

void TBode_plot::OpenData1Click(TObject*) {
  OpenDialog1->SetFilter(kDataFilter);
  OpenDialog1->SetInitialDir(DataFileName.empty() ? ScopeState.DocumentsFolder : FolderOf(DataFileName));
  OpenDialog1->SetFileName("");
  OpenDialog1->SetOptions(ofFileMustExist | ofHideReadOnly);
  if (OpenDialog1->Execute()) LoadDataFile(OpenDialog1->FileName());
}

bool TBode_plot::SaveDataFile(const std::string& path) {
  bode::Annotation note;
  const bool withNote = BodeState.BodeNoteShown && form_9bode && form_9bode->Memo1->Lines().Count() > 0;
  if (withNote) {
    note.Lines = form_9bode->Memo1->Lines().Lines();
    note.X = BodeState.BodeNoteX;
    note.Y = BodeState.BodeNoteY;
    note.Transparent = BodeState.BodeNoteTransparent != 0;
  }
  const std::string text = bode::FormatDataFile(Memo1->Lines().Lines(), withNote ? &note : nullptr);
  if (!os::WriteWholeFile(path, text)) {
    MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
    return false;
  }
  DataFileName = LoadedFileName = path;
  draw();
  return true;
}

bool TBode_plot::LoadDataFile(const std::string& path) {
  const os::WholeFile read = os::ReadWholeFile(path, kLargestBodeFile);
  if (!read.Ok()) {
    MessageDlg("Cannot open file \"" + path + "\". " + read.Error + ".", mtError, mbOK, 0);
    return false;
  }
  const bode::ParsedDataFile file = bode::ParseDataFile(read.Bytes);
  if (!file.Ok()) {
    MessageDlg(path + ", line " + std::to_string(file.ErrorLine) + ": " + file.Error, mtError, mbOK, 0);
    return false;
  }
  Memo1->Lines().BeginUpdate();
  Memo1->Clear();
  for (const std::string& line : file.Table) Memo1->Lines().Add(line);
  Memo1->Lines().EndUpdate();
  if (file.Note) {
    BodeState.BodeNoteX = static_cast<std::int16_t>(file.Note->X);
    BodeState.BodeNoteY = static_cast<std::int16_t>(file.Note->Y);
    BodeState.BodeNoteTransparent = file.Note->Transparent ? 1 : 0;
    if (form_9bode) {
      form_9bode->TakeAnnotation(file.Note->Lines);
      form_9bode->CheckBox1->SetChecked(file.Note->Transparent);
    }
  } else if (form_9bode) {
    form_9bode->RemoveAnnotation();
  }
  DataFileName = LoadedFileName = path;
  draw();
  return true;
}

// ---------------------------------------------------------------- pictures

void TBode_plot::SaveImage1Click(TObject*) {
  SavePictureDialog1->SetFilter("PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp");
  SavePictureDialog1->SetDefaultExt("png");
  SavePictureDialog1->SetInitialDir(ScopeState.DocumentsFolder);
  SavePictureDialog1->SetOptions(ofOverwritePrompt | ofHideReadOnly);
  if (SavePictureDialog1->Execute()) SaveImageFile(SavePictureDialog1->FileName());
}

void TBode_plot::OpenImage1Click(TObject*) {
  OpenPictureDialog1->SetFilter("PNG (*.PNG)|*.png|Bitmap (*.BMP)|*.bmp");
  OpenPictureDialog1->SetInitialDir(ScopeState.DocumentsFolder);
  OpenPictureDialog1->SetOptions(ofFileMustExist | ofHideReadOnly);
  if (OpenPictureDialog1->Execute()) LoadImageFile(OpenPictureDialog1->FileName());
}

bool TBode_plot::SaveImageFile(const std::string& path) {
  const QImage& picture = Image1->Picture()->Image();
  const bool ok = EndsWithPng(path) ? io::SavePngFile(path, picture) : io::SaveBmpFile(path, picture);
  if (!ok) MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
  return ok;
}

bool TBode_plot::LoadImageFile(const std::string& path) {
  const io::PictureRead read =
      io::ReadPictureFile(path, EndsWithPng(path) ? io::PictureFormat::Png : io::PictureFormat::Bmp);
  if (!read.Error.empty() || read.Image.isNull()) {
    MessageDlg(read.Error, mtError, mbOK, 0);
    return false;
  }
  TBitmap bitmap;
  bitmap.Image() = read.Image;
  Image1->Canvas()->Draw(0, 0, bitmap);
  HidePictureMarkers();
  LoadedFileName = path;
  SetCaption("Bode Plotter - " + path.substr(path.rfind('/') + 1));
  Image1->Invalidate();
  return true;
}

// ---------------------------------------------------------------- clipboard

void TBode_plot::Copy1Click(TObject*) {
  if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setImage(Image1->Picture()->Image());
}

void TBode_plot::Paste1Click(TObject*) {
  const QClipboard* clipboard = QApplication::clipboard();
  if (!clipboard || !clipboard->mimeData() || !clipboard->mimeData()->hasImage()) return;
  TBitmap bitmap;
  bitmap.Image() = clipboard->image().convertToFormat(QImage::Format_RGB32);
  Image1->Canvas()->Draw(0, 0, bitmap);
  HidePictureMarkers();
  Image1->Invalidate();
}

void TBode_plot::CopyData1Click(TObject*) {
  if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setText(QString::fromStdString(Memo1->Text()));
}

void TBode_plot::Edit1Click(TObject*) {
  const QClipboard* clipboard = QApplication::clipboard();
  Paste1->SetEnabled(clipboard && clipboard->mimeData() && clipboard->mimeData()->hasImage());
}
