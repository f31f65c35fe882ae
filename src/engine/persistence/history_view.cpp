// The history view on the main window: the history bar under the picture
// with its pop-up menu, the trace it selects, and the history files.
#include <string>

#include "display/history.h"
#include "display/history_state.h"
#include "engine/big_screen.h"
#include "engine/persistence/persistence_controller.h"
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
constexpr int kBarGap = 4;

// A history file is 8201193 bytes; a file beyond this is no history file.
constexpr std::uintmax_t kLargestHistoryFile = 16u << 20;

std::string UnableToRead(const std::string& path, const std::string& why) {
  return "Unable to read " + path + ": " + why + ".\rA history file holds 1001 traces of 8193 bytes (8201193 bytes).";
}

}  // namespace

namespace engine::persistence {

// Positions 0 (oldest) .. 1000 (newest), at the newest.
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

void PersistenceController::ShowHistoryBars(bool shown) {
  if (history_.ScrollBar1) {
    history_.ScrollBar1->SetVisible(shown);
    positionBar_.SetWidth(shown ? kPositionBarWidth : kWidePositionBarWidth);
    history_.History->SetVisible(!shown);
  }
  if (Form10 && Form10->ScrollBar1) {
    Form10->ScrollBar1->SetVisible(shown);
    Form10->ScrollBar2->SetWidth(shown ? kBigPositionBarWidth : Form10->History->Left() - kBarGap);
    Form10->History->SetVisible(!shown);
  }
}

void PersistenceController::BuildHistoryControls() {
  TForm* window = &window_;
  ControlMaker make(window);
  const int left = positionBar_.Left(), top = positionBar_.Top();
  const int right = picture_.Left() + picture_.Width();
  history_.ScrollBar1 = MakeHistoryBar(*this, make, window, &positionBar_, &picture_, kPositionBarWidth);
  history_.ScrollBar1->OnChange = [this](TObject* s) { ScrollBar1Change(s); };

  history_.HistoryMenu = new TPopupMenu(window);
  history_.HistoryMenu->Name = "HistoryMenu";
  TMenuItem* items = history_.HistoryMenu->Items();
  history_.ClearHistory1 =
      make.Item(items, "ClearHistory1", "Clear History", [this](TObject* s) { ClearHistory1Click(s); });
  history_.SaveHistory1 = make.Item(items, "SaveHistory1", "Save History", [this](TObject* s) { SaveHistory1Click(s); });
  history_.OpenHistory1 = make.Item(items, "OpenHistory1", "Open History", [this](TObject* s) { OpenHistory1Click(s); });
  history_.HideHistoryBar1 =
      make.Item(items, "HideHistoryBar1", "Hide History Bar", [this](TObject* s) { HideHistoryBar1Click(s); });
  make.Item(items, "N8", "-");
  history_.ShowHint1 = make.Item(items, "ShowHint1", "Show Hint", [this](TObject* s) { ShowHint1Click(s); });
  history_.ShowHint1->SetChecked(ScopeState.HistoryHintOn != 0);
  history_.ScrollBar1->SetPopupMenu(history_.HistoryMenu);

  const int buttonLeft = left + kWidePositionBarWidth + kBarGap;
  history_.History = make.Button(window, "History", "History", 0, buttonLeft, top - 2, right - buttonLeft);
  history_.History->OnClick = [this](TObject* s) { HistoryClick(s); };
  history_.History->SetVisible(false);

  history_.SaveHistoryDialog = new TSaveDialog(window);
  history_.SaveHistoryDialog->Name = "SaveHistoryDialog";
  history_.SaveHistoryDialog->SetFilter(kHistoryFilter);
  history_.SaveHistoryDialog->SetDefaultExt("hst");
  history_.OpenHistoryDialog = new TOpenDialog(window);
  history_.OpenHistoryDialog->Name = "OpenHistoryDialog";
  history_.OpenHistoryDialog->SetFilter(kHistoryFilter);
  history_.OpenHistoryDialog->SetDefaultExt("hst");
}

// ---------------------------------------------------------------- the trace shown

void PersistenceController::ScrollBar1Change(TObject*) {
  if (!HistoryState.HistorySliderArmed || !history_.ScrollBar1) return;
  host_.poisto();
  const int position = history_.ScrollBar1->Position();
  HistoryState.HistoryViewIndex = display::HistorySlotOfPosition(position, HistoryState.HistoryIndex, HistoryState.HistoryLength);
  display::ShowHistorySlot(HistoryState, HistoryState.HistoryViewIndex, ScopeState.ScopeSampleBlock, ScopeState.SpectrumInputBlock,
                           ScopeState.Settings.DigitalMode ? std::span<std::int32_t>(ScopeState.SampleCopy) : std::span<std::int32_t>());
  host_.SetStatusText(display::HistoryTraceLabel(position, HistoryState.HistoryLength));
  if (Form10 && Form10->ScrollBar1) {
    // The Big Screen's bar follows without choosing again.
    HistoryState.HistorySliderArmed = 0;
    Form10->ScrollBar1->SetPosition(position);
    HistoryState.HistorySliderArmed = 1;
  }
  host_.piirrot();
  host_.rms_out();
  host_.measure();
  host_.ScrollBar2Change(&window_);
}

void PersistenceController::ShowNewestHistoryTrace() {
  HistoryState.HistorySliderArmed = 0;
  for (TScrollBar* bar : {history_.ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetPosition(HistoryState.HistoryLength);
  HistoryState.HistorySliderArmed = 1;
  ScrollBar1Change(&window_);
}

// ---------------------------------------------------------------- pop-up menu

void PersistenceController::ClearHistory1Click(TObject*) {
  display::ClearHistoryRing(HistoryState);
  ShowNewestHistoryTrace();
}

void PersistenceController::SaveHistory1Click(TObject*) {
  history_.SaveHistoryDialog->SetInitialDir(ScopeState.DocumentsFolder);
  if (!history_.SaveHistoryDialog->Execute()) return;
  const std::string path = history_.SaveHistoryDialog->FileName();
  const std::vector<std::uint8_t> file = display::HistoryFileBytes(HistoryState);
  if (!os::WriteWholeFile(path, std::string(file.begin(), file.end())))
    MessageDlg("Unable to write to " + path, mtError, mbOK, 0);
}

void PersistenceController::OpenHistory1Click(TObject*) {
  history_.OpenHistoryDialog->SetInitialDir(ScopeState.DocumentsFolder);
  if (!history_.OpenHistoryDialog->Execute()) return;
  const std::string path = history_.OpenHistoryDialog->FileName();
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
void PersistenceController::HideHistoryBar1Click(TObject*) { ShowHistoryBars(false); }

void PersistenceController::HistoryClick(TObject*) {
  ShowHistoryBars(true);
  if (history_.ScrollBar1->Enabled()) history_.ScrollBar1->SetFocus();
}

void PersistenceController::ShowHint1Click(TObject*) {
  ScopeState.HistoryHintOn = ScopeState.HistoryHintOn ? 0 : 1;
  history_.ShowHint1->SetChecked(ScopeState.HistoryHintOn != 0);
  for (TScrollBar* bar : {history_.ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetShowHint(ScopeState.HistoryHintOn != 0);
}

// ---------------------------------------------------------------- recording

void PersistenceController::SetHistoryBarsEnabled(bool enabled) {
  for (TScrollBar* bar : {history_.ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetEnabled(enabled);
}

void PersistenceController::StartHistoryRecording() {
  SetHistoryBarsEnabled(false);
  HistoryState.HistoryStoreOn = 1;
}

void PersistenceController::ShowNewestHistory() {
  SetHistoryBarsEnabled(true);
  // The program moves the bars; their change handler must not take it for
  // the user choosing a trace.
  HistoryState.HistorySliderArmed = 0;
  for (TScrollBar* bar : {history_.ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetPosition(HistoryState.HistoryLength);
  HistoryState.HistorySliderArmed = 1;
}

}  // namespace engine::persistence
