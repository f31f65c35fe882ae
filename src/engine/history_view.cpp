// The history view on the main window: the history bar under the picture
// with its pop-up menu, the trace it selects, and the history files.
#include <string>

#include "engine/big_screen.h"
#include "display/history.h"
#include "display/history_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "widgets/control_maker.h"

namespace {

constexpr const char* kHistoryFilter = "History file (*.hst)|*.hst|All files (*.*)|*.*";
constexpr const char* kHistoryHint = "Right-Click for History Menu";
// Widths of the horizontal position bar beside the history bar, and alone.
constexpr int kPositionBarWidth = 507;
constexpr int kWidePositionBarWidth = 625;
constexpr int kBigPositionBarWidth = 729;
constexpr int kBarGap = 4;

// A history file is 8201193 bytes; a file beyond this is no history file.
constexpr std::uintmax_t kLargestHistoryFile = 16u << 20;

std::string UnableToRead(const std::string& path, const std::string& why) {
  return "Unable to read " + path + ": " + why + ".\rA history file holds 1001 traces of 8193 bytes (8201193 bytes).";
}

// Shortens the window's position bar to `positionWidth` and makes the history
// bar beside it, up to the picture's right edge: positions 0 (oldest) ..
// 1000 (newest), at the newest.
TScrollBar* MakeHistoryBar(const engine::WithScopeStates& states, ControlMaker& make, TForm* window, TScrollBar* positionBar, const TImage* picture,
                           int positionWidth) {
  positionBar->SetWidth(positionWidth);
  const int left = positionBar->Left() + positionWidth + kBarGap;
  TScrollBar* bar = make.Add<TScrollBar>(window, "ScrollBar1", left, positionBar->Top(),
                                         picture->Left() + picture->Width() - left, positionBar->Height());
  bar->SetParams(states.HistoryState.HistoryLength, 0, states.HistoryState.HistoryLength);
  bar->SetLargeChange(10);
  bar->SetHint(kHistoryHint);
  bar->SetShowHint(states.ScopeState.HistoryHintOn != 0);
  return bar;
}

// The history bars of both windows shown, or hidden with "History" in their place.
void ShowHistoryBars(bool shown) {
  if (Form1 && Form1->ScrollBar1) {
    Form1->ScrollBar1->SetVisible(shown);
    Form1->ScrollBar2->SetWidth(shown ? kPositionBarWidth : kWidePositionBarWidth);
    Form1->History->SetVisible(!shown);
  }
  if (Form10 && Form10->ScrollBar1) {
    Form10->ScrollBar1->SetVisible(shown);
    Form10->ScrollBar2->SetWidth(shown ? kBigPositionBarWidth : Form10->History->Left() - kBarGap);
    Form10->History->SetVisible(!shown);
  }
}

}  // namespace

void TForm1::CreateHistoryControls() {
  ControlMaker make(this);
  const int left = ScrollBar2->Left(), top = ScrollBar2->Top();
  const int right = Image1->Left() + Image1->Width();
  ScrollBar1 = MakeHistoryBar(*this, make, this, ScrollBar2, Image1, kPositionBarWidth);
  ScrollBar1->OnChange = [this](TObject* s) { ScrollBar1Change(s); };

  HistoryMenu = new TPopupMenu(this);
  HistoryMenu->Name = "HistoryMenu";
  TMenuItem* items = HistoryMenu->Items();
  ClearHistory1 = make.Item(items, "ClearHistory1", "Clear History", [this](TObject* s) { ClearHistory1Click(s); });
  SaveHistory1 = make.Item(items, "SaveHistory1", "Save History", [this](TObject* s) { SaveHistory1Click(s); });
  OpenHistory1 = make.Item(items, "OpenHistory1", "Open History", [this](TObject* s) { OpenHistory1Click(s); });
  HideHistoryBar1 =
      make.Item(items, "HideHistoryBar1", "Hide History Bar", [this](TObject* s) { HideHistoryBar1Click(s); });
  make.Item(items, "N8", "-");
  ShowHint1 = make.Item(items, "ShowHint1", "Show Hint", [this](TObject* s) { ShowHint1Click(s); });
  ShowHint1->SetChecked(ScopeState.HistoryHintOn != 0);
  ScrollBar1->SetPopupMenu(HistoryMenu);

  const int buttonLeft = left + kWidePositionBarWidth + kBarGap;
  History = make.Button(this, "History", "History", 0, buttonLeft, top - 2, right - buttonLeft);
  History->OnClick = [this](TObject* s) { HistoryClick(s); };
  History->SetVisible(false);

  SaveHistoryDialog = new TSaveDialog(this);
  SaveHistoryDialog->Name = "SaveHistoryDialog";
  SaveHistoryDialog->SetFilter(kHistoryFilter);
  SaveHistoryDialog->SetDefaultExt("hst");
  OpenHistoryDialog = new TOpenDialog(this);
  OpenHistoryDialog->Name = "OpenHistoryDialog";
  OpenHistoryDialog->SetFilter(kHistoryFilter);
  OpenHistoryDialog->SetDefaultExt("hst");
}

// ---------------------------------------------------------------- the trace shown

