#include "widgets/control_maker.h"

#include <map>
#include <tuple>
#include <utility>

namespace {

constexpr TColor kSymbolColor = clBlack;
constexpr TColor kSymbolDisabled = 0x808080;

// Buttons of one size and symbol show one strip, in every window.
const TBitmap& SharedSymbolStrip(int w, int h, SymbolPainter symbol) {
  static std::map<std::tuple<int, int, SymbolPainter>, std::unique_ptr<TBitmap>> strips;
  auto& strip = strips[{w, h, symbol}];
  if (!strip) strip = MakeSymbolStrip(w, h, symbol);
  return *strip;
}

}  // namespace

std::unique_ptr<TBitmap> MakeSymbolStrip(int w, int h, SymbolPainter symbol) {
  auto strip = MakeButtonStrip(w, h, kButtonBaseColor);
  if (symbol) {
    TCanvas& canvas = *strip->Canvas();
    canvas.Pen.Mode = pmCopy;
    canvas.Pen.Width = 1;
    for (int cell = 0; cell < 4; ++cell) {
      canvas.Pen.Color = cell == 1 ? kSymbolDisabled : kSymbolColor;
      // The pressed face reads as pushed in: its symbol sits one pixel lower right.
      const int shift = cell == 2 ? 1 : 0;
      symbol(canvas, cell * w + shift, w, h + 2 * shift);
    }
  }
  return strip;
}

TGrSpeedButton* ControlMaker::Button(TWinControl* parent, const std::string& name, const std::string& caption,
                                     int group, int l, int t, int w, int h, SymbolPainter symbol) {
  auto* b = new TGrSpeedButton(owner_);
  b->Name = name;
  b->SetParent(parent);
  // Most buttons sit on windows that are seldom or never shown: the strip is
  // made when the button is first painted or its face read.
  b->SetGlyphWhenUsed(4 * w, h, [w, h, symbol](TBitmap& glyph) { glyph.Assign(SharedSymbolStrip(w, h, symbol)); });
  b->SetNumGlyphs(4);
  b->SetTransparentColor(clRed);
  b->SetBounds(l, t, w, h);
  b->SetCaption(caption);
  b->SetGroupIndex(group);
  return b;
}

TGroupBox* ControlMaker::Group(TWinControl* parent, const std::string& name, const std::string& caption, int l,
                               int t, int w, int h) {
  auto* box = new TGroupBox(owner_);
  box->Name = name;
  box->SetParent(parent);
  box->SetCaption(caption);
  box->SetBounds(l, t, w, h);
  return box;
}

TLabel* ControlMaker::Label(TWinControl* parent, const std::string& name, const std::string& caption, int l, int t) {
  auto* label = new TLabel(owner_);
  label->Name = name;
  label->SetParent(parent);
  label->SetCaption(caption);
  label->SetLeft(l);
  label->SetTop(t);
  return label;
}

TTrackBar* ControlMaker::Bar(TWinControl* parent, const std::string& name, TTrackBarOrientation o, int l, int t,
                             int w, int h, int min, int max, int position) {
  auto* bar = new TTrackBar(owner_);
  bar->Name = name;
  bar->SetParent(parent);
  bar->SetOrientation(o);
  bar->SetBounds(l, t, w, h);
  bar->SetParams(position, min, max);
  return bar;
}

TImage* ControlMaker::Image(TWinControl* parent, const std::string& name, int l, int t, int w, int h) {
  auto* image = new TImage(owner_);
  image->Name = name;
  image->SetParent(parent);
  image->SetBounds(l, t, w, h);
  return image;
}

TEdit* ControlMaker::Edit(TWinControl* parent, const std::string& name, const std::string& text, int l, int t,
                          int w) {
  auto* edit = new TEdit(owner_);
  edit->Name = name;
  edit->SetParent(parent);
  edit->SetBounds(l, t, w, 22);
  edit->SetText(text);
  return edit;
}

TPanel* ControlMaker::Panel(TWinControl* parent, const std::string& name, int l, int t, int w, int h) {
  auto* panel = new TPanel(owner_);
  panel->Name = name;
  panel->SetParent(parent);
  panel->SetBevelOuter(bvNone);
  panel->SetCaption("");
  panel->SetBounds(l, t, w, h);
  return panel;
}

TRadioButton* ControlMaker::Radio(TWinControl* parent, const std::string& name, const std::string& caption, int l,
                                  int t, int w, TNotifyEvent handler) {
  auto* radio = new TRadioButton(owner_);
  radio->Name = name;
  radio->SetParent(parent);
  radio->SetBounds(l, t, w, 17);
  radio->SetCaption(caption);
  radio->OnClick = std::move(handler);
  return radio;
}

TCheckBox* ControlMaker::Check(TWinControl* parent, const std::string& name, const std::string& caption, int l,
                               int t, int w, TNotifyEvent handler) {
  auto* box = new TCheckBox(owner_);
  box->Name = name;
  box->SetParent(parent);
  box->SetBounds(l, t, w, 17);
  box->SetCaption(caption);
  box->OnClick = std::move(handler);
  return box;
}

TMemo* ControlMaker::Memo(TWinControl* parent, const std::string& name, int l, int t, int w, int h) {
  auto* memo = new TMemo(owner_);
  memo->Name = name;
  memo->SetParent(parent);
  memo->SetBounds(l, t, w, h);
  return memo;
}

TComboBox* ControlMaker::List(TWinControl* parent, const std::string& name, int l, int t, int w,
                              TNotifyEvent onChange) {
  auto* list = new TComboBox(owner_, csDropDownList);
  list->Name = name;
  list->SetParent(parent);
  list->SetBounds(l, t, w, 22);
  list->OnChange = std::move(onChange);
  return list;
}

TMenuItem* ControlMaker::Item(const std::string& name, const std::string& caption) {
  auto* item = new TMenuItem(owner_);
  item->Name = name;
  item->SetCaption(caption);
  return item;
}

TMenuItem* ControlMaker::Item(TMenuItem* parent, const std::string& name, const std::string& caption,
                              TNotifyEvent handler) {
  auto* item = Item(name, caption);
  item->OnClick = std::move(handler);
  parent->Add(item);
  return item;
}

TTimer* ControlMaker::Timer(const std::string& name, unsigned interval, TNotifyEvent handler) {
  auto* t = new TTimer(owner_);
  t->Name = name;
  t->SetEnabled(false);
  t->SetInterval(interval);
  t->OnTimer = std::move(handler);
  return t;
}
