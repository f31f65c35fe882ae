#include "io/about_box.h"

#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "platform/os/process.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kBoxWidth = 300;
constexpr int kLine = 22;

TGrSpeedButton* OkButton(TForm* box, int top) {
  ControlMaker make(box);
  TGrSpeedButton* ok = make.Button(box, "GrSpeedButton1", "OK", 0, kBoxWidth / 2 - 40, top, 80, 24);
  ok->OnClick = [box](TObject*) { box->SetModalResult(mrOk); };
  // The only button: Return and Escape press it too.
  box->SetDefaultButton(ok);
  box->SetCancelButton(ok);
  return ok;
}

}  // namespace

AboutWindow::AboutWindow(TComponent* owner, const std::string& caption, const std::string& title,
                         const std::string& version)
    : TForm(owner) {
  SetCaption(caption);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(kBoxWidth);
  ControlMaker make(this);
  ProductName = make.Label(this, "ProductName", title, 16, 12);
  ProductName->Font().Size = 14;
  ProductName->Font().Style = fsBold;
  ProductName->FontChanged();
  Platform = make.Label(this, "Platform", io::kPlatformText, 16, 44);
  Version = make.Label(this, "Version", version, 16, 44 + kLine);
  Maker = make.Label(this, "Maker", io::kMakerText, 16, 44 + 2 * kLine);
  Model = make.Label(this, "Model", io::kModelText, 16, 44 + 3 * kLine);
  next_top_ = 44 + 4 * kLine;
  SetClientHeight(next_top_ + 12);
}

TAboutBox::TAboutBox(TComponent* owner) : AboutWindow(owner, "Oscilloscope", "Oscilloscope", "Version 1.12") {
  ControlMaker make(this);
  Label2 = make.Label(this, "Label2", " ", 16, next_top_);
  Label6 = make.Label(this, "Label6", io::kMakerHost, 16, next_top_ + kLine);
  Label6->Font().Color = clBlue;
  Label6->Font().Style = fsUnderline;
  Label6->FontChanged();
  Label6->OnClick = [this](TObject* s) { Label6Click(s); };
  GrSpeedButton1 = OkButton(this, next_top_ + 2 * kLine + 8);
  GrSpeedButton1->OnClick = [this](TObject* s) { GrSpeedButton1Click(s); };
  SetClientHeight(next_top_ + 2 * kLine + 44);
}

void TAboutBox::GrSpeedButton1Click(TObject* /*Sender*/) { SetModalResult(mrOk); }

void TAboutBox::Label6Click(TObject* /*Sender*/) { os::OpenWebLink(io::kMakerHomePage); }

TAboutBox_rec::TAboutBox_rec(TComponent* owner)
    : AboutWindow(owner, "Transient Recorder", "Transient Recorder", "Version 1.12") {
  GrSpeedButton1 = OkButton(this, next_top_ + 8);
  SetClientHeight(next_top_ + 44);
}

TAboutBox_fgen::TAboutBox_fgen(TComponent* owner)
    : AboutWindow(owner, "Function generator", "Function Generator", "Version  1.12") {}
