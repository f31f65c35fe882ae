// Creation and release of every window of the program, in the fixed start-up order.
#pragma once

#include <string>
#include <vector>

class TForm;
namespace bode {
struct BodeSharedState;
}
namespace device {
class ScopeDevice;
}
namespace engine {
struct ScopeStates;
}
namespace recorder {
struct RecorderSharedState;
}
namespace generator {
struct GeneratorSharedState;
}

// Application title and floating-point mode, set before any window exists.
void PrepareApplication();
// Makes or opens the shared-memory export and the two remote-control
// mailboxes; when one cannot be had, says in a message box that sample
// export and remote control are off and why, and returns false: the program
// then runs without them.
bool OpenSharedMemory();

// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C) close the program
// like the window's close box, but asking nothing: what could not be saved is
// told on standard error. Needs the Qt application; false when the handlers
// cannot be set up.
bool CloseOnTerminationSignals();

// Creates the device, the scope's, the generator's, the Bode plotter's and the recorder's
// states and each window once, main window first, and hands them to the windows that use them; each creation handler sees only
// the windows created before it. A second call while the windows exist does nothing.
void CreateAllWindows();
// Frees every window, in reverse order of creation.
void FreeAllWindows();

// Puts every subsystem's shared values and the application's terminated flag
// back to their start-up state, so the program can be built afresh in the same
// process. Call it with no windows created.
void ResetProgramState();

// The device the windows drive: the one CreateAllWindows hands them (made
// now when they are yet to come); a fresh one after ResetProgramState.
device::ScopeDevice& CreatedDevice();
// The scope's states the windows are handed, likewise.
engine::ScopeStates CreatedScopeStates();
// The Bode plotter's state the windows are handed, likewise.
bode::BodeSharedState& CreatedBodeState();
// The recorder's state the recorder's windows share, the same way.
recorder::RecorderSharedState& CreatedRecorderState();
// The function generator's state the windows share, made and renewed as the device is.
generator::GeneratorSharedState& CreatedGeneratorState();

// One window as CreateAllWindows made it.
struct CreatedWindow {
  std::string ClassName;
  TForm* Form = nullptr;
};
// The windows in creation order; empty before CreateAllWindows and after FreeAllWindows.
const std::vector<CreatedWindow>& CreatedWindows();
