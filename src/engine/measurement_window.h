// The "Waveform Parameters" window: which measurements of CH1 and CH2 are
// shown, the table of their values, the list on the scope picture, and the
// tab-separated report the annotation window and the print preview read.
#pragma once

#include "engine/scope_states.h"

#include <array>
#include <string>
#include <vector>

#include "display/measurements.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TForm_99 : public TForm, public engine::WithScopeStates {
 public:
  TForm_99(TComponent* owner, const engine::ScopeStates& states);

  TStringGrid* StringGrid1;  // column 0 labels, 1 CH1, 2 CH2; one row per measurement
  TCheckBox* CH1M;
  TCheckBox* CH2M;
  // The box of each measurement row (nullptr for the header rows 0 and 14):
  // CheckBox1 "DC  Mean" .. CheckBox13 "Phase ", as laid over column 0.
  std::array<TCheckBox*, display::kMeasureRows> RowBoxes{};
  TCheckBox* CheckBox22;          // "Show on Screen"
  TGrSpeedButton* CH1on;          // "Select All"
  TGrSpeedButton* GrSpeedButton2; // "Unselect All"
  TGrSpeedButton* SpeedButton29;  // "Close"
  TGrSpeedButton* GrSpeedButton1; // "Help"
  TMemo* Memo1;                   // the report (not shown)

  bool RowChecked(int row) const;
  // Writes a channel's column (1 CH1, 2 CH2): checked rows get their text,
  // unchecked rows an empty cell. ClearColumn empties rows 1..22.
  void ShowColumn(int column, const display::MeasureCells& cells);
  void ClearColumn(int column);

  void MeasureBoxClick(TObject* Sender);
  void CH1onClick(TObject* Sender);
  void GrSpeedButton2Click(TObject* Sender);
  void SpeedButton29Click(TObject* Sender);
  void GrSpeedButton1Click(TObject* Sender);
  void CheckBox22Click(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Builds the report in Memo1 from the table as it stands.
  void CopyClick(TObject* Sender);
  // The report's lines (what CopyClick leaves in Memo1).
  std::vector<std::string> ReportLines() const;
};

inline TForm_99* Form_99 = nullptr;
