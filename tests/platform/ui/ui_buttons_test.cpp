// Speed buttons, check boxes, radio buttons and push buttons: the down and
// checked states and when their handlers run.
#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"
#include "support/key_press.h"

namespace {

struct ButtonRow {
  TForm form{nullptr};
  TPanel* panel;
  TSpeedButton* a;
  TSpeedButton* b;
  TSpeedButton* c;
  std::vector<std::string> clicks;

  explicit ButtonRow(int group, bool allowAllUp) {
    panel = new TPanel(&form);
    panel->SetParent(&form);
    a = Make("A", group, allowAllUp);
    b = Make("B", group, allowAllUp);
    c = Make("C", group, allowAllUp);
  }
  TSpeedButton* Make(const std::string& name, int group, bool allowAllUp) {
    auto* s = new TSpeedButton(&form);
    s->Name = name;
    s->SetParent(panel);
    s->SetGroupIndex(group);
    s->SetAllowAllUp(allowAllUp);
    s->OnClick = [this, name](TObject*) { clicks.push_back(name); };
    return s;
  }
  std::string DownSet() const {
    return std::string(a->Down() ? "A" : "") + (b->Down() ? "B" : "") + (c->Down() ? "C" : "");
  }
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint p) {
  QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

}  // namespace

TEST(SpeedButton, SettingDownFromCodeReleasesTheGroupAndRunsNoHandler) {
  ButtonRow row(5, false);
  row.a->SetDown(true);
  row.b->SetDown(true);
  EXPECT_EQ(row.DownSet(), "B");
  // The down button of a group without all-up cannot be released from code.
  row.b->SetDown(false);
  EXPECT_EQ(row.DownSet(), "B");
  EXPECT_TRUE(row.clicks.empty());

  // Same group index on another parent is another group.
  auto* other = new TPanel(&row.form);
  other->SetParent(&row.form);
  auto* d = new TSpeedButton(&row.form);
  d->SetParent(other);
  d->SetGroupIndex(5);
  d->SetDown(true);
  EXPECT_TRUE(d->Down());
  EXPECT_EQ(row.DownSet(), "B");
}

TEST(SpeedButton, UngroupedButtonNeverStaysDown) {
  ButtonRow row(0, false);
  row.a->SetDown(true);
  EXPECT_FALSE(row.a->Down());
  row.a->Click();
  EXPECT_FALSE(row.a->Down());
  EXPECT_EQ(row.clicks, std::vector<std::string>{"A"});
}

TEST(SpeedButton, UserClicksInAGroupWithoutAllUp) {
  ButtonRow row(3, false);
  row.a->Click();
  EXPECT_EQ(row.DownSet(), "A");
  row.b->Click();
  EXPECT_EQ(row.DownSet(), "B");
  // Clicking the down button keeps it down, and its handler still runs.
  row.b->Click();
  EXPECT_EQ(row.DownSet(), "B");
  EXPECT_EQ(row.clicks, (std::vector<std::string>{"A", "B", "B"}));
}

TEST(SpeedButton, UserClicksInAGroupWithAllUp) {
  ButtonRow row(3, true);
  row.a->Click();
  row.a->Click();
  EXPECT_EQ(row.DownSet(), "");
  row.c->SetDown(true);
  row.c->SetDown(false);  // allowed with all-up
  EXPECT_EQ(row.DownSet(), "");
  EXPECT_EQ(row.clicks, (std::vector<std::string>{"A", "A"}));
}

TEST(SpeedButton, AllowAllUpIsSharedByTheGroup) {
  ButtonRow row(7, false);
  row.a->SetAllowAllUp(true);
  EXPECT_TRUE(row.b->AllowAllUp());
  EXPECT_TRUE(row.c->AllowAllUp());
}

TEST(SpeedButton, DisabledOrHiddenButtonCannotBeClicked) {
  ButtonRow row(3, false);
  row.a->SetEnabled(false);
  row.a->Click();
  row.panel->SetVisible(false);
  row.b->Click();
  EXPECT_EQ(row.DownSet(), "");
  EXPECT_TRUE(row.clicks.empty());
}

TEST(SpeedButton, MousePressAndReleaseInsideClicksOutsideDoesNot) {
  ButtonRow row(3, false);
  row.a->SetBounds(0, 0, 40, 20);
  std::vector<std::string> mouse;
  row.a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    mouse.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  row.a->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { mouse.push_back("up"); };
  QWidget* w = row.a->Widget();
  SendMouse(w, QEvent::MouseButtonPress, QPoint(5, 6));
  EXPECT_EQ(row.a->State(), bsDown);  // held, not yet down
  SendMouse(w, QEvent::MouseButtonRelease, QPoint(5, 6));
  EXPECT_EQ(row.DownSet(), "A");
  EXPECT_EQ(row.a->State(), bsExclusive);
  SendMouse(row.b->Widget(), QEvent::MouseButtonPress, QPoint(5, 5));
  SendMouse(row.b->Widget(), QEvent::MouseButtonRelease, QPoint(60, 5));  // released off the button
  EXPECT_EQ(row.DownSet(), "A");
  EXPECT_EQ(row.clicks, std::vector<std::string>{"A"});
  EXPECT_EQ(mouse, (std::vector<std::string>{"down 5,6", "up"}));
}

TEST(SpeedButton, StateForPainting) {
  ButtonRow row(3, false);
  EXPECT_EQ(row.a->State(), bsUp);
  row.a->SetDown(true);
  EXPECT_EQ(row.a->State(), bsExclusive);
  row.a->SetEnabled(false);
  EXPECT_EQ(row.a->State(), bsDisabled);
}

TEST(CheckBox, CheckedFromCodeRunsOnClickOnlyOnChange) {
  TForm form(nullptr);
  auto* box = new TCheckBox(&form);
  box->SetParent(&form);
  int clicks = 0;
  std::vector<bool> seen;
  box->OnClick = [&](TObject* s) {
    ++clicks;
    seen.push_back(static_cast<TCheckBox*>(s)->Checked());
  };
  box->SetChecked(true);
  box->SetChecked(true);
  box->SetChecked(false);
  EXPECT_EQ(clicks, 2);
  // A user click toggles and runs the handler once, which sees the new state.
  box->Click();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
}

TEST(CheckBox, QtClickGoesThroughTheControl) {
  TForm form(nullptr);
  auto* box = new TCheckBox(&form);
  box->SetParent(&form);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  static_cast<QAbstractButton*>(box->Widget())->click();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST(RadioButton, SiblingsAreExclusiveFromCodeAndUser) {
  TForm form(nullptr);
  auto* group = new TGroupBox(&form);
  group->SetParent(&form);
  auto* r1 = new TRadioButton(&form);
  auto* r2 = new TRadioButton(&form);
  auto* elsewhere = new TRadioButton(&form);
  r1->SetParent(group);
  r2->SetParent(group);
  elsewhere->SetParent(&form);
  std::vector<std::string> clicks;
  r1->OnClick = [&](TObject*) { clicks.push_back("r1"); };
  r2->OnClick = [&](TObject*) { clicks.push_back("r2"); };
  elsewhere->SetChecked(true);
  r1->SetChecked(true);
  r2->Click();
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(elsewhere->Checked());
  // Clicking the checked one changes nothing and runs nothing; Qt's own
  // toggle-off is undone.
  static_cast<QAbstractButton*>(r2->Widget())->click();
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(static_cast<QAbstractButton*>(r2->Widget())->isChecked());
  EXPECT_EQ(clicks, (std::vector<std::string>{"r1", "r2"}));
}

TEST(Button, ModalResultEndsTheFormsModalRun) {
  TForm form(nullptr);
  auto* ok = new TButton(&form);
  ok->SetParent(&form);
  ok->SetModalResult(mrOk);
  bool handled = false;
  ok->OnClick = [&](TObject*) { handled = true; };
  ok->Click();
  EXPECT_TRUE(handled);
  EXPECT_EQ(form.ModalResult(), mrOk);
}

// The keys of a Linux desktop: a focused push button takes Return and Enter
// as it takes Space, before the window's default button; Up/Left and
// Down/Right check the previous or next choice of a radio group (wrapping,
// past the ones that cannot be used) and move the focus with it.
TEST(ButtonKeys, FocusedButtonTakesReturnAndArrowsChooseWithinARadioGroup) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  std::vector<std::string> clicks;
  auto* go = new TButton(&form);
  go->SetParent(&form);
  go->OnClick = [&](TObject*) { clicks.push_back("go"); };
  auto* ok = new TButton(&form);
  ok->SetParent(&form);
  ok->SetBounds(100, 0, 75, 25);
  ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
  form.SetDefaultButton(ok);
  auto* group = new TGroupBox(&form);
  group->SetParent(&form);
  group->SetBounds(0, 40, 200, 150);
  std::vector<TRadioButton*> radios;
  for (int i = 0; i < 4; ++i) {
    auto* r = new TRadioButton(&form);
    r->SetParent(group);
    r->SetBounds(10, 20 + 30 * i, 150, 17);
    const std::string name = "r" + std::to_string(i + 1);
    r->OnClick = [&clicks, name](TObject*) { clicks.push_back(name); };
    radios.push_back(r);
  }
  radios[2]->SetEnabled(false);  // r3 is passed over
  form.Show();
  form.Widget()->activateWindow();
  QApplication::processEvents();

  struct Case {
    TWinControl* focused;
    Qt::Key key;
    std::vector<std::string> clicks;
    TWinControl* focusAfter;
  };
  const Case cases[] = {
      {go, Qt::Key_Return, {"go"}, go},
      {go, Qt::Key_Enter, {"go"}, go},
      {go, Qt::Key_Space, {"go"}, go},
      {radios[0], Qt::Key_Down, {"r2"}, radios[1]},
      {radios[1], Qt::Key_Right, {"r4"}, radios[3]},
      {radios[3], Qt::Key_Down, {"r1"}, radios[0]},
      {radios[0], Qt::Key_Up, {"r4"}, radios[3]},
      {radios[3], Qt::Key_Left, {"r2"}, radios[1]},
      // Return on a choice is still the window's default button.
      {radios[1], Qt::Key_Return, {"ok"}, radios[1]},
  };
  radios[0]->SetChecked(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases) + ": " + KeyName(c.key));
    c.focused->SetFocus();
    QApplication::processEvents();
    clicks.clear();
    PressKey(c.focused->Widget(), c.key);
    EXPECT_EQ(clicks, c.clicks);
    EXPECT_EQ(QApplication::focusWidget(), c.focusAfter->Widget());
    // What the window shows: exactly the chosen one checked.
    const std::string& last = c.clicks.back();
    if (last[0] == 'r') {
      for (std::size_t i = 0; i < radios.size(); ++i)
        EXPECT_EQ(static_cast<QAbstractButton*>(radios[i]->Widget())->isChecked(),
                  last == "r" + std::to_string(i + 1));
    }
  }
}
