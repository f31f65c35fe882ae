// The recorder's "Add Text" window: a free text placed on the recorder picture.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/vcl.h"

class Tform_9rec : public TForm {
 public:
  explicit Tform_9rec(TComponent* owner);

  TMemo* Memo1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;  // "Transparent text"
  TButton* Button1 = nullptr;      // "Add Text on Screen"
  TButton* Button2 = nullptr;      // "Remove"
  TButton* Button3 = nullptr;      // "Close"
  TLabel* Label1 = nullptr;        // the hint
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* SelectAll1 = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  void SelectAll1Click(TObject* Sender);
  void Edit1Click(TObject* Sender);
  // Writes the annotation on the recorder picture when it is shown.
  void note();
  // Takes an annotation read from a data file: shown at once.
  void TakeAnnotation(const std::vector<std::string>& lines);
  // Removes a shown annotation.
  void RemoveAnnotation();

 private:
  void Redraw();
};

inline Tform_9rec* Form_9rec = nullptr;
