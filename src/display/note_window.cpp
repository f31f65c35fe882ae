#include "display/note_window.h"

#include <QApplication>
#include <QClipboard>

#include "widgets/control_maker.h"

namespace {

bool PlainTextOnClipboard() {
  const QClipboard* clipboard = QApplication::clipboard();
  return clipboard && !clipboard->text().isEmpty();
}

}  // namespace

TNoteWindow::TNoteWindow(TComponent* owner, const std::string& name, std::uint8_t& shown,
                         std::uint8_t& transparent)
    : TForm(owner), shown_(shown), transparent_(transparent) {
  Name = name;
  SetCaption("Add Text");
  SetBorderStyle(bsToolWindow);
  SetClientWidth(320);
  SetClientHeight(196);
  ControlMaker make(this);
  Memo1 = make.Memo(this, "Memo1", 8, 8, 304, 100);
  Label1 = make.Label(this, "Label1", "Right click the screen to change the text position", 8, 112);
  Label1->SetVisible(false);
  CheckBox1 = make.Check(this, "CheckBox1", "Transparent text", 8, 132, 200, [this](TObject* s) { CheckBox1Click(s); });
  Button1 = make.Button(this, "Button1", "Add Text on Screen", 0, 8, 160, 120);
  Button2 = make.Button(this, "Button2", "Remove", 0, 132, 160, 86);
  Button3 = make.Button(this, "Button3", "Close", 0, 222, 160, 86);
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  Button3->OnClick = [this](TObject*) { Close(); };
  Button2->SetEnabled(false);
  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  Edit1 = make.Item(MainMenu1->Items(), "Edit1", "Edit", [this](TObject* s) { Edit1Click(s); });
  Copy1 = make.Item(Edit1, "Copy1", "Copy", [this](TObject*) { Memo1->CopyToClipboard(); });
  Paste1 = make.Item(Edit1, "Paste1", "Paste", [this](TObject* s) { Paste1Click(s); });
  SelectAll1 = make.Item(Edit1, "SelectAll1", "Select All", [this](TObject*) { Memo1->SelectAll(); });
  SetMenu(MainMenu1);
  shown_ = 0;
  transparent_ = 0;
}

void TNoteWindow::Button1Click(TObject*) {
  shown_ = 1;
  Redraw();
  Button2->SetEnabled(true);
  Label1->SetVisible(true);
}

void TNoteWindow::Button2Click(TObject*) {
  RemoveAnnotation();
  Redraw();
}

void TNoteWindow::RemoveAnnotation() {
  shown_ = 0;
  Button2->SetEnabled(false);
  Label1->SetVisible(false);
}

void TNoteWindow::TakeAnnotation(const std::vector<std::string>& lines) {
  Memo1->Lines().BeginUpdate();
  Memo1->Clear();
  for (const std::string& line : lines) Memo1->Lines().Add(line);
  Memo1->Lines().EndUpdate();
  shown_ = 1;
  Button2->SetEnabled(true);
  Label1->SetVisible(true);
}

void TNoteWindow::CheckBox1Click(TObject*) {
  transparent_ = CheckBox1->Checked() ? 1 : 0;
  Redraw();
}

void TNoteWindow::Edit1Click(TObject*) { Paste1->SetEnabled(PlainTextOnClipboard()); }

void TNoteWindow::Paste1Click(TObject*) {
  if (PlainTextOnClipboard()) Memo1->PasteFromClipboard();
}

void TNoteWindow::WriteLines(TCanvas* c, int x, int y, TColor color, TColor background) const {
  const TBrush savedBrush = c->Brush;
  const TPoint savedPos = c->PenPos;
  c->Brush.Style = transparent_ ? bsClear : bsSolid;
  c->Brush.Color = background;
  c->Font.Size = 8;
  c->Font.Color = color;
  for (int i = 0; i < Memo1->Lines().Count(); ++i) c->TextOut(x, y + 13 * i, Memo1->Lines()[i]);
  c->PenPos = savedPos;
  c->Brush = savedBrush;
}
