// A window's controls get their widgets when the window is first shown. What
// the program set on them before shows exactly as if the widgets had been
// there from the start.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/ui/vcl.h"

namespace {

// One control of each kind, some inside a panel, as window code builds them.
class TSampleForm : public TForm {
 public:
  explicit TSampleForm(TComponent* owner) : TForm(owner) {
    SetBounds(0, 0, 460, 300);
    Panel = Add<TPanel>(this, 4, 4, 200, 120);
    Label = Add<TLabel>(Panel, 6, 6, 60, 13);
    Label->SetCaption("Volts/div");
    Check = Add<TCheckBox>(Panel, 6, 30, 97, 17);
    Check->SetCaption("AC");
    Radio = Add<TRadioButton>(Panel, 6, 50, 113, 17);
    Radio->SetCaption("DC");
    Speed = Add<TSpeedButton>(Panel, 120, 6, 60, 22);
    Speed->SetCaption("Run");
    Button = Add<TButton>(this, 210, 4, 75, 25);
    Button->SetCaption("OK");
    Edit = Add<TEdit>(this, 210, 34, 121, 21);
    Memo = Add<TMemo>(this, 210, 60, 185, 60);
    Combo = Add<TComboBox>(this, 210, 126, 145, 21);
    Group = Add<TGroupBox>(this, 4, 130, 200, 60);
    Group->SetCaption("Trigger");
    Track = Add<TTrackBar>(Group, 4, 16, 150, 40);
    Scroll = Add<TScrollBar>(this, 4, 196, 200, 17);
    Progress = Add<TProgressBar>(this, 4, 218, 200, 16);
    Grid = Add<TStringGrid>(this, 210, 152, 240, 80);
    Image = Add<TImage>(this, 340, 4, 60, 50);
    Image->Canvas()->Brush.Color = 0x0000FF;
    Image->Canvas()->FillRect(TRect{0, 0, 60, 50});
  }

  template <class T>
  T* Add(TWinControl* parent, int left, int top, int width, int height) {
    T* c = new T(this);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
  }

  TPanel* Panel;
  TLabel* Label;
  TCheckBox* Check;
  TRadioButton* Radio;
  TSpeedButton* Speed;
  TButton* Button;
  TEdit* Edit;
  TMemo* Memo;
  TComboBox* Combo;
  TGroupBox* Group;
  TTrackBar* Track;
  TScrollBar* Scroll;
  TProgressBar* Progress;
  TStringGrid* Grid;
  TImage* Image;
};

int WidgetCount() { return static_cast<int>(QApplication::allWidgets().size()); }

// What the user sees of the window while it is the active one.
struct Seen {
  QImage picture;
  int labelWidth;
  int editLimit;
  bool editReadOnly;
  bool editFocused;
  QString hint;
  bool comboEditable;
  int comboItems;
};

Seen Look(TSampleForm& f) {
  f.Show();
  QApplication::processEvents();
  auto* edit = static_cast<QLineEdit*>(f.Edit->Widget());
  auto* combo = static_cast<QComboBox*>(f.Combo->Widget());
  Seen seen{f.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32),
            f.Label->Width(),
            edit->maxLength(),
            edit->isReadOnly(),
            f.Widget()->focusWidget() == edit,
            f.Button->Widget()->toolTip(),
            combo->isEditable(),
            combo->count()};
  f.Hide();
  return seen;
}

}  // namespace

TEST(LazyWidgets, AWindowsControlsGetWidgetsWhenItIsFirstShown) {
  const int before = WidgetCount();
  TSampleForm form(nullptr);
  form.Edit->SetText("made later");
  // The window itself and its client area; none of its 15 controls.
  EXPECT_EQ(WidgetCount() - before, 2);
  form.Show();
  EXPECT_GT(WidgetCount() - before, 2 + 15);
  EXPECT_EQ(static_cast<QLineEdit*>(form.Edit->Widget())->text(), "made later");
  // A control added to a shown window has its widget at once.
  const int shown = WidgetCount();
  auto* late = form.Add<TLabel>(form.Panel, 6, 80, 60, 13);
  late->SetCaption("late");
  EXPECT_EQ(WidgetCount() - shown, 1);
}

