// The work behind the main window's front panel: volts/div, coupling, probes,
// positions and channel display, the settings packet every change reaches
// the device with, the time base and the trigger. The main window's handlers
// forward here; the twin panel's buttons reach it through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "device/scope_device.h"
#include "display/scope_view.h"
#include "engine/front_panel.h"
#include "engine/scope_states.h"
#include "engine/settings_packet.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace engine::front_panel {

// The trigger source as the settings packet carries it.
enum class TriggerSource : std::uint8_t { Ch2 = 0, External = 1, Ch1 = 16 };

constexpr std::uint8_t SourceCode(TriggerSource source) { return static_cast<std::uint8_t>(source); }

// The trigger slope as the settings packet carries it.
enum class TriggerSlope : std::uint8_t { Falling = 0, Rising = 32 };

// The source that triggers on channel 1 or 2.
inline constexpr TriggerSource kChannelTriggerSources[2] = {TriggerSource::Ch1, TriggerSource::Ch2};
constexpr TriggerSource ChannelTriggerSource(int channel) { return kChannelTriggerSources[channel - 1]; }

// What the panel's work asks of the main window: the picture cycle, the
// read-outs and the screen texts.
class FrontPanelHost {
 public:
  virtual void putsataanko() = 0;
  virtual void poisto() = 0;
  virtual void piirrot() = 0;
  virtual void TulostaTeksti(const std::string& text, int x, int y, TColor color) = 0;
  virtual void f_alue() = 0;
  virtual void kursoriaika() = 0;
  virtual void kursorivoltit() = 0;
  virtual void kursoritaajuus() = 0;
  virtual void kursoridb() = 0;
  virtual void kursorit() = 0;
  virtual void t_viiva() = 0;
  virtual void viiva() = 0;
  virtual void fft_viiva_on() = 0;
  virtual void fft_viiva_off() = 0;
  virtual void y1_viiva() = 0;
  virtual void y2_viiva() = 0;
  virtual void tee_demo() = 0;
  virtual void rms_out() = 0;
  virtual void FFT() = 0;
  virtual void ShowRangeLabel(int channel, const std::string& label) = 0;
  virtual void ShowTimeBaseLabels(const std::string& label, const std::string& rateText) = 0;
  virtual void ClearHiddenReadouts() = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void ReleasePersist() = 0;

 protected:
  ~FrontPanelHost() = default;
};

// Controls of the main window that other parts make after the front panel;
// read each time they are used.
struct MainWindowControls {
  TImage* const& Image1;
  TScrollBar* const& ScrollBar2;  // horizontal position, 32 = centre
  TTimer* const& Timer2;          // trigger wait
  TGrSpeedButton* const& GrSpeedButton15;  // bit view, nullptr until made
};

class FrontPanelController : public engine::WithScopeStates {
 public:
  FrontPanelController(const engine::ScopeStates& states, FrontPanelControls& panel, FrontPanelHost& host,
                       MainWindowControls window, display::ScopeView& view, device::ScopeDevice& device);

  // ---- Settings packet
  // Builds the control bytes from the engine state and sends the packet.
  void Set500();
  // Sends the packet of the control bytes last built.
  void asetus_1();
  // The settings the next packet carries, from the engine state.
  engine::ScopeSettings CurrentScopeSettings() const;
  void Set_DACs();
  // Apply a change: `kind` 0 for the time base or trigger, 1 or 2 for that
  // channel's range, whose label is `label`.
  void asetus(const std::string& label, int kind);

  // ---- Vertical channels (1 or 2)
  // Applies one volts/div row to a channel, as the front-panel buttons of that row do.
  void ApplyRangeStep(int channel, const engine::RangeStep& step);
  // The volts/div button of row `row`.
  void RangeClick(int channel, std::size_t row);
  // Runs the volts/div handler of range code `code`.
  void RangeCodeClick(int channel, std::uint8_t code);
  // Coupling kAc, kDc or kGnd; the click has put its button in its new state.
  void CouplingClick(int channel, int kind);
  void ProbeClick(int channel, bool x10);
  void PositionChange(int channel);
  // "On" and its hidden "OFF" companion clicked.
  void ChannelOnClick(int channel);
  void ChannelShowClick(int channel);
  // The trace, its label and read-outs as the settings have the channel, in
  // the scope and in the spectrum view.
  void ChannelDso(int channel);
  void ChannelFft(int channel);

  // ---- Time base
  // Applies one row of the time-base table, as the front-panel buttons of that row do.
  void ApplyTimeBaseStep(const engine::TimeBaseStep& step);
  // The handler of TimeBaseTable row `row`.
  void TimeBaseStepClick(std::size_t row);
  // Runs the handler of the time/div button that is down (scope mode) or of
  // the span button that is down (spectrum mode).
  void ReapplyTimeBase();
  // The time-base apply operation: labels, magnification, position bars.
  void AsetaAika(int pixelStep, const std::string& label);
  // "S/L": linear or sine interpolation.
  void InterpolationClick();
  // The horizontal position bar moved, and its preset button.
  void HorizontalPositionChange();
  void PositionPresetClick();
  // The time/div and span buttons of both panels show the settings' rows.
  void ShowTimeBase();
  // The channel's buttons on both panels show the settings.
  void ShowChannelSettings(int channel);

  // ---- Trigger
  void TriggerSourceClick(TriggerSource source);
  void TriggerSlopeClick(TriggerSlope slope);
  // "On" and "Off".
  void TriggerOnClick();
  void TriggerOffClick();
  // The level bar moved.
  void TriggerLevelChange();
  // DemoMode changed: the device level follows the level bar (inverted in
  // demo mode, where the demo trigger search reads it) and is sent again.
  void RefreshDeviceTriggerLevel();
  // The source, edge and on/off buttons, and the level bars, of both panels
  // show the settings' trigger.
  void ShowTrigger();
  void ShowTriggerLevel();

 private:
  // Autoset, the bit view and "Logic Analyzer" become usable with a new time base.
  void ms500off();
  // Status label and panel of both windows for the trigger's state.
  void ShowTriggerState();
  // Shows or hides a channel's trace (in the spectrum view, the other
  // channel takes the opposite) and the buttons of both panels follow.
  void ShowChannel(int channel, bool shown);
  void ChannelScopeView(int channel, bool show);
  void ChannelSpectrumView(int channel, bool show);

  FrontPanelControls& panel_;
  FrontPanelHost& host_;
  MainWindowControls window_;
  display::ScopeView& view_;
  device::ScopeDevice& device_;
  // Sticky trigger bits of c6 as the last packet left them (the time-base
  // register is TimeBaseRegister).
  engine::PacketStickyBits PacketBits;
  // The position bars move a stopped trace only while set; cleared while
  // the twins' bars are written back, whose handlers come back here.
  std::uint8_t PositionShiftArmed = 1;
  // The sample-rate text the next AsetaAika prints.
  std::string NextSampleRateText = "125kS/s";
};

}  // namespace engine::front_panel
