// The oscilloscope front panel shared by the main window (TForm1) and the
// twin control panel of the Big Screen (TForm11): channel, trigger and
// time-base controls as typed members. Both windows derive from
// FrontPanelControls, build it with BuildFrontPanel and then bind their own
// handlers (the main window its real handlers, the twin panel its forwards
// to the main window).
//
// What binds what on TForm1 after BuildFrontPanel:
//   time base, "S/L", SpeedButton24, vertical channels, Run/Single:
//     TForm1::CreateFrontPanel;
//   trigger source, slope, On/Off and TrackBar3: TForm1::BindTriggerHandlers.
#pragma once

#include <array>
#include <memory>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace display {
struct DisplaySharedState;
}

// The input coupling a channel's buttons choose.
enum Coupling { kAc, kDc, kGnd };

struct FrontPanelControls {
  // ---- Group boxes
  TGroupBox* GroupBox1 = nullptr;   // "Volts/Div.": both channels
  TGroupBox* Trigger = nullptr;     // "Trigger"
  TGroupBox* Time_div = nullptr;    // "Time/Div.": shown in scope mode
  TGroupBox* Freq_Range = nullptr;  // "Freq. Range": shown in spectrum mode instead

  // ---- Acquisition: each a group of one that may be all up
  TGrSpeedButton* SpeedButtonRun = nullptr;     // "Run"
  TGrSpeedButton* SpeedButtonSingle = nullptr;  // "Single"

  // ---- CH1 (radio group 1) and CH2 (group 2) volts/div, least to most sensitive
  TGrSpeedButton* SpeedButton28 = nullptr;     // "3V"
  TGrSpeedButton* SpeedButton15v1 = nullptr;   // "1V", down at start
  TGrSpeedButton* SpeedButton5v1 = nullptr;    // "0.3V"
  TGrSpeedButton* SpeedButton1p5v1 = nullptr;  // "0.1V"
  TGrSpeedButton* SpeedButton05v1 = nullptr;   // "30mV"
  TGrSpeedButton* SpeedButton015v1 = nullptr;  // "10mV"
  TGrSpeedButton* SpeedButton29 = nullptr;
  TGrSpeedButton* SpeedButton15v2 = nullptr;
  TGrSpeedButton* SpeedButton5v2 = nullptr;
  TGrSpeedButton* SpeedButton1p5v2 = nullptr;
  TGrSpeedButton* SpeedButton05v2 = nullptr;
  TGrSpeedButton* SpeedButton015v2 = nullptr;

  // ---- Coupling: CH1 group 21, CH2 group 22; "DC" down at start
  TGrSpeedButton* SpeedButton_ac1 = nullptr;
  TGrSpeedButton* SpeedButton_dc1 = nullptr;
  TGrSpeedButton* SpeedButton_gnd1 = nullptr;
  TGrSpeedButton* SpeedButton__ac2 = nullptr;
  TGrSpeedButton* SpeedButton_dc2 = nullptr;
  TGrSpeedButton* SpeedButton_gnd2 = nullptr;

  // ---- Probes: CH1 group 751, CH2 group 752; "x1" down at start
  TGrSpeedButton* x11 = nullptr;
  TGrSpeedButton* x101 = nullptr;
  TGrSpeedButton* x12 = nullptr;
  TGrSpeedButton* x102 = nullptr;

  // ---- Channel display: "On" (groups 55 and 56, all-up allowed, down at
  // start) and their hidden "OFF" companions (down = channel hidden)
  TGrSpeedButton* CH1on = nullptr;
  TGrSpeedButton* CH2on = nullptr;
  TGrSpeedButton* SpeedButtonCh1 = nullptr;
  TGrSpeedButton* SpeedButtonCh2 = nullptr;
  TGrSpeedButton* Autoset1 = nullptr;  // "Autoset"
  TGrSpeedButton* Autoset2 = nullptr;
  TLabel* LabelCh1 = nullptr;  // "CH1", in CH1's colour (grey while hidden)
  TLabel* LabelCh2 = nullptr;

  // ---- Positions (vertical, -128..127) and trigger level (0..255)
  TTrackBar* TrackBar1 = nullptr;
  TTrackBar* TrackBar2 = nullptr;
  TTrackBar* TrackBar3 = nullptr;

  // ---- Trigger: source group 5 ("Ext" hidden), slope group 6 (glyphs),
  // On/Off group 7 ("Off" down at start); SpeedButton24 puts the horizontal
  // position at its preset (glyph)
  TGrSpeedButton* SpeedButton3 = nullptr;     // "Ch1", down at start
  TGrSpeedButton* SpeedButton4 = nullptr;     // "Ch2"
  TGrSpeedButton* SpeedButton_ext = nullptr;  // "Ext"
  TGrSpeedButton* SpeedButton5 = nullptr;     // rising edge, down at start
  TGrSpeedButton* SpeedButton6 = nullptr;     // falling edge
  TGrSpeedButton* SpeedButton7 = nullptr;     // "On"
  TGrSpeedButton* SpeedButton8 = nullptr;     // "Off"
  TGrSpeedButton* SpeedButton24 = nullptr;
  TPanel* Panel2 = nullptr;  // status panel, 0xC0B0B0 while the trigger is on
  TLabel* Label3 = nullptr;  // on Panel2: "Trigger off", "Running", ...

