// "Save DSO Data..." and "Open DSO Data...": the last capture as a text file
// with its steps and annotation, and such a file loaded back through the
// front panel's own buttons.
#include <algorithm>
#include <string_view>

#include "engine/files/files_controller.h"

#include "display/display_state.h"
#include "engine/add_text.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ini/ini_file.h"
#include "io/scope_data_file.h"
#include "io/scope_file_error.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/ui/vcl.h"

namespace {

// A scope data file is about 50 KB; a larger one is refused before it is read.
constexpr std::uintmax_t kLargestScopeDataFile = 1u << 20;

}  // namespace

namespace engine::files {

// ---------------------------------------------------------------- save

void FilesController::SaveDSOData1Click(TObject*) {
  menu_.SaveDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!menu_.SaveDialog2->Execute()) return;
  const std::string path = menu_.SaveDialog2->FileName();

  io::ScopeDataFile d;
  d.TimeDivText = ScopeState.ShareTimeDivText;
  d.Ch1RangeText = ScopeState.Channels[0].ShareRangeText;
  d.Ch2RangeText = ScopeState.Channels[1].ShareRangeText;
  d.Ch1Ground = ScopeState.Channels[0].GroundLevel;
  d.Ch2Ground = ScopeState.Channels[1].GroundLevel;
  // The bit view keeps the raw samples aside; they are what the file holds.
  for (std::size_t n = 0; n < io::kDataRows; ++n) {
    d.Ch1[n] = ScopeState.Settings.DigitalMode ? ScopeState.SampleCopy[display::kChannelSamples + n] : ScopeState.Ch1Samples()[n];
    d.Ch2[n] = ScopeState.Settings.DigitalMode ? ScopeState.SampleCopy[n] : ScopeState.Ch2Samples()[n];
  }
  io::CommentBlock note;
  if (ScopeState.ScopeNoteShown && Form_9 && Form_9->Memo1->Lines().Count() > 0) {
    note.Lines = Form_9->Memo1->Lines().Lines();
    note.X = DisplayState.ScopeNoteX;
    note.Y = DisplayState.ScopeNoteY;
    note.Transparent = DisplayState.ScopeNoteTransparent != 0;
    d.Comment = &note;
  }
  if (!os::WriteWholeFile(path, io::FormatScopeDataFile(d)))
    MessageDlg(UnableToWriteMessage(path), mtError, mbOK, 0);
}

// ---------------------------------------------------------------- open

void FilesController::OpenData1Click(TObject*) {
  if (panel_.SpeedButtonRun->Down()) {
    panel_.SpeedButtonRun->SetDown(false);
    host_.SpeedButtonRunClick(nullptr);
    host_.WaitOneTimer6Tick();
    if (Application->Terminated()) return;
  }
  TGrSpeedButton* math = panel_.SpeedButton21;
  const bool mathWasDown = math && math->Visible() && math->Down();
  if (mathWasDown) {
    math->SetDown(false);
    host_.SpeedButton21Click(nullptr);
  }
  if (Form5) Form5->LoadScopeDataFile();
  if (mathWasDown) {
    math->SetDown(true);
    host_.SpeedButton21Click(nullptr);
    host_.ScrollBar2Change(nullptr);
  }
  host_.ScrollBar2Change(nullptr);
}

