// The generator panel: range and shape buttons, sliders, entries, read-outs,
// the waveform preview, the sweep, noise and DC panels and the generator's
// menu items. One class for every window that carries the generator's
// controls (the scope window, the recorder window); every instance drives the
// one generator engine (Form1_fgen) and mirrors its changes onto the others.
// Controls are owned by the host window and keep their documented names, so
// the host's FindComponent finds them.
#pragma once

#include <array>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace generator {
struct GeneratorSharedState;
}

class GeneratorPanel : public TComponent {
 public:
  struct Options {
    bool ScopeWindow = true;  // the scope window's panel (Probe Test, the sweep progress timer)
    TMenuItem* OptionsMenu = nullptr;  // receives "Fine Tune...", "Peak Offset ...", "Auto Offset ..."
    TMenuItem* ToolsMenu = nullptr;    // receives "Wave Editor", "Bode Plotter" (scope window only), "Wave Sequence"
  };

  // Size of the area the panel fills, from the parent's top-left corner.
  static constexpr int kWidth = 1240;
  static constexpr int kHeight = 176;
  static constexpr int kPreviewWidth = 196;
  static constexpr int kPreviewHeight = 128;

  // The host window owns the panel as one of its components; the panel is
  // one of `state`'s panels as long as it lives.
  GeneratorPanel(TForm* owner, TWinControl* parent, int left, int top, Options options,
                 generator::GeneratorSharedState& state);
  ~GeneratorPanel() override;

  generator::GeneratorSharedState& GeneratorState;

  TForm* HostForm() const { return owner_; }
  bool ScopeWindow() const { return options_.ScopeWindow; }
  // True when `control` is one of this panel's controls.
  bool Holds(const TObject* control) const;

  // ---- Controls (documented names)
  TGroupBox* RangeBox = nullptr;
  TGroupBox* ShapeBox = nullptr;
  TGroupBox* FrequencyBox = nullptr;
  TGroupBox* OutputBox = nullptr;
  TGroupBox* PreviewBox = nullptr;
  TGroupBox* ModeBox = nullptr;
  // Ranges, top range first: "500k" ("1M" for the sine), "50k", "5k",
  // "500Hz" (down at start), "50Hz", "5Hz", "0.5Hz", "0.05Hz".
  TGrSpeedButton* GrSpeedButton3 = nullptr;
  TGrSpeedButton* GrSpeedButton4 = nullptr;
  TGrSpeedButton* GrSpeedButton5 = nullptr;
  TGrSpeedButton* GrSpeedButton6 = nullptr;
  TGrSpeedButton* GrSpeedButton7 = nullptr;
  TGrSpeedButton* GrSpeedButton8 = nullptr;
  TGrSpeedButton* GrSpeedButton9 = nullptr;
  TGrSpeedButton* GrSpeedButton10 = nullptr;
  // Shapes (one group, all may be up): sine, square, triangle, More.
  TGrSpeedButton* GrSpeedButton11 = nullptr;
  TGrSpeedButton* GrSpeedButton12 = nullptr;
  TGrSpeedButton* GrSpeedButton13 = nullptr;
  TGrSpeedButton* GrSpeedButton14 = nullptr;
  TGrSpeedButton* GrSpeedButton2 = nullptr;  // "Probe Test" (scope window only)
  TTrackBar* TrackBar4 = nullptr;  // frequency 0..90
  TTrackBar* TrackBar5 = nullptr;  // duty 10..90, square only
  TTrackBar* TrackBar6 = nullptr;  // offset 0..255 (vertical, 128 = 0 V)
  TTrackBar* TrackBar7 = nullptr;  // amplitude 0..99 (vertical, 0 = 10 Vpp)
  TLabel* Label25 = nullptr;  // "Duty cycle "
  TLabel* Label23 = nullptr;  // duty value
  TLabel* Label24 = nullptr;  // "%"
  TImage* Image5 = nullptr;  // frequency read-out
  TImage* Image9 = nullptr;  // second frequency read-out (hidden while a Bode sweep hides the first)
  TImage* Image7 = nullptr;  // offset read-out
  TImage* Image8 = nullptr;  // amplitude read-out
  TPanel* Panel13 = nullptr;  // VRMS, sine only
  TImage* Image2 = nullptr;
  TLabel* Label36 = nullptr;  // "VRMS"
  TLabel* Label29 = nullptr;  // "Vpp" or "Vp"
  TEdit* Edit1 = nullptr;  // frequency entry
  TEdit* Edit5 = nullptr;  // its unit (disabled)
  TEdit* Edit6 = nullptr;  // offset entry
  TEdit* Edit7 = nullptr;  // amplitude entry
  TEdit* Edit8 = nullptr;  // VRMS entry
  TImage* Image6 = nullptr;  // waveform preview
  TPanel* Panel7 = nullptr;  // sweep
  TEdit* Edit3 = nullptr;    // start, Hz
  TEdit* Edit4 = nullptr;    // stop, Hz
  TEdit* Edit9 = nullptr;    // time, s
  TRadioButton* Lin = nullptr;
  TRadioButton* Log = nullptr;
  TButton* StartSweep = nullptr;
  TGrSpeedButton* StopSweep = nullptr;
  TProgressBar* Bar1 = nullptr;  // 0..14
  TPanel* Panel6 = nullptr;  // noise
  TPanel* Panel8 = nullptr;  // DC
  // Menu items (added to the host's menus when given).
  TMenuItem* FT1 = nullptr;
  TMenuItem* PO1 = nullptr;
  TMenuItem* AO1 = nullptr;
  TMenuItem* WaveEditor1 = nullptr;
  TMenuItem* BodePlotter1 = nullptr;
  TMenuItem* WaveSequence1 = nullptr;