TEST(LazyWidgets, WhatWasSetBeforeShowsAsOnWidgetsMadeAtOnce) {
  const struct {
    const char* what;
    std::function<void(TSampleForm&)> change;
  } changes[] = {
      {"captions, texts and checks",
       [](TSampleForm& f) {
         f.Label->SetCaption("Time/div wider");
         f.Check->SetChecked(true);
         f.Radio->SetChecked(true);
         f.Edit->SetText("1.25 kHz");
         f.Button->SetCaption("Apply");
       }},
      {"disabled, hidden and hints",
       [](TSampleForm& f) {
         f.Group->SetEnabled(false);
         f.Speed->SetEnabled(false);
         f.Check->SetVisible(false);
         f.Button->SetHint("Apply the values");
         f.Button->SetShowHint(true);
       }},
      {"fonts and colours",
       [](TSampleForm& f) {
         f.Panel->Font().Size = 12;
         f.Panel->Font().Style = fsBold;
         f.Panel->FontChanged();
         f.Label->SetFontColor(0x0000FF);
         f.Panel->SetColor(0x00FFFF);
         f.Edit->SetColor(0xFFFF00);
       }},
      {"stacking", [](TSampleForm& f) {
         f.Image->SetBounds(150, 0, 100, 60);
         f.Panel->BringToFront();
         f.Button->SendToBack();
       }},
      {"lists and cells",
       [](TSampleForm& f) {
         f.Combo->Items().Add("Sine");
         f.Combo->Items().Add("Square");
         f.Combo->SetItemIndex(1);
         f.Memo->Lines().Add("first");
         for (int i = 0; i < 8; ++i) f.Memo->Lines().Add("line " + std::to_string(i));
         f.Grid->SetColCount(3);
         f.Grid->SetFixedRows(1);
         f.Grid->SetCell(1, 0, "Hz");
         f.Grid->SetCell(2, 3, "-3 dB");
         f.Grid->SetColWidth(0, 30);
       }},
      {"drop-down list style", [](TSampleForm& f) {
         f.Combo->Items().Add("x1");
         f.Combo->SetStyle(csDropDownList);
       }},
      {"ranges and ticks",
       [](TSampleForm& f) {
         f.Track->SetParams(7, 0, 20);
         f.Track->SetTickMarks(tmBoth);
         f.Track->SetFrequency(5);
         f.Scroll->SetParams(30, 0, 50);
         f.Progress->SetPosition(60);
       }},
      {"label layout", [](TSampleForm& f) {
         f.Label->SetAutoSize(false);
         f.Label->SetBounds(6, 6, 100, 40);
         f.Label->SetAlignment(taRightJustify);
         f.Label->SetWordWrap(true);
         f.Label->SetCaption("a caption that wraps");
       }},
      {"edit limits", [](TSampleForm& f) {
         f.Edit->SetMaxLength(4);
         f.Edit->SetReadOnly(true);
       }},
      {"focus", [](TSampleForm& f) { f.Edit->SetFocus(); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    TSampleForm atOnce(nullptr);
    TSampleForm later(nullptr);
    atOnce.Widget();  // its widgets from the start
    change(atOnce);
    change(later);
    // Hidden windows' code lays out by the sizes captions give.
    EXPECT_EQ(later.Label->Width(), atOnce.Label->Width());
    const Seen a = Look(atOnce);
    const Seen b = Look(later);
    EXPECT_EQ(b.picture, a.picture);
    EXPECT_EQ(b.labelWidth, a.labelWidth);
    EXPECT_EQ(b.editLimit, a.editLimit);
    EXPECT_EQ(b.editReadOnly, a.editReadOnly);
    EXPECT_EQ(b.editFocused, a.editFocused);
    EXPECT_EQ(b.hint, a.hint);
    EXPECT_EQ(b.comboEditable, a.comboEditable);
    EXPECT_EQ(b.comboItems, a.comboItems);
  }
}

TEST(LazyWidgets, AWindowsMenuBarIsMadeWhenShownAndAsHighAsPromised) {
  // Window code lays its controls out by the client height a menu bar leaves
  // before the bar is made; made, the bar must take just that height.
  const struct {
    const char* what;
    std::vector<std::pair<const char*, bool>> items;  // caption, visible
    int fontSize;
  } menus[] = {
      {"items", {{"&File", true}, {"&Edit", true}}, 8},
      {"larger font", {{"&File", true}}, 12},
      {"every item hidden", {{"&File", false}, {"&View", false}}, 8},
      {"a separator alone", {{"-", true}}, 8},
      {"no items", {}, 8},
  };
  for (const auto& [what, items, fontSize] : menus) {
    SCOPED_TRACE(what);
    TForm form(nullptr);
    form.Font().Size = fontSize;
    form.FontChanged();
    form.SetBounds(0, 0, 300, 200);
    auto* menu = new TMainMenu(&form);
    for (const auto& [caption, visible] : items) {
      auto* item = new TMenuItem(&form);
      item->SetCaption(caption);
      item->SetVisible(visible);
      menu->Items()->Add(item);
      auto* sub = new TMenuItem(&form);
      sub->SetCaption("Open");
      item->Add(sub);
    }
    form.SetMenu(menu);
    const int promised = form.ClientHeight();
    const int height = form.Height();
    EXPECT_FALSE(menu->BarMade());
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(form.ClientHeight(), promised);
    EXPECT_EQ(form.Height(), height);
    ASSERT_NE(form.Menu()->MenuBar(), nullptr);
    EXPECT_EQ(form.Menu()->MenuBar()->parentWidget(), form.Widget());
    EXPECT_EQ(form.Menu()->MenuBar()->actions().size(), static_cast<qsizetype>(items.size()));
  }
}
