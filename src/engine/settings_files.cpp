// The scope settings files: what "settings48.ini" and the ".set" files hold,
// the writer (at close and from the File menu) and the recall, which puts
// each stored value into its control and runs that control's own handler.
#include <array>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/persistence.h"
#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_settings.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "platform/os/files.h"
#include "platform/ui/vcl.h"
#include "widgets/control_maker.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

namespace {

using engine::SettingsList;
using engine::SettingsSnapshot;

const char* const kSettingsFilter = "Setup file (*.set)|*.set|All files (*.*)|*.*";
const char* const kLastSettingsName = "settings48.ini";

// Keys of one channel's coupling and volts/div buttons, in file order.
constexpr const char* kCouplingKeys[3] = {"AC", "DC", "GND"};
constexpr const char* kRangeKeys[6] = {"3V", "1V", "0.3V", "0.1V", "30mV", "10mV"};
constexpr const char* kTimeKeys[21] = {"500ms", "200ms", "100ms", "50ms",  "20ms",  "10ms",  "5ms",
                                       "2ms",   "1ms",   "0.5ms", "0.2ms", "0.1ms", "50us",  "20us",
                                       "10us",  "5us",   "2us",   "1us",   "0.5us", "0.2us", "0.1us"};
constexpr const char* kRecTimeKeys[16] = {"2000s", "1000s", "500s", "200s", "100s", "50s",  "20s",  "10s",
                                          "5s",    "2s",    "1s",   "0.5s", "0.2s", "0.1s", "50ms", "20ms"};
constexpr const char* kSpanKeys[17] = {"120Hz", "300Hz", "600Hz",  "1.2kHz", "3kHz",   "6kHz",
                                       "12kHz", "30kHz", "60kHz",  "120kHz", "300kHz", "0.6MHz",
                                       "1.2MHz", "3MHz", "6MHz",   "12MHz",  "25MHz"};
constexpr const char* kAverageKeys[8] = {"Off", "2", "4", "8", "16", "32", "64", "128"};
constexpr const char* kMathKeys[6] = {"CH1+CH2", "CH1-CH2", "Multi", "Divi", "XY_Plot", "CH2_Invert"};
constexpr const char* kWindowKeys[5] = {"Rectangle", "Bartlett", "Hamming", "Hanning", "Blackman"};
constexpr const char* kFreqKeys[8] = {"500kHz", "50kHz", "5kHz", "500Hz", "50Hz", "5Hz", "0.5Hz", "0.05Hz"};
constexpr const char* kWaveKeys[4] = {"Sine", "Square", "Triangle", "LIB"};

template <std::size_t N>
std::array<TGrSpeedButton*, N> Buttons(const FrontPanelControls& p, TGrSpeedButton* FrontPanelControls::*const (&m)[N]) {
  std::array<TGrSpeedButton*, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = p.*m[i];
  return out;
}

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

// The scope window's buttons of one channel: on, probes, coupling, ranges.
struct ChannelButtons {
  TGrSpeedButton* On;
  std::array<TGrSpeedButton*, 2> Probes;
  std::array<TGrSpeedButton*, 3> Coupling;
  std::array<TGrSpeedButton*, 6> Ranges;
  TTrackBar* Position;
};

ChannelButtons ScopeChannel(const TForm1& f, int channel) {
  if (channel == 1)
    return {f.CH1on, {f.x11, f.x101}, {f.SpeedButton_ac1, f.SpeedButton_dc1, f.SpeedButton_gnd1},
            f.RangeButtons(1), f.TrackBar1};
  return {f.CH2on, {f.x12, f.x102}, {f.SpeedButton__ac2, f.SpeedButton_dc2, f.SpeedButton_gnd2},
          f.RangeButtons(2), f.TrackBar2};
}

ChannelButtons RecorderChannel(const TForm1_rec& r, int channel) {
  if (channel == 1)
    return {r.CH1on, {}, {r.SpeedButton_ac1, r.SpeedButton_dc1, r.SpeedButton_gnd1}, r.Ch1RangeButtons,
            r.TrackBar1};
  return {r.CH2on, {}, {r.SpeedButton__ac2, r.SpeedButton_dc2, r.SpeedButton_gnd2}, r.Ch2RangeButtons,
          r.TrackBar2};
}

// ---------------------------------------------------------------- writing

void FlagOf(SettingsList& l, const char* section, const char* key, const TSpeedButton* b) {
  if (b) l.Flag(section, key, b->Down());
}
void FlagOf(SettingsList& l, const char* section, const char* key, const TMenuItem* item) {
  if (item) l.Flag(section, key, item->Checked());
}
template <class Control, std::size_t N>
void FlagsOf(SettingsList& l, const char* section, const char* const (&keys)[N],
             const std::array<Control*, N>& controls) {
  for (std::size_t i = 0; i < N; ++i) FlagOf(l, section, keys[i], controls[i]);
}

void WriteChannel(SettingsList& l, const char* section, const ChannelButtons& c, bool probes) {
  FlagOf(l, section, "On", c.On);
  if (probes) {
    FlagOf(l, section, "x1", c.Probes[0]);
    FlagOf(l, section, "x10", c.Probes[1]);
  }
  FlagsOf(l, section, kCouplingKeys, c.Coupling);
  FlagsOf(l, section, kRangeKeys, c.Ranges);
  if (c.Position) l.Integer(section, "Position", c.Position->Position());
}

// ---------------------------------------------------------------- recall rules

void RunClick(TSpeedButton* b) {
  if (b && b->OnClick) b->OnClick(b);
}
void RunClick(TMenuItem* item) {
  if (item && item->OnClick) item->OnClick(item);
}

// A stand-alone on/off button: a stored state that differs flips it once.
void ToggleRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b) {
  if (!b) return;
  const bool stored = f.Flag(section, key, b->Down());
  if (stored == b->Down()) return;
  b->SetDown(stored);
  RunClick(b);
}

