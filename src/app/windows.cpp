#include "app/windows.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <QCoreApplication>

#include "app/instruments.h"
#include "bode/add_text_bode.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/color_dialog.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/trace_colors_dialog.h"
#include "bode/voltage_scale_note.h"
#include "bode/wait_time_dialog.h"
#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "display/color_dialog.h"
#include "display/display_state.h"
#include "display/history_state.h"
#include "engine/measurement_window.h"
#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/control_panel.h"
#include "engine/device_path.h"
#include "engine/form9.h"
#include "engine/scope_window.h"
#include "engine/notice_dialogs.h"
#include "engine/remote_control_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "generator/comm_settings.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/hardware_dialog.h"
#include "generator/more_functions.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "io/about_box.h"
#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "io/help_startup.h"
#include "engine/print_preview.h"
#include "engine/print_preview_1.h"
#include "recorder/print_preview_rec.h"
#include "io/scope_file_error.h"
#include "io/shared_blocks.h"
#include "platform/os/numeric.h"
#include "platform/os/termination.h"
#include "platform/ui/application.h"
#include "recorder/add_text_rec.h"
#include "recorder/btn_bottom_dlg_33.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

namespace {

std::vector<CreatedWindow> created;

// The program's one device, made before the windows and handed to those
// that drive it; a fresh one for every fresh start of the program's state.
std::unique_ptr<device::ScopeDevice> theDevice;

// The states the windows share, each made once before the windows like the
// device and handed to the windows and links that use it: the scope's four,
// the Bode plotter's, the recorder's, and the function generator's (which
// also goes to the panels it puts on the scope and recorder windows).
std::unique_ptr<engine::ScopeSharedState> theScopeState;
std::unique_ptr<display::DisplaySharedState> theDisplayState;
std::unique_ptr<display::HistorySharedState> theHistoryState;
std::unique_ptr<display::PersistenceSharedState> thePersistenceState;
std::unique_ptr<bode::BodeSharedState> theBodeState;
std::unique_ptr<recorder::RecorderSharedState> theRecorderState;
std::unique_ptr<generator::GeneratorSharedState> theGeneratorState;

template <class T>
T& MadeOnce(std::unique_ptr<T>& state) {
  if (!state) state = std::make_unique<T>();
  return *state;
}
engine::ScopeSharedState& TheScopeState() { return MadeOnce(theScopeState); }
display::DisplaySharedState& TheDisplayState() { return MadeOnce(theDisplayState); }
display::HistorySharedState& TheHistoryState() { return MadeOnce(theHistoryState); }
display::PersistenceSharedState& ThePersistenceState() { return MadeOnce(thePersistenceState); }
engine::ScopeStates TheScopeStates() {
  return {TheScopeState(), TheDisplayState(), TheHistoryState(), ThePersistenceState()};
}
bode::BodeSharedState& TheBodeState() { return MadeOnce(theBodeState); }
recorder::RecorderSharedState& TheRecorderState() { return MadeOnce(theRecorderState); }
generator::GeneratorSharedState& TheGeneratorState() { return MadeOnce(theGeneratorState); }

device::ScopeDevice& TheDevice() {
  if (!theDevice) {
    const engine::ScopeSharedState& scope = TheScopeState();
    theDevice = std::make_unique<device::ScopeDevice>([&scope] { return scope.DemoMode != 0; });
  }
  return *theDevice;
}

// How to free each created window, in creation order.
std::vector<std::function<void()>> releasers;

template <class T>
void Record(T*& global, const char* className, const char* name) {
  if (global->Name.empty()) global->Name = name;
  created.push_back({className, global});
  releasers.push_back([&global] { FreeAndNil(global); });
}

// A window owned by the application; the first one becomes the main window.
template <class T, class... Args>
void Create(T*& global, const char* className, const char* name, Args&&... args) {
  Application->CreateForm(global, std::forward<Args>(args)...);
  Record(global, className, name);
}

// The scope window, made by the engine: the first window, so the main one.
void RecordScopeWindow(TForm& window) {
  if (window.Name.empty()) window.Name = "Form1";
  created.push_back({"TForm1", &window});
  releasers.push_back([] { engine::FreeScopeWindow(); });
}

// A window without owner (the notice dialogs).
template <class T, class... Args>
void CreateUnowned(T*& global, const char* className, const char* name, Args&&... args) {
  global = new T(nullptr, std::forward<Args>(args)...);
  Record(global, className, name);
}

// The window's class and its global, named as in the code; the window takes
// its global's name.
#define CREATE(global, cls)                                                   \
  do {                                                                        \
    static_assert(std::is_same_v<std::remove_pointer_t<decltype(global)>, cls>); \
    Create(global, #cls, #global);                                            \
  } while (0)
// The same for a window that takes more than its owner.
#define CREATE_WITH(global, cls, ...)                                         \
  do {                                                                        \
    static_assert(std::is_same_v<std::remove_pointer_t<decltype(global)>, cls>); \
    Create(global, #cls, #global, __VA_ARGS__);                               \
  } while (0)
#define CREATE_UNOWNED(global, cls)                                           \
  do {                                                                        \
    static_assert(std::is_same_v<std::remove_pointer_t<decltype(global)>, cls>); \
    CreateUnowned(global, #cls, #global);                                     \
  } while (0)
#define CREATE_UNOWNED_WITH(global, cls, ...)                                 \
  do {                                                                        \
    static_assert(std::is_same_v<std::remove_pointer_t<decltype(global)>, cls>); \
    CreateUnowned(global, #cls, #global, __VA_ARGS__);                        \
  } while (0)

}  // namespace

void PrepareApplication() {
  Application->SetTitle("Oscilloscope");
  SetUnattended(false);
  numeric::SetupFloatingPoint();
  // The help units' start-up: an old diagnostic report goes, a new one is
  // written when the debug switch is given.
  if (QCoreApplication::instance()) {
    const QStringList args = QCoreApplication::arguments();
    std::vector<std::string> params;
    for (qsizetype i = 1; i < args.size(); ++i) params.push_back(args[i].toStdString());
    if (!args.isEmpty()) io::RunHelpStartupChecks(args.front().toStdString(), params);
  }
}

bool OpenSharedMemory() {
  std::string reason;
  if (io::OpenSharedBlocks(&reason)) return true;
  // The instrument does not need them: the user hears why, once, and works on.
  std::fprintf(stderr, "darvik48: %s\n", reason.c_str());
  MessageDlg("Sample export and remote control are off: " + reason +
                 ".\rOther programs can neither read the captures nor control the Darvik48 software "
                 "in this session.",
             mtWarning, mbOK, 0);
  return false;
}

bool CloseOnTerminationSignals() {
  return os::OnTerminationSignal([] {
    if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->CloseFromSignal();
  });
}

void CreateAllWindows() {
  if (!created.empty()) return;
  // The windows reach each other through these from their creation on.
  const engine::ScopeStates scopeStates = TheScopeStates();
  device::ScopeDevice& device = TheDevice();
  generator::GeneratorSharedState& generatorState = TheGeneratorState();
  bode::BodeSharedState& bodeState = TheBodeState();
  recorder::RecorderSharedState& recorderState = TheRecorderState();
  LinkInstruments(scopeStates.Scope, bodeState, recorderState, generatorState);
  RecordScopeWindow(engine::CreateScopeWindow(device, scopeStates));
  CREATE(AboutBox, TAboutBox);
  CREATE_UNOWNED_WITH(BtnBottomDlg, TBtnBottomDlg, scopeStates);
  CREATE_UNOWNED(BtnBottomDlg1, TBtnBottomDlg1);
  CREATE(BtnBottomDlg3, TBtnBottomDlg3);
  CREATE(BtnBottomDlg2, TBtnBottomDlg2);
  BtnBottomDlg2->UseDisplay(scopeStates.Display);
  CREATE(PreviewForm, TPreviewForm);
  CREATE(Form5, TForm5);
  CREATE_WITH(Form8, TForm8, generatorState);
  CREATE_WITH(BtnBottomDlg1_fgen, TBtnBottomDlg1_fgen, generatorState);
  CREATE(AboutBox_fgen, TAboutBox_fgen);
  CREATE_WITH(Wave_editor1, TWave_editor1, generatorState, scopeStates.Scope);
  CREATE_WITH(Bode_plot, TBode_plot, device, bodeState, scopeStates.Scope, scopeStates.Display);
  CREATE(Preview_1Form, TPreview_1Form);
  CREATE_WITH(BtnBottomDlg_2, TBtnBottomDlg_2, bodeState);
  CREATE_WITH(BtnBottomDlg_21, TBtnBottomDlg_21, bodeState);
  CREATE(OKBottomDlg_1, TOKBottomDlg_1);
  CREATE_WITH(OKRightDlg_1, TOKRightDlg_1, bodeState);
  CREATE_WITH(OKRightDlg_2, TOKRightDlg_2, bodeState);
  CREATE_WITH(Form5_rec, TForm5_rec, recorderState, scopeStates.Scope);
  CREATE(PreviewForm_rec, TPreviewForm_rec);
  CREATE(AboutBox_rec, TAboutBox_rec);
  CREATE(BtnBottomDlg_33, TBtnBottomDlg_33);
  CREATE_WITH(Form1_rec, TForm1_rec, device, recorderState, scopeStates.Scope, scopeStates.Display);
  CREATE_WITH(Form_9rec, Tform_9rec, recorderState, scopeStates.Display);
  CREATE_WITH(Form_9, TForm_9, scopeStates);
  CREATE_WITH(form_9bode, Tform_9bode, bodeState);
  CREATE_WITH(BtnBottomDlg_fgen, TBtnBottomDlg_fgen, generatorState);
  CREATE_WITH(Form900, TForm900, generatorState, scopeStates.Scope);
  CREATE(CommFrm, TCommFrm);
  CREATE(Form9, TForm9);
  CREATE_WITH(Form_99, TForm_99, scopeStates);
  CREATE_WITH(Form10, TForm10, scopeStates);
  CREATE_WITH(Form11, TForm11, scopeStates);
  CREATE_UNOWNED_WITH(Form12, TForm12, scopeStates);
  CREATE(Formx1, TFormx1);
  CREATE_WITH(Form1_fgen, TForm1_fgen, device, generatorState, scopeStates.Scope);
  CREATE(Form_path, TForm_path);
  CREATE_UNOWNED(OKBottomDlg, TOKBottomDlg);
  CREATE(OKBottomDlg1, TOKBottomDlg1);
  CREATE_WITH(OKRightDlg, TOKRightDlg, scopeStates);
}

void FreeAllWindows() {
  while (!releasers.empty()) {
    releasers.back()();
    releasers.pop_back();
  }
  created.clear();
}

void ResetProgramState() {
  // The device goes before the scope state its demo switch reads.
  theDevice.reset();
  theScopeState.reset();
  theDisplayState.reset();
  theHistoryState.reset();
  thePersistenceState.reset();
  theGeneratorState.reset();
  // The links keep the states' places: they go to the fresh ones at once.
  theRecorderState.reset();
  theBodeState.reset();
  LinkInstruments(TheScopeState(), TheBodeState(), TheRecorderState(), TheGeneratorState());
  Application->ClearTerminated();
}

const std::vector<CreatedWindow>& CreatedWindows() { return created; }

device::ScopeDevice& CreatedDevice() { return TheDevice(); }
engine::ScopeStates CreatedScopeStates() { return TheScopeStates(); }

bode::BodeSharedState& CreatedBodeState() { return TheBodeState(); }
recorder::RecorderSharedState& CreatedRecorderState() { return TheRecorderState(); }
generator::GeneratorSharedState& CreatedGeneratorState() { return TheGeneratorState(); }
