// What the main window gives its persistence and history view: the history
// bar's controls, and the picture cycle and read-outs that a new trace runs.
#pragma once

#include <string>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace engine::persistence {

// The history bar under the picture (positions 0 oldest .. 1000 newest), its
// pop-up menu, the "History" button that shows the hidden bar again, and the
// history file dialogs. nullptr until built.
struct HistoryControls {
  TScrollBar* ScrollBar1 = nullptr;
  TPopupMenu* HistoryMenu = nullptr;
  TMenuItem* ClearHistory1 = nullptr;
  TMenuItem* SaveHistory1 = nullptr;
  TMenuItem* OpenHistory1 = nullptr;
  TMenuItem* HideHistoryBar1 = nullptr;
  TMenuItem* ShowHint1 = nullptr;
  TGrSpeedButton* History = nullptr;
  TSaveDialog* SaveHistoryDialog = nullptr;
  TOpenDialog* OpenHistoryDialog = nullptr;
};

class PersistenceHost {
 public:
  virtual void putsataanko() = 0;
  virtual void poisto() = 0;
  virtual void piirrot() = 0;
  virtual void rms_out() = 0;
  virtual void measure() = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void ScrollBar2Change(TObject* Sender) = 0;

 protected:
  ~PersistenceHost() = default;
};

}  // namespace engine::persistence
