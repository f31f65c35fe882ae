#include "io/file_error_window.h"

FileErrorWindow::FileErrorWindow(TComponent* owner, const std::string& name, const std::string& filter)
    : TForm(owner) {
  Name = name;
  SetCaption("File Error");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(360);
  SetClientHeight(110);
  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetParent(this);
  Label1->SetBounds(16, 20, 330, 40);
  Label1->SetWordWrap(true);
  BitBtn1 = new TButton(this);
  BitBtn1->Name = "BitBtn1";
  BitBtn1->SetParent(this);
  BitBtn1->SetCaption("Close");
  BitBtn1->SetBounds(140, 70, 80, 28);
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Name = "OpenDialog2";
  OpenDialog2->SetFilter(filter);
  OpenDialog2->SetDefaultExt("txt");
}

void FileErrorWindow::BitBtn1Click(TObject*) { Close(); }