// A button of a one-down group: every button that is down when its key
// comes runs its handler, so the stored one ends down with its handler last.
void SelectRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b) {
  if (!b) return;
  b->SetDown(f.Flag(section, key, b->Down()));
  if (b->Down()) RunClick(b);
}
template <std::size_t N>
void SelectAll(const SettingsSnapshot& f, const char* section, const char* const (&keys)[N],
               const std::array<TGrSpeedButton*, N>& buttons) {
  for (std::size_t i = 0; i < N; ++i) SelectRule(f, section, keys[i], buttons[i]);
}

// A check-mark item: its handler changes the check when the stored one differs.
void MenuRule(const SettingsSnapshot& f, const char* section, const char* key, TMenuItem* item) {
  if (!item) return;
  if (f.Flag(section, key, item->Checked()) != item->Checked()) RunClick(item);
}
template <std::size_t N>
void MenuAll(const SettingsSnapshot& f, const char* section, const char* const (&keys)[N],
             const std::array<TMenuItem*, N>& items) {
  for (std::size_t i = 0; i < N; ++i) MenuRule(f, section, keys[i], items[i]);
}

// A bar position, then the bar's handler.
void PutPosition(const SettingsSnapshot& f, const char* section, const char* key, TTrackBar* bar,
              const std::function<void()>& handler) {
  if (!bar) return;
  bar->SetPosition(f.Integer(section, key, bar->Position()));
  if (handler) handler();
}

// The generator's range and shape buttons may all be up: a stored "0"
// releases the button.
void PutGeneratorButton(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b) {
  const bool stored = f.Flag(section, key, b->Down());
  if (stored == b->Down()) return;
  const bool allUp = b->AllowAllUp();
  b->SetAllowAllUp(true);
  b->SetDown(stored);
  b->SetAllowAllUp(allUp);
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

// A stored number, read with '.' or ','; anything else is reported and the
// default taken.
double StoredNumber(const SettingsSnapshot& f, const char* section, const char* key, const char* fallback) {
  const std::string text = f.Text(section, key, fallback);
  if (const auto v = engine::ParseDecimal(text)) return *v;
  Application->MessageBox(engine::NotAFloatMessage(text), Application->Title(), MB_OK | MB_ICONERROR);
  return *engine::ParseDecimal(fallback);
}

}  // namespace

