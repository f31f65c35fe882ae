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

namespace engine::acquisition {
class AcquisitionController;
}

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
// read-outs, the screen texts and the demo source of the acquisition.
class FrontPanelHost {
 public:
  virtual engine::acquisition::AcquisitionController& Acquisition() = 0;
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

  // The main window's panel, which this controller works.
  FrontPanelControls& Controls() { return panel_; }

  // ---- Handlers of the panel's controls (the main window's and its twin's)
  // Time/div steps, in TimeBaseTable row order; each presses its own button
  // (and its twin), so callers need not. In spectrum mode the same handlers
  // serve the span buttons.
  void SpeedButton500msClick(TObject*) { TimeBaseStepClick(0); }
  void SpeedButton200msClick(TObject*) { TimeBaseStepClick(1); }
  void SpeedButton50usClick(TObject*) { TimeBaseStepClick(2); }   // "100ms"
  void SpeedButton01sClick(TObject*) { TimeBaseStepClick(3); }    // "50ms"
  void peedButton50msClick(TObject*) { TimeBaseStepClick(4); }    // "20ms"
  void SpeedButton20msClick(TObject*) { TimeBaseStepClick(5); }   // "10ms"
  void SpeedButton10msClick(TObject*) { TimeBaseStepClick(6); }   // "5ms"
  void SpeedButton5msClick(TObject*) { TimeBaseStepClick(7); }    // "2ms"
  void SpeedButton2msClick(TObject*) { TimeBaseStepClick(engine::kTimeBase1ms); }
  void SpeedButton1msClick(TObject*) { TimeBaseStepClick(9); }    // "0.5ms"
  void SpeedButton05msClick(TObject*) { TimeBaseStepClick(10); }  // "0.2ms"
  void SpeedButton02msClick(TObject*) { TimeBaseStepClick(11); }  // "0.1ms"
  void SpeedButton01msClick(TObject*) { TimeBaseStepClick(12); }  // "50us"
  void SpeedButton20usClick(TObject*) { TimeBaseStepClick(13); }
  void SpeedButton55Click(TObject*) { TimeBaseStepClick(14); }    // span "6M"
  void SpeedButton10usClick(TObject*) { TimeBaseStepClick(15); }
  void SpeedButton5usClick(TObject*) { TimeBaseStepClick(16); }
  void SpeedButton2usClick(TObject*) { TimeBaseStepClick(17); }
  void SpeedButton1usClick(TObject*) { TimeBaseStepClick(18); }
  void SpeedButton05usClick(TObject*) { TimeBaseStepClick(19); }
  void SpeedButton02usClick(TObject*) { TimeBaseStepClick(20); }
  void SpeedButton01usClick(TObject*) { TimeBaseStepClick(21); }
  void SpeedButton20nsClick(TObject*) {}  // no control calls it
  void SpeedButton005usClick(TObject*) { InterpolationClick(); }  // "S/L"
  void ScrollBar2Change(TObject*) { HorizontalPositionChange(); }
  void SpeedButton24Click(TObject*) { PositionPresetClick(); }
  // Volts/div, in RangeTable order per channel.
  void SpeedButton28Click(TObject*) { RangeClick(1, 0); }
  void SpeedButton15v1Click(TObject*) { RangeClick(1, engine::kRange1V); }
  void SpeedButton5v1Click(TObject*) { RangeClick(1, 2); }
  void SpeedButton1p5v1Click(TObject*) { RangeClick(1, 3); }
  void SpeedButton05v1Click(TObject*) { RangeClick(1, 4); }
  void SpeedButton015v1Click(TObject*) { RangeClick(1, 5); }
  void SpeedButton29Click(TObject*) { RangeClick(2, 0); }
  void SpeedButton15v2Click(TObject*) { RangeClick(2, engine::kRange1V); }
  void SpeedButton5v2Click(TObject*) { RangeClick(2, 2); }
  void SpeedButton1p5v2Click(TObject*) { RangeClick(2, 3); }
  void SpeedButton05v2Click(TObject*) { RangeClick(2, 4); }
  void SpeedButton015v2Click(TObject*) { RangeClick(2, 5); }
  // Coupling, probes, positions and channel display.
  void SpeedButton_ac1Click(TObject*) { CouplingClick(1, kAc); }
  void SpeedButton_dc1Click(TObject*) { CouplingClick(1, kDc); }
  void SpeedButton_gnd1Click(TObject*) { CouplingClick(1, kGnd); }
  void SpeedButton__ac2Click(TObject*) { CouplingClick(2, kAc); }
  void SpeedButton_dc2Click(TObject*) { CouplingClick(2, kDc); }
  void SpeedButton_gnd2Click(TObject*) { CouplingClick(2, kGnd); }
  void x11Click(TObject*) { ProbeClick(1, false); }
  void x101Click(TObject*) { ProbeClick(1, true); }
  void x12Click(TObject*) { ProbeClick(2, false); }
  void x102Click(TObject*) { ProbeClick(2, true); }
  void TrackBar1Change(TObject*) { PositionChange(1); }
  void TrackBar2Change(TObject*) { PositionChange(2); }
  void CH1onClick(TObject*) { ChannelOnClick(1); }
  void CH2onClick(TObject*) { ChannelOnClick(2); }
  void SpeedButtonCh1Click(TObject*) { ChannelShowClick(1); }
  void SpeedButtonCh2Click(TObject*) { ChannelShowClick(2); }
  // CH1's trace, label and read-outs as the settings have it.
  void ch1_dso() { ChannelDso(1); }
  // Trigger source "Ch1", "Ch2", "Ext"; slope rising, falling; "On", "Off";
  // the level bar. Each presses its own button and its twin.
  void SpeedButton3Click(TObject*) { TriggerSourceClick(TriggerSource::Ch1); }
  void SpeedButton4Click(TObject*) { TriggerSourceClick(TriggerSource::Ch2); }
  void SpeedButton_extClick(TObject*) { TriggerSourceClick(TriggerSource::External); }
  void SpeedButton5Click(TObject*) { TriggerSlopeClick(TriggerSlope::Rising); }
  void SpeedButton6Click(TObject*) { TriggerSlopeClick(TriggerSlope::Falling); }
  void SpeedButton7Click(TObject*) { TriggerOnClick(); }
  void SpeedButton8Click(TObject*) { TriggerOffClick(); }
  void TrackBar3Change(TObject*) { TriggerLevelChange(); }

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

// The main window's front panel; nullptr while there is no main window.
FrontPanelController* MainFrontPanel();

}  // namespace engine::front_panel
