// The "File Error" window both data-file readers show: one message and
// "Close", with the reader's open dialog.
#pragma once

#include <string>

#include "platform/ui/vcl.h"

class FileErrorWindow : public TForm {
 public:
  FileErrorWindow(TComponent* owner, const std::string& name, const std::string& filter);

  TLabel* Label1 = nullptr;    // the error text
  TButton* BitBtn1 = nullptr;  // "Close"
  TOpenDialog* OpenDialog2 = nullptr;

  // Shows text modally in a window sized to hold all of it.
  void ShowError(const std::string& text);

  void BitBtn1Click(TObject* Sender);

 private:
  void FitToText();
};
