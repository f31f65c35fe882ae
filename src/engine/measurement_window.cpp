// The "Waveform Parameters" window (TForm_99).
#include "engine/measurement_window.h"

#include <initializer_list>

#include "engine/add_text.h"
#include "engine/help_request.h"
#include "engine/markers/markers_controller.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"

namespace {

constexpr int kGridLeft = 8;
constexpr int kGridTop = 8;
constexpr int kRowHeight = 17;
constexpr int kRows = 25;
constexpr int kColumnWidths[3] = {158, 96, 94};

struct RowBox {
  int Row;
  const char* Name;
  const char* Caption;
  const char* ReportLabel;
};

// The boxes in table order: rows 1..13 and 15..22.
constexpr RowBox kRowBoxes[] = {
    {1, "CheckBox1", "DC  Mean", "DC Mean:\t"},       {2, "CheckBox2", "Max", "Max:\t"},
    {3, "CheckBox3", "Min", "Min:\t"},                {4, "CheckBox4", "Peak-to-Peak", "Pk-to-Pk:\t"},
    {5, "CheckBox17", "High", "High:\t"},             {6, "CheckBox18", "Low", "Low:\t"},
    {7, "CheckBox19", "Amplitude", "Amplitude:\t"},   {8, "CheckBox5", "AC RMS", "AC RMS:\t"},
    {9, "CheckBox6", "AC dBV", "AC dBV:\t"},          {10, "CheckBox7", "AC dBm", "AC dBm:\t"},
    {11, "CheckBox8", "AC+DC RMS", "AC+DC RMS:\t"},   {12, "CheckBox9", "AC+DC dBV ", "AC+DC dBV:\t"},
    {13, "CheckBox10", "AC+DC dBm ", "AC+DC dBm:\t"}, {15, "CheckBox11", "Duty Cycle", "Duty Cycle:\t"},
    {16, "CheckBox14", "Positive Width", "Pos. Width:\t"}, {17, "CheckBox15", "Negative Width", "Neg. Width:\t"},
    {18, "CheckBox20", "Rise Time", "Rise Time:\t"},  {19, "CheckBox21", "Fall Time", "Fall Time:\t"},
    {20, "CheckBox16", "Period", "Period:\t"},        {21, "CheckBox12", "Frequency", "Frequency:\t"},
    {22, "CheckBox13", "Phase ", "Phase:\t"},
};

// "Select All" checks the boxes in this order (Phase comes last, on its own).
constexpr int kSelectOrder[] = {1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 15, 21, 16, 17, 20, 5, 6, 7, 18, 19};

TCheckBox* MakeBox(TForm_99* form, const char* name, const char* caption, int left, int top, int width) {
  auto* box = new TCheckBox(form);
  box->Name = name;
  box->SetParent(form);
  box->SetCaption(caption);
  box->SetBounds(left, top, width, kRowHeight - 2);
  return box;
}

TGrSpeedButton* MakeButton(TForm_99* form, const char* name, const char* caption, int left, int top) {
  auto* b = new TGrSpeedButton(form);
  b->Name = name;
  b->SetParent(form);
  b->SetCaption(caption);
  b->SetBounds(left, top, 85, 21);
  return b;
}

void Remeasure() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope) return;
  scope->Markers().measure();
  scope->piirrot();
}

}  // namespace

TForm_99::TForm_99(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  Name = "Form_99";
  SetCaption("Waveform Parameters");
  SetFormStyle(fsStayOnTop);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetBorderStyle(bsSingle);
  TFont bold = Font();
  bold.Style = fsBold;
  SetFont(bold);
  SetClientWidth(377);
  SetClientHeight(515);

  StringGrid1 = new TStringGrid(this);
  StringGrid1->Name = "StringGrid1";
  StringGrid1->SetParent(this);
  StringGrid1->SetColCount(3);
  StringGrid1->SetRowCount(kRows);
  StringGrid1->SetFixedRows(0);
  StringGrid1->SetFixedCols(0);
  StringGrid1->SetDefaultRowHeight(kRowHeight);
  for (int c = 0; c < 3; ++c) StringGrid1->SetColWidth(c, kColumnWidths[c]);
  StringGrid1->SetGridLines(true);
  StringGrid1->SetBounds(kGridLeft, kGridTop, 158 + 96 + 94 + 4, kRows * kRowHeight + 4);
  StringGrid1->SetEnabled(false);
  StringGrid1->SetCell(0, 0, "Amplitude:");
  StringGrid1->SetCell(0, 14, "Timing:");

  auto rowTop = [](int row) { return kGridTop + 2 + row * kRowHeight; };
  CH1M = MakeBox(this, "CH1M", "CH1", kGridLeft + kColumnWidths[0] + 4, rowTop(0), 80);
  CH2M = MakeBox(this, "CH2M", "CH2", kGridLeft + kColumnWidths[0] + kColumnWidths[1] + 4, rowTop(0), 80);
  for (const RowBox& r : kRowBoxes)
    RowBoxes[static_cast<std::size_t>(r.Row)] = MakeBox(this, r.Name, r.Caption, kGridLeft + 4, rowTop(r.Row), 150);
  // Checked before the handlers are bound: creating the window measures nothing.
  CH1M->SetChecked(true);
  CH2M->SetChecked(true);
  for (TCheckBox* box : {CH1M, CH2M}) box->OnClick = [this](TObject* s) { MeasureBoxClick(s); };
  for (TCheckBox* box : RowBoxes)
    if (box) box->OnClick = [this](TObject* s) { MeasureBoxClick(s); };

  const int buttonsTop = kGridTop + kRows * kRowHeight + 16;
  CH1on = MakeButton(this, "CH1on", "Select All", kGridLeft, buttonsTop);
  GrSpeedButton2 = MakeButton(this, "GrSpeedButton2", "Unselect All", kGridLeft + 95, buttonsTop);
  GrSpeedButton1 = MakeButton(this, "GrSpeedButton1", "Help", kGridLeft + 190, buttonsTop);
  SpeedButton29 = MakeButton(this, "SpeedButton29", "Close", kGridLeft + 190, buttonsTop + 28);
  CheckBox22 = MakeBox(this, "CheckBox22", "Show on Screen", kGridLeft, buttonsTop + 30, 150);
  CH1on->OnClick = [this](TObject* s) { CH1onClick(s); };
  GrSpeedButton2->OnClick = [this](TObject* s) { GrSpeedButton2Click(s); };
  GrSpeedButton1->OnClick = [this](TObject* s) { GrSpeedButton1Click(s); };
  SpeedButton29->OnClick = [this](TObject* s) { SpeedButton29Click(s); };
  CheckBox22->OnClick = [this](TObject* s) { CheckBox22Click(s); };

  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  Memo1->SetParent(this);
  Memo1->SetVisible(false);

  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  SetVisible(false);
}

