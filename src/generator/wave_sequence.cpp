// The wave sequence player: the step timer and its countdown, the memo as a
// list or (with the serial source) as a queue, files, and the serial port.
#include "generator/wave_sequence.h"

#include <filesystem>

#include "engine/help_request.h"
#include "engine/front_panel.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "platform/os/folders.h"
#include "platform/os/numeric.h"
#include "widgets/control_maker.h"

namespace {

constexpr const char* kSequenceCaption = "Wave Sequence";
constexpr unsigned kRestInterval = 50;
constexpr const char* kSequenceFileFilter = "Text file|*.txt|All files|*.*";
// A sequence is a line a step; a file beyond this is no sequence.
constexpr std::uintmax_t kLargestSequenceFile = 4u << 20;
constexpr const char* kTextChangedText =
    "The text in the edit window has changed.\rDo you want to save changes?";
constexpr const char* kInitialSteps =
    "1\t125.5\t-4.5\t7.5\t10\r\n"
    "2\t1000\t2.5\t10\t5\r\n"
    "4\t400\t0\t8\t10\tburst01.lib\r\n"
    "0\t700\t0\t7\t10";

// "Wave Sequence - " and what follows.
std::string CaptionWith(const std::string& tail) {
  std::string caption = kSequenceCaption;
  caption += " - ";
  caption += tail;
  return caption;
}


// The scope's Run and Single buttons stay off while a step is applied.
void EnableScopeRunSingle(bool enabled) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!scope) return;
  scope->Panel().SpeedButtonRun->SetEnabled(enabled);
  scope->Panel().SpeedButtonSingle->SetEnabled(enabled);
}

}  // namespace

TForm900::TForm900(TComponent* owner, generator::GeneratorSharedState& state, const engine::ScopeSharedState& scope)
    : TForm(owner), GeneratorState(state), ScopeState(scope) {
  SetCaption(kSequenceCaption);
  SetFormStyle(fsStayOnTop);
  SetClientWidth(560);
  SetClientHeight(400);
  ControlMaker make(this);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  TMenuItem* root = MainMenu1->Items();
  TMenuItem* file = make.Item(root, "File1", "&File");
  make.Item(file, "Saveas1", "Save As...", [this](TObject* s) { Saveas1Click(s); });
  make.Item(file, "Exit1", "E&xit", [this](TObject* s) { Exit1Click(s); });
  Help1 = make.Item(root, "Help1", "Help", [this](TObject* s) { Help1Click(s); });
  SetMenu(MainMenu1);

  const char* headers[] = {"Function", "Freq.", "Offset", "Voltage", "Time"};
  const char* units[] = {"", "Hz", "V", "Vpp", "Sec"};
  TLabel** values[] = {&Label1, &Label2, &Label3, &Label4, &Label5};
  for (int i = 0; i < 5; ++i) {
    const int x = 12 + i * 100;
    make.Label(this, "Header" + std::to_string(i + 1), headers[i], x, 8);
    *values[i] = make.Label(this, "Label" + std::to_string(i + 1), "0", x, 28);
    make.Label(this, "Unit" + std::to_string(i + 1), units[i], x + 60, 28);
  }

  Memo1 = make.Memo(this, "Memo1", 12, 56, 380, 250);
  Memo1->SetScrollBars(ssBoth);
  Memo1->SetWordWrap(false);
  Memo1->SetText(kInitialSteps);
  Memo1->SetModified(false);
  make.Label(this, "Label6", "Function: 1 - Sine, 2 - Square, 3 - Triangle, 4 - Library, 0 - Previous ", 12, 314);
  make.Label(this, "Label7", "Note: Use Tab as a separator in the data file (do not use spaces).", 12, 334);

  // Skinned, so that a disabled "Run" or "Open..." looks disabled during a
  // run; "Next Step" takes the keyboard focus and stays a push button.
  Button1 = make.Button(this, "Button1", "Run", 0, 404, 56, 140, 26);
  Button4 = make.Add<TButton>(this, "Button4", 404, 88, 140, 26, "Next Step");
  Button4->SetVisible(false);
  Button2 = make.Button(this, "Button2", "Open...", 0, 404, 120, 140, 26);
  Button3 = make.Button(this, "Button3", "Exit", 0, 404, 152, 140, 26);
  CheckBox1 = make.Check(this, "CheckBox1", "Repeat ", 404, 188, 140);
  GroupBox1 = make.Group(this, "GroupBox1", "Source Data ", 404, 216, 140, 74);
  RadioButton1 = make.Radio(GroupBox1, "RadioButton1", "File ", 10, 20, 120);
  RadioButton2 = make.Radio(GroupBox1, "RadioButton2", "Serial Port", 10, 44, 120);
  RadioButton1->SetChecked(true);

  Timer1 = make.Timer("Timer1", kRestInterval, [this](TObject* s) { Timer1Timer(s); });
  Timer2 = make.Timer("Timer2", 1000, [this](TObject* s) { Timer2Timer(s); });
  Timer3 = make.Timer("Timer3", 500, [this](TObject* s) { Timer3Timer(s); });
  Timer3->SetEnabled(true);
  FastTimer1 = new TFastTimer(this);
  FastTimer1->Name = "FastTimer1";
  FastTimer1->SetInterval(1000);
  FastTimer1->SetResolution(10);
  FastTimer1->OnTimer = [this](TObject* s) { FastTimer1Timer(s); };

  ComPort1 = new TComPort(this);
  ComPort1->Name = "ComPort1";
  ComPort1->OnRxChar = [this](TObject* s, int count) { ComPort1RxChar(s, count); };
  ComPort1->OnOpen = [this](TObject* s) { ComPort1Open(s); };

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Name = "OpenDialog1";
  OpenDialog1->SetFilter(kSequenceFileFilter);
  OpenDialog1->SetDefaultExt("txt");
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Name = "SaveDialog1";
  SaveDialog1->SetFilter(kSequenceFileFilter);
  SaveDialog1->SetDefaultExt("txt");
  SaveDialog1->SetOptions(ofOverwritePrompt);

  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  Button3->OnClick = [this](TObject* s) { Button3Click(s); };
  Button4->OnClick = [this](TObject* s) { Button4Click(s); };
  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };
  RadioButton1->OnClick = [this](TObject* s) { RadioButton1Click(s); };
  RadioButton2->OnClick = [this](TObject* s) { RadioButton2Click(s); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
}

