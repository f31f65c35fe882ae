// The "Persistence Options" dialog: its controls and the values it takes.
#include "engine/persistence_options.h"

#include "display/persistence.h"
#include "display/persistence_state.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/scope_state.h"
#include "engine/scope_window.h"
#include "platform/ui/keys.h"
#include "widgets/control_maker.h"

namespace {

// A running persistence starts again with the new values.
void RestartPersist() {
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->Persistence().RestartPersist();
}

}  // namespace

TOKRightDlg::TOKRightDlg(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  SetCaption("Persistence Options");
  SetBorderStyle(bsDialog);
  SetBounds(300, 200, 560, 250);
  ControlMaker make(this);

  GroupBox1 = make.Group(this, "GroupBox1", "Color Graded Persistence", 8, 8, 300, 196);
  make.Label(GroupBox1, "Label1", "Number of acquisitions:", 12, 26);
  Edit1 = make.Edit(GroupBox1, "Edit1", "0", 170, 22, 110);
  make.Label(GroupBox1, "Label2", "Data population for:", 12, 56);
  make.Label(GroupBox1, "Label3", "Low color", 24, 80);
  Edit2 = make.Edit(GroupBox1, "Edit2", "1", 110, 76, 60);
  make.Label(GroupBox1, "Label4", "High color", 24, 108);
  Edit4 = make.Edit(GroupBox1, "Edit4", "32", 110, 104, 60);
  make.Label(GroupBox1, "Label5", "Persistence duration (acquisitions)", 12, 138);
  RadioButton4 = make.Radio(GroupBox1, "RadioButton4", "32", 12, 160, 46);
  RadioButton5 = make.Radio(GroupBox1, "RadioButton5", "64", 62, 160, 46);
  RadioButton6 = make.Radio(GroupBox1, "RadioButton6", "128", 112, 160, 52);
  RadioButton7 = make.Radio(GroupBox1, "RadioButton7", "256", 168, 160, 52);
  RadioButton8 = make.Radio(GroupBox1, "RadioButton8", "Infinite", 224, 160, 70);

  GroupBox2 = make.Group(this, "GroupBox2", "Variable Persistence", 316, 8, 230, 196);
  make.Label(GroupBox2, "Label6", "Persistence duration (acquisitions)", 12, 26);
  RadioButton1 = make.Radio(GroupBox2, "RadioButton1", "8", 12, 50, 60);
  RadioButton2 = make.Radio(GroupBox2, "RadioButton2", "16", 12, 74, 60);
  RadioButton3 = make.Radio(GroupBox2, "RadioButton3", "32", 12, 98, 60);

  OKBtn = make.Add<TButton>(this, "OKBtn", 466, 212, 80, 25, "OK");
  OKBtn->SetModalResult(mrOk);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  SetDefaultButton(OKBtn);

  using Reader = void (TOKRightDlg::*)(TObject*);
  const std::pair<TEdit*, Reader> edits[] = {{Edit1, &TOKRightDlg::Read_acquisitions},
                                             {Edit2, &TOKRightDlg::Read_color_increment},
                                             {Edit4, &TOKRightDlg::Read_color_increment2}};
  for (const auto& [edit, reader] : edits)
    edit->OnKeyDown = [this, reader = reader](TObject* s, unsigned short& key, TShiftState) {
      if (key != VK_RETURN) return;
      key = 0;  // taken here, not by the OK button
      (this->*reader)(s);
    };
  for (const Duration& d : GradedDurations())
    d.Button->OnClick = [this, mask = d.Mask](TObject*) {
      PersistenceState.GradedPersistenceMask = mask;
      RestartPersist();
    };
  for (const Duration& d : VariableDurations())
    d.Button->OnClick = [this, mask = d.Mask](TObject*) {
      PersistenceState.VariablePersistenceMask = mask;
      RestartPersist();
    };

  CheckGradedDuration(PersistenceState.GradedPersistenceMask);
  CheckVariableDuration(PersistenceState.VariablePersistenceMask);
  EnableForMode(PersistenceState.PersistenceMode);
}

std::array<TOKRightDlg::Duration, 5> TOKRightDlg::GradedDurations() const {
  return {{{RadioButton4, 31}, {RadioButton5, 63}, {RadioButton6, 127}, {RadioButton7, 255}, {RadioButton8, 0}}};
}

std::array<TOKRightDlg::Duration, 3> TOKRightDlg::VariableDurations() const {
  return {{{RadioButton1, 7}, {RadioButton2, 15}, {RadioButton3, 31}}};
}

void TOKRightDlg::ReadAcquisitionsEdit() {
  const display::PersistEditValue v = display::ReadAcquisitionLimit(Edit1->Text());
  Edit1->SetText(v.Text);
  ScopeState.AcquisitionLimit = ScopeState.AcquisitionCountdown = static_cast<std::uint32_t>(v.Value);
}

void TOKRightDlg::ReadLowColorEdit() {
  const display::PersistEditValue v = display::ReadLowColor(Edit2->Text(), PersistenceState.HighColorCount);
  Edit2->SetText(v.Text);
  PersistenceState.LowColorCount = static_cast<std::int32_t>(v.Value);
}

void TOKRightDlg::ReadHighColorEdit() {
  const display::PersistEditValue v = display::ReadHighColor(Edit4->Text(), PersistenceState.LowColorCount);
  Edit4->SetText(v.Text);
  PersistenceState.HighColorCount = static_cast<std::int32_t>(v.Value);
}

void TOKRightDlg::Read_acquisitions(TObject*) { ReadAcquisitionsEdit(); }

void TOKRightDlg::Read_color_increment(TObject*) {
  ReadLowColorEdit();
  RestartPersist();
}

void TOKRightDlg::Read_color_increment2(TObject*) {
  ReadHighColorEdit();
  RestartPersist();
}

void TOKRightDlg::OKBtnClick(TObject*) {
  ReadAcquisitionsEdit();
  ReadLowColorEdit();
  ReadHighColorEdit();
  RestartPersist();
}

void TOKRightDlg::EnableForMode(int mode) {
  for (TControl* c : {static_cast<TControl*>(Edit1), static_cast<TControl*>(Edit2), static_cast<TControl*>(Edit4)})
    c->SetEnabled(mode == 2);
  // "Infinite" stays as it is: the modes never switch it.
  for (const Duration& d : GradedDurations())
    if (d.Button != RadioButton8) d.Button->SetEnabled(mode == 2);
  for (const Duration& d : VariableDurations()) d.Button->SetEnabled(mode == 3);
}

void TOKRightDlg::CheckGradedDuration(std::int32_t mask) {
  for (const Duration& d : GradedDurations())
    if (d.Mask == mask) d.Button->SetChecked(true);
}

void TOKRightDlg::CheckVariableDuration(std::int32_t mask) {
  for (const Duration& d : VariableDurations())
    if (d.Mask == mask) d.Button->SetChecked(true);
}
