#include "engine/main_form.h"

#include "engine/calibration/calibration_controller.h"
#include "engine/markers/markers_controller.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/files/files_controller.h"
#include "engine/settings_files/settings_files_controller.h"
#include "engine/scope_state.h"
#include "engine/spectrum/spectrum_controller.h"

namespace {
// Design size of the window: the picture with the horizontal position bar
// under it and the front panel to its right; fits a 1280 x 800 screen. The
// generator's controls take the room under both.
constexpr int kMargin = 6;
constexpr int kFormWidth = kMargin + TForm1::kImage1Width + kMargin + kFrontPanelWidth + kMargin + 10;
constexpr int kFormHeight = 518;
}  // namespace

TForm1::TForm1(TComponent* owner, device::ScopeDevice& device, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states), device_(device) {
  Name = "Form1";
  SetCaption("Darvik48");
  SetBounds(20, 20, kFormWidth, kFormHeight);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(kMargin, kMargin, kImage1Width, kImage1Height);

  // Channels, trigger, time base, Run and Single.
  CreateFrontPanel();
  // The trigger group's handlers.
  BindTriggerHandlers();

  CreateStartupComponents();
  CreateDeviceControls();
  CreateAcquisitionControls();
  // Spectrum analyser, math traces and averaging: their buttons and menus.
  CreateAnalysisControls();
  // "Persist", the persistence menu and the history bar.
  CreatePersistenceControls();
  // The other instruments, the Big Screen, the view options and Autoset.
  CreateInstrumentControls();
  CreateGeneratorControls();
  // Pictures, printing, text export, help and about.
  CreateFileExportControls();
  // Never so small that a control is cut off; set before the stored place
  // is read.
  SetMinimumSize(ControlsWidth() + kMargin, ControlsHeight() + kMargin);

  FormCreate(this);
}

TForm1::~TForm1() {
  delete ScopeIni;
  ScopeIni = nullptr;
  // A window freed without its close (a second program built in one
  // process) still gives its work blocks back.
  ReleaseWorkBlocks();
}

// FormCreate lives in startup.cpp, the rest of the start-up in
// startup_deferred.cpp and the close in startup_close.cpp.
