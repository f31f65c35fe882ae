// The "Persistence Options" dialog: durations, colour grading and acquisition limit.
#pragma once

#include "engine/scope_states.h"

#include <array>
#include <cstdint>

#include "platform/ui/vcl.h"

class TOKRightDlg : public TForm, public engine::WithScopeStates {
 public:
  TOKRightDlg(TComponent* owner, const engine::ScopeStates& states);

  // "Color Graded Persistence": the acquisition limit, the counts of the
  // lowest and highest colour, and the duration ("32" .. "256", "Infinite").
  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;  // "Number of acquisitions:"
  TEdit* Edit2 = nullptr;  // "Low color"
  TEdit* Edit4 = nullptr;  // "High color"
  TRadioButton* RadioButton4 = nullptr;  // "32"
  TRadioButton* RadioButton5 = nullptr;  // "64"
  TRadioButton* RadioButton6 = nullptr;  // "128"
  TRadioButton* RadioButton7 = nullptr;  // "256"
  TRadioButton* RadioButton8 = nullptr;  // "Infinite"
  // "Variable Persistence": the duration ("8", "16", "32").
  TGroupBox* GroupBox2 = nullptr;
  TRadioButton* RadioButton1 = nullptr;  // "8"
  TRadioButton* RadioButton2 = nullptr;  // "16"
  TRadioButton* RadioButton3 = nullptr;  // "32"
  TButton* OKBtn = nullptr;

  // Enter in the edits: each takes its value, limits it and writes it back.
  // A new colour count restarts a running persistence.
  void Read_acquisitions(TObject* Sender);
  void Read_color_increment(TObject* Sender);
  void Read_color_increment2(TObject* Sender);
  // Takes over all three edits.
  void OKBtnClick(TObject* Sender);

  // The controls that belong to persistence mode 1, 2 or 3 enabled, the others not.
  void EnableForMode(int mode);
  // Checks the radio button of a duration; a value no button offers checks none.
  void CheckGradedDuration(std::int32_t mask);
  void CheckVariableDuration(std::int32_t mask);

 private:
  struct Duration {
    TRadioButton* Button;
    std::int32_t Mask;
  };
  std::array<Duration, 5> GradedDurations() const;
  std::array<Duration, 3> VariableDurations() const;
  void ReadAcquisitionsEdit();
  void ReadLowColorEdit();
  void ReadHighColorEdit();
};

inline TOKRightDlg* OKRightDlg = nullptr;
