#include "generator/comm_settings.h"

#include <string>

#include "generator/com_port.h"

namespace {

template <class T>
T* Place(TCommFrm* form, TWinControl* parent, const char* name, const std::string& caption,
         int left, int top, int width, int height, T* made = nullptr) {
  auto* c = made ? made : new T(form);
  c->Name = name;
  c->SetParent(parent);
  if (!caption.empty()) c->SetCaption(caption);
  c->SetBounds(left, top, width, height);
  return c;
}

TComboBox* AddList(TCommFrm* form, TWinControl* parent, const char* name, const char* label,
                   int top, std::initializer_list<const char*> items) {
  Place<TLabel>(form, parent, "", label, 12, top + 3, 80, 18);
  auto* box = Place<TComboBox>(form, parent, name, "", 100, top, 110, 22, new TComboBox(form, csDropDownList));
  for (const char* item : items) box->Items().Add(item);
  return box;
}

CommRadioGroup AddRadioGroup(TCommFrm* form, TWinControl* parent, const char* name,
                             const char* caption, int left, int top,
                             std::initializer_list<const char*> items) {
  CommRadioGroup g;
  const int height = 26 + 22 * static_cast<int>(items.size());
  g.Box = Place<TGroupBox>(form, parent, name, caption, left, top, 155, height);
  int y = 20;
  for (const char* item : items) {
    g.Items.push_back(Place<TRadioButton>(form, g.Box, "", item, 10, y, 150, 20));
    y += 22;
  }
  return g;
}

}  // namespace

int CommRadioGroup::ItemIndex() const {
  for (std::size_t i = 0; i < Items.size(); ++i)
    if (Items[i]->Checked()) return static_cast<int>(i);
  return -1;
}

void CommRadioGroup::SetItemIndex(int i) {
  for (std::size_t k = 0; k < Items.size(); ++k) Items[k]->SetChecked(static_cast<int>(k) == i);
}

TCommFrm::TCommFrm(TComponent* owner) : TForm(owner) {
  Name = "CommFrm";
  SetCaption("Communication Settings");
  SetClientWidth(600);
  SetClientHeight(330);

  GroupBox1 = Place<TGroupBox>(this, this, "GroupBox1", "Port Settings", 8, 8, 225, 270);
  ComboBox1 = AddList(this, GroupBox1, "ComboBox1", "Connector", 22,
                      {"COM 1", "COM 2", "COM 3", "COM 4"});
  Place<TLabel>(this, GroupBox1, "", "Device", 12, 57, 80, 18);
  Edit1 = Place<TEdit>(this, GroupBox1, "Edit1", "", 100, 54, 110, 22);
  ComboBox2 = AddList(this, GroupBox1, "ComboBox2", "Baud Rate", 86,
                      {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                       "38400", "56000", "57600", "115200"});
  ComboBox3 = AddList(this, GroupBox1, "ComboBox3", "Stop Bits", 118, {"1", "2"});
  ComboBox4 = AddList(this, GroupBox1, "ComboBox4", "Data Bits", 150, {"7", "8"});
  ComboBox5 = AddList(this, GroupBox1, "ComboBox5", "Parity", 182,
                      {"None", "Odd", "Even", "Mark", "Space"});

  GroupBox2 = Place<TGroupBox>(this, this, "GroupBox2", "Flow Control", 241, 8, 350, 270);
  CheckBox1 = Place<TCheckBox>(this, GroupBox2, "CheckBox1", "Cts output flow control", 10, 20, 200, 20);
  CheckBox2 = Place<TCheckBox>(this, GroupBox2, "CheckBox2", "Dsr output flow control", 10, 42, 200, 20);
  CheckBox3 = Place<TCheckBox>(this, GroupBox2, "CheckBox3", "Xon/Xoff output flow control", 10, 64, 200, 20);
  CheckBox4 = Place<TCheckBox>(this, GroupBox2, "CheckBox4", "Xon/Xoff input flow control", 10, 86, 200, 20);
  RadioGroup1 = AddRadioGroup(this, GroupBox2, "RadioGroup1", "Rts input flow control", 10, 112,
                              {"Disable", "Enable", "Handshake", "Toggle"});
  RadioGroup2 = AddRadioGroup(this, GroupBox2, "RadioGroup2", "Dtr input flow control", 186, 112,
                              {"Disable", "Enable", "Handshake"});
  Button1 = Place<TButton>(this, GroupBox2, "Button1", "Hardware (Rts/Cts)", 216, 18, 125, 22);
  Button2 = Place<TButton>(this, GroupBox2, "Button2", "Hardware (Dtr/Dsr)", 216, 44, 125, 22);
  Button3 = Place<TButton>(this, GroupBox2, "Button3", "Software (Xon/Xoff)", 216, 70, 125, 22);
  Button4 = Place<TButton>(this, GroupBox2, "Button4", "Clear all", 186, 216, 155, 24);

  Button5 = Place<TButton>(this, this, "Button5", "OK", 416, 292, 80, 26);
  Button5->SetModalResult(mrOk);
  Button6 = Place<TButton>(this, this, "Button6", "Cancel", 508, 292, 80, 26);
  Button6->SetModalResult(mrCancel);
  SetDefaultButton(Button5);
  SetCancelButton(Button6);

  ComboBox1->OnChange = [this](TObject*) {
    if (ComboBox1->ItemIndex() >= 0)
      Edit1->SetText(generator::ComPortDevicePath(static_cast<TPortType>(ComboBox1->ItemIndex())));
  };
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  Button3->OnClick = [this](TObject* s) { Button3Click(s); };
  Button4->OnClick = [this](TObject* s) { Button4Click(s); };
}

