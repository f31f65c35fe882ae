// The table of the scope settings files' keys: every key of "settings48.ini"
// and the ".set" files in file order, with how the writer takes its value
// and the recall puts it back, and the places of the other instruments' keys.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "display/persistence.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/persistence_options.h"
#include "engine/scope_settings.h"
#include "engine/scope_state.h"
#include "engine/settings_files/settings_keys.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace {

using engine::keys::ButtonRecall;
using engine::keys::ChannelButtons;
using engine::keys::kCouplingKeys;
using engine::keys::kRangeKeys;
constexpr const char* kTimeKeys[21] = {"500ms", "200ms", "100ms", "50ms",  "20ms",  "10ms",  "5ms",
                                       "2ms",   "1ms",   "0.5ms", "0.2ms", "0.1ms", "50us",  "20us",
                                       "10us",  "5us",   "2us",   "1us",   "0.5us", "0.2us", "0.1us"};
constexpr const char* kSpanKeys[17] = {"120Hz", "300Hz", "600Hz",  "1.2kHz", "3kHz",   "6kHz",
                                       "12kHz", "30kHz", "60kHz",  "120kHz", "300kHz", "0.6MHz",
                                       "1.2MHz", "3MHz", "6MHz",   "12MHz",  "25MHz"};
constexpr const char* kAverageKeys[8] = {"Off", "2", "4", "8", "16", "32", "64", "128"};
constexpr const char* kMathKeys[6] = {"CH1+CH2", "CH1-CH2", "Multi", "Divi", "XY_Plot", "CH2_Invert"};
constexpr const char* kWindowKeys[5] = {"Rectangle", "Bartlett", "Hamming", "Hanning", "Blackman"};

TGrSpeedButton* FrontPanelControls::*const kTimeMembers[21] = {
    &FrontPanelControls::SpeedButton500ms, &FrontPanelControls::SpeedButton200ms,
    &FrontPanelControls::SpeedButton50us,  &FrontPanelControls::SpeedButton01s,
    &FrontPanelControls::SpeedButton50ms,  &FrontPanelControls::SpeedButton20ms,
    &FrontPanelControls::SpeedButton10ms,  &FrontPanelControls::SpeedButton5ms,
    &FrontPanelControls::SpeedButton2ms,   &FrontPanelControls::SpeedButton1ms,
    &FrontPanelControls::SpeedButton05ms,  &FrontPanelControls::SpeedButton02ms,
    &FrontPanelControls::SpeedButton01ms,  &FrontPanelControls::SpeedButton20us,
    &FrontPanelControls::SpeedButton10us,  &FrontPanelControls::SpeedButton5us,
    &FrontPanelControls::SpeedButton2us,   &FrontPanelControls::SpeedButton1us,
    &FrontPanelControls::SpeedButton05us,  &FrontPanelControls::SpeedButton02us,
    &FrontPanelControls::SpeedButton01us};
TGrSpeedButton* FrontPanelControls::*const kSpanMembers[17] = {
    &FrontPanelControls::SpeedButton120Hz, &FrontPanelControls::SpeedButton300Hz,
    &FrontPanelControls::SpeedButton01,    &FrontPanelControls::SpeedButton1,
    &FrontPanelControls::SpeedButton2,     &FrontPanelControls::SpeedButton9,
    &FrontPanelControls::SpeedButton10,    &FrontPanelControls::SpeedButton11,
    &FrontPanelControls::SpeedButton12,    &FrontPanelControls::SpeedButton13,
    &FrontPanelControls::SpeedButton14,    &FrontPanelControls::SpeedButton15,
    &FrontPanelControls::SpeedButton16,    &FrontPanelControls::SpeedButton18,
    &FrontPanelControls::SpeedButton17,    &FrontPanelControls::SpeedButton19,
    &FrontPanelControls::SpeedButton20};

ChannelButtons ScopeChannel(const TForm1& f, int channel) {
  if (channel == 1)
    return {f.CH1on, {f.x11, f.x101}, {f.SpeedButton_ac1, f.SpeedButton_dc1, f.SpeedButton_gnd1},
            f.RangeButtons(1), f.TrackBar1};
  return {f.CH2on, {f.x12, f.x102}, {f.SpeedButton__ac2, f.SpeedButton_dc2, f.SpeedButton_gnd2},
          f.RangeButtons(2), f.TrackBar2};
}

}  // namespace

