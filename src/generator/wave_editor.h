// The wave editor for library waveform files, with a two-cycle preview.
#pragma once

#include <string>

#include "platform/ui/vcl.h"

namespace engine {
struct ScopeSharedState;
}
namespace generator {
struct GeneratorSharedState;
}

class TWave_editor1 : public TForm {
 public:
  // Its file dialogs start in the folders of the `scope`'s state.
  TWave_editor1(TComponent* owner, generator::GeneratorSharedState& state, const engine::ScopeSharedState& scope);
  // The generator state this window reads and sets.
  generator::GeneratorSharedState& GeneratorState;
  const engine::ScopeSharedState& ScopeState;

  TMemo* Memo1 = nullptr;     // the waveform text
  TImage* Image1 = nullptr;   // the preview, 160 x 128
  TLabel* Label5 = nullptr;   // "Two cycles of the wave "
  TButton* Button1 = nullptr;  // "Open..."
  TButton* Button2 = nullptr;  // "Preview"
  TButton* Button3 = nullptr;  // "Save"
  TButton* Button4 = nullptr;  // "Save As..."
  TButton* Button5 = nullptr;  // "Close"
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Undo1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* Help1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;  // library files
  TSaveDialog* SaveDialog2 = nullptr;  // the preview as a bitmap

  // The file the text came from or went to; empty for a new text.
  const std::string& FileName() const { return file_name_; }

  void Open1Click(TObject* Sender);
  void PreviewClick(TObject* Sender);
  // True when the text reached the file.
  bool Save1Click(TObject* Sender);
  bool SaveAs1Click(TObject* Sender);
  void SaveAsBitmap1Click(TObject* Sender);
  void New1Click(TObject* Sender);
  void Edit1Click(TObject* Sender);
  void Help1Click(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);

  // The preview from the engine's editor preview table, and the empty grid.
  void curve_1();
  void curve_0();

 private:
  bool SaveTo(const std::string& path);
  void SetFileName(const std::string& path);
  // Asks "Save changes to file?" when the text was edited; false when the
  // text must stay (Cancel, or Yes and the save did not happen).
  bool MayDiscard(bool throughDialog);

  std::string file_name_;
};

inline TWave_editor1* Wave_editor1 = nullptr;