  // The range buttons in FrequencyRanges order, the shape buttons in shape order.
  std::array<TGrSpeedButton*, 8> RangeButtons() const;
  std::array<TGrSpeedButton*, 4> ShapeButtons() const;

  // ---- Handlers of this panel's controls: each mirrors its control onto the
  // other panels, then runs the engine's operation.
  void GrSpeedButton3Click(TObject* Sender);
  void GrSpeedButton4Click(TObject* Sender);
  void GrSpeedButton5Click(TObject* Sender);
  void GrSpeedButton6Click(TObject* Sender);
  void GrSpeedButton7Click(TObject* Sender);
  void GrSpeedButton8Click(TObject* Sender);
  void GrSpeedButton9Click(TObject* Sender);
  void GrSpeedButton10Click(TObject* Sender);
  void RangeButtonClick(std::size_t index);
  void GrSpeedButton11Click(TObject* Sender);
  void GrSpeedButton12Click(TObject* Sender);
  void GrSpeedButton13Click(TObject* Sender);
  void GrSpeedButton14Click(TObject* Sender);
  void TrackBar4Change(TObject* Sender);
  void TrackBar5Change(TObject* Sender);
  void TrackBar6Change(TObject* Sender);
  void TrackBar7Change(TObject* Sender);
  void StartSweepClick(TObject* Sender);
  void StopSweepClick(TObject* Sender);
  void LinClick(TObject* Sender);
  void LogClick(TObject* Sender);
  void PO1Click(TObject* Sender);
  void AO1Click(TObject* Sender);
  // Puts one of this panel's range or shape buttons, and its twins on the
  // other panels, up or down without running a handler; in these two
  // groups any button may be put up.
  void PutButton(TGrSpeedButton* button, bool down);
  // Puts every panel's amplitude slider at `position` without running a
  // handler: the amplitude, its read-outs and the output stay as they are.
  void PutAmplitudeSlider(int position);
  // "Probe Test": a 1 kHz, 10 Vpp square and the scope set up to show it.
  void GrSpeedButton2Click(TObject* Sender);
  // One tick of the sweep progress: the scope window's bar steps 0..14 and
  // wraps; the other panels show that position + 1.
  static void StepSweepProgress(const generator::GeneratorSharedState& state);

  // Paints a read-out picture: its background, then the text.
  static void PaintReadout(TImage* image, int x, int y, const std::string& text, TColor color);
  static constexpr TColor kReadoutBackground = 15524835;
  static constexpr TColor kReadoutColor = 0x800000;  // navy
  static constexpr TColor kReadoutGrey = 0x808080;

 private:
  void Build(TWinControl* parent, int left, int top);
  void BindHandlers();
  void BuildMenus();
  void ShapeClick(std::size_t index);
  // Sets a slider on the other panels without their handlers calling the engine again.
  template <class F>
  void ForOtherPanels(F&& f);
  void OffsetModeClick(bool peak);

  TForm* owner_;
  Options options_;
};

// The scope window's generator panel, whose Stop Sweep and range buttons
// lead; without one, the first panel there is (nullptr when none).
GeneratorPanel* LeadingGeneratorPanel(const generator::GeneratorSharedState& state);
// The scope window's generator panel; nullptr without the scope window.
GeneratorPanel* ScopeGeneratorPanel();
// The scope window's sweep progress bar (its Timer91) runs or stops;
// nothing without the scope window.
void RunScopeSweepBar(bool on);

namespace engine {
class ScopeWindow;
}
namespace generator {
// The scope window's Timer5: carries out what another program asks of the
// generator in the generator mailbox, and says the generator lives.
void ServeGeneratorMailbox(engine::ScopeWindow& scope, GeneratorSharedState& state);
}  // namespace generator