bool TForm_99::RowChecked(int row) const {
  if (row < 0 || row >= display::kMeasureRows) return false;
  const TCheckBox* box = RowBoxes[static_cast<std::size_t>(row)];
  return box && box->Checked();
}

void TForm_99::ShowColumn(int column, const display::MeasureCells& cells) {
  for (int row = 1; row <= display::kRowFrequency; ++row)
    if (row != display::kRowTiming) StringGrid1->SetCell(column, row, RowChecked(row) ? cells[static_cast<std::size_t>(row)] : "");
}

void TForm_99::ClearColumn(int column) {
  for (int row = 1; row <= display::kRowPhase; ++row)
    if (row != display::kRowTiming) StringGrid1->SetCell(column, row, "");
}

void TForm_99::MeasureBoxClick(TObject* /*Sender*/) { Remeasure(); }

void TForm_99::CH1onClick(TObject* /*Sender*/) {
  for (int row : kSelectOrder) RowBoxes[static_cast<std::size_t>(row)]->SetChecked(true);
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->Markers().measure();
  RowBoxes[display::kRowPhase]->SetChecked(true);
}

void TForm_99::GrSpeedButton2Click(TObject* /*Sender*/) {
  RowBoxes[display::kRowPhase]->SetChecked(false);
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->Markers().measure();
  for (int row : kSelectOrder) RowBoxes[static_cast<std::size_t>(row)]->SetChecked(false);
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) scope->Markers().measure();
}

void TForm_99::SpeedButton29Click(TObject* /*Sender*/) { Close(); }

void TForm_99::GrSpeedButton1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kScopeHelp, io::kMeasurementTopic); }

void TForm_99::CheckBox22Click(TObject* /*Sender*/) {
  ScopeState.ParametersOnScreen = CheckBox22->Checked() ? 1 : 0;
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope) return;
  ScopeState.ClearPending = 1;
  scope->putsataanko();
  scope->piirrot();  // draws the list while it is on
}

void TForm_99::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  if (ScopeState.ParametersOnScreen) CheckBox22->SetChecked(false);
  if (Form_9) Form_9->Parameters->SetEnabled(false);
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (scope && scope->MarkerItems().MoreData1) scope->MarkerItems().MoreData1->SetChecked(false);
}

std::vector<std::string> TForm_99::ReportLines() const {
  std::vector<std::string> lines;
  if (!Visible()) return lines;
  const bool ch1 = CH1M->Checked(), ch2 = CH2M->Checked();
  if (!ch1 && !ch2) return lines;
  lines.push_back(ch1 && ch2 ? " \tCH1\tCH2" : ch1 ? " \tCH1" : " \tCH2");
  for (const RowBox& r : kRowBoxes) {
    if (!RowChecked(r.Row)) continue;
    std::string line = r.ReportLabel;
    if (ch1) line += StringGrid1->Cells(1, r.Row);
    if (ch1 && ch2) line += "\t";
    if (ch2) line += StringGrid1->Cells(2, r.Row);
    lines.push_back(line);
  }
  return lines;
}

void TForm_99::CopyClick(TObject* /*Sender*/) {
  Memo1->Lines().BeginUpdate();
  Memo1->Lines().Clear();
  for (const std::string& line : ReportLines()) Memo1->Lines().Add(line);
  Memo1->Lines().EndUpdate();
}
