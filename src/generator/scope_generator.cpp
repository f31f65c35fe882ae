// The generator panel on the scope window, and the sweep progress timer.
#include "engine/main_form.h"
#include "generator/generator_panel.h"

namespace {
// Under the picture and its position bar, across the window.
constexpr int kGeneratorLeft = 6;
constexpr int kGeneratorTop = 6 + TForm1::kImage1Height + 4 + 17 + 6;
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
  GeneratorControls = new GeneratorPanel(this, this, kGeneratorLeft, kGeneratorTop, options);
}

void TForm1::Timer91Timer(TObject* /*Sender*/) { GeneratorPanel::StepSweepProgress(); }
