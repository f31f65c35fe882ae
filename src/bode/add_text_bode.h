// The Bode plotter's "Add Text" window (annotation on the plot).
#pragma once

#include <string>
#include <vector>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class Tform_9bode : public TForm {
 public:
  explicit Tform_9bode(TComponent* owner);

  TMemo* Memo1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;  // "Transparent text"
  TGrSpeedButton* Button1 = nullptr;      // "Add Text on Screen"
  TGrSpeedButton* Button2 = nullptr;      // "Remove"
  TGrSpeedButton* Button3 = nullptr;      // "Close"
  TLabel* Label1 = nullptr;        // the hint
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* SelectAll1 = nullptr;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void Edit1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  // Writes the annotation on the plot picture when it is on.
  void note();
  // Takes an annotation read from a data file, switched on; or switches it off.
  void TakeAnnotation(const std::vector<std::string>& lines);
  void RemoveAnnotation();
};

inline Tform_9bode* form_9bode = nullptr;
