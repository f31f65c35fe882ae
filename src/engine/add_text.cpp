// The scope's "Add Text" window (TForm_9) and the drawing of the annotation
// and of the parameter list on the scope picture.
#include "engine/add_text.h"

#include "display/annotation.h"
#include "display/display_state.h"
#include "engine/measurement_window.h"
#include "engine/scope_window.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"

namespace {

constexpr int kParameterListX = 470;  // x of the parameter list's labels on the scope picture
constexpr int kBigParameterListX = 775;  // the same on the Big Screen

TMenuItem* MakeItem(TForm_9* form, const char* name, const char* caption, TNotifyEvent handler) {
  auto* item = new TMenuItem(form);
  item->Name = name;
  item->SetCaption(caption);
  item->OnClick = std::move(handler);
  return item;
}

bool BothChannelsReported() { return Form_99 && Form_99->CH1M->Checked() && Form_99->CH2M->Checked(); }

// Wipes the scope picture and draws it again, annotation and list included.
void Redraw() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope) return;
  scope->States().ScopeState.ClearPending = 1;
  scope->putsataanko();
  scope->piirrot();
}

}  // namespace

TForm_9::TForm_9(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  Name = "Form_9";
  SetCaption("Add Text");
  SetFormStyle(fsStayOnTop);
  SetClientWidth(336);
  SetClientHeight(228);

  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  Memo1->SetParent(this);
  Memo1->SetBounds(8, 8, 320, 120);
  Memo1->SetWordWrap(false);
  Memo1->SetScrollBars(ssBoth);

  GrSpeedButton3 = new TGrSpeedButton(this);
  GrSpeedButton3->Name = "GrSpeedButton3";
  GrSpeedButton3->SetParent(this);
  GrSpeedButton3->SetCaption("Add Text on Screen");
  GrSpeedButton3->SetBounds(8, 136, 150, 21);
  GrSpeedButton3->OnClick = [this](TObject* s) { Button1Click(s); };

  Button2 = new TButton(this);
  Button2->Name = "Button2";
  Button2->SetParent(this);
  Button2->SetCaption("Remove");
  Button2->SetBounds(166, 136, 75, 23);
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };

  GrSpeedButton2 = new TGrSpeedButton(this);
  GrSpeedButton2->Name = "GrSpeedButton2";
  GrSpeedButton2->SetParent(this);
  GrSpeedButton2->SetCaption("Close");
  GrSpeedButton2->SetBounds(249, 136, 79, 21);
  GrSpeedButton2->OnClick = [this](TObject* s) { Button3Click(s); };

  Parameters = new TButton(this);
  Parameters->Name = "Parameters";
  Parameters->SetParent(this);
  Parameters->SetCaption("Get Waveform Parameters");
  Parameters->SetBounds(8, 166, 180, 23);
  Parameters->OnClick = [this](TObject* s) { ParametersClick(s); };
  Parameters->SetEnabled(false);  // while the measurement window is hidden

  CheckBox1 = new TCheckBox(this);
  CheckBox1->Name = "CheckBox1";
  CheckBox1->SetParent(this);
  CheckBox1->SetCaption("Transparent text");
  CheckBox1->SetBounds(200, 168, 130, 19);
  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };

  HintLabel = new TLabel(this);
  HintLabel->Name = "HintLabel";
  HintLabel->SetParent(this);
  HintLabel->SetCaption("Right click the screen to change the text position");
  HintLabel->SetBounds(8, 200, 320, 16);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  Edit1 = MakeItem(this, "Edit1", "&Edit", [this](TObject* s) { Edit1Click(s); });
  Copy1 = MakeItem(this, "Copy1", "&Copy", [this](TObject* s) { Copy1Click(s); });
  Paste1 = MakeItem(this, "Paste1", "&Paste", [this](TObject* s) { Paste1Click(s); });
  SelectAll1 = MakeItem(this, "SelectAll1", "Select &All", [this](TObject* s) { SelectAll1Click(s); });
  MainMenu1->Items()->Add(Edit1);
  Edit1->Add(Copy1);
  Edit1->Add(Paste1);
  Edit1->Add(SelectAll1);
  SetMenu(MainMenu1);

  SetVisible(false);
  FormCreate(this);
}