void FilesController::LoadScopeDataFile(TForm5& reader) {
  TOpenDialog* const OpenDialog2 = reader.OpenDialog2;
  // The bit view is left while the file goes in, and comes back after.
  const bool bitView = bit_view_ && bit_view_->Down();
  auto restoreBitView = [&] {
    if (!bitView) return;
    bit_view_->SetDown(true);
    host_.GrSpeedButton15Click(nullptr);
  };
  if (bitView) {
    bit_view_->SetDown(false);
    host_.GrSpeedButton15Click(nullptr);
  }

  OpenDialog2->SetInitialDir(ScopeState.DocumentsFolder);
  if (!OpenDialog2->Execute()) {
    restoreBitView();
    return;
  }
  const std::string path = OpenDialog2->FileName();
  const os::WholeFile file = os::ReadWholeFile(path, kLargestScopeDataFile);
  if (!file.Ok()) {
    MessageDlg("Unable to open " + path + ": " + file.Error + ".", mtError, mbOK, 0);
    restoreBitView();
    return;
  }
  // Nothing changes before the whole file has been accepted.
  const io::DataFileReading reading = io::ParseScopeDataFile(file.Bytes);
  if (reading.Fault != io::DataFileFault::None) {
    reader.ShowError(io::RefusedDataFileText(path, reading));
    restoreBitView();
    return;
  }
  const io::ParsedScopeData& d = reading.Data;
  ScopeState.DataFileName = path;

  // The probes first: they choose the labels the ranges show.
  for (int channel = 1; channel <= 2; ++channel) {
    const bool x10 = d.X10[channel - 1];
    TGrSpeedButton* probe = channel == 1 ? (x10 ? panel_.x101 : panel_.x11) : (x10 ? panel_.x102 : panel_.x12);
    probe->SetDown(true);
    if (probe->OnClick) probe->OnClick(probe);
  }
  host_.poisto();
  if (ScopeState.SpectrumMode) {
    host_.SpeedButton22Click(nullptr);
    host_.poisto();
  }
  if (d.Ch1Ground) ScopeState.Channels[0].FileGround = *d.Ch1Ground;
  if (d.Ch2Ground) ScopeState.Channels[1].FileGround = *d.Ch2Ground;
  for (std::size_t n = 0; n < io::kDataRows; ++n) {
    ScopeState.Ch1Samples()[n] = d.Ch1[n];
    ScopeState.Ch2Samples()[n] = d.Ch2[n];
  }

  ScopeState.TraceValid = 1;
  const std::uint8_t mathOff = ScopeState.MathOff;
  ScopeState.MathOff = 1;
  // The row of the time/div button that carries the file's caption (the time
  // base also has a row without a button).
  const std::string_view caption = io::kDataTimeCaptions[d.TimeCaption];
  for (std::size_t row = 0; row < engine::TimeBaseTable.size(); ++row)
    if (engine::TimeBaseTable[row].Button && caption == engine::TimeBaseTable[row].Label) {
      host_.TimeBaseStepClick(row);
      break;
    }
  for (int channel = 1; channel <= 2; ++channel) {
    TGrSpeedButton* range = panel_.RangeButtons(channel)[d.Range[channel - 1]];
    range->SetDown(true);
    if (range->OnClick) range->OnClick(range);
  }
  std::copy(ScopeState.ScopeSampleBlock.begin(), ScopeState.ScopeSampleBlock.end(), ScopeState.SpectrumInputBlock.begin());
  std::copy(ScopeState.ScopeSampleBlock.begin(), ScopeState.ScopeSampleBlock.begin() + ScopeState.SampleCopy.size(), ScopeState.SampleCopy.begin());
  if (ScopeState.Settings.TimeBaseRow == engine::kTimeBase2us) ScopeState.SpectrumInputBlock.fill(0);

  // The annotation: the file's own, or none when the file has none.
  if (d.EndsAfterRows) {
    if (ScopeState.ScopeNoteShown && Form_9) Form_9->Button2Click(Form_9);
  } else if (d.Comment.Found && d.Comment.Count > 0 && Form_9) {
    DisplayState.ScopeNoteX = static_cast<std::int16_t>(d.Comment.X.value_or(ScopeState.ScreenX0));
    DisplayState.ScopeNoteY = static_cast<std::int16_t>(d.Comment.Y.value_or(ScopeState.ScreenY0));
    if (d.Comment.Transparent) DisplayState.ScopeNoteTransparent = *d.Comment.Transparent ? 1 : 0;
    Form_9->Memo1->Lines().Clear();
    for (const std::string& line : d.Comment.Lines) Form_9->Memo1->Lines().Add(line);
    Form_9->CheckBox1->SetChecked(DisplayState.ScopeNoteTransparent != 0);
    Form_9->Button1Click(Form_9);
  }

  // The loaded block goes through the capture path as a capture would.
  ScopeState.ScopeFileReplay = 1;
  ScopeState.StartupTick &= ~4;
  host_.SingleClick();
  if (analysis_.fft1) {
    analysis_.fft1->SetDown(true);
    host_.fft1Click(nullptr);
    host_.SingleClick();
  }
  if (panel_.SpeedButton22) panel_.SpeedButton22->SetDown(true);
  host_.SpeedButton22Click(nullptr);
  // Nothing of the spectrum pass stays on the picture.
  ScopeState.ClearPending = 1;
  host_.putsataanko();
  host_.piirrot();
  host_.rms_out();
  ScopeState.ScopeFileReplay = 0;
  ScopeState.MathOff = mathOff;
  host_.measure();
  restoreBitView();
}

}  // namespace engine::files