const std::vector<engine::SettingsFileKey>& TForm1::SettingsFileKeys() const {
  using Step = engine::RecallStep;
  // The other instruments' keys are the same for every window: the first
  // window's links give them.
  static const std::vector<engine::SettingsFileKey> table = [this] {
    std::vector<engine::SettingsFileKey> keys;
    auto add = [&keys](engine::SettingsFileKey key) { keys.push_back(std::move(key)); };
    auto addOthers = [this, &keys](engine::SettingsKeyPlace place) {
      if (ScopeState.OtherInstruments.AddSettingsKeys) ScopeState.OtherInstruments.AddSettingsKeys(place, keys);
    };
    auto integerKey = [&add](const char* section, const char* key, Step step, std::function<int(const TForm1&)> value,
                             std::function<void(TForm1&, int stored)> recall) {
      add({section, key, step,
           [value](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
             l.Integer(k.Section, k.Key, value(t));
           },
           [value, recall](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                           engine::RecallState&) { recall(t, f.Integer(k.Section, k.Key, value(t))); }});
    };

    // ---- Persistence: one mode, the first stored one; the masks take only
    // the values their choices offer.
    {
      static constexpr const char* kModeKeys[3] = {"NormalPersistence", "Persistence_with_Intensity_Grading",
                                                    "VariablePersistence"};
      using Mark = std::uint8_t display::PersistenceSharedState::*;
      static constexpr Mark kMarks[3] = {&display::PersistenceSharedState::NormalPersistenceChecked,
                                         &display::PersistenceSharedState::GradedPersistenceChecked,
                                         &display::PersistenceSharedState::VariablePersistenceChecked};
      for (int i = 0; i < 3; ++i)
        add({"Persistence", kModeKeys[i], Step::kPersistenceMode,
             [i](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
               l.Flag(k.Section, k.Key, t.PersistenceState.*kMarks[i]);
             },
             [i](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                 engine::RecallState& r) {
               if (r.PersistenceChosen || !f.Flag(k.Section, k.Key, t.PersistenceState.*kMarks[i] != 0)) return;
               t.Persistence().PersistenceModeClick(i + 1);
               r.PersistenceChosen = true;
             }});
      using EditOf = TEdit* (*)();
      const std::pair<const char*, EditOf> texts[3] = {
          {"Number_of_Acquisitions", [] { return OKRightDlg ? OKRightDlg->Edit1 : nullptr; }},
          {"LowColor", [] { return OKRightDlg ? OKRightDlg->Edit2 : nullptr; }},
          {"HighColor", [] { return OKRightDlg ? OKRightDlg->Edit4 : nullptr; }}};
      for (const auto& [key, edit] : texts)
        add({"Persistence", key, Step::kPersistenceText,
             [edit](const TForm1&, engine::SettingsList& l, const engine::SettingsFileKey& k) {
               if (TEdit* e = edit()) l.Text(k.Section, k.Key, e->Text());
             },
             [edit](TForm1&, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                    engine::RecallState&) {
               if (TEdit* e = edit()) e->SetText(f.Text(k.Section, k.Key, e->Text()));
             }});
      integerKey("Persistence", "Duration", Step::kPersistenceDuration,
                 [](const TForm1& t) { return int{t.PersistenceState.VariablePersistenceMask}; },
                 [](TForm1& t, int stored) { if (display::IsVariableMask(stored)) t.PersistenceState.VariablePersistenceMask = stored; });
      integerKey("Persistence", "Duration2", Step::kPersistenceDuration,
                 [](const TForm1& t) { return int{t.PersistenceState.GradedPersistenceMask}; },
                 [](TForm1& t, int stored) { if (display::IsGradedMask(stored)) t.PersistenceState.GradedPersistenceMask = stored; });
    }

    add(engine::keys::ButtonKey("Interpolation", "Linear", Step::kInterpolation,
                                [](const TForm1& t) { return t.SpeedButton005us; },
                                engine::keys::ButtonRecall::kToggle));

    // ---- The scope's channels: written from the scope's settings, recalled
    // through their buttons. No probe warning while the stored probes go in.
    for (int ch = 1; ch <= 2; ++ch) {
      const char* section = ch == 1 ? "CH1" : "CH2";
      using Written = bool (*)(const device::ScopeSettings&, int channel, int index);
      auto channelKey = [&](const char* key, Written written, int index, auto button, engine::keys::ButtonRecall rule) {
        add({section, key, Step::kChannels,
             [ch, written, index](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
               l.Flag(k.Section, k.Key, written(t.ScopeState.Settings, ch, index));
             },
             [ch, button, rule](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                                engine::RecallState&) {
               TSpeedButton* b = button(ScopeChannel(t, ch));
               if (rule == engine::keys::ButtonRecall::kToggle) return engine::keys::ToggleRule(f, k.Section, k.Key, b);
               engine::keys::SelectRule(f, k.Section, k.Key, b);
             }});
      };
      channelKey("On", [](const device::ScopeSettings& s, int c, int) { return s.On(c) != 0; }, 0,
                 [](const engine::keys::ChannelButtons& c) { return c.On; }, engine::keys::ButtonRecall::kToggle);
      for (int i = 0; i < 2; ++i) {
        add({section, i == 0 ? "x1" : "x10", Step::kChannels,
             [ch, i](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
               l.Flag(k.Section, k.Key, (t.ScopeState.Settings.X10(ch) != 0) == (i == 1));
             },
             [ch, i](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                     engine::RecallState&) {
               const std::uint8_t notice = t.ScopeState.ProbeWarningMuted;
               t.ScopeState.ProbeWarningMuted = 1;
               engine::keys::SelectRule(f, k.Section, k.Key, ScopeChannel(t, ch).Probes[static_cast<std::size_t>(i)]);
               t.ScopeState.ProbeWarningMuted = notice;
             }});
      }
      for (int i = 0; i < 3; ++i)
        channelKey(engine::keys::kCouplingKeys[i], [](const device::ScopeSettings& s, int c, int index) { return device::CouplingIndex(s, c) == index; },
                   i, [i](const engine::keys::ChannelButtons& c) { return c.Coupling[static_cast<std::size_t>(i)]; },
                   engine::keys::ButtonRecall::kSelect);
      for (int i = 0; i < 6; ++i)
        channelKey(engine::keys::kRangeKeys[i],
                   [](const device::ScopeSettings& s, int c, int index) {
                     return engine::RangeTable[static_cast<std::size_t>(index)].Code == s.GainCode(c);
                   },
                   i, [i](const engine::keys::ChannelButtons& c) { return c.Ranges[static_cast<std::size_t>(i)]; },
                   engine::keys::ButtonRecall::kSelect);
      add({section, "Position", Step::kChannels,
           [ch](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
             l.Integer(k.Section, k.Key, t.ScopeState.Settings.Position(ch));
           },
           [ch](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k, engine::RecallState&) {
             engine::keys::PutPosition(f, k.Section, k.Key, ScopeChannel(t, ch).Position,
                                       [&] { ch == 1 ? t.FrontPanel().TrackBar1Change(&t) : t.FrontPanel().TrackBar2Change(&t); });
           }});
    }

    // ---- The recorder's channels and markers.
    addOthers(engine::SettingsKeyPlace::kAfterScopeChannels);

    add(engine::keys::MenuKey("DSO_Markers", "Markers_1", Step::kDsoMarkers,
                              [](const TForm1& t) { return t.Markers1; }));
    add(engine::keys::MenuKey("FFT_Markers", "Markers_1", Step::kFftMarkers,
                              [](const TForm1& t) { return t.MarkersFFT1; }));
    add(engine::keys::MenuKey("FFT_Markers", "Markers_2", Step::kFftMarkers,
                              [](const TForm1& t) { return t.MarkersFFTdBf1; }));

    for (std::size_t i = 0; i < 6; ++i)
      add(engine::keys::MenuKey("Math", kMathKeys[i], Step::kMath, [i](const TForm1& t) { return t.MathItems()[i]; }));
    add(engine::keys::ButtonKey("Math", "Button", Step::kMathButton, [](const TForm1& t) { return t.SpeedButton21; },
                                engine::keys::ButtonRecall::kDownOnly));
    for (std::size_t i = 0; i < 8; ++i)
      add(engine::keys::MenuKey("Average", kAverageKeys[i], Step::kAverage,
                                [i](const TForm1& t) { return t.AverageItems()[i]; }));

    add(engine::keys::MenuKey("View", "RMS_Value", Step::kView, [](const TForm1& t) { return t.RMSCalculation1; }));
    add(engine::keys::MenuKey("View", "dBm_Value", Step::kView, [](const TForm1& t) { return t.dBmValue1; },
                              [](const TForm1& t) { return t.ScopeState.DbmOn != 0; }));
    add(engine::keys::MenuKey("View", "Sample_Rate", Step::kView, [](const TForm1& t) { return t.SampleRate1; },
                              [](const TForm1& t) { return t.ScopeState.SampleRateOn != 0; }));
    add(engine::keys::MenuKey("View", "DotJoin", Step::kDotJoin, [](const TForm1& t) { return t.DotJoin1; },
                              [](const TForm1& t) { return t.ScopeState.DotJoin != 0; }));
    add(engine::keys::MenuKey("View", "ClearDisplay", Step::kView,
                              [](const TForm1& t) { return t.ClearDisplayonRunSingleClick1; },
                              [](const TForm1& t) { return t.ScopeState.ClearOnRunSingle != 0; }));

    for (std::size_t i = 0; i < 21; ++i)
      add(engine::keys::ButtonKey(
          "Time", kTimeKeys[i], Step::kTime, [i](const TForm1& t) { return t.*kTimeMembers[i]; },
          engine::keys::ButtonRecall::kSelect,
          [i](const TForm1& t) {
            return engine::TimeBaseButton(t.ScopeState.Settings.TimeBaseRow) == kTimeMembers[i];
          }));
    addOthers(engine::SettingsKeyPlace::kAfterScopeTime);

    // ---- Spectrum: the spans are only put down; the time base chose theirs.
    for (std::size_t i = 0; i < 17; ++i)
      add({"FFT", kSpanKeys[i], Step::kSpectrum,
           [i](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
             l.Flag(k.Section, k.Key, engine::SpanButton(t.ScopeState.Settings.SpanRow) == kSpanMembers[i]);
           },
           [i](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k, engine::RecallState&) {
             std::size_t row = 0;
             while (engine::SpanButton(row) && engine::SpanButton(row) != kSpanMembers[i]) ++row;
             if (!engine::SpanButton(row) || !f.Flag(k.Section, k.Key, t.ScopeState.Settings.SpanRow == row)) return;
             t.ScopeState.Settings.SpanRow = static_cast<std::uint8_t>(row);
             t.FrontPanel().ShowTimeBase();
           }});
    add(engine::keys::ButtonKey("FFT_Lin_Log", "Lin", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonLin; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::ButtonKey("FFT_Lin_Log", "Log", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonLog; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::ButtonKey("FFT_Zoom", "x1", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonZoom1; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::ButtonKey("FFT_Zoom", "x2", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonZoom2; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::ButtonKey("FFT_Zoom", "x4", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonZoom4; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::ButtonKey("FFT_Zoom", "x8", Step::kSpectrum, [](const TForm1& t) { return t.SpeedButtonZoom8; },
                                engine::keys::ButtonRecall::kSelect));
    add(engine::keys::MenuKey("FFT_Window", "Rectangle", Step::kSpectrum,
                              [](const TForm1& t) { return t.Rectangle1; }));
    add(engine::keys::MenuKey("FFT_Window", "Bartlett", Step::kSpectrum, [](const TForm1& t) { return t.Bartlett1; }));
    add(engine::keys::MenuKey("FFT_Window", "Hamming", Step::kSpectrum, [](const TForm1& t) { return t.Hamming1; }));
    add(engine::keys::MenuKey("FFT_Window", "Hanning", Step::kSpectrum, [](const TForm1& t) { return t.Hanning1; }));
    add(engine::keys::MenuKey("FFT_Window", "Blackman", Step::kSpectrum, [](const TForm1& t) { return t.Blackman1; }));
    add(engine::keys::MenuKey("FFT_Options", "Maximum", Step::kSpectrum, [](const TForm1& t) { return t.Maximum1; }));
    add(engine::keys::MenuKey("FFT_Options", "Average", Step::kSpectrum, [](const TForm1& t) { return t.Average1; }));
    add(engine::keys::MenuKey("FFT_Options", "VectorAverage", Step::kSpectrum,
                              [](const TForm1& t) { return t.VectorAverage1; }));

    // ---- Trigger.
    {
      using Member = TGrSpeedButton* FrontPanelControls::*;
      using Shown = bool (*)(const device::ScopeSettings&);
      const std::tuple<const char*, Member, Shown> buttons[7] = {
          {"On", &FrontPanelControls::SpeedButton7, [](const device::ScopeSettings& s) { return s.TriggerOff == 0; }},
          {"Off", &FrontPanelControls::SpeedButton8, [](const device::ScopeSettings& s) { return s.TriggerOff != 0; }},
          {"CH1", &FrontPanelControls::SpeedButton3,
           [](const device::ScopeSettings& s) { return device::TriggerSourceIndex(s) == 0; }},
          {"CH2", &FrontPanelControls::SpeedButton4,
           [](const device::ScopeSettings& s) { return device::TriggerSourceIndex(s) == 1; }},
          {"Ext", &FrontPanelControls::SpeedButton_ext,
           [](const device::ScopeSettings& s) { return device::TriggerSourceIndex(s) == 2; }},
          {"Up", &FrontPanelControls::SpeedButton5, [](const device::ScopeSettings& s) { return s.TriggerSlope != 0; }},
          {"Down", &FrontPanelControls::SpeedButton6,
           [](const device::ScopeSettings& s) { return s.TriggerSlope == 0; }}};
      for (const auto& [key, member, shown] : buttons)
        add(engine::keys::ButtonKey("Trigger", key, Step::kTrigger, [member](const TForm1& t) { return t.*member; },
                                    engine::keys::ButtonRecall::kSelect,
                                    [shown](const TForm1& t) { return shown(t.ScopeState.Settings); }));
    }
    integerKey("Trigger", "Position", Step::kTrigger, [](const TForm1& t) { return int{t.ScopeState.Settings.TriggerLevel}; },
               [](TForm1& t, int stored) {
                 t.TrackBar3->SetPosition(stored);
                 t.FrontPanel().TrackBar3Change(&t);
               });
    integerKey("Trigger", "Position_x", Step::kPositionX, [](const TForm1& t) { return t.ScrollBar2->Position(); },
               [](TForm1& t, int stored) {
                 t.ScrollBar2->SetPosition(stored);
                 t.ScrollBar2Change(&t);
               });
    add(engine::keys::MenuKey("Trigger", "HF_Reject", Step::kNoiseReject, [](const TForm1& t) { return t.HFReject1; },
                              [](const TForm1& t) { return t.ScopeState.NoiseRejectOn != 0; }));

    // ---- The instrument shown: the scope's time view unless the file says more.
    auto deviceKey = [&add](const char* key, Step step, std::function<bool(const TForm1&)> value,
                            std::function<void(TForm1&, bool stored)> recall) {
      add({"Device", key, step,
           [value](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
             l.Flag(k.Section, k.Key, value(t));
           },
           [recall](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                    engine::RecallState&) { recall(t, f.Flag(k.Section, k.Key, false)); }});
    };
    deviceKey("Scope", Step::kInstrument, [](const TForm1& t) { return t.Visible(); }, [](TForm1& t, bool stored) {
      if (stored && t.SpeedButton22) t.SpeedButton22->SetDown(true);
      t.SpeedButton22Click(&t);
    });
    deviceKey("FFT", Step::kInstrument, [](const TForm1& t) { return t.ScopeState.SpectrumMode != 0; }, [](TForm1& t, bool stored) {
      if (!stored || !t.fft1) return;
      t.fft1->SetDown(true);
      t.fft1Click(&t);
    });
    // ---- The recorder shown, the generator.
    addOthers(engine::SettingsKeyPlace::kEnd);
    return keys;
  }();
  return table;
}
