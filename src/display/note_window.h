// An "Add Text" window of a picture other than the scope's: the lines of an
// annotation, switched on and off, with or without a background box, placed
// by a right click on the picture. The window of each picture derives from it
// and says how its picture is redrawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TNoteWindow : public TForm {
 public:
  TMemo* Memo1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;      // "Transparent text"
  TGrSpeedButton* Button1 = nullptr;   // "Add Text on Screen"
  TGrSpeedButton* Button2 = nullptr;   // "Remove"
  TGrSpeedButton* Button3 = nullptr;   // "Close"
  TLabel* Label1 = nullptr;            // the hint
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;         // plain text only
  TMenuItem* SelectAll1 = nullptr;

  void Button1Click(TObject* Sender);   // on, picture redrawn
  void Button2Click(TObject* Sender);   // off, picture redrawn
  void CheckBox1Click(TObject* Sender);
  void Edit1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  // Takes an annotation read from a data file: shown, "Remove" enabled.
  void TakeAnnotation(const std::vector<std::string>& lines);
  // Switches the annotation off (the picture is left as it is).
  void RemoveAnnotation();
  // Writes the lines on the canvas from (x, y), 13 pixels apart.
  void WriteLines(TCanvas* canvas, int x, int y, TColor color, TColor background) const;

 protected:
  // `shown` and `transparent` are the picture's flags that the window sets.
  TNoteWindow(TComponent* owner, const std::string& name, std::uint8_t& shown, std::uint8_t& transparent);
  // Redraws the picture with or without the annotation.
  virtual void Redraw() = 0;

 private:
  std::uint8_t& shown_;
  std::uint8_t& transparent_;
};