// ================================================================ the writer

std::vector<engine::SettingsEntry> TForm1::ScopeSettingsEntries() const {
  using namespace engine;
  using namespace display;
  SettingsList l;

  l.Flag("Persistence", "NormalPersistence", PersistenceState.NormalPersistenceChecked);
  l.Flag("Persistence", "Persistence_with_Intensity_Grading", PersistenceState.GradedPersistenceChecked);
  l.Flag("Persistence", "VariablePersistence", PersistenceState.VariablePersistenceChecked);
  if (OKRightDlg) {
    l.Text("Persistence", "Number_of_Acquisitions", OKRightDlg->Edit1->Text());
    l.Text("Persistence", "LowColor", OKRightDlg->Edit2->Text());
    l.Text("Persistence", "HighColor", OKRightDlg->Edit4->Text());
  }
  l.Integer("Persistence", "Duration", PersistenceState.VariablePersistenceMask);
  l.Integer("Persistence", "Duration2", PersistenceState.GradedPersistenceMask);

  FlagOf(l, "Interpolation", "Linear", SpeedButton005us);
  WriteChannel(l, "CH1", ScopeChannel(*this, 1), true);
  WriteChannel(l, "CH2", ScopeChannel(*this, 2), true);
  if (Form1_rec) {
    WriteChannel(l, "Rec_CH1", RecorderChannel(*Form1_rec, 1), false);
    WriteChannel(l, "Rec_CH2", RecorderChannel(*Form1_rec, 2), false);
    FlagOf(l, "Rec_Markers", "Markers_1", Form1_rec->Markers1);
    FlagOf(l, "Rec_Markers", "Markers_2", Form1_rec->MarkersVdt1);
  }
  FlagOf(l, "DSO_Markers", "Markers_1", Markers1);
  FlagOf(l, "FFT_Markers", "Markers_1", MarkersFFT1);
  FlagOf(l, "FFT_Markers", "Markers_2", MarkersFFTdBf1);

  FlagsOf(l, "Math", kMathKeys, MathItems());
  FlagOf(l, "Math", "Button", SpeedButton21);
  FlagsOf(l, "Average", kAverageKeys, AverageItems());

  FlagOf(l, "View", "RMS_Value", RMSCalculation1);
  l.Flag("View", "dBm_Value", ScopeState.DbmOn);
  l.Flag("View", "Sample_Rate", ScopeState.SampleRateOn);
  l.Flag("View", "DotJoin", ScopeState.DotJoin);
  l.Flag("View", "ClearDisplay", ScopeState.ClearOnRunSingle);

  FlagsOf(l, "Time", kTimeKeys, Buttons(*this, kTimeMembers));
  if (Form1_rec) FlagsOf(l, "Rec_Time", kRecTimeKeys, Form1_rec->TimeButtons);
  FlagsOf(l, "FFT", kSpanKeys, Buttons(*this, kSpanMembers));
  FlagOf(l, "FFT_Lin_Log", "Lin", SpeedButtonLin);
  FlagOf(l, "FFT_Lin_Log", "Log", SpeedButtonLog);
  FlagOf(l, "FFT_Zoom", "x1", SpeedButtonZoom1);
  FlagOf(l, "FFT_Zoom", "x2", SpeedButtonZoom2);
  FlagOf(l, "FFT_Zoom", "x4", SpeedButtonZoom4);
  FlagOf(l, "FFT_Zoom", "x8", SpeedButtonZoom8);
  FlagsOf(l, "FFT_Window", kWindowKeys, std::array<TMenuItem*, 5>{Rectangle1, Bartlett1, Hamming1, Hanning1, Blackman1});
  FlagOf(l, "FFT_Options", "Maximum", Maximum1);
  FlagOf(l, "FFT_Options", "Average", Average1);
  FlagOf(l, "FFT_Options", "VectorAverage", VectorAverage1);

  FlagOf(l, "Trigger", "On", SpeedButton7);
  FlagOf(l, "Trigger", "Off", SpeedButton8);
  FlagOf(l, "Trigger", "CH1", SpeedButton3);
  FlagOf(l, "Trigger", "CH2", SpeedButton4);
  FlagOf(l, "Trigger", "Ext", SpeedButton_ext);
  FlagOf(l, "Trigger", "Up", SpeedButton5);
  FlagOf(l, "Trigger", "Down", SpeedButton6);
  l.Integer("Trigger", "Position", TrackBar3->Position());
  l.Integer("Trigger", "Position_x", ScrollBar2->Position());
  l.Flag("Trigger", "HF_Reject", ScopeState.NoiseRejectOn);

  l.Flag("Device", "Scope", Visible());
  l.Flag("Device", "FFT", ScopeState.SpectrumMode);
  l.Flag("Device", "Recorder", Form1_rec && Form1_rec->Visible());
  l.Flag("Device", "Generator", generator::GeneratorState.GeneratorActive);

  if (generator::GeneratorState.GeneratorActive && GeneratorControls) {
    const GeneratorPanel& g = *GeneratorControls;
    FlagsOf(l, "Freq", kFreqKeys, g.RangeButtons());
    FlagsOf(l, "Wave", kWaveKeys, g.ShapeButtons());
    l.Integer("Signal", "Offset", g.TrackBar6->Position());
    l.Integer("Signal", "Symmetry", g.TrackBar5->Position());
    l.Integer("Signal", "Amplitude_position", g.TrackBar7->Position());
    l.Real("Signal", "Frequency", generator::GeneratorState.GenFrequency);
    l.Real("Signal", "Amplitude", generator::GeneratorState.GenAmplitude);
  }
  return l.Entries();
}

