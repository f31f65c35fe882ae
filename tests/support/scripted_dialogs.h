// Scripted answers for every dialog the program shows, and a record of what
// was shown. Creating a ScriptedDialogs installs it as the answering point;
// destroying it puts the previous one back.
//
// Each kind of dialog has its own queue of answers, used in order. With the
// queue empty: message boxes answer their default button (OK, else Yes ...),
// modal forms answer mrCancel, file, colour and print dialogs are cancelled.
// Print jobs are recorded, not printed.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

class ScriptedDialogs : public DialogAnswerer {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  // ---- scripting
  // The next message box is answered with this button (mrYes, mrNo, mrOk ...).
  void AnswerMessage(int modalResult);
  // The next modal form: the script may act on the form's controls (as the
  // user would) and returns the modal result, or mrNone to take the form's
  // own ModalResult (mrCancel when it has none, as when the user closes it).
  using FormScript = std::function<int(TForm& form)>;
  void AnswerModal(FormScript script);
  void AnswerModal(int modalResult);
  // The next file dialog: the user chooses fileName (and the filter
  // filterIndex, 0 keeping the dialog's).
  void AnswerFile(const std::string& fileName, int filterIndex = 0);
  void CancelFile();
  void AnswerColor(TColor color);
  void CancelColor();
  // The next print or printer-setup dialog: confirmed (with an orientation
  // chosen) or cancelled.
  void AnswerPrintDialog(bool confirm, std::optional<TPrinterOrientation> orientation = std::nullopt);
  // The printer is one with A4 paper at this resolution (96 unless set).
  void SetPrinterResolution(int dotsPerInch) { printer_dpi_ = dotsPerInch; }
  // Answers scripted and not used yet.
  int PendingAnswers() const;

  // ---- records
  struct ShownMessage : MessageRequest {
    int Answer = mrNone;
  };
  struct ShownForm {
    std::string ClassName;  // e.g. "TForm12"
    std::string Name;
    std::string Caption;
    int Result = mrNone;
    bool CloseRefused = false;  // the form's OnCloseQuery/OnClose kept it open
  };
  struct ShownFileDialog : FileDialogRequest {
    bool Chosen = false;
    std::string Answer;  // the name given back by the dialog (before extensions)
  };
  struct ShownColorDialog {
    TColor Initial = 0;
    bool Chosen = false;
    TColor Answer = 0;
  };
  struct ShownPrintDialog : PrintDialogRequest {
    bool Confirmed = false;
  };

  const std::vector<ShownMessage>& Messages() const { return messages_; }
  // How many message boxes showed exactly this text.
  int CountMessages(const std::string& text) const;
  // The last message box with exactly this text, or nullptr.
  const ShownMessage* FindMessage(const std::string& text) const;
  const std::vector<ShownForm>& Forms() const { return forms_; }
  const std::vector<ShownFileDialog>& FileDialogs() const { return file_dialogs_; }
  const std::vector<ShownColorDialog>& ColorDialogs() const { return color_dialogs_; }
  const std::vector<ShownPrintDialog>& PrintDialogs() const { return print_dialogs_; }
  const std::vector<PrintedDocument>& Printed() const { return printed_; }
  // Forgets the records (the scripted answers stay).
  void ClearRecords();

  // ---- DialogAnswerer
  int Message(const MessageRequest& request) override;
  int ModalForm(TForm& form) override;
  bool FileDialog(const FileDialogRequest& request, std::string& fileName, int& filterIndex) override;
  bool ColorDialog(TColor& color) override;
  bool PrintDialog(PrintDialogRequest& request) override;
  bool Print(const PrintedDocument& document) override;
  PrinterPage PageOfPrinter(TPrinterOrientation orientation) override { return A4Page(orientation, printer_dpi_); }

 private:
  struct FileAnswer {
    bool choose;
    std::string name;
    int filterIndex;
  };
  struct PrintAnswer {
    bool confirm;
    std::optional<TPrinterOrientation> orientation;
  };

  DialogAnswerer* previous_;
  std::deque<int> message_answers_;
  std::deque<FormScript> form_answers_;
  std::deque<FileAnswer> file_answers_;
  std::deque<std::optional<TColor>> color_answers_;
  std::deque<PrintAnswer> print_answers_;

  std::vector<ShownMessage> messages_;
  std::vector<ShownForm> forms_;
  std::vector<ShownFileDialog> file_dialogs_;
  std::vector<ShownColorDialog> color_dialogs_;
  std::vector<ShownPrintDialog> print_dialogs_;
  std::vector<PrintedDocument> printed_;
  int printer_dpi_ = 96;
};
