// The generator panel on the scope window, and the sweep progress timer.
#include "engine/main_form.h"
#include "generator/generator_panel.h"

GeneratorPanel* ScopeGeneratorPanel() { return Form1 ? Form1->GeneratorControls : nullptr; }

namespace {
constexpr int kScopeGeneratorLeft = 6;
}  // namespace

void TForm1::CreateGeneratorControls() {
  Tools1 = new TMenuItem(this);
  Tools1->Name = "Tools1";
  Tools1->SetCaption("&Tools");
  MainMenu1->Items()->Add(Tools1);
  GeneratorPanel::Options options;
  options.ScopeWindow = true;
  options.OptionsMenu = Options1;
  options.ToolsMenu = Tools1;
  // Under the picture, its position bar and the row of analysis buttons.
  const int top = FftView->Top() + FftView->Height() + 4;
  GeneratorControls = new GeneratorPanel(this, this, kScopeGeneratorLeft, top, options);
}

void TForm1::Timer91Timer(TObject* /*Sender*/) { GeneratorPanel::StepSweepProgress(); }
