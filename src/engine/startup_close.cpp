// The orderly close: the close question, the wait for the acquisition, the close itself.
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "device/scope_device.h"
#include "platform/os/folders.h"
#include "platform/ui/vcl.h"

namespace {
// Marks the close handlers as running for as long as one of them runs.
struct CloseUnderWayMark {
  bool& mark;
  explicit CloseUnderWayMark(bool& m) : mark(m) { mark = true; }
  ~CloseUnderWayMark() { mark = false; }
  CloseUnderWayMark(const CloseUnderWayMark&) = delete;
  CloseUnderWayMark& operator=(const CloseUnderWayMark&) = delete;
};
}  // namespace

void TForm1::CloseFromSignal() {
  if (Application->Terminated()) return;
  // The user's own close is asking about unsaved text: the answer is the
  // user's, and no second question opens.
  if (close_question_open_) return;
  SetUnattended(true);
  // A close waiting for the acquisition, or already writing, goes on (now
  // asking nothing); a second one would do it all twice.
  if (close_under_way_ || ScopeState.CloseRequested) return;
  Close();
}

void TForm1::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  // A close asked for while this one's question is open (the window
  // manager's close box, a signal) asks nothing more.
  if (close_under_way_) {
    CanClose = false;
    return;
  }
  const CloseUnderWayMark underWay(close_under_way_);
  // A calibration is never cut off: it stops at the request, puts the
  // previous record back when it was not finished, and Timer1 then closes.
  if (ScopeState.CalibrationRunning) {
    ScopeState.CloseRequested = 1;
    ScopeState.SingleStop = 1;
    CanClose = false;
    Timer1->SetEnabled(true);
    return;
  }
  // Unsaved wave-editor text is asked about before anything stops, so that
  // a cancelled close leaves the program as it was.
  if (ScopeState.OtherInstruments.GeneratorMayClose) {
    close_question_open_ = true;
    const bool editorMayClose = ScopeState.OtherInstruments.GeneratorMayClose();
    close_question_open_ = false;
    if (!editorMayClose) {
      CanClose = false;
      return;
    }
  }
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  if (ScopeState.OtherInstruments.StopBodeSweep) ScopeState.OtherInstruments.StopBodeSweep();
  Fasttimer1->SetEnabled(false);
  if (SpeedButtonRun->Down()) {
    SpeedButtonRun->SetDown(false);
    SpeedButtonRunClick(this);
  }
  // Before the start-up reached its recall the panel does not hold the
  // user's settings: saving then would overwrite the last ones.
  if (ScopeState.RecallLastSettings && ScopeState.StartupReachedRecall) SettingsFiles().SaveSettings();
  if (!ScopeState.AcquisitionIdle || engine::BodeSweepRunning(ScopeState.OtherInstruments)) {
    ScopeState.CloseRequested = 1;
    CanClose = false;
    Timer1->SetEnabled(true);
    return;
  }
  CanClose = true;
}

void TForm1::Timer1Timer(TObject* /*Sender*/) {
  if (!ScopeState.AcquisitionIdle || ScopeState.CalibrationRunning) return;
  Timer1->SetEnabled(false);
  ScopeState.CloseRequested = 0;
  Close();
}

void TForm1::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
  const CloseUnderWayMark underWay(close_under_way_);

  // The generator writes its own settings as its window closes; the wave
  // editor may refuse (it is then in sight again), and then nothing closes.
  if (ScopeState.OtherInstruments.CloseGenerator && !ScopeState.OtherInstruments.CloseGenerator()) {
    Action = caNone;
    return;
  }

  // Stop the acquisition and power the device down, once.
  if (!ScopeState.ClosingDone) {
    ScopeState.ClosingDone = 1;
    if (!ScopeState.DemoMode) Acquisition().Power_on_off();
    device_.ReleaseDevice();
  }

  // The main settings file. A refused write has been reported; the close
  // goes on, since the device is already down.
  SettingsFiles().WriteMainSettings();
  delete ScopeIni;
  ScopeIni = nullptr;

  // Back to the built-in defaults at the next start.
  if (ScopeState.RestoreDefaultsOnExit) {
    os::DeleteFile(ScopeState.DataFolder + "Darvik48.ini");
    os::DeleteFile(ScopeState.DataFolder + "FGen48.ini");
  }

  // The window goes; its work blocks and the hot key with it.
  Action = caFree;
  ReleaseWorkBlocks();
  UnregisterAppShortcut(kHotKeyId);
}