  // ---- Time/div (radio group 4), in TimeBaseTable order; names as the
  // handlers know them (several do not match their captions)
  TGrSpeedButton* SpeedButton500ms = nullptr;  // "500ms"
  TGrSpeedButton* SpeedButton200ms = nullptr;  // "200ms"
  TGrSpeedButton* SpeedButton50us = nullptr;   // "100ms"
  TGrSpeedButton* SpeedButton01s = nullptr;    // "50ms"
  TGrSpeedButton* SpeedButton50ms = nullptr;   // "20ms"
  TGrSpeedButton* SpeedButton20ms = nullptr;   // "10ms"
  TGrSpeedButton* SpeedButton10ms = nullptr;   // "5ms"
  TGrSpeedButton* SpeedButton5ms = nullptr;    // "2ms"
  TGrSpeedButton* SpeedButton2ms = nullptr;    // "1ms", down at start
  TGrSpeedButton* SpeedButton1ms = nullptr;    // "0.5ms"
  TGrSpeedButton* SpeedButton05ms = nullptr;   // "0.2ms"
  TGrSpeedButton* SpeedButton02ms = nullptr;   // "0.1ms"
  TGrSpeedButton* SpeedButton01ms = nullptr;   // "50us"
  TGrSpeedButton* SpeedButton20us = nullptr;   // "20us"
  TGrSpeedButton* SpeedButton10us = nullptr;   // "10us"
  TGrSpeedButton* SpeedButton5us = nullptr;    // "5us"
  TGrSpeedButton* SpeedButton2us = nullptr;    // "2us"
  TGrSpeedButton* SpeedButton1us = nullptr;    // "1us"
  TGrSpeedButton* SpeedButton05us = nullptr;   // "0.5us"
  TGrSpeedButton* SpeedButton02us = nullptr;   // "0.2us"
  TGrSpeedButton* SpeedButton01us = nullptr;   // "0.1us"
  // "S/L": sine or linear interpolation (group 8, all-up allowed, disabled
  // at start; a four-state glyph strip)
  TGrSpeedButton* SpeedButton005us = nullptr;

  // ---- Spectrum spans (radio group 22), same handlers as the time/div row
  TGrSpeedButton* SpeedButton120Hz = nullptr;  // "120Hz"
  TGrSpeedButton* SpeedButton300Hz = nullptr;  // "300Hz"
  TGrSpeedButton* SpeedButton01 = nullptr;     // "600Hz"
  TGrSpeedButton* SpeedButton1 = nullptr;      // "1.2k"
  TGrSpeedButton* SpeedButton2 = nullptr;      // "3k"
  TGrSpeedButton* SpeedButton9 = nullptr;      // "6k"
  TGrSpeedButton* SpeedButton10 = nullptr;     // "12k"
  TGrSpeedButton* SpeedButton11 = nullptr;     // "30k"
  TGrSpeedButton* SpeedButton12 = nullptr;     // "60k"
  TGrSpeedButton* SpeedButton13 = nullptr;     // "120k", down at start
  TGrSpeedButton* SpeedButton14 = nullptr;     // "300k"
  TGrSpeedButton* SpeedButton15 = nullptr;     // "0.6M"
  TGrSpeedButton* SpeedButton16 = nullptr;     // "1.2M"
  TGrSpeedButton* SpeedButton18 = nullptr;     // "3M"
  TGrSpeedButton* SpeedButton17 = nullptr;     // "6M" (span only)
  TGrSpeedButton* SpeedButton19 = nullptr;     // "12M"
  TGrSpeedButton* SpeedButton20 = nullptr;     // "25M", never visible

  // ---- Mode buttons beside the picture, made with their modes (nullptr
  // until then): math trace, spectrum analyser, persistence
  TGrSpeedButton* SpeedButton21 = nullptr;
  TGrSpeedButton* SpeedButton22 = nullptr;
  TGrSpeedButton* SpeedButton23 = nullptr;

  // The twelve volts/div buttons of one channel (1 or 2) in RangeTable order.
  std::array<TGrSpeedButton*, 6> RangeButtons(int channel) const;
};

// A control of the front panel as a member, the same on both windows:
// `panel.*control` is that window's control.
template <class T>
using PanelControl = T* FrontPanelControls::*;

// The names and button groups of a channel's column of controls, the same on
// the scope's front panel, its twin and the recorder (settings files and
// remote commands know the controls by these names).
struct ChannelControlNames {
  const char* Label;
  const char* Caption;
  int CouplingGroup;
  std::array<const char*, 3> Coupling;  // AC, DC, GND
  int OnGroup;
  const char* On;
  int OffGroup;
  const char* Off;  // the hidden companion of "On"
  const char* Bar;  // the position bar
};
inline constexpr std::array<ChannelControlNames, 2> kChannelControlNames{{
    {"LabelCh1", "CH1", 21, {"SpeedButton_ac1", "SpeedButton_dc1", "SpeedButton_gnd1"}, 55, "CH1on", 57,
     "SpeedButtonCh1", "TrackBar1"},
    {"LabelCh2", "CH2", 22, {"SpeedButton__ac2", "SpeedButton_dc2", "SpeedButton_gnd2"}, 56, "CH2on", 58,
     "SpeedButtonCh2", "TrackBar2"},
}};
inline constexpr std::array<const char*, 3> kCouplingCaptions{"AC", "DC", "GND"};

// Size of the area BuildFrontPanel fills, from the parent's top-left corner.
constexpr int kFrontPanelWidth = 530;
constexpr int kFrontPanelHeight = 296;

// Creates every control above on `parent`, owned by `owner` and named as
// the members are (the names settings files and remote commands use), with captions, groups, glyphs,
// fonts and the start-up states; binds no handler.
void BuildFrontPanel(TForm* owner, TWinControl* parent, FrontPanelControls& panel, const display::DisplaySharedState& display);