bool TForm1::SaveSettingsTo(const std::string& path) {
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries())) return true;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
  return false;
}

void TForm1::SaveSettings() {
  // A close that is retried writes again; a refusal is told once per close.
  const std::string path = engine::ScopeState.DataFolder + kLastSettingsName;
  if (engine::WriteSettingsFile(path, ScopeSettingsEntries()) || SettingsRefusalShown) return;
  SettingsRefusalShown = 1;
  Application->MessageBox(UnableToWriteMessage(path), Application->Title(), MB_OK | MB_ICONERROR);
}

void TForm1::SaveSettings1Click(TObject*) {
  SaveDialog3->SetInitialDir(engine::ScopeState.DataFolder);
  SaveDialog3->SetFileName("*.set");
  if (!SaveDialog3->Execute()) return;
  SaveSettingsTo(SaveDialog3->FileName());
}

void TForm1::SaveRecallLastSettings1Click(TObject*) {
  SaveRecallLastSettings1->SetChecked(!SaveRecallLastSettings1->Checked());
  MirrorCheck(SaveRecallLastSettings1, &TForm11::SaveRecallLastSettings1);
  engine::ScopeState.RecallLastSettings = SaveRecallLastSettings1->Checked() ? 1 : 0;
}

// ================================================================ recall

void TForm1::RecallSettings() {
  ApplySettings(SettingsSnapshot::FromFile(engine::ScopeState.DataFolder + kLastSettingsName));
}

// A settings file the user chose: its settings, or nothing when it cannot be
// read or holds none, which the user is told; the panel then stays as it is.
static std::optional<SettingsSnapshot> ChosenSettingsFile(const std::string& path) {
  // A settings file is a few kilobytes.
  constexpr std::uintmax_t kLargestSettingsFile = 1u << 20;
  const os::WholeFile file = os::ReadWholeFile(path, kLargestSettingsFile);
  std::string why = file.Error;
  std::optional<SettingsSnapshot> settings;
  if (file.Ok()) {
    settings = SettingsSnapshot::FromFile(path);
    if (settings->Empty()) why = "It holds no settings";
  }
  if (why.empty()) return settings;
  MessageDlg("Unable to recall settings from " + path + ": " + why + ".", mtError, mbOK, 0);
  return std::nullopt;
}

void TForm1::RecallSettings2() {
  OpenDialog2->SetInitialDir(engine::ScopeState.DocumentsFolder);
  if (!OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(OpenDialog2->FileName())) ApplySettings(*settings);
}