void TForm1::ScrollBar1Change(TObject*) {
  if (!HistoryState.HistorySliderArmed || !ScrollBar1) return;
  poisto();
  const int position = ScrollBar1->Position();
  HistoryState.HistoryViewIndex = display::HistorySlotOfPosition(position, HistoryState.HistoryIndex, HistoryState.HistoryLength);
  display::ShowHistorySlot(HistoryState, HistoryState.HistoryViewIndex, ScopeState.ScopeSampleBlock, ScopeState.SpectrumInputBlock,
                           ScopeState.Settings.DigitalMode ? std::span<std::int32_t>(ScopeState.SampleCopy) : std::span<std::int32_t>());
  SetStatusText(display::HistoryTraceLabel(position, HistoryState.HistoryLength));
  if (Form10 && Form10->ScrollBar1) {
    // The Big Screen's bar follows without choosing again.
    HistoryState.HistorySliderArmed = 0;
    Form10->ScrollBar1->SetPosition(position);
    HistoryState.HistorySliderArmed = 1;
  }
  piirrot();
  rms_out();
  measure();
  ScrollBar2Change(this);
}

void TForm1::ShowNewestHistoryTrace() {
  HistoryState.HistorySliderArmed = 0;
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetPosition(HistoryState.HistoryLength);
  HistoryState.HistorySliderArmed = 1;
  ScrollBar1Change(this);
}

// ---------------------------------------------------------------- pop-up menu

void TForm1::ClearHistory1Click(TObject*) {
  display::ClearHistoryRing(HistoryState);
  ShowNewestHistoryTrace();
}

void TForm1::SaveHistory1Click(TObject*) {
  SaveHistoryDialog->SetInitialDir(ScopeState.DocumentsFolder);
  if (!SaveHistoryDialog->Execute()) return;
  const std::string path = SaveHistoryDialog->FileName();
  const std::vector<std::uint8_t> file = display::HistoryFileBytes(HistoryState);
  if (!os::WriteWholeFile(path, std::string(file.begin(), file.end())))
    MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
}

void TForm1::OpenHistory1Click(TObject*) {
  OpenHistoryDialog->SetInitialDir(ScopeState.DocumentsFolder);
  if (!OpenHistoryDialog->Execute()) return;
  const std::string path = OpenHistoryDialog->FileName();
  // Read whole before anything is taken: a short or unreadable file leaves
  // the ring, its indexes and the picture as they were.
  const os::WholeFile file = os::ReadWholeFile(path, kLargestHistoryFile);
  std::optional<std::vector<std::uint8_t>> ring;
  if (file.Ok()) ring = display::HistoryRingFromFile(std::vector<std::uint8_t>(file.Bytes.begin(), file.Bytes.end()));
  if (!ring) {
    const std::string why = file.Ok() ? "It holds only " + std::to_string(file.Bytes.size()) + " bytes" : file.Error;
    MessageDlg(UnableToRead(path, why), mtError, mbOK, 0);
    return;
  }
  display::CommitHistoryRing(HistoryState, *ring);
  ShowNewestHistoryTrace();
}

// The menu is shared by both windows' bars: whichever bar it was opened on,
// both go, so that "History" brings both back.
void TForm1::HideHistoryBar1Click(TObject*) { ShowHistoryBars(false); }

void TForm1::HistoryClick(TObject*) {
  ShowHistoryBars(true);
  if (ScrollBar1->Enabled()) ScrollBar1->SetFocus();
}

// ---------------------------------------------------------------- the Big Screen's bar

void TForm10::CreateHistoryControls() {
  ControlMaker make(this);
  ScrollBar1 = MakeHistoryBar(*this, make, this, ScrollBar2, Image10, kBigPositionBarWidth);
  ScrollBar1->OnChange = [this](TObject* s) { ScrollBar1Change(s); };
  if (Form1) ScrollBar1->SetPopupMenu(Form1->HistoryMenu);

  // As wide as the main window's "History", at the right end.
  const int right = ScrollBar1->Left() + ScrollBar1->Width();
  const int buttonWidth = Form1 && Form1->History ? Form1->History->Width() : ScrollBar1->Width();
  History = make.Button(this, "History", "History", 0, right - buttonWidth, ScrollBar1->Top(), buttonWidth,
                        ScrollBar1->Height());
  History->OnClick = [this](TObject* s) { HistoryClick(s); };
  History->SetVisible(false);
}

void TForm10::HistoryClick(TObject*) {
  ShowHistoryBars(true);
  if (ScrollBar1->Enabled()) ScrollBar1->SetFocus();
}

void TForm1::ShowHint1Click(TObject*) {
  ScopeState.HistoryHintOn = ScopeState.HistoryHintOn ? 0 : 1;
  ShowHint1->SetChecked(ScopeState.HistoryHintOn != 0);
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetShowHint(ScopeState.HistoryHintOn != 0);
}

// ---------------------------------------------------------------- recording

void TForm1::SetHistoryBarsEnabled(bool enabled) {
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetEnabled(enabled);
}

void TForm1::StartHistoryRecording() {
  SetHistoryBarsEnabled(false);
  HistoryState.HistoryStoreOn = 1;
}

void TForm1::ShowNewestHistory() {
  SetHistoryBarsEnabled(true);
  // The program moves the bars; their change handler must not take it for
  // the user choosing a trace.
  HistoryState.HistorySliderArmed = 0;
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetPosition(HistoryState.HistoryLength);
  HistoryState.HistorySliderArmed = 1;
}
