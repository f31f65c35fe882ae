// The menu program that "Exit to Menu" hands over to.
#pragma once

#include <string>

class ControlMaker;
class TGrSpeedButton;
class TWinControl;

namespace engine {

// Width of the instrument buttons on the main window and the twin panel.
inline constexpr int kInstrumentButtonWidth = 106;

// "Function Generator", "Circuit Analyzer" and "Transient Recorder" from
// (x, y) of `parent`, in a row or in a column, as the main window and the
// twin panel carry them.
struct InstrumentButtons {
  TGrSpeedButton* FunctionGenerator = nullptr;  // SpeedButton25
  TGrSpeedButton* CircuitAnalyzer = nullptr;    // SpeedButton26
  TGrSpeedButton* TransientRecorder = nullptr;  // SpeedButton27
};
InstrumentButtons MakeInstrumentButtons(ControlMaker& make, TWinControl* parent, int x, int y, bool column = false);

// The menu program installed beside this program ("quenlow", or under its
// other platform's name "Quenlow.EXE"); empty when there is none.
std::string MenuProgramPath(const std::string& programFolder);
// Starts it when it is there; false when it is not or would not start.
bool StartMenuProgram(const std::string& programFolder);

}  // namespace engine