void TForm1::RecallSettings1Click(TObject*) {
  OpenDialog2->SetInitialDir(engine::ScopeState.DataFolder);
  if (!OpenDialog2->Execute()) return;
  if (const auto settings = ChosenSettingsFile(OpenDialog2->FileName())) ApplySettings(*settings);
}

void TForm1::ApplySettings(const SettingsSnapshot& f) {
  using namespace engine;
  using namespace display;

  // Back to the scope.
  if (Form1_rec && Form1_rec->Visible()) Form1_rec->SpeedButton5Click(Form1_rec);
  else if (Visible()) SpeedButton22Click(this);

  // Persistence: one mode at a time, the first stored one; the masks take
  // only the values their choices offer.
  {
    const std::uint8_t marks[3] = {PersistenceState.NormalPersistenceChecked, PersistenceState.GradedPersistenceChecked, PersistenceState.VariablePersistenceChecked};
    const char* keys[3] = {"NormalPersistence", "Persistence_with_Intensity_Grading", "VariablePersistence"};
    for (int i = 0; i < 3; ++i) {
      if (!f.Flag("Persistence", keys[i], marks[i] != 0)) continue;
      PersistenceModeClick(i + 1);
      break;
    }
    if (OKRightDlg) {
      OKRightDlg->Edit1->SetText(f.Text("Persistence", "Number_of_Acquisitions", OKRightDlg->Edit1->Text()));
      OKRightDlg->Edit2->SetText(f.Text("Persistence", "LowColor", OKRightDlg->Edit2->Text()));
      OKRightDlg->Edit4->SetText(f.Text("Persistence", "HighColor", OKRightDlg->Edit4->Text()));
      OKRightDlg->OKBtnClick(OKRightDlg);
    }
    const int duration = f.Integer("Persistence", "Duration", PersistenceState.VariablePersistenceMask);
    if (IsVariableMask(duration)) PersistenceState.VariablePersistenceMask = duration;
    const int duration2 = f.Integer("Persistence", "Duration2", PersistenceState.GradedPersistenceMask);
    if (IsGradedMask(duration2)) PersistenceState.GradedPersistenceMask = duration2;
    if (OKRightDlg) {
      OKRightDlg->CheckVariableDuration(PersistenceState.VariablePersistenceMask);
      OKRightDlg->CheckGradedDuration(PersistenceState.GradedPersistenceMask);
    }
  }

  ToggleRule(f, "Interpolation", "Linear", SpeedButton005us);

  // Channels; no probe warning while the stored probes go in.
  const std::uint8_t probeNotice = ScopeState.SuppressProbeNotice;
  for (int channel = 1; channel <= 2; ++channel) {
    const char* section = channel == 1 ? "CH1" : "CH2";
    const ChannelButtons c = ScopeChannel(*this, channel);
    ToggleRule(f, section, "On", c.On);
    ScopeState.SuppressProbeNotice = 1;
    SelectRule(f, section, "x1", c.Probes[0]);
    SelectRule(f, section, "x10", c.Probes[1]);
    if (channel == 2) ScopeState.SuppressProbeNotice = probeNotice;
    SelectAll(f, section, kCouplingKeys, c.Coupling);
    SelectAll(f, section, kRangeKeys, c.Ranges);
    PutPosition(f, section, "Position", c.Position, [&] {
      channel == 1 ? TrackBar1Change(this) : TrackBar2Change(this);
    });
  }
  ScopeState.SuppressProbeNotice = probeNotice;

  SelectAll(f, "Time", kTimeKeys, Buttons(*this, kTimeMembers));
  for (auto [key, button] : {std::pair{"On", SpeedButton7}, {"Off", SpeedButton8}, {"CH1", SpeedButton3},
                             {"CH2", SpeedButton4}, {"Ext", SpeedButton_ext}, {"Up", SpeedButton5},
                             {"Down", SpeedButton6}})
    SelectRule(f, "Trigger", key, button);
  PutPosition(f, "Trigger", "Position", TrackBar3, [this] { TrackBar3Change(this); });

  MenuAll(f, "Average", kAverageKeys, AverageItems());
  MenuRule(f, "Trigger", "HF_Reject", HFReject1);
  MenuRule(f, "DSO_Markers", "Markers_1", Markers1);
  MenuAll(f, "Math", kMathKeys, MathItems());
  // A key the file lacks leaves its item as it is.
  MenuRule(f, "View", "RMS_Value", RMSCalculation1);
  MenuRule(f, "View", "dBm_Value", dBmValue1);
  MenuRule(f, "View", "Sample_Rate", SampleRate1);
  MenuRule(f, "View", "ClearDisplay", ClearDisplayonRunSingleClick1);

  // The recorder takes its settings shown, as the device then has them; it
  // hands the device back to the scope's own buttons when it leaves. The
  // scope window keeps its place and size through the visit.
  const int left = Left(), top = Top(), width = Width(), height = Height();
  if (Form1_rec) {
    SpeedButton27Click(this);
    TForm1_rec& r = *Form1_rec;
    for (int channel = 1; channel <= 2; ++channel) {
      const char* section = channel == 1 ? "Rec_CH1" : "Rec_CH2";
      const ChannelButtons c = RecorderChannel(r, channel);
      ToggleRule(f, section, "On", c.On);
      SelectAll(f, section, kCouplingKeys, c.Coupling);
      SelectAll(f, section, kRangeKeys, c.Ranges);
      PutPosition(f, section, "Position", c.Position, [&] {
        channel == 1 ? r.TrackBar1Change(&r) : r.TrackBar2Change(&r);
      });
    }
    SelectAll(f, "Rec_Time", kRecTimeKeys, r.TimeButtons);
    MenuRule(f, "Rec_Markers", "Markers_1", r.Markers1);
    MenuRule(f, "Rec_Markers", "Markers_2", r.MarkersVdt1);
  }

  // The spectrum settings go in with the spectrum view on.
  if (Form1_rec) {
    Form1_rec->RecClearPending = 1;
    Form1_rec->SpeedButton7Click(Form1_rec);
    SetBounds(left, top, width, height);
  } else if (fft1 && !ScopeState.SpectrumMode) {
    fft1Click(this);
  }
  {
    const auto spans = Buttons(*this, kSpanMembers);
    for (std::size_t i = 0; i < spans.size(); ++i)
      if (spans[i]) spans[i]->SetDown(f.Flag("FFT", kSpanKeys[i], spans[i]->Down()));
  }
  SelectRule(f, "FFT_Lin_Log", "Lin", SpeedButtonLin);
  SelectRule(f, "FFT_Lin_Log", "Log", SpeedButtonLog);
  SelectRule(f, "FFT_Zoom", "x1", SpeedButtonZoom1);
  SelectRule(f, "FFT_Zoom", "x2", SpeedButtonZoom2);
  SelectRule(f, "FFT_Zoom", "x4", SpeedButtonZoom4);
  SelectRule(f, "FFT_Zoom", "x8", SpeedButtonZoom8);
  MenuAll(f, "FFT_Window", kWindowKeys, std::array<TMenuItem*, 5>{Rectangle1, Bartlett1, Hamming1, Hanning1, Blackman1});
  MenuRule(f, "FFT_Options", "Maximum", Maximum1);
  MenuRule(f, "FFT_Options", "Average", Average1);
  MenuRule(f, "FFT_Options", "VectorAverage", VectorAverage1);
  MenuRule(f, "FFT_Markers", "Markers_1", MarkersFFT1);
  MenuRule(f, "FFT_Markers", "Markers_2", MarkersFFTdBf1);
  MenuRule(f, "View", "DotJoin", DotJoin1);

  // The stored instrument: the scope time view unless the file says more.
  if (f.Flag("Device", "Scope", false) && SpeedButton22) SpeedButton22->SetDown(true);
  SpeedButton22Click(this);
  if (f.Flag("Device", "FFT", false) && fft1) {
    fft1->SetDown(true);
    fft1Click(this);
  }
  if (f.Flag("Device", "Recorder", false) && SpeedButton27) {
    SpeedButton27->SetDown(true);
    SpeedButton27Click(this);
  }
  ScopeState.ClearPending = 1;

  if (f.Flag("Device", "Generator", false) && GeneratorControls) {
    GeneratorPanel& g = *GeneratorControls;
    const auto ranges = g.RangeButtons();
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      PutGeneratorButton(f, "Freq", kFreqKeys[i], ranges[i]);
      if (ranges[i]->Down()) RunGeneratorRange(i);
    }
    // A recalled file never selects the library shape.
    const auto shapes = g.ShapeButtons();
    for (std::size_t i = 0; i < 3; ++i) {
      PutGeneratorButton(f, "Wave", kWaveKeys[i], shapes[i]);
      if (shapes[i]->Down()) RunClick(shapes[i]);
    }
    const double frequency = StoredNumber(f, "Signal", "Frequency", "1000");
    const double amplitude = StoredNumber(f, "Signal", "Amplitude", "5");
    // The sliders follow the stored frequency first, or the range handler
    // below would snap a frequency of a whole multiple of the range's
    // minimum to the slider's end.
    if (Form1_fgen) {
      Form1_fgen->set_fg(frequency, 0, amplitude);
      Form1_fgen->HoldFrequencyOnSliders();
    }
    for (std::size_t i = 0; i < ranges.size(); ++i)
      if (ranges[i]->Down()) RunGeneratorRange(i);
    PutPosition(f, "Signal", "Symmetry", g.TrackBar5, [&] { g.TrackBar5Change(&g); });
    if (Form1_fgen) Form1_fgen->Timer8Timer(Form1_fgen);
    PutPosition(f, "Signal", "Offset", g.TrackBar6, [&] { g.TrackBar6Change(&g); });
    if (g.TrackBar7) g.TrackBar7->SetPosition(f.Integer("Signal", "Amplitude_position", g.TrackBar7->Position()));
  }

  if (SpeedButton21) SpeedButton21->SetDown(f.Flag("Math", "Button", SpeedButton21->Down()));
  ScrollBar2->SetPosition(f.Integer("Trigger", "Position_x", ScrollBar2->Position()));
  ScrollBar2Change(this);

  bool mathChecked = false;
  for (TMenuItem* item : MathItems()) mathChecked = mathChecked || (item && item->Checked());
  if (mathChecked && SpeedButton21 && SpeedButton21->Down()) RunClick(SpeedButton21);

  DisplayState.GridPenColor = BrightGrid1 && BrightGrid1->Checked() ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;

  if (Form10 && Form10->Visible()) {
    Form10->Show();
    ScopeState.ClearPending = 1;
    Form10->putsataanko();
    ScopeState.ClearPending = 0;
    Form10->piirrot();
    ScopeState.BigScreenOn = 1;
  }
}

