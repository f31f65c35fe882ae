#include "engine/main_form.h"

#include "engine/scope_state.h"

namespace {
// Design size of the window: the picture with the panel buttons to its right
// and room below it for the rest of the front panel; fits a 1280 x 800 screen.
constexpr int kFormWidth = 1000;
constexpr int kFormHeight = 700;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  Name = "Form1";
  SetCaption("Darvik48");
  SetBounds(20, 20, kFormWidth, kFormHeight);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(kMargin, kMargin, kImage1Width, kImage1Height);

  const int buttonLeft = kMargin + kImage1Width + kMargin;
  // Run and Single stay down while their capture loop runs; each releases on
  // its own click, so each is a group of one that may be all up.
  SpeedButtonRun = new TSpeedButton(this);
  SpeedButtonRun->Name = "SpeedButtonRun";
  SpeedButtonRun->SetParent(this);
  SpeedButtonRun->SetBounds(buttonLeft, kMargin, kButtonWidth, kButtonHeight);
  SpeedButtonRun->SetCaption("Run");
  SpeedButtonRun->SetGroupIndex(1);
  SpeedButtonRun->SetAllowAllUp(true);

  SpeedButtonSingle = new TSpeedButton(this);
  SpeedButtonSingle->Name = "SpeedButtonSingle";
  SpeedButtonSingle->SetParent(this);
  SpeedButtonSingle->SetBounds(buttonLeft, kMargin + kButtonHeight + 6, kButtonWidth, kButtonHeight);
  SpeedButtonSingle->SetCaption("Single");
  SpeedButtonSingle->SetGroupIndex(2);
  SpeedButtonSingle->SetAllowAllUp(true);

  CreateStartupComponents();
  CreateDeviceControls();
  CreateAcquisitionControls();

  FormCreate(this);
}

// FormCreate and the rest of the start-up live in startup.cpp.
