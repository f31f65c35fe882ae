// The answering point: every message box, modal form and system dialog of
// the program goes through one DialogAnswerer. The program uses the Qt one
// (real dialogs, a nested event loop for modal forms); a test installs its
// own with SetDialogAnswerer to answer from a script and to record what was
// shown.
//
// Also here: the dialog components (TOpenDialog, TSaveDialog, TColorDialog,
// TPrintDialog, TPrinterSetupDialog) and the message-box constants.
#pragma once

#include <string>
#include <vector>

#include <QImage>

#include "platform/ui/control.h"
#include "platform/ui/forms.h"

// ---------------------------------------------------------------- message boxes

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message box, as a bit set.
enum TMsgDlgBtn : unsigned {
  mbYes = 1,
  mbNo = 2,
  mbOK = 4,
  mbCancel = 8,
  mbAbort = 16,
  mbRetry = 32,
  mbIgnore = 64,
  mbAll = 128,
  mbNoToAll = 256,
  mbYesToAll = 512,
  mbHelp = 1024
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// Flags of Application->MessageBox.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_APPLMODAL = 0x0000;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr unsigned MB_TASKMODAL = 0x2000;
constexpr unsigned MB_SETFOREGROUND = 0x10000;
constexpr unsigned MB_TOPMOST = 0x40000;

// Answers of Application->MessageBox (the same numbers as the mr values).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Which call showed a message.
enum class MessageSource { MessageBox, MessageDlg, ShowMessage };

struct MessageRequest {
  std::string Text;  // exactly as the program gave it ("\r" is a line break)
  std::string Caption;
  TMsgDlgType Kind = mtCustom;
  TMsgDlgButtons Buttons = mbOK;
  int DefaultResult = mrOk;  // the answer of the default button
  MessageSource Source = MessageSource::MessageDlg;
  int X = -1, Y = -1;  // screen place asked for, -1: the platform's choice
};

// The buttons in the order a box shows them.
std::vector<TMsgDlgBtn> ButtonsInOrder(TMsgDlgButtons buttons);
// The modal result of one button (mbOK -> mrOk ...).
int ResultOfButton(TMsgDlgBtn b);

// ---------------------------------------------------------------- system dialogs

enum TOpenOption : unsigned {
  ofReadOnly = 0x1,
  ofOverwritePrompt = 0x2,
  ofHideReadOnly = 0x4,
  ofNoChangeDir = 0x8,
  ofPathMustExist = 0x10,
  ofFileMustExist = 0x20,
  // Set by Execute when the chosen name's extension differs from DefaultExt.
  ofExtensionDifferent = 0x40,
};
using TOpenOptions = unsigned;

struct FileDialogRequest {
  bool Save = false;
  std::string DialogName;  // the component's Name
  std::string Title, Filter, InitialDir, FileName, DefaultExt;
  // The folder the dialog opens in: InitialDir when that exists, else the
  // user's home folder; empty when the file name's own folder is meant.
  std::string StartFolder;
  int FilterIndex = 1;  // 1-based, as in the filter text
  TOpenOptions Options = 0;
};

enum TPrinterOrientation { poPortrait, poLandscape };

struct PrintDialogRequest {
  bool Setup = false;  // printer setup rather than print
  TPrinterOrientation Orientation = poPortrait;
};

// The sheet a printer draws on: its printable area in pixels at the
// resolution the pages are drawn at.
struct PrinterPage {
  int Width = 0;
  int Height = 0;
  int DotsPerInch = 0;
  bool operator==(const PrinterPage&) const = default;
};

// An A4 sheet, all of it printable, at that resolution.
PrinterPage A4Page(TPrinterOrientation orientation, int dotsPerInch);

// One finished print job: its pages as pictures on white paper, each of the
// page's size at its resolution.
struct PrintedDocument {
  std::string Title;
  TPrinterOrientation Orientation = poPortrait;
  int DotsPerInch = 96;
  std::vector<QImage> Pages;
};

class DialogAnswerer {
 public:
  virtual ~DialogAnswerer() = default;
  // Returns the modal result of the pressed button (mrOk, mrYes ...).
  virtual int Message(const MessageRequest& request) = 0;
  // Runs the form modally and returns its modal result.
  virtual int ModalForm(TForm& form) = 0;
  // True when the user chose a file; fileName and filterIndex are then the choice.
  virtual bool FileDialog(const FileDialogRequest& request, std::string& fileName, int& filterIndex) = 0;
  // True when the user chose a colour (color is then the choice).
  virtual bool ColorDialog(TColor& color) = 0;
  // True when the user confirmed; the orientation may have changed.
  virtual bool PrintDialog(PrintDialogRequest& request) = 0;
  // Sends a finished document to the printer; false when it could not.
  virtual bool Print(const PrintedDocument& document) = 0;
  // The sheet of the printer in force, in that orientation (an A4 sheet at
  // 96 dots per inch where there is no printer to ask).
  virtual PrinterPage PageOfPrinter(TPrinterOrientation orientation) { return A4Page(orientation, 96); }
};

// The answerer in force (the Qt one unless another was installed).
DialogAnswerer& CurrentDialogAnswerer();
// Installs an answerer (nullptr: the Qt one again) and returns the previous one
// (nullptr when that was the Qt one).
DialogAnswerer* SetDialogAnswerer(DialogAnswerer* answerer);

// Nobody is there to answer, as when the program ends on a signal: from then
// on a message goes to standard error instead of a box and is answered as a
// box closed without a button (Cancel, else No, else its default); modal
// forms and the file, colour and print dialogs are cancelled unseen. This
// holds over any installed answerer.
void SetUnattended(bool on);
bool Unattended();
// One line on standard error: "darvik48: " and the text, the line breaks of
// a box text made spaces.
void ReportOnStandardError(const std::string& text);

// Converts a "Text|*.ext;*.x|..." filter to Qt's "Text (*.ext *.x)" entries.
std::vector<std::string> QtNameFilters(const std::string& filter);

// ---------------------------------------------------------------- components

// The open and save dialogs. Execute shows the dialog and returns true when
// the user chose a file; a chosen name without extension gets the selected
// filter's extension, or DefaultExt, and ofExtensionDifferent tells whether
// the final extension differs from DefaultExt. The current folder is not changed.
class TFileDialog : public TComponent {
 public:
  bool Execute();

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& s) { title_ = s; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& s) { filter_ = s; }
  int FilterIndex() const { return filter_index_; }
  void SetFilterIndex(int i) { filter_index_ = i; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& s) { file_name_ = s; }
  const std::string& InitialDir() const { return initial_dir_; }
  void SetInitialDir(const std::string& s) { initial_dir_ = s; }
  // Given with or without the dot ("png", ".png" and "*.png" alike).
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const std::string& s) { default_ext_ = s; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions o) { options_ = o; }

 protected:
  TFileDialog(TComponent* owner, bool save);

 private:
  bool save_;
  std::string title_, filter_, file_name_, initial_dir_, default_ext_;
  int filter_index_ = 1;
  TOpenOptions options_ = 0;
};

class TOpenDialog : public TFileDialog {
 public:
  explicit TOpenDialog(TComponent* owner) : TFileDialog(owner, false) {}
};

class TOpenPictureDialog : public TOpenDialog {
 public:
  explicit TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner) {}
};

class TSaveDialog : public TFileDialog {
 public:
  explicit TSaveDialog(TComponent* owner) : TFileDialog(owner, true) {}
};

class TColorDialog : public TComponent {
 public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
  // Shows the dialog preset to Color; true when the user chose one.
  bool Execute();
  TColor Color() const { return color_; }
  void SetColor(TColor c) { color_ = c; }

 private:
  TColor color_ = clBlack;
};

// Print and printer-setup dialogs act on the global Printer().
class TPrintDialog : public TComponent {
 public:
  explicit TPrintDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
};

class TPrinterSetupDialog : public TComponent {
 public:
  explicit TPrinterSetupDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
};