// ---------------------------------------------------------------- running

void TForm900::Button1Click(TObject* /*Sender*/) {
  Button4->SetVisible(false);
  SequenceLine = 0;
  SequenceStop = 0;
  Timer1->SetEnabled(true);
  SetRunControls(false);
  if (RadioButton2->Checked()) Memo1->Clear();
}

void TForm900::Button3Click(TObject* /*Sender*/) {
  Button4->SetVisible(false);
  SequenceStop = 1;
  Timer1->SetEnabled(false);
  Timer1->SetInterval(kRestInterval);
  Timer1->SetEnabled(true);
}

void TForm900::Button4Click(TObject* /*Sender*/) { Continue(); }

void TForm900::Continue() {
  if (!SequenceStop && !Timer1->Enabled()) Timer1->SetEnabled(true);
}

void TForm900::SetRunControls(bool enabled) {
  Button1->SetEnabled(enabled);
  Button2->SetEnabled(enabled);
}

void TForm900::Timer1Timer(TObject* /*Sender*/) {
  EnableScopeRunSingle(false);
  Timer1->SetEnabled(false);
  FastTimer1->SetEnabled(false);
  if (SequenceStop) {
    EndSequence();
    EnableScopeRunSingle(true);
    return;
  }
  // One restart per tick: a list whose first usable line is not reached
  // again ends instead of going round for ever.
  bool restarted = false;
  for (;;) {
    const int index = SequenceLine++;
    const std::string line = index < Memo1->Lines().Count() ? Memo1->Lines()[index] : std::string();
    StepOutcome outcome = StepOutcome::Unusable;
    if (line.size() < 9) --SequenceLine;
    else outcome = PlayLine(line, index + 1);
    if (outcome == StepOutcome::Played) break;
    if (outcome == StepOutcome::Unusable && SequenceLine >= 1 && CheckBox1->Checked() && !restarted) {
      restarted = true;
      SequenceLine = 0;
      continue;
    }
    EndSequence();
    break;
  }
  EnableScopeRunSingle(true);
}

TForm900::StepOutcome TForm900::PlayLine(const std::string& line, int lineNumber) {
  using generator::StepLineKind;
  const generator::StepLine parsed = generator::ParseStepLine(line);
  ShowFields(parsed.Fields);
  switch (parsed.Kind) {
    case StepLineKind::Step:
      ApplyStep(parsed.Step);
      StartTiming(parsed.Step.TimeS);
      return StepOutcome::Played;
    case StepLineKind::BadNumber:
      MessageDlg("Error on line " + std::to_string(lineNumber) + " of the input data.", mtWarning, mbOK, 0);
      return StepOutcome::Failed;
    case StepLineKind::MissingSeparator:
      MessageDlg("Missing data or missing separator (Tab) on the line " + std::to_string(lineNumber) +
                     " of the input data.",
                 mtWarning, mbOK, 0);
      return StepOutcome::Unusable;
    case StepLineKind::NotAStep:
      break;
  }
  return StepOutcome::Unusable;
}

