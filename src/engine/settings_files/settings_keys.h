// The key table of the scope settings files (".set" and "settings48.ini"):
// what one key is, how the recall takes its steps, and the small rules by
// which keys are written and put back. The scope window builds the table; the
// other instruments add their keys at their places (see instrument_links.h).
#pragma once

#include <array>
#include <cmath>
#include <functional>

#include "engine/scope_settings.h"

class TForm1;
class TGrSpeedButton;
class TMenuItem;
class TSpeedButton;
class TTrackBar;

namespace engine {

// The recall's steps. ApplySettings takes them in its own order, which the
// handlers need, with the moves between instruments in between; within a
// step the keys go in file order.
enum class RecallStep {
  kPersistenceMode, kPersistenceText, kPersistenceDuration, kInterpolation, kChannels, kTime, kTrigger,
  kAverage, kNoiseReject, kDsoMarkers, kMath, kView, kRecorderChannels, kRecorderTime, kRecorderMarkers,
  kSpectrum, kFftMarkers, kDotJoin, kInstrument, kGeneratorOn, kGeneratorRange, kGeneratorWave,
  kGeneratorLevels, kGeneratorSymmetry, kGeneratorOffset, kGeneratorAmplitudePosition, kMathButton,
  kPositionX,
};

// What one recall carries from key to key.
struct RecallState {
  bool PersistenceChosen = false;  // the first stored persistence mode is in
  bool Generator = false;          // the file turns the generator on
  double Frequency = 0;            // the stored generator frequency
};

struct SettingsFileKey {
  const char* Section;
  const char* Key;
  RecallStep Step;
  // Adds the key with the program's value; nothing while the control it
  // names is missing.
  std::function<void(const TForm1&, SettingsList&, const SettingsFileKey&)> Write;
  // Puts the stored value back through the controls' handlers.
  std::function<void(TForm1&, const SettingsSnapshot&, const SettingsFileKey&, RecallState&)> Recall;
};

namespace keys {

// Keys of one channel's coupling and volts/div buttons, in file order.
inline constexpr const char* kCouplingKeys[3] = {"AC", "DC", "GND"};
inline constexpr const char* kRangeKeys[6] = {"3V", "1V", "0.3V", "0.1V", "30mV", "10mV"};

// One channel's buttons: on, probes, coupling, ranges, position.
struct ChannelButtons {
  TGrSpeedButton* On;
  std::array<TGrSpeedButton*, 2> Probes;
  std::array<TGrSpeedButton*, 3> Coupling;
  std::array<TGrSpeedButton*, 6> Ranges;
  TTrackBar* Position;
};

void FlagOf(SettingsList& l, const char* section, const char* key, const TSpeedButton* b);
void FlagOf(SettingsList& l, const char* section, const char* key, const TMenuItem* item);
void RunClick(TSpeedButton* b);
void RunClick(TMenuItem* item);
// A stand-alone on/off button's key: a stored state that differs flips it.
void ToggleRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b);
// A button of a one-down group: put down as stored, its handler run if down.
void SelectRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b);
// A bar position, then the bar's handler.
void PutPosition(const SettingsSnapshot& f, const char* section, const char* key, TTrackBar* bar,
                 const std::function<void()>& handler);
// A stored number, read with '.' or ','; anything else is reported and the
// default taken. A number outside [low, high] is taken as missing.
double StoredNumber(const SettingsSnapshot& f, const char* section, const char* key, const char* fallback,
                    double low = -HUGE_VAL, double high = HUGE_VAL);

// How a button's key comes back.
enum class ButtonRecall { kToggle, kSelect, kDownOnly };
using ButtonOf = std::function<TSpeedButton*(const TForm1&)>;
using ItemOf = std::function<TMenuItem*(const TForm1&)>;

// A key that is a button's down state, written from `written` (the button
// itself when empty) and recalled through the button.
SettingsFileKey ButtonKey(const char* section, const char* key, RecallStep step, ButtonOf button, ButtonRecall rule,
                          std::function<bool(const TForm1&)> written = {});
// A key that is a menu item's check mark, written from `written` (the item
// itself when empty) and recalled through the item's handler.
SettingsFileKey MenuKey(const char* section, const char* key, RecallStep step, ItemOf item,
                        std::function<bool(const TForm1&)> written = {});

}  // namespace keys

}  // namespace engine
