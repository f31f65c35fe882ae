#include "recorder/add_text_rec.h"

#include <QApplication>
#include <QClipboard>

#include "display/display_state.h"
#include "engine/scope_state.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

Tform_9rec::Tform_9rec(TComponent* owner) : TForm(owner) {
  Name = "Form_9rec";
  SetCaption("Add Text");
  SetBorderStyle(bsToolWindow);
  SetClientWidth(300);
  SetClientHeight(190);

  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  Memo1->SetParent(this);
  Memo1->SetBounds(8, 8, 284, 100);
  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetParent(this);
  Label1->SetBounds(8, 112, 284, 16);
  Label1->SetCaption("Right click the screen to change the text position");
  Label1->SetVisible(false);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->Name = "CheckBox1";
  CheckBox1->SetParent(this);
  CheckBox1->SetBounds(8, 130, 200, 20);
  CheckBox1->SetCaption("Transparent text");
  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };
  auto button = [this](const char* name, const char* caption, int left, TNotifyEvent handler) {
    auto* b = new TButton(this);
    b->Name = name;
    b->SetParent(this);
    b->SetBounds(left, 156, 92, 26);
    b->SetCaption(caption);
    b->OnClick = std::move(handler);
    return b;
  };
  Button1 = button("Button1", "Add Text on Screen", 8, [this](TObject* s) { Button1Click(s); });
  Button2 = button("Button2", "Remove", 104, [this](TObject* s) { Button2Click(s); });
  Button3 = button("Button3", "Close", 200, [this](TObject* s) { Button3Click(s); });

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  auto item = [this](TMenuItem* parent, const char* name, const char* caption, TNotifyEvent handler) {
    auto* m = new TMenuItem(this);
    m->Name = name;
    m->SetCaption(caption);
    m->OnClick = std::move(handler);
    parent->Add(m);
    return m;
  };
  Edit1 = item(MainMenu1->Items(), "Edit1", "Edit", [this](TObject* s) { Edit1Click(s); });
  Copy1 = item(Edit1, "Copy1", "Copy", [this](TObject* s) { Copy1Click(s); });
  Paste1 = item(Edit1, "Paste1", "Paste", [this](TObject* s) { Paste1Click(s); });
  SelectAll1 = item(Edit1, "SelectAll1", "Select All", [this](TObject* s) { SelectAll1Click(s); });
  SetMenu(MainMenu1);

  FormCreate(this);
}

void Tform_9rec::FormCreate(TObject*) {
  Memo1->Clear();
  recorder::RecNoteShown = 0;
  recorder::RecNoteTransparent = 0;
  Button2->SetEnabled(false);
}

void Tform_9rec::Redraw() {
  if (!Form1_rec) return;
  Form1_rec->RecClearPending = 1;
  Form1_rec->putsataanko();
  Form1_rec->piirrot();
}

void Tform_9rec::Button1Click(TObject*) {
  recorder::RecNoteShown = 1;
  Redraw();
  Button2->SetEnabled(true);
  Label1->SetVisible(true);
}

void Tform_9rec::Button2Click(TObject*) { RemoveAnnotation(); }

void Tform_9rec::RemoveAnnotation() {
  recorder::RecNoteShown = 0;
  Redraw();
  Button2->SetEnabled(false);
  Label1->SetVisible(false);
}

void Tform_9rec::Button3Click(TObject*) { Close(); }

void Tform_9rec::CheckBox1Click(TObject*) {
  recorder::RecNoteTransparent = CheckBox1->Checked() ? 1 : 0;
  Redraw();
}

void Tform_9rec::Copy1Click(TObject*) { Memo1->CopyToClipboard(); }

void Tform_9rec::Paste1Click(TObject*) {
  const QClipboard* clipboard = QApplication::clipboard();
  if (clipboard && !clipboard->text().isEmpty()) Memo1->PasteFromClipboard();
}

void Tform_9rec::SelectAll1Click(TObject*) { Memo1->SelectAll(); }

void Tform_9rec::Edit1Click(TObject*) {
  const QClipboard* clipboard = QApplication::clipboard();
  Paste1->SetEnabled(clipboard && !clipboard->text().isEmpty());
}

void Tform_9rec::TakeAnnotation(const std::vector<std::string>& lines) {
  Memo1->Lines().BeginUpdate();
  Memo1->Clear();
  for (const std::string& line : lines) Memo1->Lines().Add(line);
  Memo1->Lines().EndUpdate();
  recorder::RecNoteShown = 1;
  if (Form1_rec) Form1_rec->RecClearPending = 1;
  Button2->SetEnabled(true);
}

void Tform_9rec::note() {
  using namespace recorder;
  if (!RecNoteShown || !Form1_rec) return;
  TCanvas* c = Form1_rec->Image1->Canvas();
  const TBrush saved = c->Brush;
  c->Brush.Style = RecNoteTransparent ? bsClear : bsSolid;
  c->Brush.Color = recorder::RecBackgroundColor;
  c->Font.Color = display::TimeMarkerColor;
  c->Font.Size = 8;
  const TPoint pos = c->PenPos;
  for (int i = 0; i < Memo1->Lines().Count(); ++i) c->TextOut(RecNoteX, RecNoteY + 13 * i, Memo1->Lines()[i]);
  c->PenPos = pos;
  c->Brush = saved;
  Form1_rec->Image1->Invalidate();
}