void TForm900::ShowFields(const std::array<std::string, 5>& fields) {
  TLabel* labels[] = {Label1, Label2, Label3, Label4, Label5};
  for (std::size_t i = 0; i < fields.size(); ++i) labels[i]->SetCaption(fields[i]);
}

void TForm900::ApplyStep(const generator::SequenceStep& step) {
  GeneratorPanel* scope = ScopeGeneratorPanel();
  if (!scope || !Form1_fgen) return;
  // The step's offset is the offset: the offset modes go off.
  if (scope->AO1->Checked()) scope->AO1Click(scope->AO1);
  if (scope->PO1->Checked()) scope->PO1Click(scope->PO1);
  const bool basic = step.Function >= 1 && step.Function <= 3;
  if (basic) {
    for (GeneratorPanel* p : GeneratorState.Panels) p->GrSpeedButton14->SetDown(false);
    GeneratorState.GenOutputOff = 1;
    Form1_fgen->Disable();
    // The top range then allows the sine's 1 MHz.
    if (step.Function == 1) GeneratorState.WaveShape = generator::kShapeSine;
  }
  const generator::StepRange range = generator::ChooseStepRange(step.FrequencyHz);
  scope->RangeButtons()[range.Index]->SetDown(true);
  scope->RangeButtonClick(range.Index);
  Form1_fgen->set_fg(range.Frequency, step.OffsetV, step.AmplitudeVpp);
  GeneratorState.GenOutputOff = 0;

  if (basic) {
    TGrSpeedButton* button = scope->ShapeButtons()[static_cast<std::size_t>(step.Function - 1)];
    button->SetDown(true);
    if (step.Function == 1) scope->GrSpeedButton11Click(button);
    else if (step.Function == 2) scope->GrSpeedButton12Click(button);
    else scope->GrSpeedButton13Click(button);
    return;
  }
  if (step.Function == 4) {
    GeneratorState.SequenceLibFile = step.LibraryFile;
    if (Form1_fgen->file3_count()) {
      for (GeneratorPanel* p : GeneratorState.Panels) {
        p->TrackBar4->SetVisible(true);
        p->TrackBar5->SetVisible(false);
      }
      GeneratorState.WaveShape = generator::kShapeLibrary;
      Application->ProcessMessages();
    }
  }
  Form1_fgen->Timer8Timer(this);
}

void TForm900::StartTiming(double seconds) {
  if (seconds != 0) {
    Timer1->SetInterval(SequenceStop ? kRestInterval : generator::StepInterval(seconds));
    Button4->SetVisible(false);
    Timer1->SetEnabled(true);
    SequenceCountdown = numeric::Round32(seconds);
    Label5->SetCaption(std::to_string(SequenceCountdown));
    FastTimer1->SetEnabled(true);
    return;
  }
  if (RadioButton1->Checked()) {
    Button4->SetVisible(true);
    Button4->SetFocus();
  }
  Timer1->SetInterval(kRestInterval);
  Timer1->SetEnabled(false);
  SequenceCountdown = 0;
  FastTimer1->SetEnabled(false);
}

void TForm900::EndSequence() {
  const bool stopped = SequenceStop != 0;
  if (!stopped && RadioButton2->Checked()) {
    Memo1->Clear();
    SequenceLine = 0;
  }
  for (GeneratorPanel* p : GeneratorState.Panels)
    for (TGrSpeedButton* b : p->ShapeButtons()) b->SetDown(false);
  GeneratorState.GenOutputOff = 1;
  if (Form1_fgen) Form1_fgen->Disable();
  for (TLabel* label : {Label1, Label2, Label3, Label4, Label5}) label->SetCaption("0");
  if (RadioButton1->Checked() || stopped) SetRunControls(true);
  Timer1->SetEnabled(false);
  FastTimer1->SetEnabled(false);
  Timer1->SetInterval(kRestInterval);
  Button4->SetVisible(false);
}

void TForm900::FastTimer1Timer(TObject* /*Sender*/) {
  --SequenceCountdown;
  Label5->SetCaption(std::to_string(SequenceCountdown));
}

void TForm900::Timer2Timer(TObject* /*Sender*/) {}

void TForm900::Timer3Timer(TObject* /*Sender*/) {
  if (Visible() && Button4->Visible()) Button4->SetFocus();
}

