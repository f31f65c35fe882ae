// The "Color" dialog: the eight screen colours of the scope and recorder
// pictures. Each colour button opens the system colour dialog and stores the
// choice in the colour table at once; the swatches show every colour as it
// will look over the background. The scope window's Colors1Click reads
// ColorsAccepted, PresetChosen and BlackScreenPreset after the modal run.
#pragma once

#include <cstdint>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace display {
struct DisplaySharedState;
}

class TBtnBottomDlg2 : public TForm {
 public:
  explicit TBtnBottomDlg2(TComponent* owner);

  TImage* Image1;                // the swatches
  TSpeedButton* SpeedButton3;    // "Background"
  TSpeedButton* SpeedButton1;    // "Ch1"
  TSpeedButton* SpeedButton2;    // "Ch2"
  TSpeedButton* SpeedButton7;    // "Math 1"
  TSpeedButton* SpeedButton8;    // "Math 2"
  TSpeedButton* SpeedButton4;    // "Dark Grid"
  TSpeedButton* SpeedButton5;    // "Bright Grid"
  TSpeedButton* SpeedButton6;    // "Time Marker"
  TLabel* Label1;                // "Select Default Colors:"
  TGrSpeedButton* GrSpeedButton4;  // "Bright Screen"
  TGrSpeedButton* GrSpeedButton3;  // "Black Screen"
  TGrSpeedButton* GrSpeedButton1;  // "OK"
  TGrSpeedButton* GrSpeedButton2;  // "Cancel"
  TLabel* Label2;  // the true-colour note, five lines
  TLabel* Label3;
  TLabel* Label4;
  TLabel* Label5;
  TLabel* Label6;
  TColorDialog* ColorDialog1;

  // A preset button closed the dialog in this run; cleared when it opens.
  std::uint8_t PresetChosen = 0;

  // The display values whose colours the dialog edits and whose
  // ColorsAccepted, DefaultColors and BlackScreenPreset it sets; given once
  // the dialog is made. Without them it shows and changes nothing.
  display::DisplaySharedState* Display = nullptr;
  void UseDisplay(display::DisplaySharedState& display);

  void FormCreate(TObject* Sender);
  // Paints the swatches from the colour table.
  void draw_1();

  void SpeedButton3Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void SpeedButton9Click(TObject* Sender);   // "Bright Screen"
  void SpeedButton10Click(TObject* Sender);  // "Black Screen"
  void OKBtnClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);

 private:
  // The system colour dialog preset to the colour `entry` of the display
  // values; the choice goes into it.
  void PickColor(TColor display::DisplaySharedState::*entry);
  void ChoosePreset(bool black);
  // Ends the modal run (or closes the window when it is not modal).
  void Finish(int result);
};

inline TBtnBottomDlg2* BtnBottomDlg2 = nullptr;
