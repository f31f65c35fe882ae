// The scope window's screen colours: the pens, the "Colors..." and "Bright
// Grid" items, and the outcome of the "Color" dialog.
#include "engine/color_menu.h"

#include <initializer_list>
#include <utility>

#include "display/color_dialog.h"
#include "display/display_state.h"
#include "display/screen_colors.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace engine {

constexpr TColor kChannelOffGrey = 0x808080;  // a CH label while its channel is hidden

void ColourChannelLabels(FrontPanelControls& panel, const display::DisplaySharedState& display) {
  for (auto [label, colour] : {std::pair{panel.LabelCh1, display.Ch1Color}, std::pair{panel.LabelCh2, display.Ch2Color}}) {
    if (!label || label->Font().Color == kChannelOffGrey) continue;
    TFont font = label->Font();
    font.Color = colour;
    label->SetFont(font);
  }
}

}  // namespace engine

namespace {

TMenuItem* MakeColorMenuItem(TForm1* form, const char* name, const char* caption) {
  auto* item = new TMenuItem(form);
  item->Name = name;
  item->SetCaption(caption);
  return item;
}

}  // namespace

// ---------------------------------------------------------------- pens

void TForm1::DerivePens() {
  using display::NotXorPen;
  const TColor bg = DisplayState.BackgroundColor;
  DisplayState.Ch1XorColor = display::NotXorPen(DisplayState.Ch1Color, bg);
  DisplayState.Ch2XorColor = display::NotXorPen(DisplayState.Ch2Color, bg);
  DisplayState.Math1PenColor = display::NotXorPen(DisplayState.Math1Color, bg);
  DisplayState.Math2PenColor = display::NotXorPen(DisplayState.Math2Color, bg);
  DisplayState.TimeMarkerPenColor = display::NotXorPen(DisplayState.TimeMarkerColor, bg);
  // The grid is drawn in copy mode, in its own colours.
  DisplayState.DarkGridPenColor = DisplayState.DarkGridColor;
  DisplayState.BrightGridPenColor = DisplayState.BrightGridColor;
  // The pens in use: an inverted CH2 on show is drawn in the second math colour.
  DisplayState.Ch1PenColor = DisplayState.Ch1XorColor;
  DisplayState.Ch2PenColor = ScopeState.InvertCh2Mode && !ScopeState.MathOff ? DisplayState.Math2PenColor : DisplayState.Ch2XorColor;
  DisplayState.GridPenColor = DisplayState.ScopeBrightGrid ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;
  // The View menu shows which grid is in force.
  if (BrightGrid1) BrightGrid1->SetChecked(DisplayState.ScopeBrightGrid != 0);
}

// ---------------------------------------------------------------- menu

void TForm1::CreateColorControls() {
  if (!View1) {
    View1 = MakeColorMenuItem(this, "View1", "&View");
    MainMenu1->Items()->Add(View1);
  }
  BrightGrid1 = MakeColorMenuItem(this, "BrightGrid1", "Bright Grid");
  BrightGrid1->OnClick = [this](TObject* s) { BrightGrid1Click(s); };
  View1->Add(BrightGrid1);

  if (!Options1) {
    Options1 = MakeColorMenuItem(this, "Options1", "&Options");
    MainMenu1->Items()->Add(Options1);
  }
  Colors1 = MakeColorMenuItem(this, "Colors1", "Colors...");
  Colors1->OnClick = [this](TObject* s) { Colors1Click(s); };
  Options1->Add(Colors1);
}

void TForm1::BrightGrid1Click(TObject* /*Sender*/) {
  BrightGrid1->SetChecked(!BrightGrid1->Checked());
  if (Form11)
    if (Form11->BrightGrid1) Form11->BrightGrid1->SetChecked(BrightGrid1->Checked());
  DisplayState.ScopeBrightGrid = BrightGrid1->Checked() ? 1 : 0;
  DisplayState.GridPenColor = DisplayState.ScopeBrightGrid ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
}

// ---------------------------------------------------------------- the colour dialog's outcome

void TForm1::ApplyScreenColors() {
  DerivePens();
  engine::ColourChannelLabels(*this, DisplayState);
  if (Form11) engine::ColourChannelLabels(*Form11, DisplayState);
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
}

void TForm1::Colors1Click(TObject* /*Sender*/) {
  if (!BtnBottomDlg2) return;
  // Everything the dialog may change, so that leaving it without OK or a
  // preset changes nothing (the buttons store each pick at once).
  const display::ScreenColorSet before = display::CurrentScreenColors(DisplayState);
  DisplayState.ColorsAccepted = 0;
  BtnBottomDlg2->PresetChosen = 0;
  BtnBottomDlg2->draw_1();
  BtnBottomDlg2->ShowModal();

  if (DisplayState.ColorsAccepted) {
    ApplyScreenColors();
  } else {
    display::SetScreenColors(DisplayState, before);
    if (!BtnBottomDlg2->PresetChosen) return;
    display::SetScreenColors(DisplayState, DisplayState.BlackScreenPreset ? display::kBlackScreenColors
                                                                                           : display::kBrightScreenColors);
    ApplyScreenColors();
  }

  // The recorder takes the colours (and its own variant of a preset).
  if (ScopeState.OtherInstruments.RecorderTakesScreenColors) ScopeState.OtherInstruments.RecorderTakesScreenColors(this);

  // Persistence keeps true colours on the picture: it starts again clean.
  ReleasePersist();
}
