// The other instruments' keys in the scope settings files: the recorder's
// channels, markers and time buttons, the instrument shown and the
// generator's panel, each at its place in the scope's key table.
#include "app/instrument_settings.h"

#include <array>
#include <functional>

#include "app/windows.h"
#include "engine/scope_window.h"
#include "engine/settings_files/settings_keys.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "recorder/recorder_form.h"

namespace {

constexpr const char* kRecTimeKeys[16] = {"2000s", "1000s", "500s", "200s", "100s", "50s",  "20s",  "10s",
                                          "5s",    "2s",    "1s",   "0.5s", "0.2s", "0.1s", "50ms", "20ms"};
constexpr const char* kFreqKeys[8] = {"500kHz", "50kHz", "5kHz", "500Hz", "50Hz", "5Hz", "0.5Hz", "0.05Hz"};
constexpr const char* kWaveKeys[4] = {"Sine", "Square", "Triangle", "LIB"};

// The recorder window's buttons of one channel; no recorder, no buttons.
engine::keys::ChannelButtons RecorderChannel(int channel) {
  if (!Form1_rec) return {};
  const TForm1_rec& r = *Form1_rec;
  if (channel == 1)
    return {r.CH1on, {}, {r.SpeedButton_ac1, r.SpeedButton_dc1, r.SpeedButton_gnd1}, r.Ch1RangeButtons,
            r.TrackBar1};
  return {r.CH2on, {}, {r.SpeedButton__ac2, r.SpeedButton_dc2, r.SpeedButton_gnd2}, r.Ch2RangeButtons,
          r.TrackBar2};
}

// The generator's range and shape buttons may all be up: a stored "0"
// releases the button. Every window's panel shows the one generator.
void PutGeneratorButton(GeneratorPanel& g, const engine::SettingsSnapshot& f, const char* section, const char* key,
                        TGrSpeedButton* b) {
  g.PutButton(b, f.Flag(section, key, b->Down()));
}

// The engine's range handlers in the order of the range buttons.
void RunGeneratorRange(std::size_t index) {
  using Handler = void (TForm1_fgen::*)(TObject*);
  static constexpr std::array<Handler, 8> kHandlers = {&TForm1_fgen::SpeedButton2Click, &TForm1_fgen::SpeedButton3Click,
                                           &TForm1_fgen::SpeedButton4Click, &TForm1_fgen::SpeedButton9Click,
                                           &TForm1_fgen::SpeedButton5Click, &TForm1_fgen::SpeedButton6Click,
                                           &TForm1_fgen::SpeedButton7Click, &TForm1_fgen::SpeedButton8Click};
  if (!Form1_fgen || index >= kHandlers.size()) return;
  (Form1_fgen->*kHandlers[index])(Form1_fgen);
}

// ---- The recorder's channels and markers, while there is a recorder.
void AddRecorderChannelKeys(std::vector<engine::SettingsFileKey>& keys) {
  using Step = engine::RecallStep;
  auto add = [&keys](engine::SettingsFileKey key) { keys.push_back(std::move(key)); };
  for (int ch = 1; ch <= 2; ++ch) {
    const char* section = ch == 1 ? "Rec_CH1" : "Rec_CH2";
    add(engine::keys::ButtonKey(section, "On", Step::kRecorderChannels,
                                [ch](const TForm1&) { return RecorderChannel(ch).On; },
                                engine::keys::ButtonRecall::kToggle));
    for (std::size_t i = 0; i < 3; ++i)
      add(engine::keys::ButtonKey(section, engine::keys::kCouplingKeys[i], Step::kRecorderChannels,
                                  [ch, i](const TForm1&) { return RecorderChannel(ch).Coupling[i]; },
                                  engine::keys::ButtonRecall::kSelect));
    for (std::size_t i = 0; i < 6; ++i)
      add(engine::keys::ButtonKey(section, engine::keys::kRangeKeys[i], Step::kRecorderChannels,
                                  [ch, i](const TForm1&) { return RecorderChannel(ch).Ranges[i]; },
                                  engine::keys::ButtonRecall::kSelect));
    add({section, "Position", Step::kRecorderChannels,
         [ch](const TForm1&, engine::SettingsList& l, const engine::SettingsFileKey& k) {
           if (TTrackBar* bar = RecorderChannel(ch).Position) l.Integer(k.Section, k.Key, bar->Position());
         },
         [ch](TForm1&, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k, engine::RecallState&) {
           TTrackBar* bar = RecorderChannel(ch).Position;
           if (!bar) return;
           bar->SetPosition(f.Integer(k.Section, k.Key, bar->Position()));
           ch == 1 ? Form1_rec->TrackBar1Change(Form1_rec) : Form1_rec->TrackBar2Change(Form1_rec);
         }});
  }
  add(engine::keys::MenuKey("Rec_Markers", "Markers_1", Step::kRecorderMarkers,
                            [](const TForm1&) { return Form1_rec ? Form1_rec->Markers1 : nullptr; }));
  add(engine::keys::MenuKey("Rec_Markers", "Markers_2", Step::kRecorderMarkers,
                            [](const TForm1&) { return Form1_rec ? Form1_rec->MarkersVdt1 : nullptr; }));

}

void AddRecorderTimeKeys(std::vector<engine::SettingsFileKey>& keys) {
  using Step = engine::RecallStep;
  auto add = [&keys](engine::SettingsFileKey key) { keys.push_back(std::move(key)); };
  for (std::size_t i = 0; i < 16; ++i)
    add(engine::keys::ButtonKey("Rec_Time", kRecTimeKeys[i], Step::kRecorderTime,
                                [i](const TForm1&) { return Form1_rec ? Form1_rec->TimeButtons[i] : nullptr; },
                                engine::keys::ButtonRecall::kSelect));
}

// ---- The recorder shown; the generator, written while it is active,
// recalled when the file turns it on.
void AddInstrumentAndGeneratorKeys(std::vector<engine::SettingsFileKey>& keys) {
  using Step = engine::RecallStep;
  auto add = [&keys](engine::SettingsFileKey key) { keys.push_back(std::move(key)); };
  add({"Device", "Recorder", Step::kInstrument,
       [](const TForm1&, engine::SettingsList& l, const engine::SettingsFileKey& k) {
         l.Flag(k.Section, k.Key, Form1_rec && Form1_rec->Visible());
       },
       [](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k, engine::RecallState&) {
         engine::ScopeWindow& scope = engine::ScopeWindowOf(t);
         if (!f.Flag(k.Section, k.Key, false) || !scope.RecorderButton()) return;
         scope.RecorderButton()->SetDown(true);
         scope.SpeedButton27Click(&scope.Window());
       }});
  add({"Device", "Generator", Step::kGeneratorOn,
       [](const TForm1&, engine::SettingsList& l, const engine::SettingsFileKey& k) {
         l.Flag(k.Section, k.Key, CreatedGeneratorState().GeneratorActive);
       },
       [](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k, engine::RecallState& r) {
         r.Generator = f.Flag(k.Section, k.Key, false) && engine::ScopeWindowOf(t).Generator();
       }});

  // ---- The generator, written while it is active, recalled when the file
  // turns it on.
  auto generatorKey = [&add](const char* section, const char* key, Step step,
                             std::function<void(const GeneratorPanel&, engine::SettingsList&,
                                                const engine::SettingsFileKey&)> write,
                             std::function<void(GeneratorPanel&, const engine::SettingsSnapshot&,
                                                const engine::SettingsFileKey&, engine::RecallState&)> recall) {
    add({section, key, step,
         [write](const TForm1& t, engine::SettingsList& l, const engine::SettingsFileKey& k) {
           GeneratorPanel* panel = engine::ScopeWindowOf(t).Generator();
           if (panel && panel->GeneratorState.GeneratorActive) write(*panel, l, k);
         },
         [recall](TForm1& t, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState& r) {
           if (r.Generator && recall) recall(*engine::ScopeWindowOf(t).Generator(), f, k, r);
         }});
  };
  for (std::size_t i = 0; i < 8; ++i)
    generatorKey("Freq", kFreqKeys[i], Step::kGeneratorRange,
                 [i](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                   engine::keys::FlagOf(l, k.Section, k.Key, g.RangeButtons()[i]);
                 },
                 [i](GeneratorPanel& g, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                     engine::RecallState&) {
                   TGrSpeedButton* b = g.RangeButtons()[i];
                   PutGeneratorButton(g, f, k.Section, k.Key, b);
                   if (b->Down()) RunGeneratorRange(i);
                 });
  // A recalled file never selects the library shape.
  for (std::size_t i = 0; i < 4; ++i)
    generatorKey("Wave", kWaveKeys[i], Step::kGeneratorWave,
                 [i](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                   engine::keys::FlagOf(l, k.Section, k.Key, g.ShapeButtons()[i]);
                 },
                 i == 3 ? nullptr
                        : std::function<void(GeneratorPanel&, const engine::SettingsSnapshot&,
                                             const engine::SettingsFileKey&, engine::RecallState&)>(
                              [i](GeneratorPanel& g, const engine::SettingsSnapshot& f,
                                  const engine::SettingsFileKey& k, engine::RecallState&) {
                                TGrSpeedButton* b = g.ShapeButtons()[i];
                                PutGeneratorButton(g, f, k.Section, k.Key, b);
                                if (b->Down()) engine::keys::RunClick(b);
                              }));
  generatorKey("Signal", "Offset", Step::kGeneratorOffset,
               [](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                 l.Integer(k.Section, k.Key, g.TrackBar6->Position());
               },
               [](GeneratorPanel& g, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState&) {
                 engine::keys::PutPosition(f, k.Section, k.Key, g.TrackBar6, [&] { g.TrackBar6Change(&g); });
               });
  generatorKey("Signal", "Symmetry", Step::kGeneratorSymmetry,
               [](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                 l.Integer(k.Section, k.Key, g.TrackBar5->Position());
               },
               [](GeneratorPanel& g, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState&) {
                 engine::keys::PutPosition(f, k.Section, k.Key, g.TrackBar5, [&] { g.TrackBar5Change(&g); });
                 if (Form1_fgen) Form1_fgen->Timer8Timer(Form1_fgen);
               });
  generatorKey("Signal", "Amplitude_position", Step::kGeneratorAmplitudePosition,
               [](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                 l.Integer(k.Section, k.Key, g.TrackBar7->Position());
               },
               [](GeneratorPanel& g, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState&) {
                 // The slider only shows where it was; the amplitude is the stored one.
                 if (g.TrackBar7) g.PutAmplitudeSlider(f.Integer(k.Section, k.Key, g.TrackBar7->Position()));
               });
  generatorKey("Signal", "Frequency", Step::kGeneratorLevels,
               [](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                 l.Real(k.Section, k.Key, g.GeneratorState.GenFrequency);
               },
               [](GeneratorPanel&, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState& r) {
                 r.Frequency = engine::keys::StoredNumber(f, k.Section, k.Key, "1000");
               });
  // The sliders follow the stored frequency first, or the range handler
  // would snap a frequency of a whole multiple of the range's minimum to
  // the slider's end.
  generatorKey("Signal", "Amplitude", Step::kGeneratorLevels,
               [](const GeneratorPanel& g, engine::SettingsList& l, const engine::SettingsFileKey& k) {
                 l.Real(k.Section, k.Key, g.GeneratorState.GenAmplitude);
               },
               [](GeneratorPanel& g, const engine::SettingsSnapshot& f, const engine::SettingsFileKey& k,
                  engine::RecallState& r) {
                 // The amplitudes the generator's entries allow, in volts peak to peak.
                 const double amplitude = engine::keys::StoredNumber(f, k.Section, k.Key, "5", 0.1, 10);
                 if (Form1_fgen) {
                   Form1_fgen->set_fg(r.Frequency, 0, amplitude);
                   Form1_fgen->HoldFrequencyOnSliders();
                 }
                 const auto ranges = g.RangeButtons();
                 for (std::size_t i = 0; i < ranges.size(); ++i)
                   if (ranges[i]->Down()) RunGeneratorRange(i);
               });
}

}  // namespace

void AddInstrumentSettingsKeys(engine::SettingsKeyPlace place, std::vector<engine::SettingsFileKey>& keys) {
  switch (place) {
    case engine::SettingsKeyPlace::kAfterScopeChannels: AddRecorderChannelKeys(keys); break;
    case engine::SettingsKeyPlace::kAfterScopeTime: AddRecorderTimeKeys(keys); break;
    case engine::SettingsKeyPlace::kEnd: AddInstrumentAndGeneratorKeys(keys); break;
  }
}
