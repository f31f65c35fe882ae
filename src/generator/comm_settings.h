// The serial-port settings dialog of the wave-sequence player.
#pragma once

#include <vector>

#include "platform/ui/buttons.h"
#include "platform/ui/forms.h"
#include "platform/ui/panels.h"
#include "platform/ui/text_controls.h"

// A framed column of radio buttons; ItemIndex is the checked one (-1: none).
struct CommRadioGroup {
  TGroupBox* Box = nullptr;
  std::vector<TRadioButton*> Items;
  int ItemIndex() const;
  void SetItemIndex(int i);
};

class TCommFrm : public TForm {
 public:
  explicit TCommFrm(TComponent* owner);

  TGroupBox* GroupBox1;  // "Port Settings"
  TComboBox* ComboBox1;  // connector
  TEdit* Edit1;          // the device behind the chosen connector
  TComboBox* ComboBox2;  // baud rate
  TComboBox* ComboBox3;  // stop bits
  TComboBox* ComboBox4;  // data bits
  TComboBox* ComboBox5;  // parity
  TGroupBox* GroupBox2;  // "Flow Control"
  TCheckBox* CheckBox1;  // CTS output
  TCheckBox* CheckBox2;  // DSR output
  TCheckBox* CheckBox3;  // Xon/Xoff output
  TCheckBox* CheckBox4;  // Xon/Xoff input
  CommRadioGroup RadioGroup1;  // RTS
  CommRadioGroup RadioGroup2;  // DTR
  TButton* Button1;  // "Hardware (Rts/Cts)"
  TButton* Button2;  // "Hardware (Dtr/Dsr)"
  TButton* Button3;  // "Software (Xon/Xoff)"
  TButton* Button4;  // "Clear all"
  TButton* Button5;  // "OK"
  TButton* Button6;  // "Cancel"

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
};

inline TCommFrm* CommFrm = nullptr;
