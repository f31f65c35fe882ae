#include "engine/main_form.h"

#include "engine/calibration/calibration_controller.h"
#include "engine/markers/markers_controller.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/files/files_controller.h"
#include "engine/settings_files/settings_files_controller.h"
#include "engine/scope_state.h"
#include "engine/spectrum/spectrum_controller.h"
#include "io/shared_blocks.h"
#include "platform/ui/application.h"

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

engine::ScopeWindow* engine::TheScopeWindow() { return Form1; }

TForm& engine::CreateScopeWindow(device::ScopeDevice& device, const engine::ScopeStates& states) {
  Application->CreateForm(Form1, device, states);
  return *Form1;
}

void engine::FreeScopeWindow() { FreeAndNil(Form1); }
engine::ScopeWindow& engine::ScopeWindowOf(TForm1& window) { return window; }
const engine::ScopeWindow& engine::ScopeWindowOf(const TForm1& window) { return window; }

// ---------------------------------------------------------------- controls

// The controls under the picture: the horizontal position bar and the
// panel shown while the device opens.
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

// ---------------------------------------------------------------- shared memory

// The scope window's words of the sample export block and of the generator
// mailbox, for the programs that read or write them one at a time.
std::int32_t TForm1::GetShareData(int index) {
  return io::SampleExportBlock && index >= 0 ? io::SampleExportBlock->Get(static_cast<std::size_t>(index)) : 0;
}

void TForm1::SetShareData(int index, std::int32_t value) {
  if (io::SampleExportBlock && index >= 0) io::SampleExportBlock->Set(static_cast<std::size_t>(index), value);
}

std::int32_t TForm1::GetShareData1(int index) {
  std::int32_t word = 0;
  if (index >= 0)
    io::UseGeneratorMailbox([&] { word = io::GeneratorMailboxBlock->Get(static_cast<std::size_t>(index)); });
  return word;
}

void TForm1::SetShareData1(int index, std::int32_t value) {
  if (index >= 0)
    io::UseGeneratorMailbox([&] { io::GeneratorMailboxBlock->Set(static_cast<std::size_t>(index), value); });
}