// ================================================================ menus

void TForm1::CreateSettingsFileControls() {
  ControlMaker make(this);
  // Above "Calibrate": the data files, then the settings files.
  const int at = File1->IndexOf(Calibrate1);
  int next = at < 0 ? File1->Count() : at;
  auto place = [&](const char* name, const char* caption, TNotifyEvent handler) {
    TMenuItem* item = make.Item(name, caption);
    item->OnClick = std::move(handler);
    File1->Insert(next++, item);
    return item;
  };
  OpenData1 = place("OpenData1", "Open DSO Data...", [this](TObject* s) { OpenData1Click(s); });
  SaveDSOData1 = place("SaveDSOData1", "Save DSO Data...", [this](TObject* s) { SaveDSOData1Click(s); });
  place("N3", "-", nullptr);
  SaveSettings1 = place("SaveSettings1", "Save Oscilloscope Settings...", [this](TObject* s) { SaveSettings1Click(s); });
  RecallSettings1 =
      place("RecallSettings1", "Recall Oscilloscope Settings...", [this](TObject* s) { RecallSettings1Click(s); });
  place("N4", "-", nullptr);

  SaveRecallLastSettings1 = make.Item(Options1, "SaveRecallLastSettings1", "Save/Recall Last Oscilloscope Settings",
                                      [this](TObject* s) { SaveRecallLastSettings1Click(s); });

  SaveDialog3 = new TSaveDialog(this);
  SaveDialog3->Name = "SaveDialog3";
  SaveDialog3->SetFilter(kSettingsFilter);
  SaveDialog3->SetDefaultExt("set");
}
