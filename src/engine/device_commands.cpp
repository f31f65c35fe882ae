// The controls under the picture: the horizontal position bar and the
// panel shown while the device opens.
#include "engine/main_form.h"

// ---------------------------------------------------------------- controls

void TForm1::CreateDeviceControls() {
  // The horizontal position under the picture; 32 shows the trigger point
  // at the first division.
  ScrollBar2 = new TScrollBar(this);
  ScrollBar2->Name = "ScrollBar2";
  ScrollBar2->SetParent(this);
  ScrollBar2->SetBounds(Image1->Left(), Image1->Top() + Image1->Height() + 4, Image1->Width(), 17);
  ScrollBar2->SetParams(32, 0, 127);
  ScrollBar2->OnChange = [this](TObject* s) { ScrollBar2Change(s); };

  LoadingPanel = new TPanel(this);
  LoadingPanel->Name = "LoadingPanel";
  LoadingPanel->SetParent(this);
  LoadingPanel->SetBounds(Image1->Left() + Image1->Width() / 2 - 120,
                          Image1->Top() + Image1->Height() / 2 - 20, 240, 40);
  LoadingPanel->SetCaption("Loading, please wait...");
  LoadingPanel->SetVisible(false);
}
