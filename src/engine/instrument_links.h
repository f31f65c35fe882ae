// What the scope window asks of the instruments built on it (the function
// generator, the transient recorder and the Bode plotter), and what those
// ask of one another through the scope's floor (the generator panel on the
// recorder window, a running Bode sweep, the recorder in sight). The program
// fills these in at start-up, before the first window exists, and the
// scope's state holds them; one left empty does nothing, as if that
// instrument were not there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class GeneratorPanel;
class TComponent;
class TForm;
class TMenuItem;
class TObject;
class TWinControl;

namespace engine {

class ScopeWindow;
struct SettingsFileKey;

// Where the other instruments' keys go in the settings files' key table.
enum class SettingsKeyPlace {
  kAfterScopeChannels,  // the recorder's channels and markers
  kAfterScopeTime,      // the recorder's time buttons
  kEnd,                 // the instrument shown, the generator
};

struct InstrumentLinks {
  // ---- The function generator.
  // Its panel on a window (the scope's or the recorder's).
  struct PanelPlace {
    TForm* Owner;
    TWinControl* Parent;
    int Left;
    int Top;
    bool ScopeWindow;
    TMenuItem* OptionsMenu;
    TMenuItem* ToolsMenu;
  };
  std::function<GeneratorPanel*(const PanelPlace&)> MakeGeneratorPanel;
  std::function<void()> StepSweepProgress;            // the scope's Timer91
  std::function<void(ScopeWindow&)> ServeGeneratorMailbox;  // the scope's Timer5
  std::function<void()> GeneratorStartValues;         // on, sweep running
  std::function<void()> ActivateGenerator;
  std::function<void(bool device)> SetGeneratorHardware;
  std::function<bool()> GeneratorOnDevice;
  std::function<void()> GeneratorOutputOff;
  // Its settings file that cannot be used is told of, once.
  std::function<void()> TellIfGeneratorSettingsUnusable;
  // Whether the wave editor's unsaved text lets the program close (asks).
  std::function<bool()> GeneratorMayClose;
  // Closes the generator's window; false when the wave editor refused.
  std::function<bool()> CloseGenerator;

  // ---- The transient recorder.
  std::function<void(ScopeWindow&)> OpenRecorder;  // "Transient Recorder"
  std::function<bool()> RecorderExists;
  std::function<bool()> RecorderShown;
  std::function<void()> RecorderToScope;      // its "Oscilloscope" button
  std::function<void()> RecorderToSpectrum;   // its "Spectrum Analyzer" button
  std::function<TForm*()> RecorderTextEditor;  // its "Add Text" window
  // The scope's colour table changed (sender: the scope window).
  std::function<void(TObject* sender)> RecorderTakesScreenColors;
  // At start-up: the colour table copied and a fresh recorder picture.
  std::function<void()> RecorderStartColors;
  std::function<void(int channel, bool x10)> RecorderProbeCaptions;
  std::function<void(int channel, int position)> RecorderPositionFollows;
  std::uint8_t* RecorderBrightGrid = nullptr;  // "BrightGrid_rec" in the main settings file

  // ---- The Bode plotter.
  std::function<void(ScopeWindow&)> OpenBodePlotter;  // "Circuit Analyzer"
  // The Bode window's range radios follow the CH1 range buttons.
  std::function<void(std::size_t row, const char* caption)> BodeRangeCaption;
  // A CH1 range was chosen (its row, when it has one): the Bode window's
  // radio follows and the plot is drawn again.
  std::function<void(std::optional<std::size_t> row)> BodeRangeChosen;
  std::function<void()> StopBodeSweep;
  std::function<bool()> BodeSweepRunning;
  // Its flags in the main settings file.
  std::uint8_t* BodeNoScope = nullptr;  // "No_scope"
  std::uint8_t* Bodehelp = nullptr;
  std::uint8_t* Phasehelp = nullptr;

  // ---- The settings files: the other instruments' keys at their place.
  std::function<void(SettingsKeyPlace, std::vector<SettingsFileKey>&)> AddSettingsKeys;
};

// A Bode sweep holds the generator and the scope.
inline bool BodeSweepRunning(const InstrumentLinks& links) { return links.BodeSweepRunning && links.BodeSweepRunning(); }

}  // namespace engine
