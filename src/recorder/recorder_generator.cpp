// The generator panel on the recorder window: the same panel as on the scope
// window, under the recorder's time/div buttons, with the generator's items
// in the recorder's own Options, Tools and Help menus.
#include "engine/instrument_links.h"
#include "recorder/recorder_form.h"
#include "widgets/control_maker.h"

namespace {
// Under the time/div group, from the window's left margin.
constexpr int kRecorderGeneratorLeft = 8;
}  // namespace

void TForm1_rec::CreateGeneratorControls() {
  ControlMaker make(this);
  // Tools sits before Help.
  Tools1 = make.Item("Tools1", "&Tools");
  MainMenu1->Items()->Insert(MainMenu1->Items()->IndexOf(Help1), Tools1);
  const int top = Time_div->Top() + Time_div->Height() + 6;
  if (const auto& makePanel = ScopeState.OtherInstruments.MakeGeneratorPanel)
    GeneratorControls = makePanel({this, this, kRecorderGeneratorLeft, top, false, Options1, Tools1});
}
