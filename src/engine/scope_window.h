// The scope window as the other windows and instruments see it: the window
// itself, the controls they press or read, the controllers that do its work,
// its picture cycle and the few handlers that stay the window's own. The
// main window (TForm1) is the one implementation.
#pragma once

#include <cstdint>

#include "platform/ui/types.h"

class GeneratorPanel;
class TComponent;
class TForm;
class TForm1;
class TGrSpeedButton;
class TImage;
class TIniFile;
class TScrollBar;
class TTimer;
struct AnalysisControls;
struct FrontPanelControls;

namespace device {
class ScopeDevice;
}
namespace display {
struct ScopeView;
}
namespace engine {
struct ScopeStates;
struct WithScopeStates;
}
namespace engine::acquisition {
class AcquisitionController;
}
namespace engine::files {
class FilesController;
}
namespace engine::front_panel {
class FrontPanelController;
}
namespace engine::markers {
struct MarkerControls;
class MarkersController;
}
namespace engine::persistence {
struct HistoryControls;
class PersistenceController;
}
namespace engine::settings_files {
class SettingsFilesController;
}
namespace engine::spectrum {
class SpectrumController;
}

namespace engine {

class ScopeWindow {
 public:
  // The window (shown, hidden, moved, closed) and the states it works on.
  virtual TForm& Window() = 0;
  virtual WithScopeStates& States() = 0;

  // The control groups: the front panel (channels, trigger, time base, Run
  // and Single, "Oscilloscope", "Persist"), the spectrum, math and averaging
  // controls, the marker items of View and the history bar.
  virtual FrontPanelControls& Panel() = 0;
  virtual AnalysisControls& Analysis() = 0;
  virtual markers::MarkerControls& MarkerItems() = 0;
  virtual persistence::HistoryControls& HistoryBar() = 0;

  // Single controls; nullptr until the window has made them.
  virtual TImage* Picture() = 0;                  // Image1, the scope picture
  virtual TScrollBar* PositionBar() = 0;          // ScrollBar2, horizontal position
  virtual TGrSpeedButton* BitViewButton() = 0;    // GrSpeedButton15 "10110010"
  virtual TGrSpeedButton* BigScreenButton() = 0;  // GrSpeedButton1 "Big Screen"
  virtual TGrSpeedButton* RecorderButton() = 0;   // SpeedButton27 "Transient Recorder"
  virtual TTimer* MailboxTimer() = 0;             // Timer5, generator mailbox poll
  virtual TTimer* SweepBarTimer() = 0;            // Timer91, generator sweep bar
  virtual TTimer* BigScreenTimer() = 0;           // Timer7, Big Screen again after the recorder
  virtual GeneratorPanel* Generator() const = 0;  // the generator's controls on the window
  virtual TIniFile* Ini() = 0;                    // "Darvik48.ini" while open
  // The recorder's demo flags: Hardware Setup chose demo mode since the
  // recorder last showed; its demo tables are built.
  virtual std::uint8_t& RecorderDemoChange() = 0;
  virtual std::uint8_t& RecorderDemoReady() = 0;

  // The controllers behind the window's handlers.
  virtual front_panel::FrontPanelController& FrontPanel() = 0;
  virtual acquisition::AcquisitionController& Acquisition() = 0;
  virtual spectrum::SpectrumController& Spectrum() = 0;
  virtual persistence::PersistenceController& Persistence() = 0;
  virtual markers::MarkersController& Markers() = 0;
  virtual files::FilesController& Files() = 0;
  virtual settings_files::SettingsFilesController& SettingsFiles() = 0;

  // The picture cycle: Image1 as the drawing code sees it; the rebuild when
  // a wipe is pending; the traces drawn.
  virtual display::ScopeView& View() = 0;
  virtual void putsataanko() = 0;
  virtual void piirrot() = 0;

  // Handlers that stay the window's own.
  virtual void CloseFromSignal() = 0;
  virtual void Colors1Click(TObject* Sender) = 0;
  virtual void SpeedButton26Click(TObject* Sender) = 0;
  virtual void SpeedButton27Click(TObject* Sender) = 0;
  virtual void GrSpeedButton15Click(TObject* Sender) = 0;
  virtual void GrSpeedButton1Click(TObject* Sender) = 0;
  virtual void Form10KeyDown(unsigned short Key, TShiftState Shift) = 0;

  // One word of the generator mailbox; a word outside its block takes no write.
  virtual void SetShareData1(int index, std::int32_t value) = 0;

 protected:
  ~ScopeWindow() = default;
};

// The scope window of the program; nullptr before it is made and after it went.
ScopeWindow* TheScopeWindow();

// Makes the program's scope window, owned by the application (the first
// window made becomes the main window), driving `device` and working on
// `states`; frees it again.
TForm& CreateScopeWindow(device::ScopeDevice& device, const ScopeStates& states);
void FreeScopeWindow();

// A scope window handed on as the main window (the settings files' keys).
ScopeWindow& ScopeWindowOf(TForm1& window);
const ScopeWindow& ScopeWindowOf(const TForm1& window);

}  // namespace engine
