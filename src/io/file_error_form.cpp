#include "io/file_error_form.h"

#include "widgets/control_maker.h"

TFileErrorForm::TFileErrorForm(TComponent* owner, const std::string& name, const std::string& openFilter)
    : TForm(owner) {
  Name = name;
  SetCaption("File Error");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(360);
  SetClientHeight(110);
  ControlMaker make(this);
  Label1 = make.Add<TLabel>(this, "Label1", 16, 20, 330, 40);
  Label1->SetWordWrap(true);
  BitBtn1 = make.Add<TButton>(this, "BitBtn1", 140, 70, 80, 28, "Close");
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Name = "OpenDialog2";
  OpenDialog2->SetFilter(openFilter);
  OpenDialog2->SetDefaultExt("txt");
}

void TFileErrorForm::BitBtn1Click(TObject*) { Close(); }