void TForm_9::FormCreate(TObject* /*Sender*/) {
  Memo1->Clear();
  ScopeState.ScopeNoteShown = 0;
  ScopeState.ParametersOnScreen = 0;
  DisplayState.ScopeNoteTransparent = 0;
  HintLabel->SetVisible(false);
  Button2->SetEnabled(false);
}

void TForm_9::Button1Click(TObject* /*Sender*/) {
  ScopeState.ScopeNoteShown = 1;
  Redraw();
  Button2->SetEnabled(true);
  HintLabel->SetVisible(true);
}

void TForm_9::Button2Click(TObject* /*Sender*/) {
  ScopeState.ScopeNoteShown = 0;
  Redraw();
  Button2->SetEnabled(false);
  HintLabel->SetVisible(false);
}

void TForm_9::Button3Click(TObject* /*Sender*/) { Close(); }

void TForm_9::CheckBox1Click(TObject* /*Sender*/) {
  DisplayState.ScopeNoteTransparent = CheckBox1->Checked() ? 1 : 0;
  Redraw();
}

void TForm_9::ParametersClick(TObject* Sender) {
  if (Form_99) {
    Form_99->CopyClick(Sender);
    Memo1->Lines().Assign(Form_99->Memo1->Lines());
  }
  Button1Click(Sender);
}

void TForm_9::Edit1Click(TObject* /*Sender*/) { Paste1->SetEnabled(Memo1->CanPaste()); }
void TForm_9::Copy1Click(TObject* /*Sender*/) { Memo1->CopyToClipboard(); }
void TForm_9::Paste1Click(TObject* /*Sender*/) { Memo1->PasteFromClipboard(); }
void TForm_9::SelectAll1Click(TObject* /*Sender*/) { Memo1->SelectAll(); }

void TForm_9::note() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!ScopeState.ScopeNoteShown || !scope) return;
  const auto texts = display::AnnotationLayout(Memo1->Lines().Lines(), DisplayState.ScopeNoteX, DisplayState.ScopeNoteY,
                                               BothChannelsReported());
  display::DrawPlacedTexts(scope->View(), texts, DisplayState.ScopeNoteTransparent != 0, engine::CurrentColorTable(*this));
}

void TForm_9::NotesOnBigScreen(display::ScopeView& big) {
  if (ScopeState.ScopeNoteShown) {
    // The lines keep their place across the picture and go twice as far
    // down (the first field a little right of the main picture's).
    const auto texts = display::AnnotationLayout(Memo1->Lines().Lines(), DisplayState.ScopeNoteX,
                                                 2 * DisplayState.ScopeNoteY - 10, BothChannelsReported(), 5);
    display::DrawPlacedTexts(big, texts, DisplayState.ScopeNoteTransparent != 0, engine::CurrentColorTable(*this));
  }
  if (ScopeState.ParametersOnScreen && Form_99) {
    Form_99->CopyClick(this);
    const auto texts = display::ParameterListLayout(Form_99->Memo1->Lines().Lines(), kBigParameterListX,
                                                    Form_99->CH1M->Checked(), Form_99->CH2M->Checked());
    display::DrawPlacedTexts(big, texts, false, engine::CurrentColorTable(*this));
  }
}

void TForm_9::note_1() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!ScopeState.ParametersOnScreen || !scope || !Form_99) return;
  Form_99->CopyClick(this);
  const auto texts = display::ParameterListLayout(Form_99->Memo1->Lines().Lines(), kParameterListX,
                                                  Form_99->CH1M->Checked(), Form_99->CH2M->Checked());
  display::DrawPlacedTexts(scope->View(), texts, false, engine::CurrentColorTable(*this));
}