void TCommFrm::Button1Click(TObject*) {
  RadioGroup1.SetItemIndex(rtsHandshake);
  CheckBox1->SetChecked(true);
}

void TCommFrm::Button2Click(TObject*) {
  // DTR on (not handshake) with DSR output flow.
  RadioGroup2.SetItemIndex(dtrEnable);
  CheckBox2->SetChecked(true);
}

void TCommFrm::Button3Click(TObject*) {
  CheckBox3->SetChecked(true);
  CheckBox4->SetChecked(true);
}

void TCommFrm::Button4Click(TObject*) {
  for (TCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4}) box->SetChecked(false);
  RadioGroup1.SetItemIndex(rtsDisable);
  RadioGroup2.SetItemIndex(dtrDisable);
}

// ---- the component's side -------------------------------------------------

void TComPort::ShowSetupDialog() {
  TCommFrm dialog(nullptr);
  dialog.ComboBox1->SetItemIndex(port_ <= COM4 ? static_cast<int>(port_) : -1);
  dialog.Edit1->SetText(generator::ComPortDevicePath(port_));
  dialog.ComboBox2->SetItemIndex(baudRate_);
  dialog.ComboBox3->SetItemIndex(stopBits_);
  dialog.ComboBox4->SetItemIndex(dataBits_);
  dialog.ComboBox5->SetItemIndex(parity_->Bits());
  dialog.CheckBox1->SetChecked(flowControl_->OutCtsFlow());
  dialog.CheckBox2->SetChecked(flowControl_->OutDsrFlow());
  dialog.CheckBox3->SetChecked(flowControl_->XonXoffOut());
  dialog.CheckBox4->SetChecked(flowControl_->XonXoffIn());
  dialog.RadioGroup1.SetItemIndex(flowControl_->ControlRts());
  dialog.RadioGroup2.SetItemIndex(flowControl_->ControlDtr());
  if (dialog.ShowModal() != mrOk) return;

  const TPortType chosen =
      dialog.ComboBox1->ItemIndex() >= 0 ? static_cast<TPortType>(dialog.ComboBox1->ItemIndex()) : port_;
  const std::string path = dialog.Edit1->Text();
  const bool pathChanged = !path.empty() && path != generator::ComPortDevicePath(chosen);
  if (!path.empty()) generator::SetComPortDevicePath(chosen, path);
  if (dialog.ComboBox2->ItemIndex() >= 0) SetBaudRate(static_cast<TBaudRate>(dialog.ComboBox2->ItemIndex()));
  if (dialog.ComboBox3->ItemIndex() >= 0) SetStopBits(static_cast<TStopBits>(dialog.ComboBox3->ItemIndex()));
  if (dialog.ComboBox4->ItemIndex() >= 0) SetDataBits(static_cast<TDataBits>(dialog.ComboBox4->ItemIndex()));
  flowControl_->SetOutCtsFlow(dialog.CheckBox1->Checked());
  flowControl_->SetOutDsrFlow(dialog.CheckBox2->Checked());
  flowControl_->SetXonXoffOut(dialog.CheckBox3->Checked());
  flowControl_->SetXonXoffIn(dialog.CheckBox4->Checked());
  if (dialog.RadioGroup1.ItemIndex() >= 0)
    flowControl_->SetControlRts(static_cast<TRtsFlowControl>(dialog.RadioGroup1.ItemIndex()));
  if (dialog.RadioGroup2.ItemIndex() >= 0)
    flowControl_->SetControlDtr(static_cast<TDtrFlowControl>(dialog.RadioGroup2.ItemIndex()));
  // The parity choice is stored and goes out with the next settings update.
  if (dialog.ComboBox5->ItemIndex() >= 0)
    parity_->StoreBits(static_cast<TParityBits>(dialog.ComboBox5->ItemIndex()));
  if (chosen != port_) SetPort(chosen);
  else if (pathChanged && connected_) Open();
}
