// The main window's persistence and history controls bound to its
// persistence controller, the bindings of the twin panel and the Big Screen
// to it, and the window's methods that other parts of the program call.
#include "engine/persistence/persistence_controller.h"

#include <memory>

#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/persistence_options.h"
#include "engine/spectrum/analysis_controls.h"
#include "widgets/control_maker.h"

namespace {

using engine::persistence::PersistenceController;

struct PersistenceItemBinding {
  TMenuItem* PersistenceControls::*Item;
  void (PersistenceController::*Handler)(TObject*);
};

constexpr PersistenceItemBinding kModeItems[] = {
    {&PersistenceControls::NormalPersistence1, &PersistenceController::NormalPersistence1Click},
    {&PersistenceControls::PersistencewithIntensityGrading1, &PersistenceController::PersistencewithIntensityGrading1Click},
    {&PersistenceControls::VariablePersistence1, &PersistenceController::VariablePersistence1Click},
};

}  // namespace

// ---------------------------------------------------------------- building and binding

void TForm1::CreatePersistenceControls() {
  persistence_ = std::make_unique<engine::persistence::PersistenceController>(
      *this, *this, *this, *this, *this, *this, MainView, *Image1, *ScrollBar2);
  TMenuItem* options = OptionsMenu(this, MainMenu1);
  const int left = FftView->Left() + FftView->Width() + 10;
  BuildPersistenceControls(this, this, left, fft1->Top(), options, *this, *this);
  SpeedButton23->OnClick = [this](TObject* s) { Persistence().SpeedButton23Click(s); };
  for (const PersistenceItemBinding& b : kModeItems) {
    const auto handler = b.Handler;
    (this->*b.Item)->OnClick = [this, handler](TObject* s) { (Persistence().*handler)(s); };
  }
  PersistenceOptions1->OnClick = [this](TObject* s) { Persistence().PersistenceOptions1Click(s); };
  Persistence().BuildHistoryControls();
}

void TForm11::CreatePersistenceControls() {
  TMenuItem* options = OptionsMenu(this, MainMenu1);
  const int left = FftView->Left() + FftView->Width() + 10;
  BuildPersistenceControls(this, this, left, fft1->Top(), options, *this, *this);
  // Copy then forward: the main window's "Persist" takes this one's state.
  SpeedButton23->OnClick = [](TObject*) {
    if (!Form1 || !Form11 || !Form1->SpeedButton23) return;
    Form1->SpeedButton23->SetDown(Form11->SpeedButton23->Down());
    Form1->Persistence().SpeedButton23Click(Form1);
  };
  for (const PersistenceItemBinding& b : kModeItems) {
    const auto handler = b.Handler;
    (this->*b.Item)->OnClick = [handler](TObject*) {
      if (Form1) (Form1->Persistence().*handler)(Form1);
    };
  }
  PersistenceOptions1->OnClick = [](TObject*) {
    if (OKRightDlg) OKRightDlg->ShowModal();
  };
}

// The Big Screen's history bar shares the main window's pop-up menu.
void TForm10::CreateHistoryControls() {
  ControlMaker make(this);
  ScrollBar1 = engine::persistence::MakeHistoryBar(*this, make, this, ScrollBar2, Image10,
                                                   engine::persistence::kBigPositionBarWidth);
  ScrollBar1->OnChange = [this](TObject* s) { ScrollBar1Change(s); };
  if (Form1) ScrollBar1->SetPopupMenu(Form1->HistoryMenu);

  // As wide as the main window's "History", at the right end.
  const int right = ScrollBar1->Left() + ScrollBar1->Width();
  const int buttonWidth = Form1 && Form1->History ? Form1->History->Width() : ScrollBar1->Width();
  History = make.Button(this, "History", "History", 0, right - buttonWidth, ScrollBar1->Top(), buttonWidth,
                        ScrollBar1->Height());
  History->OnClick = [this](TObject* s) { HistoryClick(s); };
  History->SetVisible(false);
}

void TForm10::HistoryClick(TObject*) {
  if (Form1) Form1->Persistence().ShowHistoryBars(true);
  if (ScrollBar1->Enabled()) ScrollBar1->SetFocus();
}

// ---------------------------------------------------------------- forwards

void TForm1::NormalPersistence1Click(TObject* s) { Persistence().NormalPersistence1Click(s); }
void TForm1::PersistencewithIntensityGrading1Click(TObject* s) { Persistence().PersistencewithIntensityGrading1Click(s); }
void TForm1::VariablePersistence1Click(TObject* s) { Persistence().VariablePersistence1Click(s); }
void TForm1::ReleasePersist() { Persistence().ReleasePersist(); }
void TForm1::RestartPersist() { Persistence().RestartPersist(); }
void TForm1::SetPersistenceModeItemsEnabled(bool enabled) { Persistence().SetPersistenceModeItemsEnabled(enabled); }
void TForm1::SetHistoryBarsEnabled(bool enabled) { Persistence().SetHistoryBarsEnabled(enabled); }
void TForm1::StartHistoryRecording() { Persistence().StartHistoryRecording(); }
void TForm1::ShowNewestHistory() { Persistence().ShowNewestHistory(); }
