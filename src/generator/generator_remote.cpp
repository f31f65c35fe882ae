// The generator mailbox poll on the scope window's Timer5.
#include <algorithm>
#include <array>
#include <span>

#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/more_functions.h"
#include "generator/panel_rules.h"
#include "io/generator_mailbox.h"
#include "io/shared_blocks.h"
#include "platform/ui/application.h"

static_assert(io::kRemoteFrequencyRanges == generator::FrequencyRanges.size(),
              "a remote request picks one of the panel's frequency ranges");

void generator::ServeGeneratorMailbox(engine::ScopeWindow& scope, GeneratorSharedState& state) {
  io::GeneratorMailboxMemory& GeneratorMailbox = state.GeneratorMailbox;
  using io::UseGeneratorMailbox;
  if (!io::GeneratorMailboxBlock || !scope.Generator() || !Form1_fgen) return;
  if (scope.States().ScopeState.ClosingDone || Application->Terminated()) return;
  scope.MailboxTimer()->SetEnabled(false);
  // The poll runs again, and says it lives, however the request ended.
  struct Rearm {
    engine::ScopeWindow* form;
    ~Rearm() {
      if (Application->Terminated()) return;
      form->MailboxTimer()->SetEnabled(true);
      form->SetShareData1(io::kGenAlive, io::kGenAliveValue);
    }
  } rearm{&scope};

  // The request as it stands now, each word read once.
  std::array<std::int32_t, io::kGeneratorMailboxBytes / sizeof(std::int32_t)> words{};
  if (!UseGeneratorMailbox([&] {
        for (std::size_t i = 0; i < words.size(); ++i) words[i] = io::GeneratorMailboxBlock->Get(i);
      }))
    return;
  const std::int32_t control = words[io::kGenControl];
  const std::int32_t wave = words[io::kGenWave];
  const std::int32_t frequency = words[io::kGenFrequency];
  const std::int32_t amplitude = words[io::kGenAmplitude];
  const std::int32_t offset = words[io::kGenOffset];
  const std::int32_t sweepEnd = words[io::kGenSweepEnd];
  const std::int32_t sweepTime = words[io::kGenSweepTime];
  GeneratorPanel& panel = *scope.Generator();
  TGrSpeedButton* moreSweep = BtnBottomDlg1_fgen ? BtnBottomDlg1_fgen->SpeedButton3 : nullptr;

  // The library file a wave-5 request names, for the library reader (and
  // the wave-sequence player, which shares the name).
  if (wave == 5)
    state.SequenceLibFile = io::RemoteLibraryName(std::span(words).subspan(io::kGenNameFirst), words[io::kGenNameLength]);

  const bool holdEdge = control == io::kGenHold && GeneratorMailbox.PreviousControl != io::kGenHold;
  if (!holdEdge) {
    // Output off on the edge to 223 only.
    if (state.GeneratorActive && control == io::kGenOutputOff && GeneratorMailbox.PreviousControl != io::kGenOutputOff) {
      for (TGrSpeedButton* b : panel.ShapeButtons()) panel.PutButton(b, false);
      state.GenOutputOff = 1;
      Form1_fgen->Disable();
      GeneratorMailbox.Wave = 0;
    }
    const bool changed = wave != GeneratorMailbox.Wave || frequency != GeneratorMailbox.Frequency ||
                         amplitude != GeneratorMailbox.Amplitude || offset != GeneratorMailbox.Offset;
    if (wave != 0 && control != io::kGenOutputOff && state.GeneratorActive && changed) {
      // The shape applied last is released through its own button.
      switch (GeneratorMailbox.Wave) {
        case 1: case 2: case 3: {
          TGrSpeedButton* b = panel.ShapeButtons()[static_cast<std::size_t>(GeneratorMailbox.Wave - 1)];
          b->SetDown(false);
          if (b->OnClick) b->OnClick(b);
          break;
        }
        case 4:
          if (moreSweep) {
            moreSweep->SetDown(false);
            BtnBottomDlg1_fgen->SpeedButton3Click(moreSweep);
          }
          break;
        default: break;
      }
      GeneratorMailbox.Wave = wave;
      GeneratorMailbox.Frequency = frequency;
      GeneratorMailbox.Amplitude = amplitude;
      GeneratorMailbox.Offset = offset;
      const std::int32_t shape = std::clamp(wave, 1, 5);
      double hz = frequency / 1000.0;
      const double offsetVolts = std::clamp(offset / 1000.0, -5.0, 5.0);
      const double amplitudeVolts = std::clamp(amplitude / 1000.0, 0.1, 10.0);

      if (shape == 4) {
        const double endHz = sweepEnd / 1000.0;
        const double seconds = sweepTime / 1000.0;
        if (moreSweep) moreSweep->SetDown(true);
        for (GeneratorPanel* p : state.Panels) {
          for (std::size_t i = 0; i < 3; ++i) p->ShapeButtons()[i]->SetDown(false);
          p->TrackBar4->SetVisible(false);
          p->TrackBar5->SetVisible(false);
          p->Panel7->SetVisible(true);
          GeneratorPanel::PaintReadout(p->Image5, 10, 5, "SWEEP            ", GeneratorPanel::kReadoutColor);
          p->Edit3->SetText(EntryText(hz));
          p->Edit4->SetText(EntryText(endHz));
          p->Edit9->SetText(EntryText(seconds));
        }
        state.GenOutputOff = 0;
        state.WaveShape = kShapeSweep;
        if (hz >= 5000) hz /= 1000;
        if (endHz < 0.1) hz *= 1000;
        Form1_fgen->set_fg(hz, offsetVolts, amplitudeVolts);
        panel.StartSweepClick(panel.StartSweep);
      } else {
        const std::size_t range = io::RemoteFrequencyRange(hz);
        TGrSpeedButton* rangeButton = panel.RangeButtons()[range];
        rangeButton->SetDown(true);
        if (rangeButton->OnClick) rangeButton->OnClick(rangeButton);
        Form1_fgen->set_fg(io::RemoteFrequencyInRangeUnit(hz, range), offsetVolts, amplitudeVolts);
        state.GenOutputOff = 0;
        if (shape <= 3) {
          TGrSpeedButton* b = panel.ShapeButtons()[static_cast<std::size_t>(shape - 1)];
          b->SetDown(true);
          if (b->OnClick) b->OnClick(b);
        } else {
          // The library waveform: the shape buttons go up only when the file
          // was read; the apply runs either way.
          if (Form1_fgen->file3_count()) {
            state.FilterChoice = 1;
            for (GeneratorPanel* p : state.Panels) {
              for (std::size_t i = 0; i < 3; ++i) p->ShapeButtons()[i]->SetDown(false);
              p->TrackBar4->SetVisible(true);
              p->TrackBar5->SetVisible(false);
            }
            state.GenOutputOff = 0;
            state.WaveShape = kShapeLibrary;
            Application->ProcessMessages();
          }
          Form1_fgen->Timer8Timer(&scope.Window());
        }
      }
    }
  }
  GeneratorMailbox.PreviousControl = control;
}
