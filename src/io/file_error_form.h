// The "File Error" window of a data-file reader: the reader's one error text
// and a "Close" button, with the reader's open dialog. The scope and the
// recorder each have their own reader on this window.
#pragma once

#include <string>

#include "platform/ui/vcl.h"

class TFileErrorForm : public TForm {
 public:
  TFileErrorForm(TComponent* owner, const std::string& name, const std::string& openFilter);

  TLabel* Label1 = nullptr;    // the error text
  TButton* BitBtn1 = nullptr;  // "Close"
  TOpenDialog* OpenDialog2 = nullptr;

  void BitBtn1Click(TObject* Sender);
};
