// The four small notice windows: hardware selection, no hardware, the probe
// warning and the Bode plotter's wiring hint. Each is created once at start-up
// with the other windows (`BtnBottomDlg = new TBtnBottomDlg(nullptr);` ...)
// and shown when needed; their "OK" buttons close them.
#pragma once

#include "engine/scope_states.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

// Hardware selection: the device or demo mode. The caller presets the radio
// buttons from DemoMode, shows the dialog modally and acts on DemoMode after.
class TBtnBottomDlg : public TForm, public engine::WithScopeStates {
 public:
  TBtnBottomDlg(TComponent* owner, const engine::ScopeStates& states);

  TLabel* Label1;
  TRadioButton* RadioButton1;  // "Darvik48"
  TRadioButton* RadioButton2;  // "None = Demo mode"
  TGrSpeedButton* GrSpeedButton1;  // "OK"

  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void GrSpeedButton1Click(TObject* Sender);
};

// No hardware response: shown modally when the device does not answer.
class TBtnBottomDlg1 : public TForm {
 public:
  explicit TBtnBottomDlg1(TComponent* owner);

  TLabel* Label1;  // bold heading
  TLabel* Label2;
  TLabel* Label3;
  TLabel* Label4;
  TGrSpeedButton* OKBtn;

  void OKBtnClick(TObject* Sender);
};

// The probe warning, shown without waiting and kept on top.
class TForm12 : public TForm, public engine::WithScopeStates {
 public:
  TForm12(TComponent* owner, const engine::ScopeStates& states);

  TImage* Image1;  // the warning picture, 464 x 89
  TCheckBox* CheckBox1;  // "Don't show this warning again during this session."
  TGrSpeedButton* SpeedButton29;  // "OK"

  void CheckBox1Click(TObject* Sender);
  void SpeedButton29Click(TObject* Sender);
};

// The Bode plotter's wiring hint, shown modally; the caller reads CheckBox1.
class TOKBottomDlg : public TForm {
 public:
  explicit TOKBottomDlg(TComponent* owner);

  TMemo* Memo1;
  TCheckBox* CheckBox1;  // "Do not show this again"
  TGrSpeedButton* OKBtn;  // ends the modal run with result 1

  void OKBtnClick(TObject* Sender);
};

// Size of the probe warning picture.
constexpr int kProbeWarningWidth = 464;
constexpr int kProbeWarningHeight = 89;

// Draws the probe warning (triangle, heading, the warning sentences wrapped to
// fit) over the whole bitmap, which should be 464 x 89. Returns the text
// lines as laid out, heading first; empty when the text did not fit.
std::vector<std::string> DrawProbeWarning(TBitmap& picture);

inline TBtnBottomDlg* BtnBottomDlg = nullptr;
inline TBtnBottomDlg1* BtnBottomDlg1 = nullptr;
inline TForm12* Form12 = nullptr;
inline TOKBottomDlg* OKBottomDlg = nullptr;
