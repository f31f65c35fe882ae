// Menu items: choosing runs OnClick without touching the check mark, radio
// items exclude each other within their group, opening a submenu runs its
// item's OnClick, and items can be found by name.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"

namespace {
TMenuItem* Item(TComponent* owner, TMenuItem* parent, const std::string& name, const std::string& caption) {
  auto* m = new TMenuItem(owner);
  m->Name = name;
  m->SetCaption(caption);
  parent->Add(m);
  return m;
}
}  // namespace

TEST(MenuItem, ChoosingRunsOnClickAndLeavesTheCheckMark) {
  TForm form(nullptr);
  auto* menu = new TMainMenu(&form);
  form.SetMenu(menu);
  TMenuItem* view = Item(&form, menu->Items(), "View1", "&View");
  TMenuItem* grid = Item(&form, view, "BrightGrid1", "Bright Grid");
  int clicks = 0;
  grid->OnClick = [&](TObject*) { ++clicks; };
  grid->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(grid->Checked());

  // The handler decides: toggling it there sticks, also through the real action.
  grid->OnClick = [&](TObject* s) {
    auto* m = static_cast<TMenuItem*>(s);
    m->SetChecked(!m->Checked());
  };
  grid->Action()->trigger();
  EXPECT_TRUE(grid->Checked());
  EXPECT_TRUE(grid->Action()->isChecked());
  grid->SetChecked(true);  // from code: no handler
  EXPECT_TRUE(grid->Checked());

  grid->SetEnabled(false);
  grid->Click();
  EXPECT_TRUE(grid->Checked());
}

TEST(MenuItem, RadioItemsExcludeWithinGroupAndParent) {
  TForm form(nullptr);
  auto* popup = new TPopupMenu(&form);
  TMenuItem* a = Item(&form, popup->Items(), "A", "A");
  TMenuItem* b = Item(&form, popup->Items(), "B", "B");
  TMenuItem* other = Item(&form, popup->Items(), "C", "C");
  for (TMenuItem* m : {a, b, other}) m->SetRadioItem(true);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  TMenuItem* sub = Item(&form, popup->Items(), "Sub", "Sub");
  TMenuItem* nested = Item(&form, sub, "N", "N");
  nested->SetRadioItem(true);
  nested->SetGroupIndex(1);

  other->SetChecked(true);
  nested->SetChecked(true);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(nested->Checked());
  // Unchecking never checks another one.
  b->SetChecked(false);
  EXPECT_FALSE(a->Checked());
}

TEST(MenuItem, OpeningASubmenuRunsItsOnClick) {
  TForm form(nullptr);
  auto* menu = new TMainMenu(&form);
  form.SetMenu(menu);
  TMenuItem* edit = Item(&form, menu->Items(), "Edit2", "&Edit");
  TMenuItem* paste = Item(&form, edit, "Paste1", "&Paste");
  edit->OnClick = [&](TObject*) { paste->SetEnabled(false); };
  ASSERT_NE(edit->SubMenu(), nullptr);
  emit edit->SubMenu()->aboutToShow();
  EXPECT_FALSE(paste->Enabled());
  EXPECT_FALSE(paste->Action()->isEnabled());
}

TEST(MenuItem, StructureAndLookup) {
  TForm form(nullptr);
  auto* menu = new TMainMenu(&form);
  form.SetMenu(menu);
  TMenuItem* file = Item(&form, menu->Items(), "File1", "&File");
  TMenuItem* save = Item(&form, file, "Save1", "&Save");
  Item(&form, file, "N1", "-");
  TMenuItem* exit = Item(&form, file, "Exit1", "E&xit");
  EXPECT_EQ(form.FindComponent("exit1"), exit);
  EXPECT_EQ(form.FindComponentAs<TMenuItem>("Save1"), save);
  EXPECT_EQ(file->Find("Exit"), exit);
  EXPECT_EQ(file->Count(), 3);
  EXPECT_TRUE(file->Items(1)->Action()->isSeparator());
  EXPECT_EQ(menu->MenuBar()->actions().size(), 1);
  delete save;
  EXPECT_EQ(file->Count(), 2);
  EXPECT_EQ(exit->MenuIndex(), 1);
  EXPECT_EQ(form.FindComponent("Save1"), nullptr);
  EXPECT_EQ(file->SubMenu()->actions().size(), 2);

  // The menu shows the items in their order, wherever they were inserted or
  // moved from.
  auto shown = [](TMenuItem* m) {
    QStringList texts;
    for (QAction* a : m->SubMenu()->actions()) texts << (a->isSeparator() ? "-" : a->text());
    return texts.join('|').toStdString();
  };
  TMenuItem* edit = Item(&form, menu->Items(), "Edit1", "&Edit");
  TMenuItem* copy = Item(&form, edit, "Copy1", "&Copy");
  auto* open = new TMenuItem(&form);
  open->SetCaption("&Open");
  file->Insert(0, open);
  auto* print = new TMenuItem(&form);
  print->SetCaption("&Print");
  file->Insert(2, print);
  file->Insert(1, copy);
  EXPECT_EQ(shown(file), "&Open|&Copy|-|&Print|E&xit");
  EXPECT_EQ(edit->Count(), 0);
  EXPECT_TRUE(edit->SubMenu()->actions().isEmpty());
  edit->Add(open);
  EXPECT_EQ(shown(file), "&Copy|-|&Print|E&xit");
  EXPECT_EQ(shown(edit), "&Open");
}

TEST(MainMenu, AttachingKeepsTheClientHeight) {
  TForm form(nullptr);
  form.SetClientWidth(300);
  form.SetClientHeight(200);
  auto* menu = new TMainMenu(&form);
  Item(&form, menu->Items(), "File1", "&File");
  form.SetMenu(menu);
  EXPECT_EQ(form.ClientHeight(), 200);
  EXPECT_GT(form.Height(), 200);
}

TEST(PopupMenu, PopupRunsOnPopupFirst) {
  TForm form(nullptr);
  auto* popup = new TPopupMenu(&form);
  TMenuItem* clear = Item(&form, popup->Items(), "Clear1", "Clear");
  popup->OnPopup = [&](TObject*) { clear->SetEnabled(false); };
  popup->Popup(10, 10);
  EXPECT_FALSE(clear->Action()->isEnabled());
  popup->Menu()->hide();
}
