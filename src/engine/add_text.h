// The scope's "Add Text" window: a free text for the scope picture, placed by
// a right click on the picture, optionally filled with the waveform-parameter
// report; it also draws the parameter list that the measurement window asks for.
#pragma once

#include "engine/scope_states.h"

#include <string>
#include <vector>

#include "display/scope_view.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TForm_9 : public TForm, public engine::WithScopeStates {
 public:
  TForm_9(TComponent* owner, const engine::ScopeStates& states);

  TMemo* Memo1;                    // the annotation lines
  TGrSpeedButton* GrSpeedButton3;  // "Add Text on Screen"
  TButton* Button2;                // "Remove"
  TGrSpeedButton* GrSpeedButton2;  // "Close"
  TCheckBox* CheckBox1;            // "Transparent text"
  TButton* Parameters;             // "Get Waveform Parameters"
  TLabel* HintLabel;               // "Right click the screen to change the text position"
  TMainMenu* MainMenu1;
  TMenuItem* Edit1;
  TMenuItem* Copy1;
  TMenuItem* Paste1;
  TMenuItem* SelectAll1;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void ParametersClick(TObject* Sender);
  void Edit1Click(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  void SelectAll1Click(TObject* Sender);

  // The annotation on the scope picture, when it is shown.
  void note();
  // The waveform-parameter list on the scope picture, when it is asked for.
  void note_1();
  // Both on the Big Screen's picture: the annotation at twice the height,
  // the parameter list at its own column.
  void NotesOnBigScreen(display::ScopeView& big);
};

inline TForm_9* Form_9 = nullptr;