void TForm900::CheckBox1Click(TObject* /*Sender*/) { SequenceRepeat = CheckBox1->Checked() ? 1 : 0; }

// ---------------------------------------------------------------- sources and files

void TForm900::Button2Click(TObject* /*Sender*/) {
  Button4->SetVisible(false);
  if (RadioButton2->Checked()) {
    SetCaption(kSequenceCaption);
    ComPort1->ShowSetupDialog();
    try {
      ComPort1->Open();
    } catch (const EComPort& e) {
      MessageDlg(e.what(), mtError, mbOK, 0);
    }
    return;
  }
  if (OpenDialog1->InitialDir().empty()) OpenDialog1->SetInitialDir(ScopeState.DocumentsFolder);
  if (!OpenDialog1->Execute()) return;
  const std::string path = OpenDialog1->FileName();
  TStrings lines;
  std::string why;
  if (!lines.LoadFromFile(path, kLargestSequenceFile, &why)) {
    MessageDlg("Cannot open file " + path + ": " + why + ".", mtError, mbOK, 0);
    return;
  }
  Memo1->Lines().Assign(lines);
  Memo1->SetModified(false);
  SequenceFileName = path;
  SetCaption(CaptionWith(std::filesystem::path(path).filename().string()));
}

bool TForm900::Saveas1Click(TObject* /*Sender*/) {
  if (SaveDialog1->InitialDir().empty()) SaveDialog1->SetInitialDir(ScopeState.DocumentsFolder);
  SaveDialog1->SetFileName(SequenceFileName);
  if (!SaveDialog1->Execute()) return false;
  const std::string path = SaveDialog1->FileName();
  if (!os::WriteWholeFile(path, Memo1->Lines().Text())) {
    MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
    return false;
  }
  SequenceFileName = path;
  Memo1->SetModified(false);
  SetCaption(CaptionWith(std::filesystem::path(path).filename().string()));
  return true;
}

void TForm900::RadioButton1Click(TObject* /*Sender*/) {
  ComPort1->Close();
  SetCaption(kSequenceCaption);
  Button2->SetCaption("Open...");
  CheckBox1->SetEnabled(true);
}

void TForm900::RadioButton2Click(TObject* /*Sender*/) {
  if (!RadioButton2->Checked()) return;
  if (Memo1->Modified()) {
    const int answer = MessageDlg(kTextChangedText, mtConfirmation, mbYesNoCancel, 0);
    // A save that did not happen keeps the text, as Cancel does.
    if ((answer == mrYes && !Saveas1Click(this)) || answer == mrCancel || answer == mrNone)
      RadioButton1->SetChecked(true);
  }
  if (RadioButton1->Checked()) return;
  Button2->SetCaption("COM Setup..");
  Button2Click(this);
  Memo1->Clear();
  Memo1->SetModified(false);
  serial_.Clear();
  Button1Click(this);
  CheckBox1->SetChecked(false);
  CheckBox1->SetEnabled(false);
  SequenceRepeat = 0;
}

void TForm900::ComPort1RxChar(TObject* /*Sender*/, int Count) {
  std::string received;
  ComPort1->ReadStr(received, Count);
  const std::vector<std::string> lines = serial_.Feed(received);
  for (const std::string& line : lines) Memo1->Lines().Add(line);
  if (!lines.empty()) Continue();
}

void TForm900::ComPort1Open(TObject* /*Sender*/) {
  static const char* const kParity = "NOEMS";
  std::string port = "Input Port: COM";
  port += std::to_string(static_cast<int>(ComPort1->Port()) + 1);
  port += ",";
  port += std::to_string(generator::BaudRateValue(ComPort1->BaudRate()));
  port += ComPort1->DataBits() == dbSeven ? ",7," : ",8,";
  port += kParity[ComPort1->Parity().Bits()];
  port += ComPort1->StopBits() == sbTwoStopBits ? ",2" : ",1";
  SetCaption(CaptionWith(port));
}

void TForm900::Exit1Click(TObject* /*Sender*/) { Close(); }

void TForm900::Help1Click(TObject* /*Sender*/) { engine::ShowHelp(io::kGeneratorHelp, io::kWaveSequenceTopic); }

void TForm900::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  if (RadioButton1->Checked()) RadioButton1Click(this);
  else RadioButton1->SetChecked(true);
  if (Timer1->Enabled()) {
    Button3Click(this);
    Application->ProcessMessagesUntil([this] { return !Timer1->Enabled(); });
  }
  CanClose = true;
}
